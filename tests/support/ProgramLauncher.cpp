#include "ProgramLauncher.h"

std::vector<std::string> ProgramLauncher::Argv(const std::vector<std::string>& command) {
    std::vector<std::string> argv;
#ifdef PROGRAM_EMULATOR
    argv.push_back(PROGRAM_EMULATOR);
#endif
    argv.insert(argv.end(), command.begin(), command.end());
    return argv;
}
