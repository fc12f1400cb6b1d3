#include "WpaConf.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "AgentConfiguration.h"
#include "AtomicFile.h"
#include "CNumber.h"
#include "ConfigWebLog.h"

namespace {

constexpr const char* kLogSource = "WpaConf";

constexpr const char* kProtoRsn = "RSN";
constexpr const char* kProtoWpa = "WPA";
constexpr const char* kDefaultRoamingThreshold = "15";

constexpr const char* kFrequencies24GHz =
    "2412 2417 2422 2427 2432 2437 2442 2447 2452 2457 2462 2467 2472 2484";
constexpr const char* kFrequencies5GHz =
    "5180 5200 5220 5240 5260 5280 5300 5320 5500 5520 5540 5560 5580 5600 5620 5640 5660 5680 "
    "5700 5745 5765 5785 5805 5825";

constexpr const char* kNetworkOpen = "network={";
constexpr const char* kNetworkClose = "}";
constexpr const char* kBgscanLine = "  bgscan=\"learn:10:-70:30:/config/bgscan.dat\"";

bool IsLineSafe(unsigned char byte) { return byte >= 0x20 && byte != 0x7f && byte != '"'; }

}  // namespace

WpaConf::WpaConf() = default;

WpaConf::~WpaConf() = default;

bool WpaConf::IsCountryCode(const std::string& code) {
    const auto letter = [](char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); };
    return code.size() == 2 && letter(code[0]) && letter(code[1]);
}

bool WpaConf::IsRawKey(const std::string& psk) {
    return psk.size() == kRawKeyDigits && std::all_of(psk.begin(), psk.end(), [](char c) {
               return CNumber::DigitValue(static_cast<unsigned char>(c)) < 16;
           });
}

bool WpaConf::IsWritable(const std::string& value, bool quoted) {
    for (char c : value) {
        const auto byte = static_cast<unsigned char>(c);
        // Outside quotes wpa_supplicant takes "#" for the start of a comment.
        if (!IsLineSafe(byte) || (!quoted && byte == '#')) return false;
    }
    return true;
}

bool WpaConf::IsSsid(const std::string& ssid) {
    return ssid.size() <= kMaxSsidBytes && IsWritable(ssid, true);
}

bool WpaConf::IsKey(const std::string& psk) {
    return IsRawKey(psk) ||
           (psk.size() >= kMinPassphrase && psk.size() <= kMaxPassphrase && IsWritable(psk, true));
}

int WpaConf::CreateWpaConf(const std::string& path) {
    WEB_DEBUG("%s", kCreateMessage);
    AtomicFile file(path, path + kTempSuffix, kFileMode);
    if (!file.Open()) {
        WEB_ERROR(zellog::kCantOpen, path.c_str());
        return -1;
    }
    targetPath = path;
    if (Render() != 0) return -1;
    if (file.Commit(text, AtomicFile::Durability::Durable) == AtomicFile::Outcome::Unchanged) {
        WEB_ERROR(kCantWrite, path.c_str(), std::strerror(errno));
        return -1;
    }
    return 0;
}

int WpaConf::RenderWpaConf(const std::string& path, std::string& rendered) {
    targetPath = path;
    const int result = Render();
    rendered.swap(text);
    return result;
}

int WpaConf::Render() {
    text.clear();
    AgentConfiguration agentConfiguration;
    configuration = &agentConfiguration;
    const int result = WriteNetwork();
    configuration = nullptr;
    return result;
}

int WpaConf::WriteNetwork() {
    std::string level;
    if (!Require(kSecurityLevelKey, level)) return -1;
    switch (CNumber::Atoi(level)) {
        case kLevelOpen:
            return WriteOpenBlock();
        case kLevelPskRsn:
            return WritePskBlock(kProtoRsn);
        case kLevelPskWpa:
            return WritePskBlock(kProtoWpa);
        case kLevelAccessPoint:
            return WriteAccessPointBlock();
        case kLevelEapRsn:
            return WriteEapBlock(kProtoRsn);
        default:
            return WriteEapBlock(kProtoWpa);
    }
}

int WpaConf::WriteOpenBlock() {
    if (WriteGlobalLines() != 0 || WriteNetworkHead() != 0) return -1;
    AddLine("  key_mgmt=NONE");
    AddLine(kNetworkClose);
    return 0;
}

int WpaConf::WritePskBlock(const char* proto) {
    std::string psk;
    if (WriteSecuredHead() != 0 || !Require(kPskKey, psk)) return -1;
    AddLine(std::string("  proto=") + proto);
    AddLine("  key_mgmt=WPA-PSK WPA-PSK-SHA256");
    if (!AddKey(kPskKey, psk)) return -1;
    AddLine(kNetworkClose);
    return 0;
}

int WpaConf::WriteEapBlock(const char* proto) {
    const Ciphers ciphers = ChooseCiphers();
    const std::string method = configuration->Get(kAuthenticationKey);
    if (method == kPeap) return WritePeapBlock(proto, ciphers);
    if (method == kTls) return WriteTlsBlock(proto, ciphers);
    return 0;
}

int WpaConf::WritePeapBlock(const char* proto, const Ciphers& ciphers) {
    std::string user;
    std::string password;
    if (WriteSecuredHead() != 0 || !Require(kUserKey, user) || !Require(kPasswordKey, password)) {
        return -1;
    }
    WriteEapHead(proto, ciphers);
    AddLine("  eap=PEAP");
    if (!AddValue("  identity=", kUserKey, user, true) ||
        !AddValue("  password=", kPasswordKey, password, true)) {
        return -1;
    }
    AddLine("  phase1=\"peapver=0\"");
    AddLine("  phase2=\"auth=MSCHAPV2\"");
    AddLine(kNetworkClose);
    return 0;
}

