#ifndef CONFIGWEB_PAGES_SELFTESTCHECKS_H
#define CONFIGWEB_PAGES_SELFTESTCHECKS_H

#include <cstddef>
#include <string>

class AgentConfiguration;

// The checks of the Self-Test page. Each looks at the device as it is now and changes
// nothing on it and sends nothing off it; a verdict is given only where the device's own
// data or a plain rule gives one, anything else is shown as information.
class SelfTestChecks {
public:
    enum class Verdict { kPassed, kWarning, kFailed, kNotAvailable, kInformation };
    // What a check saw (HTML, escaped) and its verdict.
    struct Outcome {
        std::string seen;
        Verdict verdict;
    };
    struct Check {
        const char* group;
        const char* what;
        Outcome (*run)(const AgentConfiguration& configuration);
    };
    static const Check kChecks[];
    static const std::size_t kCheckCount;

    // The settings pipe of the device software, and the folder the settings live in.
    static constexpr const char* kConfigFolder = "/config";
    // Degrees below the critical temperature from which the temperature is a warning.
    static constexpr double kTemperatureMargin = 10.0;

    virtual ~SelfTestChecks();

    static const char* Name(Verdict verdict);

private:
    static Outcome Temperature(const AgentConfiguration& configuration);
    static Outcome PowerFail(const AgentConfiguration& configuration);
    static Outcome Fan(const AgentConfiguration& configuration);
    static Outcome Voltage15(const AgentConfiguration& configuration);
    static Outcome Voltage30(const AgentConfiguration& configuration);
    static Outcome Memory(const AgentConfiguration& configuration);
    static Outcome Configuration(const AgentConfiguration& configuration);
    static Outcome Backup(const AgentConfiguration& configuration);
    static Outcome Room(const AgentConfiguration& configuration);
    static Outcome LogFile(const AgentConfiguration& configuration);
    static Outcome SettingsPipe(const AgentConfiguration& configuration);
    static Outcome WlanCard(const AgentConfiguration& configuration);
    static Outcome MeasurementDevice(const AgentConfiguration& configuration);
    static Outcome WpaConfiguration(const AgentConfiguration& configuration);
    static Outcome Summary(const AgentConfiguration& configuration);
    static Outcome VehicleLink(const AgentConfiguration& configuration);
};

#endif
