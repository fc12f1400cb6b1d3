#pragma once

#include <string>
#include <vector>

#include "LogHandlerClient.h"

// A named distribution point of events, owned by Logger; it may be another handler's client.
class LogHandler : public LogHandlerClient {
public:
    explicit LogHandler(std::string name) : name_(std::move(name)) {}
    ~LogHandler() override;

    const std::string& GetName() const { return name_; }
    // Attaches a client (not owned) once; a null client is ignored.
    void AddLogClient(LogHandlerClient* client);
    void RemoveLogClient(LogHandlerClient* client);
    // Passes the event to the clients in the order they were attached. An event that comes
    // back to a handler already passing it on (a cycle of handlers) is dropped.
    void HandleEvent(const LogEvent& event) override;

private:
    std::string name_;
    std::vector<LogHandlerClient*> clients_;
    bool dispatching_ = false;
};
