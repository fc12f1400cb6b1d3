// The device attribute store in the private root: its records, the start-up producers,
// the live attributes, the host lock, reservation and state summary.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>

#include "ConfigWebLogging.h"
#include "Device.h"
#include "ZelConfig.h"

namespace {

using namespace device;
using namespace std::chrono;

// The text of `key`, prefixed with "!" when the read reports failure.
std::string Get(const ZelConfig& store, const std::string& key) {
    std::string value = "stale";
    return store.GetAttribute(key, value) ? value : "!" + value;
}

struct Attribute {
    const char* key;
    const char* path;  // "": none written
    std::vector<std::pair<std::string, std::string>> cases;  // the file's text and the value (see Get)
};

// Each case on a fresh store: over a bare device with the file written before the start-up,
// or (`live`) over a complete device with the file written after it.
void ExpectAttributes(bool live, const std::vector<Attribute>& attributes) {
    for (const Attribute& attribute : attributes) {
        for (const auto& [text, value] : attribute.cases) {
            if (live) InstallComplete();
            if (!live && *attribute.path != '\0') Write(attribute.path, text);
            ZelConfig store;
            if (live) Write(attribute.path, text);
            EXPECT_EQ(Get(store, attribute.key), value) << attribute.key << " " << text;
            if (!live) ::unlink(attribute.path);
        }
    }
}

constexpr const char* kSerial = "/sys/orva_neo/sysinfo/sernum";
constexpr const char* kStatus = "/tmp/sf2status";
constexpr const char* kVin = "/tmp/wolkvin";
constexpr const char* kMem = "/proc/meminfo";

std::string Routes(const std::vector<std::pair<const char*, const char*>>& gatewaysAndFlags) {
    std::string table = "Iface\tDestination\tGateway\tFlags\tRefCnt\tUse\tMetric\tMask\tMTU\tWindow\tIRTT\n";
    for (const auto& [gateway, flags] : gatewaysAndFlags) {
        table += std::string("eth0\t00000000\t") + gateway + "\t" + flags + "\t0\t0\t0\t00000000\t0\t0\t0\n";
    }
    return table;
}

TEST(AttributeStoreTest, ABareDeviceStartsWithTheDefaultsAndOneWarning) {
    ConfigWebLogging logging;
    // clang-format off
    ExpectAttributes(false, {
        {"zel.state.startup", kConfig, {{"kald.mode = KALD-Neo \t\n", "1"}, {"kald.mode=kald-neo\n", "0"}}},
        {"hardware.serial", kSerial, {{"1112345\n", "1112345"}, {"\n1912345\n", "2100000"}}},
        {"hardware.devtype_ext", kSerial, {{"1112345\n", "ORVA R1"}, {"1712345\n", ""}}},
        {"hardware.devtype_int", kSerial, {{"1812345\n", "ORVA R2"}, {"1912345\n", "ORVA R2 kpt"}}},
        {"hardware.devtype_tkip", kSerial, {{"1912345\n", "true"}, {"3112345\n", "false"}}},
        {"hardware.devid", kSerial, {{"2112345 \n", "ORVA2112345 "}}},
        {"system.version.boot", "/etc/VERSION", {{"007\n", "07"}}},
        {"system.version.app", "/app/VERSION", {{"APPLICATION_VERSION=00.01.02  \n", "00102  "},
            {"APPLICATION_VERSION=1.2\n", "1.2"}, {"v:APPLICATION_VERSION=01.08.06\n", "N=1.8.06"},
            {"APPLICATION_VERSION=1.2.3\n", "1..3"}, {"01.08.06\n", "1.08.06"}}},
        {"system.version.pkg", "/app/PACKAGE_VERSION", {{"2.9\n", "2.9"}}},
        {"system.version.app_pkg", "/app/PACKAGE_VERSION", {{"02.9\n", "2.9"}}},
        {"diag.connected.orva_c", "/tmp/sf2static", {{"ORVAC_Present=-1\n", "0"}}},
        {"system.voltage.kl15trig", kStatus, {{"KL15Status=02\n", "0"}, {"KL30=1\n", "!"}}},
        {"system.pwf.status", kStatus, {{"CAN_CL_STATUS=0f\nCANPWF_STATUS_EX=1f\n", "!"},
            {"CAN_CL_STATUS=0x30\nCANPWF_STATUS_EX=-ffffffff\n", "-214748"},
            {"CAN_CL_STATUS=10\nCANPWF_STATUS_EX=zz\n", "0"}, {"CAN_CL_STATUS=10\n", "!0"}}},
        {"hardware.devtype_ext", "", {{"", "ORVA Neo R"}}}, {"diag.doip", "", {{"", "!"}}},
        {"network.current.wlan.quality", "", {{"", "!0"}}}, {"diag.most.orvabstate", "", {{"", "!"}}},
    });
    // The last start-up warns (its read logs nothing).
    EXPECT_EQ(Lines(LogEvents()).back(),
              std::string("info zelloghandler ZelConfig ") + ZelConfig::kIncompleteStartup);
    ExpectAttributes(true, {
        {"system.voltage.kl15", kStatus, {{"KL15ewb=11.9\n", "11.9"}}},
        {"system.thermal.temp", kStatus, {{"Temp=77\n", "77"}}},
        {"diag.most.lighton", "/tmp/moststate", {{" 1\n", " 1"}}},
        {"diag.wolk.vin", kVin, {{"X" + std::string(1022, 'x') + "VIN=tail\n", "tail"},
            {" VIN=A\nVIN = ABC  \n", "ABC  "}}},
        {"diag.wolk.gateway", kVin, {{"GW_DIAG_ADR=0x0e\n", "0x0e"}}},
        {"diag.wolk.sg_list", kVin, {{"DIAG_ADR=0x40\n", "[0x40]"}}},
        {"diag.doip", kVin, {{"VIN=OLD\nVIN = WXYZ \nVINX=\nDOIP=Yes\nVIN\n  DOIP=In\n", "In"}}},
        {"diag.most.orvabstate", "/sys/kernel/debug/usb/devices", {{"", "0"}}},
        {"system.info.free_ram", kMem, {{"MemTotal: 1 kB\nMemFree:  512 kB\n", "512"},
            {"MemTotal: 1 kB", "!"}}},
        {"system.info.size_ram", kMem, {{"MemTotal:   1024000kB\n", "102400"}, {"MemTotal:\t77 kB\n", "\t77"},
            {"MemTotal: kB\n", "!"}}},
        {"network.current.defaultgateway", "/proc/net/route", {
            {Routes({{"0101A8C0", "0002"}, {"FE01000A", "0003"}}), "10.0.1.254"},
            {Routes({{"0101A8C0FF", "1"}}), "192.168.1.1"}, {Routes({{"-1", "1"}}), "255.255.255.255"},
            {Routes({{"0101A8C0", "up"}, {"0201A8C0", "1"}}), "0.0.0.0"},
            {Routes({}) + "eth0 00000000", "0.0.0.0"}}},
        {"network.current.wlan.quality", "/stubs/output/iw_dev_wlan0_link",
            {{"\tsignal: -45.123456789 dBm\n", "456789"}}},
    });
    // clang-format on
}

TEST(AttributeStoreTest, RecordsAnswerByTheirKindAndTheMeasurementDeviceIsClosedByItsOpener) {
    ZelConfig store;
    const auto echo = [](std::string key, std::string& output) { output = "echo " + key; return 1; };
    EXPECT_TRUE(store.SetAttribute("fixed", "text", Value) && store.SetRefresher("fixed", echo));
    EXPECT_TRUE(store.SetRefresher("computed", echo) && store.SetAttribute("line", "/tmp/line", FileLine));
    EXPECT_FALSE(store.SetAttribute("odd", "x", Refreshed));
    Write("/tmp/line", "one\ntwo\n");
    EXPECT_EQ(Get(store, "fixed") + Get(store, "computed") + Get(store, "odd") + Get(store, "none") + " " +
                  Get(store, "line"), "textecho computed!! one");
    ::Attribute record{"kept", "", FileLine, nullptr};  // an unknown key leaves it as it was
    EXPECT_TRUE(!store.GetRecord("none", record) && record.value == "kept");
    EXPECT_TRUE(store.GetRecord("fixed", record));
    EXPECT_TRUE(record.kind == Value && record.refresher == +echo && record.value == "text");
    ZelConfig::wlanInterfaceName = "lo";
    EXPECT_EQ(Get(store, "network.current.wlan.ip") + " " + Get(store, "network.current.lan.ip"),
              "127.0.0.1 !0.0.0.0");
    const auto now = [] { return system_clock::now().time_since_epoch() / 1ms; };
    const long long before = now(), stamp = std::stoll(Get(store, "system.timestamp")), after = now();
    EXPECT_TRUE(before <= stamp && stamp <= after) << stamp;
    const int outer = ZelConfig::measureDeviceFd;
    { ZelConfig inner; }
    EXPECT_NE(::fcntl(outer, F_GETFD), -1);  // the measurement device is closed by its opener only
}

// What the stand-ins record for a lock ("-A") or release ("-D"); without source the shell drops a blank.
std::string Rules(const std::string& action, const std::string& source, const char* forward) {
    std::string calls;
    for (const char* port : {"6801", "6802", "52410", "52411"}) {
        calls += "iptables " + action + " INPUT -p tcp " + source + "--dport " + port + " -j ACCEPT\n";
    }
    return calls + "echo " + forward + "\n";
}

std::string State(const ZelConfig& store) {
    std::string state, summary;
    for (const char* key : {"current", "owner", "uuid", "handle", "hostlock"}) {
        state += Get(store, std::string("zel.state.") + key) + " ";
    }
    return store.GetStateSummary(summary) ? state + summary : "!";
}

TEST(AttributeStoreTest, AReservationLocksTheServicePortsToItsHostUntilReleasedWithItsHandle) {
    const auto calls = [] { const std::string text = Read(kCalls); ::unlink(kCalls); return text; };
    InstallComplete();
    ZelConfig store;
    for (const char* address :
         {"1.2.3.4; touch /tmp/owned", "256.1.1.1", "1.2.3", "01.2.3.4", "1.2.3.4 -j DROP"}) {
        store.SetAttribute("zel.state.hostlock", address, Value);
        store.UnlockHost();
        EXPECT_EQ(calls() + Get(store, "zel.state.hostlock"), "") << address;
    }
    EXPECT_FALSE(Exists("/tmp/owned"));
    std::string host = "  +3232235777x", protocol = "RPLUS", handle, second, otherHost = "0";
    ASSERT_TRUE(store.ReserveDevice("workshop", host, protocol, handle));
    EXPECT_EQ(calls(), Rules("-A", "-s 192.168.1.1 ", "1"));
    EXPECT_TRUE(protocol == "rplus" && handle != "0" && handle.find_first_not_of("0123456789") == handle.npos);
    EXPECT_EQ(State(store),
              "5 workshop 00000000-0000-0001-0000-000000000001 " + handle + " 192.168.1.1 [0*;1?;2*;3*]");
    EXPECT_TRUE(Exists("/tmp/forceconnect") && Exists("/tmp/reserved") && Exists("/tmp/proto_rplus"));
    EXPECT_FALSE(store.ReserveDevice("intruder", otherHost, protocol, second));
    EXPECT_FALSE(store.ReleaseDevice(handle + "1") || store.ReleaseDevice(""));
    EXPECT_EQ(second + calls(), "0");
    EXPECT_TRUE(store.ReleaseDevice(handle));
    EXPECT_EQ(calls() + Read("/proc/sys/net/ipv4/ip_forward"), Rules("-D", "-s 192.168.1.1 ", "0") + "0\n");
    Write("/tmp/moststate", "0\n");
    EXPECT_EQ(State(store), "4  00000000-0000-0000-0000-000000000000   [0+;1?;2+;3+]");
    EXPECT_TRUE(Exists("/tmp/forceconnect") && !Exists("/tmp/reserved") && !Exists("/tmp/proto_rplus"));
    EXPECT_EQ(store.ReleaseDevice("") ? calls() : "!", Rules("-D", "-s ", "0"));  // the handle of a free device
    std::string anyHost, requested = "DoIP";
    EXPECT_TRUE(store.ReserveDevice("owner", anyHost, requested, handle));
    EXPECT_EQ(requested + anyHost + Get(store, "zel.state.hostlock") + calls(),
              "rplus00.0.0.0" + Rules("-A", "", "1"));
}

}  // namespace
