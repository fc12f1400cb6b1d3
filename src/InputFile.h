#ifndef SRC_INPUTFILE_H
#define SRC_INPUTFILE_H

#include <cstdio>
#include <string>

// A file opened for reading for the life of the object. Only regular files are opened, so
// that a fifo or device planted at a path can't block or flood a reader.
class InputFile {
public:
    explicit InputFile(const std::string& path);
    InputFile(const InputFile&) = delete;
    InputFile& operator=(const InputFile&) = delete;
    virtual ~InputFile();

    bool IsOpen() const { return file != nullptr; }
    FILE* Get() const { return file; }

private:
    FILE* file = nullptr;
};

#endif
