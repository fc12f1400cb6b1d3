#include <LogClient.h>
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
#include <regex>
#include <string>
#include <vector>

#include "FileText.h"

namespace {

// Keeps a copy of every event it receives.
class RecordingClient : public LogHandlerClient {
public:
    void HandleEvent(const LogEvent& event) override { events.push_back(event); }
    std::vector<LogEvent> events;
};

class MessageLayout : public LogLayout {
public:
    void Format(std::ostream& out, const LogEvent& event) override {
        out << event.GetLogMessage() << '\n';
    }
};

LogEvent MessageEvent(const std::string& message) {
    return LogEvent("", "", "", 0, "", 0, message);
}

// Each event is 10 bytes: the text padded with '.' and a line feed.
void WriteEvents(LogClient& client, const std::string& texts) {
    for (char c : texts) {
        client.HandleEvent(MessageEvent(std::string(1, c) + std::string(8, '.')));
    }
}

std::string Lines(const std::string& texts) {
    std::string lines;
    for (char c : texts) {
        lines += std::string(1, c) + std::string(8, '.') + "\n";
    }
    return lines;
}

void LogThrough(const std::string& handlerName, const char* message) {
    LogFormater(1, "LoggerTest", 1).Log(Logger::GetLogHandler(handlerName), "%s", message);
}

}  // namespace

TEST(LoggerTest, ChainedHandlersPassEventsOnWithTheOriginalName) {
    RecordingClient direct;
    RecordingClient chained;
    LogHandler* outer = Logger::GetLogHandler("chain-outer");
    LogHandler* inner = Logger::GetLogHandler("chain-inner");
    outer->AddLogClient(&direct);
    outer->AddLogClient(inner);
    outer->AddLogClient(&direct);
    inner->AddLogClient(&chained);
    LogThrough("chain-outer", "one");
    LogThrough("chain-inner", "two");
    ASSERT_EQ(direct.events.size(), 1u);
    ASSERT_EQ(chained.events.size(), 2u);
    EXPECT_EQ(chained.events[0].GetLogHandlerName(), "chain-outer");
    EXPECT_EQ(chained.events[0].GetLogMessage(), "one");
    EXPECT_EQ(chained.events[1].GetLogHandlerName(), "chain-inner");
}

TEST(LoggerTest, CycleOfHandlersDeliversOnce) {
    RecordingClient client;
    LogHandler* a = Logger::GetLogHandler("cycle-a");
    LogHandler* b = Logger::GetLogHandler("cycle-b");
    a->AddLogClient(b);
    b->AddLogClient(a);
    a->AddLogClient(a);
    b->AddLogClient(&client);
    LogThrough("cycle-a", "round");
    EXPECT_EQ(client.events.size(), 1u);
}

TEST(LoggerTest, DeletedClientsAndHandlersAreNeverCalled) {
    LogHandler* handler = Logger::GetLogHandler("deleted-client");
    RecordingClient survivor;
    auto* deleted = new RecordingClient;
    auto* subHandler = new LogHandler("sub");
    handler->AddLogClient(deleted);
    handler->AddLogClient(subHandler);
    handler->AddLogClient(&survivor);
    subHandler->AddLogClient(&survivor);
    delete deleted;
    delete subHandler;
    LogThrough("deleted-client", "after");
    EXPECT_EQ(survivor.events.size(), 1u);

    // A client outliving its handler must not touch it when it goes.
    auto* client = new RecordingClient;
    auto* shortLived = new LogHandler("short");
    shortLived->AddLogClient(client);
    delete shortLived;
    delete client;
}

