// The store's start-up on a complete device, with a wired "eth0" (02:00:5e:10:00:01, 192.0.2.10/24).

#include <gtest/gtest.h>
#include <sys/stat.h>

#include "ConfigWebLogging.h"
#include "Device.h"
#include "DeviceInformationCgi.h"
#include "Program.h"
#include "ZelConfig.h"

TEST(CompleteDeviceTest, StartUpSetsEveryAttributeAndDoesNotWarn) {
    device::InstallComplete();
    ConfigWebLogging logging;
    ZelConfig store;
    std::string all, value, level, ratio;
    for (const char* key : {"network.mac.lan", "network.mac.wlan", "network.current.lan.ip",
                            "network.current.lan.netmask", "system.livepatch.id"}) {
        all += (store.GetAttribute(key, value) ? "" : "!") + value + " ";
    }
    EXPECT_EQ(all, "02:00:5e:10:00:01 00-1A-2B-3C-4D-5E 192.0.2.10 255.255.255.0 12 ");
    EXPECT_EQ((store.ReadWlanSignalNoise(level, ratio) ? "" : "!") + level + " " + ratio, "-45 50");
    device::Write("/stubs/output/iw_dev_wlan0_survey_dump", "");  // no noise: the signal alone is no answer
    EXPECT_EQ((store.ReadWlanSignalNoise(level, ratio) ? "" : "!") + level + " " + ratio, "!0 0");
    device::Write("/stubs/output/iw_dev_wlan0_link", "Not connected.\n");
    EXPECT_EQ((store.ReadWlanSignalNoise(level, ratio) ? "" : "!") + level + " " + ratio, "0 0");
    device::ExpectPieces(device::Read(device::kLog), "!Can't open|!Warning");
}

// The page shows the live values with their units, and every attribute of the store (not the
// agent configuration's properties) in exactly one row.
TEST(CompleteDeviceTest, DeviceInformationShowsEveryAttributeOnceWithItsUnit) {
    device::InstallComplete();
    const std::string page = Program::Cgi(PROGRAMS_DIR "/deviceinformation.cgi", "GET", "sessionid=3").Run().out;
    device::ExpectPieces(page, "Serial Number</th><td>1912345<|Model (internal)</th><td>ORVA R2 kpt<|Hardware Version</th><td>"
                         "ir54321 <|Installed Package (newer of both)</th><td>2.9<|Live Patch</th><td>12<|Supply Voltage KL15</th>"
                         "<td>12.4 V<|Ignition (KL15)</th><td>on<|Power-Fail Status</th><td>31<|Temperature</th><td>41 &deg;C<|"
                         "Critical Temperature</th><td>not available<|Free Memory</th><td>160.0 MiB|Device Time</th><td>20|Control "
                         "Units</th><td>[0x10;0x12]<|MOST Light</th><td>on<|ORVA-D Attached</th><td>-1<|LAN MAC Address</th><td>02:00"
                         ":5e:10:00:01<|LAN IP Address</th><td>192.0.2.10<|Default Gateway</th><td>192.168.1.1<|WLAN MAC Address</th>"
                         "<td>00-1A-2B-3C-4D-5E<|WLAN IP Address</th><td>not available<|WLAN Signal</th><td>-45 dBm<|[0+;1?;2+;3+]|"
                         "an ORVA-C or ORVA-D unit is attached|MOST interface found, light on|vehicle link available");
    ZelConfig store;
    const std::string properties = "\n" + device::Read(device::kConfig);
    for (const std::string& key : store.Keys()) {
        if (properties.find("\n" + key + "=") != std::string::npos) continue;
        int rows = 0;
        for (std::size_t g = 0; g < DeviceInformationCgi::kGroupCount; ++g) {
            const DeviceInformationCgi::Group& group = DeviceInformationCgi::kGroups[g];
            for (std::size_t r = 0; r < group.count; ++r) rows += key == group.rows[r].key;
        }
        EXPECT_EQ(rows, 1) << key;
    }
}

// The live values beside the LAN fields; the Self-Test's verdicts from the device's data, and
// the wpa_supplicant file judged against the stored settings, before and after they change.
TEST(CompleteDeviceTest, SettingsShowTheLiveValuesAndTheSelfTestJudgesThem) {
    device::InstallComplete();
    device::ExpectPieces(Program::Cgi(PROGRAMS_DIR "/lansettings.cgi", "GET", "sessionid=3").Run().out,
                         "now: 192.0.2.10<|now: 255.255.255.0<|now: 192.168.1.1<");
    const std::string wlan = "sessionid=3&submit=Save&security=105&ssid=w&band=1&roaming=0&country=&psk=12345678";
    EXPECT_EQ(Program::Cgi(PROGRAMS_DIR "/setwlansettings.cgi", "POST", wlan).Run().out,
              "Location: wlansettings.cgi?sessionid=3&saved=1\n\n\n");
    ASSERT_EQ(::mkfifo(device::kPipe, 0600), 0);  // nobody reads it
    const auto selfTest = [] { return Program::Cgi(PROGRAMS_DIR "/selftest.cgi", "GET", "sessionid=3").Run().out; };
    device::ExpectPieces(selfTest(), "Power-fail state</td><td>31</td><td class=\"warning\" >|Supply voltage KL15</td><td>12.4 V"
                         "</td><td class=\"information\" >|Backup of the agent configuration</td><td>present</td><td class=\"passed\""
                         "|Settings pipe of the device software</td><td>nobody reads it: changed TOL settings go unnoticed</td>"
                         "<td class=\"warning\" >|wpa_supplicant configuration</td><td>as the stored WLAN settings give it</td><td class=\"passed\" >|State "
                         "summary</td><td>[0+;1?;2+;3+]: free; an ORVA-C or ORVA-D unit is attached; MOST interface found, light on;"
                         " vehicle link available<|Vehicle link</td><td>link available, VIN WXYZ1234567890123<");
    EXPECT_EQ(Program({PROGRAMS_DIR "/zelconfig", "set", "wlan.conf.infra.ssid", "other"}).Run().status, 0);
    device::Write(device::kConfig, device::Read(device::kConfig) + "a line without its equals sign\n");
    device::ExpectPieces(selfTest(), "1 line without \"=\" that every reader ignores</td><td class=\"warning\"|"
                         "differs from what the stored WLAN settings give</td><td class=\"warning\"");
}
