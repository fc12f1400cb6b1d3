#ifndef CONFIGWEB_SIGNINCGI_H
#define CONFIGWEB_SIGNINCGI_H

#include <cstdint>
#include <string>

#include "ConfigPages.h"

namespace cgicc {
class Cgicc;
}

// The sign-in program ("signin.cgi"): the page that asks for the password, the sign-in it
// posts and the sign-out that every page posts. Only a POST acts, and not one from another
// site (see RequestOrigin); a GET or HEAD only shows the page.
//
// - A POST of kPasswordElement signs in when SignInLimit allows it and the password
//   matches: a new session's token becomes the cookie and the browser goes to the page to
//   return to. Otherwise the page comes again saying kWrongPassword or kRefused.
// - A POST of kSignOutElement ends the request's session on the server, clears the cookie
//   and sends the browser to the sign-in page, which then says kSignedOut.
// - A request that is signed in already, or any request while no password is set, is sent
//   to the page to return to.
//
// The page to return to is named by kPageElement: the program name of one of the pages
// ("tolsettings.cgi"). Any other text, or none, returns to TOL Settings.
class SignInCgi {
public:
    static constexpr const char* kProgram = "signin.cgi";
    static constexpr const char* kAddress = "/zelconf/signin.cgi";
    static constexpr const char* kTitle = "Sign In";
    static constexpr const char* kPasswordElement = "password";
    static constexpr const char* kSignInElement = "signin";
    static constexpr const char* kSignOutElement = "signout";
    static constexpr const char* kPageElement = "page";
    static constexpr const char* kSignedOutFlag = "signedout";
    static constexpr ConfigPages::Id kDefaultPage = ConfigPages::kTolSettings;

    static constexpr const char* kPasswordLabel = "Password";
    static constexpr const char* kSignInLabel = "Sign In";
    static constexpr const char* kSignOutLabel = "Sign Out";
    static constexpr const char* kPrompt = "Enter the technician password of this device.";
    static constexpr const char* kWrongPassword = "Wrong password.";
    static constexpr const char* kRefused =
        "Too many failed sign-ins: sign-ins are refused for a minute. Try again later.";
    static constexpr const char* kCantSignIn = "The sign-in could not be completed (see the log).";
    static constexpr const char* kSignedOut = "You have signed out.";

    // The session cookie: its name, "=", the token, these attributes, kSecureAttribute when
    // the request came over HTTPS (kHttpsVariable "on"); cleared with kClearAttribute.
    static constexpr const char* kCookieAttributes = "; HttpOnly; SameSite=Strict; Path=/zelconf";
    static constexpr const char* kSecureAttribute = "; Secure";
    static constexpr const char* kClearAttribute = "; Max-Age=0";
    static constexpr const char* kHttpsVariable = "HTTPS";

    static constexpr const char* kSignedInLog = "Signed in from %s";
    static constexpr const char* kWrongPasswordLog = "Wrong password from %s";
    static constexpr const char* kRefusedLog =
        "Sign-in from %s refused unchecked: too many failures";
    static constexpr const char* kSignedOutLog = "Signed out from %s";
    static constexpr const char* kCantSignInLog = "Can't begin a session for %s";
    static constexpr const char* kCrossSiteLog = "Cross-site sign-in or sign-out refused (from %s)";

    SignInCgi();
    SignInCgi(const SignInCgi&) = delete;
    SignInCgi& operator=(const SignInCgi&) = delete;
    virtual ~SignInCgi();

    // Writes the whole answer to standard output.
    void HandleRequest(cgicc::Cgicc& cgi);
    bool HasAnswered() const { return answered; }

    // The page a program name names, or kDefaultPage.
    static ConfigPages::Id ReturnPage(const std::string& program);
    // The sign-in page's address relative to the pages, returning to the program `page`.
    static std::string Target(const std::string& sessionIdText, const std::string& page);

private:
    void SignIn(const std::string& password);
    void SignOut();
    void ShowPage(const char* message, const char* messageClass);
    void WriteRedirect(const std::string& cookie, const std::string& target);
    std::string Cookie(const std::string& value) const;

    std::string address;
    int32_t sessionId = -1;
    ConfigPages::Id page = kDefaultPage;
    bool answered = false;
};

#endif
