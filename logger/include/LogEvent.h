#pragma once

#include <string>
#include <utility>

// One log statement on its way from a handler to its clients; the texts are copies.
class LogEvent {
public:
    LogEvent(std::string dateTimeUsec, std::string levelName, std::string handlerName, int threadId,
             std::string fileName, int line, std::string message)
        : dateTimeUsec_(std::move(dateTimeUsec)), levelName_(std::move(levelName)),
          handlerName_(std::move(handlerName)), fileName_(std::move(fileName)),
          message_(std::move(message)), threadId_(threadId), line_(line) {}

    // Local date and time to the microsecond: "YYYY-MM-DD HH:MM:SS.uuuuuu".
    const std::string& GetDateTimeUsec() const { return dateTimeUsec_; }
    const std::string& GetLogLevelName() const { return levelName_; }
    // The handler the statement was logged through, also after it was passed on.
    const std::string& GetLogHandlerName() const { return handlerName_; }
    // Kernel id of the logging thread (the process id in a single-threaded program).
    int GetThreadId() const { return threadId_; }
    const std::string& GetFileName() const { return fileName_; }
    int GetLine() const { return line_; }
    const std::string& GetLogMessage() const { return message_; }

private:
    std::string dateTimeUsec_, levelName_, handlerName_, fileName_, message_;
    int threadId_, line_;
};
