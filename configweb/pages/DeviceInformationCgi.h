#ifndef CONFIGWEB_PAGES_DEVICEINFORMATIONCGI_H
#define CONFIGWEB_PAGES_DEVICEINFORMATIONCGI_H

#include <cstddef>
#include <string>

namespace cgicc {
class Cgicc;
class HTMLElement;
}  // namespace cgicc
class AgentConfiguration;

// The Device Information page ("deviceinformation.cgi"), read-only: every attribute of the
// store once, grouped as a technician reads them, live values computed for this request,
// the device color with its swatch and the state summary decoded into its four parts.
// While no password is set, a warning above the groups says so and how to set one.
class DeviceInformationCgi {
public:
    // How a value is shown.
    enum class Shown {
        kText,
        kVolts,
        kDegrees,
        kKibibytes,     // a /proc/meminfo figure
        kMilliseconds,  // since 1970: shown as the date and time
        kDecibelMilliwatts,
        kYesNo,     // "1" or "true"
        kOnOff,     // "1"
        kPresence,  // "1": found
        kNoneWhenEmpty,
        kReservationState,
        kColor,       // a color name, with its swatch
        kMarker,      // the key is a file's path: whether it exists
        kMacAddress,  // all zeros: not known
        kGateway,     // 0.0.0.0: no default route
    };
    struct Row {
        const char* label;
        const char* key;
        Shown shown;
        // The file the store took a fixed value from (in ZelConfig::orvaSysPath unless it
        // begins with "/"), which the store replaces with a default when it is missing;
        // nullptr for a value that has no such source.
        const char* source = nullptr;
    };
    struct Group {
        const char* title;
        const Row* rows;
        std::size_t count;
    };
    static const Group kGroups[];
    static const std::size_t kGroupCount;

    static constexpr const char* kTitle = "Device Information";
    static constexpr const char* kGroupClass = "Information";
    static constexpr const char* kSummaryTitle = "State Summary";
    static constexpr const char* kWarningClass = "warning";
    static constexpr const char* kNoPassword =
        "No password is set: anyone on the network can change this device. Set one on the "
        "device with the command <code>zelconfig passwd</code>.";

    DeviceInformationCgi();
    DeviceInformationCgi(const DeviceInformationCgi&) = delete;
    DeviceInformationCgi& operator=(const DeviceInformationCgi&) = delete;
    virtual ~DeviceInformationCgi();

    // Writes the whole page to standard output.
    void HandleRequest(cgicc::Cgicc& cgi);
    bool HasAnswered() const { return answered; }

    // What the page shows for a value read from the store (`read`: whether it could be),
    // as HTML: escaped, with its unit, "not available" for a missing or empty one.
    static std::string Present(Shown shown, bool read, const std::string& value);

private:
    static cgicc::HTMLElement* CreateGroup(const Group& group,
                                           const AgentConfiguration& configuration);
    static cgicc::HTMLElement* CreateSummary(const AgentConfiguration& configuration);

    bool answered = false;
};

#endif
