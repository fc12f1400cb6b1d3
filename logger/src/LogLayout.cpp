#include "LogLayout.h"

#include "LogEvent.h"

void LogLayout::Format(std::ostream& out, const LogEvent& event) {
    out << event.GetDateTimeUsec() << ' ' << event.GetLogLevelName() << ' ' << event.GetLogMessage()
        << '\n';
}
