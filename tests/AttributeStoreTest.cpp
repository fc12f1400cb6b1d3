// The device attribute store in the private root: its records, the start-up producers,
// the live attributes, the host lock, reservation and state summary.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/time.h>
#include <unistd.h>

#include <algorithm>

#include "ConfigWebLogging.h"
#include "Device.h"
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
    const char* path;  // "": no file written
    std::string text;
    const char* value;  // "!..." when the read reports failure
};

// Each row on a fresh store: over a bare device with the row's file written before the
// start-up, or (`live`) over a complete device with the file written after it.
void ExpectAttributes(bool live, const std::vector<Attribute>& rows) {
    for (const Attribute& row : rows) {
        if (live) InstallComplete();
        if (!live && *row.path != '\0') Write(row.path, row.text);
        ZelConfig store;
        if (live && *row.path != '\0') Write(row.path, row.text);
        EXPECT_EQ(Get(store, row.key), row.value) << row.key << " " << row.text.substr(0, 60);
        if (!live && *row.path != '\0') ::unlink(row.path);
    }
}

constexpr const char* kSerial = "/sys/orva_neo/sysinfo/sernum";
constexpr const char* kStatus = "/tmp/sf2status";
constexpr const char* kStatic = "/tmp/sf2static";
constexpr const char* kApp = "/app/VERSION";
constexpr const char* kVin = "/tmp/wolkvin";
constexpr const char* kMem = "/proc/meminfo";
constexpr const char* kRoute = "/proc/net/route";
constexpr const char* kWarning = "info zelloghandler ZelConfig Warning: not all attributes initialized successfully!";

std::string Routes(const std::vector<std::pair<const char*, const char*>>& gatewaysAndFlags) {
    std::string table = "Iface\tDestination\tGateway\tFlags\tRefCnt\tUse\tMetric\tMask\tMTU\tWindow\tIRTT\n";
    for (const auto& [gateway, flags] : gatewaysAndFlags) {
        table += std::string("eth0\t00000000\t") + gateway + "\t" + flags + "\t0\t0\t0\t00000000\t0\t0\t0\n";
    }
    return table;
}

