#include "LogLevelManager.h"

LogLevelManager::LogLevelManager() = default;

LogLevelManager::~LogLevelManager() = default;

void LogLevelManager::AddLogLevel(unsigned level, const std::string& name) { names_[level] = name; }

std::string LogLevelManager::GetLogLevelName(unsigned level) const {
    const auto found = names_.find(level);
    return found != names_.end() ? found->second : std::to_string(level);
}
