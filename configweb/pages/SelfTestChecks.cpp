#include "SelfTestChecks.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "AgentConfiguration.h"
#include "AttributeKeys.h"
#include "ConfigWebLogging.h"
#include "ConfigWebStyle.h"
#include "DeviceInformationCgi.h"
#include "HtmlEscaping.h"
#include "InputFile.h"
#include "SetTolSettingsCgi.h"
#include "StateSummary.h"
#include "WlanSettingsCgi.h"
#include "WpaConf.h"
#include "ZelConfig.h"

namespace {

using Outcome = SelfTestChecks::Outcome;
using Verdict = SelfTestChecks::Verdict;
using Shown = DeviceInformationCgi::Shown;

// Files larger than this are not the device's own, and are judged without reading on.
constexpr std::size_t kLargestFile = 1 << 20;
// What a save needs beyond the file's own size: its folder's blocks.
constexpr unsigned long long kSaveMargin = 64 * 1024;

std::string Read(const AgentConfiguration& configuration, const char* key, bool& read) {
    std::string value;
    read = configuration.Store().GetAttribute(key, value) && !value.empty();
    return value;
}

Outcome Shows(const AgentConfiguration& configuration, const char* key, Shown shown) {
    bool read = false;
    const std::string value = Read(configuration, key, read);
    return {DeviceInformationCgi::Present(shown, read, value),
            read ? Verdict::kInformation : Verdict::kNotAvailable};
}

bool Number(const std::string& text, double& number) {
    char* end = nullptr;
    number = std::strtod(text.c_str(), &end);
    return !text.empty() && end == text.c_str() + text.size();
}

bool ReadText(const char* path, std::string& text) {
    InputFile file(path);
    return file.IsOpen() && file.ReadAll(text, kLargestFile);
}

// The lines that are neither blank, nor comments, nor properties: what a reader ignores.
std::size_t IgnoredLines(const std::string& text, std::size_t& properties) {
    std::size_t ignored = 0;
    for (std::size_t at = 0; at < text.size();) {
        std::size_t end = text.find('\n', at);
        if (end == std::string::npos) end = text.size();
        const std::size_t start = text.find_first_not_of(" \t\r\v\f", at);
        if (start < end && text[start] != '#') {
            const bool property = text.find('=', start) < end;
            properties += property;
            ignored += !property;
        }
        at = end + 1;
    }
    return ignored;
}

std::string Kibibytes(unsigned long long bytes) { return std::to_string(bytes / 1024) + " KiB"; }

}  // namespace

// clang-format off
const SelfTestChecks::Check SelfTestChecks::kChecks[] = {
    {"Power and Temperature", "Temperature", Temperature},
    {"Power and Temperature", "Power-fail state", PowerFail},
    {"Power and Temperature", "Fan", Fan},
    {"Power and Temperature", "Supply voltage KL15", Voltage15},
    {"Power and Temperature", "Supply voltage KL30", Voltage30},
    {"Power and Temperature", "Memory", Memory},
    {"Configuration", "Agent configuration", Configuration},
    {"Configuration", "Backup of the agent configuration", Backup},
    {"Configuration", "Room in /config for a save", Room},
    {"Configuration", "Log file", LogFile},
    {"Configuration", "Settings pipe of the device software", SettingsPipe},
    {"Configuration", "WLAN card", WlanCard},
    {"Configuration", "Measurement device", MeasurementDevice},
    {"Configuration", "wpa_supplicant configuration", WpaConfiguration},
    {"State", "State summary", Summary},
    {"State", "Vehicle link", VehicleLink},
};
// clang-format on
const std::size_t SelfTestChecks::kCheckCount = std::size(kChecks);

SelfTestChecks::~SelfTestChecks() = default;

const char* SelfTestChecks::Name(Verdict verdict) {
    switch (verdict) {
        case Verdict::kPassed:
            return "passed";
        case Verdict::kWarning:
            return "warning";
        case Verdict::kFailed:
            return "failed";
        case Verdict::kNotAvailable:
            return ConfigWebStyle::kNotAvailable;
        default:
            return "information";
    }
}

