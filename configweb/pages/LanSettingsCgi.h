#ifndef CONFIGWEB_PAGES_LANSETTINGSCGI_H
#define CONFIGWEB_PAGES_LANSETTINGSCGI_H

#include <string>

#include "SettingsForm.h"

class FormState;

// The LAN Settings page: how the device takes its wired address (the discovery mode), and
// the address, netmask and gateway it uses when they are typed by hand. In the automatic
// mode the three fields are shown, not editable, and keep their stored values. Beside them
// the page shows what the device has now, and after a save where the page will be.
class LanSettingsCgi {
public:
    static constexpr const char* kAddressElement = "ip";
    static constexpr const char* kNetmaskElement = "netmask";
    static constexpr int kShortestPrefix = 8;
    static constexpr int kLongestPrefix = 30;
    static constexpr const char* kWhereByHand =
        "Once the device applies these settings, this page is at ";
    static constexpr const char* kWhereAutomatic =
        "Once the device applies these settings, it takes its address from the network: this "
        "page is then at the address the network gives it, followed by ";

    static const FormField kFields[];
    static const SettingsForm kForm;

    virtual ~LanSettingsCgi();

    // The address typed by hand: a host of its network (under the netmask submitted with
    // it, when that is one) that a device can have.
    static bool CheckAddress(const std::string& value, const FormState& form);
    // A netmask of /8 to /30.
    static bool CheckNetmask(const std::string& value, const FormState& form);
    // Empty, or a host of the address's network other than the address.
    static bool CheckGateway(const std::string& value, const FormState& form);

private:
    static bool TypedByHand(const FormState& form);
    // After a save: where the page will be.
    static std::string Where(const FormState& shown);
};

#endif
