#include "RequestRunner.h"

#include <cgicc/Cgicc.h>
#include <unistd.h>

#include <csignal>
#include <exception>
#include <iostream>

#include "ConfigWebLog.h"
#include "RequestInput.h"

namespace {

constexpr const char* kLogSource = "RequestRunner";

}  // namespace

void RequestRunner::Run(const Handler& handler, const Fallback& fallback) {
    std::signal(SIGPIPE, SIG_IGN);
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
