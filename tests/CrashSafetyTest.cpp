// Writers of the agent configuration and of the change list killed with SIGKILL at random
// moments, in the private root. After every kill both files are whole versions that some
// writer finished, no save that a writer saw finish is lost, and the next save works.
// CRASH_SAFETY_ROUNDS sets the number of rounds (each kills three to four processes).

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <climits>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <iostream>
#include <map>
#include <random>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "AgentConfiguration.h"
#include "ChangeListFile.h"
#include "FileText.h"
#include "ProgramLauncher.h"

namespace {

constexpr const char* kLive = "/config/agent.configuration";
constexpr const char* kOld = "/config/agent.configuration.old";
constexpr const char* kNew = "/config/agent.configuration.new";
constexpr const char* kChanges = "/tmp/config_web_changes.lst";
constexpr const char* kChangesNew = "/tmp/config_web_changes.lst.new";
constexpr const char* kCheckKey = "crash.check";
const std::vector<std::string> kWriterKeys = {"crash.a", "crash.b"};
constexpr int kFillerKeys = 400;
constexpr size_t kPayloadLength = 3000;  // two payloads and the filler make some 20 KiB
constexpr int kDefaultRounds = 160;
constexpr int kRequiredKills = 500;
constexpr int kMaxDelayMicroseconds = 12000;  // a writer's start-up and a few saves
constexpr int32_t kSubmissionSessionBase = 1000000;
constexpr unsigned kCheckSaveSeconds = 20;

using Properties = std::map<std::string, std::string>;

// A value that names its generation and can be checked whole: "G:" and letters from G.
std::string Payload(uint32_t generation) {
    std::string value = std::to_string(generation) + ":";
    for (size_t i = 0; i < kPayloadLength; ++i)
        value += static_cast<char>('a' + (generation + i) % 26);
    return value;
}

int64_t GenerationOf(const std::string& value) {
    char* end = nullptr;
    unsigned long generation = std::strtoul(value.c_str(), &end, 10);
    if (end == value.c_str() || *end != ':' ||
        value != Payload(static_cast<uint32_t>(generation))) {
        return -1;
    }
    return static_cast<int64_t>(generation);
}

std::string FillerKey(int i) {
    char key[16];
    std::snprintf(key, sizeof key, "fill.%03d", i);
    return key;
}

// As a save writes it: "key=value\n" lines in ascending key order, nothing else.
testing::AssertionResult ParseSaved(const std::string& path, Properties& properties) {
    std::string text = filetext::Read(path);
    if (text.empty() || text.back() != '\n')
        return testing::AssertionFailure() << path << " is cut";
    size_t start = 0;
    std::string previous;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        std::string line = text.substr(start, end - start);
        size_t equals = line.find('=');
        if (equals == std::string::npos ||
            (!previous.empty() && line.substr(0, equals) <= previous)) {
            return testing::AssertionFailure()
                   << path << " has a foreign line: " << line.substr(0, 80);
        }
        previous = line.substr(0, equals);
        properties[previous] = line.substr(equals + 1);
        start = end + 1;
    }
    return testing::AssertionSuccess();
}

// A whole version: every filler line, and payloads that are whole.
testing::AssertionResult IsWholeVersion(const std::string& path, Properties& properties) {
    testing::AssertionResult parsed = ParseSaved(path, properties);
    if (!parsed) return parsed;
    for (int i = 0; i < kFillerKeys; ++i) {
        auto it = properties.find(FillerKey(i));
        if (it == properties.end() || it->second != std::to_string(i)) {
            return testing::AssertionFailure() << path << " lacks " << FillerKey(i);
        }
    }
    for (const std::string& key : kWriterKeys) {
        if (GenerationOf(properties[key]) < 0)
            return testing::AssertionFailure() << path << ": " << key;
    }
    return testing::AssertionSuccess();
}

std::string InitialConfiguration() {
    std::string text;
    for (const std::string& key : kWriterKeys) text += key + "=" + Payload(0) + "\n";
    text += std::string(kCheckKey) + "=0\n";
    for (int i = 0; i < kFillerKeys; ++i) text += FillerKey(i) + "=" + std::to_string(i) + "\n";
    return text + "kald.mode=KALD\n";
}

