// The device attribute store in the private root: its records, the start-up producers,
// the live attributes, the host lock, reservation and state summary.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/time.h>
#include <unistd.h>

#include <algorithm>

#include "ConfigWebLogging.h"
#include "Device.h"
#include "WlanDeviceDetector.h"
#include "ZelConfig.h"

namespace {

using namespace device;

// The text of `key`, prefixed with "!" when the read reports failure.
std::string Get(const ZelConfig& store, const std::string& key) {
    std::string value = "stale";
    return store.GetAttribute(key, value) ? value : "!" + value;
}

size_t Count(const std::string& event) {
    const std::vector<std::string> events = LogEvents();
    return std::count(events.begin(), events.end(), event);
}

struct Attribute {
    const char* key;
    std::vector<std::pair<const char*, std::string>> files;
    const char* value;  // "!..." when the read reports failure
};

// Each row on a fresh store: over a bare device with the row's files written before the
// start-up, or (`live`) over a complete device with the row's files written after it.
void ExpectAttributes(bool live, const std::vector<Attribute>& rows) {
    for (const Attribute& row : rows) {
        auto write = [&row] {
            for (const auto& [path, text] : row.files) Write(path, text);
        };
        live ? InstallComplete() : write();
        ZelConfig store;
        if (live) write();
        EXPECT_EQ(Get(store, row.key), row.value) << row.key << " " << (row.files.empty() ? "" : row.files[0].second);
        for (const auto& file : row.files) ::unlink(live ? "" : file.first);
    }
}

constexpr const char* kSerial = "/sys/orva_neo/sysinfo/sernum";
constexpr const char* kStatus = "/tmp/sf2status";
constexpr const char* kStatic = "/tmp/sf2static";
constexpr const char* kLink = "/stubs/output/iw_dev_wlan0_link";
constexpr const char* kRoute = "/proc/net/route";
constexpr const char* kHeader = "Iface\tDestination\tGateway\tFlags\tRefCnt\tUse\tMetric\tMask\tMTU\tWindow\tIRTT\n";
constexpr const char* kWarning = "info zelloghandler ZelConfig Warning: not all attributes initialized successfully!";

std::string Route(const char* destination, const char* gateway, const char* flags) {
    return std::string("eth0\t") + destination + "\t" + gateway + "\t" + flags + "\t0\t0\t0\t00000000\t0\t0\t0\n";
}

TEST(AttributeStoreTest, ABareDeviceStartsWithTheDefaultsAndOneWarning) {
    {
        ConfigWebLogging logging;
        ZelConfig store;
        EXPECT_EQ(ZelConfig::wlanInterfaceName, "wlan0");
    }
    EXPECT_EQ(Count("error zelloghandler ZelConfig Can't open /livepatch/lp.info"), 2u);
    EXPECT_EQ(Count("error zelloghandler ZelConfig Can't open /tmp/sf2static"), 2u);
    EXPECT_EQ(LogEvents().front(), "info zelloghandler WlanDeviceDetector * Found Atheros PCIe wlan card");
    EXPECT_EQ(LogEvents().back(), kWarning);
    EXPECT_EQ(Count(kWarning), 1u);
    // clang-format off
    ExpectAttributes(false, {
        {"hardware.serial", {}, "2100000"}, {"hardware.devid", {}, "ORVA2100000"}, {"hardware.devtype", {}, "ORVA-Neo"},
        {"hardware.version", {}, "ir12345"}, {"hardware.batttery.capactiy", {}, "0"},
        {"hardware.devtype_ext", {}, "ORVA Neo R"}, {"hardware.devtype_int", {}, "ORVA Neo R"},
        {"hardware.devtype_tkip", {}, "true"}, {"network.mac.lan", {}, "00:00:00:00:00:00"}, {"network.mac.wlan", {}, ""},
        {"system.version.app", {}, ""}, {"system.version.pkg", {}, ""}, {"system.livepatch.id", {}, ""},
        {"system.thermal.fanspeed", {}, "0"}, {"diag.connected.orva_c", {}, "0"}, {"diag.connected.orva_d", {}, "0"},
        {"zel.state.current", {}, "4"}, {"zel.state.owner", {}, ""},
        {"zel.state.uuid", {}, "00000000-0000-0000-0000-000000000000"},
        {"zel.version", {}, "01.08.06"}, {"zel.svn.version", {}, "159224"}, {"net.current.networktype", {}, "0"},
        {"kald.mode", {}, "KALD"}, {"network.config.discover.mode", {}, "3"}, {"zel.state.startup", {}, "0"},
        {"zel.state.startup", {{kConfig, "kald.mode = KALD-Neo \t\n"}}, "1"},
        {"zel.state.startup", {{kConfig, "kald.mode=kald-neo\n"}}, "0"},
        {"zel.version", {{kConfig, "zel.version=9\n"}}, "9"},
        {"diag.most.orvabstate", {}, "!"}, {"diag.doip", {}, "!"},
        {"diag.doip", {{"/tmp/wolkvin", ""}}, "No"},
        {"diag.wolk.sg_list", {{"/tmp/wolkvin", ""}}, "[]"},
        {"network.current.wlan.quality", {}, "!0"}, {"system.pwf.status", {}, "!"},
        {"system.info.size_ram", {{"/proc/meminfo", ""}}, "!"},
        {"hardware.serial", {{kSerial, "1112345\n"}}, "1112345"},
        {"hardware.devtype_ext", {{kSerial, "1112345\n"}}, "ORVA R1"},
        {"hardware.devtype_tkip", {{kSerial, "1812345\n"}}, "false"},
        {"hardware.devtype_int", {{kSerial, "1812345\n"}}, "ORVA R2"},
        {"hardware.devtype_int", {{kSerial, "1912345\n"}}, "ORVA R2 kpt"},
        {"hardware.devtype_tkip", {{kSerial, "1912345\n"}}, "true"},
        {"hardware.devtype_ext", {{kSerial, "2112345 \n"}}, "ORVA Neo R"},
        {"hardware.devid", {{kSerial, "2112345 \n"}}, "ORVA2112345 "},
        {"hardware.devtype_ext", {{kSerial, "1712345\n"}}, ""},
        {"hardware.devtype_tkip", {{kSerial, "3112345\n"}}, "false"},
        {"hardware.devtype_int", {{kSerial, "1"}}, ""},
        {"hardware.serial", {{kSerial, "\n1912345\n"}}, "2100000"},
        {"system.version.boot", {{"/etc/VERSION", "007\n"}}, "07"},
        {"system.version.app", {{"/app/VERSION", "APPLICATION_VERSION=00.01.02  \n"}}, "00102  "},
        {"system.version.app", {{"/app/VERSION", "APPLICATION_VERSION=1.2\n"}}, "1.2"},
        {"system.version.app", {{"/app/VERSION", "v:APPLICATION_VERSION=01.08.06\n"}}, "N=1.8.06"},
        {"system.version.app", {{"/app/VERSION", "APPLICATION_VERSION=1.2.3\n"}}, "1..3"},
        {"system.version.app", {{"/app/VERSION", "01.08.06\n"}}, "1.08.06"},
        {"system.version.app", {{"/app/VERSION", "APPLICATION_VERSION=\n"}}, ""},
        {"system.version.pkg", {{"/etc/PACKAGE_VERSION", "2.10\n"}, {"/app/PACKAGE_VERSION", "2.9\n"}}, "2.9"},
        {"system.version.pkg", {{"/etc/PACKAGE_VERSION", "2.10a\n"}, {"/app/PACKAGE_VERSION", "2.10\n"}}, "2.10a"},
        {"system.version.pkg", {{"/etc/PACKAGE_VERSION", "2.10\n"}, {"/app/PACKAGE_VERSION", "2.\xe9\n"}}, "2.\xe9"},
        {"system.livepatch.id", {{"/livepatch/lp.info", "#PatchNum=9\nPatchInfo = none \n"}}, ""},
        {"system.livepatch.info", {{"/livepatch/lp.info", "#PatchNum=9\nPatchInfo = none \n"}}, "none"},
        {"diag.connected.orva_c", {{kStatic, "ORVAC_Present=-1\nORVAD_Present=-1\n"}}, "0"},
        {"diag.connected.orva_d", {{kStatic, "ORVAC_Present=-1\nORVAD_Present=-1\n"}}, "-1"},
        {"diag.connected.orva_c", {{kStatic, "ORVAC_Present=00\n"}}, "1"},
        {"diag.connected.orva_c", {{kStatic, "ORVAC_Present=\n"}}, "1"},
        {"diag.connected.orva_d", {{kStatic, "ORVAD_Present = 0 \n"}}, "0"},
        {"system.voltage.kl15trig", {{kStatus, "KL15Status=02\n"}}, "0"},
        {"system.voltage.kl15trig", {{kStatus, "KL15Status=\n"}}, "0"},
        {"system.voltage.kl15trig", {{kStatus, "KL30=1\n"}}, "!"},
        {"system.pwf.status", {{kStatus, "CAN_CL_STATUS=0f\nCANPWF_STATUS_EX=1f\n"}}, "!"},
        {"system.pwf.status", {{kStatus, "CAN_CL_STATUS=0x30\nCANPWF_STATUS_EX=ffffffff\n"}}, "2147483"},
        {"system.pwf.status", {{kStatus, "CAN_CL_STATUS=ffffffff\nCANPWF_STATUS_EX=-ffffffff\n"}}, "-214748"},
        {"system.pwf.status", {{kStatus, "CAN_CL_STATUS=10\nCANPWF_STATUS_EX=zz\n"}}, "0"},
        {"system.pwf.status", {{kStatus, "CAN_CL_STATUS=10\n"}}, "!0"},
        {"system.thermal.temp", {{kStatus, "Temp=\n"}}, ""},
        {"diag.most.lighton", {{"/tmp/moststate", "1\n"}}, "!"},
    });
    // clang-format on
}

TEST(AttributeStoreTest, LiveAttributesShowTheirSourceAtTheRead) {
    // clang-format off
    ExpectAttributes(true, {
        {"system.voltage.kl15", {{kStatus, "KL15ewb=11.9\n"}}, "11.9"},
        {"system.voltage.kl30", {{kStatus, "KL30=13.1\n"}}, "13.1"},
        {"system.voltage.kl15trig", {{kStatus, "KL15Status=1\n"}}, "0"},
        {"system.pwf.status", {{kStatus, "CAN_CL_STATUS=10\nCANPWF_STATUS_EX=0x20\n"}}, "32"},
        {"system.thermal.temp", {{kStatus, "Temp=77\n"}}, "77"},
        {"system.thermal.tempcrit", {}, ""},
        {"diag.wolk.vin", {{"/tmp/wolkvin", "VIN=NEW\n"}}, "NEW"},
        {"diag.wolk.available", {{"/tmp/wolkvin", "WOLK=0\n"}}, "0"},
        {"diag.wolk.gateway", {{"/tmp/wolkvin", "GW_DIAG_ADR=0x0e\n"}}, "0x0e"},
        {"diag.wolk.sg_list", {{"/tmp/wolkvin", "DIAG_ADR=0x40\n"}}, "[0x40]"},
        {"diag.wolk.vin", {{"/tmp/wolkvin", "VIN=OLD\nVIN = WXYZ \nVINX=\nDOIP=Yes\nVIN\n  DOIP=In\n"}}, ""},
        {"diag.doip", {{"/tmp/wolkvin", "VIN=OLD\nVIN = WXYZ \nVINX=\nDOIP=Yes\nVIN\n  DOIP=In\n"}}, "In"},
        {"diag.wolk.vin", {{"/tmp/wolkvin", "X" + std::string(1022, 'x') + "VIN=tail\n"}}, "tail"},
        {"diag.wolk.vin", {{"/tmp/wolkvin", " VIN=A\nVIN = ABC  \n"}}, "ABC  "},
        {"diag.most.lighton", {{"/tmp/moststate", "0\n"}}, "0"},
        {"diag.most.lighton", {{"/tmp/moststate", " 1\n"}}, " 1"},
        {"diag.most.orvabstate", {{"/sys/kernel/debug/usb/devices", ""}}, "0"},
        {"system.info.size_ram", {{"/proc/meminfo", "MemTotal: 1 kB\nMemFree: 2 kB\n"}}, "1"},
        {"system.info.free_ram", {{"/proc/meminfo", "MemTotal: 1 kB\nMemFree:  512 kB\n"}}, "512"},
        {"system.info.size_ram", {{"/proc/meminfo", "MemTotal:   1024000kB\n"}}, "102400"},
        {"system.info.size_ram", {{"/proc/meminfo", "MemTotal:\t77 kB\n"}}, "\t77"},
        {"system.info.size_ram", {{"/proc/meminfo", "MemTotal:   77\n"}}, "77"},
        {"system.info.free_ram", {{"/proc/meminfo", "MemTotal: 1 kB"}}, "!"},
        {"system.info.size_ram", {{"/proc/meminfo", "MemTotal: kB\n"}}, "!"},
        {"network.current.defaultgateway", {{kRoute, "Iface\n"}}, "0.0.0.0"},
        {"network.current.defaultgateway", {{kRoute, kHeader + Route("0002000A", "0101A8C0", "0003")}}, "0.0.0.0"},
        {"network.current.defaultgateway", {{kRoute, kHeader + Route("00000000", "0101A8C0", "0002") + Route("00000000", "FE01000A", "0003")}}, "10.0.1.254"},
        {"network.current.defaultgateway", {{kRoute, kHeader + Route("00000000", "0101A8C0", "0010")}}, "0.0.0.0"},
        {"network.current.defaultgateway", {{kRoute, kHeader + Route("00000000", "0101A8C0", "0011")}}, "192.168.1.1"},
        {"network.current.defaultgateway", {{kRoute, kHeader + Route("00000000", "0101A8C0FF", "1")}}, "192.168.1.1"},
        {"network.current.defaultgateway", {{kRoute, kHeader + Route("00000000", "-1", "1")}}, "255.255.255.255"},
        {"network.current.defaultgateway", {{kRoute, kHeader + Route("00000000", "zz", "1")}}, "0.0.0.0"},
        {"network.current.defaultgateway", {{kRoute, kHeader + Route("00000000", "0101A8C0", "up") + Route("00000000", "0201A8C0", "1")}}, "0.0.0.0"},
        {"network.current.defaultgateway", {{kRoute, kHeader + std::string(100000, 'x') + "\t" + Route("00000000", "0101A8C0", "1")}}, "0.0.0.0"},
        {"network.current.defaultgateway", {{kRoute, std::string("\0\0\n", 3) + Route("00000000", "0101A8C0", "1")}}, "192.168.1.1"},
        {"network.current.defaultgateway", {{kRoute, kHeader + std::string("eth0 00000000")}}, "0.0.0.0"},
        {"network.current.wlan.quality", {{kLink, "\tsignal: -67 dBm\n"}}, "-67"},
        {"network.current.wlan.quality", {{kLink, "\tsignal: -45.123456789 dBm\n"}}, "456789"},
    });
    // clang-format on
}

TEST(AttributeStoreTest, MissingStatusValuesAreLoggedAndTheTimestampFollowsTheClock) {
    ConfigWebLogging logging;
    ZelConfig store;
    const size_t startUp = LogEvents().size();
    EXPECT_EQ(Get(store, "system.pwf.status"), "!");
    Write(kStatus, "CAN_CL_STATUS=10\n");
    EXPECT_EQ(Get(store, "system.pwf.status"), "!0");
    Write("/tmp/moststate", "1\n");
    WriteUsbList(8192);  // the MOST interface counts within the first 8192 bytes only
    EXPECT_EQ(Get(store, "diag.most.lighton"), "1");
    WriteUsbList(8193);
    EXPECT_EQ(Get(store, "diag.most.orvabstate") + Get(store, "diag.most.lighton"), "00");
    timeval before, after;
    ::gettimeofday(&before, nullptr);
    const long long stamp = std::stoll(Get(store, "system.timestamp"));
    ::gettimeofday(&after, nullptr);
    EXPECT_GE(stamp, before.tv_sec * 1000LL + before.tv_usec / 1000);
    EXPECT_LE(stamp, after.tv_sec * 1000LL + after.tv_usec / 1000);
    const std::vector<std::string> events = LogEvents();
    EXPECT_EQ(std::vector<std::string>(events.begin() + startUp, events.end()),
              (std::vector<std::string>{"error zelloghandler ZelConfig Can't open /tmp/sf2status",
                                        "error zelloghandler ZelConfig Can't open file /proc/sys/atmel/cancl",
                                        "error zelloghandler ZelConfig Can't open file /proc/sys/atmel/canpwf_info",
                                        "debug zelloghandler ZelConfig Timestamp " + std::to_string(stamp)}));
}

int32_t Echo(std::string key, std::string& output) {
    output = "refreshed " + key;
    return 1;
}

TEST(AttributeStoreTest, RecordsAnswerByTheirKind) {
    ZelConfig store;
    EXPECT_TRUE(store.SetAttribute("fixed", "text", Value) && store.SetRefresher("fixed", Echo));
    EXPECT_TRUE(store.SetRefresher("computed", Echo) && store.SetAttribute("line", "/tmp/line", FileLine));
    EXPECT_FALSE(store.SetAttribute("odd", "x", Refreshed) || store.SetAttribute("odd2", "x", static_cast<AttributeKind>(7)));
    EXPECT_EQ(Get(store, "fixed") + Get(store, "computed") + Get(store, "odd") + Get(store, "unknown") + Get(store, "line"),
              "textrefreshed computed!!!");
    for (const auto& [text, first] : std::vector<std::pair<std::string, std::string>>{
             {"one\ntwo\n", "one"}, {"", ""}, {"\nsecond", "!"}, {std::string(9000, 'x'), std::string(8190, 'x')}}) {
        Write("/tmp/line", text);
        EXPECT_EQ(Get(store, "line"), first);
    }
    ::mkfifo("/tmp/fifo", 0644);  // never waited on
    EXPECT_TRUE(store.SetAttribute("line", "/tmp/fifo", FileLine));
    EXPECT_EQ(Get(store, "line"), "!");
    EXPECT_TRUE(store.SetAttribute("line", "fixed", Value));
    EXPECT_EQ(Get(store, "line"), "fixed");
    ZelConfig::wlanInterfaceName = "lo";
    EXPECT_EQ(Get(store, "network.current.wlan.ip") + Get(store, "network.current.wlan.netmask") +
                  Get(store, "network.current.lan.ip"), "127.0.0.1255.0.0.0!0.0.0.0");
    EXPECT_EQ(WlanDeviceDetector::InterfaceNameOf(0) + WlanDeviceDetector::InterfaceNameOf(1) +
                  WlanDeviceDetector::InterfaceNameOf(3) + WlanDeviceDetector::InterfaceNameOf(-1), "ath0ra0");
}

TEST(AttributeStoreTest, EachStoreClosesOnlyTheMeasurementDeviceItOpened) {
    int outer, inner, other;
    {
        ZelConfig first;
        outer = ZelConfig::measureDeviceFd;
        { ZelConfig second; inner = ZelConfig::measureDeviceFd; }
        other = ::open("/tmp/other", O_CREAT | O_RDWR | O_CLOEXEC, 0644);
        EXPECT_TRUE(::fcntl(outer, F_GETFD) != -1 && other == inner);
    }
    EXPECT_TRUE(::fcntl(outer, F_GETFD) == -1 && ::fcntl(other, F_GETFD) != -1);
    ASSERT_EQ(::unlink("/dev/measure/0"), 0);
    ZelConfig without;
    EXPECT_EQ(ZelConfig::measureDeviceFd, -1);
}

std::string Calls() {
    const std::string calls = Read(kCalls);
    ::unlink(kCalls);
    return calls;
}

// What the stand-ins record for a lock ("-A") or a release ("-D"); the shell drops the
// second blank of a rule without source.
std::string Rules(const std::string& action, const std::string& source, const char* forward) {
    std::string calls;
    for (const char* port : {"6801", "6802", "52410", "52411"}) {
        calls += "iptables " + action + " INPUT -p tcp " + source + "--dport " + port + " -j ACCEPT\n";
    }
    return calls + "echo " + forward + "\n";
}

TEST(AttributeStoreTest, TheHostLockOpensTheServicePortsToOneHost) {
    EXPECT_EQ(ZelConfig::HostLockCommands(true, "0.0.0.0")[0], "/sbin/iptables -A INPUT -p tcp  --dport 6801 -j ACCEPT");
    EXPECT_EQ(ZelConfig::HostLockCommands(false, "")[2], "/sbin/iptables -D INPUT -p tcp -s  --dport 52410 -j ACCEPT");
    ZelConfig store;
    store.LockToHost("0");
    EXPECT_EQ(Calls(), Rules("-A", "", "1"));
    EXPECT_EQ(Read("/proc/sys/net/ipv4/ip_forward") + Get(store, "zel.state.hostlock"), "1\n0.0.0.0");
    store.LockToHost("3232235777");
    EXPECT_EQ(Calls(), Rules("-A", "-s 192.168.1.1 ", "1"));
    store.UnlockHost();
    EXPECT_EQ(Calls(), Rules("-D", "-s 192.168.1.1 ", "0"));
    EXPECT_EQ(Read("/proc/sys/net/ipv4/ip_forward") + Get(store, "zel.state.hostlock"), "0\n");
    store.UnlockHost();  // without a lock
    EXPECT_EQ(Calls(), Rules("-D", "-s ", "0"));
    ConfigWebLogging logging;
    for (const char* address : {"1.2.3.4; touch /tmp/owned", "256.1.1.1", "1.2.3", "1.2.3.4.", "01.2.3.4", "1.2.3.4 -j DROP"}) {
        store.SetAttribute("zel.state.hostlock", address, Value);
        store.UnlockHost();
        EXPECT_EQ(Calls() + Get(store, "zel.state.hostlock"), "") << address;
    }
    EXPECT_FALSE(Exists("/tmp/owned"));
    EXPECT_EQ(Count("error zelloghandler ZelConfig Host address '256.1.1.1' is no IPv4 address: packet filter left unchanged"), 1u);
}

std::string State(const ZelConfig& store) {
    return Get(store, "zel.state.current") + " " + Get(store, "zel.state.owner") + " " + Get(store, "zel.state.uuid") +
           " " + Get(store, "zel.state.handle") + " " + Get(store, "zel.state.hostlock");
}

TEST(AttributeStoreTest, AReservationHoldsUntilReleasedWithItsHandle) {
    ConfigWebLogging logging;
    std::string summary, host = "3232235777", protocol = "RPLUS", handle, second, otherHost = "0";
    EXPECT_TRUE(ZelConfig().GetStateSummary(summary));
    EXPECT_EQ(summary, "[0+;1+;2?;3?]");
    Write(kStatic, "ORVAC_Present=0\nORVAD_Present=1\n");
    WriteUsbList(4096);
    Write("/tmp/moststate", "1\n");
    ZelConfig store;
    ASSERT_TRUE(store.ReserveDevice("workshop", host, protocol, handle));
    EXPECT_TRUE(protocol == "rplus" && handle != "0" && handle.find_first_not_of("0123456789") == std::string::npos) << handle;
    EXPECT_EQ(State(store), "5 workshop 00000000-0000-0001-0000-000000000001 " + handle + " 192.168.1.1");
    EXPECT_TRUE(Exists("/tmp/forceconnect") && Exists("/tmp/reserved") && Exists("/tmp/proto_rplus"));
    store.GetStateSummary(summary);
    EXPECT_EQ(summary, "[0*;1?;2*;3*]");
    Calls();
    EXPECT_FALSE(store.ReserveDevice("intruder", otherHost, protocol, second));
    EXPECT_FALSE(store.ReleaseDevice(handle + "1") || store.ReleaseDevice(""));
    EXPECT_EQ(second + Calls(), "0");
    EXPECT_TRUE(store.ReleaseDevice(handle));
    EXPECT_EQ(Calls(), Rules("-D", "-s 192.168.1.1 ", "0"));
    EXPECT_EQ(State(store), "4  00000000-0000-0000-0000-000000000000  ");
    EXPECT_TRUE(Exists("/tmp/forceconnect") && !Exists("/tmp/reserved") && !Exists("/tmp/proto_rplus"));
    Write("/tmp/moststate", "0\n");
    store.GetStateSummary(summary);
    EXPECT_EQ(summary, "[0+;1?;2+;3+]");
    EXPECT_TRUE(store.ReleaseDevice(""));  // the handle of a free device
    for (std::string requested : {"DoIP", ""}) {
        std::string anyHost;
        ZelConfig fresh;
        EXPECT_TRUE(fresh.ReserveDevice("owner", anyHost, requested, handle));
        EXPECT_EQ(requested + anyHost + Get(fresh, "zel.state.hostlock"), "rplus00.0.0.0");
    }
    EXPECT_EQ(Count("error zelloghandler ZelConfig Invalid ifhProto 'doip' requested, forcing to 'rplus'") +
                  Count("error zelloghandler ZelConfig Invalid ifhProto '' requested, forcing to 'rplus'"), 2u);
}

}  // namespace
