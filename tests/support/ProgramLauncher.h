#ifndef TESTS_SUPPORT_PROGRAMLAUNCHER_H
#define TESTS_SUPPORT_PROGRAMLAUNCHER_H

#include <string>
#include <vector>

// How a test starts one of the project's own programs: on a cross build the program is a
// target executable and runs through the target's emulator, elsewhere it runs directly.
class ProgramLauncher {
public:
    // The argument vector that runs `command` (program path first, then its arguments):
    // the same words, preceded by the emulator on a cross build.
    static std::vector<std::string> Argv(const std::vector<std::string>& command);
};

#endif
