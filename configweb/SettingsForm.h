#ifndef CONFIGWEB_SETTINGSFORM_H
#define CONFIGWEB_SETTINGSFORM_H

#include <cstddef>
#include <string>

#include "ConfigPages.h"
#include "FormField.h"

class FormState;

// A settings page as it declares itself: its entry in the table of pages, its fields in
// the order of the form, the checks, the redirect and the save, and its own rules. The
// handler (SettingsHandler) and the page (SettingsPage) are the same for every form.
struct SettingsForm {
    // Runs after a successful save, before the answer; may append parameters to the
    // redirect target. `saved` holds the values of the submission.
    using AfterSave = void (*)(const FormState& saved, std::string& redirect);
    // What the page says above its form, as HTML paragraphs (SettingsPage::Paragraph; the
    // rule escapes what comes from a file or the request); "" for nothing.
    using Notices = std::string (*)(const FormState& shown);

    // A rejected field is flagged as its element followed by kWrongSuffix, with kFlagValue
    // ("&outletwrong=1"); a save that failed as kSaveFailed.
    static constexpr const char* kWrongSuffix = "wrong";
    static constexpr const char* kFlagValue = "1";
    static constexpr const char* kSaveFailed = "savefailed";
    static constexpr const char* kSaveFailedText = "The settings could not be saved.";
    static constexpr const char* kSaved = "saved";
    static constexpr const char* kSavedText = "The settings were saved.";
    static constexpr const char* kHandlerPrefix = "Set";

    const ConfigPages::Page& Page() const { return ConfigPages::kPages[page]; }
    // The position of `element` among the fields, or fieldCount.
    std::size_t IndexOf(const char* element) const;

    ConfigPages::Id page;
    // The page's name in the log ("TolSettingsCgi"); its handler logs as "Set" and this.
    const char* name;
    const FormField* fields;
    std::size_t fieldCount;
    // Offers "Remove Settings", which stores every field empty.
    bool removable;
    // A successful save redirects with kSaved, and the page then says so.
    bool confirmsSave;
    AfterSave afterSave;
    Notices notices;
};

#endif
