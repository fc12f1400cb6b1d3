#include "DeviceInformationCgi.h"

#include <cgicc/Cgicc.h>
#include <cgicc/HTMLClasses.h>
#include <unistd.h>

#include <cinttypes>
#include <cstdio>
#include <ctime>

#include "AgentConfiguration.h"
#include "AttributeKeys.h"
#include "CNumber.h"
#include "ConfigWebStyle.h"
#include "DeviceColor.h"
#include "HtmlEscaping.h"
#include "InitialParameters.h"
#include "PasswordFile.h"
#include "StateSummary.h"

namespace {

using namespace attributekey;
using Row = DeviceInformationCgi::Row;
using Shown = DeviceInformationCgi::Shown;

// clang-format off
constexpr const char* kSerialSource = ZelConfig::kSerialFile;
constexpr const char* kAttachedSource = ZelConfig::kSf2StaticPath;
constexpr Row kIdentity[] = {
    {"Serial Number", kSerial, Shown::kText, kSerialSource}, {"Device ID", kDeviceId, Shown::kText, kSerialSource},
    {"Device Type", kDeviceType, Shown::kText}, {"Model", kDeviceTypeExternal, Shown::kText, kSerialSource},
    {"Model (internal)", kDeviceTypeInternal, Shown::kText, kSerialSource},
    {"TKIP Support", kDeviceTypeTkip, Shown::kYesNo, kSerialSource},
    {"Hardware Version", kHardwareVersion, Shown::kText, ZelConfig::kHardwareVersionFile},
    {"Battery Capacity", kBatteryCapacity, Shown::kText},
    {"Host Name", "orva.hostname", Shown::kText}, {"Device Color", "orva.color", Shown::kColor},
};
constexpr Row kSoftware[] = {
    {"Software Version", kZelVersion, Shown::kText}, {"Software Revision", kSvnVersion, Shown::kText},
    {"Base System Version", kBootVersion, Shown::kText}, {"Base System Package", kBootPackage, Shown::kText},
    {"Application Version", kAppVersion, Shown::kText}, {"Application Package", kAppPackage, Shown::kText},
    {"Installed Package (newer of both)", kPackage, Shown::kText}, {"Live Patch", kLivePatchId, Shown::kNoneWhenEmpty},
    {"Live Patch Description", kLivePatchInfo, Shown::kNoneWhenEmpty},
    {"Workshop System Mode", "kald.mode", Shown::kText}, {"Started in KALD-Neo Mode", "zel.state.startup", Shown::kYesNo},
};
constexpr Row kPower[] = {
    {"Supply Voltage KL15", kVoltageKl15, Shown::kVolts}, {"Supply Voltage KL30", kVoltageKl30, Shown::kVolts},
    {"Ignition (KL15)", kKl15Trigger, Shown::kOnOff}, {"Power-Fail Status", kPowerFailStatus, Shown::kText},
    {"Temperature", kTemperature, Shown::kDegrees}, {"Critical Temperature", kCriticalTemperature, Shown::kDegrees},
    {"Fan Speed", kFanSpeed, Shown::kText}, {"Fan State", kFanState, Shown::kText},
};
constexpr Row kMemoryAndTime[] = {
    {"Memory", kSizeRam, Shown::kKibibytes}, {"Free Memory", kFreeRam, Shown::kKibibytes},
    {"Device Time", kTimestamp, Shown::kMilliseconds},
};
constexpr Row kVehicleLink[] = {
    {"Vehicle Link (WOLK)", kWolkAvailable, Shown::kYesNo}, {"VIN", kWolkVin, Shown::kText},
    {"Gateway Address", kWolkGateway, Shown::kText}, {"Control Units", kWolkControlUnits, Shown::kText},
    {"Diagnostics over IP", kDoip, Shown::kText}, {"MOST Interface", kMostPresent, Shown::kPresence},
    {"MOST Light", kMostLightOn, Shown::kOnOff},
    {"ORVA-C Attached", kOrvaCConnected, Shown::kYesNo, kAttachedSource},
    {"ORVA-D Attached", kOrvaDConnected, Shown::kYesNo, kAttachedSource},
};
constexpr Row kNetwork[] = {
    {"LAN MAC Address", kLanMac, Shown::kMacAddress}, {"LAN IP Address", kLanIp, Shown::kText},
    {"LAN Netmask", kLanNetmask, Shown::kText}, {"Default Gateway", kDefaultGateway, Shown::kGateway},
    {"WLAN MAC Address", kWlanMac, Shown::kText}, {"WLAN IP Address", kWlanIp, Shown::kText},
    {"WLAN Netmask", kWlanNetmask, Shown::kText}, {"WLAN Signal", kWlanQuality, Shown::kDecibelMilliwatts},
    {"Network Type", kNetworkType, Shown::kText},
};
constexpr Row kReservation[] = {
    {"State", kStateCurrent, Shown::kReservationState}, {"Reservation Marker", ZelConfig::kReservedMarkerPath, Shown::kMarker},
    {"Owner", kStateOwner, Shown::kNoneWhenEmpty}, {"Handle", kStateHandle, Shown::kNoneWhenEmpty},
    {"UUID", kStateUuid, Shown::kText}, {"Host Lock", kStateHostLock, Shown::kNoneWhenEmpty},
};
// clang-format on

constexpr const char* kNone = "none";
constexpr const char* kNoMacAddress = "00:00:00:00:00:00";
constexpr const char* kNoAddress = "0.0.0.0";
// Larger figures are shown as they came (a date beyond year 100,000, more than a PiB).
constexpr uint64_t kLargestFigure = uint64_t{1} << 50;
constexpr const char* kSwatchClass = "swatch";

bool IsOneOf(const std::string& value, const char* first, const char* second) {
    return value == first || value == second;
}

// A /proc/meminfo figure (kB) in MiB with one decimal, and as it came.
std::string Memory(const std::string& value, const std::string& escaped) {
    uint64_t kibibytes = 0;
    if (!CNumber::ParseDecimal(value, kLargestFigure, kibibytes)) return escaped + " kB";
    char text[64];
    const uint64_t tenths = kibibytes * 10 / 1024;
    std::snprintf(text, sizeof text, "%" PRIu64 ".%" PRIu64 " MiB (%s kB)", tenths / 10,
                  tenths % 10, escaped.c_str());
    return text;
}

std::string Date(const std::string& value, const std::string& escaped) {
    uint64_t milliseconds = 0;
    if (!CNumber::ParseDecimal(value, kLargestFigure, milliseconds)) return escaped;
    const std::time_t seconds = static_cast<std::time_t>(milliseconds / 1000);
    std::tm parts{};
    char text[64];
    if (::gmtime_r(&seconds, &parts) == nullptr ||
        std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S UTC", &parts) == 0) {
        return escaped;
    }
    return text;
}

bool Exists(const std::string& path) { return ::access(path.c_str(), F_OK) == 0; }

bool HasSource(const Row& row) {
    if (row.source == nullptr) return true;
    return Exists(row.source[0] == '/' ? row.source : ZelConfig::orvaSysPath + row.source);
}

std::string Swatch(const std::string& name, const std::string& escaped) {
    std::string code = name;
    DeviceColor::NameToCode(code);
    if (code == name) return escaped;
    return escaped + " <span class=\"" + kSwatchClass + "\" style=\"" +
           ConfigWebStyle::Background(code) + "\">&nbsp;</span>";
}

}  // namespace

