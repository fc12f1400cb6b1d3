#pragma once

#include <ostream>

class LogEvent;

// Turns one event into text; the default: date-time, level name and message, blank-separated.
class LogLayout {
public:
    virtual ~LogLayout() = default;
    virtual void Format(std::ostream& out, const LogEvent& event);
};
