// The request path of settolsettings.cgi as main runs it, from the same device files each time,
// on "NAME=VALUE" lines of CGI variables (CONTENT_LENGTH the body's size unless set;
// DISCOVER_MODE, below 1000, the stored discovery mode), an empty line and the body.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <iostream>

#include "CgiAnswer.h"
#include "ConfigWebLogging.h"
#include "FuzzSupport.h"
#include "InitialParameters.h"
#include "RequestRunner.h"
#include "SetTolSettingsCgi.h"

static const char* const kVariables[] = {
    "REQUEST_METHOD", "QUERY_STRING",        "CONTENT_TYPE", "CONTENT_LENGTH", "HTTP_COOKIE",
    "HTTP_HOST",      "HTTP_ORIGIN",         "HTTP_REFERER", "PATH_INFO",      "SERVER_NAME",
    "REMOTE_ADDR",    "HTTP_SEC_FETCH_SITE", "DISCOVER_MODE"};
static const std::regex kControl("[\\x00-\\x1f\\x7f]"), kInLog("[\\x00-\\x08\\x0a-\\x1f\\x7f]");
static const std::regex kPlainRedirect("tolsettings\\.cgi\\?sessionid=-?[0-9]+");  // the session id alone

void CheckInput(const std::string& input) {
    static ConfigWebLogging logging;  // once per process, as in main
    static const int settingsPipe = [] {
        ::mkfifo(SetTolSettingsCgi::kSettingsPipe, 0600);
        return ::open(SetTolSettingsCgi::kSettingsPipe, O_RDONLY | O_NONBLOCK);
    }();
    const size_t split = input.find("\n\n");
    const std::string body = split == std::string::npos ? "" : input.substr(split + 2);
    for (const char* name : kVariables) ::unsetenv(name);
    ::setenv("CONTENT_LENGTH", std::to_string(body.size()).c_str(), 1);
    std::string line, keys, changeList = "5;1\n";
    for (std::istringstream head(input.substr(0, split)); std::getline(head, line);) {
        const std::string name = line.substr(0, line.find('='));
        if (name != line && std::count(std::begin(kVariables), std::end(kVariables), name) != 0) {
            ::setenv(name.c_str(), line.c_str() + name.size() + 1, 1);
        }
    }
    const char* mode = std::getenv("DISCOVER_MODE");
    const std::string before =
        "dns.server.1=10.0.0.1\nkald.mode=KALD-Neo\nnetwork.config.discover.mode=" +
        std::to_string(mode ? std::strtol(mode, nullptr, 10) % 1000 : 1) + "\ntol.outlet=1\n";
    WriteFile(ZelConfig::kAgentConfigurationPath, before);
    WriteFile(InitialParameters::kChangeListPath, "5;1\n");
    WriteFile("/tmp/request", body);
    ::truncate(ConfigWebLogging::kLogPath, 0);  // the log is written O_APPEND
    Require(std::freopen("/tmp/request", "r", stdin) && std::freopen("/tmp/answer", "w", stdout),
            "cannot redirect the request");
    SetTolSettingsCgi application;
    RequestRunner::Run([&application](cgicc::Cgicc& cgi) { application.HandleRequest(cgi); },
                       [&application] { return application.WriteFallbackAnswer(); });
    std::cout.flush();

    const cgianswer::Shape answer = cgianswer::Inspect(ReadFile("/tmp/answer"));
    Require(answer.wellFormed, "the answer is not one well-formed header block");
    const std::string after = ReadFile(ZelConfig::kAgentConfigurationPath);
    const bool stored = after != before;
    if (stored) {  // stored or removed: the seven settings added, no control byte, session marked
        Require(std::regex_match(answer.location, kPlainRedirect), "stored, but not answered so");
        for (std::istringstream lines(after); std::getline(lines, line);) {
            Require(!std::regex_search(line, kControl), "a control byte stored");
            keys += line.substr(0, line.find('=')) + " ";
        }
        Require(keys ==
                    "dns.server.1 dns.server.2 kald.mode network.config.discover.mode tol.address "
                    "tol.dealer tol.extendedurl tol.outlet tol.port ",
                "the stored file gained or lost a line");
        const std::string session = answer.location.substr(answer.location.find('=') + 1);
        const std::string mark = session == "5" ? "" : session + ";1\n";
        changeList = std::stoi(session) < 5 ? mark + changeList : changeList + mark;
    }
    Require(ReadFile(InitialParameters::kChangeListPath) == changeList, "the change list");
    char signal[64];
    const ssize_t signalled = ::read(settingsPipe, signal, sizeof signal);
    Require(settingsPipe >= 0 && (signalled <= 0 || (stored && signalled == 1 && signal[0] == 1)),
            "the settings pipe signalled without storing");
    Require(!std::ifstream(ZelConfig::kAgentConfigurationNewPath), "a \".new\" file left");
    // Each line the request logged has its date and no control byte: none broken or forged.
    for (std::istringstream log(ReadFile(ConfigWebLogging::kLogPath)); std::getline(log, line);) {
        Require(line[0] >= '0' && line[0] <= '9' && !std::regex_search(line, kInLog),
                "a broken log line");
    }
}
