#pragma once

#include <vector>

class LogEvent;
class LogHandler;

// Anything a LogHandler passes events to: a LogClient or another LogHandler. A client
// detaches itself from its handlers when destroyed, so no handler calls a deleted client.
class LogHandlerClient {
public:
    LogHandlerClient() = default;
    LogHandlerClient(const LogHandlerClient&) = delete;
    LogHandlerClient& operator=(const LogHandlerClient&) = delete;
    virtual ~LogHandlerClient();

    virtual void HandleEvent(const LogEvent& event) = 0;

private:
    friend class LogHandler;
    std::vector<LogHandler*> attachedTo_;
};
