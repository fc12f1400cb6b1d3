#ifndef SRC_FILELOCK_H
#define SRC_FILELOCK_H

#include <string>

// An exclusive advisory lock (flock) held for the life of the object, on a lock file that
// is created when missing and never replaced or removed, so every process locks the same
// file. Processes that die release their lock with their descriptors.
class FileLock {
public:
    // Blocks until the lock is held. IsHeld() tells whether that worked (it fails when the
    // lock file can't be created).
    explicit FileLock(const std::string& lockPath);
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;
    virtual ~FileLock();

    bool IsHeld() const { return fd >= 0; }

private:
    int fd = -1;
};

#endif
