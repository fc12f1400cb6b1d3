#ifndef CONFIGWEB_PAGES_WLANSETTINGSCGI_H
#define CONFIGWEB_PAGES_WLANSETTINGSCGI_H

#include <string>

#include "SettingsForm.h"

class FormState;

// The WLAN Settings page: the network the device joins (open, with a pre-shared key, or
// with EAP) or its own access point, with the settings each of those uses; only the fields
// the chosen security uses are editable, the others keep their stored values. The keys and
// the EAP password are secrets. A valid save also writes the wpa_supplicant configuration;
// when that fails the page says so. Every value is checked by the writer's own rules, so
// nothing is stored that the configuration can't hold.
class WlanSettingsCgi {
public:
    // The wpa_supplicant configuration the page writes (mode 0600, replaced atomically).
    static constexpr const char* kWpaConfPath = "/config/wpa_supplicant.conf";
    static constexpr const char* kWpaFailed = "wpafailed";
    static constexpr const char* kWpaFailedText =
        "The WLAN settings were stored, but the wpa_supplicant configuration could not be "
        "written: the WLAN keeps its previous settings.";

    static const FormField kFields[];
    static const SettingsForm kForm;

    virtual ~WlanSettingsCgi();

private:
    static bool JoinsNetwork(const FormState& form);
    static bool UsesKey(const FormState& form);
    static bool UsesEap(const FormState& form);
    static bool UsesPassword(const FormState& form);
    static bool UsesThreshold(const FormState& form);
    static bool IsAccessPoint(const FormState& form);
    // After a save: the wpa_supplicant configuration written from the stored settings.
    static void WriteWpaConf(const FormState& saved, std::string& redirect);
    static std::string Failure(const FormState& shown);
};

#endif
