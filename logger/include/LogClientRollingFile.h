#pragma once

#include <cstdint>
#include <string>

#include "LogClient.h"

// Appends each event with one write on an O_APPEND descriptor (lines never tear) and rolls
// the file when an event would carry it past the limit: "path" becomes "path.1" and so on,
// fileCount files in all (a count of 1 or less empties the file; a limit of 0 or less never
// rolls). The size is checked without a lock; a roll takes the lock and checks again, so one
// process rolls and the others reopen. With N writers, events checked just before another's
// roll can carry a file past the limit by N - 1 events at most. Failures drop the event.
class LogClientRollingFile : public LogClient {
public:
    LogClientRollingFile(const std::string& path, int32_t sizeLimit, int fileCount)
        : path_(path), sizeLimit_(sizeLimit), fileCount_(fileCount) {}
    ~LogClientRollingFile() override { Close(); }

protected:
    void Write(const std::string& text) override;

private:
    // Bounds the rolls of one event (a folder where renames fail); it is written anyway.
    static constexpr int kMaxRollsPerEvent = 8;

    bool Open();
    void Close();
    bool PassesLimit(size_t incoming) const;
    bool Roll(size_t incoming);
    std::string NumberedPath(int n) const;

    std::string path_;
    int64_t sizeLimit_;
    int fileCount_;
    int fd_ = -1;
};
