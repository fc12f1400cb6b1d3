#ifndef CONFIGWEB_SETTOLSETTINGSCGI_H
#define CONFIGWEB_SETTOLSETTINGSCGI_H

#include <cstddef>
#include <string>

#include "SettingsForm.h"
#include "SettingsHandler.h"

namespace cgicc {
class Cgicc;
}
class FormState;

// The TOL Settings page: the dealer server of the device, as a settings form, and its form
// handler ("settolsettings.cgi"), which answers with a redirect back to "tolsettings.cgi"
// (carrying error flags and the accepted values after a failed submission) or with the
// removal confirmation page.
class SetTolSettingsCgi {
public:
    static constexpr const char* kDiscoverModeKey = "network.config.discover.mode";
    // The device software's pipe, told about changed settings with one byte.
    static constexpr const char* kSettingsPipe = "/tmp/zelcom/tol";
    static constexpr unsigned char kSettingsChanged = 0x01;
    static constexpr std::size_t kDealerDigits = 6;

    // The seven fields in the order of the form, the checks, the redirect values and the
    // save; the DNS fields are checked, and editable, only when the DNS servers are set by
    // hand, and stored empty otherwise.
    static const FormField kFields[];
    static const SettingsForm kForm;

    SetTolSettingsCgi();
    SetTolSettingsCgi(const SetTolSettingsCgi&) = delete;
    SetTolSettingsCgi& operator=(const SetTolSettingsCgi&) = delete;
    virtual ~SetTolSettingsCgi();

    // See SettingsHandler.
    void HandleRequest(cgicc::Cgicc& cgi);
    bool WriteFallbackAnswer();

    // True when every byte is a digit ("" included).
    static bool IsNumber(const std::string& text);
    // True when a byte is below 0x20 or is 0x7f: such a value can't be stored or shown.
    static bool HoldsControlCharacter(const std::string& text);
    // True when the network discovery mode (the property kDiscoverModeKey) is one in which
    // the DNS servers are set by hand: exactly "1" or "202".
    static bool IsDnsByHandMode(const std::string& discoverMode);

    // The checks of the fields; `form` holds the values accepted before.
    static bool CheckOutlet(const std::string& value, const FormState& form);
    static bool CheckDealer(const std::string& value, const FormState& form);
    static bool CheckTolAddress(const std::string& value, const FormState& form);
    static bool CheckTolPort(const std::string& value, const FormState& form);
    static bool CheckTolUrl(const std::string& value, const FormState& form);
    static bool CheckDns1(const std::string& value, const FormState& form);
    static bool CheckDns2(const std::string& value, const FormState& form);

private:
    static bool DiscoveryModeGateOpen(const FormState& form);
    static std::string PadDealer(const std::string& dealer);
    // After a save: one byte into the device software's pipe in mode "KALD-Neo".
    static void NotifySettingsChanged(const FormState& saved, std::string& redirect);

    SettingsHandler handler;
};

#endif
