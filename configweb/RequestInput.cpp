#include "RequestInput.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "CNumber.h"

namespace {

std::string Environment(const char* name) {
    const char* value = std::getenv(name);
    return value == nullptr ? std::string() : std::string(value);
}

// Reads exactly `length` bytes; false when the input ends or fails first.
bool ReadExactly(int fd, size_t length, std::string& data) {
    data.resize(length);
    size_t done = 0;
    while (done < length) {
        ssize_t n = ::read(fd, &data[done], length - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        done += static_cast<size_t>(n);
    }
    return true;
}

}  // namespace

RequestInput::RequestInput() = default;

RequestInput::~RequestInput() = default;

RequestInput::Status RequestInput::Load(int fd) {
    std::string lengthText = Environment(kContentLength);
    uint64_t length = 0;
    if (!lengthText.empty() && !CNumber::ParseDecimal(lengthText, UINT64_MAX / 16, length)) {
        return Status::BadLength;
    }
    if (length > kMaxBodyBytes) return Status::TooLarge;
    std::string data;
    if (!ReadExactly(fd, static_cast<size_t>(length), data)) return Status::Truncated;
    body.swap(data);
    offset = 0;
    return Status::Ok;
}

const char* RequestInput::Describe(Status status) {
    switch (status) {
        case Status::Ok:
            return "complete";
        case Status::BadLength:
            return "has an invalid CONTENT_LENGTH";
        case Status::TooLarge:
            return "is larger than allowed";
        case Status::Truncated:
            return "is shorter than its CONTENT_LENGTH";
    }
    return "is unreadable";
}

size_t RequestInput::read(char* data, size_t length) {
    size_t n = std::min(length, body.size() - offset);
    std::memcpy(data, body.data() + offset, n);
    offset += n;
    return n;
}

std::string RequestInput::getenv(const char* varName) {
    if (std::strcmp(varName, kContentLength) == 0) return std::to_string(body.size());
    return Environment(varName);
}
