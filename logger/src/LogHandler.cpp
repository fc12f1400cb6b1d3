#include "LogHandler.h"

#include <algorithm>

LogHandler::~LogHandler() {
    while (!clients_.empty()) RemoveLogClient(clients_.back());
}

void LogHandler::AddLogClient(LogHandlerClient* client) {
    if (client == nullptr || std::count(clients_.begin(), clients_.end(), client) != 0) return;
    clients_.push_back(client);
    client->attachedTo_.push_back(this);
}

void LogHandler::RemoveLogClient(LogHandlerClient* client) {
    clients_.erase(std::remove(clients_.begin(), clients_.end(), client), clients_.end());
    auto& handlers = client->attachedTo_;
    handlers.erase(std::remove(handlers.begin(), handlers.end(), this), handlers.end());
}

void LogHandler::HandleEvent(const LogEvent& event) {
    if (dispatching_) return;
    dispatching_ = true;
    // By index: a client may detach (or be deleted) while the event is passed on.
    for (size_t i = 0; i < clients_.size(); ++i) clients_[i]->HandleEvent(event);
    dispatching_ = false;
}
