#include "LogClient.h"

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
        // A stream per event would build its locale each time: a cost as large as the rest
        // of the event's formatting.
        text_.str(std::string());
        text_.clear();
        text_.flags(initialFlags_);
        text_.fill(' ');
        text_.width(0);
        layout_->Format(text_, event);
        Write(text_.str());
    } catch (...) {
    }
}
