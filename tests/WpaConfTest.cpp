// The wpa_supplicant configuration written from the agent configuration, in the private
// root (its /config holds the settings).

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "ConfigWebLogging.h"
#include "FileText.h"
#include "LogFile.h"
#include "WpaConf.h"

namespace {

constexpr const char* kPath = "/tmp/wpa.conf";
constexpr const char* kPrevious = "previous file\n";
constexpr const char* k24GHz =
    "2412 2417 2422 2427 2432 2437 2442 2447 2452 2457 2462 2467 2472 2484";
constexpr const char* k5GHz =
    "5180 5200 5220 5240 5260 5280 5300 5320 5500 5520 5540 5560 5580 5600 5620 5640 5660 "
    "5680 5700 5745 5765 5785 5805 5825";

using Settings = std::map<std::string, std::string>;

const Settings kPskNetwork = {
    {"wlan.conf.infra.security.level", "105"}, {"country.code", "DE"},
    {"wlan.conf.infra.ssid", "workshop"},      {"wlan.conf.infra.band", "1"},
    {"wlan.conf.infra.roaming.enable", "0"},   {"wlan.conf.infra.psk", "secret key"},
};

Settings With(Settings settings, const Settings& changes) {
    for (const auto& [key, value] : changes) settings[key] = value;
    return settings;
}

Settings Without(Settings settings, const std::string& key) {
    settings.erase(key);
    return settings;
}

// Writes the settings as the agent configuration and the configuration file.
int Create(const Settings& settings) {
    std::string file;
    for (const auto& [key, value] : settings) file += key + "=" + value + "\n";
    filetext::Write("/config/agent.configuration", file);
    WpaConf writer;
    return writer.CreateWpaConf(kPath);
}

std::string Lines(const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& line : lines) text += line + "\n";
    return text;
}

std::string Head(const std::string& frequencies, bool fastRoaming = true) {
    return Lines({"ap_scan=1", "country=DE"}) + (fastRoaming ? "okc=1\nfast_reauth=1\n" : "") +
           Lines({"network={", "  scan_ssid=1", "  ssid=\"workshop\"", "  scan_freq=" + frequencies,
                  "  freq_list=" + frequencies});
}

const std::string kProtection = "  peerkey=1\n  ieee80211w=1\n";

TEST(WpaConfTest, PreSharedKeyAndOpenNetworksOnEitherBand) {
    ASSERT_EQ(Create(kPskNetwork), 0);
    EXPECT_EQ(filetext::Read(kPath), Head(k24GHz) + kProtection +
                                         Lines({"  proto=RSN", "  key_mgmt=WPA-PSK WPA-PSK-SHA256",
                                                "  psk=\"secret key\"", "}"}));
    ASSERT_EQ(Create(With(kPskNetwork, {{"wlan.conf.infra.security.level", "107"},
                                        {"wlan.conf.infra.band", "0"}})),
              0);
    EXPECT_EQ(filetext::Read(kPath), Head(k5GHz) + kProtection +
                                         Lines({"  proto=WPA", "  key_mgmt=WPA-PSK WPA-PSK-SHA256",
                                                "  psk=\"secret key\"", "}"}));
    ASSERT_EQ(Create(With(kPskNetwork, {{"wlan.conf.infra.security.level", "104"}})), 0);
    EXPECT_EQ(filetext::Read(kPath), Head(k24GHz, false) + "  key_mgmt=NONE\n}\n");
}

TEST(WpaConfTest, RoamingAddsThresholdAndBackgroundScan) {
    const Settings roaming = With(kPskNetwork, {{"wlan.conf.infra.roaming.enable", "1"},
                                                {"wlan.conf.infra.security.level", "104"}});
    const std::string bgscan = "  bgscan=\"learn:10:-70:30:/config/bgscan.dat\"\n";
    ASSERT_EQ(Create(roaming), 0);
    EXPECT_EQ(filetext::Read(kPath),
              Head(k24GHz, false) + "  roaming_threshold=15\n" + bgscan + "  key_mgmt=NONE\n}\n");
    ASSERT_EQ(Create(With(roaming, {{"wlan.conf.infra.roaming.threshold", "-60"}})), 0);
    EXPECT_EQ(filetext::Read(kPath),
              Head(k24GHz, false) + "  roaming_threshold=-60\n" + bgscan + "  key_mgmt=NONE\n}\n");
}

