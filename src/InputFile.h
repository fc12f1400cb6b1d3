#ifndef SRC_INPUTFILE_H
#define SRC_INPUTFILE_H

#include <cstddef>
#include <cstdio>
#include <string>

// A file opened for reading for the life of the object. Only regular files are opened, so
// that a fifo or device planted at a path can't block or flood a reader.
class InputFile {
public:
    enum class Links {
        Follow,
        Refuse,  // a symbolic link at the path is not opened (shared folders such as /tmp)
    };

    explicit InputFile(const std::string& path, Links links = Links::Follow);
    InputFile(const InputFile&) = delete;
    InputFile& operator=(const InputFile&) = delete;
    virtual ~InputFile();

    bool IsOpen() const { return fd >= 0; }
    // A stream on the file, made at the first call; null when the file isn't open. A file
    // is read either through its stream or with ReadAll and Read, not both.
    FILE* Get();
    // Everything from the current position to the end of the file, but at most `limit`
    // bytes, appended to `text`. False when a read fails.
    bool ReadAll(std::string& text, size_t limit);
    // The size of the file when it was opened (0 for files of /proc).
    size_t OpenedSize() const { return openedSize; }
    // Up to `length` bytes from the current position into `data`, fewer only at the end of
    // the file; -1 when a read fails.
    long Read(char* data, size_t length);

private:
    int fd = -1;
    // The size when opened: a read that comes back short once this much is read is taken
    // as the end, without asking again (files of /proc and /sys give 0 and are read until
    // a read finds nothing).
    size_t openedSize = 0;
    size_t consumed = 0;  // bytes read so far
    FILE* file = nullptr;
};

#endif