Outcome SelfTestChecks::Temperature(const AgentConfiguration& configuration) {
    bool read = false, critical = false;
    const std::string temperature = Read(configuration, attributekey::kTemperature, read);
    const std::string limit = Read(configuration, attributekey::kCriticalTemperature, critical);
    const std::string seen =
        DeviceInformationCgi::Present(Shown::kDegrees, read, temperature) +
        ", critical: " + DeviceInformationCgi::Present(Shown::kDegrees, critical, limit);
    double now = 0, most = 0;
    if (!Number(temperature, now) || !Number(limit, most)) return {seen, Verdict::kNotAvailable};
    const Verdict verdict = now >= most                        ? Verdict::kFailed
                            : now >= most - kTemperatureMargin ? Verdict::kWarning
                                                               : Verdict::kPassed;
    return {seen, verdict};
}

// The status is a set of flags: none set is no power failure.
Outcome SelfTestChecks::PowerFail(const AgentConfiguration& configuration) {
    bool read = false;
    const std::string status = Read(configuration, attributekey::kPowerFailStatus, read);
    if (!read) return {"not reported", Verdict::kNotAvailable};
    return {HtmlEscaping::Escape(status), status == "0" ? Verdict::kPassed : Verdict::kWarning};
}

Outcome SelfTestChecks::Fan(const AgentConfiguration& configuration) {
    bool read = false;
    const std::string state = Read(configuration, attributekey::kFanState, read);
    if (!read) return {ConfigWebStyle::kNotAvailable, Verdict::kNotAvailable};
    return {"state " + HtmlEscaping::Escape(state),
            state == "0" ? Verdict::kPassed : Verdict::kWarning};
}

Outcome SelfTestChecks::Voltage15(const AgentConfiguration& configuration) {
    return Shows(configuration, attributekey::kVoltageKl15, Shown::kVolts);
}

Outcome SelfTestChecks::Voltage30(const AgentConfiguration& configuration) {
    return Shows(configuration, attributekey::kVoltageKl30, Shown::kVolts);
}

Outcome SelfTestChecks::Memory(const AgentConfiguration& configuration) {
    bool total = false, free = false;
    const std::string size = Read(configuration, attributekey::kSizeRam, total);
    const std::string left = Read(configuration, attributekey::kFreeRam, free);
    if (!total || !free) return {ConfigWebStyle::kNotAvailable, Verdict::kNotAvailable};
    return {DeviceInformationCgi::Present(Shown::kKibibytes, free, left) + " free of " +
                DeviceInformationCgi::Present(Shown::kKibibytes, total, size),
            Verdict::kInformation};
}

Outcome SelfTestChecks::Configuration(const AgentConfiguration&) {
    std::string text;
    if (!ReadText(ZelConfig::kAgentConfigurationPath, text))
        return {"missing or unreadable", Verdict::kFailed};
    std::size_t properties = 0;
    const std::size_t ignored = IgnoredLines(text, properties);
    const std::string seen = std::to_string(properties) + " properties";
    if (ignored == 0) return {seen, Verdict::kPassed};
    return {
        seen + ", " + std::to_string(ignored) + (ignored == 1 ? " line" : " lines") +
            " without \"=\" that every reader ignores",
        Verdict::kWarning};
}

Outcome SelfTestChecks::Backup(const AgentConfiguration&) {
    if (::access(ZelConfig::kAgentConfigurationOldPath, R_OK) == 0)
        return {"present", Verdict::kPassed};
    return {"none yet (the first save makes it)", Verdict::kWarning};
}

Outcome SelfTestChecks::Room(const AgentConfiguration&) {
    struct statvfs folder {};
    struct stat live {};
    if (::statvfs(kConfigFolder, &folder) != 0)
        return {HtmlEscaping::Escape(std::strerror(errno)), Verdict::kFailed};
    const unsigned long long size =
        ::stat(ZelConfig::kAgentConfigurationPath, &live) == 0 ? live.st_size : 0;
    const unsigned long long free =
        static_cast<unsigned long long>(folder.f_bavail) * folder.f_frsize;
    const unsigned long long needed = size + kSaveMargin;
    const std::string seen = Kibibytes(free) + " free, a save needs " + Kibibytes(needed);
    if (::access(kConfigFolder, W_OK) != 0)
        return {seen + ", but the folder is read-only", Verdict::kFailed};
    return {seen, free >= needed ? Verdict::kPassed : Verdict::kFailed};
}

