#pragma once

#include <string>

class LogHandler;
class LogLevelManager;

// Process-wide registry of handlers and level names; what it hands out lives until the end.
class Logger {
public:
    // The handler of that name, created on first use; never null.
    static LogHandler* GetLogHandler(const std::string& name);
    static LogLevelManager* GetLogLevelManager();
};