TEST(AttributeStoreTest, ABareDeviceStartsWithTheDefaultsAndOneWarning) {
    {
        ConfigWebLogging logging;
        ZelConfig store;
    }
    EXPECT_EQ(Count("error zelloghandler ZelConfig Can't open /tmp/sf2static"), 2u);
    EXPECT_EQ(LogEvents().back(), kWarning);
    EXPECT_EQ(Count(kWarning), 1u);
    // clang-format off
    ExpectAttributes(false, {
        {"hardware.serial", "", "", "2100000"}, {"hardware.devid", "", "", "ORVA2100000"}, {"network.mac.wlan", "", "", ""},
        {"hardware.devtype_ext", "", "", "ORVA Neo R"}, {"kald.mode", "", "", "KALD"}, {"zel.state.startup", "", "", "0"},
        {"network.config.discover.mode", "", "", "3"}, {"zel.state.startup", kConfig, "kald.mode = KALD-Neo \t\n", "1"},
        {"zel.state.startup", kConfig, "kald.mode=kald-neo\n", "0"}, {"zel.version", kConfig, "zel.version=9\n", "9"},
        {"diag.most.orvabstate", "", "", "!"}, {"diag.doip", "", "", "!"}, {"diag.doip", kVin, "", "No"},
        {"diag.wolk.sg_list", kVin, "", "[]"}, {"network.current.wlan.quality", "", "", "!0"}, {"system.info.size_ram", kMem, "", "!"},
        {"hardware.serial", kSerial, "1112345\n", "1112345"}, {"hardware.devtype_ext", kSerial, "1112345\n", "ORVA R1"},
        {"hardware.devtype_tkip", kSerial, "1812345\n", "false"}, {"hardware.devtype_int", kSerial, "1812345\n", "ORVA R2"},
        {"hardware.devtype_int", kSerial, "1912345\n", "ORVA R2 kpt"}, {"hardware.devtype_tkip", kSerial, "1912345\n", "true"},
        {"hardware.devid", kSerial, "2112345 \n", "ORVA2112345 "}, {"hardware.devtype_ext", kSerial, "1712345\n", ""},
        {"hardware.devtype_tkip", kSerial, "3112345\n", "false"}, {"hardware.devtype_int", kSerial, "1", ""},
        {"hardware.serial", kSerial, "\n1912345\n", "2100000"}, {"system.version.boot", "/etc/VERSION", "007\n", "07"},
        {"system.version.app", kApp, "APPLICATION_VERSION=00.01.02  \n", "00102  "}, {"system.version.app", kApp, "APPLICATION_VERSION=1.2\n", "1.2"},
        {"system.version.app", kApp, "v:APPLICATION_VERSION=01.08.06\n", "N=1.8.06"}, {"system.version.app", kApp, "APPLICATION_VERSION=1.2.3\n", "1..3"},
        {"system.version.app", kApp, "01.08.06\n", "1.08.06"}, {"system.version.pkg", "/app/PACKAGE_VERSION", "2.9\n", "2.9"},
        {"system.livepatch.info", "/livepatch/lp.info", "#PatchNum=9\nPatchInfo = none \n", "none"},
        {"diag.connected.orva_d", kStatic, "ORVAC_Present=-1\nORVAD_Present=-1\n", "-1"}, {"diag.connected.orva_c", kStatic, "ORVAC_Present=00\n", "1"},
        {"diag.connected.orva_c", kStatic, "ORVAC_Present=\n", "1"}, {"diag.connected.orva_d", kStatic, "ORVAD_Present = 0 \n", "0"},
        {"system.voltage.kl15trig", kStatus, "KL15Status=02\n", "0"}, {"system.voltage.kl15trig", kStatus, "KL30=1\n", "!"},
        {"system.pwf.status", kStatus, "CAN_CL_STATUS=0f\nCANPWF_STATUS_EX=1f\n", "!"},
        {"system.pwf.status", kStatus, "CAN_CL_STATUS=0x30\nCANPWF_STATUS_EX=ffffffff\n", "2147483"},
        {"system.pwf.status", kStatus, "CAN_CL_STATUS=ffffffff\nCANPWF_STATUS_EX=-ffffffff\n", "-214748"},
        {"system.pwf.status", kStatus, "CAN_CL_STATUS=10\nCANPWF_STATUS_EX=zz\n", "0"}, {"system.pwf.status", kStatus, "CAN_CL_STATUS=10\n", "!0"},
    });
    ExpectAttributes(true, {
        {"system.voltage.kl15", kStatus, "KL15ewb=11.9\n", "11.9"}, {"system.voltage.kl15trig", kStatus, "KL15Status=1\n", "0"},
        {"system.pwf.status", kStatus, "CAN_CL_STATUS=10\nCANPWF_STATUS_EX=0x20\n", "32"}, {"system.thermal.temp", kStatus, "Temp=77\n", "77"},
        {"diag.wolk.vin", kVin, "VIN=NEW\n", "NEW"}, {"diag.wolk.gateway", kVin, "GW_DIAG_ADR=0x0e\n", "0x0e"},
        {"diag.wolk.sg_list", kVin, "DIAG_ADR=0x40\n", "[0x40]"},
        {"diag.doip", kVin, "VIN=OLD\nVIN = WXYZ \nVINX=\nDOIP=Yes\nVIN\n  DOIP=In\n", "In"},
        {"diag.wolk.vin", kVin, "X" + std::string(1022, 'x') + "VIN=tail\n", "tail"}, {"diag.wolk.vin", kVin, " VIN=A\nVIN = ABC  \n", "ABC  "},
        {"diag.most.lighton", "/tmp/moststate", " 1\n", " 1"}, {"diag.most.orvabstate", "/sys/kernel/debug/usb/devices", "", "0"},
        {"system.info.free_ram", kMem, "MemTotal: 1 kB\nMemFree:  512 kB\n", "512"}, {"system.info.size_ram", kMem, "MemTotal:   1024000kB\n", "102400"},
        {"system.info.size_ram", kMem, "MemTotal:\t77 kB\n", "\t77"}, {"system.info.free_ram", kMem, "MemTotal: 1 kB", "!"},
        {"system.info.size_ram", kMem, "MemTotal: kB\n", "!"}, {"network.current.defaultgateway", kRoute, "Iface\n", "0.0.0.0"},
        {"network.current.defaultgateway", kRoute, Routes({{"0101A8C0", "0002"}, {"FE01000A", "0003"}}), "10.0.1.254"},
        {"network.current.defaultgateway", kRoute, Routes({{"0101A8C0", "0010"}}), "0.0.0.0"},
        {"network.current.defaultgateway", kRoute, Routes({{"0101A8C0FF", "1"}}), "192.168.1.1"},
        {"network.current.defaultgateway", kRoute, Routes({{"-1", "1"}}), "255.255.255.255"},
        {"network.current.defaultgateway", kRoute, Routes({{"0101A8C0", "up"}, {"0201A8C0", "1"}}), "0.0.0.0"},
        {"network.current.defaultgateway", kRoute, Routes({}) + "eth0 00000000", "0.0.0.0"},
        {"network.current.wlan.quality", "/stubs/output/iw_dev_wlan0_link", "\tsignal: -45.123456789 dBm\n", "456789"},
    });
    // clang-format on
}

