#include "TolSettingsCgi.h"

#include <cgicc/Cgicc.h>
#include <cgicc/HTMLClasses.h>

#include "AgentConfiguration.h"
#include "ConfigWebLog.h"
#include "ConfigWebStyle.h"
#include "FormElement.h"
#include "HtmlEscaping.h"
#include "InitialParameters.h"
#include "SetTolSettingsCgi.h"

namespace {

constexpr const char* kLogSource = "TolSettingsCgi";

}  // namespace

TolSettingsCgi::TolSettingsCgi() = default;

TolSettingsCgi::~TolSettingsCgi() = default;

void TolSettingsCgi::HandleRequest(cgicc::Cgicc& cgi) {
    InitialParameters parameters;
    parameters.InitSessionId(cgi);
    Values values;
    bool dnsByHand = false;
    {
        AgentConfiguration configuration;
        dnsByHand = SetTolSettingsCgi::IsDnsByHandMode(
            configuration.Get(SetTolSettingsCgi::kDiscoverModeKey));
        if (CarriesValues(cgi)) {
            WEB_DEBUG("Showing the values of the request");
            values = RequestValues(cgi);
        } else {
            values = StoredValues(configuration);
        }
    }
    answered = true;
    ConfigWebStyle style;
    style.SetTitle(SetTolSettingsCgi::kPageTitle);
    style.WriteHead();
    cgicc::HTMLElement* content = style.WriteBodyStart(parameters.GetSessionId(), "");
    content->add(CreateForm(cgi, parameters.GetSessionId(), values, dnsByHand));
}

bool TolSettingsCgi::CarriesValues(const cgicc::Cgicc& cgi) {
    for (const Field& field : SetTolSettingsCgi::kFields) {
        if (FormElement::IsPresent(cgi, field.element)) return true;
    }
    return false;
}

TolSettingsCgi::Values TolSettingsCgi::RequestValues(const cgicc::Cgicc& cgi) {
    Values values;
    for (std::size_t i = 0; i < values.size(); ++i) {
        FormElement::Find(cgi, SetTolSettingsCgi::kFields[i].element, values[i]);
    }
    return values;
}

TolSettingsCgi::Values TolSettingsCgi::StoredValues(const AgentConfiguration& configuration) {
    Values values;
    for (std::size_t i = 0; i < values.size(); ++i) {
        configuration.Find(SetTolSettingsCgi::kFields[i].key, values[i]);
    }
    return values;
}

bool TolSettingsCgi::IsFlagged(const cgicc::Cgicc& cgi, const Field& field) {
    std::string flag;
    return FormElement::Find(cgi, field.element + std::string(SetTolSettingsCgi::kWrongSuffix), flag) &&
           flag == SetTolSettingsCgi::kWrongValue;
}

cgicc::HTMLElement* TolSettingsCgi::CreateForm(const cgicc::Cgicc& cgi, int32_t sessionId,
                                               const Values& values, bool dnsByHand) {
    auto* form = new cgicc::form();
    form->set("method", "post").set("action", SetTolSettingsCgi::kFormAction);
    // Strict HTML keeps a form's inputs inside a block.
    auto* hidden = new cgicc::div();
    ConfigWebStyle::AddSessionIdField(hidden, sessionId);
    form->add(hidden);
    auto* table = new cgicc::table();
    table->set("class", kFieldsClass);
    for (std::size_t i = 0; i < values.size(); ++i) {
        const Field& field = SetTolSettingsCgi::kFields[i];
        table->add(CreateRow(field, values[i], IsFlagged(cgi, field), dnsByHand || !field.dns));
    }
    form->add(table);
    ConfigWebStyle::AddChangeButtons(form, true, true);
    return form;
}

// Every element gets text or a child: cgicc writes an empty one as a bare opening or
// closing tag, alternately.
cgicc::HTMLElement* TolSettingsCgi::CreateRow(const Field& field, const std::string& value,
                                              bool wrong, bool enabled) {
    cgicc::input input;
    input.set("type", "text").set("id", field.element).set("name", field.element);
    input.set("value", HtmlEscaping::Escape(value));
    if (wrong) input.set("class", kWrongClass);
    if (!enabled) input.set("disabled", "disabled");
    cgicc::td entry(input);
    if (wrong) {
        entry.add(
            cgicc::span(kExpectedPrefix + std::string(field.expected)).set("class", kMessageClass));
    }
    auto* row = new cgicc::tr(cgicc::td(cgicc::label(field.label).set("for", field.element)));
    row->add(entry);
    return row;
}
