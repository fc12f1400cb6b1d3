#ifndef CONFIGWEB_SETTINGSHANDLER_H
#define CONFIGWEB_SETTINGSHANDLER_H

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

#include "SettingsForm.h"

namespace cgicc {
class Cgicc;
}
class AgentConfiguration;
class InitialParameters;

// The form handler of a settings page ("set<page>.cgi"): one request per process. It
// answers with a redirect back to the page, carrying the flags of rejected fields and the
// accepted values after a rejected submission, "&savefailed=1" after a save that failed,
// or with the removal confirmation page.
//
// Buttons are tested in the order "remove", "removeyes", "removeno" (only on a form that
// offers removal), then "submit"; a request without any of them is answered as a revert.
// A submission checks every field, in the order of the form, also after a failure; when
// all pass, their values are stored in one save, the session is marked and the form's own
// after-save rule runs. A cross-site request and a HEAD request change nothing.
class SettingsHandler {
public:
    static constexpr int kChanged = 1;
    static constexpr const char* kCrossSiteRefused =
        "Cross-site request refused (Sec-Fetch-Site '%.64s', Origin '%.256s', Host '%.256s') -> "
        "redirect";
    static constexpr const char* kNoRemoveButton = "No remove button";
    static constexpr const char* kRevert = "Element submit not set -> revert";
    static constexpr const char* kSaveFailedLog = "Can't save the settings of %s -> redirect";

    explicit SettingsHandler(const SettingsForm& form);
    SettingsHandler(const SettingsHandler&) = delete;
    SettingsHandler& operator=(const SettingsHandler&) = delete;
    virtual ~SettingsHandler();

    // Writes the whole answer to standard output.
    void HandleRequest(cgicc::Cgicc& cgi);
    // After a failure in the middle of HandleRequest: writes the plain redirect to the
    // page when the session is known and nothing was answered yet. False when the session
    // is not known yet (nothing written); true otherwise.
    bool WriteFallbackAnswer();

private:
    class Accepted;

    void ShowRemoveConfirmation(const InitialParameters& parameters);
    void RemoveSettings(InitialParameters& parameters);
    void HandleSubmission(const cgicc::Cgicc& cgi, InitialParameters& parameters);
    bool CheckField(const cgicc::Cgicc& cgi, std::size_t index);
    bool IsListed(const FormField& field, const std::string& value, const FormState& form) const;
    void Reject(const FormField& field, const std::string& value);
    bool Save(AgentConfiguration& configuration, bool removal);
    void ReportSaveFailure(bool withValues);
    void AppendFlag(const std::string& name);
    void AppendValues();
    void WriteRedirect();

    const SettingsForm& form;
    // The handler's name in the log.
    const std::string kLogSource;
    std::vector<std::string> values;  // accepted, per field
    std::vector<bool> edited;         // editable in this submission, per field
    std::string redirectUrl;
    // The redirect target without flags and values, once the session id is known.
    std::string baseUrl;
    // The accessor that stored the settings; it lives until the answer is written.
    std::unique_ptr<AgentConfiguration> storing;
    bool answered = false;
};

#endif
