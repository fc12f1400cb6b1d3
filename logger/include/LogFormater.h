#ifndef LOGGER_LOGFORMATER_H
#define LOGGER_LOGFORMATER_H

#include <string>

class LogHandler;

// One log statement: constructed with the level, the source name and the line, then Log
// formats the message printf-style and hands the event to the handler.
class LogFormater {
public:
    LogFormater(unsigned level, const std::string& fileName, int line);
    LogFormater(const LogFormater&) = delete;
    LogFormater& operator=(const LogFormater&) = delete;
    virtual ~LogFormater();

    // A null handler or format logs nothing. The message is never cut; when the arguments
    // can't be formatted, the format itself is the message.
    void Log(LogHandler* handler, const char* format, ...) __attribute__((format(printf, 3, 4)));

private:
    unsigned level_;
    std::string fileName_;
    int line_;
};

#endif
