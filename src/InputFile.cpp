#include "InputFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

namespace {

constexpr size_t kPieceLength = 4096;

}  // namespace

InputFile::InputFile(const std::string& path, Links links) {
    // Non-blocking for the open itself (a fifo would wait for a writer there); the flag
    // stays set, as it has no effect on reading a regular file.
    const int flags = O_RDONLY | O_CLOEXEC | O_NONBLOCK | (links == Links::Refuse ? O_NOFOLLOW : 0);
    fd = ::open(path.c_str(), flags);
    if (fd < 0) return;
    struct stat status;
    if (::fstat(fd, &status) != 0 || !S_ISREG(status.st_mode)) {
        ::close(fd);
        fd = -1;
        return;
    }
    openedSize = status.st_size > 0 ? static_cast<size_t>(status.st_size) : 0;
}

InputFile::~InputFile() {
    if (file != nullptr) {
        ::fclose(file);
    } else if (fd >= 0) {
        ::close(fd);
    }
}

FILE* InputFile::Get() {
    if (file == nullptr && fd >= 0) {
        file = ::fdopen(fd, "r");
        if (file == nullptr) {
            ::close(fd);
            fd = -1;
        }
    }
    return file;
}

long InputFile::Read(char* data, size_t length) {
    size_t done = 0;
    while (done < length) {
        const ssize_t n = ::read(fd, data + done, length - done);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return -1;
        const bool shortRead = static_cast<size_t>(n) < length - done;
        done += static_cast<size_t>(n);
        consumed += static_cast<size_t>(n);
        // Asking again after a short read past the size the file had would only find its
        // end, at the cost of a system call.
        if (n == 0 || (shortRead && openedSize > 0 && consumed >= openedSize)) break;
    }
    return static_cast<long>(done);
}

bool InputFile::ReadAll(std::string& text, size_t limit) {
    char piece[kPieceLength];
    for (size_t taken = 0; taken < limit;) {
        const size_t wanted = std::min(sizeof piece, limit - taken);
        const long got = Read(piece, wanted);
        if (got < 0) return false;
        text.append(piece, static_cast<size_t>(got));
        taken += static_cast<size_t>(got);
        if (static_cast<size_t>(got) < wanted) break;
    }
    return true;
}
