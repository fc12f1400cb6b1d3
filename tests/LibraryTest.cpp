// Beyond the request table, in the private root: the root itself, the shell runner, zelconfig, the log,
// the request edge and page frame, the descriptors after a long run, writers killed inside saves.

#include <LogClientRollingFile.h>
#include <LogEvent.h>
#include <cgicc/Cgicc.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <sstream>

#include "AgentConfiguration.h"
#include "ChangeListFile.h"
#include "ConfigWebLog.h"
#include "ConfigWebLogging.h"
#include "ConfigWebStyle.h"
#include "Device.h"
#include "PasswordFile.h"
#include "Program.h"
#include "RequestRunner.h"
#include "SetTolSettingsCgi.h"
#include "Shell.h"
#include "ZelConfigTool.h"

namespace {

using namespace device;
namespace fs = std::filesystem;

constexpr const char* kLogSource = "LibraryTest";

int Reap(pid_t child) { int status = -1; return ::waitpid(child, &status, 0), status; }

TEST(SandboxTest, RunsWithoutCapabilitiesInItsOwnNetwork) {
    EXPECT_NE(Read("/proc/self/status").find("CapEff:\t0000000000000000\n"), std::string::npos);
    EXPECT_EQ(Lines(Read("/proc/self/net/dev")).size(), 3u) << "more interfaces than lo";
    EXPECT_FALSE(Exists("/home") || Exists("/root"));
}

TEST(ShellTest, CommandsModulesFoldersPipesAndKillsStayWithinTheirBounds) {
    ConfigWebLogging logging;
    std::string output = "stale";
    int code = 99;
    Write("/stubs/status/iw", "3\n");
    EXPECT_TRUE(Shell::RunCommand(output, &code, "iw %s", "dev") && output.empty() && code == 3);
    EXPECT_TRUE(Shell::RunCommand(output, &code, "echo line; (exit 1)") && code == 0);  // the marker stays
    EXPECT_EQ(output, "line\n<exit code 1>\n");
    const int fill = static_cast<int>(Shell::kCommandSize) - 1 - 15;  // the longest "touch /tmp/fits..."
    EXPECT_TRUE(Shell::RunCommand(output, nullptr, "touch /tmp/fits%*s", fill, "") && Exists("/tmp/fits"));
    EXPECT_FALSE(Shell::RunCommand(output, nullptr, "touch /tmp/cut%*s", fill + 2, "") || Exists("/tmp/cut"));
    output = "before\n";  // appended to: a long line whole, then at most kMaxOutputBytes
    EXPECT_TRUE(Shell::ReadPipe(output, "head -c 3000 /dev/zero | tr '\\0' a; echo end; yes"));
    EXPECT_EQ(output.size(), 7 + Shell::kMaxOutputBytes);
    EXPECT_EQ(output.substr(0, 3011), "before\n" + std::string(3000, 'a') + "end\n");
    Write("/stubs/output/lsmod", "Module Size Used by\nath9k 1 0\n");
    Write("/stubs/status/insmod", "1\n");  // a failing insmod goes unnoticed
    EXPECT_EQ(Shell::LoadModule("ath9k", "/a.ko", "") + Shell::LoadModule("cfg", "/c.ko", "a=1 b=2"), 0);
    EXPECT_EQ(Shell::LoadModule("m", "/lib/m.ko", std::string(Shell::kCommandSize, 'p')), -1);
    EXPECT_EQ(Read(kCalls), "iw dev\nlsmod\nlsmod\ninsmod /c.ko a=1 b=2\nlsmod\n");
    EXPECT_EQ(Shell::MakeDirectories("/tmp/a/b//c/", 0700), 0);
    EXPECT_EQ(fs::status("/tmp/a/b/c").permissions(), fs::perms::owner_all);
    EXPECT_EQ(Shell::MakeDirectories(std::string(kCalls) + "/d/e", 0755), -1);  // a file on the way
    EXPECT_EQ(Shell::WriteToPipe(kPipe, 1), -1);
    ASSERT_EQ(::mkfifo(kPipe, 0600), 0);
    EXPECT_EQ(Shell::WriteToPipe(kPipe, 1), 0);  // without a reader the byte is lost
    ASSERT_GE(::open(kPipe, O_RDONLY | O_NONBLOCK), 0);  // a reader, so that 1 MiB written in part fills it
    EXPECT_GT(::write(::open(kPipe, O_WRONLY | O_NONBLOCK), std::string(1 << 20, 'x').data(), 1 << 20), 0);
    EXPECT_EQ(Shell::WriteToPipe(kPipe, 1), -1);  // a full pipe never blocks
    // Two children wait to be killed, one ends on SIGTERM, one ignores it; "ps" lists the one in /tmp/d.pid.
    Write("/stubs/bin/ps", "#!/bin/sh\necho ps >> /stubs/calls.log\n[ -e /tmp/d.pid ] && cat /tmp/d.pid\n");
    ::signal(SIGTERM, [](int) { ::unlink("/tmp/d.pid"), ::_exit(0); });
    const pid_t goes = ::fork();
    while (goes == 0) ::pause();
    ::signal(SIGTERM, SIG_IGN);
    const pid_t stays = ::fork();
    while (stays == 0) ::pause();
    ::signal(SIGTERM, SIG_DFL);
    Write("/tmp/d.pid", std::to_string(goes) + "\n");
    Shell::KillByPidFile("/tmp/d.pid", 3600000);
    ::unlink(kCalls);
    for (const char* pid : {"1; touch /tmp/pwned", "", "0", "-1", "12a", "2147483648", "00000000001"}) {
        Write("/tmp/bad.pid", pid);
        Shell::KillByPidFile("/tmp/bad.pid", 1000);
    }
    Write("/tmp/d.pid", std::to_string(stays) + "\n");
    Shell::KillByPidFile("/tmp/d.pid", 1000);
    EXPECT_TRUE(Reap(goes) == 0 && Reap(stays) == SIGKILL);
    EXPECT_FALSE(Exists("/tmp/d.pid") || Exists("/tmp/pwned"));
    EXPECT_EQ(Read(kCalls), "ps\nps\n");  // two checks in a second, none without a plain process id
    ExpectPieces(Read(kLog), "!kill -9 " + std::to_string(goes) + "\n|holds no process id");
}

// zelconfig as a device engineer runs it: status, output (nullptr: any), an error message unless 0;
// standard input for passwd.
TEST(ToolTest, EachCallAnswersWithItsStatusAndOutput) {
    const std::string longest(PasswordFile::kMaxLength, 'p');
    struct Call { std::vector<std::string> args; int status; const char* out; std::string in = ""; };
    const Call transcript[] = {
        {{}, 2, ""}, {{"reserve"}, 2, ""}, {{"get"}, 2, ""}, {{"set", "tol.port"}, 2, ""},
        {{"show", "x"}, 2, ""}, {{"set", "tol.port", "1"}, 0, ""}, {{"--help"}, 0, nullptr},
        {{"set", "a=b", "x"}, 1, ""}, {{"get", "no.key", "tol.port"}, 1, "\n1\n"},
        {{"set", "tol.port", " 5303"}, 1, ""}, {{"set", "tol.port", "5303\t"}, 1, ""},
        {{"get", "tol.port"}, 0, "1\n"}, {{"show"}, 0, nullptr}, {{"wpa", "/w"}, 0, ""},
        {{"wpa", "/no/w"}, 1, ""}, {{"summary"}, 0, "[0+;1+;2?;3?]\n"},
        {{"color-code", "white"}, 0, "#ede3d3\n"}, {{"color-name", "#acaea6"}, 0, "grey\n"},
        {{"color-code", "White"}, 1, ""}, {{"passwd", "Workshop-7"}, 2, ""}, {{"passwd"}, 1, "", "Shop-77\n"},
        {{"passwd"}, 1, "", longest + "p\n"}, {{"passwd"}, 1, "", "Work\tshop-7\n"},
        {{"passwd"}, 0, "", "Shop-777\nsecond line\n"}, {{"passwd"}, 0, "", longest},
    };
    std::vector<std::string> all;  // what "show" printed: every attribute, in key order
    for (auto [args, status, out, in] : transcript) {
        args.insert(args.begin(), ZELCONFIG_BINARY);
        Program tool(args);
        tool.input = in;
        const Outcome run = tool.Run();
        EXPECT_TRUE(run.status == status && (!out || run.out == out) && run.err.empty() == !status)
            << testing::PrintToString(args) << ": " << run.status << "\n" << run.out << run.err;
        if (args.back() == "show") all = Lines(run.out);
    }
    EXPECT_TRUE(std::is_sorted(all.begin(), all.end()) && std::count(all.begin(), all.end(), "tol.port=1"));
    ExpectPieces(Read(kLog), "error     configwebloghandler|no.key|!Shop-77|!Workshop|!pppppppp");
    // Only the last password's hash, for its owner alone, and it matches that password only.
    ExpectPieces(Read(PasswordFile::kPath), "$y$|!pppppppp");
    EXPECT_EQ(fs::status(PasswordFile::kPath).permissions(), fs::perms::owner_read | fs::perms::owner_write);
    EXPECT_TRUE(PasswordFile::Matches(longest) && !PasswordFile::Matches(longest + "p"));
    EXPECT_FALSE(PasswordFile::Matches("Shop-777"));
}

// One 4-byte event per letter in the default layout: two blanks, the letter, a line feed.
void Events(LogClientRollingFile& client, const std::string& letters) {
    for (char c : letters) client.HandleEvent(LogEvent("", "", "", 0, "", 0, std::string(1, c)));
}

TEST(LoggingTest, LinesArePaddedEscapedWholeAndRolledAtTheLimitWithoutTearing) {
    std::ostringstream line;
    ConfigWebLogging::ConfigWebLayout().Format(line, LogEvent("d", "info", "zel", 1234, "S", 4, "m"));
    EXPECT_EQ(line.str(), "d  info      zel            1234  S                        4     m\n");
    {
        ConfigWebLogging logging;
        WEB_ERROR("%s", "a\nb\r\x1b[2J\x7f\tc\xe9");  // no message can end its line or work a terminal
        WEB_ERROR("%s|%05.1f", std::string(9000, 'x').c_str(), 2.25);
        LogFormater(113, "Long", 2).Log(nullptr, "no handler");
    }
    WEB_ERROR("after the set-up ended");
    const std::string event = "error configwebloghandler LibraryTest ";
    EXPECT_EQ(LogEvents(),
              event + "a\\x0ab\\x0d\\x1b[2J\\x7f\tc\xe9\n" + event + std::string(9000, 'x') + "|002.2\n");
    LogClientRollingFile three("/tmp/3", 12, 3), first("/tmp/2", 12, 2), second("/tmp/2", 12, 2);
    Events(three, "abcdefghij");  // the third roll drops "abc"
    EXPECT_EQ(Read("/tmp/3.2") + Read("/tmp/3.1") + Read("/tmp/3"), "  d\n  e\n  f\n  g\n  h\n  i\n  j\n");
    EXPECT_FALSE(Exists("/tmp/3.3"));
    Events(first, "ab");
    Events(second, "cd");  // "d" rolls
    Events(first, "e");    // its file was rolled by the other: only reopened
    EXPECT_EQ(Read("/tmp/2.1") + "|" + Read("/tmp/2"), "  a\n  b\n  c\n|  d\n  e\n");
    const char *live = "/tmp/log/concurrent", *old = "/tmp/log/concurrent.1";
    for (int writer = 0; writer < 4; ++writer) {
        if (::fork() != 0) continue;
        LogClientRollingFile client(live, 1000, 2);
        for (int i = 0; i < 500; ++i) Events(client, "abcdefghijklmnopqrstuvwxyz");
        ::_exit(0);
    }
    const auto size = [](const char* file) { struct stat st {}; return ::stat(file, &st) ? 0 : st.st_size; };
    off_t largest = 0;
    while (::waitpid(-1, nullptr, WNOHANG) >= 0) largest = std::max({largest, size(live), size(old)});
    EXPECT_LE(largest, 1000 + 3 * 4);  // the others' lines checked just before a roll
    for (const std::string& line : Lines(Read(live) + Read(old))) EXPECT_EQ(line.size(), 3u) << line;
    ASSERT_EQ(std::rename("/tmp/log", "/tmp/log.away"), 0);
    ConfigWebLogging logging;  // without its folder the log is dropped, and the folder is not made
    WEB_DEBUG("dropped");
    EXPECT_FALSE(Exists("/tmp/log"));
}

std::string RunWith(const std::string& query, const RequestRunner::Handler& handler,
                    const RequestRunner::Fallback& fallback = nullptr) {
    ::setenv("REQUEST_METHOD", "GET", 1), ::setenv("QUERY_STRING", query.c_str(), 1);
    std::ostringstream out;
    std::streambuf* saved = std::cout.rdbuf(out.rdbuf());
    RequestRunner::Run(handler, fallback);
    std::cout.rdbuf(saved);
    return out.str();
}

std::string Page(const std::string& title, const std::vector<std::string>& scripts = {}) {
    std::ostringstream out;
    auto* style = new ConfigWebStyle(out);
    style->SetTitle(title);
    for (const std::string& script : scripts) style->AddScript(script);
    style->WriteHead();
    cgicc::HTMLElement* content = style->WriteBodyStart(7, "init('a&b');");
    ConfigWebStyle::AddOption(content, "A&B", "<1>", false);
    ConfigWebStyle::AddOption(content, "Two", "2", true);
    ConfigWebStyle::AddChangeButtons(content, false, false);
    delete style;  // writes the frame
    return out.str();
}

TEST(PageFrameTest, AFailureGoesToTheFallbackAndTheFrameFollowsTheCaller) {
    ConfigWebLogging logging;
    const auto fail = [](cgicc::Cgicc&) { throw std::ios_base::failure("disk on fire"); };
    EXPECT_EQ(RunWith("", fail, [] { return std::cout << "fallback" ? true : false; }), "fallback");
    EXPECT_EQ(RunWith("", fail, [] { return false; }), RequestRunner::kBadRequestAnswer);
    EXPECT_EQ(RunWith("", [](cgicc::Cgicc&) { throw 7; }), RequestRunner::kBadRequestAnswer);
    ExpectPieces(Read(kLog), "failed: disk on fire|failed: disk on fire|failed: unknown error");
    ExpectPieces(Page("LAN Settings", {"/js/b.js", "/js/a.js"}), "- LAN Settings</title>|/js/b.js|</script>|"
                 "/js/a.js|</script>\n</head>|onload=\"init('a&b');\"|<li class=\"active\" ><a href=\""
                 "/zelconf/lansettings.cgi?sessionid=7\"|\"<1>\" >A&B</option>|\"2\" selected=\"selected\" >"
                 "Two|\"Save Changes\" disabled=\"disabled\"|!remove");
    ExpectPieces(Page("tol settings") + Page("TOL Settings ") + Page(""), "!active|Manager</title>");
}

TEST(DescriptorLeakTest, AccessorsSavesRequestsAndLiveReadsLeaveNoDescriptorOpen) {
    const auto request = [](int i) {  // every branch of the handler in turn (the last without a button)
        const std::string id = std::to_string(i);
        const char* changes[] = {"", "outlet=123", "remove=R", "removeyes=Y", "removeno=N"};
        const auto handler = [](cgicc::Cgicc& cgi) { SetTolSettingsCgi().HandleRequest(cgi); };
        RunWith(i % 6 == 5 ? "sessionid=" + id : Submission(changes[i % 6], id), handler);
    };
    Write(kConfig, "kald.mode=KALD-Neo\n");
    ASSERT_EQ(::mkfifo(kPipe, 0600), 0);  // every stored submission signals it
    ConfigWebLogging logging;              // the log rolls during the run
    request(0);                            // the log file is open from here on
    const auto before = std::distance(fs::directory_iterator("/proc/self/fd"), {});
    std::ostringstream sink;
    for (int i = 1; i <= 3000; ++i) {
        AgentConfiguration configuration;
        EXPECT_TRUE(i % 10 != 0 || configuration.Set("long.run", std::to_string(i)));
        if (i % 5 == 0) request(i / 5);
        if (i % 100 == 0) ZelConfigTool(sink, sink).Run({"show"});  // every attribute read, live ones too
    }
    EXPECT_EQ(std::distance(fs::directory_iterator("/proc/self/fd"), {}), before);
    EXPECT_TRUE(Exists("/tmp/log/configweb.log.1")) << "the log never rolled";
}

// Writers of the agent configuration and the change list are killed with SIGKILL once found inside a
// save, valid submissions at a random point of the time one takes; after every kill the configuration
// is whole, no save a writer saw finish is lost, and the next save works (CRASH_SAFETY_KILLS: kills).
constexpr int32_t kSubmissions = 100000000;  // session ids of the submissions, after the marks
constexpr const char* kKeys[] = {"zz.a", "zz.b", "marks"};  // what each writer saves ("marks": the list)

std::string Payload(uint32_t generation) {
    return std::to_string(generation) + ":" + std::string(3000, static_cast<char>('a' + generation % 26));
}

// Expects `base` and whole payloads; the generations of zz.a, zz.b, the change list's marks and zz.check.
std::vector<uint32_t> Whole(const std::string& base) {
    const std::string text = Read(kConfig);
    std::vector<uint32_t> held(4);
    std::sscanf(text.c_str() + std::min(base.size(), text.size()),
                "zz.a=%u:%*[a-z]\nzz.b=%u:%*[a-z]\nzz.check=%u", &held[0], &held[1], &held[3]);
    EXPECT_TRUE(text == base + "zz.a=" + Payload(held[0]) + "\nzz.b=" + Payload(held[1]) + "\nzz.check=" +
                            std::to_string(held[3]) + "\n") << "torn: ..." << text.substr(text.size() / 2);
    ChangeListFile::Changes marks;
    ChangeListFile::Read(kChangeList, marks);
    while (marks.count(static_cast<int32_t>(held[2] + 1)) != 0) ++held[2];
    return held;
}

// A child saving kKeys[i] until killed; last[i], shared with it: the last save it saw finish.
pid_t StartWriter(int i, uint32_t* last) {
    const pid_t pid = ::fork();
    if (pid != 0) return pid;
    AgentConfiguration configuration;
    for (uint32_t n = last[i] + 1;; last[i] = n++) {
        if (i < 2 ? !configuration.Set(kKeys[i], Payload(n))
                  : !ChangeListFile::Merge(kChangeList, {{static_cast<int32_t>(n), 1}})) ::_exit(1);
    }
}

// Stops writer i at random moments until it has its temporary file open (1000 times at most; the
// root's own /proc is /proc-real), kills it and expects the files whole; whether it was inside a save.
bool KillInsideSave(int i, pid_t pid, std::mt19937& random, const std::string& base) {
    const fs::path target = std::string(i < 2 ? kConfig : kChangeList) + ".new";  // its temporary file
    const std::string fds = "/proc-real/" + std::to_string(pid) + "/fd";
    bool inside = false;
    for (int attempt = 0; attempt < 1000 && !inside; ++attempt) {
        ::usleep(std::uniform_int_distribution<useconds_t>(0, 2000)(random));
        ::kill(pid, SIGSTOP);
        std::error_code ec;
        for (const auto& fd : fs::directory_iterator(fds, ec)) inside |= fs::read_symlink(fd, ec) == target;
        if (!inside) ::kill(pid, SIGCONT);
    }
    ::kill(pid, SIGKILL);
    EXPECT_TRUE(WIFSIGNALED(Reap(pid))) << kKeys[i] << ": a save failed";
    Whole(base);
    return inside;
}

TEST(CrashSafetyTest, KilledWritersLeaveWholeFilesAndTheNextSaveWorks) {
    ::signal(SIGALRM, [](int) {
        const char message[] = "HANG: a save after the kills did not finish (a lock left held?)\n";
        ::_exit(::write(2, message, sizeof message - 1) < 0 ? 2 : 1);
    });
    const std::string fill = "fill=" + std::string(8000, 'x');  // makes a save long enough to be caught
    Write(kConfig, fill + "\nkald.mode=KALD\nzz.a=" + Payload(0) + "\nzz.b=" + Payload(0) + "\nzz.check=0\n");
    const char* wanted = std::getenv("CRASH_SAFETY_KILLS");
    const int target = wanted != nullptr && std::atoi(wanted) > 0 ? std::atoi(wanted) : 150;
    const unsigned seed = std::random_device{}();
    std::mt19937 random(seed);
    const auto started = std::chrono::steady_clock::now();
    Program::Cgi(CGI_BINARY, "POST", Submission("", std::to_string(kSubmissions))).Run();
    const double span = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    const std::string base = Read(kConfig).substr(0, Read(kConfig).find("zz.a="));  // with the submission's
    void* shared = ::mmap(nullptr, 16, PROT_READ | PROT_WRITE, MAP_SHARED | MAP_ANONYMOUS, -1, 0);
    uint32_t* last = static_cast<uint32_t*>(shared);  // the last save each writer saw finish
    int inside = 0, cut = 0, order[] = {0, 1, 2};  // kills inside saves, of running submissions
    // A round whose kills all missed a save is followed by another, far fewer than 5000 on any machine.
    for (int round = 1; round <= 5000 && (inside < target || cut < target / 10) && !HasFailure(); ++round) {
        const pid_t writers[] = {StartWriter(0, last), StartWriter(1, last), StartWriter(2, last)};
        const std::string session = std::to_string(kSubmissions + round);
        const pid_t submission = Program::Cgi(CGI_BINARY, "POST", Submission("", session)).Start();
        std::shuffle(std::begin(order), std::end(order), random);
        for (int i : order) inside += KillInsideSave(i, writers[i], random, base);
        ::usleep(static_cast<useconds_t>(1e6 * span * std::uniform_real_distribution<double>(0, 1)(random)));
        const bool running = ::waitpid(submission, nullptr, WNOHANG) == 0;
        ::kill(submission, SIGKILL);
        cut += running && WIFSIGNALED(Reap(submission));
        const std::vector<uint32_t> now = Whole(base);
        for (int i : order) {
            EXPECT_LE(now[i] - last[i], 1u) << kKeys[i] << " lost saves: " << now[i] << " < " << last[i];
            last[i] = now[i];
        }
        EXPECT_TRUE(running || Read(kChangeList).find(session + ";1\n") != std::string::npos) << "mark lost";
        EXPECT_EQ(now[3] + 1, static_cast<uint32_t>(round));
        ::alarm(600);  // the watchdog of a save left hanging
        EXPECT_TRUE(AgentConfiguration().Set("zz.check", std::to_string(round)) &&
                    ChangeListFile::Merge(kChangeList, {{-round, 1}}));
        ::alarm(0);
        EXPECT_FALSE(Exists(kConfigNew) || Exists(std::string(kChangeList) + ".new"));
    }
    std::cout << inside << " kills inside saves, " << cut << " of submissions, seed " << seed << "\n";
    EXPECT_GE(inside, target) << "the writers were never found inside a save";
}

}  // namespace
