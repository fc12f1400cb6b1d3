#ifndef TESTS_SUPPORT_FAKECGIINPUT_H
#define TESTS_SUPPORT_FAKECGIINPUT_H

#include <cgicc/CgiInput.h>

#include <algorithm>
#include <cstring>
#include <map>
#include <string>

// A canned request for cgicc::Cgicc, for tests that don't need a process.
class FakeCgiInput : public cgicc::CgiInput {
public:
    static FakeCgiInput Get(const std::string& query) {
        FakeCgiInput input;
        input.env_["REQUEST_METHOD"] = "GET";
        input.env_["QUERY_STRING"] = query;
        return input;
    }

    size_t read(char* data, size_t length) override {
        size_t n = std::min(length, body_.size() - offset_);
        std::memcpy(data, body_.data() + offset_, n);
        offset_ += n;
        return n;
    }

    std::string getenv(const char* name) override {
        auto it = env_.find(name);
        return it == env_.end() ? std::string() : it->second;
    }

private:
    std::map<std::string, std::string> env_;
    std::string body_;
    size_t offset_ = 0;
};

#endif
