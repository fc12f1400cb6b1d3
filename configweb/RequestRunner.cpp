#include "RequestRunner.h"

#include <cgicc/Cgicc.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <iostream>
#include <sstream>

#include "ConfigWebLog.h"
#include "HeaderOnlyBuffer.h"
#include "RequestInput.h"

namespace {

constexpr const char* kLogSource = "RequestRunner";
constexpr const char* kHeadMethod = "HEAD";

}  // namespace

void RequestRunner::Run(const Handler& handler, const Fallback& fallback) {
    std::signal(SIGPIPE, SIG_IGN);
    // The answer is collected and written at once when the request is done: one write
    // instead of one per flush, and no buffer for standard output to size first.
    std::setvbuf(stdout, nullptr, _IONBF, 0);
    std::stringbuf whole;
    std::streambuf* const output = std::cout.rdbuf(&whole);
    // A HEAD request is answered with the headers of the GET answer and no body.
    HeaderOnlyBuffer headOnly(&whole);
    if (IsHead()) std::cout.rdbuf(&headOnly);
    RunHandler(handler, fallback);
    std::cout.rdbuf(output);
    const std::string text = whole.str();
    std::cout.write(text.data(), static_cast<std::streamsize>(text.size())).flush();
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
