// The log set-up and line layout, and the logging library's rolling file, in the private
// root.

#include <LogClientRollingFile.h>
#include <LogEvent.h>
#include <LogFormater.h>
#include <Logger.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <sstream>

#include "ConfigWebLog.h"
#include "ConfigWebLogging.h"
#include "Device.h"

namespace {

using namespace device;

constexpr const char* kLogSource = "LoggingTest";

std::string Layout(const std::string& handler, const std::string& file, int line, const std::string& message) {
    std::ostringstream out;
    ConfigWebLogging::ConfigWebLayout().Format(out, LogEvent("2024-01-02 03:04:05.000006", "info", handler, 1234, file, line, message));
    return out.str().substr(26);
}

TEST(LoggingTest, LinesArePaddedWholeAndEscapedAndWrittenWhileTheSetUpLives) {
    EXPECT_EQ(Layout("configwebloghandler", "../configweb/ConfigWebLogging", 123456, ""),
              "  info      configwebloghandler1234  ../configweb/ConfigWebLogging123456\n");
    EXPECT_EQ(Layout("w", "S", 4, "a\nb\r\x1b[2J\x7f\tc\xe9"),
              "  info      w              1234  S                        4     a\\x0ab\\x0d\\x1b[2J\\x7f\tc\xe9\n");
    {
        ConfigWebLogging logging;
        ZEL_INFO("zel %d", 1);
        LogFormater(113, "Long", 1).Log(Logger::GetLogHandler("configwebloghandler"), "%s|%05.1f",
                                        std::string(9000, 'x').c_str(), 2.25);
        LogFormater(113, "Long", 2).Log(nullptr, "no handler");
    }
    WEB_ERROR("after the set-up ended");
    EXPECT_EQ(LogEvents(), (std::vector<std::string>{"info zelloghandler LoggingTest zel 1",
                                                     "error configwebloghandler Long " + std::string(9000, 'x') + "|002.2"}));
    ASSERT_EQ(std::rename("/tmp/log", "/tmp/log.away"), 0);
    {
        ConfigWebLogging logging;
        WEB_DEBUG("dropped");
    }
    EXPECT_FALSE(Exists("/tmp/log"));
}

class MessageLayout : public LogLayout {
public:
    void Format(std::ostream& out, const LogEvent& event) override { out << event.GetLogMessage() << '\n'; }
};

// Each event is 10 bytes: the letter, eight dots and a line feed.
std::string Events(LogClientRollingFile* client, const std::string& letters) {
    std::string text;
    for (char c : letters) {
        if (client != nullptr) client->HandleEvent(LogEvent("", "", "", 0, "", 0, std::string(1, c) + "........"));
        text += std::string(1, c) + "........\n";
    }
    return text;
}

TEST(LoggingTest, TheFileRollsAtItsLimitKeepingItsCount) {
    LogClientRollingFile three("/tmp/log/roll", 30, 3), one("/tmp/log/one", 25, 1), first("/tmp/log/both", 30, 2),
        second("/tmp/log/both", 30, 2);
    for (LogClientRollingFile* client : {&three, &one, &first, &second}) client->SetLayout(new MessageLayout);
    Events(&three, "abcdefgh");
    EXPECT_EQ(Read("/tmp/log/roll") + Read("/tmp/log/roll.1") + Read("/tmp/log/roll.2"), Events(nullptr, "ghdefabc"));
    EXPECT_FALSE(Exists("/tmp/log/roll.3"));
    one.HandleEvent(LogEvent("", "", "", 0, "", 0, std::string(40, 'B')));  // larger than the limit
    EXPECT_EQ(Read("/tmp/log/one") + Read("/tmp/log/one.1"), std::string(40, 'B') + "\n");
    Events(&first, "ab");
    Events(&second, "cd");  // "d" rolls
    Events(&first, "e");    // its file was rolled by the other: only reopened
    EXPECT_EQ(Read("/tmp/log/both.1") + Read("/tmp/log/both"), Events(nullptr, "abcde"));
}

TEST(LoggingTest, ConcurrentWritersNeverCarryAFilePastTheLimitNorTearALine) {
    std::vector<pid_t> writers;
    for (int w = 0; w < 4; ++w) {
        writers.push_back(::fork());
        if (writers.back() == 0) {
            LogClientRollingFile client("/tmp/log/concurrent", 1000, 2);
            client.SetLayout(new MessageLayout);
            for (int i = 0; i < 500; ++i) Events(&client, "abcdefghij");
            ::_exit(0);
        }
    }
    off_t largest = 0;
    for (pid_t pid : writers) {
        for (struct stat st; ::waitpid(pid, nullptr, WNOHANG) == 0;) {
            for (const char* file : {"/tmp/log/concurrent", "/tmp/log/concurrent.1"}) {
                if (::stat(file, &st) == 0) largest = std::max(largest, st.st_size);
            }
        }
    }
    EXPECT_LE(largest, 1000);
    for (const std::string& line : Lines(Read("/tmp/log/concurrent") + Read("/tmp/log/concurrent.1"))) {
        EXPECT_EQ(line.substr(1), "........") << line;
    }
}

}  // namespace
