#pragma once

#include <memory>
#include <sstream>
#include <string>

#include "LogHandlerClient.h"
#include "LogLayout.h"

// A final destination of events: formats each with its layout and hands the text to Write.
class LogClient : public LogHandlerClient {
public:
    // Owns the layout and deletes the previous one; null restores the default layout.
    void SetLayout(LogLayout* layout);
    void HandleEvent(const LogEvent& event) override;

protected:
    virtual void Write(const std::string& text) = 0;

private:
    std::unique_ptr<LogLayout> layout_{new LogLayout};
    // Reused and reset to a fresh stream's state per event: a new one builds its locale.
    std::ostringstream text_, pristine_;
};
