#ifndef LOGGER_LOGCLIENTROLLINGFILE_H
#define LOGGER_LOGCLIENTROLLINGFILE_H

#include <sys/types.h>

#include <cstdint>
#include <string>

#include "LogClient.h"

// Appends events to a file and rolls it over when it would grow past the size limit:
// "path" becomes "path.1", "path.1" becomes "path.2" and so on, keeping fileCount files
// in all (the live one included). Several processes may log into the same file: each
// event is checked against the limit and appended with one write under an advisory lock
// on the live file, so no file grows past the limit through concurrent appends and only
// one process rolls a full file.
// The file is opened at the first event and stays open for the life of the client.
// Failures (no directory, no space) drop the event silently; the directory is never
// created. A size limit of 0 or less never rolls; a file count of 1 or less empties the
// live file instead of keeping older ones.
class LogClientRollingFile : public LogClient {
public:
    LogClientRollingFile(const std::string& path, int32_t sizeLimit, int fileCount);
    ~LogClientRollingFile() override;

protected:
    void Write(const std::string& text) override;

private:
    bool Open();
    void Close();
    // Rolls one event may make when others fill each new file before it gets the lock;
    // the bound keeps a folder where renames fail from looping for ever. The event then
    // goes into the file as it is.
    static constexpr int kMaxRollsPerEvent = 8;

    bool WouldPassLimit(off_t size, size_t incoming) const;
    bool Roll();
    bool ShiftFiles();
    std::string NumberedPath(int n) const;

    std::string path_;
    int64_t sizeLimit_;
    int fileCount_;
    int fd_ = -1;
};

#endif
