#include "SetTolSettingsCgi.h"

#include <cgicc/Cgicc.h>
#include <cgicc/HTTPRedirectHeader.h>

#include <cstdlib>
#include <iostream>

#include "AgentConfiguration.h"
#include "CNumber.h"
#include "ConfigWebLog.h"
#include "ConfigWebStyle.h"
#include "FormElement.h"
#include "InitialParameters.h"
#include "NetDev.h"
#include "RequestOrigin.h"
#include "RequestRunner.h"
#include "Shell.h"
#include "UrlEncoding.h"

namespace {

constexpr const char* kLogSource = "SetTolSettingsCgi";

constexpr int kChanged = 1;

constexpr size_t kOutletLength = 2;
constexpr size_t kTolAddressLength = 253;
constexpr size_t kTolPortLength = 5;
constexpr const char* kDiscoverModes[] = {"1", "202"};

constexpr const char* kCrossSiteRefused =
    "Cross-site request refused (Sec-Fetch-Site '%.64s', Origin '%.256s', Host '%.256s') -> "
    "redirect";

const char* HeaderText(const char* variable) {
    const char* value = std::getenv(variable);
    return value != nullptr ? value : "";
}

bool IsOutlet(const std::string& value, const std::string&) {
    return !value.empty() && value.size() <= kOutletLength && SetTolSettingsCgi::IsNumber(value);
}

bool IsDealer(const std::string& value, const std::string&) {
    return !value.empty() && value.size() <= SetTolSettingsCgi::kDealerDigits &&
           SetTolSettingsCgi::IsNumber(value);
}

bool IsTolAddress(const std::string& value, const std::string&) {
    return !value.empty() && value.size() <= kTolAddressLength &&
           (NetDev::IsValidIp(value) || NetDev::IsValidHostName(value));
}

bool IsTolPort(const std::string& value, const std::string&) {
    return value.size() <= kTolPortLength && SetTolSettingsCgi::IsNumber(value);
}

// Any text but one with a control character, which the agent configuration file and the
// form page can't carry.
bool IsTolUrl(const std::string& value, const std::string&) {
    return !SetTolSettingsCgi::HoldsControlCharacter(value);
}

// The first DNS server is required when the server address is a host name; with an IPv4
// server address any value will do.
bool IsDns1(const std::string& value, const std::string& tolAddress) {
    return NetDev::IsValidIp(tolAddress) ? !SetTolSettingsCgi::HoldsControlCharacter(value)
                                         : !value.empty() && NetDev::IsValidIp(value);
}

bool IsDns2(const std::string& value, const std::string&) {
    return value.empty() || NetDev::IsValidIp(value);
}

}  // namespace

// clang-format off
const SetTolSettingsCgi::Field SetTolSettingsCgi::kFields[] = {
    {"outlet", "tol.outlet", &SetTolSettingsCgi::outlet, IsOutlet, Absent::kFails,
     "Element outlet not set", "Element outlet %s not valid",
     "Outlet", "1 or 2 digits", false},
    {"dealer", "tol.dealer", &SetTolSettingsCgi::dealer, IsDealer, Absent::kFlagged,
     "Element dealer not set", "Element dealer %s not valid",
     "Dealer", "1 to 6 digits", false},
    {"toladdress", "tol.address", &SetTolSettingsCgi::tolAddress, IsTolAddress, Absent::kFlagged,
     "Element tol address not set", "Element tol address %s not valid",
     "Server Address", "an IPv4 address or host name", false},
    {"tolport", "tol.port", &SetTolSettingsCgi::tolPort, IsTolPort, Absent::kPasses,
     "Element tol port not set", "Element tol port %s not valid",
     "Server Port", "0 to 5 digits", false},
    {"tolurl", "tol.extendedurl", &SetTolSettingsCgi::tolUrl, IsTolUrl, Absent::kFails,
     "Element tol url not set", "Element tol url %s not valid",
     "Extended URL", "no control characters", false},
    {"dns1", "dns.server.1", &SetTolSettingsCgi::dns1, IsDns1, Absent::kFlagged,
     "Element dns1 not set", "Element dns server 1 %s not valid",
     "DNS Server 1", "an IPv4 address", true},
    {"dns2", "dns.server.2", &SetTolSettingsCgi::dns2, IsDns2, Absent::kPasses,
     "Element dns2 not set", "Element dns server 2 %s not valid",
     "DNS Server 2", "an IPv4 address", true},
};
// clang-format on

SetTolSettingsCgi::SetTolSettingsCgi() = default;

SetTolSettingsCgi::~SetTolSettingsCgi() = default;

void SetTolSettingsCgi::HandleRequest(cgicc::Cgicc& cgi) {
    InitialParameters parameters;
    parameters.InitSessionId(cgi);
    redirectUrl = kFormPage + parameters.GetSessionIdText();
    baseUrl = redirectUrl;

    if (RequestOrigin::IsCrossSite()) {
        WEB_ERROR(kCrossSiteRefused, HeaderText(RequestOrigin::kFetchSiteVariable),
                  HeaderText(RequestOrigin::kOriginVariable),
                  HeaderText(RequestOrigin::kHostVariable));
        WriteRedirect();
        return;
    }
    if (FormElement::IsPresent(cgi, ConfigWebStyle::kRemoveName)) {
        ShowRemoveConfirmation(parameters);
        return;
    }
    if (FormElement::IsPresent(cgi, ConfigWebStyle::kRemoveYesName)) {
        if (RequestRunner::IsHead()) return WriteRedirect();
        parameters.SetChanged(kChanged);
        RemoveSettings();
        return;
    }
    if (FormElement::IsPresent(cgi, ConfigWebStyle::kRemoveNoName)) {
        WriteRedirect();
        return;
    }
    WEB_DEBUG("No remove button");
    if (!FormElement::IsPresent(cgi, ConfigWebStyle::kSaveName)) {
        WEB_ERROR("Element submit not set -> revert");
        WriteRedirect();
        return;
    }
    HandleSubmission(cgi, parameters);
}

