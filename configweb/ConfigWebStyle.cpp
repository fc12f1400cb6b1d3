#include "ConfigWebStyle.h"

#include <cgicc/HTTPHTMLHeader.h>

#include <cstdio>
#include <iostream>

#include "AccessGate.h"
#include "InitialParameters.h"
#include "SignInCgi.h"

ConfigWebStyle::ConfigWebStyle() : ConfigWebStyle(std::cout) {}

ConfigWebStyle::ConfigWebStyle(std::ostream& out) : out(out) {}

ConfigWebStyle::~ConfigWebStyle() {
    if (frame == nullptr || page == nullptr) {
        return;
    }
    frame->add(page);
    page = nullptr;
    // html and body have neither text nor children here: cgicc closes them because
    // WriteHead and WriteBodyStart opened them.
    out << *frame << "\n";
    out << cgicc::body() << "\n";
    out << cgicc::html() << "\n";
}

void ConfigWebStyle::SetTitle(const std::string& newTitle) { title = newTitle; }

void ConfigWebStyle::AddScript(const std::string& address) { scripts.push_back(address); }

void ConfigWebStyle::WriteHead() {
    out << cgicc::HTTPHTMLHeader() << "\n" << std::flush;
    out << kDoctype << "\n" << std::flush;
    WriteLine(cgicc::html());
    WriteLine(cgicc::head());
    WriteLine(cgicc::meta().set("http-equiv", "content-type").set("content", kContentType));
    WriteLine(cgicc::meta().set("http-equiv", "cache-control").set("content", kNoCache));
    WriteDocumentTitle();
    WriteLine(
        cgicc::link().set("href", kStyleSheet).set("rel", "stylesheet").set("media", "screen"));
    WriteLine(
        cgicc::link().set("href", kColorSheet).set("rel", "stylesheet").set("media", "screen"));
    WriteLine(cgicc::link().set("href", kFavicon).set("rel", "icon").set("type", "image/x-icon"));
    WriteScripts();
    WriteLine(cgicc::head());
}

cgicc::HTMLElement* ConfigWebStyle::WriteBodyStart(int32_t sessionId, const std::string& onload) {
    cgicc::body bodyTag;
    if (!onload.empty()) {
        bodyTag.set("onload", onload);
    }
    bodyTag.set("scroll", "no");
    out << bodyTag << "\n";

    frame = new cgicc::div();
    cgicc::div header(cgicc::span(kProductName).set("class", kTitleClass));
    header.set("id", kHeaderId);
    header.add(cgicc::img().set("class", kLogoClass).set("src", kLogo).set("alt", kLogoAlt));
    if (AccessGate::IsSignedIn()) header.add(CreateSignOutForm(sessionId));
    frame->add(header);
    AddNavigation(frame, sessionId);

    page = new cgicc::div();
    page->set("class", kPageClass);
    return page;
}

void ConfigWebStyle::AddNavigation(cgicc::HTMLElement* parent, int32_t sessionId) {
    const std::string suffix = FormatNumber(kSessionSuffixFormat, sessionId);
    auto* navigation = new cgicc::div();
    navigation->set("id", kNavigationId);
    // An empty list renders as its bare opening tag; the items follow it inside the div.
    navigation->add(cgicc::ul().set("class", kNavigationListClass));
    for (const ConfigPages::Page& entry : ConfigPages::kPages) {
        navigation->add(CreateNavigationItem(entry, suffix, title == entry.title));
    }
    parent->add(navigation);
}

void ConfigWebStyle::WriteRemoveConfirmation(const InitialParameters& parameters,
                                             const std::string& pageTitle,
                                             const std::string& action) {
    WriteRemoveConfirmation(parameters.GetSessionId(), pageTitle, action);
}

void ConfigWebStyle::WriteRemoveConfirmation(int32_t sessionId, const std::string& pageTitle,
                                             const std::string& action) {
    SetTitle(pageTitle);
    WriteHead();
    cgicc::HTMLElement* content = WriteBodyStart(sessionId, "");

    auto* form = new cgicc::form();
    form->set("method", "post").set("action", action);
    AddSessionIdField(form, sessionId);
    form->add(CreateQuestionBox(pageTitle));
    content->add(form);
}

void ConfigWebStyle::AddSessionIdField(cgicc::HTMLElement* form, int32_t sessionId) {
    form->add(cgicc::input()
                  .set("type", "hidden")
                  .set("name", InitialParameters::kSessionIdElement)
                  .set("value", FormatNumber(kSessionIdFormat, sessionId)));
}

