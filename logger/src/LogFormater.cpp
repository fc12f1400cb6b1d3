#include "LogFormater.h"

#include <pthread.h>
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

// The calendar conversion is made once per second rather than once per line.
std::string CurrentDateTimeUsec() {
    thread_local time_t convertedSeconds = -1;
    thread_local char dateTime[32] = "";
    struct timeval now {};
    ::gettimeofday(&now, nullptr);
    if (now.tv_sec != convertedSeconds) {
        struct tm local {};
        ::localtime_r(&now.tv_sec, &local);
        if (std::strftime(dateTime, sizeof dateTime, "%Y-%m-%d %H:%M:%S", &local) == 0) dateTime[0] = 0;
        convertedSeconds = now.tv_sec;
    }
    char usec[16];
    std::snprintf(usec, sizeof usec, ".%06d", static_cast<int>(now.tv_usec));
    return std::string(dateTime).append(usec);
}

// Asked once per thread; a child made by fork asks again.
thread_local int knownThreadId = 0;

int CurrentThreadId() {
    [[maybe_unused]] static const bool forgottenInChildren =
        ::pthread_atfork(nullptr, nullptr, [] { knownThreadId = 0; }) == 0;
    if (knownThreadId == 0) knownThreadId = static_cast<int>(::syscall(SYS_gettid));
    return knownThreadId;
}

// Most messages fit the buffer and are formatted once; longer ones are measured first.
std::string FormatMessage(const char* format, va_list args) {
    char shortText[512];
    va_list measuring;
    va_copy(measuring, args);
    const int length = std::vsnprintf(shortText, sizeof shortText, format, measuring);
    va_end(measuring);
    if (length < 0) return format;
    if (static_cast<size_t>(length) < sizeof shortText) return std::string(shortText, length);
    std::string text(static_cast<size_t>(length) + 1, '\0');
    if (std::vsnprintf(&text[0], text.size(), format, args) != length) return format;
    text.resize(static_cast<size_t>(length));
    return text;
}

}  // namespace

void LogFormater::Log(LogHandler* handler, const char* format, ...) {
    if (handler == nullptr || format == nullptr) return;
    va_list args;
    va_start(args, format);
    // A log statement never ends the program, not even when memory runs out.
    try {
        handler->HandleEvent(LogEvent(CurrentDateTimeUsec(),
                                      Logger::GetLogLevelManager()->GetLogLevelName(level_),
                                      handler->GetName(), CurrentThreadId(), fileName_, line_,
                                      FormatMessage(format, args)));
    } catch (...) {
    }
    va_end(args);
}
