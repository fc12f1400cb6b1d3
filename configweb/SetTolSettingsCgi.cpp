#include "SetTolSettingsCgi.h"

#include <cgicc/Cgicc.h>
#include <cgicc/HTTPRedirectHeader.h>

#include <iostream>

#include "ConfigWebLog.h"
#include "ConfigWebStyle.h"
#include "InitialParameters.h"
#include "UrlEncoding.h"

namespace {

constexpr const char* kLogSource = "SetTolSettingsCgi";

constexpr int kChanged = 1;

}  // namespace

SetTolSettingsCgi::SetTolSettingsCgi() = default;

SetTolSettingsCgi::~SetTolSettingsCgi() = default;

void SetTolSettingsCgi::HandleRequest(cgicc::Cgicc& cgi) {
    InitialParameters parameters;
    parameters.InitSessionId(cgi);
    redirectUrl = kFormPage + parameters.GetSessionIdText();
    baseUrl = redirectUrl;

    if (IsPresent(cgi, ConfigWebStyle::kRemoveName)) {
        ShowRemoveConfirmation(parameters);
        return;
    }
    if (IsPresent(cgi, ConfigWebStyle::kRemoveYesName)) {
        parameters.SetChanged(kChanged);
        RemoveSettings();
        return;
    }
    if (IsPresent(cgi, ConfigWebStyle::kRemoveNoName)) {
        WriteRedirect();
        return;
    }
    WEB_DEBUG("No remove button");
    if (!IsPresent(cgi, ConfigWebStyle::kSaveName)) {
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

bool SetTolSettingsCgi::IsPresent(const cgicc::Cgicc& cgi, const char* element) const {
    return cgi.getElement(element) != cgi.getElements().end();
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
    dealer.insert(0, dealer.size() < 6 ? 6 - dealer.size() : 0, '0');
    StoreSettings();
    parameters.SetChanged(kChanged);
    NotifySettingsChanged();
    WriteRedirect();
}

void SetTolSettingsCgi::AppendValues() {
    const std::pair<const char*, const std::string*> values[] = {
        {"&outlet=", &outlet},   {"&dealer=", &dealer}, {"&toladdress=", &tolAddress},
        {"&tolport=", &tolPort}, {"&tolurl=", &tolUrl}, {"&dns1=", &dns1},
        {"&dns2=", &dns2},
    };
    for (const auto& [parameter, value] : values) {
        redirectUrl += parameter;
        redirectUrl += UrlEncoding::Encode(*value);
    }
}

void SetTolSettingsCgi::WriteRedirect() {
    answered = true;
    std::cout << cgicc::HTTPRedirectHeader(redirectUrl) << std::endl;
}

// Field validation and storing come with the agent configuration; until then every
// submission is refused and nothing is stored.
bool SetTolSettingsCgi::CheckOutlet(const cgicc::Cgicc&) { return false; }
bool SetTolSettingsCgi::CheckDealer(const cgicc::Cgicc&) { return false; }
bool SetTolSettingsCgi::CheckTolAddress(const cgicc::Cgicc&) { return false; }
bool SetTolSettingsCgi::CheckTolPort(const cgicc::Cgicc&) { return false; }
bool SetTolSettingsCgi::CheckTolUrl(const cgicc::Cgicc&) { return false; }
bool SetTolSettingsCgi::CheckDns1(const cgicc::Cgicc&) { return false; }
bool SetTolSettingsCgi::CheckDns2(const cgicc::Cgicc&) { return false; }
void SetTolSettingsCgi::StoreSettings() {}
void SetTolSettingsCgi::NotifySettingsChanged() {}
void SetTolSettingsCgi::RemoveSettings() { WriteRedirect(); }
