#include "FormState.h"

#include "AgentConfiguration.h"

FormState::~FormState() = default;

bool FormState::FindStored(const std::string& key, std::string& value) const {
    std::string stored = Stored(key);
    if (stored == key + AgentConfiguration::kNotFound) return false;
    value.swap(stored);
    return true;
}
