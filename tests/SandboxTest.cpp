// The private root every test runs in keeps the code away from this machine.

#include <gtest/gtest.h>
#include <net/if.h>

#include <cstdlib>

#include "Device.h"

TEST(SandboxTest, RunsWithoutCapabilitiesInItsOwnNetworkWithRecordingStandIns) {
    EXPECT_NE(device::Read("/proc/self/status").find("CapEff:\t0000000000000000\n"), std::string::npos);
    struct if_nameindex* interfaces = ::if_nameindex();
    ASSERT_NE(interfaces, nullptr);
    EXPECT_STREQ(interfaces[0].if_name, "lo");
    EXPECT_EQ(interfaces[1].if_index, 0u);
    ::if_freenameindex(interfaces);
    EXPECT_FALSE(device::Exists("/home") || device::Exists("/root"));
    device::Write("/stubs/status/insmod", "3\n");
    EXPECT_EQ(std::system("/sbin/iptables -A INPUT && /bin/echo 1 > /proc/sys/net/ipv4/ip_forward && "
                          "iw dev && ps && lsmod; /usr/sbin/insmod m.ko"), 3 << 8);
    EXPECT_EQ(device::Read(device::kCalls), "iptables -A INPUT\necho 1\niw dev\nps\nlsmod\ninsmod m.ko\n");
    EXPECT_EQ(device::Read("/proc/sys/net/ipv4/ip_forward"), "1\n");
}
