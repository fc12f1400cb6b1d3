#ifndef LOGGER_LOGEVENT_H
#define LOGGER_LOGEVENT_H

#include <string>

// One log statement as it travels from a handler to its clients. The texts are copies, so
// an event stays valid for as long as it is passed on.
class LogEvent {
public:
    LogEvent(std::string dateTimeUsec, std::string levelName, std::string handlerName, int threadId,
             std::string fileName, int line, std::string message);
    virtual ~LogEvent();

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
    std::string dateTimeUsec_;
    std::string levelName_;
    std::string handlerName_;
    int threadId_;
    std::string fileName_;
    int line_;
    std::string message_;
};

#endif
