// The reader of "/proc/meminfo": a figure is taken from the line it names, or there is none.
#include "FuzzSupport.h"
#include "MemInfo.h"

void CheckInput(const std::string& input) {
    WriteFile(MemInfo::kPath, input);
    std::istringstream lines(input.substr(0, MemInfo::kReadLimit));
    std::string line, output;
    for (const char* key : {attributekey::kSizeRam, attributekey::kFreeRam}) {
        if (!std::getline(lines, line)) line.clear();  // no such line
        const bool found = ZelConfig::RefreshMemoryInfo(key, output) != 0;
        Require(found != output.empty(), "an empty figure, or one of a failed read");
        Require(line.find(output) != std::string::npos, "a figure that is not part of its line");
    }
    Require(ZelConfig::RefreshMemoryInfo("other.key", output) == 0, "a figure for no key");
}
