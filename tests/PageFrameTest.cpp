// The page frame and the request edge, in process: what sibling pages use of the frame
// beyond the TOL Settings pages, and the answer after a failure.

#include <cgicc/Cgicc.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <sstream>
#include <stdexcept>

#include "ConfigWebLogging.h"
#include "ConfigWebStyle.h"
#include "Device.h"
#include "RequestRunner.h"

namespace {

using namespace device;

// The head and body start of a page with these scripts, or (no `scripts`) the removal
// confirmation.
std::string Page(const std::string& title, int32_t session, const std::vector<std::string>* scripts) {
    // cgicc's open/close switches live for the process: each page starts afresh.
    cgicc::html::reset(), cgicc::head::reset(), cgicc::title::reset(), cgicc::script::reset();
    cgicc::body::reset(), cgicc::ul::reset(), cgicc::div::reset();
    std::ostringstream out;
    {
        ConfigWebStyle style(out);
        if (scripts == nullptr) {
            style.WriteRemoveConfirmation(session, title, "/action");
        } else {
            style.SetTitle(title);
            for (const std::string& script : *scripts) style.AddScript(script);
            style.WriteHead();
            style.WriteBodyStart(session, "init('a&b');");
        }
    }
    return out.str();
}

TEST(PageFrameTest, TitleNavigationScriptsButtonsAndOptionsFollowTheCaller) {
    const std::vector<std::string> none, scripts = {"/js/b.js", "/js/a.js"};
    ExpectPieces(Page("LAN Settings", 7, &none), "<title>ORVA Configuration Manager - LAN Settings</title>|<li class=\"active\" >"
                 "<a href=\"/zelconf/lansettings.cgi?sessionid=7\" >LAN Settings</a>|!TOL Settings</a></li><li");
    ExpectPieces(Page("tol settings", 7, &none) + Page("TOL Settings ", 7, &none), "!active");
    ExpectPieces(Page("TOL Settings", 1234, &scripts), "<script src=\"/js/b.js\" type=\"text/javascript\" ></script>\n<script "
                 "src=\"/js/a.js\" type=\"text/javascript\" ></script>\n</head>\n<body onload=\"init('a&b');\" scroll=\"no\" >");
    ExpectPieces(Page("", INT32_MIN, nullptr), "<title>ORVA Configuration Manager</title>|name=\"sessionid\" value=\"-2147483648\"");
    cgicc::select list;
    ConfigWebStyle::AddOption(&list, "A&B", "<1>", false);
    ConfigWebStyle::AddOption(&list, "Two", "2", true);
    cgicc::form form;
    ConfigWebStyle::AddChangeButtons(&form, false, false);
    std::ostringstream out;
    out << list << form;
    ExpectPieces(out.str(), "<option value=\"<1>\" >A&B</option><option value=\"2\" selected=\"selected\" >Two</option>|"
                            "name=\"submit\" value=\"Save Changes\" disabled=\"disabled\"|!remove");
}

// Runs the runner with `body` posted on standard input; what it answered.
std::string RunWith(const std::string& body, const RequestRunner::Handler& handler, const RequestRunner::Fallback& fallback) {
    Write("/tmp/body", body);
    const int savedInput = ::dup(STDIN_FILENO);
    ::dup2(::open("/tmp/body", O_RDONLY), STDIN_FILENO);
    ::setenv("REQUEST_METHOD", "POST", 1);
    ::setenv("CONTENT_TYPE", "application/x-www-form-urlencoded", 1);
    ::setenv("CONTENT_LENGTH", std::to_string(body.size()).c_str(), 1);
    std::ostringstream out;
    std::streambuf* savedOutput = std::cout.rdbuf(out.rdbuf());
    RequestRunner::Run(handler, fallback);
    std::cout.rdbuf(savedOutput);
    ::dup2(savedInput, STDIN_FILENO);
    return out.str();
}

TEST(PageFrameTest, AFailureIsLoggedAndAnsweredByTheFallbackWhenItCan) {
    ConfigWebLogging logging;
    std::string seen;
    EXPECT_EQ(RunWith("sessionid=42", [&seen](cgicc::Cgicc& cgi) { seen = cgi("sessionid"); }, nullptr) + seen, "42");
    const auto fail = [](cgicc::Cgicc&) { throw std::runtime_error("disk on fire"); };
    EXPECT_EQ(RunWith("x=1", fail, [] { return std::cout << "fallback" ? true : false; }), "fallback");
    EXPECT_EQ(RunWith("x=1", fail, [] { return false; }), RequestRunner::kBadRequestAnswer);
    EXPECT_EQ(RunWith("x=1", [](cgicc::Cgicc&) { throw 7; }, nullptr), RequestRunner::kBadRequestAnswer);
    ExpectPieces(Read(kLog), "Request failed: disk on fire|Request failed: disk on fire|Request failed: unknown error");
}

}  // namespace
