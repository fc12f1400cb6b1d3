#ifndef CONFIGWEB_TOLSETTINGSCGI_H
#define CONFIGWEB_TOLSETTINGSCGI_H

#include <array>
#include <cstdint>
#include <string>

#include "SetTolSettingsCgi.h"

namespace cgicc {
class Cgicc;
class HTMLElement;
}  // namespace cgicc
class AgentConfiguration;

// The TOL Settings page ("tolsettings.cgi"): one request per process. It shows the form of
// the dealer-server settings, which posts to the form handler "settolsettings.cgi"; the
// handler redirects back here, after a failed submission with the error flags and the
// values it accepted.
class TolSettingsCgi {
public:
    // Class of the table that lays out the fields.
    static constexpr const char* kFieldsClass = "Settings";
    // Class of a text field whose flag is set, and of the message beside it.
    static constexpr const char* kWrongClass = "wrong";
    static constexpr const char* kMessageClass = "message";
    // The message of a marked field: this prefix, then what the field expects.
    static constexpr const char* kExpectedPrefix = "Expected: ";

    TolSettingsCgi();
    TolSettingsCgi(const TolSettingsCgi&) = delete;
    TolSettingsCgi& operator=(const TolSettingsCgi&) = delete;
    virtual ~TolSettingsCgi();

    // Writes the whole page to standard output: the page frame titled "TOL Settings", and
    // in it the form that posts to "/zelconf/settolsettings.cgi" with the hidden
    // "sessionid", the seven labelled text fields and the change buttons with
    // "Remove Settings". The session id is the request's "sessionid", or a new one.
    // Values: when the request carries any of the seven field elements (the handler's
    // redirect after a failed submission) the request's values, a missing one empty;
    // otherwise the stored properties, a missing one empty. A field whose flag (its name
    // followed by "wrong") is "1" is marked with kWrongClass and a message saying what it
    // expects. The DNS fields are disabled unless the discovery mode sets the DNS servers
    // by hand. Every value is HTML-escaped.
    void HandleRequest(cgicc::Cgicc& cgi);

    // True once the answer has begun (after a failure nothing more may be written then);
    // false while nothing was written.
    bool HasAnswered() const { return answered; }

private:
    using Field = SetTolSettingsCgi::Field;
    using Values = std::array<std::string, SetTolSettingsCgi::kFieldCount>;

    static bool CarriesValues(const cgicc::Cgicc& cgi);
    static Values RequestValues(const cgicc::Cgicc& cgi);
    static Values StoredValues(const AgentConfiguration& configuration);
    static bool IsFlagged(const cgicc::Cgicc& cgi, const Field& field);
    static cgicc::HTMLElement* CreateForm(const cgicc::Cgicc& cgi, int32_t sessionId,
                                          const Values& values, bool dnsByHand);
    static cgicc::HTMLElement* CreateRow(const Field& field, const std::string& value, bool wrong,
                                         bool enabled);

    bool answered = false;
};

#endif
