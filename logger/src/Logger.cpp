#include "Logger.h"

#include <map>

#include "LogHandler.h"
#include "LogLevelManager.h"

// Never destroyed: code that runs during static destruction may still log.
LogHandler* Logger::GetLogHandler(const std::string& name) {
    static auto* handlers = new std::map<std::string, LogHandler*>;
    LogHandler*& handler = (*handlers)[name];
    if (handler == nullptr) handler = new LogHandler(name);
    return handler;
}

LogLevelManager* Logger::GetLogLevelManager() {
    static auto* manager = new LogLevelManager;
    return manager;
}
