#ifndef LOGGER_LOGLAYOUT_H
#define LOGGER_LOGLAYOUT_H

#include <ostream>

class LogEvent;

// Turns one event into text. The default layout writes the date-time, the level name and
// the message, separated by blanks, and a line feed.
class LogLayout {
public:
    LogLayout();
    LogLayout(const LogLayout&) = delete;
    LogLayout& operator=(const LogLayout&) = delete;
    virtual ~LogLayout();

    virtual void Format(std::ostream& out, const LogEvent& event);
};

#endif
