#include "LanSettingsCgi.h"

#include <cstdlib>
#include <cstring>

#include "AttributeKeys.h"
#include "DottedQuad.h"
#include "FormState.h"
#include "HtmlEscaping.h"
#include "SetTolSettingsCgi.h"
#include "SettingsPage.h"

namespace {

constexpr const char* kModeElement = "discovermode";
constexpr const char* kPortVariable = "SERVER_PORT";
constexpr const char* kHttpsVariable = "HTTPS";

constexpr SelectOption kModes[] = {
    {"3", "3: automatic (factory setting)", nullptr},
    {"1", "1: typed by hand, DNS servers too", nullptr},
    {"202", "202: typed by hand, DNS servers too", nullptr},
};

bool ParseNetmask(const std::string& text, uint32_t& netmask) {
    const int prefix = DottedQuad::Parse(text, netmask) ? DottedQuad::PrefixLength(netmask) : -1;
    return prefix >= LanSettingsCgi::kShortestPrefix && prefix <= LanSettingsCgi::kLongestPrefix;
}

// "http://" or "https://", as the browser came, and ":PORT" unless it is the scheme's own.
std::string PageAddress(const std::string& host) {
    const char* https = std::getenv(kHttpsVariable);
    const bool secure = https != nullptr && std::strcmp(https, "on") == 0;
    const char* port = std::getenv(kPortVariable);
    std::string address = (secure ? "https://" : "http://") + host;
    if (port != nullptr && std::strcmp(port, secure ? "443" : "80") != 0 &&
        std::strspn(port, "0123456789") == std::strlen(port)) {
        address.append(1, ':').append(port);
    }
    return address + ConfigPages::kPages[ConfigPages::kLanSettings].address;
}

}  // namespace

// clang-format off
const FormField LanSettingsCgi::kFields[] = {
    FormField::Select(kModeElement, SetTolSettingsCgi::kDiscoverModeKey, "Address Mode", kModes).ReloadsPage()
        .Unit("DNS servers: on TOL Settings"),
    FormField::Text(kAddressElement, "network.config.static.ip", "IP Address",
                    "four numbers 0 to 255 joined by dots: a host of its network", CheckAddress)
        .EditableWhen(TypedByHand).ShowsCurrent(attributekey::kLanIp),
    FormField::Text(kNetmaskElement, "network.config.static.netmask", "Netmask",
                    "255.0.0.0 (/8) to 255.255.255.252 (/30), its ones from the left", CheckNetmask)
        .EditableWhen(TypedByHand).ShowsCurrent(attributekey::kLanNetmask),
    FormField::Text("gateway", "network.config.static.gateway", "Gateway",
                    "empty, or an address of the device's network other than its own", CheckGateway)
        .EditableWhen(TypedByHand).WhenMissing(FormField::Absent::kKeeps).ShowsCurrent(attributekey::kDefaultGateway),
};
// clang-format on

const SettingsForm LanSettingsCgi::kForm = {ConfigPages::kLanSettings,
                                            "LanSettingsCgi",
                                            kFields,
                                            std::size(kFields),
                                            false,
                                            true,
                                            nullptr,
                                            Where};

LanSettingsCgi::~LanSettingsCgi() = default;

bool LanSettingsCgi::TypedByHand(const FormState& form) {
    return SetTolSettingsCgi::IsDnsByHandMode(form.Value(kModeElement));
}

bool LanSettingsCgi::CheckAddress(const std::string& value, const FormState& form) {
    uint32_t address = 0;
    uint32_t netmask = 0;
    if (!DottedQuad::Parse(value, address) || !DottedQuad::IsUnicast(address)) return false;
    // A netmask that is no netmask has a flag of its own; the address is judged without it.
    return !ParseNetmask(form.Submitted(kNetmaskElement), netmask) ||
           DottedQuad::IsHost(address, netmask);
}

bool LanSettingsCgi::CheckNetmask(const std::string& value, const FormState&) {
    uint32_t netmask = 0;
    return ParseNetmask(value, netmask);
}

bool LanSettingsCgi::CheckGateway(const std::string& value, const FormState& form) {
    uint32_t gateway = 0;
    uint32_t address = 0;
    uint32_t netmask = 0;
    if (value.empty()) return true;
    if (!DottedQuad::Parse(value, gateway)) return false;
    if (!DottedQuad::Parse(form.Value(kAddressElement), address) ||
        !ParseNetmask(form.Value(kNetmaskElement), netmask)) {
        return true;  // the address or netmask has its own flag
    }
    return gateway != address && (gateway & netmask) == (address & netmask) &&
           DottedQuad::IsHost(gateway, netmask);
}

std::string LanSettingsCgi::Where(const FormState& shown) {
    if (shown.Submitted(SettingsForm::kSaved) != SettingsForm::kFlagValue) return "";
    const char* page = ConfigPages::kPages[ConfigPages::kLanSettings].address;
    const std::string where =
        TypedByHand(shown)
            ? kWhereByHand + HtmlEscaping::Escape(PageAddress(shown.Value(kAddressElement)))
            : kWhereAutomatic + std::string(page);
    return SettingsPage::Paragraph(SettingsPage::kNoticeClass, where + ".");
}
