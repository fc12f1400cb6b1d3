// The live attributes: every read asks the source anew, in the private root.

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <string>

#include "AttributeReading.h"
#include "ConfigWebLogging.h"
#include "FakeDevice.h"
#include "FileText.h"
#include "LogFile.h"
#include "ZelConfig.h"

namespace {

using attributes::Read;

struct Change {
    const char* key;
    const char* before;
    const char* path;
    std::string content;
    const char* after;
};

TEST(ZelConfigRefresherTest, EveryRefreshedAttributeShowsItsSourceAtTheMomentOfTheRead) {
    fakedevice::Install();
    ZelConfig store;
    const std::string status = filetext::Read("/tmp/sf2status");
    const Change changes[] = {
        {"system.voltage.kl15", "12.4", "/tmp/sf2status", "KL15ewb=11.9\n", "11.9"},
        {"system.voltage.kl30", "12.9", "/tmp/sf2status", "KL30=13.1\n", "13.1"},
        {"system.voltage.kl15trig", "1", "/tmp/sf2status", "KL15Status=1\n", "0"},
        {"system.pwf.status", "31", "/tmp/sf2status", status + "CANPWF_STATUS_EX=0x20\n", "31"},
        {"system.thermal.temp", "41", "/tmp/sf2status", "Temp=77\n", "77"},
        {"diag.wolk.vin", "WXYZ1234567890123", "/tmp/wolkvin", "VIN=NEW\n", "NEW"},
        {"diag.wolk.available", "1", "/tmp/wolkvin", "WOLK=0\n", "0"},
        {"diag.wolk.gateway", "", "/tmp/wolkvin", "GW_DIAG_ADR=0x0e\n", "0x0e"},
        {"diag.wolk.sg_list", "[0x10;0x12]", "/tmp/wolkvin", "DIAG_ADR=0x40\n", "[0x40]"},
        {"diag.doip", "Yes", "/tmp/wolkvin", "", "No"},
        {"diag.most.orvabstate", "1", "/sys/kernel/debug/usb/devices", "", "0"},
        {"diag.most.lighton", "1", "/tmp/moststate", "0\n", "0"},
        {"system.info.size_ram", "255288", "/proc/meminfo", "MemTotal: 1 kB\nMemFree: 2 kB\n",
         "1"},
        {"system.info.free_ram", "163932", "/proc/meminfo", "MemTotal: 1 kB\nMemFree: 3 kB\n", "3"},
        {"network.current.defaultgateway", "192.168.1.1", "/proc/net/route", "Iface\n",
         "0.0.0.0"},
        {"network.current.wlan.quality", "-45", "/stubs/output/iw_dev_wlan0_link",
         "\tsignal: -67 dBm\n", "-67"},
    };
    for (const Change& change : changes) {
        fakedevice::Install();
        EXPECT_EQ(Read(store, change.key), change.before) << change.key;
        filetext::Write(change.path, change.content);
        EXPECT_EQ(Read(store, change.key), change.after) << change.key;
    }
    // "system.pwf.status" above: first 0x1f; the line added later is not the first of its key.
    filetext::Write("/tmp/sf2status", "CAN_CL_STATUS=10\nCANPWF_STATUS_EX=0x20\n");
    EXPECT_EQ(Read(store, "system.pwf.status"), "32");
    EXPECT_EQ(Read(store, "system.thermal.tempcrit"), "");
}

TEST(ZelConfigRefresherTest, InterfaceAddressesAreAskedAtEveryRead) {
    ZelConfig store;
    ZelConfig::wlanInterfaceName = "lo";
    EXPECT_EQ(Read(store, "network.current.wlan.ip"), "127.0.0.1");
    EXPECT_EQ(Read(store, "network.current.wlan.netmask"), "255.0.0.0");
    ZelConfig::wlanInterfaceName = "wlan0";  // no such interface in the private network
    EXPECT_EQ(Read(store, "network.current.wlan.ip", false), "0.0.0.0");
    EXPECT_EQ(Read(store, "network.current.lan.ip", false), "0.0.0.0");
    EXPECT_EQ(Read(store, "network.current.lan.netmask", false), "0.0.0.0");
}

struct StatusCase {
    const char* file;
    const char* key;
    bool result;
    const char* value;
};

TEST(ZelConfigRefresherTest, StatusValuesFollowTheirRules) {
    const StatusCase cases[] = {
        {"KL15Status=2\n", "system.voltage.kl15trig", true, "1"},
        {"KL15Status=02\n", "system.voltage.kl15trig", true, "0"},
        {"KL15Status=1\n", "system.voltage.kl15trig", true, "0"},
        {"KL15Status=\n", "system.voltage.kl15trig", true, "0"},
        {"KL30=1\n", "system.voltage.kl15trig", false, ""},
        {"CAN_CL_STATUS=10\nCANPWF_STATUS_EX=1f\n", "system.pwf.status", true, "31"},
        {"CAN_CL_STATUS=0f\nCANPWF_STATUS_EX=1f\n", "system.pwf.status", false, ""},
        {"CAN_CL_STATUS=0x30\nCANPWF_STATUS_EX=ffffffff\n", "system.pwf.status", true, "2147483"},
        {"CAN_CL_STATUS=ffffffff\nCANPWF_STATUS_EX=-ffffffff\n", "system.pwf.status", true,
         "-214748"},
        {"CAN_CL_STATUS=10\nCANPWF_STATUS_EX=zz\n", "system.pwf.status", true, "0"},
        {"CAN_CL_STATUS=10\n", "system.pwf.status", false, "0"},
        {"Temp=\n", "system.thermal.temp", true, ""},
    };
    ZelConfig store;
    for (const StatusCase& c : cases) {
        filetext::Write("/tmp/sf2status", c.file);
        EXPECT_EQ(Read(store, c.key, c.result), c.value) << c.file;
    }
}

// The log lines written since `count` lines were there.
std::vector<std::string> LinesAfter(size_t count) {
    std::vector<std::string> lines = logfile::Lines();
    lines.erase(lines.begin(), lines.begin() + static_cast<std::ptrdiff_t>(count));
    return lines;
}

TEST(ZelConfigRefresherTest, MissingStatusValuesAreLoggedAsThePowerFailFiles) {
    size_t startUpLines;
    {
        ConfigWebLogging logging;
        ZelConfig store;
        startUpLines = logfile::Lines().size();
        EXPECT_EQ(Read(store, "system.pwf.status", false), "");
        filetext::Write("/tmp/sf2status", "CAN_CL_STATUS=10\n");
        EXPECT_EQ(Read(store, "system.pwf.status", false), "0");
        filetext::Write("/tmp/sf2status", "CAN_CL_STATUS=0\n");
        EXPECT_EQ(Read(store, "system.pwf.status", false), "");
    }
    const std::vector<std::string> lines = LinesAfter(startUpLines);
    ASSERT_EQ(lines.size(), 3u) << filetext::Read(logfile::kPath);
    EXPECT_NE(lines[0].find("Can't open /tmp/sf2status"), std::string::npos);
    EXPECT_NE(lines[1].find("Can't open file /proc/sys/atmel/cancl"), std::string::npos);
    EXPECT_NE(lines[2].find("Can't open file /proc/sys/atmel/canpwf_info"), std::string::npos);
}

TEST(ZelConfigRefresherTest, TheMostInterfaceCountsOnlyInTheFirst8192BytesOfTheUsbList) {
    ZelConfig store;
    EXPECT_EQ(Read(store, "diag.most.orvabstate", false), "");  // no USB list
    fakedevice::WriteUsbList(8192);
    filetext::Write("/tmp/moststate", "1\n");
    EXPECT_EQ(Read(store, "diag.most.orvabstate"), "1");
    EXPECT_EQ(Read(store, "diag.most.lighton"), "1");
    filetext::Remove("/tmp/moststate");
    EXPECT_EQ(Read(store, "diag.most.lighton"), "");
    fakedevice::WriteUsbList(8193);
    EXPECT_EQ(Read(store, "diag.most.orvabstate"), "0");
    filetext::Write("/tmp/moststate", "1\n");
    EXPECT_EQ(Read(store, "diag.most.lighton"), "0");
}

TEST(ZelConfigRefresherTest, TheVehicleLinkNeedsItsStatusFile) {
    ZelConfig store;
    EXPECT_EQ(Read(store, "diag.doip", false), "");
    filetext::Write("/tmp/wolkvin", "");
    EXPECT_EQ(Read(store, "diag.doip"), "No");
    EXPECT_EQ(Read(store, "diag.wolk.sg_list"), "[]");
}

TEST(ZelConfigRefresherTest, TheWlanSignalIsWhatIwReports) {
    ZelConfig store;
    EXPECT_EQ(Read(store, "network.current.wlan.quality", false), "0");  // not associated
    fakedevice::SetIwOutput("\tsignal: -45.123456789 dBm\n", "");
    // fgets into 8 bytes: the last piece of the text is what stays.
    EXPECT_EQ(Read(store, "network.current.wlan.quality"), "456789");
    ASSERT_EQ(std::system("rm /stubs/bin/iw"), 0);
    EXPECT_EQ(Read(store, "network.current.wlan.quality", false), "0");
}

TEST(ZelConfigRefresherTest, SignalAndNoiseComeFromTheLinkAndTheSurvey) {
    ZelConfig store;
    std::string signal;
    std::string ratio;
    fakedevice::SetIwOutput(fakedevice::kLinkOutput, fakedevice::kSurveyOutput);
    EXPECT_TRUE(store.ReadWlanSignalNoise(signal, ratio));
    EXPECT_EQ(signal, "-45");
    EXPECT_EQ(ratio, "50");
    fakedevice::SetIwOutput("Not connected.\n", "");
    EXPECT_TRUE(store.ReadWlanSignalNoise(signal, ratio));  // the commands print 0 0
    EXPECT_EQ(signal + " " + ratio, "0 0");
    EXPECT_EQ(std::strlen(ZelConfig::kWlanSignalNoiseCommand), 515u);
}

TEST(ZelConfigRefresherTest, EveryTimestampReadIsLoggedAndFollowsTheClock) {
    std::string first;
    std::string second;
    size_t startUpLines;
    {
        ConfigWebLogging logging;
        ZelConfig store;
        startUpLines = logfile::Lines().size();
        first = Read(store, "system.timestamp");
        ::usleep(20 * 1000);
        second = Read(store, "system.timestamp");
    }
    const long long difference = std::stoll(second) - std::stoll(first);
    EXPECT_GE(difference, 20);
    EXPECT_LT(difference, 60 * 1000);
    const std::vector<std::string> lines = LinesAfter(startUpLines);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(logfile::MessageIndex(lines, "Timestamp " + first), 0u);
    EXPECT_EQ(logfile::MessageIndex(lines, "Timestamp " + second), 1u);
}

TEST(ZelConfigRefresherTest, MemoryFiguresNeedMeminfo) {
    ZelConfig store;
    EXPECT_EQ(Read(store, "system.info.free_ram"), "163932");
    ASSERT_EQ(::truncate("/proc/meminfo", 0), 0);
    EXPECT_EQ(Read(store, "system.info.size_ram", false), "");
}

}  // namespace
