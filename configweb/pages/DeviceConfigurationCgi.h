#ifndef CONFIGWEB_PAGES_DEVICECONFIGURATIONCGI_H
#define CONFIGWEB_PAGES_DEVICECONFIGURATIONCGI_H

#include <string>

#include "SettingsForm.h"

class FormState;

// The Device Configuration page: the device's host name, its color and the mode of the
// workshop system, as a settings form without removal.
class DeviceConfigurationCgi {
public:
    static constexpr const char* kHostNameKey = "orva.hostname";
    static constexpr const char* kColorKey = "orva.color";
    static constexpr std::size_t kHostNameLength = 63;

    static const FormField kFields[];
    static const SettingsForm kForm;

    virtual ~DeviceConfigurationCgi();

    // 1 to 63 ASCII letters, digits and "-", neither first nor last a "-".
    static bool IsHostName(const std::string& value);
};

#endif
