// The shell runner in the private root: the tools it calls are the recording stand-ins.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>

#include "ConfigWebLogging.h"
#include "Device.h"
#include "Shell.h"

namespace {

using namespace device;

// Runs `action` with the log set up; the events it logged through "zelloghandler", each
// as "LEVEL MESSAGE".
template <typename Action>
std::string LogOf(Action action) {
    ::unlink(kLog);
    {
        ConfigWebLogging logging;
        action();
    }
    std::string log;
    for (const std::string& event : LogEvents()) {
        log += event.substr(0, event.find(' ')) + event.substr(event.find(" Shell ") + 6) + "\n";
    }
    return log;
}

TEST(ShellTest, RunCommandGivesTheOutputAndTheExitCodeMarkedAtItsStart) {
    std::string output = "stale";
    int code = 99;
    const std::string log = LogOf([&] { EXPECT_TRUE(Shell::RunCommand(output, &code, "(exit %d)", 3)); });
    EXPECT_EQ(output + std::to_string(code), "3");
    EXPECT_EQ(log, "debug Open pipe '(exit 3)'\ndebug Read pipe '<exit code 3>\\x0a'\ndebug '(exit 3)' "
                   "finished with exit code '3': '" + std::string(std::strerror(3)) + "'\n");
    EXPECT_TRUE(Shell::RunCommand(output, nullptr, "printf '%s\\n'", "one line"));
    EXPECT_EQ(output, "one line\n");
    EXPECT_TRUE(Shell::RunCommand(output, &code, "echo line; (exit 1)"));  // the marker stays
    EXPECT_EQ(output + std::to_string(code), "line\n<exit code 1>\n0");
    for (const auto& [printed, expected] : {std::pair<const char*, int>{"99999999999", INT32_MAX},
                                            {"-99999999999", INT32_MIN}, {" +12abc", 12}, {"x", 0}}) {
        EXPECT_TRUE(Shell::RunCommand(output, &code, "echo '<exit code %s>'", printed));
        EXPECT_EQ(output + std::to_string(code), std::to_string(expected)) << printed;
    }
}

TEST(ShellTest, CommandsThatDontFitAreRefusedAndOutputIsBounded) {
    std::string output;
    const int fill = static_cast<int>(Shell::kCommandSize) - 1 - 15;
    EXPECT_TRUE(Shell::RunCommand(output, nullptr, "touch /tmp/fits%*s", fill, ""));
    EXPECT_TRUE(Exists("/tmp/fits"));
    const std::string log = LogOf([&] {
        EXPECT_FALSE(Shell::RunCommand(output, nullptr, "touch /tmp/cut%*s", fill + 2, ""));
    });
    EXPECT_FALSE(Exists("/tmp/cut"));
    EXPECT_EQ(log.rfind("error command too long: 'touch /tmp/cut ", 0), 0u) << log;
    output = "before\n";
    EXPECT_TRUE(Shell::ReadPipe(output, "head -c 3000 /dev/zero | tr '\\0' a; echo; echo end"));
    EXPECT_EQ(output, "before\n" + std::string(3000, 'a') + "\nend\n");
    output.clear();
    const std::string yes = LogOf([&] { EXPECT_TRUE(Shell::ReadPipe(output, "yes")); });
    EXPECT_EQ(output.size(), Shell::kMaxOutputBytes);
    EXPECT_EQ(output.find_first_not_of("y\n"), std::string::npos);
    EXPECT_EQ(std::count(yes.begin(), yes.end(), 'y'), 2048);  // of 4 KiB logged
}

TEST(ShellTest, KillByPidFileRunsNothingWithoutAPlainProcessId) {
    EXPECT_EQ(LogOf([] { Shell::KillByPidFile("/tmp/none.pid", 1000); }),
              "debug pid file '/tmp/none.pid' dosn't exist\n");
    for (const char* text : {"1; touch /tmp/pwned", "$(touch /tmp/pwned)", "", " \n", "0", "-1",
                             "12a", "2147483648", "00000000001"}) {
        Write("/tmp/bad.pid", text);
        EXPECT_EQ(LogOf([] { Shell::KillByPidFile("/tmp/bad.pid", 1000); }),
                  "error pid file '/tmp/bad.pid' holds no process id\n") << text;
    }
    EXPECT_FALSE(Exists(kCalls) || Exists("/tmp/pwned"));
}

// A shell script that runs `setUp` and then writes its pid file, and waits for that file.
pid_t StartDaemon(const std::string& setUp) {
    const std::string script = setUp + "; echo $$ > /tmp/d.new; mv /tmp/d.new /tmp/d.pid; while :; do sleep 1; done";
    const pid_t child = ::fork();
    if (child == 0) {
        ::execl("/bin/sh", "sh", "-c", script.c_str(), static_cast<char*>(nullptr));
        ::_exit(127);
    }
    for (int i = 0; i < 60000 && !Exists("/tmp/d.pid"); ++i) ::usleep(1000);  // a minute at most
    EXPECT_TRUE(Exists("/tmp/d.pid")) << "the daemon did not start";
    return child;
}

int Reap(pid_t child) {
    int status = 0;
    ::waitpid(child, &status, 0);
    return status;
}

TEST(ShellTest, KillByPidFileStopsWhenTheProcessGoesAndForcesOneThatStays) {
    // This "ps" lists the daemon for as long as its pid file exists.
    Write("/stubs/bin/ps", "#!/bin/sh\necho ps >> /stubs/calls.log\n[ -e /tmp/d.pid ] && cat /tmp/d.pid\n");
    pid_t child = StartDaemon("trap 'rm -f /tmp/d.pid; exit 0' TERM");
    std::string pid = std::to_string(child);
    std::string log = LogOf([] { Shell::KillByPidFile("/tmp/d.pid", 3600000); });
    EXPECT_EQ(Reap(child), 0);
    EXPECT_NE(log.find("debug kill " + pid + "\n"), std::string::npos) << log;
    EXPECT_NE(log.find("debug pid file '/tmp/d.pid' no longer exist\n"), std::string::npos) << log;
    EXPECT_EQ(log.find("kill -9"), std::string::npos) << log;
    ::unlink(kCalls);
    child = StartDaemon("trap '' TERM");
    pid = std::to_string(child);
    log = LogOf([] { Shell::KillByPidFile("/tmp/d.pid", 1000); });  // two checks
    EXPECT_EQ(Reap(child), SIGKILL);
    EXPECT_NE(log.find("debug kill -9 " + pid + "\n"), std::string::npos) << log;
    EXPECT_FALSE(Exists("/tmp/d.pid"));
    EXPECT_EQ(Read(kCalls), "ps\nps\n");
}

TEST(ShellTest, LoadModuleInsmodsOnlyAModuleThatIsNotLoaded) {
    Write("/stubs/output/lsmod", "Module Size Used by\nath9k 1 0\n");
    const std::string log =
        LogOf([] { EXPECT_EQ(Shell::LoadModule("ath9k", "/lib/ath9k.ko", "nohwcrypt=1"), 0); });
    EXPECT_EQ(log.rfind("debug Load ath9k at /lib/ath9k.ko\n", 0), 0u) << log;
    Write("/stubs/status/insmod", "1\n");  // a failing insmod goes unnoticed
    EXPECT_EQ(Shell::LoadModule("cfg80211", "/lib/cfg80211.ko", "a=1 b=2"), 0);
    EXPECT_EQ(Read(kCalls), "lsmod\nlsmod\ninsmod /lib/cfg80211.ko a=1 b=2\n");
    const std::string parameters(Shell::kCommandSize, 'p');
    EXPECT_NE(LogOf([&] { EXPECT_EQ(Shell::LoadModule("m", "/lib/m.ko", parameters), -1); })
                  .find("error insmod of m failed: \n"), std::string::npos);
}

TEST(ShellTest, FoldersAreMadeLevelByLevelAndTheBytePipeNeverBlocks) {
    EXPECT_EQ(Shell::MakeDirectories("/tmp/a/b//c/", 0700), 0);
    struct stat status;
    ASSERT_EQ(::stat("/tmp/a/b/c", &status), 0);
    EXPECT_EQ(status.st_mode & 07777, 0700u);
    EXPECT_EQ(Shell::EnsureDirectory("/tmp/a", 0755), 0);
    Write("/tmp/file", "x");
    errno = 0;
    EXPECT_EQ(Shell::MakeDirectories("/tmp/file/d/e", 0755), -1);
    EXPECT_EQ(errno, ENOTDIR);

    EXPECT_EQ(LogOf([] { EXPECT_EQ(Shell::WriteToPipe(kPipe, 1), -1); }),
              "error open pipe '/tmp/zelcom/tol' failed: " + std::string(std::strerror(ENOENT)) + "\n");
    ASSERT_EQ(::mkfifo(kPipe, 0600), 0);
    EXPECT_EQ(Shell::WriteToPipe(kPipe, 1), 0);  // without a reader the byte is lost
    const int reader = ::open(kPipe, O_RDONLY | O_NONBLOCK);
    EXPECT_EQ(Shell::WriteToPipe(kPipe, 7), 0);
    unsigned char got[2] = {};
    EXPECT_EQ(::read(reader, got, sizeof got), 1);
    EXPECT_EQ(got[0], 7);
    const int writer = ::open(kPipe, O_WRONLY | O_NONBLOCK);
    while (::write(writer, got, 1) > 0) {
    }
    EXPECT_EQ(LogOf([] { EXPECT_EQ(Shell::WriteToPipe(kPipe, 1), -1); }),
              "error write to pipe '/tmp/zelcom/tol' failed: " + std::string(std::strerror(EAGAIN)) + "\n");
}

}  // namespace
