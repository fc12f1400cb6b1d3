// The shell runner in the private root: the tools it calls are the recording stand-ins.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "ConfigWebLogging.h"
#include "Device.h"
#include "Shell.h"

namespace {

using namespace device;

// What `action` logged, the events joined by line feeds.
template <typename Action>
std::string LogOf(Action action) {
    ::unlink(kLog);
    {
        ConfigWebLogging logging;
        action();
    }
    std::string log;
    for (const std::string& event : LogEvents()) log += event + "\n";
    return log;
}

TEST(ShellTest, CommandsGiveTheirOutputAndExitCodeWithinTheirBounds) {
    std::string output = "stale";
    int code = 99;
    for (const auto& [printed, expected] : {std::pair<const char*, int>{"99999999999", INT32_MAX},
                                            {"-99999999999", INT32_MIN}, {" +12abc", 12}, {"x", 0}}) {
        EXPECT_TRUE(Shell::RunCommand(output, &code, "echo '<exit code %s>'", printed));
        EXPECT_EQ(output + std::to_string(code), std::to_string(expected)) << printed;
    }
    EXPECT_TRUE(Shell::RunCommand(output, &code, "echo line; (exit 1)"));  // the marker stays
    EXPECT_EQ(output + std::to_string(code), "line\n<exit code 1>\n0");
    const int fill = static_cast<int>(Shell::kCommandSize) - 1 - 15;
    EXPECT_TRUE(Shell::RunCommand(output, nullptr, "touch /tmp/fits%*s", fill, ""));
    EXPECT_FALSE(Shell::RunCommand(output, nullptr, "touch /tmp/cut%*s", fill + 2, ""));
    EXPECT_TRUE(Exists("/tmp/fits") && !Exists("/tmp/cut"));
    output = "before\n";
    EXPECT_TRUE(Shell::ReadPipe(output, "head -c 3000 /dev/zero | tr '\\0' a; echo end"));
    EXPECT_EQ(output, "before\n" + std::string(3000, 'a') + "end\n");
    output.clear();
    EXPECT_TRUE(Shell::ReadPipe(output, "yes"));
    EXPECT_EQ(output.size(), Shell::kMaxOutputBytes);
}

TEST(ShellTest, KillByPidFileRunsNothingWithoutAPlainProcessId) {
    for (const char* text : {"1; touch /tmp/pwned", "$(touch /tmp/pwned)", "", "0", "-1", "12a", "2147483648", "00000000001"}) {
        Write("/tmp/bad.pid", text);
        EXPECT_NE(LogOf([] { Shell::KillByPidFile("/tmp/bad.pid", 1000); }).find("holds no process id"), std::string::npos) << text;
    }
    EXPECT_FALSE(Exists(kCalls) || Exists("/tmp/pwned"));
}

// A shell that writes its pid file after `setUp`, waited for under a watchdog of a minute.
pid_t StartDaemon(const std::string& setUp) {
    const std::string script = setUp + "; echo $$ > /tmp/d.new; mv /tmp/d.new /tmp/d.pid; while :; do sleep 1; done";
    const pid_t child = ::fork();
    if (child == 0) {
        ::execl("/bin/sh", "sh", "-c", script.c_str(), static_cast<char*>(nullptr));
        ::_exit(127);
    }
    for (int i = 0; i < 60000 && !Exists("/tmp/d.pid"); ++i) ::usleep(1000);
    EXPECT_TRUE(Exists("/tmp/d.pid")) << "HANG: the daemon did not start";
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
    EXPECT_EQ(LogOf([] { Shell::KillByPidFile("/tmp/d.pid", 3600000); }).find("kill -9"), std::string::npos);
    EXPECT_EQ(Reap(child), 0);
    ::unlink(kCalls);
    child = StartDaemon("trap '' TERM");
    const std::string log = LogOf([] { Shell::KillByPidFile("/tmp/d.pid", 1000); });  // two checks
    EXPECT_EQ(Reap(child), SIGKILL);
    EXPECT_NE(log.find("kill -9 " + std::to_string(child) + "\n"), std::string::npos) << log;
    EXPECT_EQ(Read(kCalls), "ps\nps\n");
}

TEST(ShellTest, ModulesFoldersAndTheBytePipe) {
    Write("/stubs/output/lsmod", "Module Size Used by\nath9k 1 0\n");
    EXPECT_EQ(Shell::LoadModule("ath9k", "/lib/ath9k.ko", "nohwcrypt=1"), 0);
    Write("/stubs/status/insmod", "1\n");  // a failing insmod goes unnoticed
    EXPECT_EQ(Shell::LoadModule("cfg80211", "/lib/cfg80211.ko", "a=1 b=2"), 0);
    EXPECT_EQ(Shell::LoadModule("m", "/lib/m.ko", std::string(Shell::kCommandSize, 'p')), -1);
    EXPECT_EQ(Read(kCalls), "lsmod\nlsmod\ninsmod /lib/cfg80211.ko a=1 b=2\nlsmod\n");
    EXPECT_EQ(Shell::MakeDirectories("/tmp/a/b//c/", 0700), 0);
    struct stat status;
    EXPECT_TRUE(::stat("/tmp/a/b/c", &status) == 0 && (status.st_mode & 07777) == 0700);
    Write("/tmp/file", "x");
    EXPECT_EQ(Shell::MakeDirectories("/tmp/file/d/e", 0755), -1);
    EXPECT_EQ(Shell::WriteToPipe(kPipe, 1), -1);
    ASSERT_EQ(::mkfifo(kPipe, 0600), 0);
    EXPECT_EQ(Shell::WriteToPipe(kPipe, 1), 0);  // without a reader the byte is lost
    const int reader = ::open(kPipe, O_RDONLY | O_NONBLOCK);
    EXPECT_EQ(Shell::WriteToPipe(kPipe, 7), 0);
    unsigned char got[2] = {};
    EXPECT_TRUE(::read(reader, got, sizeof got) == 1 && got[0] == 7);
    const int writer = ::open(kPipe, O_WRONLY | O_NONBLOCK);
    while (::write(writer, got, 1) > 0) {
    }
    EXPECT_EQ(Shell::WriteToPipe(kPipe, 1), -1);  // a full pipe never blocks
}

}  // namespace
