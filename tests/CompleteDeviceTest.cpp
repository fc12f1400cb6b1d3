// The store's start-up on a complete device: every source present, and a wired interface
// "eth0" in the private network (the launcher gives it 02:00:5e:10:00:01 and 192.0.2.10/24).

#include <gtest/gtest.h>
#include <sys/stat.h>

#include "AttributeReading.h"
#include "ConfigWebLogging.h"
#include "FakeDevice.h"
#include "FileText.h"
#include "LogFile.h"
#include "ZelConfig.h"

namespace {

constexpr const char* kWarning = "Warning: not all attributes initialized successfully!";

TEST(CompleteDeviceTest, StartUpSetsEveryAttributeAndDoesNotWarn) {
    fakedevice::Install();
    {
        ConfigWebLogging logging;
        ZelConfig store;
        attributes::ExpectAll(store, {
            {"hardware.serial", fakedevice::kSerial},
            {"hardware.devid", "ORVA1912345"},
            {"hardware.devtype", "ORVA-Neo"},
            {"hardware.version", "ir54321 "},
            {"hardware.batttery.capactiy", "0"},
            {"hardware.devtype_ext", "ORVA R2"},
            {"hardware.devtype_int", "ORVA R2 kpt"},
            {"hardware.devtype_tkip", "true"},
            {"network.mac.lan", "02:00:5e:10:00:01"},
            {"network.mac.wlan", "00-1A-2B-3C-4D-5E"},
            {"system.version.boot", "3.05"},
            {"system.version.app", "10806"},
            {"system.version.boot_pkg", "2.10"},
            {"system.version.app_pkg", "2.9"},
            {"system.version.pkg", "2.9"},
            {"system.livepatch.id", "12"},
            {"system.livepatch.info", "clock fix"},
            {"system.voltage.kl15", "12.4"},
            {"system.voltage.kl30", "12.9"},
            {"system.thermal.fanspeed", "0"},
            {"system.thermal.fanstate", "0"},
            {"system.voltage.kl15trig", "1"},
            {"system.pwf.status", "31"},
            {"system.thermal.temp", "41"},
            {"system.thermal.tempcrit", ""},
            {"diag.wolk.vin", "WXYZ1234567890123"},
            {"diag.wolk.available", "1"},
            {"diag.wolk.gateway", ""},
            {"diag.wolk.sg_list", "[0x10;0x12]"},
            {"diag.doip", "Yes"},
            {"diag.most.lighton", "1"},
            {"diag.most.orvabstate", "1"},
            {"network.current.lan.ip", "192.0.2.10"},
            {"network.current.lan.netmask", "255.255.255.0"},
            {"network.current.defaultgateway", "192.168.1.1"},
            {"network.current.wlan.quality", "-45"},
            {"diag.connected.orva_c", "1"},
            {"diag.connected.orva_d", "-1"},
            {"system.info.size_ram", "255288"},
            {"system.info.free_ram", "163932"},
        });
    }
    const std::string log = filetext::Read(logfile::kPath);
    EXPECT_EQ(logfile::CountMessage(kWarning), 0u) << log;
    EXPECT_EQ(log.find("Can't open"), std::string::npos) << log;
}

TEST(CompleteDeviceTest, OneFailingStepWarnsOnceAndTheRestStillRuns) {
    fakedevice::Install();
    ASSERT_EQ(::mkdir("/config/agent.configuration", 0755), 0);  // can't be loaded
    {
        ConfigWebLogging logging;
        ZelConfig store;
        std::string value;
        EXPECT_TRUE(store.GetAttribute("zel.state.current", value));
        EXPECT_EQ(value, "4");
        EXPECT_TRUE(store.GetAttribute("system.timestamp", value));  // registered after the load
        EXPECT_GE(ZelConfig::measureDeviceFd, 0);
    }
    EXPECT_EQ(logfile::CountMessage(kWarning), 1u);
}

}  // namespace
