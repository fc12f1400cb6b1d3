#include "WlanSettingsCgi.h"

#include <array>

#include "FormState.h"
#include "SettingsPage.h"
#include "WpaConf.h"

namespace {

constexpr const char* kSecurityElement = "security";
constexpr const char* kAuthenticationElement = "authentication";
constexpr const char* kRoamingElement = "roaming";
constexpr std::size_t kLongestThreshold = 4;

// What each security level joins or offers, and so which fields it uses.
enum class Uses { kNothing, kOpen, kKey, kEap, kAccessPoint };

constexpr struct Level {
    SelectOption option;
    Uses uses;
} kLevels[] = {
    {{"-1", "Not configured", nullptr}, Uses::kNothing},
    {{"104", "Open network (no encryption)", nullptr}, Uses::kOpen},
    {{"105", "WPA2 Personal (pre-shared key)", nullptr}, Uses::kKey},
    {{"107", "WPA Personal (pre-shared key)", nullptr}, Uses::kKey},
    {{"106", "WPA2 Enterprise (EAP)", nullptr}, Uses::kEap},
    {{"108", "WPA Enterprise (EAP)", nullptr}, Uses::kEap},
    {{"109", "Access point of the device", nullptr}, Uses::kAccessPoint},
};

constexpr std::array<SelectOption, std::size(kLevels)> LevelOptions() {
    std::array<SelectOption, std::size(kLevels)> options{};
    for (std::size_t i = 0; i < options.size(); ++i) options[i] = kLevels[i].option;
    return options;
}
constexpr std::array<SelectOption, std::size(kLevels)> kLevelOptions = LevelOptions();

constexpr SelectOption kBands[] = {{WpaConf::kBand24GHz, "2.4 GHz", nullptr},
                                   {WpaConf::kBand5GHz, "5 GHz", nullptr}};
constexpr SelectOption kCiphers[] = {{"", "CCMP", nullptr},
                                     {WpaConf::kAes, "CCMP, then TKIP", nullptr},
                                     {WpaConf::kTkip, "TKIP, then CCMP", nullptr}};
constexpr SelectOption kMethods[] = {{WpaConf::kPeap, "PEAP (user name and password)", nullptr},
                                     {WpaConf::kTls, "TLS (certificates in /config)", nullptr}};
constexpr SelectOption kRoaming[] = {{"0", "Off", nullptr}, {WpaConf::kRoamingOn, "On", nullptr}};
constexpr SelectOption kChannels[] = {
    {"1", "1 (2412 MHz)", nullptr},   {"2", "2 (2417 MHz)", nullptr},
    {"3", "3 (2422 MHz)", nullptr},   {"4", "4 (2427 MHz)", nullptr},
    {"5", "5 (2432 MHz)", nullptr},   {"6", "6 (2437 MHz)", nullptr},
    {"7", "7 (2442 MHz)", nullptr},   {"8", "8 (2447 MHz)", nullptr},
    {"9", "9 (2452 MHz)", nullptr},   {"10", "10 (2457 MHz)", nullptr},
    {"11", "11 (2462 MHz)", nullptr}, {"12", "12 (2467 MHz)", nullptr},
    {"13", "13 (2472 MHz)", nullptr},
};

Uses UsesOf(const FormState& form) {
    const std::string& level = form.Value(kSecurityElement);
    for (const Level& known : kLevels) {
        if (level == known.option.value) return known.uses;
    }
    return Uses::kNothing;
}

bool IsSsid(const std::string& value, const FormState&) {
    return !value.empty() && WpaConf::IsSsid(value);
}
bool IsKey(const std::string& value, const FormState&) { return WpaConf::IsKey(value); }
bool IsQuotable(const std::string& value, const FormState&) {
    return !value.empty() && WpaConf::IsWritable(value, true);
}
bool IsCountry(const std::string& value, const FormState&) {
    return value.empty() || WpaConf::IsCountryCode(value);
}

// A whole number, as wpa_supplicant takes it bare: "15", "-60".
bool IsThreshold(const std::string& value, const FormState&) {
    const std::size_t sign = !value.empty() && value[0] == '-' ? 1 : 0;
    return value.size() > sign && value.size() <= kLongestThreshold &&
           value.find_first_not_of("0123456789", sign) == std::string::npos;
}

}  // namespace

