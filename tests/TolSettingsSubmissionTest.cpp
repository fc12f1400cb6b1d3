// Submissions and removals of the TOL settings end to end: the built program run as the web
// server runs it, inside the private root, judged by its answer and the files it leaves.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <functional>
#include <map>
#include <sstream>
#include <thread>
#include <vector>

#include "AgentConfiguration.h"
#include "CgiProcess.h"
#include "FileText.h"
#include "LogFile.h"
#include "ProgramLauncher.h"

namespace {

constexpr const char* kLive = "/config/agent.configuration";
constexpr const char* kOld = "/config/agent.configuration.old";
constexpr const char* kNew = "/config/agent.configuration.new";
constexpr const char* kChangeList = "/tmp/config_web_changes.lst";
constexpr const char* kPipe = "/tmp/zelcom/tol";
constexpr const char* kNoValues = "&outlet=&dealer=&toladdress=&tolport=&tolurl=&dns1=&dns2=";

using Fields = std::map<std::string, std::string>;

const Fields kValid = {
    {"outlet", "7"},    {"dealer", "42"},     {"toladdress", "10.0.0.2"}, {"tolport", "5302"},
    {"tolurl", "/tol"}, {"dns1", "10.0.0.1"}, {"dns2", "10.0.0.3"},
};

std::string Encode(const std::string& text) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string encoded;
    for (char c : text) {
        const unsigned char byte = static_cast<unsigned char>(c);
        if (isalnum(byte)) {
            encoded += c;
        } else {
            encoded += {'%', kHex[byte >> 4], kHex[byte & 0xf]};
        }
    }
    return encoded;
}

// Posts "submit" with these fields (a field mapped to "<absent>" is left out).
std::string Submit(const Fields& changes, const std::string& session = "77") {
    Fields fields = kValid;
    for (const auto& [name, value] : changes) fields[name] = value;
    std::string body = "sessionid=" + session + "&submit=Save";
    for (const auto& [name, value] : fields) {
        if (value != "<absent>") body += "&" + name + "=" + Encode(value);
    }
    CgiResult result = CgiProcess::Post(CGI_BINARY, body).Run();
    EXPECT_EQ(result.exitStatus, 0);
    return result.output;
}

std::string Redirect(const std::string& query) {
    return "Location: tolsettings.cgi?sessionid=77" + query + "\n\n\n";
}

// The error flags of a redirect: what stands between the session id and the values.
std::string Flags(const std::string& answer) {
    const std::string prefix = "Location: tolsettings.cgi?sessionid=77";
    if (answer.compare(0, prefix.size(), prefix) != 0) return "<not a redirect>";
    const size_t values = answer.find("&outlet=");
    if (values == std::string::npos) return "<no values>";
    return answer.substr(prefix.size(), values - prefix.size());
}

std::string Property(const std::string& key) {
    const std::string text = "\n" + filetext::Read(kLive);
    const size_t at = text.find("\n" + key + "=");
    if (at == std::string::npos) return "<missing>";
    const size_t start = at + key.size() + 2;
    return text.substr(start, text.find('\n', start) - start);
}

void SetDiscoverMode(const std::string& mode) {
    filetext::Write(kLive, "network.config.discover.mode=" + mode + "\n");
}

TEST(TolSettingsSubmissionTest, EveryRejectedFieldAddsItsFlagInFieldOrder) {
    SetDiscoverMode("1");
    const std::string answer = Submit({{"outlet", "123"},
                                       {"dealer", "12a"},
                                       {"toladdress", "bad_host"},
                                       {"tolport", "123456"},
                                       {"tolurl", "a\nb"},
                                       {"dns1", "x"},
                                       {"dns2", "1.2.3.4.5"}});
    EXPECT_EQ(answer, Redirect("&outletwrong=1&dealerwrong=1&toladdresswrong=1&tolportwrong=1"
                               "&tolurlwrong=1&dns1wrong=1&dns2wrong=1" +
                               std::string(kNoValues)));
    for (const char* message :
         {"Element outlet 123 not valid", "Element dealer 12a not valid",
          "Element tol address bad_host not valid", "Element tol port 123456 not valid",
          "Element tol url a\\x0ab not valid", "Element dns server 1 x not valid",
          "Element dns server 2 1.2.3.4.5 not valid"}) {
        const std::string line = logfile::LineWithMessage(message);
        EXPECT_NE(line.find("error     configwebloghandler"), std::string::npos) << message;
    }
    EXPECT_EQ(Property("tol.outlet"), "<missing>");
    EXPECT_EQ(filetext::Read(kChangeList), "");
}

