#include "FileContent.h"

#include <algorithm>
#include <cstring>

#include "InputFile.h"

namespace {

constexpr size_t kFirstCapacity = 4096;

}  // namespace

FileContent::FileContent() : data(new char[1]) { data[0] = '\0'; }

// Sized by the file's size when opened, plus one byte so that the first read finds the
// end; grown only for a file that has grown since, or that tells no size (/proc). The
// storage is not cleared first: that would cost as much as the read.
FileContent::FileContent(InputFile& file, size_t limit) {
    size_t capacity = std::min(std::max(file.OpenedSize() + 1, kFirstCapacity), limit);
    data.reset(new char[capacity + 1]);
    for (;;) {
        const long got = file.Read(data.get() + length, capacity - length);
        if (got > 0) length += static_cast<size_t>(got);
        if (got <= 0 || length < capacity || capacity == limit) break;
        const size_t larger = std::min(2 * capacity, limit);
        std::unique_ptr<char[]> grown(new char[larger + 1]);
        std::memcpy(grown.get(), data.get(), length);
        data = std::move(grown);
        capacity = larger;
    }
    data[length] = '\0';
}

FileContent::FileContent(FileContent&&) noexcept = default;

FileContent& FileContent::operator=(FileContent&&) noexcept = default;

FileContent::~FileContent() = default;

std::unique_ptr<char[]> FileContent::Release() {
    length = 0;
    return std::move(data);
}
