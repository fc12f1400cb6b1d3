// zelconfig: reads and changes the device's attribute store and agent configuration from
// a shell; see ZelConfigTool and `zelconfig --help`.

#include <iostream>
#include <string>
#include <vector>

#include "ConfigWebLogging.h"
#include "ZelConfigTool.h"

int main(int argc, char** argv) {
    ConfigWebLogging logging;
    const std::vector<std::string> arguments(argv + (argc > 0 ? 1 : 0), argv + argc);
    ZelConfigTool tool(std::cout, std::cerr);
    const int status = tool.Run(arguments);
    std::cout.flush();
    return std::cout.fail() && status == ZelConfigTool::kSuccess ? ZelConfigTool::kFailure : status;
}
