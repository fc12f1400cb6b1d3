#ifndef CONFIGWEB_SETTOLSETTINGSCGI_H
#define CONFIGWEB_SETTOLSETTINGSCGI_H

#include <memory>
#include <string>

namespace cgicc {
class Cgicc;
}
class AgentConfiguration;
class InitialParameters;

// The form handler of the TOL Settings page ("settolsettings.cgi"): one request per
// process. It answers with a redirect back to "tolsettings.cgi" (carrying error flags and
// the accepted values after a failed submission) or with the removal confirmation page.
class SetTolSettingsCgi {
public:
    static constexpr const char* kFormPage = "tolsettings.cgi?sessionid=";
    static constexpr const char* kPageTitle = "TOL Settings";
    static constexpr const char* kFormAction = "/zelconf/settolsettings.cgi";
    // A rejected field is reported to the form page as the element's name followed by this
    // suffix, with the value kWrongValue ("&outletwrong=1").
    static constexpr const char* kWrongSuffix = "wrong";
    static constexpr const char* kWrongValue = "1";
    static constexpr const char* kDiscoverModeKey = "network.config.discover.mode";
    // The device software's pipe, told about changed settings with one byte.
    static constexpr const char* kSettingsPipe = "/tmp/zelcom/tol";
    static constexpr unsigned char kSettingsChanged = 0x01;
    static constexpr size_t kDealerDigits = 6;

    // A submission without the field: fails, fails with the field's flag, or passes.
    enum class Absent { kFails, kFlagged, kPasses };
    // One field of the settings form, for this handler and for the form page.
    struct Field {
        const char* element;
        const char* key;
        std::string SetTolSettingsCgi::*member;
        // Judges a present value; the server address accepted before it comes along.
        bool (*accepts)(const std::string& value, const std::string& tolAddress);
        Absent absent;
        const char* notSetMessage;
        const char* notValidMessage;
        const char* label;
        // What the page says a rejected value should have been.
        const char* expected;
        // Checked, and editable on the page, only when the DNS servers are set by hand.
        bool dns;
    };
    enum FieldIndex { kOutlet, kDealer, kTolAddress, kTolPort, kTolUrl, kDns1, kDns2, kFieldCount };
    // In the order of the form, the checks, the redirect values and the saves.
    static const Field kFields[kFieldCount];

    SetTolSettingsCgi();
    SetTolSettingsCgi(const SetTolSettingsCgi&) = delete;
    SetTolSettingsCgi& operator=(const SetTolSettingsCgi&) = delete;
    virtual ~SetTolSettingsCgi();

    // Chooses the branch by the form elements "remove", "removeyes", "removeno", "submit"
    // (tested in that order) and writes the whole answer to standard output.
    void HandleRequest(cgicc::Cgicc& cgi);

    // After a failure in the middle of HandleRequest: writes the plain redirect to the
    // form page when the session is known and nothing was answered yet. Returns false when
    // the session is not known yet (nothing written); true otherwise.
    bool WriteFallbackAnswer();

    // True when every byte is a digit ("" included).
    static bool IsNumber(const std::string& text);
    // True when a byte is below 0x20 or is 0x7f: such a value can't be stored or shown.
    static bool HoldsControlCharacter(const std::string& text);
    // True when the network discovery mode (the property kDiscoverModeKey) is one in which
    // the DNS servers are set by hand: exactly "1" or "202". In every other mode the DNS
    // fields are not checked and are stored empty.
    static bool IsDnsByHandMode(const std::string& discoverMode);

private:
    void ShowRemoveConfirmation(InitialParameters& parameters);
    void HandleSubmission(cgicc::Cgicc& cgi, InitialParameters& parameters);
    void AppendFlag(const char* element);
    void AppendValues();
    void WriteRedirect();

    bool CheckField(const cgicc::Cgicc& cgi, const Field& field);
    bool DiscoveryModeGateOpen() const;
    void SaveSettings(AgentConfiguration& configuration);

    bool CheckOutlet(const cgicc::Cgicc& cgi);
    bool CheckDealer(const cgicc::Cgicc& cgi);
    bool CheckTolAddress(const cgicc::Cgicc& cgi);
    bool CheckTolPort(const cgicc::Cgicc& cgi);
    bool CheckTolUrl(const cgicc::Cgicc& cgi);
    bool CheckDns1(const cgicc::Cgicc& cgi);
    bool CheckDns2(const cgicc::Cgicc& cgi);

    void StoreSettings();
    void RemoveSettings();
    void NotifySettingsChanged();

    std::string redirectUrl;
    std::string outlet;
    std::string dealer;
    std::string tolAddress;
    std::string tolPort;
    std::string tolUrl;
    std::string dns1;
    std::string dns2;
    // The accessor that stored the settings; it lives until the answer is written.
    std::unique_ptr<AgentConfiguration> storingConfiguration;
    // The redirect target without flags and values, once the session id is known.
    std::string baseUrl;
    bool answered = false;
};

#endif