const DeviceInformationCgi::Group DeviceInformationCgi::kGroups[] = {
    {"Identity", kIdentity, std::size(kIdentity)},
    {"Software", kSoftware, std::size(kSoftware)},
    {"Power and Temperature", kPower, std::size(kPower)},
    {"Memory and Time", kMemoryAndTime, std::size(kMemoryAndTime)},
    {"Vehicle Link", kVehicleLink, std::size(kVehicleLink)},
    {"Network", kNetwork, std::size(kNetwork)},
    {"Reservation", kReservation, std::size(kReservation)},
};
const std::size_t DeviceInformationCgi::kGroupCount = std::size(kGroups);

DeviceInformationCgi::DeviceInformationCgi() = default;

DeviceInformationCgi::~DeviceInformationCgi() = default;

void DeviceInformationCgi::HandleRequest(cgicc::Cgicc& cgi) {
    InitialParameters parameters;
    parameters.InitSessionId(cgi);
    std::vector<cgicc::HTMLElement*> parts;
    {
        AgentConfiguration configuration;
        for (const Group& group : kGroups) parts.push_back(CreateGroup(group, configuration));
        parts.push_back(CreateSummary(configuration));
    }
    answered = true;
    ConfigWebStyle style;
    style.SetTitle(kTitle);
    style.WriteHead();
    cgicc::HTMLElement* content = style.WriteBodyStart(parameters.GetSessionId(), "");
    if (!PasswordFile::IsSet()) content->add(cgicc::p(kNoPassword).set("class", kWarningClass));
    for (cgicc::HTMLElement* part : parts) content->add(part);
}

