#include "Program.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/mman.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <sstream>

namespace {

// A file in memory holding `text`, at its start.
int MemoryFile(const std::string& text) {
    const int fd = ::memfd_create("program", MFD_CLOEXEC);
    const bool written = fd >= 0 && ::write(fd, text.data(), text.size()) == static_cast<ssize_t>(text.size());
    return written && ::lseek(fd, 0, SEEK_SET) == 0 ? fd : -1;
}

std::string Contents(int fd) {
    std::string text;
    char buffer[65536];
    for (ssize_t n; (n = ::pread(fd, buffer, sizeof buffer, static_cast<off_t>(text.size()))) > 0;) text.append(buffer, n);
    ::close(fd);
    return text;
}

}  // namespace

Program::Program(const std::vector<std::string>& args) {
#ifdef PROGRAM_EMULATOR
    argv.push_back(PROGRAM_EMULATOR);
#endif
    argv.insert(argv.end(), args.begin(), args.end());
    env["PATH"] = "/stubs/bin:/usr/bin:/bin";
    for (const char* name : {"ASAN_OPTIONS", "UBSAN_OPTIONS"}) {
        if (std::getenv(name) != nullptr) env[name] = std::getenv(name);
    }
}

Program Program::Cgi(const char* binary, const std::string& method, const std::string& data) {
    Program cgi({binary});
    const bool post = method == "POST";  // the data as the body, else as the query
    cgi.env.insert({{"GATEWAY_INTERFACE", "CGI/1.1"}, {"REQUEST_METHOD", method}});
    cgi.env[post ? "CONTENT_TYPE" : "QUERY_STRING"] = post ? "application/x-www-form-urlencoded" : data;
    if (post) cgi.env["CONTENT_LENGTH"] = std::to_string(data.size());
    cgi.input = post ? data : "";
    return cgi;
}

pid_t Program::Spawn(int out, int err) const {
    std::vector<std::string> envText;
    for (const auto& [name, value] : env) envText.push_back(name + "=" + value);
    std::vector<char*> args, envp;
    for (const std::string& word : argv) args.push_back(const_cast<char*>(word.c_str()));
    for (const std::string& entry : envText) envp.push_back(const_cast<char*>(entry.c_str()));
    args.push_back(nullptr);
    envp.push_back(nullptr);
    const int in = MemoryFile(input);
    const pid_t pid = in < 0 ? -1 : ::fork();
    if (pid == 0) {
        ::signal(SIGPIPE, SIG_DFL);
        ::dup2(in, 0), ::dup2(out, 1), ::dup2(err, 2);
        ::execve(args[0], args.data(), envp.data());
        ::_exit(127);
    }
    ::close(in);
    return pid;
}

Outcome Program::Run(bool closeAnswer) const {
    int answer[2] = {-1, -1};
    if (closeAnswer && ::pipe(answer) == 0) ::close(answer[0]);
    const int out = closeAnswer ? answer[1] : MemoryFile(""), err = MemoryFile("");
    const pid_t pid = Spawn(out, err);
    int status = 0;
    while (pid > 0 && ::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    return {pid <= 0 ? -1 : WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status),
            closeAnswer ? (::close(out), "") : Contents(out), Contents(err)};
}

pid_t Program::Start() const {
    const int null = ::open("/dev/null", O_WRONLY | O_CLOEXEC);
    const pid_t pid = Spawn(null, null);
    ::close(null);
    return pid;
}

std::string Submission(const std::string& changes, const std::string& session) {
    std::map<std::string, std::string> fields = {{"outlet", "7"},         {"dealer", "42"},   {"toladdress", "10.0.0.2"},
                                                 {"tolport", "5302"},     {"tolurl", "/tol"}, {"dns1", "10.0.0.1"},
                                                 {"dns2", "10.0.0.3"}};
    std::istringstream pairs(changes);
    for (std::string pair; std::getline(pairs, pair, '&');) {
        const size_t equals = pair.find('=');
        if (equals == std::string::npos) fields.erase(pair);
        if (equals != std::string::npos) fields[pair.substr(0, equals)] = pair.substr(equals + 1);
    }
    std::string body = "sessionid=" + session + "&submit=Save";
    for (const auto& [name, value] : fields) body += "&" + name + "=" + value;
    return body;
}
