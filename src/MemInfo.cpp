#include "MemInfo.h"

#include <string_view>

namespace {

constexpr std::string_view kUnit = "kB";

bool FindLine(std::string_view text, size_t lineIndex, std::string_view& line) {
    size_t begin = 0;
    for (size_t index = 0; index < lineIndex; ++index) {
        const size_t lineFeed = text.find('\n', begin);
        if (lineFeed == std::string_view::npos) return false;
        begin = lineFeed + 1;
    }
    if (begin >= text.size()) return false;
    line = text.substr(begin, text.find('\n', begin) - begin);
    return true;
}

}  // namespace

MemInfo::~MemInfo() = default;

bool MemInfo::Figure(const std::string& text, size_t lineIndex, std::string& output) {
    output.clear();
    std::string_view line;
    if (!FindLine(text, lineIndex, line)) return false;
    const size_t colon = line.find(':');
    if (colon == std::string_view::npos) return false;
    const size_t start = line.find_first_not_of(' ', colon + 1);
    if (start == std::string_view::npos) return false;
    const size_t unit = line.find(kUnit);
    const size_t stop = unit == std::string_view::npos ? line.size() : unit - 1;
    if (unit == 0 || stop <= start) return false;
    output.assign(line.substr(start, stop - start));
    return true;
}
