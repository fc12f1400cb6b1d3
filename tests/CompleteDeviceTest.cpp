// The store's start-up on a complete device, with a wired "eth0" (02:00:5e:10:00:01, 192.0.2.10/24).

#include <gtest/gtest.h>

#include "ConfigWebLogging.h"
#include "Device.h"
#include "ZelConfig.h"

TEST(CompleteDeviceTest, StartUpSetsEveryAttributeAndDoesNotWarn) {
    device::InstallComplete();
    ConfigWebLogging logging;
    ZelConfig store;
    std::string all, value, level, ratio;
    for (const char* key : {"network.mac.lan", "network.mac.wlan", "network.current.lan.ip",
                            "network.current.lan.netmask", "system.livepatch.id"}) {
        all += (store.GetAttribute(key, value) ? "" : "!") + value + " ";
    }
    EXPECT_EQ(all, "02:00:5e:10:00:01 00-1A-2B-3C-4D-5E 192.0.2.10 255.255.255.0 12 ");
    EXPECT_EQ((store.ReadWlanSignalNoise(level, ratio) ? "" : "!") + level + " " + ratio, "-45 50");
    device::Write("/stubs/output/iw_dev_wlan0_survey_dump", "");  // no noise: the signal alone is no answer
    EXPECT_EQ((store.ReadWlanSignalNoise(level, ratio) ? "" : "!") + level + " " + ratio, "!0 0");
    device::Write("/stubs/output/iw_dev_wlan0_link", "Not connected.\n");
    EXPECT_EQ((store.ReadWlanSignalNoise(level, ratio) ? "" : "!") + level + " " + ratio, "0 0");
    device::ExpectPieces(device::Read(device::kLog), "!Can't open|!Warning");
}