// The change list as written: "id;1\n" lines in ascending id order (read once, as it may
// be replaced meanwhile). A missing list is empty.
testing::AssertionResult ParseChangeList(std::set<int32_t>& ids) {
    std::string text = filetext::Read(kChanges);
    long long previous = LLONG_MIN;
    for (size_t start = 0; start < text.size();) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) return testing::AssertionFailure() << "change list is cut";
        std::string line = text.substr(start, end - start);
        char* rest = nullptr;
        long long id = std::strtoll(line.c_str(), &rest, 10);
        if (rest == line.c_str() || std::strcmp(rest, ";1") != 0 || id <= previous) {
            return testing::AssertionFailure()
                   << "change list has a foreign line: " << line.substr(0, 80);
        }
        previous = id;
        ids.insert(static_cast<int32_t>(id));
        start = end + 1;
    }
    return testing::AssertionSuccess();
}

struct Child {
    pid_t pid = -1;
    int reports = -1;  // reading end: one uint32_t per finished save
};

void Report(int reports, uint32_t generation) {
    if (::write(reports, &generation, sizeof generation) != sizeof generation) ::_exit(2);
}

[[noreturn]] void SaveConfigurationUntilKilled(const std::string& key, uint32_t first,
                                               int reports) {
    AgentConfiguration configuration;  // one load, then saves
    for (uint32_t generation = first;; ++generation) {
        if (!configuration.Set(key, Payload(generation))) ::_exit(1);
        Report(reports, generation);
    }
}

[[noreturn]] void MarkChangesUntilKilled(uint32_t first, int reports) {
    for (uint32_t id = first;; ++id) {
        if (!ChangeListFile::Merge(kChanges, {{static_cast<int32_t>(id), 1}})) ::_exit(1);
        Report(reports, id);
    }
}

// Forks a child that runs `body` with the writing end of its report pipe.
Child StartWriter(const std::function<void(int)>& body) {
    int fds[2];
    if (::pipe(fds) != 0) return {};
    pid_t pid = ::fork();
    if (pid == 0) {
        ::close(fds[0]);
        body(fds[1]);
        ::_exit(3);
    }
    ::close(fds[1]);
    return {pid, fds[0]};
}

// A valid submission through the program, as the web server starts it.
Child StartSubmission(int round) {
    std::string body = "sessionid=" + std::to_string(kSubmissionSessionBase + round) +
                       "&submit=Save&outlet=" + std::to_string(round % 100) +
                       "&dealer=" + std::to_string(round) + "&toladdress=10.0.0." +
                       std::to_string(round % 250 + 1) + "&tolport=" + std::to_string(round) +
                       "&tolurl=/round/" + std::to_string(round) + "&dns1=&dns2=";
    std::vector<std::string> env = {"REQUEST_METHOD=POST", "GATEWAY_INTERFACE=CGI/1.1",
                                    "CONTENT_TYPE=application/x-www-form-urlencoded",
                                    "CONTENT_LENGTH=" + std::to_string(body.size()),
                                    "PATH=/usr/bin:/bin"};
    for (const char* name : {"ASAN_OPTIONS", "UBSAN_OPTIONS", "LSAN_OPTIONS"}) {
        if (const char* value = std::getenv(name)) env.push_back(std::string(name) + "=" + value);
    }
    std::vector<std::string> words = ProgramLauncher::Argv({CGI_BINARY});
    std::vector<char*> argv;
    for (std::string& word : words) argv.push_back(word.data());
    argv.push_back(nullptr);
    int in[2];
    if (::pipe(in) != 0) return {};
    pid_t pid = ::fork();
    if (pid == 0) {
        int null = ::open("/dev/null", O_WRONLY);
        ::dup2(in[0], 0);
        ::dup2(null, 1);
        ::dup2(null, 2);
        ::close(in[1]);
        std::vector<char*> envp;
        for (std::string& entry : env) envp.push_back(entry.data());
        envp.push_back(nullptr);
        ::execve(argv[0], argv.data(), envp.data());
        ::_exit(127);
    }
    ::close(in[0]);
    // The body fits the pipe, so this never waits for the program.
    bool written = ::write(in[1], body.data(), body.size()) == static_cast<ssize_t>(body.size());
    ::close(in[1]);
    return {written ? pid : -1, -1};
}

