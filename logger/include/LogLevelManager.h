#pragma once

#include <map>
#include <string>

// Display names of level numbers; a level without a name is shown as its decimal number.
class LogLevelManager {
public:
    virtual ~LogLevelManager() = default;
    // Registers (or renames) a level.
    void AddLogLevel(unsigned level, const std::string& name) { names_[level] = name; }
    std::string GetLogLevelName(unsigned level) const;

private:
    std::map<unsigned, std::string> names_;
};
