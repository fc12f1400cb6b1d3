#ifndef LOGGER_LOGCLIENTROLLINGFILE_H
#define LOGGER_LOGCLIENTROLLINGFILE_H

#include <cstdint>
#include <string>

#include "LogClient.h"

// Appends events to a file and rolls it over when it would grow past the size limit:
// "path" becomes "path.1", "path.1" becomes "path.2" and so on, keeping fileCount files
// in all (the live one included). Several processes may log into the same file: each
// event is appended with one write, and a roll is made under an advisory lock on the
// live file, so only one process rolls a full file.
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
    // False when the event must be dropped.
    bool RollIfFull(size_t incoming);
    bool Roll();
    bool ShiftFiles();
    std::string NumberedPath(int n) const;

    std::string path_;
    int64_t sizeLimit_;
    int fileCount_;
    int fd_ = -1;
};

#endif
