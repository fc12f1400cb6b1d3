#include "LogClientRollingFile.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>

namespace {

bool SameFile(const struct stat& a, const struct stat& b) {
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

}  // namespace

LogClientRollingFile::LogClientRollingFile(const std::string& path, int32_t sizeLimit,
                                           int fileCount)
    : path_(path), sizeLimit_(sizeLimit), fileCount_(fileCount) {}

LogClientRollingFile::~LogClientRollingFile() { Close(); }

void LogClientRollingFile::Write(const std::string& text) {
    // The size check and the append are one step against other processes, under the lock on
    // the live file: two appends checked against the same size would carry the file past
    // the limit. After a roll the new live file is locked and checked in turn.
    for (int rolls = 0; Open(); ++rolls) {
        struct stat own {};
        if (::flock(fd_, LOCK_EX) != 0 || ::fstat(fd_, &own) != 0) {
            break;
        }
        if (!WouldPassLimit(own.st_size, text.size()) || rolls == kMaxRollsPerEvent) {
            // One write per event: appends of concurrent processes then never interleave. A
            // failed or short write is not retried for the same reason; the event, or its
            // rest, is lost.
            const ssize_t written = ::write(fd_, text.data(), text.size());
            static_cast<void>(written);
            break;
        }
        if (!Roll()) {
            break;
        }
    }
    if (fd_ >= 0) {
        ::flock(fd_, LOCK_UN);
    }
}

bool LogClientRollingFile::Open() {
    if (fd_ < 0) {
        fd_ = ::open(path_.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644);
    }
    return fd_ >= 0;
}

void LogClientRollingFile::Close() {
    if (fd_ >= 0) {
        ::close(fd_);
        fd_ = -1;
    }
}

bool LogClientRollingFile::WouldPassLimit(off_t size, size_t incoming) const {
    // An event larger than the limit still goes into an empty file, rather than rolling
    // empty files forever.
    return sizeLimit_ > 0 && size > 0 &&
           static_cast<int64_t>(size) + static_cast<int64_t>(incoming) > sizeLimit_;
}

bool LogClientRollingFile::Roll() {
    // The lock makes the check and the renames one step against other processes; whoever
    // comes second finds the path naming a new file and only reopens.
    if (::flock(fd_, LOCK_EX) != 0) {
        return false;
    }
    struct stat own {};
    struct stat named {};
    const bool stillOurs =
        ::fstat(fd_, &own) == 0 && ::stat(path_.c_str(), &named) == 0 && SameFile(own, named);
    const bool rolled = !stillOurs || ShiftFiles();
    Close();
    return rolled && Open();
}

bool LogClientRollingFile::ShiftFiles() {
    if (fileCount_ <= 1) {
        return ::ftruncate(fd_, 0) == 0;
    }
    // The oldest file is overwritten by the rename onto its name.
    for (int n = fileCount_ - 1; n >= 1; --n) {
        ::rename(NumberedPath(n - 1).c_str(), NumberedPath(n).c_str());
    }
    return true;
}

std::string LogClientRollingFile::NumberedPath(int n) const {
    return n == 0 ? path_ : path_ + "." + std::to_string(n);
}
