#ifndef LOGGER_LOGGER_H
#define LOGGER_LOGGER_H

#include <string>

class LogHandler;
class LogLevelManager;

// Process-wide registry of handlers and level names. Everything it hands out lives until
// the process ends.
class Logger {
public:
    // The handler of that name, created on first use; never null.
    static LogHandler* GetLogHandler(const std::string& name);
    static LogLevelManager* GetLogLevelManager();
};

#endif
