#ifndef CONFIGWEB_AGENTCONFIGURATION_H
#define CONFIGWEB_AGENTCONFIGURATION_H

#include <string>
#include <utility>
#include <vector>

#include "ZelConfig.h"

// Reads and changes single properties of the agent configuration file
// ("/config/agent.configuration"). Each operation that needs a property makes its own
// object on the stack; constructing one runs the whole attribute start-up and loads the
// file into its store, so a save writes every property and not only those set here.
class AgentConfiguration {
public:
    // Appended to the key by Get when the property is missing.
    static constexpr const char* kNotFound = " not found";

    AgentConfiguration();
    AgentConfiguration(const AgentConfiguration&) = delete;
    AgentConfiguration& operator=(const AgentConfiguration&) = delete;
    virtual ~AgentConfiguration();

    // The value of `key` in the live file as it is now (not the backup, not this object's
    // store), or the key followed by " not found".
    std::string Get(const std::string& key) const;
    // As Get, into `value`; false (and `value` unchanged) when the property is missing or
    // the file can't be read.
    bool Find(const std::string& key, std::string& value) const;
    // As Find for several keys, from one read of the file: `found[i]` whether `keys[i]` is
    // there (all false when the file can't be read), `values[i]` its value or "".
    void FindAll(const std::vector<std::string>& keys, std::vector<std::string>& values,
                 std::vector<bool>& found) const;
    // This object's store: the attributes of the device, live ones computed when read.
    const ZelConfig& Store() const { return store; }
    // Sets the property and saves the whole file. False when the value can't be stored
    // (see ZelConfig::SetProperty) or the save failed.
    bool Set(const std::string& key, const std::string& value);
    using Properties = std::vector<std::pair<std::string, std::string>>;
    // Sets every property and saves the file once: all of them are stored or none (a value
    // that can't be stored saves nothing). False when one can't be stored or the save failed.
    bool SetAll(const Properties& properties);

private:
    ZelConfig store;
};

#endif
