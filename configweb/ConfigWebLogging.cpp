#include "ConfigWebLogging.h"

#include <LogClientRollingFile.h>
#include <LogEvent.h>
#include <LogHandler.h>
#include <LogLevelManager.h>
#include <Logger.h>

#include <algorithm>
#include <charconv>
#include <string>
#include <string_view>

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

void AppendMessage(std::string& line, const std::string& message) {
    static constexpr char kHex[] = "0123456789abcdef";
    size_t start = 0;
    for (size_t i = 0; i < message.size(); ++i) {
        if (!IsEscaped(message[i])) continue;
        line.append(message, start, i - start);
        const unsigned char byte = static_cast<unsigned char>(message[i]);
        const char escape[] = {'\\', 'x', kHex[byte >> 4], kHex[byte & 0xf]};
        line.append(escape, sizeof escape);
        start = i + 1;
    }
    line.append(message, start, std::string::npos);
}

// Left-adjusted in a field of `width`, as setw and left would write it.
void AppendField(std::string& line, std::string_view text, int width) {
    static constexpr std::string_view kBlanks = "                                ";
    line.append(text);
    for (size_t missing = text.size() < static_cast<size_t>(width)
                              ? static_cast<size_t>(width) - text.size()
                              : 0;
         missing > 0;) {
        const size_t blanks = std::min(missing, kBlanks.size());
        line.append(kBlanks.data(), blanks);
        missing -= blanks;
    }
}

void AppendField(std::string& line, int number, int width) {
    char digits[16];
    const char* end = std::to_chars(digits, digits + sizeof digits, number).ptr;
    AppendField(line, std::string_view(digits, static_cast<size_t>(end - digits)), width);
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

// The line is put together first and written at once: a stream's padding and number
// formatting would cost more than the rest of the event.
void ConfigWebLogging::ConfigWebLayout::Format(std::ostream& out, const LogEvent& event) {
    line.clear();  // keeps its storage from event to event
    line.reserve(kLineRoom + event.GetLogMessage().size());
    line.append(event.GetDateTimeUsec()).append(kDateTimeSeparator);
    AppendField(line, event.GetLogLevelName(), kLevelWidth);
    AppendField(line, event.GetLogHandlerName(), kHandlerWidth);
    AppendField(line, event.GetThreadId(), kThreadIdWidth);
    AppendField(line, event.GetFileName(), kFileWidth);
    AppendField(line, event.GetLine(), kLineWidth);
    AppendMessage(line, event.GetLogMessage());
    line.push_back('\n');
    out.setf(std::ios_base::left, std::ios_base::adjustfield);
    out.fill(' ');
    out.write(line.data(), static_cast<std::streamsize>(line.size()));
}
