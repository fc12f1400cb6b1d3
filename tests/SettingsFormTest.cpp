// The rules of the settings forms, through the form handler run in-process on a canned
// request over a stored configuration: which fields a submission gets flagged, or that it
// is stored; and no secret ever comes back in the redirect.

#include <gtest/gtest.h>

#include <iostream>
#include <sstream>

#include "ConfigWebLogging.h"
#include "Device.h"
#include "LanSettingsCgi.h"
#include "RequestRunner.h"
#include "SettingsHandler.h"
#include "WlanSettingsCgi.h"

namespace {

using namespace device;

struct Case {
    const SettingsForm& form;
    const char* stored;     // the agent configuration before
    std::string submitted;  // the fields after "sessionid=1&submit=Save&"
    const char* answer;     // the flagged elements in order, "saved", or "saved wpafailed"
};

// The elements the redirect flags ("ipwrong=1" gives "ip"), then "saved" and further flags.
std::string Answer(const SettingsForm& form, const std::string& stored, const std::string& submitted) {
    Write(kConfig, stored);
    ::setenv("REQUEST_METHOD", "GET", 1);
    ::setenv("QUERY_STRING", ("sessionid=1&submit=Save&" + submitted).c_str(), 1);
    std::ostringstream out;
    std::streambuf* saved = std::cout.rdbuf(out.rdbuf());
    SettingsHandler handler(form);
    RequestRunner::Run([&handler](cgicc::Cgicc& cgi) { handler.HandleRequest(cgi); }, nullptr);
    std::cout.rdbuf(saved);
    std::string answer;
    for (const std::string& parameter : Lines(Lines(out.str()).at(0), '&')) {
        const size_t wrong = parameter.find("wrong=1");
        if (wrong != std::string::npos) answer += (answer.empty() ? "" : " ") + parameter.substr(0, wrong);
        if (parameter == "saved=1" || parameter == WlanSettingsCgi::kWpaFailed + std::string("=1")) {
            answer += (answer.empty() ? "" : " ") + parameter.substr(0, parameter.size() - 2);
        }
    }
    for (std::size_t i = 0; i < form.fieldCount; ++i) {
        if (form.fields[i].kind == FormField::Kind::kSecret) {
            EXPECT_EQ(out.str().find(std::string("&") + form.fields[i].element + "="), std::string::npos) << out.str();
        }
    }
    return answer;
}

TEST(SettingsFormTest, EachFormFlagsWhatItsRulesRefuse) {
    const SettingsForm& lan = LanSettingsCgi::kForm;
    const SettingsForm& wlan = WlanSettingsCgi::kForm;
    const std::string hand = "discovermode=1&netmask=255.255.255.0&", net = "discovermode=1&ip=192.168.10.20&";
    const std::string open = "security=104&band=1&roaming=0&country=&", psk = "security=105&ssid=w&band=0&roaming=0&country=DE&";
    const std::string eap = "security=108&ssid=w&band=1&encryption=TKIP&identity=tech&roaming=1&roamingthreshold=-60&country=de&";
    const char* mode3 = "network.config.discover.mode=3\n";
    const char* none = "wlan.conf.infra.security.level=-1\n";
    // clang-format off
    const Case cases[] = {
        {lan, mode3, hand + "ip=192.168.10.20&gateway=192.168.10.1", "saved"},
        {lan, mode3, "discovermode=202&ip=10.255.0.255&netmask=255.0.0.0&gateway=", "saved"},
        {lan, mode3, hand + "ip=192.168.10.1&netmask=255.255.255.252&gateway=192.168.10.2", "saved"},
        {lan, mode3, "discovermode=3&ip=x&netmask=y&gateway=z", "saved"},
        {lan, mode3, "discovermode=1", "ip netmask"},
        {lan, mode3, "discovermode=2", "discovermode"},
        {lan, "network.config.discover.mode=7\n", "discovermode=7", "saved"},
        {lan, mode3, hand + "ip=010.1.1.1&gateway=", "ip"}, {lan, mode3, hand + "ip=127.0.0.5&gateway=", "ip"},
        {lan, mode3, hand + "ip=224.0.0.1&gateway=", "ip"}, {lan, mode3, hand + "ip=0.1.2.3&gateway=", "ip"},
        {lan, mode3, hand + "ip=192.168.10.0&gateway=", "ip"}, {lan, mode3, hand + "ip=192.168.10.255&gateway=", "ip"},
        {lan, mode3, hand + "ip=192.168.10.256&gateway=", "ip"}, {lan, mode3, hand + "ip=%20192.168.10.2&gateway=", "ip"},
        {lan, mode3, net + "netmask=255.255.255.254&gateway=", "netmask"}, {lan, mode3, net + "netmask=254.0.0.0&gateway=", "netmask"},
        {lan, mode3, net + "netmask=255.0.255.0&gateway=", "netmask"},
        {lan, mode3, hand + "ip=192.168.10.20&gateway=192.168.11.1", "gateway"},
        {lan, mode3, hand + "ip=192.168.10.20&gateway=192.168.10.20", "gateway"},
        {lan, mode3, hand + "ip=192.168.10.20&gateway=192.168.10.255", "gateway"},
        {lan, mode3, hand + "ip=192.168.10.20&gateway=192.168.10.1.5", "gateway"},
        {wlan, none, psk + "psk=12345678", "saved"}, {wlan, none, psk + "psk=" + std::string(64, 'F'), "saved"},
        {wlan, none, psk + "psk=" + std::string(64, 'g'), "psk"}, {wlan, none, psk + "psk=1234567", "psk"},
        {wlan, none, psk + "psk=", "psk"}, {wlan, "wlan.conf.infra.psk=stored key\n", psk + "psk=", "saved"},
        {wlan, none, psk + "psk=%22quoted%22%20key", "psk"}, {wlan, none, "security=107&ssid=&band=-1&psk=12345678&roaming=0&country=D", "ssid band country"},
        {wlan, none, "security=107&ssid=" + std::string(33, 's') + "&band=1&psk=12345678&roaming=0&country=DEU", "ssid country"},
        {wlan, none, open + "ssid=a%0Ab", "ssid"}, {wlan, none, open + "ssid=a%22b", "ssid"}, {wlan, none, open + "ssid=w", "saved"},
        {wlan, none, eap + "authentication=EAP-PEAP&password=", "password"},
        {wlan, none, eap + "authentication=EAP-PEAP&password=pass%20word", "saved"},
        {wlan, none, eap + "authentication=EAP-TLS", "saved"}, {wlan, none, eap + "authentication=EAP-MD5", "authentication"},
        {wlan, none, "security=106&ssid=w&band=1&encryption=DES&authentication=EAP-TLS&identity=&roaming=1&roamingthreshold=15.5&country=",
         "encryption identity roamingthreshold"},
        {wlan, none, "security=109&apssid=ORVA&appsk=device%20key&apchannel=6", "saved"},
        {wlan, none, "security=109&apssid=&appsk=short&apchannel=14", "apssid appsk apchannel"},
        {wlan, none, "security=110", "security"}, {wlan, none, "security=-1&ssid=%22", "saved"},
    };
    // clang-format on
    ConfigWebLogging logging;
    for (const Case& c : cases) EXPECT_EQ(Answer(c.form, c.stored, c.submitted), c.answer) << c.submitted;
    ExpectPieces(Read(kLog), "!12345678|!stored key|!pass word|!device key");
}

}  // namespace
