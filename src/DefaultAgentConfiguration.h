#ifndef SRC_DEFAULTAGENTCONFIGURATION_H
#define SRC_DEFAULTAGENTCONFIGURATION_H

#include <string_view>

// The factory settings of the diagnostic agent: written as the agent configuration file
// when a device has neither the file nor its backup.
class DefaultAgentConfiguration {
public:
    // Two comment lines and 88 properties, every line ending with a line feed.
    static std::string_view Content();
};

#endif
