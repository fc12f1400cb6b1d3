#include "SettingsPage.h"

#include <cgicc/Cgicc.h>
#include <cgicc/HTMLClasses.h>

#include <map>

#include "AgentConfiguration.h"
#include "ConfigWebLog.h"
#include "ConfigWebStyle.h"
#include "FormElement.h"
#include "FormState.h"
#include "HtmlEscaping.h"
#include "InitialParameters.h"

// The form as the page shows it; stored properties are the fields' as the page read them, and
// others read through the page's accessor, each at most once.
class SettingsPage::Shown : public FormState {
public:
    Shown(const SettingsForm& form, const std::vector<Row>& rows,
          const AgentConfiguration& configuration, const cgicc::Cgicc& cgi)
        : form(form), rows(rows), configuration(configuration), cgi(cgi) {
        for (std::size_t i = 0; i < rows.size(); ++i) {
            read[form.fields[i].key] =
                rows[i].found ? rows[i].stored
                              : form.fields[i].key + std::string(AgentConfiguration::kNotFound);
        }
    }

    const std::string& Value(const char* element) const override {
        static const std::string kNone;
        const std::size_t index = form.IndexOf(element);
        return index < rows.size() ? rows[index].value : kNone;
    }
    std::string Submitted(const char* element) const override {
        std::string value;
        FormElement::Find(cgi, element, value);
        return value;
    }
    std::string Stored(const std::string& key) const override {
        const auto known = read.find(key);
        if (known != read.end()) return known->second;
        return read[key] = configuration.Get(key);
    }

private:
    const SettingsForm& form;
    const std::vector<Row>& rows;
    const AgentConfiguration& configuration;
    const cgicc::Cgicc& cgi;
    mutable std::map<std::string, std::string> read;
};

SettingsPage::SettingsPage(const SettingsForm& form) : form(form), kLogSource(form.name) {}

SettingsPage::~SettingsPage() = default;

void SettingsPage::HandleRequest(cgicc::Cgicc& cgi) {
    InitialParameters parameters;
    parameters.InitSessionId(cgi);
    {
        AgentConfiguration configuration;
        ReadRows(cgi, configuration);
        if (form.notices != nullptr) notices = form.notices(Shown(form, rows, configuration, cgi));
    }
    saveFailed = IsFlagged(cgi, SettingsForm::kSaveFailed);
    saved = IsFlagged(cgi, SettingsForm::kSaved);
    answered = true;
    ConfigWebStyle style;
    style.SetTitle(form.Page().title);
    if (Reloads()) style.AddScript(kChoiceScript);
    style.WriteHead();
    cgicc::HTMLElement* content = style.WriteBodyStart(parameters.GetSessionId(), "");
    if (saveFailed)
        content->add(cgicc::p(SettingsForm::kSaveFailedText).set("class", kFailureClass));
    if (saved) content->add(cgicc::p(SettingsForm::kSavedText).set("class", kSavedClass));
    if (!notices.empty()) content->add(cgicc::div(notices));
    content->add(CreateForm(parameters.GetSessionId()));
}

// The fields' stored values come from one read of the file.
void SettingsPage::ReadRows(const cgicc::Cgicc& cgi, const AgentConfiguration& configuration) {
    std::vector<std::string> keys, stored;
    std::vector<bool> found;
    for (std::size_t i = 0; i < form.fieldCount; ++i) keys.push_back(form.fields[i].key);
    configuration.FindAll(keys, stored, found);
    rows.assign(form.fieldCount, Row());
    const bool carries = CarriesValues(cgi);
    if (carries) WEB_DEBUG(kShowingRequest);
    for (std::size_t i = 0; i < form.fieldCount; ++i) {
        const FormField& field = form.fields[i];
        Row& row = rows[i];
        row.stored = stored[i];
        row.found = found[i];
        row.wrong = IsFlagged(cgi, field.element + std::string(SettingsForm::kWrongSuffix));
        if (field.kind == FormField::Kind::kSecret) continue;
        if (carries) {
            FormElement::Find(cgi, field.element, row.value);
        } else {
            row.value = row.stored;
        }
    }
    const Shown shown(form, rows, configuration, cgi);
    for (std::size_t i = 0; i < form.fieldCount; ++i) {
        const FormField& field = form.fields[i];
        Row& row = rows[i];
        row.editable = field.editable == nullptr || field.editable(shown);
        const bool kept = !row.editable && field.unedited == FormField::Unedited::kKept;
        if (kept && field.kind != FormField::Kind::kSecret) row.value = row.stored;
        if (field.current != nullptr &&
            !configuration.Store().GetAttribute(field.current, row.current)) {
            row.current.clear();
        }
    }
}

