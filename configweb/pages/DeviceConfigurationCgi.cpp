#include "DeviceConfigurationCgi.h"

#include <array>

#include "DeviceColor.h"
#include "FormState.h"
#include "NetDev.h"
#include "ZelConfig.h"

namespace {

constexpr std::size_t kColorCount = std::size(DeviceColor::kColors);

// Each color is offered by its name, shown in that color.
constexpr std::array<SelectOption, kColorCount> ColorOptions() {
    std::array<SelectOption, kColorCount> options{};
    for (std::size_t i = 0; i < kColorCount; ++i) {
        options[i] = {DeviceColor::kColors[i].name, DeviceColor::kColors[i].name,
                      DeviceColor::kColors[i].code};
    }
    return options;
}
constexpr std::array<SelectOption, kColorCount> kColorOptions = ColorOptions();

constexpr SelectOption kKaldModes[] = {
    {ZelConfig::kKaldModeDefault, "KALD", nullptr},
    {ZelConfig::kKaldModeNeo, "KALD-Neo", nullptr},
};

}  // namespace

// clang-format off
const FormField DeviceConfigurationCgi::kFields[] = {
    FormField::Text("hostname", kHostNameKey, "Host Name",
                    "1 to 63 letters, digits and hyphens, not beginning or ending with a hyphen",
                    [](const std::string& value, const FormState&) { return IsHostName(value); }),
    FormField::Select("color", kColorKey, "Device Color", kColorOptions.data(), kColorOptions.size()),
    FormField::Select("kaldmode", ZelConfig::kKaldModeKey, "Workshop System Mode", kKaldModes),
};
// clang-format on

const SettingsForm DeviceConfigurationCgi::kForm = {ConfigPages::kDeviceConfiguration,
                                                    "DeviceConfigurationCgi",
                                                    kFields,
                                                    std::size(kFields),
                                                    false,
                                                    true,
                                                    nullptr,
                                                    nullptr};

DeviceConfigurationCgi::~DeviceConfigurationCgi() = default;

bool DeviceConfigurationCgi::IsHostName(const std::string& value) {
    return value.size() <= kHostNameLength && value.find('.') == std::string::npos &&
           NetDev::IsValidHostName(value);
}
