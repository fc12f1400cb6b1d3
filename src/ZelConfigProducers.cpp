// The producers of the store's start-up: what the device is, which software it runs, and
// the declarations of its live state attributes.

#include <sys/ioctl.h>

#include "AttributeKeys.h"
#include "InterfaceRequest.h"
#include "VersionText.h"
#include "WlanDeviceDetector.h"
#include "ZelConfig.h"

namespace {

// Sources of the start-up producers.
constexpr const char* kWlanMacPath = "/config/wlan.mac";
constexpr const char* kBootVersionPath = "/etc/VERSION";
constexpr const char* kBootPackagePath = "/etc/PACKAGE_VERSION";
constexpr const char* kAppVersionPath = "/app/VERSION";
constexpr const char* kAppPackagePath = "/app/PACKAGE_VERSION";
constexpr const char* kLivePatchPath = "/livepatch/lp.info";

using namespace attributekey;

constexpr const char* kDefaultSerial = "2100000";
constexpr const char* kDefaultHardwareVersion = "ir12345";
constexpr const char* kDeviceIdPrefix = "ORVA";
constexpr const char* kDeviceTypeName = "ORVA-Neo";
constexpr const char* kBatteryCapacityValue = "0";
constexpr const char* kModelR1 = "ORVA R1";
constexpr const char* kModelR2 = "ORVA R2";
constexpr const char* kModelR2Kpt = "ORVA R2 kpt";
constexpr const char* kModelNeoR = "ORVA Neo R";
constexpr const char* kTrue = "true";
constexpr const char* kFalse = "false";
constexpr const char* kPatchNumberKey = "PatchNum";
constexpr const char* kPatchInfoKey = "PatchInfo";
constexpr const char* kOrvaCKey = "ORVAC_Present";
constexpr const char* kOrvaDKey = "ORVAD_Present";
constexpr const char* kNotConnected = "0";

// One attribute a producer declares: computed by `refresher`, or the fixed `value`.
struct Declaration {
    const char* key;
    Refresher* refresher;
    const char* value;
};

const Declaration kPowerAttributes[] = {
    {kVoltageKl15, ZelConfig::ReadSf2StatusValue, nullptr},
    {kVoltageKl30, ZelConfig::ReadSf2StatusValue, nullptr},
    {kFanSpeed, nullptr, "0"},
    {kFanState, nullptr, "0"},
    {kKl15Trigger, ZelConfig::RefreshKl15Trigger, nullptr},
    {kPowerFailStatus, ZelConfig::RefreshPowerFailStatus, nullptr},
};

const Declaration kVehicleLinkAttributes[] = {
    {kWolkVin, ZelConfig::RefreshVehicleLink, nullptr},
    {kWolkAvailable, ZelConfig::RefreshVehicleLink, nullptr},
    {kWolkGateway, ZelConfig::RefreshVehicleLink, nullptr},
    {kWolkControlUnits, ZelConfig::RefreshVehicleLink, nullptr},
    {kDoip, ZelConfig::RefreshVehicleLink, nullptr},
};

const Declaration kThermalAttributes[] = {
    {kTemperature, ZelConfig::RefreshTemperature, nullptr},
    {kCriticalTemperature, ZelConfig::RefreshTemperature, nullptr},
};

const Declaration kMostAttributes[] = {
    {kMostLightOn, ZelConfig::RefreshMostState, nullptr},
    {kMostPresent, ZelConfig::RefreshMostState, nullptr},
};

const Declaration kNetworkAttributes[] = {
    {kLanIp, ZelConfig::RefreshInterfaceAddress, nullptr},
    {kLanNetmask, ZelConfig::RefreshInterfaceAddress, nullptr},
    {kWlanIp, ZelConfig::RefreshInterfaceAddress, nullptr},
    {kWlanNetmask, ZelConfig::RefreshInterfaceAddress, nullptr},
    {kDefaultGateway, ZelConfig::RefreshDefaultGateway, nullptr},
    {kWlanQuality, ZelConfig::RefreshWlanQuality, nullptr},
};

// The model named by the first two bytes of the serial number, "" for an unknown one.
const char* ModelOf(const std::string& serial) {
    if (serial.size() < 2) return "";
    if (serial[0] == '1') {
        if (serial[1] == '1') return kModelR1;
        if (serial[1] == '8' || serial[1] == '9') return kModelR2;
    } else if (serial[0] == '2' && serial[1] == '1') {
        return kModelNeoR;
    }
    return "";
}

// The model the device software works with: the second R2 series has its own.
std::string InternalModelOf(const std::string& serial, const std::string& model) {
    return serial.compare(0, 2, "19") == 0 ? kModelR2Kpt : model;
}

bool NeedsTkip(const std::string& internalModel) {
    return !internalModel.empty() && internalModel != kModelR1 && internalModel != kModelR2;
}

template <size_t count>
bool Declare(ZelConfig& store, const Declaration (&declarations)[count]) {
    bool ok = true;
    for (const Declaration& declaration : declarations) {
        ok = (declaration.refresher != nullptr
                  ? store.SetRefresher(declaration.key, declaration.refresher)
                  : store.SetAttribute(declaration.key, declaration.value, Value)) &&
             ok;
    }
    return ok;
}

}  // namespace

