#include "SettingsHandler.h"

#include <cgicc/Cgicc.h>
#include <cgicc/HTTPRedirectHeader.h>

#include <cstdlib>
#include <iostream>

#include "AgentConfiguration.h"
#include "ConfigWebLog.h"
#include "ConfigWebStyle.h"
#include "FormElement.h"
#include "FormState.h"
#include "InitialParameters.h"
#include "RequestOrigin.h"
#include "RequestRunner.h"
#include "UrlEncoding.h"

namespace {

const char* HeaderText(const char* variable) {
    const char* value = std::getenv(variable);
    return value != nullptr ? value : "";
}

}  // namespace

// The submission as far as it was checked. A stored property is read the way every
// operation of the handler reads one: through an accessor of its own.
class SettingsHandler::Accepted : public FormState {
public:
    Accepted(const SettingsForm& form, const std::vector<std::string>& values,
             const cgicc::Cgicc& cgi)
        : form(form), values(values), cgi(cgi) {}

    const std::string& Value(const char* element) const override {
        static const std::string kNone;
        const std::size_t index = form.IndexOf(element);
        return index < values.size() ? values[index] : kNone;
    }
    std::string Submitted(const char* element) const override {
        std::string value;
        FormElement::Find(cgi, element, value);
        return value;
    }
    std::string Stored(const std::string& key) const override {
        AgentConfiguration configuration;
        return configuration.Get(key);
    }

private:
    const SettingsForm& form;
    const std::vector<std::string>& values;
    const cgicc::Cgicc& cgi;
};

SettingsHandler::SettingsHandler(const SettingsForm& form)
    : form(form),
      kLogSource(SettingsForm::kHandlerPrefix + std::string(form.name)),
      values(form.fieldCount),
      edited(form.fieldCount, true) {}

SettingsHandler::~SettingsHandler() = default;

void SettingsHandler::HandleRequest(cgicc::Cgicc& cgi) {
    InitialParameters parameters;
    parameters.InitSessionId(cgi);
    redirectUrl = ConfigPages::RedirectTarget(form.page, parameters.GetSessionIdText());
    baseUrl = redirectUrl;

    if (RequestOrigin::IsCrossSite()) {
        WEB_ERROR(kCrossSiteRefused, HeaderText(RequestOrigin::kFetchSiteVariable),
                  HeaderText(RequestOrigin::kOriginVariable),
                  HeaderText(RequestOrigin::kHostVariable));
        return WriteRedirect();
    }
    if (form.removable) {
        if (FormElement::IsPresent(cgi, ConfigWebStyle::kRemoveName)) {
            return ShowRemoveConfirmation(parameters);
        }
        if (FormElement::IsPresent(cgi, ConfigWebStyle::kRemoveYesName)) {
            return RemoveSettings(parameters);
        }
        if (FormElement::IsPresent(cgi, ConfigWebStyle::kRemoveNoName)) return WriteRedirect();
        WEB_DEBUG(kNoRemoveButton);
    }
    if (!FormElement::IsPresent(cgi, ConfigWebStyle::kSaveName)) {
        WEB_ERROR(kRevert);
        return WriteRedirect();
    }
    HandleSubmission(cgi, parameters);
}

bool SettingsHandler::WriteFallbackAnswer() {
    if (answered) return true;
    if (baseUrl.empty()) return false;
    redirectUrl = baseUrl;
    WriteRedirect();
    return true;
}

void SettingsHandler::ShowRemoveConfirmation(const InitialParameters& parameters) {
    answered = true;
    ConfigWebStyle style;
    style.WriteRemoveConfirmation(parameters, form.Page().title, form.Page().handler);
}

void SettingsHandler::RemoveSettings(InitialParameters& parameters) {
    if (RequestRunner::IsHead()) return WriteRedirect();
    AgentConfiguration configuration;
    if (Save(configuration, true)) {
        parameters.SetChanged(kChanged);
    } else {
        ReportSaveFailure(false);
    }
    WriteRedirect();
}

void SettingsHandler::HandleSubmission(const cgicc::Cgicc& cgi, InitialParameters& parameters) {
    // Every field is checked, also after a failure, so that each adds its own flag; a
    // check may look at the values accepted before it.
    bool valid = true;
    for (std::size_t i = 0; i < form.fieldCount; ++i) valid = CheckField(cgi, i) && valid;
    if (!valid) {
        AppendValues();
        return WriteRedirect();
    }
    if (RequestRunner::IsHead()) return WriteRedirect();
    storing = std::make_unique<AgentConfiguration>();
    if (Save(*storing, false)) {
        parameters.SetChanged(kChanged);
        if (form.confirmsSave) AppendFlag(SettingsForm::kSaved);
        if (form.afterSave != nullptr) form.afterSave(Accepted(form, values, cgi), redirectUrl);
    } else {
        ReportSaveFailure(true);
    }
    WriteRedirect();
    storing.reset();
}