// Kills the child after `delay`; true when SIGKILL ended it, false when it had ended itself.
bool KillAfter(const Child& child, std::chrono::microseconds delay, int& status) {
    std::this_thread::sleep_for(delay);
    ::kill(child.pid, SIGKILL);
    while (::waitpid(child.pid, &status, 0) < 0 && errno == EINTR) {
    }
    return WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL;
}

// The last generation the child reported, or `none`.
uint32_t LastReport(const Child& child, uint32_t none) {
    uint32_t generation, last = none;
    while (::read(child.reports, &generation, sizeof generation) == sizeof generation)
        last = generation;
    ::close(child.reports);
    return last;
}

int RoundsToRun() {
    const char* text = std::getenv("CRASH_SAFETY_ROUNDS");
    return text != nullptr && std::atoi(text) > 0 ? std::atoi(text) : kDefaultRounds;
}

class CrashSafetyTest : public testing::Test {
protected:
    void SetUp() override {
        filetext::Write(kLive, InitialConfiguration());
        seed = std::random_device{}();
        random.seed(seed);
    }

    void RunRound();
    // Kills the children one by one in random order, each after a random delay, and checks
    // the files after every kill. Tells whether the submission had finished by itself.
    void KillInRandomOrder(const std::vector<Child>& children, bool& submissionFinished);
    void CheckConfiguration(const std::vector<uint32_t>& reported);
    void CheckChangeList(uint32_t reported, bool submissionFinished);
    void CheckNextSavesWork();

    unsigned seed = 0;
    std::mt19937 random;
    int round = 0;
    int kills = 0;
    int staleNew = 0;
    int staleChangesNew = 0;
    std::vector<uint32_t> generations = std::vector<uint32_t>(kWriterKeys.size(), 0);
    uint32_t lastChangeId = 0;
};

void CrashSafetyTest::RunRound() {
    ++round;
    std::vector<Child> children;
    for (size_t w = 0; w < kWriterKeys.size(); ++w) {
        const std::string& key = kWriterKeys[w];
        uint32_t first = generations[w] + 1;
        children.push_back(
            StartWriter([&](int fd) { SaveConfigurationUntilKilled(key, first, fd); }));
    }
    uint32_t firstId = lastChangeId + 1;
    children.push_back(StartWriter([&](int fd) { MarkChangesUntilKilled(firstId, fd); }));
    children.push_back(StartSubmission(round));
    for (const Child& child : children) ASSERT_GT(child.pid, 0) << "cannot start a writer";

    bool submissionFinished = false;
    KillInRandomOrder(children, submissionFinished);
    if (HasFatalFailure()) return;
    staleNew += filetext::Exists(kNew) ? 1 : 0;
    staleChangesNew += filetext::Exists(kChangesNew) ? 1 : 0;

    std::vector<uint32_t> reported;
    for (size_t w = 0; w < kWriterKeys.size(); ++w)
        reported.push_back(LastReport(children[w], generations[w]));
    uint32_t changesReported = LastReport(children[kWriterKeys.size()], lastChangeId);
    CheckConfiguration(reported);
    if (!HasFatalFailure()) CheckChangeList(changesReported, submissionFinished);
    if (!HasFatalFailure()) CheckNextSavesWork();
}

void CrashSafetyTest::KillInRandomOrder(const std::vector<Child>& children,
                                        bool& submissionFinished) {
    std::vector<size_t> order(children.size());
    for (size_t i = 0; i < order.size(); ++i) order[i] = i;
    std::shuffle(order.begin(), order.end(), random);
    std::uniform_int_distribution<int> delay(0, kMaxDelayMicroseconds);
    for (size_t i : order) {
        int status = 0;
        bool killed = KillAfter(children[i], std::chrono::microseconds(delay(random)), status);
        kills += killed ? 1 : 0;
        bool isSubmission = i + 1 == children.size();
        if (isSubmission && !killed)
            submissionFinished = WIFEXITED(status) && WEXITSTATUS(status) == 0;
        ASSERT_TRUE(killed || isSubmission)
            << "writer " << i << " ended by itself (1: a save failed): " << status;
        // The others go on writing: what they leave must be whole at every moment.
        Properties live;
        std::set<int32_t> ids;
        ASSERT_TRUE(IsWholeVersion(kLive, live)) << "round " << round;
        ASSERT_TRUE(ParseChangeList(ids)) << "round " << round;
    }
}