void ZelConfig::DetectWlanInterface() {
    WlanDeviceDetector detector;
    wlanInterfaceName = detector.GetInterfaceName();
}

bool ZelConfig::RunProducers() {
    bool ok = InitHardwareAttributes();
    ok = InitMacAttributes() && ok;
    ok = InitVersionAttributes() && ok;
    ok = InitPowerAttributes() && ok;
    ok = InitVehicleLinkAttributes() && ok;
    ok = InitThermalAttributes() && ok;
    ok = InitMostAttributes() && ok;
    ok = InitNetworkAttributes() && ok;
    return InitConnectedDeviceAttributes() && ok;
}

bool ZelConfig::InitHardwareAttributes() {
    std::string serial = kDefaultSerial;
    std::string version = kDefaultHardwareVersion;
    bool ok = ReadFirstLine(orvaSysPath + kSerialFile, serial);
    ok = ReadFirstLine(orvaSysPath + kHardwareVersionFile, version) && ok;
    ok = SetAttribute(kSerial, serial, Value) && ok;
    ok = SetAttribute(kDeviceId, kDeviceIdPrefix + serial, Value) && ok;
    ok = SetAttribute(kDeviceType, kDeviceTypeName, Value) && ok;
    ok = SetAttribute(kHardwareVersion, version, Value) && ok;
    ok = SetAttribute(kBatteryCapacity, kBatteryCapacityValue, Value) && ok;
    const std::string model = ModelOf(serial);
    ok = SetAttribute(kDeviceTypeExternal, model, Value) && ok;
    const std::string internalModel = InternalModelOf(serial, model);
    ok = SetAttribute(kDeviceTypeInternal, internalModel, Value) && ok;
    return SetAttribute(kDeviceTypeTkip, NeedsTkip(internalModel) ? kTrue : kFalse, Value) && ok;
}

bool ZelConfig::InitMacAttributes() {
    InterfaceRequest request(InterfaceRequest::kWiredInterface);
    if (!request.HasSocket()) return false;
    bool ok = request.Ask(SIOCGIFHWADDR);
    ok = SetAttribute(kLanMac, request.HardwareAddressText(), Value) && ok;
    std::string wlanMac;
    ok = ReadFirstLine(kWlanMacPath, wlanMac) && ok;
    return SetAttribute(kWlanMac, wlanMac, Value) && ok;
}

bool ZelConfig::InitVersionAttributes() {
    std::string bootVersion, appVersion, bootPackage, appPackage, patchNumber, patchInfo;
    bool ok = ReadFirstLine(kBootVersionPath, bootVersion);
    ok = ReadFirstLine(kBootPackagePath, bootPackage) && ok;
    ok = ReadFirstLine(kAppVersionPath, appVersion) && ok;
    ok = ReadFirstLine(kAppPackagePath, appPackage) && ok;
    ok = ReadFileProperty(kLivePatchPath, kPatchNumberKey, patchNumber) && ok;
    ok = ReadFileProperty(kLivePatchPath, kPatchInfoKey, patchInfo) && ok;
    ok = VersionText::StripApplicationPrefix(appVersion) && ok;
    for (std::string* text : {&bootVersion, &appVersion, &bootPackage, &appPackage}) {
        VersionText::DropLeadingZero(*text);
    }
    ok = SetAttribute(kBootVersion, bootVersion, Value) && ok;
    ok = SetAttribute(kAppVersion, appVersion, Value) && ok;
    ok = SetAttribute(kBootPackage, bootPackage, Value) && ok;
    ok = SetAttribute(kAppPackage, appPackage, Value) && ok;
    ok = SetAttribute(kPackage, VersionText::Newer(bootPackage, appPackage), Value) && ok;
    ok = SetAttribute(kLivePatchId, patchNumber, Value) && ok;
    return SetAttribute(kLivePatchInfo, patchInfo, Value) && ok;
}

bool ZelConfig::InitPowerAttributes() { return Declare(*this, kPowerAttributes); }

bool ZelConfig::InitVehicleLinkAttributes() { return Declare(*this, kVehicleLinkAttributes); }

bool ZelConfig::InitThermalAttributes() { return Declare(*this, kThermalAttributes); }

bool ZelConfig::InitMostAttributes() { return Declare(*this, kMostAttributes); }

bool ZelConfig::InitNetworkAttributes() { return Declare(*this, kNetworkAttributes); }

bool ZelConfig::InitConnectedDeviceAttributes() {
    std::string orvaC = kNotConnected;
    bool ok = ReadOrvaCPresent(orvaC);
    ok = SetAttribute(kOrvaCConnected, orvaC, Value) && ok;
    std::string orvaD = kNotConnected;
    ok = ReadOrvaDPresent(orvaD) && ok;
    return SetAttribute(kOrvaDConnected, orvaD, Value) && ok;
}

bool ZelConfig::ReadOrvaCPresent(std::string& output) {
    std::string value;
    if (!ReadFileProperty(kSf2StaticPath, kOrvaCKey, value)) return false;
    output = value == "0" || value == "-1" ? "0" : "1";
    return true;
}

bool ZelConfig::ReadOrvaDPresent(std::string& output) {
    return ReadFileProperty(kSf2StaticPath, kOrvaDKey, output);
}
