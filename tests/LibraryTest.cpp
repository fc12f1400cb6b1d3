// Beyond the request table, in the private root: the root itself, the shell runner (its tools are
// the recording stand-ins), zelconfig, the log and its rolling file, the request edge after a failure,
// the page frame for sibling pages, a long run leaving no descriptor open, writers killed in saves.

#include <LogClientRollingFile.h>
#include <LogEvent.h>
#include <cgicc/Cgicc.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <net/if.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <random>
#include <sstream>
#include <stdexcept>
#include <tuple>

#include "AgentConfiguration.h"
#include "ChangeListFile.h"
#include "ConfigWebLog.h"
#include "ConfigWebLogging.h"
#include "ConfigWebStyle.h"
#include "Device.h"
#include "Program.h"
#include "RequestRunner.h"
#include "SetTolSettingsCgi.h"
#include "Shell.h"
#include "ZelConfigTool.h"

namespace {

using namespace device;

constexpr const char* kLogSource = "LibraryTest";

int Reap(pid_t child) { int status = -1; return ::waitpid(child, &status, 0), status; }

TEST(SandboxTest, RunsWithoutCapabilitiesInItsOwnNetwork) {
    EXPECT_NE(Read("/proc/self/status").find("CapEff:\t0000000000000000\n"), std::string::npos);
    struct if_nameindex* names = ::if_nameindex();  // "lo" alone
    ASSERT_TRUE(names != nullptr && std::string(names[0].if_name) == "lo" && names[1].if_index == 0u);
    ::if_freenameindex(names);
    EXPECT_FALSE(Exists("/home") || Exists("/root"));
}

TEST(ShellTest, CommandsGiveTheirOutputAndExitCodeWithinTheirBounds) {
    std::string output = "stale";
    int code = 99;
    Write("/stubs/status/iw", "3\n");
    EXPECT_TRUE(Shell::RunCommand(output, &code, "iw %s", "dev"));
    EXPECT_EQ(output + std::to_string(code) + Read(kCalls), "3iw dev\n");
    EXPECT_TRUE(Shell::RunCommand(output, &code, "echo line; (exit 1)"));  // the marker stays
    EXPECT_EQ(output + std::to_string(code), "line\n<exit code 1>\n0");
    const int fill = static_cast<int>(Shell::kCommandSize) - 1 - 15;
    EXPECT_TRUE(Shell::RunCommand(output, nullptr, "touch /tmp/fits%*s", fill, ""));
    EXPECT_FALSE(Shell::RunCommand(output, nullptr, "touch /tmp/cut%*s", fill + 2, ""));
    EXPECT_TRUE(Exists("/tmp/fits") && !Exists("/tmp/cut"));
    output = "before\n";  // appended to: a long line whole, then at most kMaxOutputBytes
    EXPECT_TRUE(Shell::ReadPipe(output, "head -c 3000 /dev/zero | tr '\\0' a; echo end; yes"));
    EXPECT_EQ(output.size(), 7 + Shell::kMaxOutputBytes);
    EXPECT_EQ(output.substr(0, 3011), "before\n" + std::string(3000, 'a') + "end\n");
}

// A shell that writes its pid file after `setUp` and stays, waited for a minute at most.
pid_t StartDaemon(const std::string& setUp) {
    const std::string script =
        setUp + "; echo $$ > /tmp/d.new; mv /tmp/d.new /tmp/d.pid; while :; do sleep 1; done";
    const pid_t child = ::fork();
    if (child == 0) ::_exit(::execl("/bin/sh", "sh", "-c", script.c_str(), static_cast<char*>(nullptr)));
    for (int i = 0; i < 60000 && !Exists("/tmp/d.pid"); ++i) ::usleep(1000);
    EXPECT_TRUE(Exists("/tmp/d.pid")) << "HANG: the daemon did not start";
    return child;
}

TEST(ShellTest, KillByPidFileStopsOnlyAPlainProcessIdAndForcesOneThatStays) {
    ConfigWebLogging logging;
    // This "ps" lists the daemon for as long as its pid file exists.
    Write("/stubs/bin/ps", "#!/bin/sh\necho ps >> /stubs/calls.log\n[ -e /tmp/d.pid ] && cat /tmp/d.pid\n");
    const pid_t goes = StartDaemon("trap 'rm -f /tmp/d.pid; exit 0' TERM");
    Shell::KillByPidFile("/tmp/d.pid", 3600000);
    ::unlink(kCalls);
    for (const char* pid : {"1; touch /tmp/pwned", "$(touch /tmp/pwned)", "", "0", "-1", "12a", "2147483648",
                            "00000000001"}) {
        Write("/tmp/bad.pid", pid);
        Shell::KillByPidFile("/tmp/bad.pid", 1000);
    }
    const pid_t stays = StartDaemon("trap '' TERM");
    Shell::KillByPidFile("/tmp/d.pid", 1000);
    EXPECT_TRUE(Reap(goes) == 0 && Reap(stays) == SIGKILL);
    EXPECT_FALSE(Exists("/tmp/d.pid") || Exists("/tmp/pwned"));
    EXPECT_EQ(Read(kCalls), "ps\nps\n");  // two checks in a second, none without a plain process id
    ExpectPieces(Read(kLog), "!kill -9 " + std::to_string(goes) + "\n|holds no process id|kill -9 " +
                                 std::to_string(stays));
}

TEST(ShellTest, ModulesFoldersAndTheBytePipe) {
    Write("/stubs/output/lsmod", "Module Size Used by\nath9k 1 0\n");
    EXPECT_EQ(Shell::LoadModule("ath9k", "/lib/ath9k.ko", "nohwcrypt=1"), 0);
    Write("/stubs/status/insmod", "1\n");  // a failing insmod goes unnoticed
    EXPECT_EQ(Shell::LoadModule("cfg80211", "/lib/cfg80211.ko", "a=1 b=2"), 0);
    EXPECT_EQ(Shell::LoadModule("m", "/lib/m.ko", std::string(Shell::kCommandSize, 'p')), -1);
    EXPECT_EQ(Read(kCalls), "lsmod\nlsmod\ninsmod /lib/cfg80211.ko a=1 b=2\nlsmod\n");
    EXPECT_EQ(Shell::MakeDirectories("/tmp/a/b//c/", 0700), 0);
    EXPECT_EQ(std::filesystem::status("/tmp/a/b/c").permissions(), std::filesystem::perms::owner_all);
    Write("/tmp/file", "x");
    EXPECT_EQ(Shell::MakeDirectories("/tmp/file/d/e", 0755), -1);
    EXPECT_EQ(Shell::WriteToPipe(kPipe, 1), -1);
    ASSERT_EQ(::mkfifo(kPipe, 0600), 0);
    EXPECT_EQ(Shell::WriteToPipe(kPipe, 1), 0);  // without a reader the byte is lost
    ASSERT_GE(::open(kPipe, O_RDONLY | O_NONBLOCK), 0);  // a reader, so that the pipe can be filled
    const int writer = ::open(kPipe, O_WRONLY | O_NONBLOCK);
    while (::write(writer, "x", 1) > 0) {
    }
    EXPECT_EQ(Shell::WriteToPipe(kPipe, 1), -1);  // a full pipe never blocks
}

// zelconfig as a device engineer runs it: status, output (nullptr: any) and a part of the error output.
TEST(ToolTest, EachCallAnswersWithItsStatusAndOutput) {
    Write(kConfig, "wlan.conf.infra.security.level=109\nwlan.conf.ap.ssid=ap\nwlan.conf.ap.psk=device key\n"
                   "wlan.conf.ap.channel=11\n");
    const std::tuple<std::vector<std::string>, int, const char*, const char*> transcript[] = {
        {{}, 2, "", ""}, {{"reserve"}, 2, "", ""}, {{"get"}, 2, "", ""}, {{"set", "tol.port"}, 2, "", ""},
        {{"set", "tol.port", "5302"}, 0, "", ""}, {{"show", "x"}, 2, "", ""}, {{"--help"}, 0, nullptr, ""},
        {{"get", "no.key", "tol.port"}, 1, "\n5302\n", "no.key"}, {{"set", "a=b", "x"}, 1, "", ""},
        {{"color-code", "white"}, 0, "#ede3d3\n", ""}, {{"color-name", "#acaea6"}, 0, "grey\n", ""},
        {{"set", "tol.port", " 5303"}, 1, "", ""}, {{"set", "tol.port", "5303\t"}, 1, "", ""},
        {{"get", "tol.port"}, 0, "5302\n", ""}, {{"summary"}, 0, "[0+;1+;2?;3?]\n", ""},
        {{"wpa", "/tmp/w"}, 0, "", ""}, {{"set", "wlan.conf.ap.psk", "a\"b"}, 0, "", ""},
        {{"color-code", "White"}, 1, "", ""}, {{"wpa", "/tmp/w"}, 1, "", ""}, {{"show"}, 0, nullptr, ""},
    };
    Outcome outcome;
    for (const auto& [args, status, out, err] : transcript) {
        std::vector<std::string> argv = {ZELCONFIG_BINARY};
        argv.insert(argv.end(), args.begin(), args.end());
        outcome = Program(argv).Run();
        SCOPED_TRACE(testing::PrintToString(args) + ": " + outcome.err);
        EXPECT_EQ(outcome.status, status);
        EXPECT_TRUE(out == nullptr || outcome.out == out) << outcome.out;
        EXPECT_EQ(outcome.err.empty(), status == 0);
        ExpectPieces(outcome.err, err);
    }
    std::vector<std::string> keys;  // of the last call, "show"
    for (const std::string& line : Lines(outcome.out)) keys.push_back(line.substr(0, line.find('=')));
    EXPECT_TRUE(std::is_sorted(keys.begin(), keys.end()));
    ExpectPieces(outcome.out, "\ntol.port=5302\n");
    ExpectPieces(Read("/tmp/w") + Read(kLog), "ssid=\"ap\"|psk=\"device key\"|error     configwebloghandler");
}

TEST(LoggingTest, FieldsArePaddedAndMessagesWrittenWholeAndEscapedWhileTheSetUpLives) {
    std::ostringstream line;
    ConfigWebLogging::ConfigWebLayout().Format(line, LogEvent("d", "info", "zel", 1234, "S", 4, "m"));
    EXPECT_EQ(line.str(), "d  info      zel            1234  S                        4     m\n");
    {
        ConfigWebLogging logging;
        WEB_ERROR("%s", "a\nb\r\x1b[2J\x7f\tc\xe9");  // no message can end its line or work a terminal
        LogFormater(113, "Long", 1).Log(Logger::GetLogHandler("configwebloghandler"), "%s|%05.1f",
                                        std::string(9000, 'x').c_str(), 2.25);
        LogFormater(113, "Long", 2).Log(nullptr, "no handler");
    }
    WEB_ERROR("after the set-up ended");
    EXPECT_EQ(LogEvents(), (std::vector<std::string>{
                               "error configwebloghandler LibraryTest a\\x0ab\\x0d\\x1b[2J\\x7f\tc\xe9",
                               "error configwebloghandler Long " + std::string(9000, 'x') + "|002.2"}));
    ASSERT_EQ(std::rename("/tmp/log", "/tmp/log.away"), 0);
    ConfigWebLogging logging;  // without its folder the log is dropped, and the folder is not made
    WEB_DEBUG("dropped");
    EXPECT_FALSE(Exists("/tmp/log"));
}

// Each event is 10 bytes in the default layout: two blanks, the letter, six dots, a line feed.
std::string Events(LogClientRollingFile* client, const std::string& letters) {
    std::string text;
    for (char c : letters) {
        if (client != nullptr) client->HandleEvent(LogEvent("", "", "", 0, "", 0, c + std::string(6, '.')));
        text += "  " + (c + std::string(6, '.')) + "\n";
    }
    return text;
}

TEST(LoggingTest, TheFileRollsAtItsLimitKeepingItsCount) {
    LogClientRollingFile three("/tmp/log/3", 30, 3), first("/tmp/log/2", 30, 2), second("/tmp/log/2", 30, 2);
    Events(&three, "abcdefgh");
    EXPECT_EQ(Read("/tmp/log/3") + Read("/tmp/log/3.1") + Read("/tmp/log/3.2"), Events(nullptr, "ghdefabc"));
    EXPECT_FALSE(Exists("/tmp/log/3.3"));
    Events(&first, "ab");
    Events(&second, "cd");  // "d" rolls
    Events(&first, "e");    // its file was rolled by the other: only reopened
    EXPECT_EQ(Read("/tmp/log/2.1") + Read("/tmp/log/2"), Events(nullptr, "abcde"));
}

TEST(LoggingTest, ConcurrentWritersNeverCarryAFilePastTheLimitNorTearALine) {
    const char *live = "/tmp/log/concurrent", *old = "/tmp/log/concurrent.1";
    std::vector<pid_t> writers(4);
    for (pid_t& writer : writers) {
        if ((writer = ::fork()) == 0) {
            LogClientRollingFile client(live, 1000, 2);
            for (int i = 0; i < 500; ++i) Events(&client, "abcdefghij");
            ::_exit(0);
        }
    }
    const auto size = [](const char* file) { struct stat st {}; return ::stat(file, &st) ? 0 : st.st_size; };
    off_t largest = 0;
    for (pid_t pid : writers) {
        while (::waitpid(pid, nullptr, WNOHANG) == 0) largest = std::max({largest, size(live), size(old)});
    }
    EXPECT_LE(largest, 1000);
    for (const std::string& line : Lines(Read(live) + Read(old))) EXPECT_EQ(line.substr(3), "......") << line;
}

std::string RunWith(const std::string& query, const RequestRunner::Handler& handler,
                    const RequestRunner::Fallback& fallback = nullptr) {
    ::setenv("REQUEST_METHOD", "GET", 1);
    ::setenv("QUERY_STRING", query.c_str(), 1);
    std::ostringstream out;
    std::streambuf* saved = std::cout.rdbuf(out.rdbuf());
    RequestRunner::Run(handler, fallback);
    std::cout.rdbuf(saved);
    return out.str();
}

TEST(PageFrameTest, AFailureIsLoggedAndAnsweredByTheFallbackWhenItCan) {
    ConfigWebLogging logging;
    const auto fail = [](cgicc::Cgicc&) { throw std::runtime_error("disk on fire"); };
    EXPECT_EQ(RunWith("", fail, [] { return std::cout << "fallback" ? true : false; }), "fallback");
    EXPECT_EQ(RunWith("", fail, [] { return false; }), RequestRunner::kBadRequestAnswer);
    EXPECT_EQ(RunWith("", [](cgicc::Cgicc&) { throw 7; }), RequestRunner::kBadRequestAnswer);
    ExpectPieces(Read(kLog), "failed: disk on fire|failed: disk on fire|failed: unknown error");
}

std::string Page(const std::string& title, const std::vector<std::string>& scripts = {}) {
    // cgicc's open/close switches live for the process: each page starts afresh.
    cgicc::html::reset(), cgicc::head::reset(), cgicc::title::reset(), cgicc::script::reset();
    cgicc::body::reset(), cgicc::ul::reset(), cgicc::div::reset();
    std::ostringstream out;
    {
        ConfigWebStyle style(out);
        style.SetTitle(title);
        for (const std::string& script : scripts) style.AddScript(script);
        style.WriteHead();
        cgicc::HTMLElement* content = style.WriteBodyStart(7, "init('a&b');");
        ConfigWebStyle::AddOption(content, "A&B", "<1>", false);
        ConfigWebStyle::AddOption(content, "Two", "2", true);
        ConfigWebStyle::AddChangeButtons(content, false, false);
    }
    return out.str();
}

TEST(PageFrameTest, TitleNavigationScriptsButtonsAndOptionsFollowTheCaller) {
    ExpectPieces(Page("LAN Settings", {"/js/b.js", "/js/a.js"}), "<title>ORVA Configuration Manager - "
                 "LAN Settings</title>|<script src=\"/js/b.js\" type=\"text/javascript\" ></script>\n"
                 "<script src=\"/js/a.js\" type=\"text/javascript\" ></script>\n</head>\n"
                 "<body onload=\"init('a&b');\" scroll=\"no\" >|<li class=\"active\" >"
                 "<a href=\"/zelconf/lansettings.cgi?sessionid=7\" >LAN Settings</a>|<option value=\"<1>\" >"
                 "A&B</option><option value=\"2\" selected=\"selected\" >Two</option>|"
                 "name=\"submit\" value=\"Save Changes\" disabled=\"disabled\"|!remove");
    ExpectPieces(Page("tol settings") + Page("TOL Settings ") + Page(""), "!active|Manager</title>");
}

// Every branch of the handler in turn, through the runner.
void Request(int i) {
    const std::string session = std::to_string(i), start = "sessionid=" + session + "&";
    const std::string branches[] = {Submission("", session), Submission("outlet=123", session),
                                    start + "remove=R", start + "removeyes=Yes", start + "removeno=No",
                                    start + "revert=Clear"};
    RunWith(branches[i % 6], [](cgicc::Cgicc& cgi) { SetTolSettingsCgi().HandleRequest(cgi); });
}

TEST(DescriptorLeakTest, AccessorsSavesRequestsAndLiveReadsLeaveNoDescriptorOpen) {
    Write(kConfig, "kald.mode=KALD-Neo\n");
    ASSERT_EQ(::mkfifo(kPipe, 0600), 0);  // every stored submission signals it
    ConfigWebLogging logging;              // the log rolls during the run
    Request(0);                            // the log file is open from here on
    const auto before = std::distance(std::filesystem::directory_iterator("/proc/self/fd"), {});
    std::ostringstream sink;
    for (int i = 1; i <= 3000; ++i) {
        AgentConfiguration configuration;
        EXPECT_TRUE(i % 10 != 0 || configuration.Set("long.run", std::to_string(i)));
        if (i % 5 == 0) Request(i / 5);
        if (i % 100 == 0) ZelConfigTool(sink, sink).Run({"show"});  // every attribute read, the live ones too
    }
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator("/proc/self/fd"), {}), before);
    EXPECT_TRUE(Exists("/tmp/log/configweb.log.1")) << "the log never rolled";
}

