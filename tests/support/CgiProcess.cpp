#include "CgiProcess.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <thread>
#include <vector>

#include "ProgramLauncher.h"

CgiProcess::CgiProcess(std::string program) : program_(std::move(program)) {
    env_["GATEWAY_INTERFACE"] = "CGI/1.1";
    env_["SERVER_PROTOCOL"] = "HTTP/1.1";
    env_["SCRIPT_NAME"] = "/zelconf/settolsettings.cgi";
    env_["PATH"] = "/usr/bin:/bin";
    // Sanitizer builds pass their settings on to the program under test.
    for (const char* name : {"ASAN_OPTIONS", "UBSAN_OPTIONS", "LSAN_OPTIONS"}) {
        if (const char* value = std::getenv(name)) env_[name] = value;
    }
}

CgiProcess& CgiProcess::Env(const std::string& name, const std::string& value) {
    env_[name] = value;
    return *this;
}

CgiProcess& CgiProcess::Unset(const std::string& name) {
    env_.erase(name);
    return *this;
}

CgiProcess& CgiProcess::Body(const std::string& body) {
    body_ = body;
    return *this;
}

CgiProcess& CgiProcess::CloseAnswerPipe() {
    closeAnswerPipe_ = true;
    return *this;
}

CgiProcess CgiProcess::Get(const std::string& program, const std::string& query) {
    CgiProcess p(program);
    p.Env("REQUEST_METHOD", "GET").Env("QUERY_STRING", query);
    return p;
}

CgiProcess CgiProcess::Post(const std::string& program, const std::string& body) {
    CgiProcess p(program);
    p.Env("REQUEST_METHOD", "POST")
        .Env("CONTENT_TYPE", "application/x-www-form-urlencoded")
        .Env("CONTENT_LENGTH", std::to_string(body.size()))
        .Body(body);
    return p;
}

namespace {

void WriteAll(int fd, const std::string& data) {
    size_t done = 0;
    while (done < data.size()) {
        ssize_t n = ::write(fd, data.data() + done, data.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;  // the program closed its input early
        done += static_cast<size_t>(n);
    }
    ::close(fd);
}

std::string ReadAll(int fd) {
    std::string text;
    char buffer[65536];
    for (;;) {
        ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        text.append(buffer, static_cast<size_t>(n));
    }
    ::close(fd);
    return text;
}

}  // namespace

CgiResult CgiProcess::Run() const {
    ::signal(SIGPIPE, SIG_IGN);  // a program that stops reading its input fails our write only
    CgiResult result;
    int in[2], out[2];
    if (::pipe2(in, O_CLOEXEC) != 0 || ::pipe2(out, O_CLOEXEC) != 0) return result;
    std::vector<std::string> envText;
    for (const auto& [name, value] : env_) envText.push_back(name + "=" + value);
    std::vector<char*> envp;
    for (auto& e : envText) envp.push_back(e.data());
    envp.push_back(nullptr);
    std::vector<std::string> argvText = ProgramLauncher::Argv({program_});
    std::vector<char*> argv;
    for (auto& a : argvText) argv.push_back(a.data());
    argv.push_back(nullptr);

    if (closeAnswerPipe_) ::close(out[0]);
    pid_t pid = ::fork();
    if (pid == 0) {
        ::signal(SIGPIPE, SIG_DFL);
        ::dup2(in[0], 0);
        ::dup2(out[1], 1);
        ::execve(argv[0], argv.data(), envp.data());
        ::_exit(127);
    }
    ::close(in[0]);
    ::close(out[1]);
    std::thread writer(WriteAll, in[1], body_);
    if (!closeAnswerPipe_) result.output = ReadAll(out[0]);
    writer.join();
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    result.exitStatus = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    return result;
}
