#include "LogClient.h"

void LogClient::SetLayout(LogLayout* layout) {
    if (layout == nullptr || layout != layout_.get()) layout_.reset(layout ? layout : new LogLayout);
}

void LogClient::HandleEvent(const LogEvent& event) {
    // A line that can't be made (out of memory) is dropped rather than ending the program.
    try {
        text_.str(std::string());
        text_.clear();
        text_.copyfmt(pristine_);
        layout_->Format(text_, event);
        Write(text_.str());
    } catch (...) {
    }
}
