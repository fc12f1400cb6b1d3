// zelconfig as a device engineer runs it, in the private root: one transcript of calls,
// each with its exit status, standard output and a part of its standard error.

#include <gtest/gtest.h>

#include <algorithm>

#include "Device.h"
#include "Program.h"

namespace {

using namespace device;

struct Call {
    std::vector<std::string> args;
    int status;
    const char* out;  // nullptr: not compared
    const char* err;  // a part of standard error; "": none written
};

TEST(ToolTest, EachCallAnswersWithItsStatusAndOutput) {
    // clang-format off
    const Call transcript[] = {
        {{}, 2, "", "no command given"}, {{"reserve"}, 2, "", "unknown command 'reserve'"}, {{"get"}, 2, "", "usage: zelconfig get KEY..."},
        {{"set", "tol.port"}, 2, "", "usage: zelconfig set KEY VALUE"}, {{"show", "extra"}, 2, "", "Try 'zelconfig --help'."},
        {{"set", "tol.port", "5302"}, 0, "", ""}, {{"get", "tol.port", "zel.state.current", "system.info.size_ram"}, 0, "5302\n4\n255288\n", ""},
        {{"get", "no.such.key", "tol.port"}, 1, "\n5302\n", "can't read attribute no.such.key"},
        {{"set", "a=b", "value"}, 1, "", "can't set property a=b"}, {{"set", "tol.port", "  5303 "}, 1, "", "begins or ends with a blank"},
        {{"set", "tol.port", "5303\t"}, 1, "", "begins or ends with a blank"}, {{"get", "tol.port"}, 0, "5302\n", ""}, {{"summary"}, 0, "[0+;1+;2?;3?]\n", ""},
        {{"color-code", "white"}, 0, "#ede3d3\n", ""}, {{"color-name", "#acaea6"}, 0, "grey\n", ""},
        {{"color-code", "White"}, 1, "", "no device color is named 'White'"}, {{"--help"}, 0, nullptr, ""},
        {{"set", "wlan.conf.infra.security.level", "109"}, 0, "", ""}, {{"set", "wlan.conf.ap.ssid", "ap"}, 0, "", ""},
        {{"set", "wlan.conf.ap.psk", "device key"}, 0, "", ""}, {{"set", "wlan.conf.ap.channel", "11"}, 0, "", ""},
        {{"wpa", "/tmp/wpa.conf"}, 0, "", ""}, {{"set", "wlan.conf.ap.psk", "a\"b"}, 0, "", ""},
        {{"wpa", "/tmp/wpa.conf"}, 1, "", "can't write the wpa_supplicant configuration /tmp/wpa.conf"},
    };
    // clang-format on
    for (const Call& call : transcript) {
        std::vector<std::string> argv = {ZELCONFIG_BINARY};
        argv.insert(argv.end(), call.args.begin(), call.args.end());
        const Outcome outcome = Program(argv).Run();
        const std::string words = call.args.empty() ? "" : call.args[0] + " " + (call.args.size() > 1 ? call.args[1] : "");
        EXPECT_EQ(outcome.status, call.status) << words;
        EXPECT_EQ(call.out != nullptr ? outcome.out : "", call.out != nullptr ? call.out : "") << words;
        EXPECT_TRUE(*call.err == '\0' ? outcome.err.empty() : outcome.err.find(call.err) != std::string::npos) << words << ": " << outcome.err;
    }
    EXPECT_EQ(Read("/tmp/wpa.conf"), "network={\n  channel=11\n  mode=3\n  ssid=\"ap\"\n  proto=RSN\n"
                                     "  key_mgmt=WPA-PSK\n  psk=\"device key\"\n}\n");
    const Outcome show = Program({ZELCONFIG_BINARY, "show"}).Run();
    std::vector<std::string> keys;
    for (const std::string& line : Lines(show.out)) keys.push_back(line.substr(0, line.find('=')));
    EXPECT_TRUE(show.status == 0 && std::is_sorted(keys.begin(), keys.end()));
    ExpectPieces(show.out, "\nkald.mode=KALD\n|\ntol.port=5302\n|\nzel.state.current=4\n");
    EXPECT_NE(Read(kLog).find("error     configwebloghandler"), std::string::npos);
}

}  // namespace