TEST(TolSettingsSubmissionTest, AcceptedValuesComeBackAfterAFailedSubmission) {
    SetDiscoverMode("202");
    const std::string answer = Submit({{"outlet", ""},
                                       {"toladdress", "tol.example.com"},
                                       {"tolport", ""},
                                       {"tolurl", "/a b&c=d"},
                                       {"dns2", "<absent>"}});
    EXPECT_EQ(answer, Redirect("&outletwrong=1&outlet=&dealer=42&toladdress=tol.example.com"
                               "&tolport=&tolurl=/a%20b%26c%3Dd&dns1=10.0.0.1&dns2="));
    EXPECT_NE(logfile::LineWithMessage("Element dns2 not set"), "");
}

TEST(TolSettingsSubmissionTest, MissingElementsFailWithTheirOwnFlagsOnly) {
    SetDiscoverMode("1");
    CgiResult result = CgiProcess::Post(CGI_BINARY, "sessionid=77&submit=Save").Run();
    EXPECT_EQ(result.output,
              Redirect("&dealerwrong=1&toladdresswrong=1&dns1wrong=1" + std::string(kNoValues)));
    for (const char* message :
         {"Element outlet not set", "Element dealer not set", "Element tol address not set",
          "Element tol port not set", "Element tol url not set", "Element dns1 not set",
          "Element dns2 not set"}) {
        EXPECT_NE(logfile::LineWithMessage(message), "") << message;
    }
    // A missing URL alone fails the submission without a flag.
    EXPECT_EQ(Submit({{"tolurl", "<absent>"}}),
              Redirect("&outlet=7&dealer=42&toladdress=10.0.0.2&tolport=5302&tolurl="
                       "&dns1=10.0.0.1&dns2=10.0.0.3"));
}

TEST(TolSettingsSubmissionTest, FieldLimitsAreCheckedToTheByte) {
    const std::string label(63, 'a');
    const std::string name253 = label + "." + label + "." + label + "." + std::string(61, 'b');
    const std::pair<Fields, std::string> cases[] = {
        {{{"outlet", "07"}, {"dealer", "999999"}, {"tolport", "00000"}}, ""},
        {{{"outlet", "00"}, {"dealer", "1"}, {"tolport", "99999"}}, ""},
        {{{"toladdress", name253}}, ""},
        {{{"toladdress", name253 + "b"}}, "&toladdresswrong=1"},
        {{{"toladdress", "5302"}}, ""},
        {{{"dealer", "1234567"}}, "&dealerwrong=1"},
        {{{"outlet", " 7"}}, "&outletwrong=1"},
    };
    for (const auto& [fields, flags] : cases) {
        const std::string answer = Submit(fields);
        if (flags.empty()) {
            EXPECT_EQ(answer, Redirect("")) << fields.begin()->second;
        } else {
            EXPECT_EQ(Flags(answer), flags);
        }
    }
}

TEST(TolSettingsSubmissionTest, DnsFieldsAreJudgedOnlyInDiscoveryModes1And202) {
    const Fields noDns = {{"dns1", "<absent>"}, {"dns2", "<absent>"}};
    for (const char* mode : {"0", "3", "", "01"}) {
        SetDiscoverMode(mode);
        filetext::Write(kLive, filetext::Read(kLive) + "dns.server.1=8.8.8.8\n");
        EXPECT_EQ(Submit(noDns), Redirect("")) << mode;
        EXPECT_EQ(Property("dns.server.1"), "") << mode;  // replaced by an empty value
        EXPECT_EQ(Property("dns.server.2"), "") << mode;
    }
    for (const char* mode : {"1", "202"}) {
        SetDiscoverMode(mode);
        EXPECT_EQ(Flags(Submit(noDns)), "&dns1wrong=1") << mode;
    }
    // Without the property (and with the default content's 3) the gate stays closed too.
    ::unlink(kLive);
    ::unlink(kOld);
    EXPECT_EQ(Submit(noDns), Redirect(""));
    EXPECT_EQ(Property("network.config.discover.mode"), "3");
}

TEST(TolSettingsSubmissionTest, TheFirstDnsServerIsRequiredForAHostNameOnly) {
    SetDiscoverMode("1");
    EXPECT_EQ(Submit({{"toladdress", "10.0.0.2"}, {"dns1", ""}}), Redirect(""));
    EXPECT_EQ(Submit({{"toladdress", "10.0.0.2"}, {"dns1", "any text"}}), Redirect(""));
    EXPECT_EQ(Property("dns.server.1"), "any text");
    EXPECT_EQ(Flags(Submit({{"toladdress", "tol.example.com"}, {"dns1", ""}})), "&dns1wrong=1");
    EXPECT_EQ(Submit({{"toladdress", "tol.example.com"}, {"dns1", "10.1"}}), Redirect(""));
    EXPECT_EQ(Submit({{"dns2", "1.2.3"}}), Redirect(""));
    EXPECT_EQ(Submit({{"dns2", ""}}), Redirect(""));
    // Control characters are refused even where any text would do.
    EXPECT_EQ(Flags(Submit({{"toladdress", "10.0.0.2"}, {"dns1", "a\rb"}})), "&dns1wrong=1");
}

