#ifndef CONFIGWEB_SETTOLSETTINGSCGI_H
#define CONFIGWEB_SETTOLSETTINGSCGI_H

#include <string>

namespace cgicc {
class Cgicc;
}
class InitialParameters;

// The form handler of the TOL Settings page ("settolsettings.cgi"): one request per
// process. It answers with a redirect back to "tolsettings.cgi" (carrying error flags and
// the accepted values after a failed submission) or with the removal confirmation page.
class SetTolSettingsCgi {
public:
    static constexpr const char* kFormPage = "tolsettings.cgi?sessionid=";
    static constexpr const char* kPageTitle = "TOL Settings";
    static constexpr const char* kFormAction = "/zelconf/settolsettings.cgi";

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

private:
    bool IsPresent(const cgicc::Cgicc& cgi, const char* element) const;
    void ShowRemoveConfirmation(InitialParameters& parameters);
    void HandleSubmission(cgicc::Cgicc& cgi, InitialParameters& parameters);
    void AppendValues();
    void WriteRedirect();

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
    // The redirect target without flags and values, once the session id is known.
    std::string baseUrl;
    bool answered = false;
};

#endif