TEST(AttributeStoreTest, MissingStatusValuesAreLoggedAndTheTimestampFollowsTheClock) {
    ConfigWebLogging logging;
    ZelConfig store;
    const size_t startUp = LogEvents().size();
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
    EXPECT_TRUE(stamp >= before.tv_sec * 1000LL + before.tv_usec / 1000 && stamp <= after.tv_sec * 1000LL + after.tv_usec / 1000);
    const std::vector<std::string> events = LogEvents();
    EXPECT_EQ(std::vector<std::string>(events.begin() + startUp, events.end() - 1),
              (std::vector<std::string>{"error zelloghandler ZelConfig Can't open file /proc/sys/atmel/canpwf_info"}));
}

int32_t Echo(std::string key, std::string& output) {
    output = "refreshed " + key;
    return 1;
}

TEST(AttributeStoreTest, RecordsAnswerByTheirKindAndTheMeasurementDeviceIsClosedByItsOpener) {
    ZelConfig store;
    EXPECT_TRUE(store.SetAttribute("fixed", "text", Value) && store.SetRefresher("fixed", Echo));
    EXPECT_TRUE(store.SetRefresher("computed", Echo) && store.SetAttribute("line", "/tmp/line", FileLine));
    EXPECT_FALSE(store.SetAttribute("odd", "x", Refreshed) || store.SetAttribute("odd2", "x", static_cast<AttributeKind>(7)));
    EXPECT_EQ(Get(store, "fixed") + Get(store, "computed") + Get(store, "odd") + Get(store, "unknown"), "textrefreshed computed!!");
    for (const auto& [text, first] : std::vector<std::pair<std::string, std::string>>{
             {"one\ntwo\n", "one"}, {"", ""}, {"\nsecond", "!"}, {std::string(9000, 'x'), std::string(8190, 'x')}}) {
        Write("/tmp/line", text);
        EXPECT_EQ(Get(store, "line"), first);
    }
    ::mkfifo("/tmp/fifo", 0644);  // never waited on
    EXPECT_TRUE(store.SetAttribute("line", "/tmp/fifo", FileLine));
    EXPECT_EQ(Get(store, "line"), "!");
    ZelConfig::wlanInterfaceName = "lo";
    EXPECT_EQ(Get(store, "network.current.wlan.ip") + Get(store, "network.current.lan.ip"), "127.0.0.1!0.0.0.0");
    const int outer = ZelConfig::measureDeviceFd;
    { ZelConfig inner; }
    EXPECT_NE(::fcntl(outer, F_GETFD), -1);
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
    ZelConfig store;
    store.LockToHost("0");
    EXPECT_EQ(Calls(), Rules("-A", "", "1"));
    store.LockToHost("3232235777");
    EXPECT_EQ(Calls(), Rules("-A", "-s 192.168.1.1 ", "1"));
    store.UnlockHost();
    EXPECT_EQ(Calls(), Rules("-D", "-s 192.168.1.1 ", "0"));
    EXPECT_EQ(Read("/proc/sys/net/ipv4/ip_forward") + Get(store, "zel.state.hostlock"), "0\n");
    for (const char* address : {"1.2.3.4; touch /tmp/owned", "256.1.1.1", "1.2.3", "01.2.3.4", "1.2.3.4 -j DROP"}) {
        store.SetAttribute("zel.state.hostlock", address, Value);
        store.UnlockHost();
        EXPECT_EQ(Calls() + Get(store, "zel.state.hostlock"), "") << address;
    }
    EXPECT_FALSE(Exists("/tmp/owned"));
}