void ConfigWebStyle::AddOption(cgicc::HTMLElement* list, const std::string& label,
                               const std::string& value, bool selected) {
    AddOption(list, label, value, selected, nullptr);
}

void ConfigWebStyle::AddOption(cgicc::HTMLElement* list, const std::string& label,
                               const std::string& value, bool selected, const char* swatch) {
    auto* option = new cgicc::option(label);
    option->set("value", value);
    if (selected) {
        option->set("selected", "selected");
    }
    if (swatch != nullptr) {
        option->set("style", Background(swatch));
    }
    list->add(option);
}

std::string ConfigWebStyle::Background(const std::string& color) {
    return kBackgroundStyle + color;
}

void ConfigWebStyle::AddChangeButtons(cgicc::HTMLElement* parent, bool showRemove, bool enabled) {
    auto* box = new cgicc::div();
    box->set("align", "center");
    box->add(CreateButton(kSaveName, kSaveLabel, enabled));
    box->add(cgicc::span(kButtonSpacer));
    box->add(CreateButton(kRevertName, kRevertLabel, enabled));
    box->set("id", kButtonBoxId);
    if (showRemove) {
        box->add(cgicc::span(kButtonSpacer));
        box->add(CreateButton(kRemoveName, kRemoveLabel, enabled));
    }
    parent->add(box);
}

void ConfigWebStyle::AddButtonBox(cgicc::HTMLElement* parent, const char* name, const char* label) {
    auto* box = new cgicc::div();
    box->set("id", kButtonBoxId);
    box->add(CreateButton(name, label, true));
    parent->add(box);
}

void ConfigWebStyle::WriteLine(const cgicc::HTMLElement& element) {
    out << element << "\n" << std::flush;
}

void ConfigWebStyle::WriteDocumentTitle() {
    out << cgicc::title() << kProductName;
    if (!title.empty()) {
        out << kTitleSeparator << title;
    }
    WriteLine(cgicc::title());
}

void ConfigWebStyle::WriteScripts() {
    for (const std::string& address : scripts) {
        // The first, empty script renders as the opening tag, the second as the closing one.
        out << cgicc::script().set("src", address).set("type", "text/javascript");
        WriteLine(cgicc::script());
    }
}

cgicc::HTMLElement* ConfigWebStyle::CreateNavigationItem(const ConfigPages::Page& entry,
                                                         const std::string& suffix, bool active) {
    auto* item = new cgicc::li();
    item->add(cgicc::a(entry.title).set("href", entry.address + suffix));
    if (active) {
        item->set("class", kActiveClass);
    }
    return item;
}

cgicc::HTMLElement* ConfigWebStyle::CreateQuestionBox(const std::string& pageTitle) {
    auto* box = new cgicc::div();
    box->set("align", "center").set("style", kQuestionBoxStyle);
    const std::string question = kQuestionStart + pageTitle + kQuestionEnd;
    auto* paragraph = new cgicc::p(cgicc::b(question));
    paragraph->set("style", kQuestionStyle);
    box->add(paragraph);
    box->add(CreateButton(kRemoveYesName, kRemoveYesLabel, true));
    box->add(cgicc::span(kButtonSpacer));
    box->add(CreateButton(kRemoveNoName, kRemoveNoLabel, true));
    box->set("id", kButtonBoxId);
    return box;
}

cgicc::HTMLElement* ConfigWebStyle::CreateSignOutForm(int32_t sessionId) {
    auto* form = new cgicc::form();
    form->set("method", "post").set("action", SignInCgi::kAddress);
    // Strict HTML keeps a form's inputs inside a block.
    auto* box = new cgicc::div();
    AddSessionIdField(box, sessionId);
    box->add(CreateButton(SignInCgi::kSignOutElement, SignInCgi::kSignOutLabel, true));
    form->add(box);
    return form;
}

cgicc::input ConfigWebStyle::CreateButton(const char* name, const char* label, bool enabled) {
    cgicc::input button;
    button.set("type", "submit").set("name", name).set("value", label);
    if (!enabled) {
        button.set("disabled", "disabled");
    }
    return button;
}

std::string ConfigWebStyle::FormatNumber(const char* format, int32_t number) {
    char buffer[kNumberBufferSize];
    std::snprintf(buffer, sizeof buffer, format, static_cast<int>(number));
    return buffer;
}
