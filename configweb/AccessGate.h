#ifndef CONFIGWEB_ACCESSGATE_H
#define CONFIGWEB_ACCESSGATE_H

#include <cstddef>
#include <string>

// Who may use a program of the configuration interface. Until a password is set (see
// PasswordFile) everyone may, and every program answers as it always has. Once one is set,
// a page or a form handler answers only a request whose cookie kCookieName names a live
// session (see SessionStore); the sign-in program and the local tools are never checked.
// Each program is checked by its kind before any of its own code runs.
class AccessGate {
public:
    enum class Kind {
        kPage,     // refused: redirected to the sign-in page, which returns to the page
        kHandler,  // refused: kForbiddenAnswer, and nothing stored, removed, marked or signalled
        kSignIn,
        kTool,  // started on the device itself, never by the web server
    };

    static constexpr const char* kCookieName = "zelconf_session";
    static constexpr const char* kCookieVariable = "HTTP_COOKIE";
    // A longer cookie header is read this far.
    static constexpr std::size_t kMaxCookieBytes = 4096;
    static constexpr const char* kForbiddenAnswer =
        "Status: 403 Forbidden\nContent-Type: text/plain\n\n"
        "Forbidden: sign in first at /zelconf/signin.cgi\n";
    static constexpr const char* kPageRefused = "%s without a session from %s -> sign-in page";
    static constexpr const char* kHandlerRefused = "%s without a session from %s -> forbidden";

    virtual ~AccessGate();

    // Whether a program of `kind` may answer this request: looks at the password file and
    // the request's cookie only. Refreshes the session's time of use.
    static bool Admits(Kind kind);
    // Writes the whole answer to a request that Admits refused for the program `name`,
    // and logs the refusal with the client's address; no value of the request is logged.
    static void Refuse(Kind kind, const char* name);
    // Whether the request carries a live session (known once Admits has looked).
    static bool IsSignedIn() { return signedIn; }
    // The token of the request's session cookie (its first one), or "".
    static std::string CookieToken();

private:
    static bool signedIn;
};

#endif
