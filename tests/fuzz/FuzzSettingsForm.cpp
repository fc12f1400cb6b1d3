// The settings forms beyond TOL Settings as a browser or an attacker may drive them: the first
// byte picks a form and whether its page or its handler answers, the next line is the stored
// agent configuration (with "\t" for line feeds), the rest the query. Whatever they hold, the
// answer is one well-formed header block, a page carries no markup or control byte of the
// input and never a secret, a redirect never names a secret, and what is stored is whole.
#include <unistd.h>

#include <iostream>

#include "CgiAnswer.h"
#include "ConfigWebLogging.h"
#include "DeviceConfigurationCgi.h"
#include "FuzzSupport.h"
#include "LanSettingsCgi.h"
#include "RequestRunner.h"
#include "SettingsHandler.h"
#include "SettingsPage.h"
#include "WlanSettingsCgi.h"

static const SettingsForm* const kForms[] = {&DeviceConfigurationCgi::kForm, &LanSettingsCgi::kForm,
                                             &WlanSettingsCgi::kForm};
static const std::regex kControl("[\\x00-\\x08\\x0b-\\x1f\\x7f]");
static const std::string kSecret = "SECRETVALUE";  // the stored secrets, never to be shown

void CheckInput(const std::string& input) {
    static ConfigWebLogging logging;
    if (input.empty()) return;
    const SettingsForm& form = *kForms[static_cast<unsigned char>(input[0]) % std::size(kForms)];
    const bool page = (static_cast<unsigned char>(input[0]) / std::size(kForms)) % 2 == 0;
    const size_t line = std::min(input.find('\n', 1), input.size());
    std::string stored = input.substr(1, line - 1);
    std::replace(stored.begin(), stored.end(), '\t', '\n');
    for (size_t i = 0; i < form.fieldCount; ++i) {
        if (form.fields[i].kind == FormField::Kind::kSecret) stored += "\n" + std::string(form.fields[i].key) + "=" + kSecret;
    }
    WriteFile(ZelConfig::kAgentConfigurationPath, stored + "\n");
    ::setenv("REQUEST_METHOD", "GET", 1);
    ::setenv("QUERY_STRING", input.substr(std::min(line + 1, input.size())).c_str(), 1);
    Require(std::freopen("/tmp/answer", "w", stdout) != nullptr, "cannot redirect the answer");
    if (page) {
        SettingsPage settings(form);
        RequestRunner::Run([&settings](cgicc::Cgicc& cgi) { settings.HandleRequest(cgi); }, nullptr);
    } else {
        SettingsHandler settings(form);
        RequestRunner::Run([&settings](cgicc::Cgicc& cgi) { settings.HandleRequest(cgi); }, nullptr);
    }
    std::cout.flush();

    const std::string answer = ReadFile("/tmp/answer");
    Require(cgianswer::Inspect(answer).wellFormed, "the answer is not one well-formed header block");
    // The stored secrets may show only where the input itself carries the text.
    const bool secretTyped = input.find(kSecret) != std::string::npos;
    Require(secretTyped || answer.find(kSecret) == std::string::npos, "a secret in the answer");
    const std::string body = answer.substr(std::min(answer.find("\n\n") + 2, answer.size()));
    Require(!std::regex_search(body, kControl), "a control byte in the page");
    const std::string ours = "<script src=\"/style/configweb.js\" ";  // the one script a page links
    const size_t script = body.find("<script");
    Require(script == std::string::npos || (body.find("<script", script + 1) == std::string::npos &&
                                            body.compare(script, ours.size(), ours) == 0),
            "a script in the page");
    Require(std::count(body.begin(), body.end(), '<') == std::count(body.begin(), body.end(), '>'), "markup of the input");
    // Only what the input stored itself: a control byte it found in the file stays there.
    if (!std::regex_search(stored, kControl)) {
        Require(!std::regex_search(ReadFile(ZelConfig::kAgentConfigurationPath), kControl), "a control byte stored");
    }
    Require(secretTyped || ReadFile(ConfigWebLogging::kLogPath).find(kSecret) == std::string::npos, "a secret in the log");
    ::truncate(ConfigWebLogging::kLogPath, 0);
}
