#ifndef LOGGER_LOGHANDLER_H
#define LOGGER_LOGHANDLER_H

#include <string>
#include <vector>

#include "LogHandlerClient.h"

// A named distribution point for log events. Handlers are created and owned by Logger;
// one name always gives the same handler. A handler attached to another handler receives
// that handler's events and passes them on to its own clients.
class LogHandler : public LogHandlerClient {
public:
    explicit LogHandler(std::string name);
    ~LogHandler() override;

    const std::string& GetName() const { return name_; }

    // Attaches a client (not owned). Attaching the same client twice has no further effect;
    // a null client is ignored.
    void AddLogClient(LogHandlerClient* client);
    // Detaches a client; unknown clients are ignored.
    void RemoveLogClient(LogHandlerClient* client);

    // Passes the event to every attached client in the order they were attached. An event
    // that comes back to a handler already passing it on (a cycle of handlers) is dropped.
    void HandleEvent(const LogEvent& event) override;

private:
    std::string name_;
    std::vector<LogHandlerClient*> clients_;
    bool dispatching_ = false;
};

#endif
