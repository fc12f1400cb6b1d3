#include "LogClient.h"

#include <sstream>

LogClient::LogClient() : layout_(new LogLayout) {}

LogClient::~LogClient() = default;

void LogClient::SetLayout(LogLayout* layout) {
    if (layout != nullptr && layout == layout_.get()) {
        return;
    }
    layout_.reset(layout != nullptr ? layout : new LogLayout);
}

void LogClient::HandleEvent(const LogEvent& event) {
    // A failing log line (out of memory) is dropped rather than ending the program.
    try {
        std::ostringstream text;
        layout_->Format(text, event);
        Write(text.str());
    } catch (...) {
    }
}