std::string DeviceInformationCgi::Present(Shown shown, bool read, const std::string& value) {
    if (shown == Shown::kNoneWhenEmpty && (!read || value.empty())) return kNone;
    if (!read || value.empty()) return ConfigWebStyle::kNotAvailable;
    const std::string escaped = HtmlEscaping::Escape(value);
    switch (shown) {
        case Shown::kVolts:
            return escaped + " V";
        case Shown::kDegrees:
            return escaped + " &deg;C";
        case Shown::kKibibytes:
            return Memory(value, escaped);
        case Shown::kMilliseconds:
            return Date(value, escaped);
        case Shown::kDecibelMilliwatts:
            return escaped + " dBm";
        case Shown::kYesNo:
            return IsOneOf(value, "1", "true")    ? "yes"
                   : IsOneOf(value, "0", "false") ? "no"
                                                  : escaped;
        case Shown::kOnOff:
            return value == "1" ? "on" : value == "0" ? "off" : escaped;
        case Shown::kPresence:
            return value == "1" ? "found" : value == "0" ? "not found" : escaped;
        case Shown::kReservationState:
            return value == ZelConfig::kStateFree       ? "free"
                   : value == ZelConfig::kStateReserved ? "reserved"
                                                        : escaped;
        case Shown::kColor:
            return Swatch(value, escaped);
        case Shown::kMacAddress:
            return value == kNoMacAddress ? ConfigWebStyle::kNotAvailable : escaped;
        case Shown::kGateway:
            return value == kNoAddress ? "none (no default route)" : escaped;
        default:
            return escaped;
    }
}

cgicc::HTMLElement* DeviceInformationCgi::CreateGroup(const Group& group,
                                                      const AgentConfiguration& configuration) {
    auto* section = new cgicc::div(cgicc::h2(group.title));
    cgicc::table table;
    table.set("class", kGroupClass);
    for (std::size_t i = 0; i < group.count; ++i) {
        const Row& row = group.rows[i];
        std::string value;
        const bool read =
            row.shown == Shown::kMarker
                ? Exists(row.key)
                : HasSource(row) && configuration.Store().GetAttribute(row.key, value);
        const std::string shown = row.shown == Shown::kMarker ? (read ? "present" : "absent")
                                                              : Present(row.shown, read, value);
        table.add(cgicc::tr(cgicc::th(row.label)).add(cgicc::td(shown)));
    }
    section->add(table);
    return section;
}

cgicc::HTMLElement* DeviceInformationCgi::CreateSummary(const AgentConfiguration& configuration) {
    const StateSummary summary(configuration.Store());
    auto* section = new cgicc::div(cgicc::h2(kSummaryTitle));
    cgicc::table table;
    table.set("class", kGroupClass);
    table.add(cgicc::tr(cgicc::th("Summary")).add(cgicc::td(HtmlEscaping::Escape(summary.Text()))));
    for (int i = 0; i < StateSummary::kParts; ++i) {
        const std::string& part = summary.Part(i);
        table.add(cgicc::tr(cgicc::th(StateSummary::kLabels[i]))
                      .add(cgicc::td(part.empty() ? ConfigWebStyle::kNotAvailable : part)));
    }
    section->add(table);
    return section;
}
