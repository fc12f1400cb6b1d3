// The agent configuration file: whatever it holds, Get finds each key's first value, and a
// save writes each key's last value, sorted, one line each, plus what was set.
#include <map>

#include "AgentConfiguration.h"
#include "FuzzSupport.h"
#include "PropertyScanner.h"

void CheckInput(const std::string& input) {
    WriteFile(ZelConfig::kAgentConfigurationPath, input);
    std::map<std::string, std::string> first, last;
    for (const std::string& line : Pieces(input, PropertyScanner::kPieceLength)) {
        const size_t equals = line.find('=');  // not a property: a comment, a line without "="
        if (line[0] == '#' || equals == std::string::npos) continue;
        std::string key = line.substr(0, equals), value = line.substr(equals + 1);
        key.erase(key.find_last_not_of(kSpace) + 1);      // the key without white space at its end,
        value.erase(value.find_last_not_of(kSpace) + 1);  // the value without any at either end
        value.erase(0, value.find_first_not_of(kSpace));
        first.emplace(key, value);
        last[key] = value;
    }
    AgentConfiguration configuration;
    for (const auto& [key, value] : first) Require(configuration.Get(key) == value, "Get");
    Require(configuration.Set("tol.port", "5302"), "the save failed");
    last.emplace(ZelConfig::kKaldModeKey, ZelConfig::kKaldModeDefault);
    last["tol.port"] = "5302";
    std::string saved;
    for (const auto& [key, value] : last) saved += key + "=" + value + "\n";
    Require(ReadFile(ZelConfig::kAgentConfigurationPath) == saved, "the saved file");
    Require(ReadFile(ZelConfig::kAgentConfigurationOldPath) == input, "the backup");
    Require(!std::ifstream(ZelConfig::kAgentConfigurationNewPath), "a \".new\" file left");
}
