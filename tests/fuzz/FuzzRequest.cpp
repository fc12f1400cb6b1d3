// The whole request path of settolsettings.cgi, as main runs it: the CGI environment and
// the body in, the answer and the files out. Each input is a request written as
// "NAME=VALUE" lines of CGI variables, an empty line and the body; CONTENT_LENGTH is the
// body's size unless a line sets it, and DISCOVER_MODE (not a CGI variable) chooses the
// stored network discovery mode. The device files start from the same state for every
// input; afterwards the answer must be one well-formed header block, and the files may
// only have changed as a stored submission or a removal changes them.

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <iostream>
#include <map>
#include <regex>
#include <set>
#include <string>

#include "CgiAnswer.h"
#include "ConfigWebLogging.h"
#include "FuzzSupport.h"
#include "InitialParameters.h"
#include "RequestRunner.h"
#include "SetTolSettingsCgi.h"
#include "ZelConfig.h"

namespace {

using fuzzsupport::ReadFile;
using fuzzsupport::Require;

constexpr const char* kLive = ZelConfig::kAgentConfigurationPath;
constexpr const char* kChangeList = InitialParameters::kChangeListPath;
constexpr const char* kLog = ConfigWebLogging::kLogPath;
constexpr const char* kDiscoverModeVariable = "DISCOVER_MODE";
constexpr const char* kContentLength = "CONTENT_LENGTH";
constexpr const char* kBaseChangeList = "5;1\n";
constexpr const char* kCgiVariables[] = {
    "REQUEST_METHOD", "QUERY_STRING", "CONTENT_TYPE", "CONTENT_LENGTH",
    "HTTP_COOKIE",    "HTTP_HOST",    "HTTP_ORIGIN",  "HTTP_SEC_FETCH_SITE",
    "HTTP_REFERER",   "PATH_INFO",    "SERVER_NAME",  "REMOTE_ADDR",
};
// The seven stored settings.
const std::set<std::string> kSettingKeys = {
    SetTolSettingsCgi::kOutletKey,     SetTolSettingsCgi::kDealerKey,
    SetTolSettingsCgi::kTolAddressKey, SetTolSettingsCgi::kTolPortKey,
    SetTolSettingsCgi::kTolUrlKey,     SetTolSettingsCgi::kDns1Key,
    SetTolSettingsCgi::kDns2Key};

struct Request {
    std::map<std::string, std::string> variables;
    std::string body;
};

Request ParseInput(const std::string& input) {
    Request request;
    const size_t split = input.find("\n\n");
    const std::string head = input.substr(0, split);
    if (split != std::string::npos) request.body = input.substr(split + 2);
    for (size_t start = 0; start <= head.size();) {
        size_t end = head.find('\n', start);
        if (end == std::string::npos) end = head.size();
        const std::string line = head.substr(start, end - start);
        const size_t equals = line.find('=');
        if (equals != std::string::npos) {
            request.variables[line.substr(0, equals)] = line.substr(equals + 1);
        }
        start = end + 1;
    }
    return request;
}

std::string Variable(const Request& request, const char* name, const std::string& otherwise) {
    auto it = request.variables.find(name);
    return it == request.variables.end() ? otherwise : it->second;
}

void SetEnvironment(const Request& request) {
    for (const char* name : kCgiVariables) ::unsetenv(name);
    for (const char* name : kCgiVariables) {
        auto it = request.variables.find(name);
        if (it != request.variables.end()) ::setenv(name, it->second.c_str(), 1);
    }
    if (request.variables.count(kContentLength) == 0) {
        ::setenv(kContentLength, std::to_string(request.body.size()).c_str(), 1);
    }
}

// Standard input and output of the request are memory files, rewound for each input.
void Rewind(int fd, const std::string& content) {
    Require(::ftruncate(fd, 0) == 0 && ::lseek(fd, 0, SEEK_SET) == 0, "cannot reset a descriptor");
    for (size_t done = 0; done < content.size();) {
        const ssize_t n = ::write(fd, content.data() + done, content.size() - done);
        Require(n > 0, "cannot write the request body");
        done += static_cast<size_t>(n);
    }
    Require(::lseek(fd, 0, SEEK_SET) == 0, "cannot rewind a descriptor");
}

std::string Answer() {
    std::string answer;
    char buffer[65536];
    ssize_t n;
    for (off_t at = 0; (n = ::pread(STDOUT_FILENO, buffer, sizeof buffer, at)) > 0; at += n) {
        answer.append(buffer, static_cast<size_t>(n));
    }
    return answer;
}

int OpenMemoryFile(int target) {
    const int fd = ::memfd_create("request", 0);
    Require(fd >= 0 && ::dup2(fd, target) == target, "cannot set up the request descriptors");
    ::close(fd);
    return target;
}

std::string BaseConfiguration(const std::string& discoverMode) {
    return "dns.server.1=10.0.0.1\nkald.mode=KALD-Neo\nnetwork.config.discover.mode=" +
           discoverMode + "\ntol.outlet=1\n";
}

void ResetDevice(const std::string& configuration) {
    for (const char* stale :
         {ZelConfig::kAgentConfigurationOldPath, ZelConfig::kAgentConfigurationNewPath}) {
        ::unlink(stale);
    }
    fuzzsupport::WriteFile(kLive, configuration);
    ::unlink((std::string(kChangeList) + ".new").c_str());
    fuzzsupport::WriteFile(kChangeList, kBaseChangeList);
}

// The settings pipe, read so that each input starts with an empty pipe.
int settingsPipe = -1;

std::string DrainPipe() {
    std::string bytes;
    char buffer[256];
    ssize_t n;
    while ((n = ::read(settingsPipe, buffer, sizeof buffer)) > 0) bytes.append(buffer, n);
    return bytes;
}

size_t FileSize(const char* path) {
    struct stat status;
    return ::stat(path, &status) == 0 ? static_cast<size_t>(status.st_size) : 0;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    OpenMemoryFile(STDIN_FILENO);
    OpenMemoryFile(STDOUT_FILENO);
    ::mkfifo(SetTolSettingsCgi::kSettingsPipe, 0600);
    settingsPipe = ::open(SetTolSettingsCgi::kSettingsPipe, O_RDONLY | O_NONBLOCK);
    Require(settingsPipe >= 0, "cannot open the settings pipe");
    static ConfigWebLogging logging;  // once per process, as in main
    return 0;
}

namespace {

const std::regex kChangeListLine("-?[0-9]+;-?[0-9]+");

bool IsControl(char c) {
    const unsigned char byte = static_cast<unsigned char>(c);
    return byte < 0x20 || byte == 0x7f;
}

// The answer is one header block of known fields, with nothing a value could have added;
// returns the redirect target, or "" for a page or an error status.
std::string CheckAnswer(const std::string& answer) {
    const cgianswer::Shape shape = cgianswer::Inspect(answer);
    Require(shape.wellFormed, shape.problem.c_str(), answer);
    return shape.location;
}

std::set<std::string> Keys(const std::string& file) {
    std::set<std::string> keys;
    for (size_t start = 0; start < file.size();) {
        size_t end = file.find('\n', start);
        if (end == std::string::npos) end = file.size();
        const std::string line = file.substr(start, end - start);
        keys.insert(line.substr(0, line.find('=')));
        start = end + 1;
    }
    return keys;
}

// A changed file holds the same properties plus the seven settings, no control byte in
// any of them, and was answered with the plain redirect.
void CheckStoredFile(const std::string& before, const std::string& after,
                     const std::string& target) {
    Require(cgianswer::IsPlainRedirect(target), "stored, but not answered as stored", target);
    for (char c : after) Require(c == '\n' || !IsControl(c), "a control byte was stored", after);
    std::set<std::string> expected = Keys(before);
    expected.insert(kSettingKeys.begin(), kSettingKeys.end());
    Require(Keys(after) == expected, "the stored file gained or lost a line", after);
}

// Well-formed lines; the session of a stored request marked, any other request's list as
// it was.
void CheckChangeList(const std::string& list, bool stored, const std::string& target) {
    size_t lines = 0;
    for (size_t start = 0; start < list.size(); ++lines) {
        const size_t end = list.find('\n', start);
        Require(end != std::string::npos, "a change list without final line feed", list);
        Require(std::regex_match(list.substr(start, end - start), kChangeListLine),
                "a malformed change list line", list);
        start = end + 1;
    }
    Require(lines <= 2 && list.find(kBaseChangeList) != std::string::npos,
            "the change list lost an entry or gained more than one", list);
    if (!stored) {
        Require(list == kBaseChangeList, "marked without storing", list);
        return;
    }
    const std::string session = target.substr(target.find('=') + 1);
    Require(("\n" + list).find("\n" + session + ";1\n") != std::string::npos,
            "stored, but the session is not marked", list);
}

// The lines the request added to the log (all of it after a roll): none may be broken
// or forged by a logged text.
void CheckLogSince(size_t offset) {
    std::string text = ReadFile(kLog);
    text = offset <= text.size() ? text.substr(offset) : text;
    for (size_t start = 0; start < text.size();) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        const std::string line = text.substr(start, end - start);
        Require(!line.empty() && line[0] >= '0' && line[0] <= '9', "a log line without its date",
                line);
        for (char c : line) Require(c == '\t' || !IsControl(c), "a control byte in the log", line);
        start = end + 1;
    }
}

std::string DiscoverMode(const Request& request) {
    std::string mode;
    for (char c : Variable(request, kDiscoverModeVariable, "1").substr(0, 3)) {
        if (c >= '0' && c <= '9') mode += c;
    }
    return mode;
}

void RunRequest(const Request& request) {
    SetEnvironment(request);
    Rewind(STDIN_FILENO, request.body);
    std::cout.flush();
    Rewind(STDOUT_FILENO, std::string());
    SetTolSettingsCgi application;
    RequestRunner::Run([&application](cgicc::Cgicc& cgi) { application.HandleRequest(cgi); },
                       [&application] { return application.WriteFallbackAnswer(); });
    std::cout.flush();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const Request request = ParseInput(fuzzsupport::Text(data, size));
    const std::string before = BaseConfiguration(DiscoverMode(request));
    ResetDevice(before);
    DrainPipe();
    const size_t logSize = FileSize(kLog);
    RunRequest(request);

    const std::string target = CheckAnswer(Answer());
    const std::string after = ReadFile(kLive);
    const bool stored = after != before;
    if (stored) CheckStoredFile(before, after, target);
    CheckChangeList(ReadFile(kChangeList), stored, target);
    const std::string signal = DrainPipe();
    Require(signal.empty() || (signal == "\x01" && stored), "an unexpected signal", signal);
    Require(!fuzzsupport::Exists(ZelConfig::kAgentConfigurationNewPath), "a \".new\" file is left");
    CheckLogSince(logSize);
    return 0;
}
