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

constexpr const char* kDns1NotSet = "Element dns1 not set";
constexpr const char* kDns1NotValid = "Element dns server 1 %s not valid";
constexpr const char* kDns2NotSet = "Element dns2 not set";
constexpr const char* kDns2NotValid = "Element dns server 2 %s not valid";
constexpr const char* kCrossSiteRefused =
    "Cross-site request refused (Sec-Fetch-Site '%.64s', Origin '%.256s', Host '%.256s') -> "
    "redirect";

const char* HeaderText(const char* variable) {
    const char* value = std::getenv(variable);
    return value != nullptr ? value : "";
}

bool IsOutlet(const std::string& value) {
    return !value.empty() && value.size() <= kOutletLength && SetTolSettingsCgi::IsNumber(value);
}

bool IsDealer(const std::string& value) {
    return !value.empty() && value.size() <= SetTolSettingsCgi::kDealerDigits && SetTolSettingsCgi::IsNumber(value);
}

bool IsTolAddress(const std::string& value) {
    return !value.empty() && value.size() <= kTolAddressLength &&
           (NetDev::IsValidIp(value) || NetDev::IsValidHostName(value));
}

bool IsTolPort(const std::string& value) {
    return value.size() <= kTolPortLength && SetTolSettingsCgi::IsNumber(value);
}

bool IsTolUrl(const std::string& value) { return !SetTolSettingsCgi::HoldsControlCharacter(value); }

}  // namespace

// What differs between the validators of the outlet, dealer, server address, port and URL.
struct SetTolSettingsCgi::FieldRule {
    const char* element;
    bool (*accepts)(const std::string& value);
    const char* notSetMessage;
    bool flagWhenNotSet;
    bool resultWhenNotSet;
    const char* notValidMessage;
};

// The seven settings in the order of the form, the redirect values and the saves.
struct SetTolSettingsCgi::Setting {
    const char* element;
    const char* key;
    std::string SetTolSettingsCgi::*member;
};

const SetTolSettingsCgi::Setting SetTolSettingsCgi::kSettings[] = {
    {kOutletName, kOutletKey, &SetTolSettingsCgi::outlet},
    {kDealerName, kDealerKey, &SetTolSettingsCgi::dealer},
    {kTolAddressName, kTolAddressKey, &SetTolSettingsCgi::tolAddress},
    {kTolPortName, kTolPortKey, &SetTolSettingsCgi::tolPort},
    {kTolUrlName, kTolUrlKey, &SetTolSettingsCgi::tolUrl},
    {kDns1Name, kDns1Key, &SetTolSettingsCgi::dns1},
    {kDns2Name, kDns2Key, &SetTolSettingsCgi::dns2},
};

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
    for (const Setting& setting : kSettings) {
        redirectUrl.append(1, '&').append(setting.element).append(1, '=');
        redirectUrl += UrlEncoding::Encode(this->*setting.member);
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

bool SetTolSettingsCgi::CheckField(const cgicc::Cgicc& cgi, const FieldRule& rule,
                                   std::string& member) {
    std::string value;
    if (!FormElement::Find(cgi, rule.element, value)) {
        WEB_ERROR("%s", rule.notSetMessage);
        if (rule.flagWhenNotSet) AppendFlag(rule.element);
        return rule.resultWhenNotSet;
    }
    if (!rule.accepts(value)) {
        WEB_ERROR(rule.notValidMessage, value.c_str());
        AppendFlag(rule.element);
        return false;
    }
    member = value;
    return true;
}

bool SetTolSettingsCgi::CheckOutlet(const cgicc::Cgicc& cgi) {
    // clang-format off
    static const FieldRule rule = {kOutletName, IsOutlet, "Element outlet not set", false, false,
                                   "Element outlet %s not valid"};
    // clang-format on
    return CheckField(cgi, rule, outlet);
}

bool SetTolSettingsCgi::CheckDealer(const cgicc::Cgicc& cgi) {
    // clang-format off
    static const FieldRule rule = {kDealerName, IsDealer, "Element dealer not set", true, false,
                                   "Element dealer %s not valid"};
    // clang-format on
    return CheckField(cgi, rule, dealer);
}

bool SetTolSettingsCgi::CheckTolAddress(const cgicc::Cgicc& cgi) {
    // clang-format off
    static const FieldRule rule = {kTolAddressName, IsTolAddress,
                                   "Element tol address not set", true, false,
                                   "Element tol address %s not valid"};
    // clang-format on
    return CheckField(cgi, rule, tolAddress);
}

bool SetTolSettingsCgi::CheckTolPort(const cgicc::Cgicc& cgi) {
    // clang-format off
    static const FieldRule rule = {kTolPortName, IsTolPort, "Element tol port not set", false, true,
                                   "Element tol port %s not valid"};
    // clang-format on
    return CheckField(cgi, rule, tolPort);
}

// Any text but one with a control character, which the agent configuration file and the
// form page can't carry.
bool SetTolSettingsCgi::CheckTolUrl(const cgicc::Cgicc& cgi) {
    // clang-format off
    static const FieldRule rule = {kTolUrlName, IsTolUrl, "Element tol url not set", false, false,
                                   "Element tol url %s not valid"};
    // clang-format on
    return CheckField(cgi, rule, tolUrl);
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

// The first DNS server is required when the server address is a host name; with an IPv4
// server address any value will do.
bool SetTolSettingsCgi::CheckDns1(const cgicc::Cgicc& cgi) {
    if (!DiscoveryModeGateOpen()) return true;
    std::string value;
    if (!FormElement::Find(cgi, kDns1Name, value)) {
        WEB_ERROR("%s", kDns1NotSet);
        AppendFlag(kDns1Name);
        return false;
    }
    const bool accepted = NetDev::IsValidIp(tolAddress)
                              ? !HoldsControlCharacter(value)
                              : !value.empty() && NetDev::IsValidIp(value);
    if (!accepted) {
        WEB_ERROR(kDns1NotValid, value.c_str());
        AppendFlag(kDns1Name);
        return false;
    }
    dns1 = value;
    return true;
}

bool SetTolSettingsCgi::CheckDns2(const cgicc::Cgicc& cgi) {
    if (!DiscoveryModeGateOpen()) return true;
    std::string value;
    if (!FormElement::Find(cgi, kDns2Name, value)) {
        WEB_ERROR("%s", kDns2NotSet);
        return true;
    }
    if (!value.empty() && !NetDev::IsValidIp(value)) {
        WEB_ERROR(kDns2NotValid, value.c_str());
        AppendFlag(kDns2Name);
        return false;
    }
    dns2 = value;
    return true;
}

void SetTolSettingsCgi::SaveSettings(AgentConfiguration& configuration) {
    // One save for the whole submission: a power cut leaves the old settings or the new ones.
    AgentConfiguration::Properties properties;
    for (const Setting& setting : kSettings) properties.emplace_back(setting.key, this->*setting.member);
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
