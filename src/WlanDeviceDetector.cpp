#include "WlanDeviceDetector.h"

#include "ZelLog.h"

namespace {

constexpr const char* kLogSource = "WlanDeviceDetector";

}  // namespace

WlanDeviceDetector::~WlanDeviceDetector() = default;

WlanCardType WlanDeviceDetector::DetectCardType() {
    ZEL_INFO("%s", kFoundAtherosMessage);
    return kAtherosPcieCard;
}

std::string WlanDeviceDetector::GetInterfaceName() { return InterfaceNameOf(DetectCardType()); }

std::string WlanDeviceDetector::InterfaceNameOf(WlanCardType type) {
    switch (type) {
        case kAth0Card:
            return "ath0";
        case kRa0Card:
            return "ra0";
        case kAtherosPcieCard:
            return "wlan0";
        default:
            return "";
    }
}
