#include <cgicc/Cgicc.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <iostream>
#include <sstream>
#include <stdexcept>

#include "ConfigWebLogging.h"
#include "FileText.h"
#include "RequestRunner.h"

namespace {

// Runs the runner in this process with `body` as the posted form on standard input;
// returns what it wrote to standard output.
std::string RunWith(const std::string& body, const RequestRunner::Handler& handler,
                    const RequestRunner::Fallback& fallback) {
    int fds[2];
    EXPECT_EQ(::pipe(fds), 0);
    EXPECT_EQ(::write(fds[1], body.data(), body.size()), static_cast<ssize_t>(body.size()));
    ::close(fds[1]);
    int savedStdin = ::dup(STDIN_FILENO);
    ::dup2(fds[0], STDIN_FILENO);
    ::close(fds[0]);
    ::setenv("REQUEST_METHOD", "POST", 1);
    ::setenv("CONTENT_TYPE", "application/x-www-form-urlencoded", 1);
    ::setenv("CONTENT_LENGTH", std::to_string(body.size()).c_str(), 1);

    std::ostringstream out;
    std::streambuf* savedCout = std::cout.rdbuf(out.rdbuf());
    RequestRunner::Run(handler, fallback);
    std::cout.rdbuf(savedCout);
    ::dup2(savedStdin, STDIN_FILENO);
    ::close(savedStdin);
    return out.str();
}

void Throw(cgicc::Cgicc&) { throw std::runtime_error("disk on fire"); }

TEST(RequestRunnerTest, HandsTheParsedRequestToTheHandler) {
    std::string seen;
    RunWith(
        "sessionid=42", [&seen](cgicc::Cgicc& cgi) { seen = cgi("sessionid"); }, nullptr);
    EXPECT_EQ(seen, "42");
}

TEST(RequestRunnerTest, AFailureIsLoggedAndAnsweredByTheFallbackWhenItCan) {
    ConfigWebLogging logging;
    int fallbackCalls = 0;
    std::string answer = RunWith("sessionid=42", Throw, [&fallbackCalls] {
        ++fallbackCalls;
        std::cout << "fallback";
        return true;
    });
    EXPECT_EQ(answer, "fallback");
    EXPECT_EQ(fallbackCalls, 1);
    const std::string log = filetext::Read("/tmp/log/configweb.log");
    EXPECT_NE(log.find("error     configwebloghandler"), std::string::npos) << log;
    EXPECT_NE(log.find("Request failed: disk on fire\n"), std::string::npos) << log;
}

TEST(RequestRunnerTest, AFailureBeforeTheSessionIsKnownIsABadRequest) {
    std::string answer = RunWith("x=1", Throw, [] { return false; });
    EXPECT_EQ(answer, RequestRunner::kBadRequestAnswer);
}

}  // namespace
