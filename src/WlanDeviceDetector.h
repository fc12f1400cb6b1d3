#ifndef SRC_WLANDEVICEDETECTOR_H
#define SRC_WLANDEVICEDETECTOR_H

#include <cstdint>
#include <string>

// The kind of WLAN card the device carries.
typedef int32_t WlanCardType;

// Tells which WLAN card the device carries and so the name of its WLAN interface. Every
// device of this generation carries the Atheros PCIe card; the hardware is not probed.
class WlanDeviceDetector {
public:
    static constexpr WlanCardType kAth0Card = 0;
    static constexpr WlanCardType kRa0Card = 1;
    static constexpr WlanCardType kAtherosPcieCard = 2;
    static constexpr const char* kFoundAtherosMessage = "* Found Atheros PCIe wlan card";

    virtual ~WlanDeviceDetector();

    // Logs the card found (info) and returns its type.
    WlanCardType DetectCardType();
    // The interface name of the detected card.
    std::string GetInterfaceName();
    // "ath0", "ra0", "wlan0" for the known cards, "" for any other value.
    static std::string InterfaceNameOf(WlanCardType type);
};

#endif
