#include "FileLock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>

FileLock::FileLock(const std::string& lockPath) {
    int lockFd = ::open(lockPath.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0644);
    if (lockFd < 0) return;
    int rc;
    while ((rc = ::flock(lockFd, LOCK_EX)) != 0 && errno == EINTR) {
    }
    if (rc != 0) {
        ::close(lockFd);
        return;
    }
    fd = lockFd;
}

FileLock::~FileLock() {
    if (fd >= 0) ::close(fd);  // closing releases the lock
}
