// The key=value scanner and the load of the agent configuration file, against a model of
// the file syntax: whatever the live file holds, the accessor's lookup finds the first
// value of a key, and a save writes back every property the load found (the last value of
// each key) sorted, one line each, plus what was set.

#include <unistd.h>

#include <cstdint>
#include <map>
#include <string>

#include "AgentConfiguration.h"
#include "FuzzSupport.h"
#include "PropertyScanner.h"
#include "ZelConfig.h"

namespace {

using Properties = std::map<std::string, std::string>;

constexpr const char* kSetKey = "tol.port";
constexpr const char* kSetValue = "5302";

bool IsSpace(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

std::string TrimEnd(const std::string& text) {
    size_t end = text.size();
    while (end > 0 && IsSpace(text[end - 1])) --end;
    return text.substr(0, end);
}

struct FileModel {
    Properties first;
    Properties last;
};

FileModel ModelOf(const std::string& input) {
    FileModel model;
    for (const std::string& line : fuzzsupport::ScanPieces(input, PropertyScanner::kPieceLength)) {
        const size_t equals = line.find('=');
        if (line.empty() || line[0] == '#' || equals == std::string::npos) continue;
        size_t start = equals + 1;
        while (start < line.size() && IsSpace(line[start])) ++start;
        const std::string key = TrimEnd(line.substr(0, equals));
        const std::string value = TrimEnd(line.substr(start));
        model.first.emplace(key, value);
        model.last[key] = value;
    }
    return model;
}

// The saved file as written: "key=value\n" lines in ascending key order.
Properties ReadSaved(const std::string& saved) {
    fuzzsupport::Require(saved.empty() || saved.back() == '\n',
                         "a saved file without final line feed", saved);
    fuzzsupport::Require(saved.find('\0') == std::string::npos, "a saved file with a NUL", saved);
    Properties properties;
    std::string previous;
    for (size_t start = 0; start < saved.size();) {
        const size_t end = saved.find('\n', start);
        const std::string line = saved.substr(start, end - start);
        const size_t equals = line.find('=');
        fuzzsupport::Require(equals != std::string::npos, "a saved line without \"=\"", line);
        const std::string key = line.substr(0, equals);
        fuzzsupport::Require(properties.empty() || previous < key, "saved keys out of order",
                             saved);
        properties[key] = line.substr(equals + 1);
        previous = key;
        start = end + 1;
    }
    return properties;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string input = fuzzsupport::Text(data, size);
    ::unlink(ZelConfig::kAgentConfigurationOldPath);
    fuzzsupport::WriteFile(ZelConfig::kAgentConfigurationPath, input);
    const FileModel model = ModelOf(input);

    AgentConfiguration configuration;
    if (!model.first.empty()) {
        const auto& [key, value] = *model.first.begin();
        fuzzsupport::Require(configuration.Get(key) == value, "Get differs from the first value",
                             input);
    }
    fuzzsupport::Require(configuration.Set(kSetKey, kSetValue), "the save failed", input);

    Properties expected = model.last;
    expected.emplace(ZelConfig::kKaldModeKey, ZelConfig::kKaldModeDefault);
    expected[kSetKey] = kSetValue;
    const Properties saved = ReadSaved(fuzzsupport::ReadFile(ZelConfig::kAgentConfigurationPath));
    fuzzsupport::Require(saved == expected, "the saved properties differ from the loaded ones",
                         input);
    fuzzsupport::Require(fuzzsupport::ReadFile(ZelConfig::kAgentConfigurationOldPath) == input,
                         "the backup is not the file before the save", input);
    fuzzsupport::Require(!fuzzsupport::Exists(ZelConfig::kAgentConfigurationNewPath),
                         "a \".new\" file is left", input);
    return 0;
}
