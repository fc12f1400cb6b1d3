#include "AgentConfiguration.h"

AgentConfiguration::AgentConfiguration() = default;

AgentConfiguration::~AgentConfiguration() = default;

std::string AgentConfiguration::Get(const std::string& key) const {
    std::string value;
    return Find(key, value) ? value : key + kNotFound;
}

bool AgentConfiguration::Find(const std::string& key, std::string& value) const {
    return ZelConfig::ReadFileProperty(ZelConfig::kAgentConfigurationPath, key, value);
}

void AgentConfiguration::FindAll(const std::vector<std::string>& keys,
                                 std::vector<std::string>& values, std::vector<bool>& found) const {
    ZelConfig::ReadFileProperties(ZelConfig::kAgentConfigurationPath, keys, values, found);
}

bool AgentConfiguration::Set(const std::string& key, const std::string& value) {
    return store.SetProperty(key, value) && store.SaveAgentConfiguration();
}

bool AgentConfiguration::SetAll(const Properties& properties) {
    for (const auto& [key, value] : properties) {
        if (!ZelConfig::IsStorableProperty(key, value))
            return store.SetProperty(key, value);  // logs the refusal
    }
    for (const auto& [key, value] : properties) store.SetProperty(key, value);
    return store.SaveAgentConfiguration();
}