TEST(TolSettingsSubmissionTest, AValidSubmissionIsStoredSortedWithTheDealerPadded) {
    SetDiscoverMode("1");
    EXPECT_EQ(Submit({{"tolport", ""}, {"tolurl", "/path?x=1"}}), Redirect(""));
    EXPECT_EQ(filetext::Read(kLive),
              "dns.server.1=10.0.0.1\ndns.server.2=10.0.0.3\nkald.mode=KALD\n"
              "network.config.discover.mode=1\ntol.address=10.0.0.2\ntol.dealer=000042\n"
              "tol.extendedurl=/path?x=1\ntol.outlet=7\ntol.port=\n");
    // The backup is the state before the last of the seven saves.
    EXPECT_EQ(filetext::Read(kOld),
              "dns.server.1=10.0.0.1\nkald.mode=KALD\n"
              "network.config.discover.mode=1\ntol.address=10.0.0.2\ntol.dealer=000042\n"
              "tol.extendedurl=/path?x=1\ntol.outlet=7\ntol.port=\n");
    EXPECT_FALSE(filetext::Exists(kNew));
    EXPECT_EQ(filetext::Read(kChangeList), "77;1\n");
    Submit({{"dealer", "123456"}});
    EXPECT_EQ(Property("tol.dealer"), "123456");
}

TEST(TolSettingsSubmissionTest, OnABareDeviceEachOfTheFourStartUpsLogsWhatItMissed) {
    SetDiscoverMode("1");
    EXPECT_EQ(Submit({}), Redirect(""));
    const std::vector<std::string> startUp = {
        "info zelloghandler WlanDeviceDetector * Found Atheros PCIe wlan card",
        "error zelloghandler ZelConfig Can't open /livepatch/lp.info",
        "error zelloghandler ZelConfig Can't open /livepatch/lp.info",
        "error zelloghandler ZelConfig Can't open /tmp/sf2static",
        "error zelloghandler ZelConfig Can't open /tmp/sf2static",
        "info zelloghandler ZelConfig Warning: not all attributes initialized successfully!",
    };
    std::vector<std::string> expected = {
        "debug configwebloghandler InitialParameters Given session id is 77",
        "debug configwebloghandler SetTolSettingsCgi No remove button",
        "debug configwebloghandler NetDev IP is valid",
    };
    for (int store = 0; store < 4; ++store) {
        expected.insert(expected.end(), startUp.begin(), startUp.end());
        // The first two read the discovery mode for the check of one DNS server each; the
        // third stores the settings, the fourth reads the mode for the signal.
        if (store < 2) expected.push_back("debug configwebloghandler NetDev IP is valid");
    }
    EXPECT_EQ(logfile::Events(), expected);
}

TEST(TolSettingsSubmissionTest, ConfirmingTheRemovalStoresTheSevenPropertiesEmpty) {
    SetDiscoverMode("1");
    ASSERT_EQ(Submit({}), Redirect(""));
    CgiResult result = CgiProcess::Post(CGI_BINARY, "sessionid=77&removeyes=Yes").Run();
    EXPECT_EQ(result.output, Redirect(""));
    for (const char* key : {"tol.outlet", "tol.dealer", "tol.address", "tol.port",
                            "tol.extendedurl", "dns.server.1", "dns.server.2"}) {
        EXPECT_EQ(Property(key), "") << key;
    }
    EXPECT_EQ(Property("network.config.discover.mode"), "1");
}

// Bytes the device software would find in its pipe after `run`.
std::string PipeBytes(const std::function<void()>& run) {
    ::unlink(kPipe);
    EXPECT_EQ(::mkfifo(kPipe, 0600), 0);
    int reader = ::open(kPipe, O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    EXPECT_GE(reader, 0);
    run();
    char buffer[16];
    ssize_t n = ::read(reader, buffer, sizeof buffer);
    ::close(reader);
    return n > 0 ? std::string(buffer, static_cast<size_t>(n)) : std::string();
}

TEST(TolSettingsSubmissionTest, InKaldNeoModeEachStoredSubmissionSignalsThePipe) {
    filetext::Write(kLive, "kald.mode=KALD-Neo\n");
    EXPECT_EQ(PipeBytes([] { Submit({}); }), std::string(1, '\x01'));
    EXPECT_EQ(PipeBytes([] {
                  Submit({});
                  Submit({{"dealer", "1"}});
              }),
              std::string(2, '\x01'));
    EXPECT_EQ(PipeBytes([] { Submit({{"outlet", "x"}}); }), "");
    EXPECT_EQ(PipeBytes([] { CgiProcess::Post(CGI_BINARY, "sessionid=7&removeyes=Y").Run(); }), "");
    for (const char* mode : {"KALD", "KALD-Neo2", "kald-neo"}) {
        filetext::Write(kLive, std::string("kald.mode=") + mode + "\n");
        EXPECT_EQ(PipeBytes([] { Submit({}); }), "") << mode;
    }
    // Without a pipe the settings are stored all the same.
    ::unlink(kPipe);
    filetext::Write(kLive, "kald.mode=KALD-Neo\n");
    EXPECT_EQ(Submit({{"dealer", "5"}}), Redirect(""));
    EXPECT_EQ(Property("tol.dealer"), "000005");
}

}  // namespace

