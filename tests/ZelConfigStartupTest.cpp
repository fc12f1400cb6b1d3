// The store's start-up on a bare device root and the producers' rules, in the private root.

#include <gtest/gtest.h>

#include "AttributeReading.h"
#include "ConfigWebLogging.h"
#include "FileText.h"
#include "LogFile.h"
#include "WlanDeviceDetector.h"
#include "ZelConfig.h"

namespace {

constexpr const char* kWarning = "Warning: not all attributes initialized successfully!";
constexpr const char* kFoundCard = "* Found Atheros PCIe wlan card";

using attributes::ExpectAll;
using attributes::Read;

TEST(ZelConfigStartupTest, ABareDeviceGivesTheDefaultsAndOneWarning) {
    {
        ConfigWebLogging logging;
        ZelConfig store;
        ExpectAll(store, {
            {"hardware.serial", "2100000"}, {"hardware.devid", "ORVA2100000"},
            {"hardware.devtype", "ORVA-Neo"}, {"hardware.version", "ir12345"},
            {"hardware.batttery.capactiy", "0"}, {"hardware.devtype_ext", "ORVA Neo R"},
            {"hardware.devtype_int", "ORVA Neo R"}, {"hardware.devtype_tkip", "true"},
            {"network.mac.lan", "00:00:00:00:00:00"}, {"network.mac.wlan", ""},
            {"system.version.boot", ""}, {"system.version.app", ""},
            {"system.version.boot_pkg", ""}, {"system.version.app_pkg", ""},
            {"system.version.pkg", ""}, {"system.livepatch.id", ""},
            {"system.livepatch.info", ""}, {"system.thermal.fanspeed", "0"},
            {"system.thermal.fanstate", "0"}, {"diag.connected.orva_c", "0"},
            {"diag.connected.orva_d", "0"}, {"kald.mode", "KALD"}, {"zel.state.startup", "0"},
        });
        EXPECT_EQ(ZelConfig::wlanInterfaceName, "wlan0");
    }
    const std::vector<std::string> lines = logfile::Lines();
    EXPECT_EQ(logfile::MessageIndex(lines, kFoundCard), 0u) << filetext::Read(logfile::kPath);
    EXPECT_EQ(logfile::CountMessage(kFoundCard), 1u);
    EXPECT_EQ(logfile::CountMessage("Can't open /livepatch/lp.info"), 2u);
    EXPECT_EQ(logfile::CountMessage("Can't open /tmp/sf2static"), 2u);
    EXPECT_EQ(logfile::CountMessage(kWarning), 1u);
    EXPECT_EQ(logfile::MessageIndex(lines, kWarning), lines.size() - 1);
}

struct SerialCase {
    std::string file;
    const char* serial;
    const char* external;
    const char* internal;
    const char* tkip;
};

TEST(ZelConfigStartupTest, TheModelFollowsTheFirstTwoDigitsOfTheSerialNumber) {
    const SerialCase cases[] = {
        {"1112345\n", "1112345", "ORVA R1", "ORVA R1", "false"},
        {"1812345\n", "1812345", "ORVA R2", "ORVA R2", "false"},
        {"1912345\n", "1912345", "ORVA R2", "ORVA R2 kpt", "true"},
        {"2112345 \n", "2112345 ", "ORVA Neo R", "ORVA Neo R", "true"},
        {"1712345\n", "1712345", "", "", "false"},
        {"3112345\n", "3112345", "", "", "false"},
        {"1", "1", "", "", "false"},
        {"", "", "", "", "false"},
        {"\n1912345\n", "2100000", "ORVA Neo R", "ORVA Neo R", "true"},  // empty first line
    };
    for (const SerialCase& c : cases) {
        filetext::Write("/sys/orva_neo/sysinfo/sernum", c.file);
        ZelConfig store;
        ExpectAll(store, {{"hardware.serial", c.serial},
                                 {"hardware.devtype_ext", c.external},
                                 {"hardware.devtype_int", c.internal},
                                 {"hardware.devtype_tkip", c.tkip},
                                 {"hardware.devtype", "ORVA-Neo"}});
        EXPECT_EQ(Read(store, "hardware.devid"), std::string("ORVA") + c.serial);
    }
}

TEST(ZelConfigStartupTest, VersionsAreNormalisedAndThePackageIsTheTextuallyGreater) {
    filetext::Write("/etc/VERSION", "007\n");
    filetext::Write("/etc/PACKAGE_VERSION", "2.10\n");
    filetext::Write("/app/VERSION", "APPLICATION_VERSION=00.01.02  \n");
    filetext::Write("/app/PACKAGE_VERSION", "2.10\n");
    filetext::Write("/livepatch/lp.info", "#PatchNum=9\nPatchInfo = none \n");
    {
        ConfigWebLogging logging;
        ZelConfig store;
        ExpectAll(store, {{"system.version.boot", "07"},
                                 {"system.version.app", "00102  "},
                                 {"system.version.boot_pkg", "2.10"},
                                 {"system.version.app_pkg", "2.10"},
                                 {"system.version.pkg", "2.10"},
                                 {"system.livepatch.id", ""},  // commented out
                                 {"system.livepatch.info", "none"}});
    }
    // A missing key is not logged, but the start-up is incomplete.
    EXPECT_EQ(logfile::CountMessage("Can't open /livepatch/lp.info"), 0u);
    EXPECT_EQ(logfile::CountMessage(kWarning), 1u);
}

struct FlagCase {
    const char* file;
    const char* orvaC;
    const char* orvaD;
};

TEST(ZelConfigStartupTest, ConnectedUnitFlagsAreReadOnceAtStartUp) {
    const FlagCase cases[] = {
        {"ORVAC_Present=-1\nORVAD_Present=-1\n", "0", "-1"},
        {"ORVAC_Present=0\nORVAD_Present=1\n", "0", "1"},
        {"ORVAC_Present=2\n", "1", "0"},
        {"ORVAC_Present=00\nORVAD_Present = 0 \n", "1", "0"},
        {"ORVAC_Present=\n", "1", "0"},
    };
    for (const FlagCase& c : cases) {
        filetext::Write("/tmp/sf2static", c.file);
        ZelConfig store;
        ExpectAll(store, {{"diag.connected.orva_c", c.orvaC},
                                 {"diag.connected.orva_d", c.orvaD}});
        filetext::Write("/tmp/sf2static", "ORVAC_Present=0\nORVAD_Present=7\n");
        ExpectAll(store, {{"diag.connected.orva_c", c.orvaC},
                                 {"diag.connected.orva_d", c.orvaD}});
    }
}

TEST(ZelConfigStartupTest, WlanCardTypesMapToTheirInterfaces) {
    EXPECT_EQ(WlanDeviceDetector::InterfaceNameOf(0), "ath0");
    EXPECT_EQ(WlanDeviceDetector::InterfaceNameOf(1), "ra0");
    EXPECT_EQ(WlanDeviceDetector::InterfaceNameOf(2), "wlan0");
    EXPECT_EQ(WlanDeviceDetector::InterfaceNameOf(3), "");
    EXPECT_EQ(WlanDeviceDetector::InterfaceNameOf(-1), "");
}

}  // namespace
