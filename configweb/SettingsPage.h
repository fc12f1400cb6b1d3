#ifndef CONFIGWEB_SETTINGSPAGE_H
#define CONFIGWEB_SETTINGSPAGE_H

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "SettingsForm.h"

namespace cgicc {
class Cgicc;
class HTMLElement;
}  // namespace cgicc
class AgentConfiguration;

// The page of a settings form ("<page>.cgi"): one request per process. It writes the page
// frame titled with the form's page and in it the form that posts to the form's handler:
// the hidden "sessionid", one labelled row per field and the change buttons.
//
// Values: when the request carries any of the form's elements (the handler's redirect
// after a rejected submission) the request's values, a missing one empty; otherwise the
// stored properties, a missing one empty. A field that is not editable for the values
// shown is disabled; one that keeps its stored value then shows that. A secret shows
// nothing. A field whose flag (its element followed by "wrong") is "1" is marked with
// kWrongClass and a message saying what it expects; "savefailed=1" puts kSaveFailedText
// above the form, "saved=1" kSavedText. Every text from the request or a file is HTML-escaped.
class SettingsPage {
public:
    // Class of the table that lays out the fields.
    static constexpr const char* kFieldsClass = "Settings";
    // Class of a field whose flag is set, and of the message beside it.
    static constexpr const char* kWrongClass = "wrong";
    static constexpr const char* kMessageClass = "message";
    // The message of a marked field: this prefix, then what the field expects.
    static constexpr const char* kExpectedPrefix = "Expected: ";
    // A failed save, and the page's own notices, above the form.
    static constexpr const char* kFailureClass = "failure";
    static constexpr const char* kSavedClass = "saved";
    static constexpr const char* kNoticeClass = "notice";
    // The texts after a field: its unit, the note of a secret, what the device has now.
    static constexpr const char* kUnitClass = "unit";
    static constexpr const char* kCurrentClass = "current";
    static constexpr const char* kSwatchClass = "swatch";
    static constexpr const char* kSecretStored = "stored; leave empty to keep it";
    static constexpr const char* kCurrentPrefix = "now: ";
    static constexpr const char* kShowingRequest = "Showing the values of the request";
    // The script of a list that shows the page again for its choice, and its call.
    static constexpr const char* kChoiceScript = "/style/configweb.js";
    static constexpr const char* kChoiceCall = "showChoice(this.form)";

    explicit SettingsPage(const SettingsForm& form);
    SettingsPage(const SettingsPage&) = delete;
    SettingsPage& operator=(const SettingsPage&) = delete;
    virtual ~SettingsPage();

    // Writes the whole page to standard output.
    void HandleRequest(cgicc::Cgicc& cgi);
    // True once the answer has begun (after a failure nothing more may be written then).
    bool HasAnswered() const { return answered; }

    // A paragraph of the page's notices, of class kNoticeClass or kFailureClass.
    static std::string Paragraph(const char* cssClass, const std::string& html);

private:
    class Shown;
    // One field as the page shows it.
    struct Row {
        std::string value;
        std::string stored;   // "" when not found
        bool found = false;   // whether the property is stored
        std::string current;  // what the device has now, when the field shows it
        bool editable = true;
        bool wrong = false;
    };

    void ReadRows(const cgicc::Cgicc& cgi, const AgentConfiguration& configuration);
    bool CarriesValues(const cgicc::Cgicc& cgi) const;
    static bool IsFlagged(const cgicc::Cgicc& cgi, const std::string& name);
    cgicc::HTMLElement* CreateForm(int32_t sessionId) const;
    bool Reloads() const;
    static cgicc::HTMLElement* CreateRow(const FormField& field, const Row& row);
    static void AddControl(cgicc::HTMLElement* cell, const FormField& field, const Row& row);
    static void AddSelect(cgicc::HTMLElement* cell, const FormField& field, const Row& row);

    const SettingsForm& form;
    // The page's name in the log.
    const std::string kLogSource;
    std::vector<Row> rows;
    std::string notices;
    bool saveFailed = false;
    bool saved = false;
    bool answered = false;
};

#endif
