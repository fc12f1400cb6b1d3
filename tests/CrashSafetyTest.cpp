// Writers of the agent configuration and the change list, and valid submissions of the
// handler, killed with SIGKILL in the private root. A writer is stopped at random moments
// until it is found inside a save (its temporary file open), then killed; a submission is
// killed at a random point of the time one takes. After every kill both files are whole
// versions some writer finished, no save a writer saw finish is lost, and the next save
// works. CRASH_SAFETY_KILLS sets how many kills inside saves to reach.

#include <dirent.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <chrono>
#include <map>
#include <random>

#include "AgentConfiguration.h"
#include "ChangeListFile.h"
#include "Device.h"
#include "Program.h"

namespace {

using namespace device;
using Properties = std::map<std::string, std::string>;

constexpr int kFiller = 400;
constexpr int kMaxRounds = 5000;  // far more than any machine needs to place the kills
const char* const kMarks = "marks";
constexpr int32_t kSubmissions = 100000000;  // session ids of the submissions, after the marks

std::string Payload(uint32_t generation) {
    return std::to_string(generation) + ":" + std::string(3000, static_cast<char>('a' + generation % 26));
}

// A whole saved version: sorted "key=value" lines with every filler line and whole payloads.
Properties Whole() {
    const std::string text = Read(kConfig);
    Properties properties;
    std::string previous;
    for (const std::string& line : Lines(text)) {
        const std::string key = line.substr(0, line.find('='));
        EXPECT_TRUE(line.find('=') != std::string::npos && key > previous) << line.substr(0, 60);
        properties[key] = line.substr(key.size() + 1);
        previous = key;
    }
    int filler = 0;
    for (int i = 0; i < kFiller; ++i) filler += properties["fill." + std::to_string(1000 + i)] == "x";
    EXPECT_TRUE(filler == kFiller && !text.empty() && text.back() == '\n');
    for (const char* key : {"crash.a", "crash.b"}) EXPECT_EQ(properties[key], Payload(std::stoul("0" + properties[key])));
    return properties;
}

struct Writer {
    const char* key;  // a property, or kMarks for the change list
    pid_t pid;
    int reports;  // one uint32_t per finished save
};

// A forked child that saves generation after generation until it is killed.
Writer StartWriter(const char* key, uint32_t first) {
    int fds[2];
    EXPECT_EQ(::pipe(fds), 0);
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::close(fds[0]);
        AgentConfiguration configuration;
        for (uint32_t n = first;; ++n) {
            const bool saved = key != kMarks ? configuration.Set(key, Payload(n))
                                             : ChangeListFile::Merge(kChangeList, {{static_cast<int32_t>(n), 1}});
            if (!saved || ::write(fds[1], &n, sizeof n) != sizeof n) ::_exit(1);
        }
    }
    ::close(fds[1]);
    return {key, pid, fds[0]};
}

uint32_t LastReport(const Writer& writer, uint32_t none) {
    uint32_t n, last = none;
    while (::read(writer.reports, &n, sizeof n) == sizeof n) last = n;
    ::close(writer.reports);
    return last;
}

// Whether the stopped writer has its temporary file open (the private root's own /proc is
// at /proc-real).
bool InsideSave(const Writer& writer) {
    const std::string folder = "/proc-real/" + std::to_string(writer.pid) + "/fd";
    const char* temporary = writer.key != kMarks ? "agent.configuration.new" : "config_web_changes.lst.new";
    DIR* fds = ::opendir(folder.c_str());
    bool inside = false;
    for (dirent* entry; fds != nullptr && (entry = ::readdir(fds)) != nullptr;) {
        char target[256] = {};
        inside |= ::readlink((folder + "/" + entry->d_name).c_str(), target, 255) > 0 && std::strstr(target, temporary) != nullptr;
    }
    if (fds != nullptr) ::closedir(fds);
    return inside;
}

// Stops the writer at random moments until it is inside a save (at most `attempts`), then
// kills it; whether the kill landed inside a save.
bool KillInsideSave(const Writer& writer, std::mt19937& random, int attempts) {
    bool inside = false;
    while (!inside && attempts-- > 0) {
        ::usleep(std::uniform_int_distribution<useconds_t>(0, 2000)(random));
        ::kill(writer.pid, SIGSTOP);
        inside = InsideSave(writer);
        if (!inside) ::kill(writer.pid, SIGCONT);
    }
    ::kill(writer.pid, SIGKILL);
    int status = 0;
    ::waitpid(writer.pid, &status, 0);
    EXPECT_TRUE(WIFSIGNALED(status)) << writer.key << ": a save failed";
    return inside;
}

