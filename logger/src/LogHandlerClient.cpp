#include "LogHandlerClient.h"

#include "LogHandler.h"

LogHandlerClient::LogHandlerClient() = default;

LogHandlerClient::~LogHandlerClient() {
    // RemoveLogClient shrinks attachedTo_, so walk a copy.
    const std::vector<LogHandler*> handlers = attachedTo_;
    for (LogHandler* handler : handlers) {
        handler->RemoveLogClient(this);
    }
}