std::string State(const ZelConfig& store) {
    return Get(store, "zel.state.current") + " " + Get(store, "zel.state.owner") + " " + Get(store, "zel.state.uuid") +
           " " + Get(store, "zel.state.handle") + " " + Get(store, "zel.state.hostlock");
}

std::string Summary(const ZelConfig& store) {
    std::string summary;
    return store.GetStateSummary(summary) ? summary : "!";
}

TEST(AttributeStoreTest, AReservationHoldsUntilReleasedWithItsHandle) {
    ConfigWebLogging logging;
    std::string host = "3232235777", protocol = "RPLUS", handle, second, otherHost = "0";
    EXPECT_EQ(Summary(ZelConfig()), "[0+;1+;2?;3?]");
    Write(kStatic, "ORVAC_Present=0\nORVAD_Present=1\n");
    WriteUsbList(4096);
    Write("/tmp/moststate", "1\n");
    ZelConfig store;
    ASSERT_TRUE(store.ReserveDevice("workshop", host, protocol, handle));
    EXPECT_TRUE(protocol == "rplus" && handle != "0" && handle.find_first_not_of("0123456789") == std::string::npos) << handle;
    EXPECT_EQ(State(store), "5 workshop 00000000-0000-0001-0000-000000000001 " + handle + " 192.168.1.1");
    EXPECT_TRUE(Exists("/tmp/forceconnect") && Exists("/tmp/reserved") && Exists("/tmp/proto_rplus"));
    EXPECT_EQ(Summary(store), "[0*;1?;2*;3*]");
    Calls();
    EXPECT_FALSE(store.ReserveDevice("intruder", otherHost, protocol, second));
    EXPECT_FALSE(store.ReleaseDevice(handle + "1") || store.ReleaseDevice(""));
    EXPECT_EQ(second + Calls(), "0");
    EXPECT_TRUE(store.ReleaseDevice(handle));
    EXPECT_EQ(Calls(), Rules("-D", "-s 192.168.1.1 ", "0"));
    EXPECT_EQ(State(store), "4  00000000-0000-0000-0000-000000000000  ");
    EXPECT_TRUE(Exists("/tmp/forceconnect") && !Exists("/tmp/reserved") && !Exists("/tmp/proto_rplus"));
    Write("/tmp/moststate", "0\n");
    EXPECT_EQ(Summary(store), "[0+;1?;2+;3+]");
    EXPECT_TRUE(store.ReleaseDevice(""));  // the handle of a free device
    std::string anyHost, requested = "DoIP";
    ZelConfig fresh;
    EXPECT_TRUE(fresh.ReserveDevice("owner", anyHost, requested, handle));
    EXPECT_EQ(requested + anyHost + Get(fresh, "zel.state.hostlock"), "rplus00.0.0.0");
}

}  // namespace
