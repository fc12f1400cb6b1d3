#ifndef CONFIGWEB_WPACONF_H
#define CONFIGWEB_WPACONF_H

#include <sys/types.h>

#include <cstdint>
#include <string>

class AgentConfiguration;

// Writes the wpa_supplicant configuration from the WLAN settings of the agent
// configuration: the global lines, then one network block, chosen by
// "wlan.conf.infra.security.level": 104 open, 105 and 107 pre-shared key (proto RSN and
// WPA), 106 EAP with proto RSN, 109 the device's own access point, any other level EAP
// with proto WPA ("wlan.conf.infra.authentication" "EAP-PEAP" or "EAP-TLS"; anything else
// writes no line).
//
// The file is written under PATH.new (mode 0600: it holds keys) in the same folder and
// renamed over PATH only when complete, so a reader sees the previous file or the new one,
// and a failure leaves the previous file as it was.
class WpaConf {
public:
    static constexpr const char* kSecurityLevelKey = "wlan.conf.infra.security.level";
    static constexpr const char* kCountryKey = "country.code";
    static constexpr const char* kSsidKey = "wlan.conf.infra.ssid";
    static constexpr const char* kBandKey = "wlan.conf.infra.band";
    static constexpr const char* kRoamingKey = "wlan.conf.infra.roaming.enable";
    static constexpr const char* kRoamingThresholdKey = "wlan.conf.infra.roaming.threshold";
    static constexpr const char* kPskKey = "wlan.conf.infra.psk";
    static constexpr const char* kEncryptionKey = "wlan.conf.infra.encryption.type";
    static constexpr const char* kAuthenticationKey = "wlan.conf.infra.authentication";
    static constexpr const char* kUserKey = "wlan.conf.infra.peapuser";
    static constexpr const char* kPasswordKey = "wlan.conf.infra.peappw";
    static constexpr const char* kApSsidKey = "wlan.conf.ap.ssid";
    static constexpr const char* kApPskKey = "wlan.conf.ap.psk";
    static constexpr const char* kApChannelKey = "wlan.conf.ap.channel";

    // The values of the settings that choose what is written.
    static constexpr const char* kBand5GHz = "0";
    static constexpr const char* kBand24GHz = "1";
    static constexpr const char* kRoamingOn = "1";
    static constexpr const char* kAes = "AES";
    static constexpr const char* kTkip = "TKIP";
    static constexpr const char* kPeap = "EAP-PEAP";
    static constexpr const char* kTls = "EAP-TLS";

    static constexpr int32_t kLevelOpen = 104;
    static constexpr int32_t kLevelPskRsn = 105;
    static constexpr int32_t kLevelEapRsn = 106;
    static constexpr int32_t kLevelPskWpa = 107;
    static constexpr int32_t kLevelAccessPoint = 109;

    static constexpr size_t kMaxSsidBytes = 32;
    static constexpr size_t kMinPassphrase = 8;
    static constexpr size_t kMaxPassphrase = 63;
    static constexpr size_t kRawKeyDigits = 64;

    static constexpr const char* kTempSuffix = ".new";
    static constexpr mode_t kFileMode = 0600;
    static constexpr const char* kCreateMessage = "CreateWpaConf";
    static constexpr const char* kCantWrite = "Can't write %s: %s";
    static constexpr const char* kRoamingMessage = "Roaming is %s";
    static constexpr const char* kMissingSetting = "Setting %s missing: %s left as it was";
    static constexpr const char* kInvalidBand =
        "Band '%s' is neither 0 (5 GHz) nor 1 (2.4 GHz): %s left as it was";
    static constexpr const char* kRefusedSetting =
        "Setting %s refused: wpa_supplicant would read it differently; %s left as it was";

    WpaConf();
    WpaConf(const WpaConf&) = delete;
    WpaConf& operator=(const WpaConf&) = delete;
    virtual ~WpaConf();

    // Writes the configuration to `path` (replacing it) from the agent configuration, read
    // through an AgentConfiguration of its own. 0 when written, also when the EAP level's
    // authentication names no known method (an empty file). -1 with the previous file
    // unchanged, logged at 113, when: PATH.new can't be created ("Can't open %s"); the
    // security level, "country.code", the SSID, a pre-shared key, an EAP credential or an
    // access-point setting is missing (a missing setting is never written as its
    // " not found" text); the band is neither "0" (5 GHz) nor "1" (2.4 GHz); a value to be
    // written holds a double quote or a control byte, or an unquoted one a "#"; or the
    // file can't be written or renamed.
    int CreateWpaConf(const std::string& path);
    // The text CreateWpaConf(path) would write now, into `text`; -1 (logged) when it would
    // fail for the settings, `text` then undefined. Writes no file.
    int RenderWpaConf(const std::string& path, std::string& text);

    // What the file can hold, the one place that decides it for the writer and the WLAN
    // page: whether wpa_supplicant reads `value` back as it is, inside double quotes or not;
    // an SSID of at most 32 bytes; a pre-shared key of 64 hexadecimal digits or a
    // passphrase of 8 to 63 characters; a country code of two letters.
    static bool IsWritable(const std::string& value, bool quoted);
    static bool IsSsid(const std::string& ssid);
    static bool IsKey(const std::string& psk);
    static bool IsCountryCode(const std::string& code);

private:
    struct Ciphers {
        const char* pairwise;
        const char* group;
    };

    int Render();
    int WriteNetwork();
    int WriteOpenBlock();
    int WritePskBlock(const char* proto);
    int WriteEapBlock(const char* proto);
    int WritePeapBlock(const char* proto, const Ciphers& ciphers);
    int WriteTlsBlock(const char* proto, const Ciphers& ciphers);
    int WriteAccessPointBlock();
    int WriteSecuredHead();
    int WriteGlobalLines();
    void WriteRoamingLines();
    int WriteNetworkHead();
    void WriteProtectionLines();
    void WriteEapHead(const char* proto, const Ciphers& ciphers);
    Ciphers ChooseCiphers() const;

    // The setting's value; false (logged) when it is missing.
    bool Require(const char* key, std::string& value) const;
    // Appends `prefix` and the value (in double quotes when `quoted`) as one line; false
    // (logged) when the value can't be written.
    bool AddValue(const char* prefix, const char* key, const std::string& value, bool quoted);
    // The SSID of at most 32 bytes, and the pre-shared key: 64 hexadecimal digits or a
    // passphrase of 8 to 63 characters. Anything else is refused (logged, false).
    bool AddSsid(const char* key, const std::string& ssid);
    bool AddKey(const char* key, const std::string& psk);
    bool Refuse(const char* key) const;  // logs the refusal; always false
    static bool IsRawKey(const std::string& psk);
    void AddLine(const std::string& line);

    const AgentConfiguration* configuration = nullptr;
    std::string text;
    std::string targetPath;
};

#endif
