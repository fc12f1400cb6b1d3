#ifndef CONFIGWEB_REQUESTINPUT_H
#define CONFIGWEB_REQUESTINPUT_H

#include <cgicc/CgiInput.h>

#include <cstddef>
#include <string>

// The CGI request as cgicc reads it: the environment of the process, and a request body
// that was read from standard input beforehand, bounded and checked against
// CONTENT_LENGTH, so that cgicc never reads a body that is too large or incomplete.
class RequestInput : public cgicc::CgiInput {
public:
    static constexpr size_t kMaxBodyBytes = 64 * 1024;
    static constexpr const char* kContentLength = "CONTENT_LENGTH";

    enum class Status {
        Ok,
        BadLength,  // CONTENT_LENGTH is not a plain decimal number
        TooLarge,   // CONTENT_LENGTH is above kMaxBodyBytes
        Truncated,  // standard input ended before CONTENT_LENGTH bytes
    };

    RequestInput();
    ~RequestInput() override;

    // Reads CONTENT_LENGTH bytes (none when it is missing or empty) from the descriptor.
    // On any status but Ok the body stays empty.
    Status Load(int fd);
    static const char* Describe(Status status);

    // cgicc's view: the loaded body, and CONTENT_LENGTH as the size of that body.
    size_t read(char* data, size_t length) override;
    std::string getenv(const char* varName) override;

private:
    std::string body;
    size_t offset = 0;
};

#endif
