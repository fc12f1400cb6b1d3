#include "Logger.h"

#include <map>

#include "LogHandler.h"
#include "LogLevelManager.h"

namespace {

// Never destroyed: code that runs during static destruction may still log.
std::map<std::string, LogHandler*>& Handlers() {
    static auto* handlers = new std::map<std::string, LogHandler*>;
    return *handlers;
}

}  // namespace

LogHandler* Logger::GetLogHandler(const std::string& name) {
    LogHandler*& handler = Handlers()[name];
    if (handler == nullptr) {
        handler = new LogHandler(name);
    }
    return handler;
}

LogLevelManager* Logger::GetLogLevelManager() {
    static auto* manager = new LogLevelManager;
    return manager;
}
