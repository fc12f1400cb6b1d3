#include <gtest/gtest.h>

#include "RouteTable.h"

namespace {

const std::string kHeader =
    "Iface\tDestination\tGateway \tFlags\tRefCnt\tUse\tMetric\tMask\t\tMTU\tWindow\tIRTT\n";

std::string Entry(const std::string& destination, const std::string& gateway,
                  const std::string& flags) {
    return "eth0\t" + destination + "\t" + gateway + "\t" + flags +
           "\t0\t0\t0\t00000000\t0\t0\t0\n";
}

std::string Gateway(const std::string& table) {
    return RouteTable::AddressText(RouteTable::DefaultGateway(table.data(), table.size()));
}

TEST(RouteTableTest, TheFirstDefaultRouteThatIsUpGivesTheGateway) {
    EXPECT_EQ(Gateway(kHeader + Entry("00000000", "0101A8C0", "0003")), "192.168.1.1");
    EXPECT_EQ(Gateway(kHeader + Entry("0002000A", "0101A8C0", "0003")), "0.0.0.0");
    EXPECT_EQ(Gateway(kHeader), "0.0.0.0");
    EXPECT_EQ(Gateway(""), "0.0.0.0");
    // A default route that is down is passed over for a later one that is up.
    EXPECT_EQ(Gateway(kHeader + Entry("00000000", "0101A8C0", "0002") +
                      Entry("00000000", "FE01000A", "0003")),
              "10.0.1.254");
}

TEST(RouteTableTest, FieldsConvertAsTheDeviceScanfConvertsThem) {
    // "%i": after a leading 0 the flags are octal, so 0010 is 8 (down) and 0011 is 9 (up).
    EXPECT_EQ(Gateway(kHeader + Entry("00000000", "0101A8C0", "0010")), "0.0.0.0");
    EXPECT_EQ(Gateway(kHeader + Entry("00000000", "0101A8C0", "0011")), "192.168.1.1");
    // "%8lX" takes eight digits at most, into 32 bits.
    EXPECT_EQ(Gateway(kHeader + Entry("00000000", "0101A8C0FF", "0001")), "192.168.1.1");
    EXPECT_EQ(Gateway(kHeader + Entry("00000000", "-1", "0001")), "255.255.255.255");
    EXPECT_EQ(Gateway(kHeader + Entry("00000000", "zz", "0001")), "0.0.0.0");
    // Flags that don't convert leave the entry down, and the next entry starts at them: the
    // fields shift and the later default route is missed.
    EXPECT_EQ(Gateway(kHeader + Entry("00000000", "0101A8C0", "up") +
                      Entry("00000000", "0201A8C0", "1")),
              "0.0.0.0");
}

TEST(RouteTableTest, HostileTablesEndTheScanWithoutHarm) {
    const std::string longName(100000, 'x');
    EXPECT_EQ(Gateway(kHeader + longName + "\t" + Entry("00000000", "0101A8C0", "1")),
              "0.0.0.0");  // the long word shifts the fields
    EXPECT_EQ(Gateway(std::string("\0\0\n", 3) + Entry("00000000", "0101A8C0", "1")),
              "192.168.1.1");
    EXPECT_EQ(Gateway(kHeader + "eth0 00000000"), "0.0.0.0");  // cut short
    EXPECT_EQ(Gateway("\n" + Entry("00000000", "0101A8C0", "1")), "192.168.1.1");
}

}  // namespace
