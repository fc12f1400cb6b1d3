#include <cgicc/Cgicc.h>
#include <gtest/gtest.h>
#include <stdlib.h>

#include <cstdint>
#include <sstream>
#include <string>
#include <vector>

#include "ConfigWebStyle.h"
#include "FileText.h"
#include "InitialParameters.h"

namespace {

// Line numbers of a page without scripts.
constexpr std::size_t kTitleLine = 8;
constexpr std::size_t kBodyStartLine = 13;

std::string Expected(const std::string& name) {
    return filetext::Read(std::string(TEST_DATA_DIR) + "/" + name);
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        lines.push_back(line);
    }
    return lines;
}

std::size_t Count(const std::string& text, const std::string& part) {
    std::size_t count = 0;
    for (auto at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) {
        ++count;
    }
    return count;
}

class ConfigWebStyleTest : public ::testing::Test {
protected:
    void SetUp() override { ResetSwitches(); }

    // cgicc's open/close switches live for the process; resetting them before each page
    // keeps pages independent of each other when they share one process.
    static void ResetSwitches() {
        cgicc::html::reset();
        cgicc::head::reset();
        cgicc::title::reset();
        cgicc::script::reset();
        cgicc::body::reset();
        cgicc::ul::reset();
        cgicc::div::reset();
    }

    static std::string FramePage(const std::string& title, int32_t sessionId,
                                 const std::string& onload = "",
                                 const std::vector<std::string>& scripts = {}) {
        std::ostringstream out;
        {
            ConfigWebStyle style(out);
            style.SetTitle(title);
            for (const std::string& script : scripts) {
                style.AddScript(script);
            }
            style.WriteHead();
            style.WriteBodyStart(sessionId, onload);
        }
        return out.str();
    }

    static std::string ConfirmationPage(int32_t sessionId, const std::string& title) {
        std::ostringstream out;
        {
            ConfigWebStyle style(out);
            style.WriteRemoveConfirmation(sessionId, title, "/zelconf/settolsettings.cgi");
        }
        return out.str();
    }
};

TEST_F(ConfigWebStyleTest, WritesWholePageWithEmptyContentArea) {
    EXPECT_EQ(FramePage("TOL Settings", 1234), Expected("ConfigWebStyleTolSettings.html"));
}

TEST_F(ConfigWebStyleTest, RemoveConfirmationWritesFormOnlyWhenDestroyed) {
    ::setenv("REQUEST_METHOD", "GET", 1);
    ::setenv("QUERY_STRING", "sessionid=1234", 1);
    cgicc::Cgicc cgi;
    InitialParameters parameters;
    parameters.InitSessionId(cgi);
    const std::string expected = Expected("RemoveConfirmation-1234.html");
    const std::string bodyStart = "<body scroll=\"no\" >\n";
    std::ostringstream out;
    {
        ConfigWebStyle style(out);
        style.WriteRemoveConfirmation(parameters, "TOL Settings", "/zelconf/settolsettings.cgi");
        EXPECT_EQ(out.str(), expected.substr(0, expected.find(bodyStart) + bodyStart.size()));
    }
    EXPECT_EQ(out.str(), expected);
}

TEST_F(ConfigWebStyleTest, RemoveConfirmationWithEmptyTitle) {
    const std::string page = ConfirmationPage(1234, "");
    EXPECT_EQ(Lines(page).at(kTitleLine), "<title>ORVA Configuration Manager</title>");
    EXPECT_EQ(Count(page, "active"), 0u);
    EXPECT_EQ(Count(page, "<b>Are you really sure to delete the settings for ?</b>"), 1u);
}

TEST_F(ConfigWebStyleTest, NegativeSessionIdKeepsItsSign) {
    for (const int32_t id : {int32_t{-1}, INT32_MIN}) {
        ResetSwitches();
        const std::string page = ConfirmationPage(id, "TOL Settings");
        const std::string text = std::to_string(id);
        EXPECT_EQ(Count(page, "?sessionid=" + text + "\" >"), 6u) << id;
        EXPECT_EQ(Count(page, "?sessionid="), 6u) << id;
        EXPECT_EQ(Count(page, "name=\"sessionid\" value=\"" + text + "\"  />"), 1u) << id;
    }
}

TEST_F(ConfigWebStyleTest, OnlyTheExactTitleMarksANavigationItem) {
    const std::string page = FramePage("LAN Settings", 7);
    EXPECT_EQ(Count(page, "active"), 1u);
    EXPECT_EQ(Count(page,
                    "<li class=\"active\" ><a href=\"/zelconf/lansettings.cgi?sessionid=7\" "
                    ">LAN Settings</a></li>"),
              1u);
    for (const char* title : {"tol settings", "TOL Settings ", "TOL", "WLAN Settings\n"}) {
        ResetSwitches();
        EXPECT_EQ(Count(FramePage(title, 7), "active"), 0u) << title;
    }
}

TEST_F(ConfigWebStyleTest, TitleIsWrittenAsItIs) {
    const std::string page = FramePage("A&B <i>", 7);
    EXPECT_EQ(Lines(page).at(kTitleLine), "<title>ORVA Configuration Manager - A&B <i></title>");
}

