#include "SelfTestCgi.h"

#include <cgicc/Cgicc.h>
#include <cgicc/HTMLClasses.h>

#include <vector>

#include "AgentConfiguration.h"
#include "ConfigPages.h"
#include "ConfigWebStyle.h"
#include "InitialParameters.h"

namespace {

using Verdict = SelfTestChecks::Verdict;

constexpr Verdict kCounted[] = {Verdict::kPassed, Verdict::kWarning, Verdict::kFailed,
                                Verdict::kNotAvailable};

// The class of a verdict's cell: its name without blanks.
std::string VerdictClass(Verdict verdict) {
    std::string name = SelfTestChecks::Name(verdict);
    for (char& c : name) c = c == ' ' ? '-' : c;
    return name;
}

}  // namespace

SelfTestCgi::SelfTestCgi() = default;

SelfTestCgi::~SelfTestCgi() = default;

void SelfTestCgi::HandleRequest(cgicc::Cgicc& cgi) {
    InitialParameters parameters;
    parameters.InitSessionId(cgi);
    std::vector<SelfTestChecks::Outcome> outcomes;
    {
        AgentConfiguration configuration;
        for (std::size_t i = 0; i < SelfTestChecks::kCheckCount; ++i) {
            outcomes.push_back(SelfTestChecks::kChecks[i].run(configuration));
        }
    }
    answered = true;
    ConfigWebStyle style;
    style.SetTitle(kTitle);
    style.WriteHead();
    cgicc::HTMLElement* content = style.WriteBodyStart(parameters.GetSessionId(), "");
    content->add(CreateCounts(outcomes.data()));
    content->add(CreateTable(outcomes.data()));
    content->add(CreateRunAgain(parameters.GetSessionId()));
}

cgicc::HTMLElement* SelfTestCgi::CreateCounts(const SelfTestChecks::Outcome outcomes[]) {
    std::string counts;
    for (Verdict verdict : kCounted) {
        int count = 0;
        for (std::size_t i = 0; i < SelfTestChecks::kCheckCount; ++i)
            count += outcomes[i].verdict == verdict;
        const bool plural = verdict == Verdict::kWarning && count != 1;
        counts += (counts.empty() ? "" : ", ") + std::to_string(count) + " " +
                  SelfTestChecks::Name(verdict) + (plural ? "s" : "");
    }
    return new cgicc::p(counts + ".");
}

cgicc::HTMLElement* SelfTestCgi::CreateTable(const SelfTestChecks::Outcome outcomes[]) {
    auto* table = new cgicc::table();
    table->set("class", kTableClass);
    table->add(cgicc::tr(cgicc::th("Check")).add(cgicc::th("Seen")).add(cgicc::th("Verdict")));
    const char* group = "";
    for (std::size_t i = 0; i < SelfTestChecks::kCheckCount; ++i) {
        const SelfTestChecks::Check& check = SelfTestChecks::kChecks[i];
        if (std::string(group) != check.group) {
            group = check.group;
            table->add(cgicc::tr(cgicc::th(group).set("colspan", "3").set("class", "group")));
        }
        const SelfTestChecks::Outcome& outcome = outcomes[i];
        cgicc::tr row(cgicc::td(check.what));
        row.add(cgicc::td(outcome.seen));
        row.add(cgicc::td(SelfTestChecks::Name(outcome.verdict))
                    .set("class", VerdictClass(outcome.verdict)));
        table->add(row);
    }
    return table;
}

// A form that asks for this page again: running the checks changes nothing, so it is a GET.
cgicc::HTMLElement* SelfTestCgi::CreateRunAgain(int32_t sessionId) {
    auto* form = new cgicc::form();
    form->set("method", "get").set("action", ConfigPages::kPages[ConfigPages::kSelfTest].address);
    auto* box = new cgicc::div();
    ConfigWebStyle::AddSessionIdField(box, sessionId);
    box->add(
        cgicc::input().set("type", "submit").set("name", kRunAgainName).set("value", kRunAgain));
    box->set("id", "changebuttons");
    form->add(box);
    return form;
}
