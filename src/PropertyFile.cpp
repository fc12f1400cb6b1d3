#include "PropertyFile.h"

#include <algorithm>
#include <cstring>

#include "CNumber.h"
#include "FileContent.h"
#include "PropertyScanner.h"

namespace {

char* SkipSpace(char* text) {
    while (CNumber::IsSpace(*text)) ++text;
    return text;
}

// Cuts the white space off the end of [begin, end) by writing the terminating NUL there;
// the new end.
char* TerminateAfterText(char* begin, char* end) {
    while (end > begin && CNumber::IsSpace(end[-1])) --end;
    *end = '\0';
    return end;
}

// Calls `handle(key, value)` for each property line of `content` (scanned in place, so cut
// into pieces) until it returns false.
template <typename Handler>
void ForEachProperty(FileContent& content, Handler handle) {
    PropertyScanner scanner(content.Data(), content.Length());
    std::string_view key;
    std::string_view value;
    for (char* line; (line = scanner.Next()) != nullptr;) {
        if (PropertyFile::SplitLine(line, key, value) && !handle(key, value)) return;
    }
}

}  // namespace

PropertyFile::PropertyFile() = default;

// The pieces of a line too long for one (which the scan hands out from a buffer of its own)
// are copied into `overflow`; all others stay where the file was read to.
PropertyFile::PropertyFile(InputFile& file) {
    FileContent text(file, PropertyScanner::kReadLimit);
    const char* begin = text.Data();
    const char* end = begin + text.Length() + 1;
    // The file is normally one that a save wrote, in key order already: each key is then
    // compared with the one before only, and a repeated key takes the later value.
    bool sorted = true;
    ForEachProperty(text, [&](std::string_view key, std::string_view value) {
        if (key.data() < begin || key.data() >= end) {
            key = overflow.Keep(key);
            value = overflow.Keep(value);
        }
        const int order = properties.empty() ? 1 : key.compare(properties.back().first);
        if (order == 0) {
            properties.back().second = value;
        } else {
            sorted = sorted && order > 0;
            properties.emplace_back(key, value);
        }
        return true;
    });
    content = text.Release();
    if (sorted) return;
    const auto byKey = [](const Property& a, const Property& b) { return a.first < b.first; };
    std::stable_sort(properties.begin(), properties.end(), byKey);
    // Of equal keys the last one read stays: the stable sort kept them in file order.
    const auto last =
        std::unique(properties.rbegin(), properties.rend(),
                    [](const Property& a, const Property& b) { return a.first == b.first; });
    properties.erase(properties.begin(), last.base());
}

PropertyFile::~PropertyFile() = default;

bool PropertyFile::Find(InputFile& file, const std::string& key, std::string& value) {
    FileContent text(file, PropertyScanner::kReadLimit);
    bool found = false;
    ForEachProperty(text, [&](std::string_view lineKey, std::string_view lineValue) {
        found = key == lineKey;
        if (found) value.assign(lineValue.data(), lineValue.size());
        return !found;
    });
    return found;
}

void PropertyFile::FindAll(InputFile& file, const std::vector<std::string>& keys,
                           std::vector<std::string>& values, std::vector<bool>& found) {
    values.resize(keys.size());
    found.assign(keys.size(), false);
    std::size_t missing = keys.size();
    FileContent text(file, PropertyScanner::kReadLimit);
    ForEachProperty(text, [&](std::string_view lineKey, std::string_view lineValue) {
        for (std::size_t i = 0; i < keys.size(); ++i) {
            if (found[i] || keys[i] != lineKey) continue;
            values[i].assign(lineValue.data(), lineValue.size());
            found[i] = true;
            --missing;
        }
        return missing > 0;
    });
}

bool PropertyFile::SplitLine(char* line, std::string_view& key, std::string_view& value) {
    if (line[0] == '#') return false;
    char* equals = std::strchr(line, '=');
    if (equals == nullptr) return false;
    char* valueStart = SkipSpace(equals + 1);
    const char* valueEnd = TerminateAfterText(valueStart, valueStart + std::strlen(valueStart));
    const char* keyEnd = TerminateAfterText(line, equals);
    key = std::string_view(line, static_cast<size_t>(keyEnd - line));
    value = std::string_view(valueStart, static_cast<size_t>(valueEnd - valueStart));
    return true;
}

std::string_view PropertyFile::Format(const Properties& lines, std::unique_ptr<char[]>& storage) {
    size_t length = 0;
    for (const auto& [key, value] : lines) length += key.size() + value.size() + 2;
    storage.reset(new char[length + 1]);
    char* at = storage.get();
    for (const auto& [key, value] : lines) {
        std::memcpy(at, key.data(), key.size());
        at += key.size();
        *at++ = '=';
        std::memcpy(at, value.data(), value.size());
        at += value.size();
        *at++ = '\n';
    }
    return std::string_view(storage.get(), length);
}
