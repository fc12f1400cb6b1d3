#ifndef CONFIGWEB_REQUESTRUNNER_H
#define CONFIGWEB_REQUESTRUNNER_H

#include <functional>

namespace cgicc {
class Cgicc;
}

// Runs one CGI request at the program's edge: reads the request body (bounded, see
// RequestInput), builds the cgicc request and calls the handler. A body that is too large,
// incomplete or has an invalid length, and any exception thrown while the request is read
// or answered, are logged at level 113 and answered: by the fallback when it can (it
// returns true), else with "400 Bad Request". Never throws; a closed standard output does
// not end the process (SIGPIPE is ignored).
class RequestRunner {
public:
    using Handler = std::function<void(cgicc::Cgicc&)>;
    using Fallback = std::function<bool()>;

    static constexpr const char* kBadRequestAnswer =
        "Status: 400 Bad Request\nContent-Type: text/plain\n\nBad Request\n";

    static void Run(const Handler& handler, const Fallback& fallback);
    // Whether this request is a HEAD request, which must change nothing.
    static bool IsHead();

private:
    static void RunHandler(const Handler& handler, const Fallback& fallback);
    static void Answer(const Fallback& fallback);
};

#endif