TEST(WpaConfTest, EapBlocksWithTheirCipherLists) {
    const Settings peap = With(kPskNetwork, {{"wlan.conf.infra.security.level", "108"},
                                             {"wlan.conf.infra.authentication", "EAP-PEAP"},
                                             {"wlan.conf.infra.encryption.type", "AES"},
                                             {"wlan.conf.infra.peapuser", "tech"},
                                             {"wlan.conf.infra.peappw", "pass word"}});
    ASSERT_EQ(Create(peap), 0);
    EXPECT_EQ(filetext::Read(kPath),
              Head(k24GHz) + kProtection +
                  Lines({"  proto=WPA", "  key_mgmt=WPA-EAP WPA-EAP-SHA256", "  pairwise=CCMP TKIP",
                         "  group=CCMP TKIP", "  eap=PEAP", "  identity=\"tech\"",
                         "  password=\"pass word\"", "  phase1=\"peapver=0\"",
                         "  phase2=\"auth=MSCHAPV2\"", "}"}));
    ASSERT_EQ(Create(With(peap, {{"wlan.conf.infra.security.level", "106"},
                                 {"wlan.conf.infra.authentication", "EAP-TLS"},
                                 {"wlan.conf.infra.encryption.type", "TKIP"}})),
              0);
    EXPECT_EQ(filetext::Read(kPath),
              Head(k24GHz) + kProtection +
                  Lines({"  proto=RSN", "  key_mgmt=WPA-EAP WPA-EAP-SHA256", "  pairwise=TKIP CCMP",
                         "  group=TKIP CCMP", "  eap=TLS", "  identity=\"tech\"",
                         "  ca_cert=\"/config/cacert\"", "  client_cert=\"/config/client_cert\"",
                         "  private_key=\"/config/private_key\"", "}"}));
    ASSERT_EQ(Create(Without(peap, "wlan.conf.infra.encryption.type")), 0);
    EXPECT_NE(filetext::Read(kPath).find("  pairwise=CCMP\n  group=CCMP TKIP\n"),
              std::string::npos);
    // No known method: an empty file, as the default level -1 gives.
    ASSERT_EQ(Create({{"wlan.conf.infra.security.level", "-1"}}), 0);
    EXPECT_TRUE(filetext::Exists(kPath));
    EXPECT_EQ(filetext::Read(kPath), "");
}

TEST(WpaConfTest, AccessPointBlock) {
    ASSERT_EQ(Create({{"wlan.conf.infra.security.level", "109"},
                      {"wlan.conf.ap.ssid", "ORVA 1912345"},
                      {"wlan.conf.ap.psk", "device key"},
                      {"wlan.conf.ap.channel", "6"}}),
              0);
    EXPECT_EQ(filetext::Read(kPath),
              Lines({"network={", "  channel=6", "  mode=3", "  ssid=\"ORVA 1912345\"",
                     "  proto=RSN", "  key_mgmt=WPA-PSK", "  psk=\"device key\"", "}"}));
}

TEST(WpaConfTest, EveryFailureKeepsThePreviousFile) {
    const Settings peap = With(kPskNetwork, {{"wlan.conf.infra.security.level", "106"},
                                             {"wlan.conf.infra.authentication", "EAP-PEAP"},
                                             {"wlan.conf.infra.peapuser", "tech"},
                                             {"wlan.conf.infra.peappw", "pw"}});
    const Settings accessPoint = {{"wlan.conf.infra.security.level", "109"},
                                  {"wlan.conf.ap.ssid", "ap"},
                                  {"wlan.conf.ap.psk", "key"},
                                  {"wlan.conf.ap.channel", "6"}};
    const std::pair<const char*, Settings> failures[] = {
        {"no level", Without(kPskNetwork, "wlan.conf.infra.security.level")},
        {"no country", Without(kPskNetwork, "country.code")},
        {"no ssid", Without(kPskNetwork, "wlan.conf.infra.ssid")},
        {"band 2", With(kPskNetwork, {{"wlan.conf.infra.band", "2"}})},
        {"no psk", Without(kPskNetwork, "wlan.conf.infra.psk")},
        {"no password", Without(peap, "wlan.conf.infra.peappw")},
        {"no tls user", With(Without(peap, "wlan.conf.infra.peapuser"),
                             {{"wlan.conf.infra.authentication", "EAP-TLS"}})},
        {"no ap ssid", Without(accessPoint, "wlan.conf.ap.ssid")},
        {"quote in ssid", With(kPskNetwork, {{"wlan.conf.infra.ssid", "a\"b"}})},
        {"control byte in psk", With(kPskNetwork, {{"wlan.conf.infra.psk", "a\x01z"}})},
        {"comment in channel", With(accessPoint, {{"wlan.conf.ap.channel", "6#x"}})},
        {"delete in country", With(kPskNetwork, {{"country.code", "D\x7f"}})},
    };
    for (const auto& [name, settings] : failures) {
        filetext::Write(kPath, kPrevious);
        EXPECT_EQ(Create(settings), -1) << name;
        EXPECT_EQ(filetext::Read(kPath), kPrevious) << name;
        EXPECT_FALSE(filetext::Exists(std::string(kPath) + ".new")) << name;
    }
    // A "#" inside quotes is read as it is.
    EXPECT_EQ(Create(With(kPskNetwork, {{"wlan.conf.infra.psk", "#1"}})), 0);
}

TEST(WpaConfTest, FailuresAreLoggedWithoutTheirValues) {
    {
        ConfigWebLogging logging;
        WpaConf writer;
        EXPECT_EQ(writer.CreateWpaConf("/tmp/missing/wpa.conf"), -1);
        Create(With(kPskNetwork, {{"wlan.conf.infra.psk", "top\"secret"}}));
    }
    const std::string cantOpen = logfile::LineWithMessage("Can't open /tmp/missing/wpa.conf");
    EXPECT_NE(cantOpen.find("error     configwebloghandler"), std::string::npos) << cantOpen;
    EXPECT_NE(cantOpen.find("WpaConf"), std::string::npos) << cantOpen;
    EXPECT_EQ(logfile::CountMessage("Setting wlan.conf.infra.psk refused: wpa_supplicant would "
                                    "read it differently; /tmp/wpa.conf left as it was"),
              1u);
    EXPECT_EQ(filetext::Read(logfile::kPath).find("top"), std::string::npos);
}

}  // namespace
