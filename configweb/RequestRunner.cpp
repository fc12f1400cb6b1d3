#include "RequestRunner.h"

#include <cgicc/Cgicc.h>
#include <unistd.h>

#include <csignal>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <iostream>

#include "ConfigWebLog.h"
#include "HeaderOnlyBuffer.h"
#include "RequestInput.h"

namespace {

constexpr const char* kLogSource = "RequestRunner";
constexpr const char* kHeadMethod = "HEAD";

}  // namespace

void RequestRunner::Run(const Handler& handler, const Fallback& fallback) {
    std::signal(SIGPIPE, SIG_IGN);
    // A HEAD request is answered with the headers of the GET answer and no body.
    HeaderOnlyBuffer headOnly(std::cout.rdbuf());
    std::streambuf* const answer = IsHead() ? std::cout.rdbuf(&headOnly) : nullptr;
    RunHandler(handler, fallback);
    std::cout.flush();
    if (answer != nullptr) std::cout.rdbuf(answer);
}

bool RequestRunner::IsHead() {
    const char* method = std::getenv("REQUEST_METHOD");
    return method != nullptr && std::strcmp(method, kHeadMethod) == 0;
}

void RequestRunner::RunHandler(const Handler& handler, const Fallback& fallback) {
    try {
        RequestInput input;
        RequestInput::Status status = input.Load(STDIN_FILENO);
        if (status != RequestInput::Status::Ok) {
            WEB_ERROR("Request body %s -> bad request", RequestInput::Describe(status));
            Answer(nullptr);
            return;
        }
        cgicc::Cgicc cgi(&input);
        handler(cgi);
    } catch (const std::exception& e) {
        WEB_ERROR("Request failed: %s", e.what());
        Answer(fallback);
    } catch (...) {
        WEB_ERROR("Request failed: unknown error");
        Answer(fallback);
    }
}

void RequestRunner::Answer(const Fallback& fallback) {
    try {
        if (fallback && fallback()) return;
        std::cout << kBadRequestAnswer << std::flush;
    } catch (...) {
        // Nothing is left to answer with; the exit status stays 0.
    }
}