void CrashSafetyTest::CheckConfiguration(const std::vector<uint32_t>& reported) {
    Properties live, old;
    ASSERT_TRUE(IsWholeVersion(kLive, live)) << "round " << round;
    for (size_t w = 0; w < kWriterKeys.size(); ++w) {
        // The save after the last report may have finished too, but none is lost.
        auto generation = static_cast<uint32_t>(GenerationOf(live[kWriterKeys[w]]));
        ASSERT_GE(generation, reported[w]) << kWriterKeys[w] << " lost saves, round " << round;
        ASSERT_LE(generation, reported[w] + 1) << kWriterKeys[w] << ", round " << round;
        generations[w] = generation;
    }
    ASSERT_EQ(live[kCheckKey], std::to_string(round - 1));
    if (filetext::Exists(kOld)) {
        ASSERT_TRUE(IsWholeVersion(kOld, old)) << "round " << round;
    }
}

void CrashSafetyTest::CheckChangeList(uint32_t reported, bool submissionFinished) {
    std::set<int32_t> ids;
    ASSERT_TRUE(ParseChangeList(ids)) << "round " << round;
    uint32_t writerIds = 0;
    for (int32_t id : ids) writerIds += id > 0 && id < kSubmissionSessionBase ? 1 : 0;
    // The writer marks 1, 2, ...: all it reported, and perhaps the one after.
    for (uint32_t id = 1; id <= writerIds; ++id)
        ASSERT_TRUE(ids.count(static_cast<int32_t>(id))) << id;
    ASSERT_GE(writerIds, reported) << "marks lost, round " << round;
    ASSERT_LE(writerIds, reported + 1) << "round " << round;
    for (int check = 1; check < round; ++check)
        ASSERT_TRUE(ids.count(-check)) << "check mark " << check;
    if (submissionFinished) {
        ASSERT_TRUE(ids.count(kSubmissionSessionBase + round)) << "round " << round;
    }
    lastChangeId = writerIds;
}

void CrashSafetyTest::CheckNextSavesWork() {
    ::alarm(kCheckSaveSeconds);  // a lock left held would block here for ever
    {
        AgentConfiguration configuration;
        ASSERT_TRUE(configuration.Set(kCheckKey, std::to_string(round))) << "round " << round;
        for (size_t w = 0; w < kWriterKeys.size(); ++w) {
            ASSERT_TRUE(configuration.Get(kWriterKeys[w]) == Payload(generations[w]))
                << kWriterKeys[w];
        }
    }
    ASSERT_TRUE(ChangeListFile::Merge(kChanges, {{-round, 1}})) << "round " << round;
    ::alarm(0);
    ASSERT_FALSE(filetext::Exists(kNew));
    ASSERT_FALSE(filetext::Exists(kChangesNew));
}

TEST_F(CrashSafetyTest, KilledWritersLeaveWholeFilesAndTheNextSaveWorks) {
    const int rounds = RoundsToRun();
    while (round < rounds && !HasFatalFailure()) RunRound();
    std::cout << "crash safety: " << kills << " kills survived in " << round << " rounds (seed "
              << seed << "); killed while writing: agent configuration " << staleNew
              << ", change list " << staleChangesNew << "; generations reached: " << generations[0]
              << ", " << generations[1] << ", change marks " << lastChangeId << "\n";
    if (HasFatalFailure()) return;
    if (rounds >= kDefaultRounds) {
        EXPECT_GE(kills, kRequiredKills);
    }
    EXPECT_GT(staleNew, 0) << "no kill landed inside a save of the agent configuration";
}

}  // namespace
