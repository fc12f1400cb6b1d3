#ifndef TESTS_SUPPORT_CGIPROCESS_H
#define TESTS_SUPPORT_CGIPROCESS_H

#include <map>
#include <string>

// Runs a CGI program as a web server would: a clean environment holding only the given
// variables (and the sanitizer settings of the test, when set), the body on standard
// input, the answer read from standard output.
struct CgiResult {
    int exitStatus = -1;  // exit code, or 128 + signal number
    std::string output;   // everything written to standard output
};

class CgiProcess {
public:
    explicit CgiProcess(std::string program);

    CgiProcess& Env(const std::string& name, const std::string& value);
    CgiProcess& Unset(const std::string& name);
    CgiProcess& Body(const std::string& body);
    // Closes the reading end of the answer pipe before the program runs, as a web server
    // that went away would; the program gets the default SIGPIPE disposition.
    CgiProcess& CloseAnswerPipe();

    // GET with the query string.
    static CgiProcess Get(const std::string& program, const std::string& query);
    // POST of an url-encoded form body.
    static CgiProcess Post(const std::string& program, const std::string& body);

    CgiResult Run() const;

private:
    std::string program_;
    std::map<std::string, std::string> env_;
    std::string body_;
    bool closeAnswerPipe_ = false;
};

#endif
