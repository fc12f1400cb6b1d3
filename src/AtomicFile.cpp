#include "AtomicFile.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <utility>

namespace {

bool WriteAll(int fd, std::string_view content) {
    size_t done = 0;
    while (done < content.size()) {
        ssize_t n = ::write(fd, content.data() + done, content.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        done += static_cast<size_t>(n);
    }
    return true;
}

int CreateExclusive(const std::string& path, mode_t mode) {
    return ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
}

bool LinkBackup(const std::string& path, const std::string& backupPath) {
    if (backupPath.empty() || ::link(path.c_str(), backupPath.c_str()) == 0) return true;
    if (errno == ENOENT) return true;
    if (errno != EEXIST) return false;
    ::unlink(backupPath.c_str());
    return ::link(path.c_str(), backupPath.c_str()) == 0;
}

}  // namespace

AtomicFile::AtomicFile(std::string path, std::string tempPath, mode_t mode)
    : path(std::move(path)), tempPath(std::move(tempPath)), mode(mode) {}

AtomicFile::~AtomicFile() {
    if (fd < 0) return;
    ::close(fd);
    ::unlink(tempPath.c_str());
}

// A stale file of that name is removed only when there is one: normally there is none,
// and asking first would cost a system call per save.
bool AtomicFile::Open() {
    fd = CreateExclusive(tempPath, mode);
    if (fd < 0 && errno == EEXIST) {
        ::unlink(tempPath.c_str());
        fd = CreateExclusive(tempPath, mode);
    }
    return fd >= 0;
}

AtomicFile::Outcome AtomicFile::Commit(std::string_view content, Durability durability,
                                       const std::string& backupPath, FolderSync syncFolder) {
    const bool durable = durability == Durability::Durable;
    bool written = WriteAll(fd, content) && (!durable || ::fsync(fd) == 0);
    written = ::close(fd) == 0 && written;
    fd = -1;
    if (!written || !LinkBackup(path, backupPath) ||
        ::rename(tempPath.c_str(), path.c_str()) != 0) {
        int error = errno;
        ::unlink(tempPath.c_str());
        errno = error;
        return Outcome::Unchanged;
    }
    return !durable || syncFolder(path) ? Outcome::Replaced : Outcome::ReplacedUnflushed;
}

AtomicFile::Outcome AtomicFile::Replace(const std::string& path, const std::string& tempPath,
                                        std::string_view content, Durability durability,
                                        const std::string& backupPath, FolderSync syncFolder) {
    AtomicFile file(path, tempPath);
    return file.Open() ? file.Commit(content, durability, backupPath, syncFolder)
                       : Outcome::Unchanged;
}

bool AtomicFile::SyncFolderOf(const std::string& path) {
    std::string::size_type slash = path.rfind('/');
    std::string folder = slash == std::string::npos ? "." : path.substr(0, slash == 0 ? 1 : slash);
    int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return false;
    bool ok = ::fsync(fd) == 0;
    ::close(fd);
    return ok;
}
