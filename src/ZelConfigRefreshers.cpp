// The refreshers of the store: every read of a live attribute asks its source anew.

#include "ZelConfig.h"

#include <sys/ioctl.h>
#include <sys/time.h>

#include "AttributeKeys.h"
#include "CNumber.h"
#include "InputFile.h"
#include "InterfaceRequest.h"
#include "MemInfo.h"
#include "RouteTable.h"
#include "Shell.h"
#include "TextScanner.h"
#include "VehicleLinkStatus.h"
#include "ZelLog.h"

namespace {

constexpr const char* kLogSource = "ZelConfig";

constexpr const char* kUsbDevicesPath = "/sys/kernel/debug/usb/devices";
constexpr const char* kMostStatePath = "/tmp/moststate";
// The USB device list is searched for the MOST interface within this many bytes.
constexpr size_t kUsbDevicesReadLimit = 8192;
constexpr const char* kMostInterfaceId = "Vendor=103a ProdID=000b";

// Log texts of the refreshers.
constexpr const char* kCanClMissing = "Can't open file /proc/sys/atmel/cancl";
constexpr const char* kCanPwfMissing = "Can't open file /proc/sys/atmel/canpwf_info";
constexpr const char* kMemInfoMissing = "Can't open file /proc/meminfo";
constexpr const char* kTimestampMessage = "Timestamp %lld";

using namespace attributekey;

constexpr const char* kKl15File = "KL15ewb";
constexpr const char* kKl30File = "KL30";
constexpr const char* kKl15StatusFile = "KL15Status";
constexpr const char* kKl15Triggered = "2";
constexpr const char* kCanClStatusFile = "CAN_CL_STATUS";
constexpr const char* kCanPwfStatusFile = "CANPWF_STATUS_EX";
constexpr const char* kTemperatureFile = "Temp";
constexpr int32_t kPowerFailBit = 0x10;
// "%d" into 8 bytes on the device.
constexpr size_t kPowerFailDigits = 7;
constexpr const char* kNoValue = "0";
// fgets into 8 bytes on the device.
constexpr size_t kSignalPieceSize = 8;
// "%s %s" into two buffers of 16 bytes.
constexpr size_t kSignalNoiseWordLength = 15;
// What is read of a query's output; the queries print a few bytes.
constexpr size_t kCommandOutputLimit = 64 * 1024;

bool IsWiredKey(const std::string& key) { return key == kLanIp || key == kLanNetmask; }

bool IsAddressKey(const std::string& key) { return key == kLanIp || key == kWlanIp; }

}  // namespace

// The signal query is also the signal part of the signal and noise commands.
#define WLAN_SIGNAL_QUERY \
    R"(iw dev wlan0 link |grep "signal:" |awk -F'[: ]' '{printf $3}'|awk '{sub(/^ */,""); sub(/ *$/,""); printf $1}')"

namespace {

// The WLAN queries, run through the shell. The signal query prints the signal strength of
// the link; the signal and noise commands print it and the signal-to-noise ratio, or "0 0"
// when the link has no frequency.
const char* const kWlanSignalCommand = WLAN_SIGNAL_QUERY;

const char* const kWlanSignalNoiseCommand =
    R"(freq=`iw dev wlan0 link |grep "freq:" |awk -F':' '{printf $2}'|awk '{sub(/^ */,""); sub(/ *$/,""); sub(/\.0/,""); printf $1}'`)"
    "\n"
    R"(if [ ! -n "${freq}" ]; then)"
    "\n\tfreq=0\n\tsignal=0\n\tnoise=0\n\tsnr=0\nelse\n\t"
    "signal=`" WLAN_SIGNAL_QUERY "`\n\t"
    R"(noise=`iw dev wlan0 survey dump |grep ${freq} -A1 |grep "noise:" |awk -F'[: ]' '{printf $2}' |awk '{sub(/^ */,""); sub(/ *$/,""); printf $1}'`)"
    "\n\t"
    R"(snr=`expr ${signal} - ${noise}`)"
    "\nfi\necho ${signal} ${snr}";

}  // namespace

int32_t ZelConfig::ReadSf2StatusValue(std::string key, std::string& output) {
    const char* fileKey = key == kVoltageKl15 ? kKl15File
                          : key == kVoltageKl30 ? kKl30File
                                                : key.c_str();
    return ReadFileProperty(sf2StatusPath, fileKey, output);
}

int32_t ZelConfig::RefreshKl15Trigger(std::string, std::string& output) {
    std::string status;
    if (!ReadSf2StatusValue(kKl15StatusFile, status)) return false;
    output = status == kKl15Triggered ? "1" : "0";
    return true;
}