TEST_F(ConfigWebStyleTest, OnloadComesBeforeScroll) {
    const std::string page = FramePage("TOL Settings", 1234, "init('a&b');");
    EXPECT_EQ(Lines(page).at(kBodyStartLine), "<body onload=\"init('a&b');\" scroll=\"no\" >");
}

TEST_F(ConfigWebStyleTest, ScriptsAreLinkedInOrderAtTheEndOfTheHead) {
    const auto lines = Lines(FramePage("TOL Settings", 1234, "", {"/js/b.js", "/js/a.js"}));
    ASSERT_EQ(lines.size(), 19u);
    EXPECT_EQ(lines[11],
              "<link href=\"/style/favicon.ico\" rel=\"icon\" type=\"image/x-icon\"  />");
    EXPECT_EQ(lines[12], "<script src=\"/js/b.js\" type=\"text/javascript\" ></script>");
    EXPECT_EQ(lines[13], "<script src=\"/js/a.js\" type=\"text/javascript\" ></script>");
    EXPECT_EQ(lines[14], "</head>");
    EXPECT_EQ(lines[17], "</body>");
    EXPECT_EQ(lines[18], "</html>");
}

TEST_F(ConfigWebStyleTest, DestroyingWithoutBodyStartWritesNothing) {
    std::ostringstream out;
    { ConfigWebStyle style(out); }
    EXPECT_EQ(out.str(), "");
    std::string head;
    {
        ConfigWebStyle style(out);
        style.SetTitle("TOL Settings");
        style.WriteHead();
        head = out.str();
    }
    EXPECT_EQ(out.str(), head);
    EXPECT_EQ(Lines(head).back(), "</head>");
}

TEST_F(ConfigWebStyleTest, OptionsAreSelectedOnlyWhenAskedAndNotEscaped) {
    cgicc::select list;
    ConfigWebStyle::AddOption(&list, "A&B", "<1>", false);
    ConfigWebStyle::AddOption(&list, "Two", "2", true);
    std::ostringstream out;
    out << list;
    EXPECT_EQ(out.str(),
              "<select><option value=\"<1>\" >A&B</option>"
              "<option value=\"2\" selected=\"selected\" >Two</option></select>");
}

struct ButtonCase {
    const char* name;
    bool showRemove;
    bool enabled;
    const char* expected;
};

// Keeps the discovered test names free of the case's bytes.
void PrintTo(const ButtonCase& buttonCase, std::ostream* out) { *out << buttonCase.name; }

class ConfigWebStyleButtonsTest : public ::testing::TestWithParam<ButtonCase> {};

TEST_P(ConfigWebStyleButtonsTest, BuildsTheChangeButtonBox) {
    cgicc::form parent;
    ConfigWebStyle::AddChangeButtons(&parent, GetParam().showRemove, GetParam().enabled);
    std::ostringstream out;
    out << parent;
    EXPECT_EQ(out.str(), std::string("<form>") + GetParam().expected + "</form>");
}

#define SPACER "<span>&nbsp;&nbsp;&nbsp;&nbsp;&nbsp;</span>"
INSTANTIATE_TEST_SUITE_P(
    AllFlags, ConfigWebStyleButtonsTest,
    ::testing::Values(
        ButtonCase{"WithRemove", true, true,
                   "<div align=\"center\" id=\"changebuttons\" >"
                   "<input type=\"submit\" name=\"submit\" value=\"Save Changes\"  />" SPACER
                   "<input type=\"submit\" name=\"revert\" value=\"Clear Changes\"  />" SPACER
                   "<input type=\"submit\" name=\"remove\" value=\"Remove Settings\"  /></div>"},
        ButtonCase{"WithRemoveDisabled", true, false,
                   "<div align=\"center\" id=\"changebuttons\" >"
                   "<input type=\"submit\" name=\"submit\" value=\"Save Changes\" "
                   "disabled=\"disabled\"  />" SPACER
                   "<input type=\"submit\" name=\"revert\" value=\"Clear Changes\" "
                   "disabled=\"disabled\"  />" SPACER
                   "<input type=\"submit\" name=\"remove\" value=\"Remove Settings\" "
                   "disabled=\"disabled\"  /></div>"},
        ButtonCase{"WithoutRemove", false, true,
                   "<div align=\"center\" id=\"changebuttons\" >"
                   "<input type=\"submit\" name=\"submit\" value=\"Save Changes\"  />" SPACER
                   "<input type=\"submit\" name=\"revert\" value=\"Clear Changes\"  /></div>"},
        ButtonCase{"WithoutRemoveDisabled", false, false,
                   "<div align=\"center\" id=\"changebuttons\" >"
                   "<input type=\"submit\" name=\"submit\" value=\"Save Changes\" "
                   "disabled=\"disabled\"  />" SPACER
                   "<input type=\"submit\" name=\"revert\" value=\"Clear Changes\" "
                   "disabled=\"disabled\"  /></div>"}),
    [](const ::testing::TestParamInfo<ButtonCase>& info) { return info.param.name; });
#undef SPACER

}  // namespace
