#ifndef TESTS_SUPPORT_PROGRAM_H
#define TESTS_SUPPORT_PROGRAM_H

#include <sys/types.h>

#include <map>
#include <string>
#include <vector>

struct Outcome {
    int status = -1;  // exit code, or 128 + signal number
    std::string out, err;
};

// One of the project's programs started as its callers start it: an environment of only `env`
// (at first the search path and the sanitizer settings of the test), `input` on standard input.
// On a cross build it runs through the target's emulator.
struct Program {
    explicit Program(const std::vector<std::string>& args);
    // A CGI request as the web server makes it: "GET" or "HEAD" with `data` as the query,
    // "POST" with `data` as an url-encoded form body.
    static Program Cgi(const char* binary, const std::string& method, const std::string& data);

    // `closeAnswer`: standard output is a pipe whose reader is gone, as with a web server that went away.
    Outcome Run(bool closeAnswer = false) const;
    // Starts the program with its output thrown away; the caller waits for it.
    pid_t Start() const;
    pid_t Spawn(int out, int err) const;

    std::vector<std::string> argv;
    std::map<std::string, std::string> env;
    std::string input;
};

// The settings form as the page posts it, for session 77: outlet 7, dealer 42, server 10.0.0.2 port
// 5302, extended URL "/tol", DNS 10.0.0.1 and 10.0.0.3. `changes` are "name=value" pairs joined by
// "&" (url-encoded) that replace fields; a name alone leaves the field out.
std::string Submission(const std::string& changes = "", const std::string& session = "77");

#endif
