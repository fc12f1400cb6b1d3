#include "LogLevelManager.h"

std::string LogLevelManager::GetLogLevelName(unsigned level) const {
    const auto found = names_.find(level);
    return found != names_.end() ? found->second : std::to_string(level);
}
