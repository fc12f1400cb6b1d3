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

// Texts from requests and files end up in messages: a line break or a terminal control
// byte in them must not start a forged line, so every control byte but the tab is written
// as \xNN.
bool IsEscaped(char c) {
    const unsigned char byte = static_cast<unsigned char>(c);
    return (byte < 0x20 && byte != '\t') || byte == 0x7f;
}

void WriteMessage(std::ostream& out, const std::string& message) {
    static constexpr char kHex[] = "0123456789abcdef";
    size_t start = 0;
    for (size_t i = 0; i < message.size(); ++i) {
        if (!IsEscaped(message[i])) continue;
        out.write(message.data() + start, static_cast<std::streamsize>(i - start));
        const unsigned char byte = static_cast<unsigned char>(message[i]);
        out << "\\x" << kHex[byte >> 4] << kHex[byte & 0xf];
        start = i + 1;
    }
    out.write(message.data() + start, static_cast<std::streamsize>(message.size() - start));
}

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
        << std::setw(kFileWidth) << event.GetFileName() << std::setw(kLineWidth) << event.GetLine();
    WriteMessage(out, event.GetLogMessage());
    out << '\n';
}
