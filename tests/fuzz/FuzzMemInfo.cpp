// The reader of "/proc/meminfo": any content gives a figure taken from the line it names,
// never more, and never disturbs the caller.

#include <cstdint>
#include <string>

#include "AttributeKeys.h"
#include "FuzzSupport.h"
#include "MemInfo.h"
#include "ZelConfig.h"

namespace {

// The line `index` (0 for the first) of the part of the file that is read.
std::string Line(const std::string& text, size_t index) {
    size_t begin = 0;
    for (size_t i = 0; i < index && begin != std::string::npos; ++i) {
        begin = text.find('\n', begin);
        if (begin != std::string::npos) ++begin;
    }
    if (begin == std::string::npos || begin > text.size()) return std::string();
    return text.substr(begin, text.find('\n', begin) - begin);
}

void CheckFigure(const char* key, const std::string& line) {
    std::string output;
    const bool found = ZelConfig::RefreshMemoryInfo(key, output) != 0;
    fuzzsupport::Require(found || output.empty(), "a failed read left a figure", output);
    if (!found) return;
    fuzzsupport::Require(!output.empty(), "a figure that is empty", line);
    fuzzsupport::Require(line.find(output) != std::string::npos,
                         "a figure that is not part of its line", line);
    fuzzsupport::Require(output.find('\n') == std::string::npos, "a figure with a line feed",
                         output);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string input = fuzzsupport::Text(data, size);
    fuzzsupport::WriteFile(MemInfo::kPath, input);
    const std::string read = input.substr(0, MemInfo::kReadLimit);
    CheckFigure(attributekey::kSizeRam, Line(read, 0));
    CheckFigure(attributekey::kFreeRam, Line(read, 1));
    std::string output;
    fuzzsupport::Require(ZelConfig::RefreshMemoryInfo("other.key", output) == 0,
                         "a figure for a key that has none", output);
    return 0;
}
