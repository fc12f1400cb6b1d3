#include "SetTolSettingsCgi.h"

#include "AgentConfiguration.h"
#include "CNumber.h"
#include "FormState.h"
#include "NetDev.h"
#include "Shell.h"

namespace {

constexpr std::size_t kOutletLength = 2;
constexpr std::size_t kTolAddressLength = 253;
constexpr std::size_t kTolPortLength = 5;
constexpr const char* kDiscoverModes[] = {"1", "202"};
constexpr const char* kTolAddressElement = "toladdress";

using Absent = FormField::Absent;

}  // namespace

// clang-format off
const FormField SetTolSettingsCgi::kFields[] = {
    FormField::Text("outlet", "tol.outlet", "Outlet", "1 or 2 digits", CheckOutlet)
        .WhenMissing(Absent::kFails).Logs("Element outlet not set", "Element outlet %s not valid"),
    FormField::Text("dealer", "tol.dealer", "Dealer", "1 to 6 digits", CheckDealer)
        .Logs("Element dealer not set", "Element dealer %s not valid").StoredAs(PadDealer),
    FormField::Text(kTolAddressElement, "tol.address", "Server Address", "an IPv4 address or host name",
                    CheckTolAddress)
        .Logs("Element tol address not set", "Element tol address %s not valid"),
    FormField::Text("tolport", "tol.port", "Server Port", "0 to 5 digits", CheckTolPort)
        .WhenMissing(Absent::kPasses).Logs("Element tol port not set", "Element tol port %s not valid"),
    FormField::Text("tolurl", "tol.extendedurl", "Extended URL", "no control characters", CheckTolUrl)
        .WhenMissing(Absent::kFails).Logs("Element tol url not set", "Element tol url %s not valid"),
    FormField::Text("dns1", "dns.server.1", "DNS Server 1", "an IPv4 address", CheckDns1)
        .EditableWhen(DiscoveryModeGateOpen, FormField::Unedited::kCleared)
        .Logs("Element dns1 not set", "Element dns server 1 %s not valid"),
    FormField::Text("dns2", "dns.server.2", "DNS Server 2", "an IPv4 address", CheckDns2)
        .EditableWhen(DiscoveryModeGateOpen, FormField::Unedited::kCleared)
        .WhenMissing(Absent::kPasses).Logs("Element dns2 not set", "Element dns server 2 %s not valid"),
};
// clang-format on

const SettingsForm SetTolSettingsCgi::kForm = {
    ConfigPages::kTolSettings, "TolSettingsCgi", kFields, std::size(kFields), true, false,
    NotifySettingsChanged,     nullptr};

SetTolSettingsCgi::SetTolSettingsCgi() : handler(kForm) {}

SetTolSettingsCgi::~SetTolSettingsCgi() = default;

void SetTolSettingsCgi::HandleRequest(cgicc::Cgicc& cgi) { handler.HandleRequest(cgi); }

bool SetTolSettingsCgi::WriteFallbackAnswer() { return handler.WriteFallbackAnswer(); }

bool SetTolSettingsCgi::IsNumber(const std::string& text) {
    for (char c : text) {
        if (!CNumber::IsDigit(static_cast<unsigned char>(c))) return false;
    }
    return true;
}

bool SetTolSettingsCgi::HoldsControlCharacter(const std::string& text) {
    for (char c : text) {
        const unsigned char byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7f) return true;
    }
    return false;
}

bool SetTolSettingsCgi::IsDnsByHandMode(const std::string& discoverMode) {
    for (const char* byHand : kDiscoverModes) {
        if (discoverMode == byHand) return true;
    }
    return false;
}

bool SetTolSettingsCgi::CheckOutlet(const std::string& value, const FormState&) {
    return !value.empty() && value.size() <= kOutletLength && IsNumber(value);
}

bool SetTolSettingsCgi::CheckDealer(const std::string& value, const FormState&) {
    return !value.empty() && value.size() <= kDealerDigits && IsNumber(value);
}

bool SetTolSettingsCgi::CheckTolAddress(const std::string& value, const FormState&) {
    return !value.empty() && value.size() <= kTolAddressLength &&
           (NetDev::IsValidIp(value) || NetDev::IsValidHostName(value));
}

bool SetTolSettingsCgi::CheckTolPort(const std::string& value, const FormState&) {
    return value.size() <= kTolPortLength && IsNumber(value);
}

// Any text but one with a control character, which the agent configuration file and the
// form page can't carry.
bool SetTolSettingsCgi::CheckTolUrl(const std::string& value, const FormState&) {
    return !HoldsControlCharacter(value);
}

// The first DNS server is required when the server address accepted before is a host
// name; with an IPv4 server address any value will do.
bool SetTolSettingsCgi::CheckDns1(const std::string& value, const FormState& form) {
    return NetDev::IsValidIp(form.Value(kTolAddressElement))
               ? !HoldsControlCharacter(value)
               : !value.empty() && NetDev::IsValidIp(value);
}

bool SetTolSettingsCgi::CheckDns2(const std::string& value, const FormState&) {
    return value.empty() || NetDev::IsValidIp(value);
}

bool SetTolSettingsCgi::DiscoveryModeGateOpen(const FormState& form) {
    return IsDnsByHandMode(form.Stored(kDiscoverModeKey));
}

std::string SetTolSettingsCgi::PadDealer(const std::string& dealer) {
    return std::string(dealer.size() < kDealerDigits ? kDealerDigits - dealer.size() : 0, '0') +
           dealer;
}

void SetTolSettingsCgi::NotifySettingsChanged(const FormState&, std::string&) {
    AgentConfiguration configuration;
    if (configuration.Get(ZelConfig::kKaldModeKey) == ZelConfig::kKaldModeNeo) {
        Shell::WriteToPipe(kSettingsPipe, kSettingsChanged);
    }
}
