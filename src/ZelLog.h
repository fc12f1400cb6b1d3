#ifndef SRC_ZELLOG_H
#define SRC_ZELLOG_H

// Log statements of the device side. Every source file that logs defines
//   namespace { constexpr const char* kLogSource = "ClassName"; }
// and the macros put that name and the line into each event.

#include <LogFormater.h>
#include <Logger.h>

namespace zellog {

constexpr const char* kHandler = "zelloghandler";
constexpr unsigned kInfo = 101;
constexpr unsigned kDebug = 102;
constexpr unsigned kError = 103;

// The one text for a file that can't be opened.
constexpr const char* kCantOpen = "Can't open %s";

}  // namespace zellog

#define LOG_STATEMENT(level, handler, ...)                               \
    do {                                                                 \
        LogFormater logFormater_((level), kLogSource, __LINE__);         \
        logFormater_.Log(Logger::GetLogHandler((handler)), __VA_ARGS__); \
    } while (0)

#define ZEL_INFO(...) LOG_STATEMENT(zellog::kInfo, zellog::kHandler, __VA_ARGS__)
#define ZEL_DEBUG(...) LOG_STATEMENT(zellog::kDebug, zellog::kHandler, __VA_ARGS__)
#define ZEL_ERROR(...) LOG_STATEMENT(zellog::kError, zellog::kHandler, __VA_ARGS__)

#endif
