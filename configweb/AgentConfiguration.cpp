#include "AgentConfiguration.h"

AgentConfiguration::AgentConfiguration() = default;

AgentConfiguration::~AgentConfiguration() = default;

std::string AgentConfiguration::Get(const std::string& key) const {
    std::string value;
    if (!ZelConfig::ReadFileProperty(ZelConfig::kAgentConfigurationPath, key, value)) {
        return key + kNotFound;
    }
    return value;
}

bool AgentConfiguration::Set(const std::string& key, const std::string& value) {
    return store.SetProperty(key, value) && store.SaveAgentConfiguration();
}
