#ifndef LOGGER_LOGLEVELMANAGER_H
#define LOGGER_LOGLEVELMANAGER_H

#include <map>
#include <string>

// Display names of level numbers. A level without a registered name is shown as its
// decimal number.
class LogLevelManager {
public:
    LogLevelManager();
    virtual ~LogLevelManager();

    // Registers (or renames) a level.
    void AddLogLevel(unsigned level, const std::string& name);
    std::string GetLogLevelName(unsigned level) const;

private:
    std::map<unsigned, std::string> names_;
};

#endif
