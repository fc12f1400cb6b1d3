// The wpa_supplicant configuration written from the agent configuration file, in the private
// root: each row's settings are that file, and the row's file what the writer leaves.

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <map>

#include "ConfigWebLogging.h"
#include "Device.h"
#include "Program.h"
#include "WlanSettingsCgi.h"
#include "WpaConf.h"

namespace {

using namespace device;

constexpr const char* kPath = "/tmp/wpa.conf";
constexpr const char* kPrevious = "previous file\n";
#define BAND_24 "2412 2417 2422 2427 2432 2437 2442 2447 2452 2457 2462 2467 2472 2484"
#define BAND_5                                                                                 \
    "5180 5200 5220 5240 5260 5280 5300 5320 5500 5520 5540 5560 5580 5600 5620 5640 5660 5680 " \
    "5700 5745 5765 5785 5805 5825"
#define HEAD(roam, band)                                                            \
    "ap_scan=1\ncountry=DE\n" roam "network={\n  scan_ssid=1\n  ssid=\"workshop\"\n" \
    "  scan_freq=" band "\n  freq_list=" band "\n"
#define RAW "0123456789abcdefABCDEF0123456789abcdefABCDEF0123456789abcdef0123"
#define FAST "okc=1\nfast_reauth=1\n"
#define PROTECTED "  peerkey=1\n  ieee80211w=1\n"

constexpr const char* kRead = "read";  // written; the real reader must take it as meant

struct Row {
    std::string settings;  // "key=value" lines over the pre-shared key network below
    const char* file;      // the exact file, kRead, or nullptr: refused, the previous file kept
};

const std::map<std::string, std::string> kNetwork = {
    {"wlan.conf.infra.security.level", "105"}, {"country.code", "DE"},
    {"wlan.conf.infra.ssid", "workshop"},      {"wlan.conf.infra.band", "1"},
    {"wlan.conf.infra.roaming.enable", "0"},   {"wlan.conf.infra.psk", "secret key"},
    {"wlan.conf.infra.peapuser", "tech"},      {"wlan.conf.infra.peappw", "pass word"},
    {"wlan.conf.ap.ssid", "ORVA 1912345"},     {"wlan.conf.ap.psk", "device key"},
    {"wlan.conf.ap.channel", "6"}};

std::vector<Row> Rows() {
    const std::string ssid32(32, 's'), utf8 = "Werkstatt \xc3\xa9\xc3\xa8", psk63(63, 'p'), raw = RAW;
    const std::string peap = "wlan.conf.infra.security.level=108\nwlan.conf.infra.authentication=EAP-PEAP\n";
    const std::string ap = "wlan.conf.infra.security.level=109\n", ssid = "wlan.conf.infra.ssid=";
    const std::string psk = "wlan.conf.infra.psk=", user = peap + "wlan.conf.infra.peapuser=";
    // clang-format off
    return {
        {"", HEAD(FAST, BAND_24) PROTECTED "  proto=RSN\n  key_mgmt=WPA-PSK WPA-PSK-SHA256\n  psk=\"secret key\"\n}\n"},
        {"wlan.conf.infra.security.level=107\nwlan.conf.infra.band=0",
         HEAD(FAST, BAND_5) PROTECTED "  proto=WPA\n  key_mgmt=WPA-PSK WPA-PSK-SHA256\n  psk=\"secret key\"\n}\n"},
        {"wlan.conf.infra.security.level=104", HEAD("", BAND_24) "  key_mgmt=NONE\n}\n"},
        {"wlan.conf.infra.security.level=104\nwlan.conf.infra.roaming.enable=1",
         HEAD("", BAND_24) "  roaming_threshold=15\n  bgscan=\"learn:10:-70:30:/config/bgscan.dat\"\n  key_mgmt=NONE\n}\n"},
        {"wlan.conf.infra.security.level=104\nwlan.conf.infra.roaming.enable=1\nwlan.conf.infra.roaming.threshold=-60",
         HEAD("", BAND_24) "  roaming_threshold=-60\n  bgscan=\"learn:10:-70:30:/config/bgscan.dat\"\n  key_mgmt=NONE\n}\n"},
        {peap + "wlan.conf.infra.encryption.type=AES",
         HEAD(FAST, BAND_24) PROTECTED "  proto=WPA\n  key_mgmt=WPA-EAP WPA-EAP-SHA256\n  pairwise=CCMP TKIP\n  group=CCMP TKIP\n"
         "  eap=PEAP\n  identity=\"tech\"\n  password=\"pass word\"\n  phase1=\"peapver=0\"\n  phase2=\"auth=MSCHAPV2\"\n}\n"},
        {"wlan.conf.infra.security.level=106\nwlan.conf.infra.authentication=EAP-TLS\nwlan.conf.infra.encryption.type=TKIP",
         HEAD(FAST, BAND_24) PROTECTED "  proto=RSN\n  key_mgmt=WPA-EAP WPA-EAP-SHA256\n  pairwise=TKIP CCMP\n  group=TKIP CCMP\n"
         "  eap=TLS\n  identity=\"tech\"\n  ca_cert=\"/config/cacert\"\n  client_cert=\"/config/client_cert\"\n"
         "  private_key=\"/config/private_key\"\n}\n"},
        {peap, HEAD(FAST, BAND_24) PROTECTED "  proto=WPA\n  key_mgmt=WPA-EAP WPA-EAP-SHA256\n  pairwise=CCMP\n  group=CCMP TKIP\n"
         "  eap=PEAP\n  identity=\"tech\"\n  password=\"pass word\"\n  phase1=\"peapver=0\"\n  phase2=\"auth=MSCHAPV2\"\n}\n"},
        {"wlan.conf.infra.security.level=-1", ""},
        {ap, "network={\n  channel=6\n  mode=3\n  ssid=\"ORVA 1912345\"\n  proto=RSN\n  key_mgmt=WPA-PSK\n  psk=\"device key\"\n}\n"},
        {psk + "#1234567", HEAD(FAST, BAND_24) PROTECTED "  proto=RSN\n  key_mgmt=WPA-PSK WPA-PSK-SHA256\n  psk=\"#1234567\"\n}\n"},
        {psk + raw, HEAD(FAST, BAND_24) PROTECTED "  proto=RSN\n  key_mgmt=WPA-PSK WPA-PSK-SHA256\n  psk=" RAW "\n}\n"},
        {"country.code=\nwlan.conf.infra.security.level=104",
         "ap_scan=1\nnetwork={\n  scan_ssid=1\n  ssid=\"workshop\"\n  scan_freq=" BAND_24 "\n  freq_list=" BAND_24 "\n  key_mgmt=NONE\n}\n"},
        {peap + "wlan.conf.infra.encryption.type=TKIP", kRead}, {ssid + "two words", kRead}, {ssid + "a#b", kRead},
        {ssid + "back\\slash", kRead}, {ssid + utf8, kRead}, {ssid + ssid32, kRead}, {ssid + "x", kRead}, {ssid + "it's", kRead},
        {ssid + std::string(16, 'x') + "\xc3\xa9" + std::string(14, 'x'), kRead}, {ssid, kRead}, {psk + "12345678", kRead},
        {psk + psk63, kRead}, {psk + "with  blanks", kRead}, {psk + "back\\slash", kRead}, {psk + "p\xc3\xa4sswort", kRead},
        {psk + std::string(64, 'A'), kRead}, {psk + "it's a key", kRead}, {user + "DOMAIN\\tech", kRead},
        {user + "tech@example.com", kRead}, {user + utf8, kRead}, {peap + "wlan.conf.infra.peappw=#p a\\ss", kRead},
        {peap + "wlan.conf.infra.peappw=x", kRead}, {ap + "wlan.conf.ap.ssid=" + ssid32, kRead},
        {ap + "wlan.conf.ap.psk=" + psk63, kRead}, {ap + "wlan.conf.ap.psk=" + raw, kRead}, {ap + "wlan.conf.ap.ssid=ORVA #1", kRead},
        {"country.code=US", kRead}, {"wlan.conf.infra.security.level", nullptr}, {"country.code", nullptr},
        {"wlan.conf.infra.ssid", nullptr}, {"wlan.conf.infra.band=2", nullptr}, {"wlan.conf.infra.psk", nullptr},
        {"wlan.conf.infra.security.level=106\nwlan.conf.infra.authentication=EAP-PEAP\nwlan.conf.infra.peappw", nullptr},
        {"wlan.conf.infra.security.level=106\nwlan.conf.infra.authentication=EAP-TLS\nwlan.conf.infra.peapuser", nullptr},
        {ap + "wlan.conf.ap.ssid", nullptr}, {ap + "wlan.conf.ap.channel", nullptr}, {ssid + "a\"b", nullptr},
        {psk + "a\x01z", nullptr}, {ap + "wlan.conf.ap.channel=6#x", nullptr}, {"country.code=D\x7f", nullptr},
        {"country.code=D", nullptr}, {"country.code=DEU", nullptr}, {"country.code=1A", nullptr}, {psk + "1234567", nullptr},
        {psk, nullptr}, {psk + psk63 + "pp", nullptr}, {psk + std::string(63, 'a') + "g", nullptr},
        {ap + "wlan.conf.ap.psk=short", nullptr}, {ssid + ssid32 + "s", nullptr}, {ap + "wlan.conf.ap.ssid=" + ssid32 + "s", nullptr},
    };
    // clang-format on
}

// The network's settings with the changes ("key=value" sets, a bare key removes).
std::string Settings(const std::string& changes) {
    std::map<std::string, std::string> settings = kNetwork;
    for (const std::string& line : Lines(changes)) {
        const size_t equals = line.find('=');
        if (equals == std::string::npos) settings.erase(line);
        if (equals != std::string::npos) settings[line.substr(0, equals)] = line.substr(equals + 1);
    }
    std::string file;
    for (const auto& [key, value] : settings) file += key + "=" + value + "\n";
    return file;
}

// What wpa_supplicant says of the file, without the two lines Debian's build doesn't know.
std::string ReaderComplaints(const std::string& file) {
    std::string copy;
    for (const std::string& line : Lines(file)) {
        if (line.rfind("  channel=", 0) != 0 && line.rfind("  roaming_threshold=", 0) != 0) copy += line + "\n";
    }
    Write("/tmp/reader.conf", copy);
    if (std::system("/usr/sbin/wpa_supplicant -c /tmp/reader.conf -i lo -D wired -dd > /tmp/reader.out 2>&1") == -1) return "no shell";
    const std::string output = Read("/tmp/reader.out");
    if (output.find("Reading configuration file") == std::string::npos) return output;
    std::string complaints;
    for (const std::string& line : Lines(output)) {
        for (const char* sign : {"failed to parse", "Invalid", "Failed to read", "not found"}) {
            if (line.find(sign) != std::string::npos) complaints += line + "\n";
        }
    }
    return complaints;
}

// Each row written exactly or refused with the previous file kept; every written file is read
// by the real wpa_supplicant as meant.
TEST(WpaConfTest, EachRowIsWrittenAsTheReaderTakesItOrRefused) {
    ASSERT_TRUE(Exists("/usr/sbin/wpa_supplicant")) << "wpa_supplicant is not installed (scripts/setup-deps)";
    for (const Row& row : Rows()) {
        Write(kConfig, Settings(row.settings)), Write(kPath, kPrevious);
        EXPECT_EQ(WpaConf().CreateWpaConf(kPath), row.file != nullptr ? 0 : -1) << row.settings;
        const std::string file = Read(kPath);
        EXPECT_EQ(file, row.file == nullptr ? kPrevious : row.file == kRead ? file : row.file) << row.settings;
        EXPECT_EQ(row.file != nullptr && *row.file != '\0' ? ReaderComplaints(file) : "", "") << row.settings << "\n" << file;
        const auto mode = static_cast<int>(std::filesystem::status(kPath).permissions());  // 0600: it holds keys
        EXPECT_TRUE(!Exists(std::string(kPath) + ".new") && (row.file == nullptr || mode == 0600)) << row.settings;
    }
}

// After the WLAN page's save of each security level the file it writes holds keys (0600) and is
// read by the real reader as meant; a file that can't be written is reported, the save kept.
TEST(WpaConfTest, TheWlanPageWritesAFileTheReaderTakesForEveryLevel) {
    const std::string infra = "ssid=workshop&band=1&roaming=1&roamingthreshold=20&country=DE&", eap = infra + "identity=tech&";
    for (const std::string& level : {"104&" + infra, "105&" + infra + "psk=secret%20key", "107&" + infra + "psk=" RAW,
                                     "106&" + eap + "encryption=AES&authentication=EAP-PEAP&password=pass%20word",
                                     "108&" + eap + "encryption=&authentication=EAP-TLS", std::string("-1"),
                                     std::string("109&apssid=ORVA%201&appsk=device%20key&apchannel=6")}) {
        Write(kConfig, "");
        const std::string request = "sessionid=1&submit=Save&security=" + level;
        EXPECT_EQ(Program::Cgi(PROGRAMS_DIR "/setwlansettings.cgi", "POST", request).Run().out,
                  "Location: wlansettings.cgi?sessionid=1&saved=1\n\n\n");
        const std::string file = Read(WlanSettingsCgi::kWpaConfPath);
        EXPECT_EQ(file.empty() ? "" : ReaderComplaints(file), "") << level << "\n" << file;
        EXPECT_EQ(static_cast<int>(std::filesystem::status(WlanSettingsCgi::kWpaConfPath).permissions()), 0600);
        EXPECT_EQ(file.empty(), level == "-1") << level;
    }
    std::filesystem::create_directory(std::string(WlanSettingsCgi::kWpaConfPath) + ".new");
    EXPECT_EQ(Program::Cgi(PROGRAMS_DIR "/setwlansettings.cgi", "POST", "sessionid=1&submit=Save&security=-1").Run().out,
              "Location: wlansettings.cgi?sessionid=1&saved=1&wpafailed=1\n\n\n");
}

TEST(WpaConfTest, FailuresAreLoggedWithoutTheirValues) {
    {
        ConfigWebLogging logging;
        EXPECT_EQ(WpaConf().CreateWpaConf("/tmp/missing/wpa.conf"), -1);
        Write(kConfig, Settings("wlan.conf.infra.psk=top\"secret"));
        EXPECT_EQ(WpaConf().CreateWpaConf(kPath), -1);
    }
    ExpectPieces(Read(kLog), "Can't open /tmp/missing/wpa.conf|Setting wlan.conf.infra.psk refused: wpa_supplicant would "
                             "read it differently; /tmp/wpa.conf left as it was|!top");
}

}  // namespace
