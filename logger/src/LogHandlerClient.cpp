#include "LogHandlerClient.h"

#include "LogHandler.h"

LogHandlerClient::~LogHandlerClient() {
    while (!attachedTo_.empty()) attachedTo_.back()->RemoveLogClient(this);
}