int WpaConf::WriteTlsBlock(const char* proto, const Ciphers& ciphers) {
    std::string user;
    if (WriteSecuredHead() != 0 || !Require(kUserKey, user)) return -1;
    WriteEapHead(proto, ciphers);
    AddLine("  eap=TLS");
    if (!AddValue("  identity=", kUserKey, user, true)) return -1;
    AddLine("  ca_cert=\"/config/cacert\"");
    AddLine("  client_cert=\"/config/client_cert\"");
    AddLine("  private_key=\"/config/private_key\"");
    AddLine(kNetworkClose);
    return 0;
}

int WpaConf::WriteAccessPointBlock() {
    std::string psk;
    std::string ssid;
    std::string channel;
    if (!Require(kApPskKey, psk) || !Require(kApSsidKey, ssid) ||
        !Require(kApChannelKey, channel)) {
        return -1;
    }
    AddLine(kNetworkOpen);
    if (!AddValue("  channel=", kApChannelKey, channel, false)) return -1;
    AddLine("  mode=3");
    if (!AddSsid(kApSsidKey, ssid)) return -1;
    AddLine("  proto=RSN");
    AddLine("  key_mgmt=WPA-PSK");
    if (!AddKey(kApPskKey, psk)) return -1;
    AddLine(kNetworkClose);
    return 0;
}

int WpaConf::WriteSecuredHead() {
    if (WriteGlobalLines() != 0) return -1;
    WriteRoamingLines();
    if (WriteNetworkHead() != 0) return -1;
    WriteProtectionLines();
    return 0;
}

int WpaConf::WriteGlobalLines() {
    std::string country;
    if (!Require(kCountryKey, country)) return -1;
    AddLine("ap_scan=1");
    // Without a code wpa_supplicant keeps its world regulatory domain.
    if (country.empty()) return 0;
    if (!IsCountryCode(country)) return Refuse(kCountryKey) ? 0 : -1;
    return AddValue("country=", kCountryKey, country, false) ? 0 : -1;
}

void WpaConf::WriteRoamingLines() {
    AddLine("okc=1");
    AddLine("fast_reauth=1");
}

int WpaConf::WriteNetworkHead() {
    std::string ssid;
    if (!Require(kSsidKey, ssid)) return -1;
    const std::string band = configuration->Get(kBandKey);
    if (band != kBand5GHz && band != kBand24GHz) {
        WEB_ERROR(kInvalidBand, band.c_str(), targetPath.c_str());
        return -1;
    }
    const std::string roaming = configuration->Get(kRoamingKey);
    WEB_DEBUG(kRoamingMessage, roaming.c_str());
    std::string threshold = kDefaultRoamingThreshold;
    configuration->Find(kRoamingThresholdKey, threshold);
    const std::string frequencies = band == kBand5GHz ? kFrequencies5GHz : kFrequencies24GHz;
    AddLine(kNetworkOpen);
    AddLine("  scan_ssid=1");
    if (!AddSsid(kSsidKey, ssid)) return -1;
    AddLine("  scan_freq=" + frequencies);
    AddLine("  freq_list=" + frequencies);
    if (roaming != kRoamingOn) return 0;
    if (!AddValue("  roaming_threshold=", kRoamingThresholdKey, threshold, false)) return -1;
    AddLine(kBgscanLine);
    return 0;
}

void WpaConf::WriteProtectionLines() {
    AddLine("  peerkey=1");
    AddLine("  ieee80211w=1");
}

void WpaConf::WriteEapHead(const char* proto, const Ciphers& ciphers) {
    AddLine(std::string("  proto=") + proto);
    AddLine("  key_mgmt=WPA-EAP WPA-EAP-SHA256");
    AddLine(std::string("  pairwise=") + ciphers.pairwise);
    AddLine(std::string("  group=") + ciphers.group);
}

WpaConf::Ciphers WpaConf::ChooseCiphers() const {
    const std::string type = configuration->Get(kEncryptionKey);
    if (type == kAes) return {"CCMP TKIP", "CCMP TKIP"};
    if (type == kTkip) return {"TKIP CCMP", "TKIP CCMP"};
    return {"CCMP", "CCMP TKIP"};
}

bool WpaConf::Require(const char* key, std::string& value) const {
    if (configuration->Find(key, value)) return true;
    WEB_ERROR(kMissingSetting, key, targetPath.c_str());
    return false;
}

bool WpaConf::Refuse(const char* key) const {
    WEB_ERROR(kRefusedSetting, key, targetPath.c_str());
    return false;
}

bool WpaConf::AddSsid(const char* key, const std::string& ssid) {
    if (!IsSsid(ssid)) return Refuse(key);
    return AddValue("  ssid=", key, ssid, true);
}

// 64 hexadecimal digits are the raw key, written bare; anything else is a passphrase.
bool WpaConf::AddKey(const char* key, const std::string& psk) {
    if (!IsKey(psk)) return Refuse(key);
    return AddValue("  psk=", key, psk, !IsRawKey(psk));
}

bool WpaConf::AddValue(const char* prefix, const char* key, const std::string& value, bool quoted) {
    if (!IsWritable(value, quoted)) return Refuse(key);
    AddLine(quoted ? prefix + ('"' + value + '"') : prefix + value);
    return true;
}

void WpaConf::AddLine(const std::string& line) { text.append(line).append(1, '\n'); }
