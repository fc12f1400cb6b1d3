#ifndef LOGGER_LOGHANDLERCLIENT_H
#define LOGGER_LOGHANDLERCLIENT_H

#include <vector>

class LogEvent;
class LogHandler;

// Anything a LogHandler can pass events to: a LogClient, or another LogHandler.
// A client remembers the handlers it is attached to and detaches itself from all of them
// when it is destroyed, so no handler ever calls a deleted client.
class LogHandlerClient {
public:
    LogHandlerClient();
    LogHandlerClient(const LogHandlerClient&) = delete;
    LogHandlerClient& operator=(const LogHandlerClient&) = delete;
    virtual ~LogHandlerClient();

    // Receives one event from a handler it is attached to.
    virtual void HandleEvent(const LogEvent& event) = 0;

private:
    friend class LogHandler;
    std::vector<LogHandler*> attachedTo_;
};

#endif