std::string SettingsPage::Paragraph(const char* cssClass, const std::string& html) {
    return std::string("<p class=\"") + cssClass + "\">" + html + "</p>";
}

bool SettingsPage::Reloads() const {
    for (std::size_t i = 0; i < form.fieldCount; ++i) {
        if (form.fields[i].reloads) return true;
    }
    return false;
}

bool SettingsPage::CarriesValues(const cgicc::Cgicc& cgi) const {
    for (std::size_t i = 0; i < form.fieldCount; ++i) {
        if (FormElement::IsPresent(cgi, form.fields[i].element)) return true;
    }
    return false;
}

bool SettingsPage::IsFlagged(const cgicc::Cgicc& cgi, const std::string& name) {
    std::string flag;
    return FormElement::Find(cgi, name, flag) && flag == SettingsForm::kFlagValue;
}

cgicc::HTMLElement* SettingsPage::CreateForm(int32_t sessionId) const {
    auto* formElement = new cgicc::form();
    formElement->set("method", "post").set("action", form.Page().handler);
    // Strict HTML keeps a form's inputs inside a block.
    auto* hidden = new cgicc::div();
    ConfigWebStyle::AddSessionIdField(hidden, sessionId);
    formElement->add(hidden);
    auto* table = new cgicc::table();
    table->set("class", kFieldsClass);
    for (std::size_t i = 0; i < form.fieldCount; ++i)
        table->add(CreateRow(form.fields[i], rows[i]));
    formElement->add(table);
    ConfigWebStyle::AddChangeButtons(formElement, form.removable, true);
    return formElement;
}

// Every element gets text or a child: cgicc writes an empty one as a bare opening or
// closing tag, alternately.
cgicc::HTMLElement* SettingsPage::CreateRow(const FormField& field, const Row& row) {
    cgicc::td entry;
    AddControl(&entry, field, row);
    if (field.unit != nullptr) entry.add(cgicc::span(field.unit).set("class", kUnitClass));
    if (field.kind == FormField::Kind::kSecret && !row.stored.empty()) {
        entry.add(cgicc::span(kSecretStored).set("class", kUnitClass));
    }
    if (row.wrong) {
        entry.add(
            cgicc::span(kExpectedPrefix + std::string(field.expected)).set("class", kMessageClass));
    }
    auto* tableRow = new cgicc::tr(cgicc::td(cgicc::label(field.label).set("for", field.element)));
    tableRow->add(entry);
    if (field.current != nullptr) {
        const std::string now =
            kCurrentPrefix + (row.current.empty() ? ConfigWebStyle::kNotAvailable
                                                  : HtmlEscaping::Escape(row.current));
        tableRow->add(cgicc::td(now).set("class", kCurrentClass));
    }
    return tableRow;
}

void SettingsPage::AddControl(cgicc::HTMLElement* cell, const FormField& field, const Row& row) {
    if (field.kind == FormField::Kind::kSelect) return AddSelect(cell, field, row);
    cgicc::input input;
    input.set("type", field.kind == FormField::Kind::kSecret ? "password" : "text");
    input.set("id", field.element).set("name", field.element);
    input.set("value", HtmlEscaping::Escape(row.value));
    if (row.wrong) input.set("class", kWrongClass);
    if (!row.editable) input.set("disabled", "disabled");
    cell->add(input);
}

// A stored value that is none of the options is offered as an option of its own, so that
// a save without a change keeps it.
void SettingsPage::AddSelect(cgicc::HTMLElement* cell, const FormField& field, const Row& row) {
    auto* list = new cgicc::select();
    list->set("id", field.element).set("name", field.element);
    if (row.wrong) list->set("class", kWrongClass);
    if (!row.editable) list->set("disabled", "disabled");
    if (field.reloads) list->set("onchange", kChoiceCall);
    const char* swatch = nullptr;
    for (std::size_t i = 0; i < field.optionCount; ++i) {
        const SelectOption& option = field.options[i];
        const bool selected = row.value == option.value;
        ConfigWebStyle::AddOption(list, option.label, option.value, selected, option.swatch);
        if (selected) swatch = option.swatch;
    }
    for (const std::string* own : {&row.stored, &row.value}) {
        if (!field.keepsUnlisted || own->empty() || field.IsOption(*own) ||
            (own == &row.value && *own == row.stored)) {
            continue;
        }
        const std::string text = HtmlEscaping::Escape(*own);
        ConfigWebStyle::AddOption(list, text, text, *own == row.value, nullptr);
    }
    cell->add(list);
    if (swatch != nullptr) {
        cell->add(cgicc::span("&nbsp;")
                      .set("class", kSwatchClass)
                      .set("style", ConfigWebStyle::Background(swatch)));
    }
}