int32_t ZelConfig::RefreshPowerFailStatus(std::string, std::string& output) {
    std::string status;
    if (!ReadSf2StatusValue(kCanClStatusFile, status)) {
        ZEL_ERROR("%s", kCanClMissing);
        return false;
    }
    if ((CNumber::Strtol(status, 16) & kPowerFailBit) == 0) return false;
    std::string extended;
    if (!ReadSf2StatusValue(kCanPwfStatusFile, extended)) {
        ZEL_ERROR("%s", kCanPwfMissing);
        output = kNoValue;
        return false;
    }
    output = std::to_string(CNumber::Strtol(extended, 16)).substr(0, kPowerFailDigits);
    return true;
}

int32_t ZelConfig::RefreshTemperature(std::string key, std::string& output) {
    if (key != kTemperature) return true;
    return ReadSf2StatusValue(kTemperatureFile, output);
}

int32_t ZelConfig::RefreshMemoryInfo(std::string key, std::string& output) {
    InputFile file(MemInfo::kPath);
    if (!file.IsOpen()) {
        ZEL_ERROR("%s", kMemInfoMissing);
        return false;
    }
    if (key != kSizeRam && key != kFreeRam) return false;
    std::string text;
    file.ReadAll(text, MemInfo::kReadLimit);
    return MemInfo::Figure(text, key == kSizeRam ? 0 : 1, output);
}

int32_t ZelConfig::RefreshTimestamp(std::string, std::string& output) {
    timeval now{};
    ::gettimeofday(&now, nullptr);
    const long long milliseconds =
        static_cast<long long>(now.tv_sec) * 1000 + static_cast<long long>(now.tv_usec) / 1000;
    ZEL_DEBUG(kTimestampMessage, milliseconds);
    output = std::to_string(milliseconds);
    return true;
}

int32_t ZelConfig::RefreshVehicleLink(std::string key, std::string& output) {
    InputFile file(VehicleLinkStatus::kPath);
    if (!file.IsOpen()) return false;
    return VehicleLinkStatus(file.Get()).Get(key, output);
}

int32_t ZelConfig::RefreshMostState(std::string key, std::string& output) {
    InputFile devices(kUsbDevicesPath);
    if (!devices.IsOpen()) return false;
    std::string list;
    devices.ReadAll(list, kUsbDevicesReadLimit);
    const bool present = list.find(kMostInterfaceId) != std::string::npos;
    if (key == kMostPresent) {
        output = present ? "1" : "0";
    } else if (key == kMostLightOn) {
        if (!present) {
            output = "0";
        } else {
            ReadFirstLine(kMostStatePath, output);
        }
    }
    return true;
}

int32_t ZelConfig::RefreshInterfaceAddress(std::string key, std::string& output) {
    InterfaceRequest request(IsWiredKey(key) ? InterfaceRequest::kWiredInterface : wlanInterfaceName);
    if (!request.HasSocket()) return false;
    const bool answered = request.Ask(IsAddressKey(key) ? SIOCGIFADDR : SIOCGIFNETMASK);
    output = request.AddressText();
    return answered;
}

int32_t ZelConfig::RefreshDefaultGateway(std::string, std::string& output) {
    InputFile file(RouteTable::kPath);
    if (!file.IsOpen()) return false;
    std::string table;
    file.ReadAll(table, RouteTable::kReadLimit);
    output = RouteTable::AddressText(RouteTable::DefaultGateway(table.data(), table.size()));
    return true;
}

int32_t ZelConfig::RefreshWlanQuality(std::string, std::string& output) {
    output = kNoValue;
    std::string printed;
    if (!Shell::Capture(printed, kWlanSignalCommand, kCommandOutputLimit)) return false;
    std::string_view signal;  // what the fgets buffer holds at the end: the last piece
    for (TextScanner pieces(printed.data(), printed.size()); !pieces.AtEnd();) {
        signal = pieces.Fgets(kSignalPieceSize);
    }
    if (signal.empty()) return false;
    output = signal;
    return true;
}

bool ZelConfig::ReadWlanSignalNoise(std::string& signal, std::string& ratio) const {
    signal = kNoValue;
    ratio = kNoValue;
    std::string printed;
    if (!Shell::Capture(printed, kWlanSignalNoiseCommand, kCommandOutputLimit)) return false;
    char first[kSignalNoiseWordLength + 1] = {};
    char second[kSignalNoiseWordLength + 1] = {};
    TextScanner scanner(printed.data(), printed.size());
    if (scanner.Word(first, kSignalNoiseWordLength)) scanner.Word(second, kSignalNoiseWordLength);
    if (first[0] == '\0' || second[0] == '\0') return false;
    signal = first;
    ratio = second;
    return true;
}
