#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstring>
#include <sstream>
#include <string>
#include <utility>

#include "ConfigWebLogging.h"
#include "FileText.h"
#include "LogFile.h"
#include "Shell.h"

namespace {

constexpr const char* kCalls = "/stubs/calls.log";

// Runs `action` with the log set up and returns what it logged.
template <typename Action>
std::string LogOf(Action action) {
    {
        ConfigWebLogging logging;
        action();
    }
    return filetext::Read(ConfigWebLogging::kLogPath);
}

// True when `log` has a line of this class at `level` whose message is `message`.
bool HasLine(const std::string& log, const std::string& level, const std::string& message) {
    const std::vector<std::string> events = logfile::Events(log);
    return std::find(events.begin(), events.end(), level + " zelloghandler Shell " + message) !=
           events.end();
}

// Starts a shell script that writes its pid file once ready (through a rename, so the
// file is never seen half-written) and waits for that file.
pid_t StartDaemon(const std::string& setUp, const std::string& pidFile) {
    const std::string script = setUp + "; echo $$ > " + pidFile + ".new; mv " + pidFile + ".new " +
                               pidFile + "; while :; do sleep 0.05; done";
    const pid_t child = ::fork();
    if (child == 0) {
        ::execl("/bin/sh", "sh", "-c", script.c_str(), static_cast<char*>(nullptr));
        ::_exit(127);
    }
    for (int i = 0; i < 1000 && !filetext::Exists(pidFile); ++i) ::usleep(10000);
    return child;
}

// The child's wait status; a child still running after a few seconds is ended with SIGHUP.
int Reap(pid_t child) {
    int status = 0;
    for (int i = 0; i < 500; ++i) {
        if (::waitpid(child, &status, WNOHANG) == child) return status;
        ::usleep(10000);
    }
    ::kill(child, SIGHUP);
    ::waitpid(child, &status, 0);
    return status;
}

TEST(ShellTest, RunCommandCapturesOutputAndAnExitCodeMarkedAtTheStart) {
    std::string output = "stale";
    int code = 99;
    EXPECT_TRUE(Shell::RunCommand(output, &code, "printf '%s\\n'", "one line"));
    EXPECT_EQ(output, "one line\n");
    EXPECT_EQ(code, 0);
    bool ok = false;
    const std::string log = LogOf([&] { ok = Shell::RunCommand(output, &code, "(exit 3)"); });
    EXPECT_TRUE(ok);
    EXPECT_EQ(output, "");
    EXPECT_EQ(code, 3);
    EXPECT_TRUE(HasLine(log, "debug", "Open pipe '(exit 3)'")) << log;
    EXPECT_TRUE(
        HasLine(log, "debug",
                "'(exit 3)' finished with exit code '3': '" + std::string(std::strerror(3)) + "'"))
        << log;
    EXPECT_TRUE(Shell::RunCommand(output, nullptr, "(exit 4)"));
    EXPECT_EQ(output, "");
    // Output before the failure hides the marker: it stays in the output, exit code 0.
    EXPECT_TRUE(Shell::RunCommand(output, &code, "echo line; (exit 1)"));
    EXPECT_EQ(output, "line\n<exit code 1>\n");
    EXPECT_EQ(code, 0);
}

TEST(ShellTest, RunCommandReadsTheExitCodeLikeA32BitStrtol) {
    const std::pair<const char*, int> cases[] = {
        {"<exit code 99999999999>", INT_MAX},
        {"<exit code -99999999999>", INT_MIN},
        {"<exit code  +12abc>", 12},
        {"<exit code x>", 0},
    };
    for (const auto& [printed, expected] : cases) {
        std::string output;
        int code = 99;
        EXPECT_TRUE(Shell::RunCommand(output, &code, "echo '%s'", printed));
        EXPECT_EQ(code, expected) << printed;
        EXPECT_EQ(output, "") << printed;
    }
}

TEST(ShellTest, RunCommandRefusesACommandThatDoesNotFitItsBuffer) {
    const std::string fits = "touch /tmp/fits";
    const std::string cut = "touch /tmp/cut";
    const int size = static_cast<int>(Shell::kCommandSize);
    std::string output;
    EXPECT_TRUE(Shell::RunCommand(output, nullptr, "%s%*s", fits.c_str(),
                                  size - 1 - static_cast<int>(fits.size()), ""));
    EXPECT_TRUE(filetext::Exists("/tmp/fits"));
    bool ok = true;
    const std::string log = LogOf([&] {
        ok = Shell::RunCommand(output, nullptr, "%s%*s", cut.c_str(),
                               size - static_cast<int>(cut.size()), "");
    });
    EXPECT_FALSE(ok);
    EXPECT_FALSE(filetext::Exists("/tmp/cut"));
    EXPECT_NE(log.find("command too long: 'touch /tmp/cut "), std::string::npos) << log;
    EXPECT_EQ(log.find("Open pipe"), std::string::npos) << log;
}

TEST(ShellTest, ReadPipeAppendsLongLinesWholeAndStopsAtItsLimit) {
    std::string output = "before\n";
    EXPECT_TRUE(Shell::ReadPipe(output, "head -c 3000 /dev/zero | tr '\\0' a; echo; echo end"));
    EXPECT_EQ(output, "before\n" + std::string(3000, 'a') + "\nend\n");
    output.clear();
    bool ok = false;
    const std::string log = LogOf([&] { ok = Shell::ReadPipe(output, "yes"); });
    EXPECT_TRUE(ok);
    EXPECT_EQ(output.size(), Shell::kMaxOutputBytes);
    EXPECT_EQ(output.find_first_not_of("y\n"), std::string::npos);
    EXPECT_NE(log.find("Read pipe 'y"), std::string::npos);
    EXPECT_EQ(static_cast<size_t>(std::count(log.begin(), log.end(), 'y')),
              Shell::kMaxLoggedOutputBytes / 2);
}

TEST(ShellTest, KillByPidFileRunsNothingWithoutAPlainProcessId) {
    std::string log = LogOf([] { EXPECT_EQ(Shell::KillByPidFile("/tmp/none.pid", 1000), 0); });
    EXPECT_TRUE(HasLine(log, "debug", "pid file '/tmp/none.pid' dosn't exist")) << log;
    for (const char* text : {"1; touch /tmp/pwned", "$(touch /tmp/pwned)", "", " \n", "0", "-1",
                             "12a", "2147483648", "00000000001"}) {
        filetext::Write("/tmp/bad.pid", text);
        log = LogOf([] { EXPECT_EQ(Shell::KillByPidFile("/tmp/bad.pid", 1000), 0); });
        EXPECT_TRUE(HasLine(log, "error", "pid file '/tmp/bad.pid' holds no process id")) << text;
        EXPECT_EQ(log.find("kill"), std::string::npos) << text;
    }
    EXPECT_FALSE(filetext::Exists(kCalls));
    EXPECT_FALSE(filetext::Exists("/tmp/pwned"));
    EXPECT_TRUE(filetext::Exists("/tmp/bad.pid"));
}

TEST(ShellTest, KillByPidFileStopsAfterOneSignalWhenThePidFileGoes) {
    const pid_t child = StartDaemon("trap 'rm -f /tmp/d.pid; exit 0' TERM", "/tmp/d.pid");
    const std::string pid = std::to_string(child);
    const std::string log = LogOf([] { EXPECT_EQ(Shell::KillByPidFile("/tmp/d.pid", 5000), 0); });
    const int status = Reap(child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
    EXPECT_TRUE(HasLine(log, "debug", "kill " + pid)) << log;
    EXPECT_EQ(log.find("kill -9"), std::string::npos) << log;
    EXPECT_TRUE(HasLine(log, "debug", "pid file '/tmp/d.pid' no longer exist")) << log;
    EXPECT_EQ(filetext::Read(kCalls), "ps\n");  // not listed at the first check
}

TEST(ShellTest, KillByPidFileForcesAProcessThatIgnoresTerm) {
    const pid_t child = StartDaemon("trap '' TERM", "/tmp/d.pid");
    const std::string pid = std::to_string(child);
    filetext::Write("/stubs/output/ps", "  " + pid + " root      0:00 sh -c daemon\n");
    const std::string log = LogOf([] { EXPECT_EQ(Shell::KillByPidFile("/tmp/d.pid", 1000), 0); });
    const int status = Reap(child);
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL) << status;
    EXPECT_TRUE(HasLine(log, "debug", "kill " + pid)) << log;
    EXPECT_TRUE(HasLine(log, "debug", "kill -9 " + pid)) << log;
    EXPECT_FALSE(filetext::Exists("/tmp/d.pid"));
    EXPECT_EQ(filetext::Read(kCalls), "ps\nps\n");  // 1000 ms allow two checks
}

TEST(ShellTest, LoadModuleInsmodsOnlyAModuleLsmodDoesNotList) {
    filetext::Write("/stubs/output/lsmod", "Module Size Used by\nath9k 1 0\n");
    std::string log =
        LogOf([] { EXPECT_EQ(Shell::LoadModule("ath9k", "/lib/ath9k.ko", "nohwcrypt=1"), 0); });
    EXPECT_TRUE(HasLine(log, "debug", "Load ath9k at /lib/ath9k.ko")) << log;
    EXPECT_EQ(filetext::Read(kCalls), "lsmod\n");
    filetext::Write("/stubs/status/insmod", "1\n");  // a failing insmod goes unnoticed
    EXPECT_EQ(Shell::LoadModule("cfg80211", "/lib/cfg80211.ko", "a=1 b=2"), 0);
    EXPECT_EQ(filetext::Read(kCalls), "lsmod\nlsmod\ninsmod /lib/cfg80211.ko a=1 b=2\n");
    // Only an insmod command that can't be run at all fails.
    const std::string parameters(Shell::kCommandSize, 'p');
    log = LogOf([&] { EXPECT_EQ(Shell::LoadModule("m", "/lib/m.ko", parameters), -1); });
    EXPECT_TRUE(HasLine(log, "error", "insmod of m failed: ")) << log;
}

TEST(ShellTest, MakeDirectoriesCreatesEveryLevelAndStopsAtAFile) {
    EXPECT_EQ(Shell::MakeDirectories("/tmp/a/b//c/", 0700), 0);
    struct stat status;
    ASSERT_EQ(::stat("/tmp/a/b/c", &status), 0);
    EXPECT_EQ(status.st_mode & 07777, 0700u);
    EXPECT_TRUE(S_ISDIR(status.st_mode));
    EXPECT_EQ(Shell::EnsureDirectory("/tmp/a", 0755), 0);
    filetext::Write("/tmp/file", "x");
    errno = 0;
    EXPECT_EQ(Shell::MakeDirectories("/tmp/file/d/e", 0755), -1);
    EXPECT_EQ(errno, ENOTDIR);
}

TEST(ShellTest, WriteToPipeWritesOneByteUnlessItCantOpenOrThePipeIsFull) {
    const char* path = "/tmp/zelcom/tol";
    std::string log = LogOf([&] { EXPECT_EQ(Shell::WriteToPipe(path, 1), -1); });
    const std::string noFile = std::strerror(ENOENT);
    EXPECT_TRUE(HasLine(log, "error", "open pipe '/tmp/zelcom/tol' failed: " + noFile)) << log;
    ASSERT_EQ(::mkfifo(path, 0600), 0);
    EXPECT_EQ(Shell::WriteToPipe(path, 1), 0);  // no reader
    const int reader = ::open(path, O_RDONLY | O_NONBLOCK);
    EXPECT_EQ(Shell::WriteToPipe(path, 1), 0);
    unsigned char got[2] = {0, 0};
    EXPECT_EQ(::read(reader, got, sizeof got), 1);
    EXPECT_EQ(got[0], 1);
    const int writer = ::open(path, O_WRONLY | O_NONBLOCK);
    while (::write(writer, got, 1) > 0) {
    }
    log = LogOf([&] { EXPECT_EQ(Shell::WriteToPipe(path, 1), -1); });
    const std::string full = std::strerror(EAGAIN);
    EXPECT_TRUE(HasLine(log, "error", "write to pipe '/tmp/zelcom/tol' failed: " + full)) << log;
    ::close(writer);
    ::close(reader);
}

}  // namespace
