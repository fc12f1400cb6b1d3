#include "LogHandler.h"

#include <algorithm>
#include <utility>

namespace {

template <typename T>
void Erase(std::vector<T*>& items, T* item) {
    items.erase(std::remove(items.begin(), items.end(), item), items.end());
}

}  // namespace

LogHandler::LogHandler(std::string name) : name_(std::move(name)) {}

LogHandler::~LogHandler() {
    for (LogHandlerClient* client : clients_) {
        Erase(client->attachedTo_, this);
    }
}

void LogHandler::AddLogClient(LogHandlerClient* client) {
    if (client == nullptr ||
        std::find(clients_.begin(), clients_.end(), client) != clients_.end()) {
        return;
    }
    clients_.push_back(client);
    client->attachedTo_.push_back(this);
}

void LogHandler::RemoveLogClient(LogHandlerClient* client) {
    if (std::find(clients_.begin(), clients_.end(), client) == clients_.end()) {
        return;
    }
    Erase(clients_, client);
    Erase(client->attachedTo_, this);
}

void LogHandler::HandleEvent(const LogEvent& event) {
    if (dispatching_) {
        return;
    }
    dispatching_ = true;
    // By index: a client may detach (or be deleted) while the event is passed on.
    for (size_t i = 0; i < clients_.size(); ++i) {
        clients_[i]->HandleEvent(event);
    }
    dispatching_ = false;
}