// Writers of the agent configuration and the change list are killed with SIGKILL once found inside a
// save, valid submissions at a random point of the time one takes; after every kill the configuration
// is whole, no save a writer saw finish is lost, and the next save works (CRASH_SAFETY_KILLS: kills).
constexpr int32_t kSubmissions = 100000000;  // session ids of the submissions, after the marks

std::string Payload(uint32_t generation) {
    return std::to_string(generation) + ":" + std::string(3000, static_cast<char>('a' + generation % 26));
}

// Expects the configuration to be `base` (sorted before "zz.") with whole payloads; their generations.
std::map<std::string, uint32_t> Whole(const std::string& base) {
    const std::string text = Read(kConfig);
    std::map<std::string, uint32_t> held;
    std::string whole = base;
    for (const std::string key : {"zz.a", "zz.b", "zz.check"}) {
        const size_t at = text.find("\n" + key + "=");
        held[key] = at == std::string::npos ? 0 : std::stoul("0" + text.substr(at + key.size() + 2, 10));
        whole += key + "=" + (key != "zz.check" ? Payload(held[key]) : std::to_string(held[key])) + "\n";
    }
    EXPECT_TRUE(text == whole) << "torn: ..." << text.substr(text.size() - std::min<size_t>(text.size(), 80));
    return held;
}

