// The log set-up and line layout, and the logging library's rolling file, in the private
// root.

#include <LogClientRollingFile.h>
#include <LogEvent.h>
#include <LogFormater.h>
#include <LogHandler.h>
#include <LogLevelManager.h>
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

std::string Layout(const std::string& handler, const std::string& file, int line,
                   const std::string& message) {
    std::ostringstream out;
    ConfigWebLogging::ConfigWebLayout().Format(
        out, LogEvent("2024-01-02 03:04:05.000006", "info", handler, 1234, file, line, message));
    return out.str().substr(26);
}

TEST(LoggingTest, TheLayoutPadsEachFieldAndWritesLongValuesWhole) {
    EXPECT_EQ(Layout("web", "Shell", 42, "hello"),
              "  info      web            1234  Shell                    42    hello\n");
    EXPECT_EQ(Layout("configwebloghandler", "../configweb/ConfigWebLogging", 123456, ""),
              "  info      configwebloghandler1234  ../configweb/ConfigWebLogging123456\n");
    EXPECT_EQ(Layout("web", "Shell", 42, "a\nb\r\x1b[2J\x7f\tc\xe9"),
              "  info      web            1234  Shell                    42    a\\x0ab\\x0d\\x1b[2J\\x7f\tc\xe9\n");
    std::ostringstream out;
    out.fill('*');
    ConfigWebLogging::ConfigWebLayout().Format(out, LogEvent("", "", "", 0, "", 0, ""));
    out.str("");
    out.width(3);
    out << 7;
    EXPECT_EQ(out.str(), "7  ");  // left adjustment and space fill stay set
}

TEST(LoggingTest, BothHandlersWriteToTheLogFileWhileTheSetUpLives) {
    {
        ConfigWebLogging logging;
        ZEL_INFO("zel %d", 1);
        WEB_ERROR("web %s", "two");
        LogFormater(113, "Long", 1).Log(Logger::GetLogHandler("configwebloghandler"), "%s|%05.1f",
                                        std::string(9000, 'x').c_str(), 2.25);
    }
    ZEL_ERROR("after the set-up ended");
    EXPECT_EQ(LogEvents(), (std::vector<std::string>{
                               "info zelloghandler LoggingTest zel 1",
                               "error configwebloghandler LoggingTest web two",
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
    void Format(std::ostream& out, const LogEvent& event) override {
        out << event.GetLogMessage() << '\n';
    }
};

// Each event is 10 bytes: the letter, eight dots and a line feed.
void WriteEvents(LogClientRollingFile& client, const std::string& letters) {
    for (char c : letters) {
        client.HandleEvent(LogEvent("", "", "", 0, "", 0, std::string(1, c) + "........"));
    }
}

std::string Events(const std::string& letters) {
    std::string text;
    for (char c : letters) text += std::string(1, c) + "........\n";
    return text;
}

TEST(LoggingTest, TheFileRollsAtItsLimitKeepingItsCount) {
    {
        LogClientRollingFile client("/tmp/log/roll", 30, 3);
        client.SetLayout(new MessageLayout);
        EXPECT_FALSE(Exists("/tmp/log/roll"));  // opened at the first event
        WriteEvents(client, "abcdefgh");
    }
    EXPECT_EQ(Read("/tmp/log/roll") + "|" + Read("/tmp/log/roll.1") + "|" + Read("/tmp/log/roll.2"),
              Events("gh") + "|" + Events("def") + "|" + Events("abc"));
    EXPECT_FALSE(Exists("/tmp/log/roll.3"));
    LogClientRollingFile single("/tmp/log/single", 25, 1);
    single.SetLayout(new MessageLayout);
    WriteEvents(single, "abc");
    EXPECT_EQ(Read("/tmp/log/single"), Events("c"));
    single.HandleEvent(LogEvent("", "", "", 0, "", 0, std::string(40, 'B')));  // too big for any
    single.HandleEvent(LogEvent("", "", "", 0, "", 0, std::string(40, 'C')));
    EXPECT_EQ(Read("/tmp/log/single"), std::string(40, 'C') + "\n");
    EXPECT_FALSE(Exists("/tmp/log/single.1"));
    LogClientRollingFile first("/tmp/log/shared", 30, 2), second("/tmp/log/shared", 30, 2);
    first.SetLayout(new MessageLayout);
    second.SetLayout(new MessageLayout);
    WriteEvents(first, "ab");
    WriteEvents(second, "cd");  // "d" rolls
    WriteEvents(first, "e");    // its old file was rolled by the other: reopened only
    EXPECT_EQ(Read("/tmp/log/shared.1") + "|" + Read("/tmp/log/shared"), Events("abc") + "|" + Events("de"));
}

TEST(LoggingTest, ConcurrentWritersNeverCarryAFilePastTheLimit) {
    std::vector<pid_t> writers;
    for (int w = 0; w < 4; ++w) {
        const pid_t pid = ::fork();
        if (pid == 0) {
            LogClientRollingFile client("/tmp/log/concurrent", 1000, 2);
            client.SetLayout(new MessageLayout);
            for (int i = 0; i < 500; ++i) WriteEvents(client, "abcdefghij");
            ::_exit(0);
        }
        writers.push_back(pid);
    }
    off_t largest = 0;
    for (pid_t pid : writers) {
        while (::waitpid(pid, nullptr, WNOHANG) == 0) {
            struct stat st;
            for (const char* file : {"/tmp/log/concurrent", "/tmp/log/concurrent.1"}) {
                if (::stat(file, &st) == 0) largest = std::max(largest, st.st_size);
            }
        }
    }
    EXPECT_LE(largest, 1000);
    EXPECT_EQ(Read("/tmp/log/concurrent").size() % 10, 0u);
    EXPECT_EQ(Read("/tmp/log/concurrent").find_first_not_of("abcdefghij.\n"), std::string::npos);
}

class Recorder : public LogHandlerClient {
public:
    void HandleEvent(const LogEvent& event) override { names += event.GetLogHandlerName() + " "; }
    std::string names;
};

TEST(LoggingTest, HandlersPassEventsOnOnceWithTheirFirstName) {
    Recorder recorder;
    LogHandler* a = Logger::GetLogHandler("a");
    LogHandler* b = Logger::GetLogHandler("b");
    EXPECT_EQ(Logger::GetLogHandler("a"), a);
    a->AddLogClient(b);
    b->AddLogClient(a);  // a cycle
    a->AddLogClient(a);
    b->AddLogClient(&recorder);
    b->AddLogClient(&recorder);
    auto* gone = new Recorder;
    a->AddLogClient(gone);
    delete gone;
    Logger::GetLogLevelManager()->AddLogLevel(7, "seven");
    LogFormater(7, "T", 1).Log(a, "%s", "one");
    LogFormater(7, "T", 2).Log(b, "%s", "two");
    LogFormater(7, "T", 3).Log(nullptr, "no handler");
    LogFormater(7, "T", 4).Log(b, nullptr);
    EXPECT_EQ(recorder.names, "a b ");
}

}  // namespace
