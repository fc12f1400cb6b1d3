#ifndef CONFIGWEB_INITIALPARAMETERS_H
#define CONFIGWEB_INITIALPARAMETERS_H

#include <cstdint>
#include <map>
#include <string>

namespace cgicc {
class Cgicc;
}

// The request's session id and the change list of all sessions.
//
// Construction reads "/tmp/config_web_changes.lst" (a missing or unreadable file gives an
// empty list); destruction writes the list back. The write is made under an exclusive
// lock: the file as it is at that moment is read again, the marks this object set with
// SetChanged are applied over it, and the result replaces the file by rename, so marks
// of concurrent requests are never lost and a reader never sees a truncated file.
class InitialParameters {
public:
    static constexpr const char* kChangeListPath = "/tmp/config_web_changes.lst";
    // The form element (and URL parameter) that carries the session id.
    static constexpr const char* kSessionIdElement = "sessionid";

    InitialParameters();
    InitialParameters(const InitialParameters&) = delete;
    InitialParameters& operator=(const InitialParameters&) = delete;
    virtual ~InitialParameters();

    // Takes the id from the form element "sessionid", or makes a new one when the request
    // names none (or names -1). Always returns 0.
    int InitSessionId(const cgicc::Cgicc& cgi);
    int32_t GetSessionId() const { return sessionId; }
    // The id as "%d".
    std::string GetSessionIdText() const;

    // The id named by "sessionid": decimal, leading white space and a sign allowed, text
    // after the digits ignored, the low 32 bits of the 64-bit value. -1 when the element
    // is absent, holds no number or is beyond the 64-bit range.
    static int32_t ParseSessionId(const cgicc::Cgicc& cgi);
    // A new id from the generator seeded with the current second (0 to 2147483647).
    static int32_t CreateSessionId();

    // Sets the change flag of the current session / of the given session.
    void SetChanged(int32_t flag);
    void SetChanged(int32_t session, int32_t flag);
    // 1 when any session's flag is 1, else 0.
    int IsChanged() const;

    const std::map<int32_t, int32_t>& GetChanges() const { return changes; }

private:
    int32_t sessionId = -1;
    std::map<int32_t, int32_t> changes;
    std::map<int32_t, int32_t> ownMarks;
};

#endif