// A child saving `key` ("marks": the change list) until killed, reporting each finished save.
using Writer = std::tuple<std::string, pid_t, int>;

Writer StartWriter(const std::string& key, uint32_t first) {
    int fds[2];
    EXPECT_EQ(::pipe(fds), 0);
    const pid_t pid = ::fork();
    if (pid == 0) {
        AgentConfiguration configuration;
        for (int32_t n = first;; ++n) {
            const bool saved = key != "marks" ? configuration.Set(key, Payload(n))
                                              : ChangeListFile::Merge(kChangeList, {{n, 1}});
            if (!saved || ::write(fds[1], &n, sizeof n) != sizeof n) ::_exit(1);
        }
    }
    ::close(fds[1]);
    return {key, pid, fds[0]};
}

// Stops the writer at random moments until it has its temporary file open (1000 times at
// most; the root's own /proc is /proc-real), then kills it; whether it was inside a save.
bool KillInsideSave(const std::string& key, pid_t pid, std::mt19937& random) {
    const std::string temporary = key != "marks" ? kConfigNew : std::string(kChangeList) + ".new";
    const std::string fds = "/proc-real/" + std::to_string(pid) + "/fd";
    bool inside = false;
    for (int attempt = 0; attempt < 1000 && !inside; ++attempt) {
        ::usleep(std::uniform_int_distribution<useconds_t>(0, 2000)(random));
        ::kill(pid, SIGSTOP);
        std::error_code error;
        for (const auto& fd : std::filesystem::directory_iterator(fds, error)) {
            inside |= std::filesystem::read_symlink(fd, error).string().find(temporary) != std::string::npos;
        }
        if (!inside) ::kill(pid, SIGCONT);
    }
    ::kill(pid, SIGKILL);
    EXPECT_TRUE(WIFSIGNALED(Reap(pid))) << key << ": a save failed";
    return inside;
}

