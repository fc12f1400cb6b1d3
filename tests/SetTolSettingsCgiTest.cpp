// The form handler end to end: the built program run as a web server runs it, inside the
// private root.

#include <gtest/gtest.h>
#include <unistd.h>

#include <vector>

#include "CgiProcess.h"
#include "FileText.h"
#include "LogFile.h"

namespace {

constexpr const char* kChangeList = "/tmp/config_web_changes.lst";
constexpr const char* kLog = logfile::kPath;
constexpr const char* kBadRequest =
    "Status: 400 Bad Request\nContent-Type: text/plain\n\nBad Request\n";

std::string Redirect(const std::string& target) { return "Location: " + target + "\n\n\n"; }

CgiResult Get(const std::string& query) { return CgiProcess::Get(CGI_BINARY, query).Run(); }
CgiResult Post(const std::string& body) { return CgiProcess::Post(CGI_BINARY, body).Run(); }

using logfile::LineWithMessage;
using logfile::MessageIndex;

std::vector<std::string> LogLines() { return logfile::Lines(); }

TEST(SetTolSettingsCgiTest, AGetWithoutButtonsIsAnsweredAsARevert) {
    CgiResult result = Get("sessionid=1234");
    EXPECT_EQ(result.exitStatus, 0);
    EXPECT_EQ(result.output, Redirect("tolsettings.cgi?sessionid=1234"));
    std::vector<std::string> lines = LogLines();
    size_t given = MessageIndex(lines, "Given session id is 1234");
    size_t noRemove = MessageIndex(lines, "No remove button");
    size_t revert = MessageIndex(lines, "Element submit not set -> revert");
    ASSERT_NE(given, std::string::npos);
    ASSERT_NE(noRemove, std::string::npos);
    ASSERT_NE(revert, std::string::npos);
    EXPECT_LT(given, noRemove);
    EXPECT_LT(noRemove, revert);
    // The list is rewritten at the end of every request, also when nothing changed.
    EXPECT_TRUE(filetext::Exists(kChangeList));
    EXPECT_EQ(filetext::Read(kChangeList), "");
}

TEST(SetTolSettingsCgiTest, LogLinesFollowTheColumnLayout) {
    Get("sessionid=1234");
    const std::string line = LineWithMessage("No remove button");
    ASSERT_FALSE(line.empty()) << filetext::Read(kLog);
    const size_t d = 26;  // "YYYY-MM-DD HH:MM:SS.uuuuuu"
    EXPECT_EQ(line.substr(d, 2), "  ");
    EXPECT_EQ(line.substr(d + 2, 10), "debug     ");
    // The handler name is longer than its field of 15 and runs into the thread id.
    EXPECT_EQ(line.substr(d + 12, 19), "configwebloghandler");
    const std::string threadId = line.substr(d + 31, 6);
    EXPECT_NE(threadId.find_first_of("0123456789"), std::string::npos) << line;
    EXPECT_EQ(line.substr(d + 37, 25), "SetTolSettingsCgi        ");
    const std::string lineNumber = line.substr(d + 62, 6);
    EXPECT_TRUE(isdigit(static_cast<unsigned char>(lineNumber[0]))) << line;
    EXPECT_EQ(line.substr(d + 68), "No remove button");
    EXPECT_EQ(LineWithMessage("Element submit not set -> revert").substr(d + 2, 10), "error     ");
}

TEST(SetTolSettingsCgiTest, SessionIdsComeFromTheRequestOrAreMade) {
    EXPECT_EQ(Get("sessionid=-5").output, Redirect("tolsettings.cgi?sessionid=-5"));
    EXPECT_EQ(Get("sessionid=4294967296").output, Redirect("tolsettings.cgi?sessionid=0"));
    EXPECT_EQ(Get("sessionid=12abc").output, Redirect("tolsettings.cgi?sessionid=12"));

    filetext::Remove(kLog);
    CgiResult fresh = Get("");
    const std::string prefix = "Location: tolsettings.cgi?sessionid=";
    ASSERT_EQ(fresh.output.compare(0, prefix.size(), prefix), 0) << fresh.output;
    const std::string id =
        fresh.output.substr(prefix.size(), fresh.output.size() - prefix.size() - 3);
    EXPECT_EQ(id.find_first_not_of("0123456789"), std::string::npos) << id;
    std::vector<std::string> lines = LogLines();
    size_t given = MessageIndex(lines, "Given session id is -1");
    size_t made = MessageIndex(lines, "New session id is " + id);
    ASSERT_NE(given, std::string::npos);
    ASSERT_NE(made, std::string::npos);
    EXPECT_EQ(given + 1, made);
}

TEST(SetTolSettingsCgiTest, RemoveShowsTheConfirmationPageAndChangesNothing) {
    const std::string expected = filetext::Read(TEST_DATA_DIR "/RemoveConfirmation-1234.html");
    ASSERT_FALSE(expected.empty());
    EXPECT_EQ(Get("sessionid=1234&remove=Remove+Settings").output, expected);
    // "remove" is tested before "submit": nothing is validated or stored.
    CgiResult both = Post("sessionid=1234&submit=Save&outlet=1&remove=Remove+Settings");
    EXPECT_EQ(both.exitStatus, 0);
    EXPECT_EQ(both.output, expected);
    EXPECT_EQ(filetext::Read(kChangeList), "");
    EXPECT_EQ(MessageIndex(LogLines(), "No remove button"), std::string::npos);
}

TEST(SetTolSettingsCgiTest, ConfirmingTheRemovalMarksTheSession) {
    CgiResult result = Post("sessionid=5&removeyes=Yes");
    EXPECT_EQ(result.exitStatus, 0);
    EXPECT_EQ(result.output, Redirect("tolsettings.cgi?sessionid=5"));
    EXPECT_EQ(filetext::Read(kChangeList), "5;1\n");
    // "removeyes" wins over "removeno".
    Post("sessionid=9&removeno=No&removeyes=Yes");
    EXPECT_EQ(filetext::Read(kChangeList), "5;1\n9;1\n");
}

TEST(SetTolSettingsCgiTest, DecliningTheRemovalOnlyRedirects) {
    filetext::Write(kChangeList, "7;1\n3;0\njunk\n");
    CgiResult result = Post("sessionid=3&removeno=No");
    EXPECT_EQ(result.output, Redirect("tolsettings.cgi?sessionid=3"));
    EXPECT_EQ(filetext::Read(kChangeList), "3;0\n7;1\n");
    EXPECT_EQ(MessageIndex(LogLines(), "No remove button"), std::string::npos);
}

TEST(SetTolSettingsCgiTest, BadBodiesAreAnsweredWithBadRequestAndStoreNothing) {
    filetext::Write(kChangeList, "1;1\n");
    const std::string valid = "sessionid=5&removeyes=Yes";
    struct Case {
        const char* name;
        std::string contentLength;
        std::string body;
    } cases[] = {
        {"too large", std::to_string(64 * 1024 + 1), std::string(64 * 1024 + 1, 'a')},
        {"truncated", "100", valid},
        {"length not a number", "12x", valid},
        {"negative length", "-1", valid},
    };
    for (const auto& c : cases) {
        CgiResult result =
            CgiProcess::Post(CGI_BINARY, c.body).Env("CONTENT_LENGTH", c.contentLength).Run();
        EXPECT_EQ(result.exitStatus, 0) << c.name;
        EXPECT_EQ(result.output, kBadRequest) << c.name;
    }
    EXPECT_EQ(filetext::Read(kChangeList), "1;1\n");
    const std::string line =
        LineWithMessage("Request body is shorter than its CONTENT_LENGTH -> bad request");
    ASSERT_FALSE(line.empty()) << filetext::Read(kLog);
    EXPECT_EQ(line.substr(28, 10), "error     ");
}

TEST(SetTolSettingsCgiTest, ABodyOfExactly64KibIsAccepted) {
    std::string body = "sessionid=5&removeyes=Yes&pad=";
    body += std::string(64 * 1024 - body.size(), 'p');
    CgiResult result = Post(body);
    EXPECT_EQ(result.output, Redirect("tolsettings.cgi?sessionid=5"));
    EXPECT_EQ(filetext::Read(kChangeList), "5;1\n");
}

TEST(SetTolSettingsCgiTest, AClosedAnswerPipeDoesNotEndTheProgramAbnormally) {
    CgiResult result = CgiProcess::Get(CGI_BINARY, "sessionid=8&remove=1").CloseAnswerPipe().Run();
    EXPECT_EQ(result.exitStatus, 0);  // 128 + 13 when SIGPIPE ended it
}

}  // namespace