namespace {

// Runs `program` with `args` and waits for it; its exit status, or -1.
int RunProgram(const std::vector<std::string>& command) {
    const std::vector<std::string> argv = ProgramLauncher::Argv(command);
    std::vector<char*> args;
    for (const std::string& arg : argv) args.push_back(const_cast<char*>(arg.c_str()));
    args.push_back(nullptr);
    pid_t pid;
    if (::posix_spawn(&pid, args[0], nullptr, nullptr, args.data(), environ) != 0) return -1;
    int status = 0;
    ::waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// Every property line of the default content must be in every version of the file.
bool IsComplete(const std::string& text, const std::vector<std::string>& requiredLines) {
    if (text.empty() || text.back() != '\n') return false;
    const std::string whole = "\n" + text;
    for (const std::string& line : requiredLines) {
        if (whole.find("\n" + line + "\n") == std::string::npos) return false;
    }
    return true;
}

TEST(TolSettingsSubmissionTest, ConcurrentWritersLoseNothingAndReadersNeverMissTheFile) {
    std::vector<std::string> defaults;
    {
        std::istringstream lines(filetext::Read(TEST_DATA_DIR "/DefaultAgentConfiguration.conf"));
        for (std::string line; std::getline(lines, line);) {
            if (line[0] != '#') defaults.push_back(line);
        }
    }
    ASSERT_EQ(defaults.size(), 88u);
    { AgentConfiguration writesTheDefaultContent; }
    ASSERT_TRUE(IsComplete(filetext::Read(kLive), defaults));
    // Marks that exist before: every version of the list must keep them.
    std::vector<std::string> earlierMarks;
    for (int id = 1000; id < 1050; ++id) earlierMarks.push_back(std::to_string(id) + ";1");
    std::string earlier;
    for (const std::string& mark : earlierMarks) earlier += mark + "\n";
    filetext::Write(kChangeList, earlier);

    std::atomic<bool> done{false};
    std::atomic<int> reads{0}, badReads{0};
    std::thread reader([&] {
        while (!done) {
            ++reads;
            if (!IsComplete(filetext::Read(kLive), defaults)) ++badReads;
            if (!IsComplete(filetext::Read(kChangeList), earlierMarks)) ++badReads;
        }
    });
    constexpr int kSubmitters = 8, kRemovers = 4, kSetters = 12;
    std::vector<std::thread> writers;
    for (int i = 0; i < kSubmitters; ++i) {
        writers.emplace_back([i] {
            Submit({{"dealer", std::to_string(i)}}, std::to_string(100 + i));
        });
    }
    for (int i = 0; i < kRemovers; ++i) {
        writers.emplace_back([i] {
            CgiProcess::Post(CGI_BINARY, "sessionid=" + std::to_string(200 + i) + "&removeyes=Y")
                .Run();
        });
    }
    std::atomic<int> failedSetters{0};
    for (int i = 0; i < kSetters; ++i) {
        writers.emplace_back([i, &failedSetters] {
            const std::string n = std::to_string(i);
            if (RunProgram({SET_PROPERTY_BINARY, "concurrent.key." + n, "value " + n}) != 0) {
                ++failedSetters;
            }
        });
    }
    for (auto& writer : writers) writer.join();
    done = true;
    reader.join();

    EXPECT_EQ(failedSetters.load(), 0);
    for (int i = 0; i < kSetters; ++i) {
        const std::string n = std::to_string(i);
        EXPECT_EQ(Property("concurrent.key." + n), "value " + n);
    }
    const std::string marks = filetext::Read(kChangeList);
    for (int id : {100, 101, 102, 103, 104, 105, 106, 107, 200, 201, 202, 203}) {
        EXPECT_NE(marks.find(std::to_string(id) + ";1\n"), std::string::npos) << id;
    }
    EXPECT_TRUE(IsComplete(filetext::Read(kLive), defaults));
    EXPECT_FALSE(filetext::Exists(kNew));
    EXPECT_GT(reads.load(), 0);
    EXPECT_EQ(badReads.load(), 0);
}

}  // namespace
