// The page frame and the request edge, in process: what the sibling pages use of the frame
// beyond the TOL Settings pages, and the answer after a failure.

#include <cgicc/Cgicc.h>
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

struct Frame {
    std::string title;
    int32_t session;
    const char* onload;
    std::vector<std::string> scripts;
    const char* pieces;  // see ExpectPieces
};

std::string Page(const Frame& frame, bool confirmation) {
    // cgicc's open/close switches live for the process: each page starts afresh.
    cgicc::html::reset(), cgicc::head::reset(), cgicc::title::reset(), cgicc::script::reset();
    cgicc::body::reset(), cgicc::ul::reset(), cgicc::div::reset();
    std::ostringstream out;
    {
        ConfigWebStyle style(out);
        if (confirmation) {
            style.WriteRemoveConfirmation(frame.session, frame.title, "/action");
        } else {
            style.SetTitle(frame.title);
            for (const std::string& script : frame.scripts) style.AddScript(script);
            style.WriteHead();
            style.WriteBodyStart(frame.session, frame.onload);
        }
    }
    return out.str();
}

TEST(PageFrameTest, TitleNavigationScriptsAndBodyFollowThePage) {
    const Frame frames[] = {
        {"LAN Settings", 7, "", {},
         "<title>ORVA Configuration Manager - LAN Settings</title>|<li class=\"active\" ><a "
         "href=\"/zelconf/lansettings.cgi?sessionid=7\" >LAN Settings</a>|!TOL Settings</a></li><li"},
        {"tol settings", 7, "", {}, "!active"},
        {"TOL Settings ", 7, "", {}, "!active"},
        {"A&B <i>", 7, "", {}, "<title>ORVA Configuration Manager - A&B <i></title>"},
        {"TOL Settings", 1234, "init('a&b');", {"/js/b.js", "/js/a.js"},
         "<link href=\"/style/favicon.ico\" rel=\"icon\" type=\"image/x-icon\"  />\n<script "
         "src=\"/js/b.js\" type=\"text/javascript\" ></script>\n<script src=\"/js/a.js\" "
         "type=\"text/javascript\" ></script>\n</head>\n<body onload=\"init('a&b');\" scroll=\"no\" "
         ">\n<div><div id=\"Header\" >|<div class=\"Page\" >|</div>\n</body>\n</html>\n"},
        {"", INT32_MIN, "", {}, "<title>ORVA Configuration Manager</title>|!active"},
    };
    for (const Frame& frame : frames) ExpectPieces(Page(frame, false), frame.pieces);
    for (const int32_t id : {-1, INT32_MIN}) {
        const std::string page = Page({"", id, "", {}, ""}, true);
        ExpectPieces(page, "<title>ORVA Configuration Manager</title>|!active|name=\"sessionid\" value=\"" +
                               std::to_string(id) + "\"|for ?</b>");
        size_t links = 0;
        for (size_t at = page.find("?sessionid=" + std::to_string(id) + "\" >"); at != std::string::npos;
             at = page.find("?sessionid=" + std::to_string(id) + "\" >", at + 1)) {
            ++links;
        }
        EXPECT_EQ(links, 6u) << id;
    }
    std::ostringstream out;
    { ConfigWebStyle unused(out); }
    {
        ConfigWebStyle headOnly(out);
        headOnly.WriteHead();
    }
    EXPECT_EQ(Lines(out.str()).back(), "</head>");  // no body start: nothing more
}

TEST(PageFrameTest, OptionsAndChangeButtonsAreBuiltAsAsked) {
    cgicc::select list;
    ConfigWebStyle::AddOption(&list, "A&B", "<1>", false);
    ConfigWebStyle::AddOption(&list, "Two", "2", true);
    std::ostringstream out;
    out << list;
    EXPECT_EQ(out.str(), "<select><option value=\"<1>\" >A&B</option><option value=\"2\" "
                         "selected=\"selected\" >Two</option></select>");
    for (const bool remove : {false, true}) {
        for (const bool enabled : {false, true}) {
            cgicc::form form;
            ConfigWebStyle::AddChangeButtons(&form, remove, enabled);
            std::ostringstream buttons;
            buttons << form;
            const std::string text = buttons.str();
            ExpectPieces(text, "<div align=\"center\" id=\"changebuttons\" ><input type=\"submit\" "
                               "name=\"submit\" value=\"Save Changes\" |<span>&nbsp;&nbsp;&nbsp;&nbsp;"
                               "&nbsp;</span><input type=\"submit\" name=\"revert\"");
            EXPECT_EQ(text.find("name=\"remove\" value=\"Remove Settings\"") != std::string::npos, remove);
            size_t disabled = 0;
            for (size_t at = text.find("disabled"); at != std::string::npos; at = text.find("disabled", at + 1)) ++disabled;
            EXPECT_EQ(disabled, enabled ? 0u : (remove ? 6u : 4u));
        }
    }
}

// Runs the runner with `body` posted on standard input; what it answered.
std::string RunWith(const std::string& body, const RequestRunner::Handler& handler,
                    const RequestRunner::Fallback& fallback) {
    int fds[2];
    EXPECT_EQ(::pipe(fds), 0);
    EXPECT_EQ(::write(fds[1], body.data(), body.size()), static_cast<ssize_t>(body.size()));
    ::close(fds[1]);
    const int savedInput = ::dup(STDIN_FILENO);
    ::dup2(fds[0], STDIN_FILENO);
    ::close(fds[0]);
    ::setenv("REQUEST_METHOD", "POST", 1);
    ::setenv("CONTENT_TYPE", "application/x-www-form-urlencoded", 1);
    ::setenv("CONTENT_LENGTH", std::to_string(body.size()).c_str(), 1);
    std::ostringstream out;
    std::streambuf* savedOutput = std::cout.rdbuf(out.rdbuf());
    RequestRunner::Run(handler, fallback);
    std::cout.rdbuf(savedOutput);
    ::dup2(savedInput, STDIN_FILENO);
    ::close(savedInput);
    return out.str();
}

TEST(PageFrameTest, AFailureIsLoggedAndAnsweredByTheFallbackWhenItCan) {
    ConfigWebLogging logging;
    std::string seen;
    EXPECT_EQ(RunWith("sessionid=42", [&seen](cgicc::Cgicc& cgi) { seen = cgi("sessionid"); }, nullptr), "");
    EXPECT_EQ(seen, "42");
    auto fail = [](cgicc::Cgicc&) { throw std::runtime_error("disk on fire"); };
    EXPECT_EQ(RunWith("x=1", fail, [] {
        std::cout << "fallback";
        return true;
    }), "fallback");
    EXPECT_EQ(RunWith("x=1", fail, [] { return false; }), RequestRunner::kBadRequestAnswer);
    EXPECT_EQ(RunWith("x=1", [](cgicc::Cgicc&) { throw 7; }, nullptr), RequestRunner::kBadRequestAnswer);
    const std::vector<std::string> events = LogEvents();
    EXPECT_EQ(std::count(events.begin(), events.end(),
                         "error configwebloghandler RequestRunner Request failed: disk on fire"), 2);
    EXPECT_EQ(events.back(), "error configwebloghandler RequestRunner Request failed: unknown error");
}

}  // namespace
