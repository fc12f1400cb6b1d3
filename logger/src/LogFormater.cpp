#include "LogFormater.h"

#include <sys/syscall.h>
#include <sys/time.h>
#include <unistd.h>

#include <cstdarg>
#include <cstdio>
#include <ctime>

#include "LogEvent.h"
#include "LogHandler.h"
#include "LogLevelManager.h"
#include "Logger.h"

namespace {

std::string CurrentDateTimeUsec() {
    struct timeval now {};
    ::gettimeofday(&now, nullptr);
    const time_t seconds = now.tv_sec;
    struct tm local {};
    ::localtime_r(&seconds, &local);
    char dateTime[32] = "";
    std::strftime(dateTime, sizeof dateTime, "%Y-%m-%d %H:%M:%S", &local);
    char usec[16] = "";
    std::snprintf(usec, sizeof usec, ".%06d", static_cast<int>(now.tv_usec));
    return std::string(dateTime) + usec;
}

int CurrentThreadId() { return static_cast<int>(::syscall(SYS_gettid)); }

// The message in full, however long. Should formatting fail (a bad conversion), the format
// itself is logged so that the statement is not lost.
std::string FormatMessage(const char* format, va_list args) {
    va_list measuring;
    va_copy(measuring, args);
    const int length = std::vsnprintf(nullptr, 0, format, measuring);
    va_end(measuring);
    if (length < 0) {
        return format;
    }
    std::string text(static_cast<size_t>(length) + 1, '\0');
    if (std::vsnprintf(&text[0], text.size(), format, args) != length) {
        return format;
    }
    text.resize(static_cast<size_t>(length));
    return text;
}

}  // namespace

LogFormater::LogFormater(unsigned level, const std::string& fileName, int line)
    : level_(level), fileName_(fileName), line_(line) {}

LogFormater::~LogFormater() = default;

void LogFormater::Log(LogHandler* handler, const char* format, ...) {
    if (handler == nullptr || format == nullptr) {
        return;
    }
    va_list args;
    va_start(args, format);
    // A log statement must never end the program, not even when memory runs out.
    try {
        const LogEvent event(
            CurrentDateTimeUsec(), Logger::GetLogLevelManager()->GetLogLevelName(level_),
            handler->GetName(), CurrentThreadId(), fileName_, line_, FormatMessage(format, args));
        handler->HandleEvent(event);
    } catch (...) {
    }
    va_end(args);
}
