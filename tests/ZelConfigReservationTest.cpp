// Reservation, host lock, state summary and colors of the store, in the private root:
// iptables and /bin/echo are recording stand-ins, /proc/sys/net/ipv4/ip_forward a file.

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "AttributeReading.h"
#include "ConfigWebLogging.h"
#include "FakeDevice.h"
#include "FileText.h"
#include "LogFile.h"
#include "ZelConfig.h"

namespace {

using attributes::Read;

constexpr const char* kCalls = "/stubs/calls.log";
constexpr const char* kForwarding = "/proc/sys/net/ipv4/ip_forward";

std::vector<std::string> Calls() {
    std::vector<std::string> calls;
    std::istringstream log(filetext::Read(kCalls));
    for (std::string line; std::getline(log, line);) calls.push_back(line);
    filetext::Remove(kCalls);
    return calls;
}

// The calls the stand-ins record for a lock ("-A") or release ("-D"): the shell drops the
// second blank of a rule without source.
std::vector<std::string> RecordedRules(const std::string& action, const std::string& source,
                                       const std::string& forwarding) {
    std::vector<std::string> calls;
    for (const char* port : {"6801", "6802", "52410", "52411"}) {
        calls.push_back("iptables " + action + " INPUT -p tcp " + source + "--dport " + port +
                        " -j ACCEPT");
    }
    calls.push_back("echo " + forwarding);
    return calls;
}

TEST(ZelConfigHostLockTest, HostNumbersAreReadAsTheDevicesAtolReadsThem) {
    const std::pair<const char*, const char*> hosts[] = {
        {"  +3232235777x", "192.168.1.1"},
        {"-1", "255.255.255.255"},
        {"4294967297", "0.0.0.1"},
        {"host", "0.0.0.0"},
    };
    for (const auto& [host, address] : hosts) {
        std::string text = "stale";
        EXPECT_TRUE(ZelConfig::HostNumberToAddress(host, text));
        EXPECT_EQ(text, address) << host;
    }
}

TEST(ZelConfigHostLockTest, CommandsCarryTheSourceOptionExactlyAsWritten) {
    // The stand-ins can't see the blanks the shell drops.
    EXPECT_EQ(ZelConfig::HostLockCommands(true, "0.0.0.0")[0],
              "/sbin/iptables -A INPUT -p tcp  --dport 6801 -j ACCEPT");
    EXPECT_EQ(ZelConfig::HostLockCommands(false, "")[2],
              "/sbin/iptables -D INPUT -p tcp -s  --dport 52410 -j ACCEPT");
    EXPECT_EQ(ZelConfig::HostLockCommands(false, "192.168.1.1")[4],
              "/bin/echo 0 > /proc/sys/net/ipv4/ip_forward");
}

TEST(ZelConfigHostLockTest, LockAndUnlockRunTheRulesAndTheForwardingSwitch) {
    ZelConfig store;
    Calls();
    store.LockToHost("0");
    EXPECT_EQ(Calls(), RecordedRules("-A", "", "1"));
    EXPECT_EQ(filetext::Read(kForwarding), "1\n");
    EXPECT_EQ(Read(store, "zel.state.hostlock"), "0.0.0.0");

    store.LockToHost("3232235777");
    EXPECT_EQ(Calls(), RecordedRules("-A", "-s 192.168.1.1 ", "1"));
    EXPECT_EQ(Read(store, "zel.state.hostlock"), "192.168.1.1");
    store.UnlockHost();
    EXPECT_EQ(Calls(), RecordedRules("-D", "-s 192.168.1.1 ", "0"));
    EXPECT_EQ(filetext::Read(kForwarding), "0\n");
    EXPECT_EQ(Read(store, "zel.state.hostlock"), "");

    // Without a lock: "-s" with nothing after it, as the rules were never added.
    ZelConfig fresh;
    Calls();
    fresh.UnlockHost();
    EXPECT_EQ(Calls(), RecordedRules("-D", "-s ", "0"));
    EXPECT_EQ(Read(fresh, "zel.state.hostlock"), "");
}

TEST(ZelConfigHostLockTest, AStoredAddressThatIsNoDottedQuadNeverReachesTheShell) {
    filetext::Write("/config/agent.configuration",
                    "zel.state.hostlock=1.2.3.4; touch /tmp/owned\n");
    {
        ConfigWebLogging logging;
        ZelConfig store;  // the address from the file
        Calls();
        store.UnlockHost();
        EXPECT_TRUE(Calls().empty());
        EXPECT_EQ(Read(store, "zel.state.hostlock"), "");
        for (const char* address :
             {"256.1.1.1", "1.2.3", "1.2.3.4.", "01.2.3.4", "1.2.3.4 -j DROP"}) {
            store.SetAttribute("zel.state.hostlock", address, Value);
            store.UnlockHost();
            EXPECT_TRUE(Calls().empty()) << address;
        }
    }
    EXPECT_FALSE(filetext::Exists("/tmp/owned"));
    const std::string line = logfile::LineWithMessage(
        "Host address '256.1.1.1' is no IPv4 address: packet filter left unchanged");
    EXPECT_NE(line.find("error     zelloghandler"), std::string::npos) << line;
}

TEST(ZelConfigReservationTest, AReservationHoldsUntilReleasedWithItsHandle) {
    ZelConfig store;
    std::string host = "3232235777";
    std::string protocol = "RPLUS";
    std::string handle;
    ASSERT_TRUE(store.ReserveDevice("workshop", host, protocol, handle));
    EXPECT_EQ(protocol, "rplus");
    EXPECT_NE(handle, "0");
    EXPECT_EQ(handle.find_first_not_of("0123456789"), std::string::npos) << handle;
    attributes::ExpectAll(store, {{"zel.state.current", "5"},
                                  {"zel.state.handle", handle},
                                  {"zel.state.owner", "workshop"},
                                  {"zel.state.uuid", "00000000-0000-0001-0000-000000000001"},
                                  {"zel.state.hostlock", "192.168.1.1"}});
    for (const char* marker : {"/tmp/forceconnect", "/tmp/reserved", "/tmp/proto_rplus"}) {
        EXPECT_TRUE(filetext::Exists(marker)) << marker;
    }
    Calls();

    std::string otherHost = "0";
    std::string second;
    EXPECT_FALSE(store.ReserveDevice("intruder", otherHost, protocol, second));
    EXPECT_EQ(second, "0");
    EXPECT_FALSE(store.ReleaseDevice(handle + "1"));
    EXPECT_FALSE(store.ReleaseDevice(""));
    EXPECT_TRUE(Calls().empty());
    EXPECT_EQ(Read(store, "zel.state.owner"), "workshop");

    EXPECT_TRUE(store.ReleaseDevice(handle));
    EXPECT_EQ(Calls(), RecordedRules("-D", "-s 192.168.1.1 ", "0"));
    attributes::ExpectAll(store, {{"zel.state.current", "4"},
                                  {"zel.state.handle", ""},
                                  {"zel.state.owner", ""},
                                  {"zel.state.uuid", "00000000-0000-0000-0000-000000000000"},
                                  {"zel.state.hostlock", ""}});
    EXPECT_TRUE(filetext::Exists("/tmp/forceconnect"));
    EXPECT_FALSE(filetext::Exists("/tmp/reserved"));
    EXPECT_FALSE(filetext::Exists("/tmp/proto_rplus"));
    // Free again, the empty handle is the stored one.
    EXPECT_TRUE(store.ReleaseDevice(""));
}

TEST(ZelConfigReservationTest, EveryOtherProtocolIsLoggedAndForcedToRplus) {
    {
        ConfigWebLogging logging;
        for (const char* requested : {"DoIP", ""}) {
            ZelConfig store;
            std::string host;
            std::string protocol = requested;
            std::string handle;
            EXPECT_TRUE(store.ReserveDevice("owner", host, protocol, handle)) << requested;
            EXPECT_EQ(protocol, "rplus");
            EXPECT_EQ(host, "0");  // an empty host means any host
            EXPECT_EQ(Read(store, "zel.state.hostlock"), "0.0.0.0");
        }
    }
    const std::string line =
        logfile::LineWithMessage("Invalid ifhProto 'doip' requested, forcing to 'rplus'");
    EXPECT_NE(line.find("error     zelloghandler"), std::string::npos) << line;
    EXPECT_EQ(logfile::CountMessage("Invalid ifhProto '' requested, forcing to 'rplus'"), 1u);
}

TEST(ZelConfigReservationTest, TheSummaryFollowsReservationUnitsMostAndVehicleLink) {
    {
        ZelConfig fresh;
        std::string summary;
        EXPECT_TRUE(fresh.GetStateSummary(summary));
        EXPECT_EQ(summary, "[0+;1+;2?;3?]");
    }
    filetext::Write("/tmp/sf2static", "ORVAC_Present=0\nORVAD_Present=1\n");
    fakedevice::WriteUsbList(4096);
    filetext::Write("/tmp/moststate", "1\n");
    ZelConfig store;
    std::string host = "0", protocol = "rplus", handle, summary;
    ASSERT_TRUE(store.ReserveDevice("owner", host, protocol, handle));
    store.GetStateSummary(summary);
    EXPECT_EQ(summary, "[0*;1?;2*;3*]");
    filetext::Write("/tmp/moststate", "0\n");  // light off: "2+" reserved or not
    store.GetStateSummary(summary);
    EXPECT_EQ(summary, "[0*;1?;2+;3*]");
    store.ReleaseDevice(handle);
    filetext::Write("/tmp/moststate", " 1\n");  // the whole text counts
    store.GetStateSummary(summary);
    EXPECT_EQ(summary, "[0+;1?;2+;3+]");
}

TEST(ZelConfigColorTest, NamesAndCodesConvertExactlyBothWays) {
    for (const char* name :
         {"white", "red", "yellow", "violet", "green", "brown", "blue", "grey"}) {
        std::string text = name;
        ZelConfig::ColorNameToCode(text);
        EXPECT_EQ(text[0], '#') << name;
        ZelConfig::ColorCodeToName(text);
        EXPECT_EQ(text, name);
    }
    for (const char* unknown : {"White", "#EDE3D3", "gray", " white", ""}) {
        std::string text = unknown;
        ZelConfig::ColorNameToCode(text);
        ZelConfig::ColorCodeToName(text);
        EXPECT_EQ(text, unknown);
    }
}

}  // namespace
