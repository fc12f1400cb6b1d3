#ifndef SRC_ATTRIBUTEKEYS_H
#define SRC_ATTRIBUTEKEYS_H

// Keys of the attributes the store's start-up declares, for the producers, the refreshers
// that answer by key, and the store's callers.
namespace attributekey {

// Identity and MAC addresses, read once at start-up.
constexpr const char* kSerial = "hardware.serial";
constexpr const char* kDeviceId = "hardware.devid";
constexpr const char* kDeviceType = "hardware.devtype";
constexpr const char* kHardwareVersion = "hardware.version";
constexpr const char* kBatteryCapacity = "hardware.batttery.capactiy";  // spelt so on purpose
constexpr const char* kDeviceTypeExternal = "hardware.devtype_ext";
constexpr const char* kDeviceTypeInternal = "hardware.devtype_int";
constexpr const char* kDeviceTypeTkip = "hardware.devtype_tkip";
constexpr const char* kLanMac = "network.mac.lan";
constexpr const char* kWlanMac = "network.mac.wlan";

// Software versions and live patch, read once at start-up.
constexpr const char* kBootVersion = "system.version.boot";
constexpr const char* kAppVersion = "system.version.app";
constexpr const char* kBootPackage = "system.version.boot_pkg";
constexpr const char* kAppPackage = "system.version.app_pkg";
constexpr const char* kPackage = "system.version.pkg";
constexpr const char* kLivePatchId = "system.livepatch.id";
constexpr const char* kLivePatchInfo = "system.livepatch.info";

// Power and thermal state.
constexpr const char* kVoltageKl15 = "system.voltage.kl15";
constexpr const char* kVoltageKl30 = "system.voltage.kl30";
constexpr const char* kFanSpeed = "system.thermal.fanspeed";
constexpr const char* kFanState = "system.thermal.fanstate";
constexpr const char* kKl15Trigger = "system.voltage.kl15trig";
constexpr const char* kPowerFailStatus = "system.pwf.status";
constexpr const char* kTemperature = "system.thermal.temp";
constexpr const char* kCriticalTemperature = "system.thermal.tempcrit";

// Vehicle link and MOST bus.
constexpr const char* kWolkVin = "diag.wolk.vin";
constexpr const char* kWolkAvailable = "diag.wolk.available";
constexpr const char* kWolkGateway = "diag.wolk.gateway";
constexpr const char* kWolkControlUnits = "diag.wolk.sg_list";
constexpr const char* kDoip = "diag.doip";
constexpr const char* kMostLightOn = "diag.most.lighton";
constexpr const char* kMostPresent = "diag.most.orvabstate";

// Network state.
constexpr const char* kLanIp = "network.current.lan.ip";
constexpr const char* kLanNetmask = "network.current.lan.netmask";
constexpr const char* kWlanIp = "network.current.wlan.ip";
constexpr const char* kWlanNetmask = "network.current.wlan.netmask";
constexpr const char* kDefaultGateway = "network.current.defaultgateway";
constexpr const char* kWlanQuality = "network.current.wlan.quality";

// Attached units, read once at start-up.
constexpr const char* kOrvaCConnected = "diag.connected.orva_c";
constexpr const char* kOrvaDConnected = "diag.connected.orva_d";

// Reservation of the device by a client host.
constexpr const char* kStateCurrent = "zel.state.current";
constexpr const char* kStateHandle = "zel.state.handle";
constexpr const char* kStateOwner = "zel.state.owner";
constexpr const char* kStateUuid = "zel.state.uuid";
constexpr const char* kStateHostLock = "zel.state.hostlock";

// The store's own, fixed at start-up.
constexpr const char* kZelVersion = "zel.version";
constexpr const char* kSvnVersion = "zel.svn.version";
constexpr const char* kNetworkType = "net.current.networktype";

// On demand.
constexpr const char* kFreeRam = "system.info.free_ram";
constexpr const char* kSizeRam = "system.info.size_ram";
constexpr const char* kTimestamp = "system.timestamp";

}  // namespace attributekey

#endif
