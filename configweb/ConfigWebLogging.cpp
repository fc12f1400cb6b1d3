#include "ConfigWebLogging.h"

#include <LogClientRollingFile.h>
#include <LogEvent.h>
#include <LogHandler.h>
#include <LogLevelManager.h>
#include <Logger.h>

#include <iomanip>

#include "ConfigWebLog.h"

namespace {

struct LevelName {
    unsigned level;
    const char* name;
};

constexpr LevelName kLevelNames[] = {
    {configweblog::kInfo, ConfigWebLogging::kInfoName},
    {configweblog::kDebug, ConfigWebLogging::kDebugName},
    {configweblog::kError, ConfigWebLogging::kErrorName},
    {zellog::kInfo, ConfigWebLogging::kInfoName},
    {zellog::kDebug, ConfigWebLogging::kDebugName},
    {zellog::kError, ConfigWebLogging::kErrorName},
};

}  // namespace

ConfigWebLogging::ConfigWebLogging() {
    for (const LevelName& entry : kLevelNames) {
        Logger::GetLogLevelManager()->AddLogLevel(entry.level, entry.name);
    }
    rollingFile = new LogClientRollingFile(kLogPath, kLogSizeLimit, kLogFileCount);
    rollingFile->SetLayout(new ConfigWebLayout);
    LogHandler* webHandler = Logger::GetLogHandler(configweblog::kHandler);
    webHandler->AddLogClient(rollingFile);
    Logger::GetLogHandler(zellog::kHandler)->AddLogClient(webHandler);
}

ConfigWebLogging::~ConfigWebLogging() { delete rollingFile; }

ConfigWebLogging::ConfigWebLayout::~ConfigWebLayout() = default;

void ConfigWebLogging::ConfigWebLayout::Format(std::ostream& out, const LogEvent& event) {
    out << event.GetDateTimeUsec() << kDateTimeSeparator << std::left << std::setfill(' ')
        << std::setw(kLevelWidth) << event.GetLogLevelName() << std::setw(kHandlerWidth)
        << event.GetLogHandlerName() << std::setw(kThreadIdWidth) << event.GetThreadId()
        << std::setw(kFileWidth) << event.GetFileName() << std::setw(kLineWidth) << event.GetLine()
        << event.GetLogMessage() << '\n';
}
