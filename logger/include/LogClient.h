#ifndef LOGGER_LOGCLIENT_H
#define LOGGER_LOGCLIENT_H

#include <memory>
#include <sstream>
#include <string>

#include "LogHandlerClient.h"
#include "LogLayout.h"

// A final destination of log events. It formats each event with its layout and hands the
// text to Write.
class LogClient : public LogHandlerClient {
public:
    LogClient();
    ~LogClient() override;

    // Takes ownership of the layout and deletes the previous one. A null layout restores
    // the default layout.
    void SetLayout(LogLayout* layout);

    void HandleEvent(const LogEvent& event) override;

protected:
    // Writes one formatted event.
    virtual void Write(const std::string& text) = 0;

private:
    std::unique_ptr<LogLayout> layout_;
    // Reused for every event, in its initial state each time.
    std::ostringstream text_;
    const std::ios_base::fmtflags initialFlags_ = text_.flags();
};

#endif
