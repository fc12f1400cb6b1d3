#ifndef CONFIGWEB_CONFIGWEBLOGGING_H
#define CONFIGWEB_CONFIGWEBLOGGING_H

#include <LogLayout.h>

#include <cstddef>
#include <cstdint>
#include <ostream>
#include <string>

class LogClientRollingFile;
class LogEvent;

// Log set-up of one run of the program; constructed first in main and destroyed last.
//
// Construction registers the level names of both handlers, opens the rolling log file
// "/tmp/log/configweb.log" with the ConfigWebLayout, attaches it to "configwebloghandler"
// and attaches that handler to "zelloghandler", so lines logged through either end up in
// the file. No step reports failure: without "/tmp/log" (never created here) lines are
// dropped and the run goes on.
class ConfigWebLogging {
public:
    static constexpr const char* kLogPath = "/tmp/log/configweb.log";
    static constexpr int32_t kLogSizeLimit = 1048576;
    static constexpr int kLogFileCount = 2;
    static constexpr const char* kInfoName = "info";
    static constexpr const char* kDebugName = "debug";
    static constexpr const char* kErrorName = "error";

    // One line per event: the date-time, two spaces, then level name, handler name, thread
    // id, file name and line number, each left-adjusted and padded with spaces to its
    // width (a longer value is written whole and the next field follows directly), then
    // the message and "\n". In the message every control byte but the tab is written as
    // "\xNN" (lower-case hex), so that no text can break the line or forge another one.
    // Left adjustment and space fill stay set on the stream.
    class ConfigWebLayout : public LogLayout {
    public:
        static constexpr int kLevelWidth = 10;
        static constexpr int kHandlerWidth = 15;
        static constexpr int kThreadIdWidth = 6;
        static constexpr int kFileWidth = 25;
        static constexpr int kLineWidth = 6;
        static constexpr const char* kDateTimeSeparator = "  ";
        // Room for a line without its message.
        static constexpr size_t kLineRoom = 128;

        ConfigWebLayout() = default;
        ~ConfigWebLayout() override;

        void Format(std::ostream& out, const LogEvent& event) override;

    private:
        std::string line;  // the line being put together
    };

    ConfigWebLogging();
    ConfigWebLogging(const ConfigWebLogging&) = delete;
    ConfigWebLogging& operator=(const ConfigWebLogging&) = delete;
    // Deletes the file client, which detaches itself from the handler and deletes its
    // layout; nothing is written to the file after that.
    virtual ~ConfigWebLogging();

private:
    LogClientRollingFile* rollingFile = nullptr;
};

#endif
