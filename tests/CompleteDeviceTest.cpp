// The store's start-up on a complete device: every source present, and a wired interface
// "eth0" in the private network (the launcher gives it 02:00:5e:10:00:01, 192.0.2.10/24).

#include <gtest/gtest.h>

#include "ConfigWebLogging.h"
#include "Device.h"
#include "ZelConfig.h"

TEST(CompleteDeviceTest, StartUpSetsEveryAttributeAndDoesNotWarn) {
    device::InstallComplete();
    {
        ConfigWebLogging logging;
        ZelConfig store;
        std::string all, value, signal, ratio;
        for (const char* key : {"network.mac.lan", "network.mac.wlan", "network.current.lan.ip", "network.current.lan.netmask",
                                "system.version.app", "system.livepatch.id", "system.livepatch.info", "diag.connected.orva_c",
                                "diag.connected.orva_d", "network.current.defaultgateway", "network.current.wlan.quality"}) {
            const bool read = store.GetAttribute(key, value);
            all += (read ? "" : "!") + value + " ";
        }
        EXPECT_EQ(all, "02:00:5e:10:00:01 00-1A-2B-3C-4D-5E 192.0.2.10 255.255.255.0 10806 12 clock fix 1 -1 192.168.1.1 -45 ");
        EXPECT_TRUE(store.ReadWlanSignalNoise(signal, ratio));
        EXPECT_EQ(signal + " " + ratio, "-45 50");
        device::Write("/stubs/output/iw_dev_wlan0_link", "Not connected.\n");
        EXPECT_TRUE(store.ReadWlanSignalNoise(signal, ratio));
        EXPECT_EQ(signal + " " + ratio, "0 0");
    }
    EXPECT_EQ(device::Read(device::kLog).find("Can't open"), std::string::npos);
    EXPECT_EQ(device::Read(device::kLog).find("Warning"), std::string::npos);
}