Outcome SelfTestChecks::LogFile(const AgentConfiguration&) {
    const bool exists = ::access(ConfigWebLogging::kLogPath, F_OK) == 0;
    const std::string path = ConfigWebLogging::kLogPath;
    const std::string target = exists ? path : path.substr(0, path.rfind('/'));
    if (::access(target.c_str(), W_OK) == 0)
        return {exists ? "writable" : "not yet written, its folder writable", Verdict::kPassed};
    return {exists ? "not writable" : "its folder is missing or not writable", Verdict::kFailed};
}

// Opening the pipe for writing without blocking fails with ENXIO when nobody reads it;
// nothing is written.
Outcome SelfTestChecks::SettingsPipe(const AgentConfiguration&) {
    struct stat pipe {};
    if (::stat(SetTolSettingsCgi::kSettingsPipe, &pipe) != 0) return {"missing", Verdict::kFailed};
    if (!S_ISFIFO(pipe.st_mode)) return {"not a named pipe", Verdict::kFailed};
    const int fd = ::open(SetTolSettingsCgi::kSettingsPipe, O_WRONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd >= 0) {
        ::close(fd);
        return {"the device software reads it", Verdict::kPassed};
    }
    if (errno == ENXIO)
        return {"nobody reads it: changed TOL settings go unnoticed", Verdict::kWarning};
    return {HtmlEscaping::Escape(std::strerror(errno)), Verdict::kFailed};
}

Outcome SelfTestChecks::WlanCard(const AgentConfiguration&) {
    if (ZelConfig::wlanInterfaceName.empty()) return {"none detected", Verdict::kFailed};
    return {"interface " + HtmlEscaping::Escape(ZelConfig::wlanInterfaceName), Verdict::kPassed};
}

Outcome SelfTestChecks::MeasurementDevice(const AgentConfiguration&) {
    const std::string path = ZelConfig::kMeasureDevicePath;
    if (ZelConfig::measureDeviceFd >= 0) return {path + " open", Verdict::kPassed};
    return {path + " can't be opened", Verdict::kFailed};
}

Outcome SelfTestChecks::WpaConfiguration(const AgentConfiguration&) {
    std::string written, wanted;
    if (::access(WlanSettingsCgi::kWpaConfPath, F_OK) != 0)
        return {"not written yet", Verdict::kNotAvailable};
    if (!ReadText(WlanSettingsCgi::kWpaConfPath, written)) return {"unreadable", Verdict::kFailed};
    WpaConf writer;
    if (writer.RenderWpaConf(WlanSettingsCgi::kWpaConfPath, wanted) != 0) {
        return {"the stored WLAN settings can't be written into it", Verdict::kFailed};
    }
    if (written == wanted) return {"as the stored WLAN settings give it", Verdict::kPassed};
    return {"differs from what the stored WLAN settings give", Verdict::kWarning};
}

Outcome SelfTestChecks::Summary(const AgentConfiguration& configuration) {
    const StateSummary summary(configuration.Store());
    std::string seen = HtmlEscaping::Escape(summary.Text());
    for (int i = 0; i < StateSummary::kParts; ++i) {
        if (summary.Part(i).empty()) return {seen, Verdict::kNotAvailable};
        seen += std::string(i == 0 ? ": " : "; ") + summary.Part(i);
    }
    return {seen, Verdict::kInformation};
}

Outcome SelfTestChecks::VehicleLink(const AgentConfiguration& configuration) {
    bool available = false, vin = false;
    const std::string link = Read(configuration, attributekey::kWolkAvailable, available);
    const std::string number = Read(configuration, attributekey::kWolkVin, vin);
    if (!available) return {ConfigWebStyle::kNotAvailable, Verdict::kNotAvailable};
    const std::string seen = link == "1" ? "link available" : "no link";
    return {seen + (vin ? ", VIN " + HtmlEscaping::Escape(number) : ""), Verdict::kInformation};
}