// A field that is not editable at the moment is neither looked up nor logged nor flagged.
bool SettingsHandler::CheckField(const cgicc::Cgicc& cgi, std::size_t index) {
    const FormField& field = form.fields[index];
    const Accepted before(form, values, cgi);
    if (field.editable != nullptr && !field.editable(before)) {
        edited[index] = false;
        return true;
    }
    std::string value;
    if (!FormElement::Find(cgi, field.element, value)) {
        if (field.notSetMessage != nullptr) {
            WEB_ERROR("%s", field.notSetMessage);
        } else {
            WEB_ERROR(FormField::kNotSet, field.element);
        }
        if (field.absent == FormField::Absent::kFlagged)
            AppendFlag(field.element + std::string(SettingsForm::kWrongSuffix));
        edited[index] = field.absent != FormField::Absent::kKeeps;
        return field.absent == FormField::Absent::kPasses ||
               field.absent == FormField::Absent::kKeeps;
    }
    // An empty secret keeps the stored one; without one it is missing.
    const bool secret = field.kind == FormField::Kind::kSecret;
    std::string stored;
    if (secret && value.empty() && before.FindStored(field.key, stored) && !stored.empty())
        return true;
    if ((secret && value.empty()) || !IsListed(field, value, before) ||
        (field.accepts != nullptr && !field.accepts(value, before))) {
        Reject(field, value);
        return false;
    }
    values[index] = value;
    return true;
}

// A select takes one of its options, or the stored value when it keeps unlisted ones.
bool SettingsHandler::IsListed(const FormField& field, const std::string& value,
                               const FormState& form) const {
    if (field.kind != FormField::Kind::kSelect || field.IsOption(value)) return true;
    std::string stored;
    return field.keepsUnlisted && !value.empty() && form.FindStored(field.key, stored) &&
           value == stored;
}

void SettingsHandler::Reject(const FormField& field, const std::string& value) {
    if (field.kind == FormField::Kind::kSecret) {
        WEB_ERROR(FormField::kSecretNotValid, field.element);
    } else if (field.notValidMessage != nullptr) {
        WEB_ERROR(field.notValidMessage, value.c_str());
    } else {
        WEB_ERROR(FormField::kNotValid, field.element, value.c_str());
    }
    AppendFlag(field.element + std::string(SettingsForm::kWrongSuffix));
}

// One save for the whole submission: a power cut leaves the old settings or the new ones.
bool SettingsHandler::Save(AgentConfiguration& configuration, bool removal) {
    AgentConfiguration::Properties properties;
    for (std::size_t i = 0; i < form.fieldCount; ++i) {
        const FormField& field = form.fields[i];
        const bool cleared =
            removal || (!edited[i] && field.unedited == FormField::Unedited::kCleared);
        if (cleared) {
            properties.emplace_back(field.key, "");
        } else if (edited[i] && !(field.kind == FormField::Kind::kSecret && values[i].empty())) {
            properties.emplace_back(field.key,
                                    field.storedForm ? field.storedForm(values[i]) : values[i]);
        }
    }
    return configuration.SetAll(properties);
}

void SettingsHandler::ReportSaveFailure(bool withValues) {
    WEB_ERROR(kSaveFailedLog, form.Page().title);
    redirectUrl = baseUrl;
    AppendFlag(SettingsForm::kSaveFailed);
    if (withValues) AppendValues();
}

void SettingsHandler::AppendFlag(const std::string& name) {
    redirectUrl.append(1, '&').append(name).append(1, '=').append(SettingsForm::kFlagValue);
}

// Secrets never leave the handler.
void SettingsHandler::AppendValues() {
    for (std::size_t i = 0; i < form.fieldCount; ++i) {
        if (form.fields[i].kind == FormField::Kind::kSecret) continue;
        redirectUrl.append(1, '&').append(form.fields[i].element).append(1, '=');
        redirectUrl += UrlEncoding::Encode(values[i]);
    }
}

void SettingsHandler::WriteRedirect() {
    answered = true;
    std::cout << cgicc::HTTPRedirectHeader(redirectUrl) << std::endl;
}