// clang-format off
const FormField WlanSettingsCgi::kFields[] = {
    FormField::Select(kSecurityElement, WpaConf::kSecurityLevelKey, "Security", kLevelOptions.data(), kLevelOptions.size())
        .ReloadsPage(),
    FormField::Text("ssid", WpaConf::kSsidKey, "Network Name (SSID)", "1 to 32 bytes, no double quote", IsSsid)
        .EditableWhen(JoinsNetwork),
    FormField::Select("band", WpaConf::kBandKey, "Band", kBands).OnlyOptions().EditableWhen(JoinsNetwork),
    FormField::Secret("psk", WpaConf::kPskKey, "Pre-Shared Key",
                      "8 to 63 characters without a double quote, or 64 hexadecimal digits", IsKey)
        .EditableWhen(UsesKey),
    FormField::Select("encryption", WpaConf::kEncryptionKey, "Ciphers", kCiphers).EditableWhen(UsesEap),
    FormField::Select(kAuthenticationElement, WpaConf::kAuthenticationKey, "EAP Method", kMethods).OnlyOptions()
        .EditableWhen(UsesEap).ReloadsPage(),
    FormField::Text("identity", WpaConf::kUserKey, "EAP User Name", "a name without a double quote", IsQuotable)
        .EditableWhen(UsesEap),
    FormField::Secret("password", WpaConf::kPasswordKey, "EAP Password", "a password without a double quote", IsQuotable)
        .EditableWhen(UsesPassword),
    FormField::Select(kRoamingElement, WpaConf::kRoamingKey, "Roaming", kRoaming).EditableWhen(JoinsNetwork).ReloadsPage(),
    FormField::Text("roamingthreshold", WpaConf::kRoamingThresholdKey, "Roaming Threshold", "a whole number such as 15",
                    IsThreshold)
        .EditableWhen(UsesThreshold),
    FormField::Text("country", WpaConf::kCountryKey, "Country Code", "two letters, or empty for the world domain",
                    IsCountry)
        .EditableWhen(JoinsNetwork),
    FormField::Text("apssid", WpaConf::kApSsidKey, "Access Point Name (SSID)", "1 to 32 bytes, no double quote", IsSsid)
        .EditableWhen(IsAccessPoint),
    FormField::Secret("appsk", WpaConf::kApPskKey, "Access Point Key",
                      "8 to 63 characters without a double quote, or 64 hexadecimal digits", IsKey)
        .EditableWhen(IsAccessPoint),
    FormField::Select("apchannel", WpaConf::kApChannelKey, "Access Point Channel", kChannels).EditableWhen(IsAccessPoint),
};
// clang-format on

const SettingsForm WlanSettingsCgi::kForm = {ConfigPages::kWlanSettings,
                                             "WlanSettingsCgi",
                                             kFields,
                                             std::size(kFields),
                                             false,
                                             true,
                                             WriteWpaConf,
                                             Failure};

WlanSettingsCgi::~WlanSettingsCgi() = default;

bool WlanSettingsCgi::JoinsNetwork(const FormState& form) {
    const Uses uses = UsesOf(form);
    return uses == Uses::kOpen || uses == Uses::kKey || uses == Uses::kEap;
}

bool WlanSettingsCgi::UsesKey(const FormState& form) { return UsesOf(form) == Uses::kKey; }

bool WlanSettingsCgi::UsesEap(const FormState& form) { return UsesOf(form) == Uses::kEap; }

bool WlanSettingsCgi::UsesPassword(const FormState& form) {
    return UsesEap(form) && form.Value(kAuthenticationElement) == WpaConf::kPeap;
}

bool WlanSettingsCgi::UsesThreshold(const FormState& form) {
    return JoinsNetwork(form) && form.Value(kRoamingElement) == WpaConf::kRoamingOn;
}

bool WlanSettingsCgi::IsAccessPoint(const FormState& form) {
    return UsesOf(form) == Uses::kAccessPoint;
}

void WlanSettingsCgi::WriteWpaConf(const FormState&, std::string& redirect) {
    WpaConf writer;
    if (writer.CreateWpaConf(kWpaConfPath) != 0) {
        redirect.append(1, '&').append(kWpaFailed).append(1, '=').append(SettingsForm::kFlagValue);
    }
}

std::string WlanSettingsCgi::Failure(const FormState& shown) {
    if (shown.Submitted(kWpaFailed) != SettingsForm::kFlagValue) return "";
    return SettingsPage::Paragraph(SettingsPage::kFailureClass, kWpaFailedText);
}