void OnHang(int) {
    const char message[] = "HANG: a save after the kills did not finish (a lock left held?)\n";
    if (::write(2, message, sizeof message - 1) < 0) ::_exit(2);
    ::_exit(1);
}

TEST(CrashSafetyTest, KilledWritersLeaveWholeFilesAndTheNextSaveWorks) {
    std::string initial = "crash.a=" + Payload(0) + "\ncrash.b=" + Payload(0) + "\ncrash.check=0\n";
    for (int i = 0; i < kFiller; ++i) initial += "fill." + std::to_string(1000 + i) + "=x\n";
    Write(kConfig, initial + "kald.mode=KALD\n");
    const char* wanted = std::getenv("CRASH_SAFETY_KILLS");
    const int target = wanted != nullptr && std::atoi(wanted) > 0 ? std::atoi(wanted) : 150;
    const unsigned seed = std::random_device{}();
    std::mt19937 random(seed);
    std::map<std::string, uint32_t> saved = {{"crash.a", 0}, {"crash.b", 0}, {kMarks, 0}};
    int round = 0, inside = 0, submissions = 0;
    const auto started = std::chrono::steady_clock::now();
    Program::Cgi(CGI_BINARY, "POST", Submission("", std::to_string(kSubmissions))).Run();
    const auto span = std::chrono::steady_clock::now() - started;
    ::signal(SIGALRM, OnHang);
    while (round < kMaxRounds && (inside < target || submissions < target / 10) && !HasFailure()) {
        ++round;
        std::vector<Writer> writers;
        for (const char* key : {"crash.a", "crash.b", kMarks}) writers.push_back(StartWriter(key, saved[key] + 1));
        const pid_t submission =
            Program::Cgi(CGI_BINARY, "POST", Submission("", std::to_string(kSubmissions + round))).Start();
        std::shuffle(writers.begin(), writers.end(), random);
        for (const Writer& writer : writers) {
            inside += KillInsideSave(writer, random, 1000);
            Whole();
        }
        ::usleep(static_cast<useconds_t>(std::chrono::duration_cast<std::chrono::microseconds>(span).count() *
                                         std::uniform_real_distribution<double>(0, 1)(random)));
        int status = 0;
        const bool running = ::waitpid(submission, &status, WNOHANG) == 0;
        ::kill(submission, SIGKILL), ::waitpid(submission, &status, 0);
        submissions += running && WIFSIGNALED(status);
        const Properties live = Whole();
        ChangeListFile::Changes marks;
        ChangeListFile::Read(kChangeList, marks);
        for (const Writer& writer : writers) {
            const uint32_t reported = LastReport(writer, saved[writer.key]);
            uint32_t now = 0;
            if (writer.key != kMarks) now = std::stoul("0" + live.at(writer.key));
            while (writer.key == kMarks && marks.count(static_cast<int32_t>(now + 1)) != 0) ++now;
            EXPECT_TRUE(now == reported || now == reported + 1) << writer.key << " lost saves: " << now << " < " << reported;
            saved[writer.key] = now;
        }
        EXPECT_TRUE(running || marks.count(kSubmissions + round) == 1) << "a finished submission's mark is lost";
        EXPECT_EQ(live.at("crash.check"), std::to_string(round - 1));
        ::alarm(600);
        EXPECT_TRUE(AgentConfiguration().Set("crash.check", std::to_string(round)));
        EXPECT_TRUE(ChangeListFile::Merge(kChangeList, {{-round, 1}}));
        ::alarm(0);
        EXPECT_FALSE(Exists(kConfigNew) || Exists(std::string(kChangeList) + ".new"));
    }
    std::cout << "crash safety: " << inside << " kills inside saves, " << submissions
              << " submissions killed while running, in " << round << " rounds (seed " << seed << ")\n";
    EXPECT_GE(inside, target) << "the writers were never found inside a save";
}

}  // namespace
