#ifndef CONFIGWEB_CONFIGWEBLOG_H
#define CONFIGWEB_CONFIGWEBLOG_H

// Log statements of the web interface; see ZelLog.h for the per-file source name.

#include "ZelLog.h"

namespace configweblog {

constexpr const char* kHandler = "configwebloghandler";
constexpr unsigned kInfo = 111;
constexpr unsigned kDebug = 112;
constexpr unsigned kError = 113;

}  // namespace configweblog

#define WEB_INFO(...) LOG_STATEMENT(configweblog::kInfo, configweblog::kHandler, __VA_ARGS__)
#define WEB_DEBUG(...) LOG_STATEMENT(configweblog::kDebug, configweblog::kHandler, __VA_ARGS__)
#define WEB_ERROR(...) LOG_STATEMENT(configweblog::kError, configweblog::kHandler, __VA_ARGS__)

#endif
