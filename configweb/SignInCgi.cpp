#include "SignInCgi.h"

#include <cgicc/Cgicc.h>
#include <cgicc/HTMLClasses.h>
#include <cgicc/HTTPRedirectHeader.h>

#include <cstdlib>
#include <cstring>
#include <iostream>

#include "AccessGate.h"
#include "ConfigWebLog.h"
#include "ConfigWebStyle.h"
#include "FormElement.h"
#include "InitialParameters.h"
#include "PasswordFile.h"
#include "RequestOrigin.h"
#include "SessionStore.h"
#include "SettingsForm.h"
#include "SettingsPage.h"
#include "SignInLimit.h"

namespace {

constexpr const char* kLogSource = "SignInCgi";
constexpr const char* kPageQuery = "&page=";

bool IsPost() {
    const char* method = std::getenv("REQUEST_METHOD");
    return method != nullptr && std::strcmp(method, "POST") == 0;
}

bool IsOn(const char* variable) {
    const char* value = std::getenv(variable);
    return value != nullptr && std::strcmp(value, "on") == 0;
}

const char* ProgramOf(ConfigPages::Id page) {
    return ConfigPages::ProgramName(ConfigPages::kPages[page].address);
}

}  // namespace

SignInCgi::SignInCgi() = default;

SignInCgi::~SignInCgi() = default;

void SignInCgi::HandleRequest(cgicc::Cgicc& cgi) {
    address = SignInLimit::ClientAddress();
    sessionId = InitialParameters::ParseSessionId(cgi);
    if (sessionId == -1) sessionId = InitialParameters::CreateSessionId();
    std::string named;
    FormElement::Find(cgi, kPageElement, named);
    page = ReturnPage(named);
    const std::string back = ConfigPages::RedirectTarget(page, std::to_string(sessionId));
    if (!PasswordFile::IsSet()) return WriteRedirect("", back);
    if (IsPost()) {
        if (RequestOrigin::IsCrossSite()) {
            WEB_ERROR(kCrossSiteLog, address.c_str());
            return WriteRedirect("", Target(std::to_string(sessionId), ProgramOf(page)));
        }
        if (FormElement::IsPresent(cgi, kSignOutElement)) return SignOut();
        std::string password;
        if (FormElement::Find(cgi, kPasswordElement, password)) return SignIn(password);
    }
    if (SessionStore::Continue(AccessGate::CookieToken())) return WriteRedirect("", back);
    std::string flag;
    const bool signedOut =
        FormElement::Find(cgi, kSignedOutFlag, flag) && flag == SettingsForm::kFlagValue;
    ShowPage(signedOut ? kSignedOut : nullptr, SettingsPage::kSavedClass);
}

ConfigPages::Id SignInCgi::ReturnPage(const std::string& program) {
    for (int i = 0; i < ConfigPages::kCount; ++i) {
        const auto id = static_cast<ConfigPages::Id>(i);
        if (program == ProgramOf(id)) return id;
    }
    return kDefaultPage;
}

std::string SignInCgi::Target(const std::string& sessionIdText, const std::string& page) {
    return std::string(kProgram) + "?" + InitialParameters::kSessionIdElement + "=" +
           sessionIdText + kPageQuery + page;
}

// Judged, checked and recorded under the limit's lock.
void SignInCgi::SignIn(const std::string& password) {
    SignInLimit limit;
    if (limit.Refuses(address)) {
        WEB_ERROR(kRefusedLog, address.c_str());
        return ShowPage(kRefused, SettingsPage::kFailureClass);
    }
    if (!PasswordFile::Matches(password)) {
        limit.Record(address);
        WEB_ERROR(kWrongPasswordLog, address.c_str());
        return ShowPage(kWrongPassword, SettingsPage::kFailureClass);
    }
    const std::string token = SessionStore::Begin();
    if (token.empty()) {
        WEB_ERROR(kCantSignInLog, address.c_str());
        return ShowPage(kCantSignIn, SettingsPage::kFailureClass);
    }
    WEB_INFO(kSignedInLog, address.c_str());
    WriteRedirect(Cookie(token), ConfigPages::RedirectTarget(page, std::to_string(sessionId)));
}

void SignInCgi::SignOut() {
    if (SessionStore::End(AccessGate::CookieToken())) WEB_INFO(kSignedOutLog, address.c_str());
    const std::string signedOut =
        std::string("&") + kSignedOutFlag + "=" + SettingsForm::kFlagValue;
    WriteRedirect(Cookie("") + kClearAttribute,
                  Target(std::to_string(sessionId), ProgramOf(page)) + signedOut);
}

void SignInCgi::ShowPage(const char* message, const char* messageClass) {
    answered = true;
    ConfigWebStyle style;
    style.SetTitle(kTitle);
    style.WriteHead();
    cgicc::HTMLElement* content = style.WriteBodyStart(sessionId, "");
    if (message != nullptr) content->add(cgicc::p(message).set("class", messageClass));
    auto* form = new cgicc::form();
    form->set("method", "post").set("action", kAddress);
    auto* hidden = new cgicc::div();
    ConfigWebStyle::AddSessionIdField(hidden, sessionId);
    hidden->add(cgicc::input()
                    .set("type", "hidden")
                    .set("name", kPageElement)
                    .set("value", ProgramOf(page)));
    form->add(hidden);
    form->add(cgicc::p(kPrompt));
    cgicc::input password;
    password.set("type", "password").set("id", kPasswordElement).set("name", kPasswordElement);
    cgicc::table table(
        cgicc::tr(cgicc::td(cgicc::label(kPasswordLabel).set("for", kPasswordElement)))
            .add(cgicc::td(password)));
    form->add(table.set("class", SettingsPage::kFieldsClass));
    ConfigWebStyle::AddButtonBox(form, kSignInElement, kSignInLabel);
    content->add(form);
}

void SignInCgi::WriteRedirect(const std::string& cookie, const std::string& target) {
    answered = true;
    if (!cookie.empty()) std::cout << "Set-Cookie: " << cookie << "\n";
    std::cout << cgicc::HTTPRedirectHeader(target) << std::endl;
}

std::string SignInCgi::Cookie(const std::string& value) const {
    return AccessGate::kCookieName + ("=" + value) + kCookieAttributes +
           (IsOn(kHttpsVariable) ? kSecureAttribute : "");
}
