#include "InputFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>

InputFile::InputFile(const std::string& path, Links links) {
    // Non-blocking only for the open itself (a fifo would wait for a writer there).
    const int flags = O_RDONLY | O_CLOEXEC | O_NONBLOCK | (links == Links::Refuse ? O_NOFOLLOW : 0);
    int fd = ::open(path.c_str(), flags);
    if (fd < 0) return;
    struct stat status;
    if (::fstat(fd, &status) != 0 || !S_ISREG(status.st_mode) ||
        ::fcntl(fd, F_SETFL, O_RDONLY) != 0) {
        ::close(fd);
        return;
    }
    file = ::fdopen(fd, "r");
    if (file == nullptr) ::close(fd);
}

InputFile::~InputFile() {
    if (file != nullptr) ::fclose(file);
}

bool InputFile::ReadAll(std::string& text, size_t limit) {
    char piece[4096];
    for (size_t taken = 0; taken < limit;) {
        const size_t got = std::fread(piece, 1, std::min(sizeof piece, limit - taken), file);
        text.append(piece, got);
        taken += got;
        if (got == 0) return !std::ferror(file);
    }
    return true;
}
