// A long run of the library in one process, in the private root: accessors, saves, whole
// requests of the handler and reads of the live attributes leave no descriptor open.

#include <cgicc/Cgicc.h>
#include <dirent.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <iostream>
#include <sstream>

#include "AgentConfiguration.h"
#include "ConfigWebLogging.h"
#include "Device.h"
#include "Program.h"
#include "SetTolSettingsCgi.h"
#include "ZelConfig.h"

size_t OpenDescriptors() {
    DIR* folder = ::opendir("/proc/self/fd");
    size_t count = 0;
    while (folder != nullptr && ::readdir(folder) != nullptr) ++count;
    if (folder != nullptr) ::closedir(folder);
    return count;
}

// Every branch of the handler in turn.
void RunRequest(int i) {
    const char* const branches[] = {"submit=Save&outlet=7&dealer=42&toladdress=10.0.0.2&tolport=5302&tolurl=/tol&dns1=&dns2=",
                                    "submit=Save&outlet=123", "remove=Remove", "removeyes=Yes", "removeno=No", "revert=Clear"};
    Query input("sessionid=" + std::to_string(i) + "&" + branches[i % 6]);
    cgicc::Cgicc cgi(&input);
    std::ostringstream answer;
    std::streambuf* out = std::cout.rdbuf(answer.rdbuf());
    SetTolSettingsCgi().HandleRequest(cgi);
    std::cout.rdbuf(out);
}

TEST(DescriptorLeakTest, AccessorsSavesRequestsAndLiveReadsLeaveNoDescriptorOpen) {
    device::Write(device::kConfig, "kald.mode=KALD-Neo\n");
    ASSERT_EQ(::mkfifo(device::kPipe, 0600), 0);  // every stored submission signals it
    ConfigWebLogging logging;                       // the log rolls during the run
    RunRequest(0);                                  // the log file is open from here on
    const size_t before = OpenDescriptors();
    for (int i = 1; i <= 3000; ++i) {
        AgentConfiguration configuration;
        EXPECT_TRUE(i % 10 != 0 || configuration.Set("long.run", std::to_string(i)));
        if (i % 5 == 0) RunRequest(i / 5);
        std::string value;
        for (const char* key : {"system.voltage.kl15", "diag.wolk.vin", "diag.most.orvabstate", "network.current.lan.ip",
                                "network.current.defaultgateway", "network.current.wlan.quality", "system.info.free_ram"}) {
            if (i % 100 == 0) ZelConfig().GetAttribute(key, value);
        }
    }
    EXPECT_EQ(OpenDescriptors(), before);
    EXPECT_TRUE(device::Exists("/tmp/log/configweb.log.1")) << "the log never rolled";
}