bool SetTolSettingsCgi::WriteFallbackAnswer() {
    if (answered) return true;
    if (baseUrl.empty()) return false;
    redirectUrl = baseUrl;
    WriteRedirect();
    return true;
}

void SetTolSettingsCgi::ShowRemoveConfirmation(InitialParameters& parameters) {
    answered = true;
    ConfigWebStyle style;
    style.WriteRemoveConfirmation(parameters, kPageTitle, kFormAction);
}

void SetTolSettingsCgi::HandleSubmission(cgicc::Cgicc& cgi, InitialParameters& parameters) {
    // Every validator runs, also after a failure, so that each field adds its own flag;
    // CheckDns1 relies on CheckTolAddress having run before it.
    bool valid = CheckOutlet(cgi);
    valid = CheckDealer(cgi) && valid;
    valid = CheckTolAddress(cgi) && valid;
    valid = CheckTolPort(cgi) && valid;
    valid = CheckTolUrl(cgi) && valid;
    valid = CheckDns1(cgi) && valid;
    valid = CheckDns2(cgi) && valid;
    if (!valid) {
        AppendValues();
        WriteRedirect();
        return;
    }
    if (RequestRunner::IsHead()) return WriteRedirect();
    if (dealer.size() < kDealerDigits) dealer.insert(0, kDealerDigits - dealer.size(), '0');
    StoreSettings();
    parameters.SetChanged(kChanged);
    NotifySettingsChanged();
    WriteRedirect();
    storingConfiguration.reset();
}

void SetTolSettingsCgi::AppendFlag(const char* element) {
    redirectUrl.append(1, '&').append(element).append(kWrongSuffix).append(1, '=');
    redirectUrl += kWrongValue;
}

void SetTolSettingsCgi::AppendValues() {
    for (const Field& field : kFields) {
        redirectUrl.append(1, '&').append(field.element).append(1, '=');
        redirectUrl += UrlEncoding::Encode(this->*field.member);
    }
}

void SetTolSettingsCgi::WriteRedirect() {
    answered = true;
    std::cout << cgicc::HTTPRedirectHeader(redirectUrl) << std::endl;
}

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

// A DNS field is left empty, unchecked, unless the DNS servers are set by hand.
bool SetTolSettingsCgi::CheckField(const cgicc::Cgicc& cgi, const Field& field) {
    if (field.dns && !DiscoveryModeGateOpen()) return true;
    std::string value;
    if (!FormElement::Find(cgi, field.element, value)) {
        WEB_ERROR("%s", field.notSetMessage);
        if (field.absent == Absent::kFlagged) AppendFlag(field.element);
        return field.absent == Absent::kPasses;
    }
    if (!field.accepts(value, tolAddress)) {
        WEB_ERROR(field.notValidMessage, value.c_str());
        AppendFlag(field.element);
        return false;
    }
    this->*field.member = value;
    return true;
}

bool SetTolSettingsCgi::CheckOutlet(const cgicc::Cgicc& cgi) {
    return CheckField(cgi, kFields[kOutlet]);
}

bool SetTolSettingsCgi::CheckDealer(const cgicc::Cgicc& cgi) {
    return CheckField(cgi, kFields[kDealer]);
}

bool SetTolSettingsCgi::CheckTolAddress(const cgicc::Cgicc& cgi) {
    return CheckField(cgi, kFields[kTolAddress]);
}

bool SetTolSettingsCgi::CheckTolPort(const cgicc::Cgicc& cgi) {
    return CheckField(cgi, kFields[kTolPort]);
}

bool SetTolSettingsCgi::CheckTolUrl(const cgicc::Cgicc& cgi) {
    return CheckField(cgi, kFields[kTolUrl]);
}

bool SetTolSettingsCgi::CheckDns1(const cgicc::Cgicc& cgi) {
    return CheckField(cgi, kFields[kDns1]);
}

bool SetTolSettingsCgi::CheckDns2(const cgicc::Cgicc& cgi) {
    return CheckField(cgi, kFields[kDns2]);
}

bool SetTolSettingsCgi::IsDnsByHandMode(const std::string& discoverMode) {
    for (const char* byHand : kDiscoverModes) {
        if (discoverMode == byHand) return true;
    }
    return false;
}

bool SetTolSettingsCgi::DiscoveryModeGateOpen() const {
    AgentConfiguration configuration;
    return IsDnsByHandMode(configuration.Get(kDiscoverModeKey));
}

void SetTolSettingsCgi::SaveSettings(AgentConfiguration& configuration) {
    // One save for the whole submission: a power cut leaves the old settings or the new ones.
    AgentConfiguration::Properties properties;
    for (const Field& field : kFields) properties.emplace_back(field.key, this->*field.member);
    configuration.SetAll(properties);
}

void SetTolSettingsCgi::StoreSettings() {
    storingConfiguration = std::make_unique<AgentConfiguration>();
    SaveSettings(*storingConfiguration);
}

void SetTolSettingsCgi::RemoveSettings() {
    AgentConfiguration configuration;
    SaveSettings(configuration);
    WriteRedirect();
}

void SetTolSettingsCgi::NotifySettingsChanged() {
    AgentConfiguration configuration;
    if (configuration.Get(ZelConfig::kKaldModeKey) == ZelConfig::kKaldModeNeo) {
        Shell::WriteToPipe(kSettingsPipe, kSettingsChanged);
    }
}