void OnHang(int) {
    const char message[] = "HANG: a save after the kills did not finish (a lock left held?)\n";
    ::_exit(::write(2, message, sizeof message - 1) < 0 ? 2 : 1);
}

TEST(CrashSafetyTest, KilledWritersLeaveWholeFilesAndTheNextSaveWorks) {
    ::signal(SIGALRM, OnHang);
    std::string fill;  // makes a save long enough to be caught
    for (int i = 0; i < 400; ++i) fill += "fill." + std::to_string(1000 + i) + "=x\n";
    Write(kConfig, fill + "kald.mode=KALD\nzz.a=" + Payload(0) + "\nzz.b=" + Payload(0) + "\nzz.check=0\n");
    const char* wanted = std::getenv("CRASH_SAFETY_KILLS");
    const int target = wanted != nullptr && std::atoi(wanted) > 0 ? std::atoi(wanted) : 150;
    const unsigned seed = std::random_device{}();
    std::mt19937 random(seed);
    const auto started = std::chrono::steady_clock::now();
    Program::Cgi(CGI_BINARY, "POST", Submission("", std::to_string(kSubmissions))).Run();
    const double span = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    const std::string base = Read(kConfig).substr(0, Read(kConfig).find("zz.a="));  // with the submission's
    std::map<std::string, uint32_t> saved = {{"zz.a", 0}, {"zz.b", 0}, {"marks", 0}};
    int round = 0, inside = 0, submissions = 0;
    // A round whose kills all missed a save is followed by another, far fewer than 5000 on any machine.
    while (round < 5000 && (inside < target || submissions < target / 10) && !HasFailure()) {
        ++round;
        std::vector<Writer> writers;
        for (const char* key : {"zz.a", "zz.b", "marks"}) writers.push_back(StartWriter(key, saved[key] + 1));
        const pid_t submission =
            Program::Cgi(CGI_BINARY, "POST", Submission("", std::to_string(kSubmissions + round))).Start();
        std::shuffle(writers.begin(), writers.end(), random);
        for (const auto& [key, pid, reports] : writers) {
            inside += KillInsideSave(key, pid, random);
            Whole(base);
        }
        ::usleep(static_cast<useconds_t>(1e6 * span * std::uniform_real_distribution<double>(0, 1)(random)));
        const bool running = ::waitpid(submission, nullptr, WNOHANG) == 0;
        ::kill(submission, SIGKILL);
        submissions += running && WIFSIGNALED(Reap(submission));
        std::map<std::string, uint32_t> now = Whole(base);
        ChangeListFile::Changes marks;
        ChangeListFile::Read(kChangeList, marks);
        while (marks.count(static_cast<int32_t>(now["marks"] + 1)) != 0) ++now["marks"];
        for (const auto& [key, pid, reports] : writers) {
            uint32_t n, reported = saved[key];
            while (::read(reports, &n, sizeof n) == sizeof n) reported = n;
            ::close(reports);
            EXPECT_LE(now[key] - reported, 1u) << key << " lost saves: " << now[key] << " < " << reported;
            saved[key] = now[key];
        }
        EXPECT_TRUE(running || marks.count(kSubmissions + round) == 1) << "a submission's mark is lost";
        EXPECT_EQ(now["zz.check"] + 1, static_cast<uint32_t>(round));
        ::alarm(600);  // the watchdog of a save left hanging
        EXPECT_TRUE(AgentConfiguration().Set("zz.check", std::to_string(round)) &&
                    ChangeListFile::Merge(kChangeList, {{-round, 1}}));
        ::alarm(0);
        EXPECT_FALSE(Exists(kConfigNew) || Exists(std::string(kChangeList) + ".new"));
    }
    std::cout << inside << " kills inside saves, " << submissions << " of submissions, seed " << seed << "\n";
    EXPECT_GE(inside, target) << "the writers were never found inside a save";
}

}  // namespace
