#include "AccessGate.h"

#include <cgicc/Cgicc.h>
#include <cgicc/HTTPRedirectHeader.h>

#include <cstdlib>
#include <cstring>
#include <iostream>
#include <string_view>

#include "ConfigWebLog.h"
#include "ConfigWebLogging.h"
#include "InitialParameters.h"
#include "PasswordFile.h"
#include "RequestRunner.h"
#include "SessionStore.h"
#include "SignInCgi.h"
#include "SignInLimit.h"

namespace {

constexpr const char* kLogSource = "AccessGate";
constexpr std::string_view kBlanks = " \t";

std::string_view Trimmed(std::string_view text) {
    const std::size_t start = text.find_first_not_of(kBlanks);
    if (start == std::string_view::npos) return {};
    return text.substr(start, text.find_last_not_of(kBlanks) - start + 1);
}

void WriteSignInRedirect(const cgicc::Cgicc& cgi, const char* name) {
    int32_t sessionId = InitialParameters::ParseSessionId(cgi);
    if (sessionId == -1) sessionId = InitialParameters::CreateSessionId();
    std::cout << cgicc::HTTPRedirectHeader(SignInCgi::Target(std::to_string(sessionId), name))
              << std::endl;
}

}  // namespace

bool AccessGate::signedIn = false;

AccessGate::~AccessGate() = default;

bool AccessGate::Admits(Kind kind) {
    if (kind == Kind::kSignIn || kind == Kind::kTool || !PasswordFile::IsSet()) return true;
    signedIn = SessionStore::Continue(CookieToken());
    return signedIn;
}

void AccessGate::Refuse(Kind kind, const char* name) {
    ConfigWebLogging logging;
    const std::string address = SignInLimit::ClientAddress();
    if (kind == Kind::kPage) {
        WEB_DEBUG(kPageRefused, name, address.c_str());
    } else {
        WEB_ERROR(kHandlerRefused, name, address.c_str());
    }
    RequestRunner::Run(
        [kind, name](cgicc::Cgicc& cgi) {
            if (kind == Kind::kPage) return WriteSignInRedirect(cgi, name);
            std::cout << kForbiddenAnswer << std::flush;
        },
        nullptr);
}

std::string AccessGate::CookieToken() {
    const char* header = std::getenv(kCookieVariable);
    if (header == nullptr) return "";
    std::string_view cookies(header, ::strnlen(header, kMaxCookieBytes));
    while (!cookies.empty()) {
        const std::size_t end = cookies.find(';');
        const std::string_view cookie = cookies.substr(0, end);
        const std::size_t equals = cookie.find('=');
        if (equals != std::string_view::npos && Trimmed(cookie.substr(0, equals)) == kCookieName) {
            return std::string(cookie.substr(equals + 1));
        }
        cookies = end == std::string_view::npos ? std::string_view() : cookies.substr(end + 1);
    }
    return "";
}
