#include "LogEvent.h"

#include <utility>

LogEvent::LogEvent(std::string dateTimeUsec, std::string levelName, std::string handlerName,
                   int threadId, std::string fileName, int line, std::string message)
    : dateTimeUsec_(std::move(dateTimeUsec)),
      levelName_(std::move(levelName)),
      handlerName_(std::move(handlerName)),
      threadId_(threadId),
      fileName_(std::move(fileName)),
      line_(line),
      message_(std::move(message)) {}

LogEvent::~LogEvent() = default;
