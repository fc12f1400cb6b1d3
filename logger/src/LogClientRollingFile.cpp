#include "LogClientRollingFile.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>

void LogClientRollingFile::Write(const std::string& text) {
    for (int rolls = 0; Open() && rolls < kMaxRollsPerEvent && PassesLimit(text.size()); ++rolls) {
        if (!Roll(text.size())) break;
    }
    // A failed or short write is not retried: a second write could land inside another's line.
    [[maybe_unused]] const ssize_t written = fd_ >= 0 ? ::write(fd_, text.data(), text.size()) : 0;
}

bool LogClientRollingFile::Open() {
    if (fd_ < 0) fd_ = ::open(path_.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644);
    return fd_ >= 0;
}

void LogClientRollingFile::Close() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
}

// An event larger than the limit still goes into an empty file, rather than rolling for ever.
bool LogClientRollingFile::PassesLimit(size_t incoming) const {
    struct stat own {};
    return sizeLimit_ > 0 && ::fstat(fd_, &own) == 0 && own.st_size > 0 &&
           static_cast<int64_t>(own.st_size) + static_cast<int64_t>(incoming) > sizeLimit_;
}

// A path that already names another's new file is only opened; the close drops the lock.
bool LogClientRollingFile::Roll(size_t incoming) {
    struct stat own {}, named {};
    if (::flock(fd_, LOCK_EX) != 0) return false;
    const bool full = ::fstat(fd_, &own) == 0 && ::stat(path_.c_str(), &named) == 0 &&
                      own.st_dev == named.st_dev && own.st_ino == named.st_ino &&
                      PassesLimit(incoming);
    bool rolled = true;
    if (full && fileCount_ <= 1) {
        rolled = ::ftruncate(fd_, 0) == 0;
    } else if (full) {
        // The oldest file is overwritten by the rename onto its name.
        for (int n = fileCount_ - 1; n >= 1; --n) {
            ::rename(NumberedPath(n - 1).c_str(), NumberedPath(n).c_str());
        }
    }
    Close();
    return rolled && Open();
}

std::string LogClientRollingFile::NumberedPath(int n) const {
    return n == 0 ? path_ : path_ + "." + std::to_string(n);
}
