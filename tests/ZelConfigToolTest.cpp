// zelconfig end to end, as a device engineer runs it from a shell in the private root.

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <algorithm>
#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

#include "FileText.h"
#include "LogFile.h"
#include "ProgramLauncher.h"

namespace {

struct ToolResult {
    int status = -1;
    std::string out;
    std::string err;
};

// `arguments` as the shell reads them.
ToolResult Zelconfig(const std::string& arguments) {
    std::string command;
    for (const std::string& word : ProgramLauncher::Argv({ZELCONFIG_BINARY})) command += word + " ";
    command += arguments + " >/tmp/tool.out 2>/tmp/tool.err";
    const int status = std::system(command.c_str());
    ToolResult result;
    result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    result.out = filetext::Read("/tmp/tool.out");
    result.err = filetext::Read("/tmp/tool.err");
    return result;
}

void ExpectResult(const std::string& arguments, int status, const std::string& out,
                  const std::string& err = "") {
    const ToolResult result = Zelconfig(arguments);
    EXPECT_EQ(result.status, status) << arguments;
    EXPECT_EQ(result.out, out) << arguments;
    EXPECT_EQ(result.err, err) << arguments;
}

TEST(ZelConfigToolTest, HelpAndUsageErrors) {
    const ToolResult help = Zelconfig("--help");
    EXPECT_EQ(help.status, 0);
    for (const char* part : {"get KEY...", "show", "set KEY VALUE", "summary", "color-code NAME",
                             "color-name CODE", "wpa PATH", "EXIT STATUS", "FILES"}) {
        EXPECT_NE(help.out.find(part), std::string::npos) << part;
    }
    const std::string hint = "Try 'zelconfig --help'.\n";
    ExpectResult("", 2, "", "zelconfig: no command given\n" + hint);
    ExpectResult("reserve", 2, "", "zelconfig: unknown command 'reserve'\n" + hint);
    ExpectResult("get", 2, "",
                 "zelconfig: wrong number of arguments; usage: zelconfig get KEY...\n" + hint);
    ExpectResult("set tol.port", 2, "",
                 "zelconfig: wrong number of arguments; usage: zelconfig set KEY VALUE\n" + hint);
    EXPECT_EQ(Zelconfig("show extra").status, 2);
}

TEST(ZelConfigToolTest, SetGetAndShowTheStore) {
    ExpectResult("set tol.port 5302", 0, "");
    EXPECT_NE(filetext::Read("/config/agent.configuration").find("\ntol.port=5302\n"),
              std::string::npos);
    ExpectResult("get tol.port zel.state.current system.info.size_ram", 0, "5302\n4\n255288\n");
    ExpectResult("get no.such.key tol.port", 1, "\n5302\n",
                 "zelconfig: can't read attribute no.such.key\n");
    ExpectResult("set 'a=b' value", 1, "", "zelconfig: can't set property a=b\n");

    const ToolResult show = Zelconfig("show");
    EXPECT_EQ(show.status, 0);
    std::istringstream lines(show.out);
    std::vector<std::string> keys;
    for (std::string line; std::getline(lines, line);)
        keys.push_back(line.substr(0, line.find('=')));
    EXPECT_TRUE(std::is_sorted(keys.begin(), keys.end()));
    for (const char* line : {"\ntol.port=5302\n", "\nzel.state.current=4\n",
                             "\nsystem.info.size_ram=255288\n", "\nkald.mode=KALD\n"}) {
        EXPECT_NE(show.out.find(line), std::string::npos) << line;
    }
    // Failures are logged as the configuration pages log theirs.
    const std::string line = logfile::LineWithMessage("can't read attribute no.such.key");
    EXPECT_NE(line.find("error     configwebloghandler"), std::string::npos) << line;
    EXPECT_NE(line.find("ZelConfigTool"), std::string::npos) << line;
}

TEST(ZelConfigToolTest, SummaryAndColors) {
    ExpectResult("summary", 0, "[0+;1+;2?;3?]\n");
    ExpectResult("color-code white", 0, "#ede3d3\n");
    ExpectResult("color-name '#acaea6'", 0, "grey\n");
    ExpectResult("color-code White", 1, "", "zelconfig: no device color is named 'White'\n");
}

TEST(ZelConfigToolTest, WpaWritesTheFileOrKeepsThePreviousOne) {
    filetext::Write("/config/agent.configuration",
                    "wlan.conf.infra.security.level=109\nwlan.conf.ap.ssid=ap\n"
                    "wlan.conf.ap.psk=key\nwlan.conf.ap.channel=11\n");
    ExpectResult("wpa /tmp/wpa.conf", 0, "");
    EXPECT_EQ(filetext::Read("/tmp/wpa.conf"),
              "network={\n  channel=11\n  mode=3\n  ssid=\"ap\"\n  proto=RSN\n"
              "  key_mgmt=WPA-PSK\n  psk=\"key\"\n}\n");
    ExpectResult("set wlan.conf.ap.psk 'a\"b'", 0, "");
    ExpectResult("wpa /tmp/wpa.conf", 1, "",
                 "zelconfig: can't write the wpa_supplicant configuration /tmp/wpa.conf (reason "
                 "in /tmp/log/configweb.log)\n");
    EXPECT_NE(filetext::Read("/tmp/wpa.conf").find("psk=\"key\""), std::string::npos);
}

}  // namespace
