#pragma once

#include <string>

class LogHandler;

// One log statement: Log formats the message printf-style and hands the event on.
class LogFormater {
public:
    LogFormater(unsigned level, const std::string& fileName, int line)
        : level_(level), fileName_(fileName), line_(line) {}
    virtual ~LogFormater() = default;

    // A null handler or format logs nothing. The message is never cut; when the arguments
    // can't be formatted, the format itself is the message.
    void Log(LogHandler* handler, const char* format, ...) __attribute__((format(printf, 3, 4)));

private:
    unsigned level_;
    std::string fileName_;
    int line_;
};
