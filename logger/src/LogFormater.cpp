#include "LogFormater.h"

#include <pthread.h>
#include <sys/syscall.h>
#include <sys/time.h>
#include <unistd.h>

#include <charconv>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <ctime>

#include "LogEvent.h"
#include "LogHandler.h"
#include "LogLevelManager.h"
#include "Logger.h"

namespace {

// Converted once per second: a request logs dozens of lines, and one per session of the
// change list, so the calendar conversion would otherwise be the largest part of a line.
const char* DateTime(time_t seconds) {
    thread_local bool converted = false;
    thread_local time_t convertedSeconds = 0;
    thread_local char dateTime[32] = "";
    if (!converted || seconds != convertedSeconds) {
        struct tm local {};
        ::localtime_r(&seconds, &local);
        dateTime[0] = '\0';
        std::strftime(dateTime, sizeof dateTime, "%Y-%m-%d %H:%M:%S", &local);
        converted = true;
        convertedSeconds = seconds;
    }
    return dateTime;
}

std::string CurrentDateTimeUsec() {
    struct timeval now {};
    ::gettimeofday(&now, nullptr);
    std::string text = DateTime(now.tv_sec);
    char usec[16] = ".000000";
    if (now.tv_usec >= 0 && now.tv_usec <= 999999) {
        long rest = now.tv_usec;
        for (int digit = 6; digit >= 1; --digit, rest /= 10) {
            usec[digit] = static_cast<char>('0' + rest % 10);
        }
    } else {
        std::snprintf(usec, sizeof usec, ".%06d", static_cast<int>(now.tv_usec));
    }
    return text.append(usec);
}

// Asked once per thread rather than once per line; a child made by fork asks again.
thread_local int knownThreadId = 0;

void ForgetThreadId() { knownThreadId = 0; }

int CurrentThreadId() {
    if (knownThreadId == 0) {
        static const bool forgottenInChildren =
            ::pthread_atfork(nullptr, nullptr, ForgetThreadId) == 0;
        static_cast<void>(forgottenInChildren);
        knownThreadId = static_cast<int>(::syscall(SYS_gettid));
    }
    return knownThreadId;
}

// Formats made only of text, "%s" and "%d" (most statements) are written here directly,
// as printf would write them; false, with nothing taken from `args`, for any other format.
bool FormatPlainly(const char* format, va_list args, std::string& text) {
    for (const char* at = std::strchr(format, '%'); at != nullptr; at = std::strchr(at + 2, '%')) {
        if (at[1] != 's' && at[1] != 'd') return false;
    }
    va_list taking;
    va_copy(taking, args);
    for (const char* at = format; *at != '\0';) {
        const char* percent = std::strchr(at, '%');
        if (percent == nullptr) {
            text.append(at);
            break;
        }
        text.append(at, static_cast<size_t>(percent - at));
        if (percent[1] == 's') {
            const char* argument = va_arg(taking, const char*);
            text.append(argument != nullptr ? argument : "(null)");
        } else {
            char digits[16];
            const char* end =
                std::to_chars(digits, digits + sizeof digits, va_arg(taking, int)).ptr;
            text.append(digits, static_cast<size_t>(end - digits));
        }
        at = percent + 2;
    }
    va_end(taking);
    return true;
}

// The message in full, however long. Should formatting fail (a bad conversion), the format
// itself is logged so that the statement is not lost.
std::string FormatMessage(const char* format, va_list args) {
    std::string plain;
    if (FormatPlainly(format, args, plain)) {
        return plain;
    }
    // Most messages fit here, and are then formatted once instead of measured first.
    char shortText[512];
    va_list measuring;
    va_copy(measuring, args);
    const int length = std::vsnprintf(shortText, sizeof shortText, format, measuring);
    va_end(measuring);
    if (length < 0) {
        return format;
    }
    if (static_cast<size_t>(length) < sizeof shortText) {
        return std::string(shortText, static_cast<size_t>(length));
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
