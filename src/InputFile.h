#ifndef SRC_INPUTFILE_H
#define SRC_INPUTFILE_H

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

    bool IsOpen() const { return file != nullptr; }
    FILE* Get() const { return file; }
    // Everything from the current position to the end of the file, but at most `limit`
    // bytes, appended to `text`. False when a read fails.
    bool ReadAll(std::string& text, size_t limit);

private:
    FILE* file = nullptr;
};

#endif
