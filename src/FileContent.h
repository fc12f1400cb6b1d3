#ifndef SRC_FILECONTENT_H
#define SRC_FILECONTENT_H

#include <cstddef>
#include <memory>
#include <string_view>

class InputFile;

// The rest of a file read at once into storage of its own, with a NUL byte after the last
// byte read. The bytes may be modified in place (the NUL included, by a scanner that cuts
// the last line there), and the storage can be handed on to keep views into it alive.
class FileContent {
public:
    FileContent();
    // Reads `file` from its current position to its end, but at most `limit` bytes. A
    // failing read ends the content early.
    FileContent(InputFile& file, size_t limit);
    FileContent(FileContent&&) noexcept;
    FileContent& operator=(FileContent&&) noexcept;
    virtual ~FileContent();

    char* Data() { return data.get(); }
    size_t Length() const { return length; }
    std::string_view Text() const { return std::string_view(data.get(), length); }
    // The storage, which the content gives up (it is empty afterwards).
    std::unique_ptr<char[]> Release();

private:
    std::unique_ptr<char[]> data;
    size_t length = 0;
};

#endif
