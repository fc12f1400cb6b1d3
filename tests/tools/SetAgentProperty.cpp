// set_agent_property KEY VALUE: sets one property of the agent configuration file as any
// program of the device does, through its own accessor. Exit status 0 when it was saved.

#include <cstdio>

#include "AgentConfiguration.h"

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: set_agent_property KEY VALUE\n");
        return 2;
    }
    AgentConfiguration configuration;
    return configuration.Set(argv[1], argv[2]) ? 0 : 1;
}
