#include "ChangeListFile.h"

#include <charconv>
#include <cstring>

#include "AtomicFile.h"
#include "CNumber.h"
#include "FileContent.h"
#include "FileLock.h"
#include "InputFile.h"

namespace {

constexpr const char* kLockSuffix = ".lock";
constexpr const char* kNewSuffix = ".new";

// Only a regular file is read, and no link: /tmp is shared, and a fifo, device or link
// planted at the path must not block, flood or redirect the request.
bool ReadBounded(const std::string& path, FileContent& text) {
    InputFile file(path, InputFile::Links::Refuse);
    if (!file.IsOpen()) return false;
    text = FileContent(file, ChangeListFile::kMaxReadBytes);
    return true;
}

void ParseLine(const char* line, size_t length, ChangeListFile::Changes& changes,
               const ChangeListFile::LineObserver& observer) {
    const char* semicolon = static_cast<const char*>(std::memchr(line, ';', length));
    if (semicolon == nullptr) return;
    int32_t id = CNumber::Atoi(line, static_cast<size_t>(semicolon - line));
    const char* flag = semicolon + 1;
    size_t flagLength = length - static_cast<size_t>(flag - line);
    if (observer) observer(id, std::string(flag, flagLength));
    changes[id] = CNumber::Atoi(flag, flagLength);
}

}  // namespace

bool ChangeListFile::Read(const std::string& path, Changes& changes, const LineObserver& observer) {
    FileContent content;
    if (!ReadBounded(path, content)) return false;
    Parse(content.Text(), changes, observer);
    return true;
}

void ChangeListFile::Parse(std::string_view text, Changes& changes, const LineObserver& observer) {
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string_view::npos) end = text.size();
        if (end > start) ParseLine(text.data() + start, end - start, changes, observer);
        start = end + 1;
    }
}

std::string ChangeListFile::Format(const Changes& changes) {
    std::string text;
    text.reserve(changes.size() * 16);
    // Written directly rather than through printf: a list may hold many thousands of lines.
    constexpr size_t kNumberRoom = 11;  // "-2147483648"
    char line[2 * kNumberRoom + 2];
    for (const auto& [id, flag] : changes) {
        char* end = std::to_chars(line, line + kNumberRoom, id).ptr;
        *end++ = ';';
        end = std::to_chars(end, end + kNumberRoom, flag).ptr;
        *end++ = '\n';
        text.append(line, static_cast<size_t>(end - line));
    }
    return text;
}

bool ChangeListFile::Merge(const std::string& path, const Changes& marks) {
    FileLock lock(path + kLockSuffix);
    FileContent content;
    const bool read = ReadBounded(path, content);
    Changes current;
    Parse(content.Text(), current, nullptr);
    for (const auto& [id, flag] : marks) current[id] = flag;
    const std::string text = Format(current);
    // A file that reads whole as the new text already is that text (a cut read is shorter).
    if (read && text.size() < kMaxReadBytes && text == content.Text()) return true;
    return AtomicFile::Replace(path, path + kNewSuffix, text, AtomicFile::Durability::Volatile) !=
           AtomicFile::Outcome::Unchanged;
}