TEST(LoggerTest, EventCarriesAllFieldsAndTheWholeMessage) {
    RecordingClient client;
    LogHandler* handler = Logger::GetLogHandler("fields");
    handler->AddLogClient(&client);
    Logger::GetLogLevelManager()->AddLogLevel(7, "seven");
    const std::string longText(9000, 'x');
    LogFormater(7, "Shell", 123).Log(handler, "%s=%d|%05.1f", "count", -3, 2.25);
    LogFormater(4242, "Shell", 124).Log(handler, "%s|end", longText.c_str());
    const wchar_t unencodable[] = {static_cast<wchar_t>(0x7fffffff), 0};
    LogFormater(7, "Shell", 125).Log(handler, "bad %ls", unencodable);
    LogFormater(7, "Shell", 125).Log(nullptr, "no handler");
    LogFormater(7, "Shell", 126).Log(handler, nullptr);
    ASSERT_EQ(client.events.size(), 3u);
    const LogEvent& event = client.events[0];
    EXPECT_TRUE(std::regex_match(event.GetDateTimeUsec(),
                                 std::regex(R"(\d{4}-\d\d-\d\d \d\d:\d\d:\d\d\.\d{6})")))
        << event.GetDateTimeUsec();
    EXPECT_EQ(event.GetLogLevelName(), "seven");
    EXPECT_EQ(event.GetLogHandlerName(), "fields");
    EXPECT_EQ(event.GetThreadId(), static_cast<int>(getpid()));
    EXPECT_EQ(event.GetFileName(), "Shell");
    EXPECT_EQ(event.GetLine(), 123);
    EXPECT_EQ(event.GetLogMessage(), "count=-3|002.2");
    EXPECT_EQ(client.events[1].GetLogLevelName(), "4242");
    EXPECT_EQ(client.events[1].GetLogMessage(), longText + "|end");
    EXPECT_EQ(client.events[2].GetLogMessage(), "bad %ls");  // unformattable: the format
}

TEST(LoggerTest, RollingKeepsTheFileCountAndRestartsTheLiveFile) {
    const std::string path = "/tmp/log/roll.log";
    {
        LogClientRollingFile client(path, 30, 3);
        client.SetLayout(new MessageLayout);
        EXPECT_FALSE(filetext::Exists(path));  // opened at the first event only
        WriteEvents(client, "abcdefgh");
    }
    EXPECT_EQ(filetext::Read(path), Lines("gh"));
    EXPECT_EQ(filetext::Read(path + ".1"), Lines("def"));
    EXPECT_EQ(filetext::Read(path + ".2"), Lines("abc"));
    EXPECT_FALSE(filetext::Exists(path + ".3"));
}

TEST(LoggerTest, SingleFileIsEmptiedAndEmptyFileNeverRolled) {
    const std::string path = "/tmp/log/single.log";
    LogClientRollingFile single(path, 25, 1);
    single.SetLayout(new MessageLayout);
    WriteEvents(single, "abc");
    EXPECT_EQ(filetext::Read(path), Lines("c"));
    EXPECT_FALSE(filetext::Exists(path + ".1"));

    const std::string bigPath = "/tmp/log/big.log";
    const std::string big(40, 'B');
    LogClientRollingFile pair(bigPath, 25, 2);
    pair.SetLayout(new MessageLayout);
    pair.HandleEvent(MessageEvent(big));
    EXPECT_EQ(filetext::Read(bigPath), big + "\n");
    EXPECT_FALSE(filetext::Exists(bigPath + ".1"));
}

TEST(LoggerTest, FileRolledByAnotherWriterIsOnlyReopened) {
    const std::string path = "/tmp/log/shared.log";
    LogClientRollingFile first(path, 30, 2);
    LogClientRollingFile second(path, 30, 2);
    first.SetLayout(new MessageLayout);
    second.SetLayout(new MessageLayout);
    WriteEvents(first, "ab");
    WriteEvents(second, "cd");  // "d" rolls
    WriteEvents(first, "e");    // full in its old file, but that one is already rolled
    EXPECT_EQ(filetext::Read(path + ".1"), Lines("abc"));
    EXPECT_EQ(filetext::Read(path), Lines("de"));
}

TEST(LoggerTest, ConcurrentWritersNeverCarryAFilePastTheLimit) {
    const std::string path = "/tmp/log/concurrent.log";
    const off_t limit = 1000;
    std::vector<pid_t> writers;
    for (int w = 0; w < 4; ++w) {
        pid_t pid = ::fork();
        if (pid == 0) {
            LogClientRollingFile client(path, static_cast<int32_t>(limit), 2);
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
            for (const std::string& file : {path, path + ".1"}) {
                if (::stat(file.c_str(), &st) == 0) largest = std::max(largest, st.st_size);
            }
        }
    }
    EXPECT_LE(largest, limit);
    EXPECT_EQ(filetext::Read(path).size() % 10, 0u);  // whole events only
}
