// The private root every test runs in: it must keep the code away from this machine and
// give it the device's paths, with recording stand-ins for the tools it runs.

#include <gtest/gtest.h>
#include <net/if.h>
#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "FileText.h"

namespace {

int Shell(const std::string& command) {
    int status = std::system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST(SandboxTest, RunsWithoutCapabilitiesInItsOwnNetwork) {
    const std::string status = filetext::Read("/proc/self/status");
    EXPECT_NE(status.find("CapEff:\t0000000000000000\n"), std::string::npos) << status;
    struct if_nameindex* interfaces = ::if_nameindex();
    ASSERT_NE(interfaces, nullptr);
    std::string names;
    for (auto* i = interfaces; i->if_index != 0; ++i) names += std::string(i->if_name) + " ";
    ::if_freenameindex(interfaces);
    EXPECT_EQ(names, "lo ");
}

TEST(SandboxTest, GivesTheDevicePathsAsPrivateWritableFolders) {
    for (const char* dir : {"/config", "/tmp", "/tmp/log", "/tmp/zelcom", "/etc", "/app",
                            "/livepatch", "/sys/orva_neo/sysinfo", "/sys/kernel/debug/usb"}) {
        const std::string probe = std::string(dir) + "/probe";
        filetext::Write(probe, "x");
        EXPECT_EQ(filetext::Read(probe), "x") << dir;
    }
    EXPECT_TRUE(filetext::Exists("/dev/measure/0"));
    EXPECT_FALSE(filetext::Exists("/home"));
    EXPECT_FALSE(filetext::Exists("/root"));
}

TEST(SandboxTest, FakesTheProcFilesTheDeviceReadsAndWrites) {
    EXPECT_EQ(filetext::Read("/proc/meminfo").rfind("MemTotal:", 0), 0u);
    EXPECT_EQ(filetext::Read("/proc/net/route").rfind("Iface\t", 0), 0u);
    filetext::Write("/proc/meminfo", "MemTotal: 1 kB\n");
    EXPECT_EQ(filetext::Read("/proc/meminfo"), "MemTotal: 1 kB\n");
    EXPECT_EQ(Shell("/bin/echo 1 > /proc/sys/net/ipv4/ip_forward"), 0);
    EXPECT_EQ(filetext::Read("/proc/sys/net/ipv4/ip_forward"), "1\n");
    EXPECT_NE(filetext::Read("/proc/self/status").find("Pid:"), std::string::npos);
}

TEST(SandboxTest, StandInsRecordEachCallAndAnswerAsTold) {
    filetext::Write("/stubs/output/lsmod", "Module Size Used\nath9k 1 0\n");
    filetext::Write("/stubs/status/insmod", "3\n");
    EXPECT_EQ(Shell("/sbin/iptables -A INPUT -p tcp --dport 6801 -j ACCEPT"), 0);
    EXPECT_EQ(Shell("/usr/sbin/insmod /lib/m.ko a=1"), 3);
    EXPECT_EQ(Shell("/usr/sbin/lsmod > /tmp/lsmod.out"), 0);
    EXPECT_EQ(Shell("iw dev wlan0 link && ps"), 0);
    EXPECT_EQ(filetext::Read("/tmp/lsmod.out"), "Module Size Used\nath9k 1 0\n");
    EXPECT_EQ(filetext::Read("/stubs/calls.log"),
              "iptables -A INPUT -p tcp --dport 6801 -j ACCEPT\n"
              "insmod /lib/m.ko a=1\n"
              "lsmod\n"
              "iw dev wlan0 link\n"
              "ps\n");
}

}  // namespace
