// Requests end to end: the built programs run as the web server runs them, each row in a
// fresh private root, judged by the answer, the stored settings, the change list, the bytes
// in the settings pipe and the log.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <ctime>
#include <fstream>
#include <regex>

#include "AccessGate.h"
#include "CgiAnswer.h"
#include "Device.h"
#include "PasswordFile.h"
#include "Program.h"
#include "SessionStore.h"

namespace {

using namespace device;

constexpr const char* kBase = "kald.mode=KALD-Neo\nnetwork.config.discover.mode=1\nother.key=kept\n";

struct Row {
    const char* name;
    // "POST", "GET" or "HEAD" to the handler, "PAGE" for a GET of the page, then CGI variables
    // "|NAME=VALUE" ("|-NAME" unsets); "|closed": nobody reads the answer; "|nopipe": no pipe;
    // "|NAME.cgi": that program instead of the TOL Settings page or handler; "|password": the
    // password kPassword set; "|failed=N@ADDRESS": as many wrong sign-ins before ("*": from N
    // addresses); "|session=KIND": the cookie of a session signed in before (see Cookie).
    std::string method;
    std::string request;  // the body of a POST, else the query
    // Exact ("Location: ...", "Status: ..."), the page of the form in a data file ("@NAME"), a
    // regular expression ("~..."), or pieces in order (see ExpectPieces); "": any well-formed answer.
    std::string answer;
    // The seven settings afterwards ("|"-separated, every other line kept), the whole file
    // (holding "\n"), or "": the file unchanged.
    std::string settings = "";
    const char* marks = "";  // the change list afterwards; nullptr: not written
    int signals = 0;
    const char* log = "";  // events logged in this order, "|"-separated; "!x": none holds x
    const char* before = kBase;
    const char* list = nullptr;  // the change list before
};

#define R(query) "Location: tolsettings.cgi?sessionid=77" query "\n\n\n"
#define WITH(flags, values) R(flags "&outlet=" values)
#define FIELDS "7&dealer=42&toladdress=10.0.0.2&tolport=5302&tolurl=/tol"
constexpr const char* kStored = "7|000042|10.0.0.2|5302|/tol|10.0.0.1|10.0.0.3";
constexpr const char* kNoDns = "7|000042|10.0.0.2|5302|/tol||";
constexpr const char* kEmpty = "||||||";
constexpr const char* kMarked = "77;1\n";
constexpr const char* kMode202 = "kald.mode=KALD-Neo\nnetwork.config.discover.mode=202\n";
constexpr const char* kBadRequest = "Status: 400 Bad Request\nContent-Type: text/plain\n\nBad Request\n";
constexpr const char* kNewSession = "~Location: tolsettings\\.cgi\\?sessionid=[0-9]+\n\n\n";
constexpr const char* kDc = "POST|setdeviceconfiguration.cgi";
constexpr const char* kDcBack = "Location: deviceconfiguration.cgi?sessionid=77\n\n\n";
constexpr const char* kDcSaved = "Location: deviceconfiguration.cgi?sessionid=77&saved=1\n\n\n";
constexpr const char* kDevice = "kald.mode=KALD\norva.color=white\norva.hostname=ORVA\n";
constexpr const char* kLan = "network.config.discover.mode=3\nnetwork.config.static.ip=192.168.68.41\n";
constexpr const char* kWlan = "sessionid=77&submit=Save&security=105&ssid=workshop&band=1&roaming=0&country=DE&";
constexpr const char* kToSignIn = "Location: signin.cgi?sessionid=1234&page=tolsettings.cgi\n\n\n";
constexpr const char* kForbidden = AccessGate::kForbiddenAnswer;
#define SIGNED_IN(attributes, target)                                                                  \
    "~Set-Cookie: zelconf_session=[0-9a-f]{32}; HttpOnly; SameSite=Strict; Path=/zelconf" attributes \
    "\nLocation: " target "\n\n\n"
constexpr const char* kSignIn = "POST|signin.cgi|password|REMOTE_ADDR=192.0.2.7";
constexpr const char* kRightPassword = "sessionid=77&page=deviceinformation.cgi&password=Workshop-7";
constexpr const char* kKeys[] = {"tol.outlet", "tol.dealer", "tol.address", "tol.port",
                                 "tol.extendedurl", "dns.server.1", "dns.server.2"};

std::vector<Row> Rows() {
    const std::string crlf = "%0D%0ASet-Cookie:%20a=1%0D%0A%0D%0A<b>", label(63, 'a');
    const std::string name253 = label + "." + label + "." + label + "." + std::string(61, 'b');
    std::string fields;
    for (int i = 0; i < 10000; ++i) fields += "x=&";
    // clang-format off
    return {
        {"GetWithoutButtonsReverts", "GET", "sessionid=1234", "Location: tolsettings.cgi?sessionid=1234\n\n\n", "", "", 0,
         "debug configwebloghandler InitialParameters Given session id is 1234|debug configwebloghandler SetTolSettingsCgi "
         "No remove button|error configwebloghandler SetTolSettingsCgi Element submit not set -> revert"},
        {"NoSessionIdGetsANewOne", "GET", "", kNewSession, "", "", 0, "Given session id is -1|New session id is "},
        {"CrLfInTheSessionIdIsCut", "POST", Submission("", "12" + crlf), "Location: tolsettings.cgi?sessionid=12\n\n\n", kStored, "12;1\n", 1},
        {"HeadOfARemovalChangesNothing", "HEAD", "sessionid=77&removeyes=Yes", "Location: tolsettings.cgi?sessionid=77\n\n"},
        {"HeadOfASubmissionChangesNothing", "HEAD", Submission(), "Location: tolsettings.cgi?sessionid=77\n\n"},
        {"HeadOfTheConfirmationIsItsHeaders", "HEAD", "sessionid=1234&remove=R", "~Content-Type: text/html\n\n"},
        {"RemoveWinsOverSubmit", "POST", Submission("remove=R", "1234"), "@RemoveConfirmationForm-1234.html", "", "", 0, "!No remove button"},
        {"ConfirmedRemovalStoresTheSettingsEmpty", "POST", "sessionid=77&removeyes=Yes", R(""), kEmpty, kMarked},
        {"DeclinedRemovalOnlyRedirects", "POST", "sessionid=3&removeno=No", "Location: tolsettings.cgi?sessionid=3\n\n\n", "",
         "3;0\n7;1\n", 0, "!No remove button", kBase, "7;1\n3;0\njunk\n"},
        {"ABodyOverTheLimitIsABadRequest", "POST", std::string(65537, 'p'), kBadRequest, "", nullptr, 0,
         "error configwebloghandler RequestRunner Request body is larger than allowed -> bad request"},
        {"ATruncatedBodyIsABadRequest", "POST|CONTENT_LENGTH=100", "sessionid=5&removeyes=Yes", kBadRequest, "", nullptr, 0,
         "Request body is shorter than its CONTENT_LENGTH"},
        {"ALengthThatIsNoNumberIsABadRequest", "POST|CONTENT_LENGTH=12x", "sessionid=5&removeyes=Y", kBadRequest, "", nullptr, 0,
         "Request body has an invalid CONTENT_LENGTH"},
        {"ALengthShortOfTheBodyCutsIt", "POST|CONTENT_LENGTH=30", Submission(), ""},
        {"ABodyOf64KiBIsRead", "POST", "sessionid=77&removeyes=Y&p=" + std::string(65536 - 27, 'p'), R(""), kEmpty, kMarked},
        {"AClosedAnswerPipeEndsNormally", "GET|closed", "sessionid=8&remove=1", ""},
        {"EveryRejectedFieldIsFlaggedInOrder", "POST",
         Submission("outlet=123&dealer=12a&toladdress=bad_host&tolport=123456&tolurl=a%0Ab&dns1=x&dns2=1.2.3.4.5"),
         WITH("&outletwrong=1&dealerwrong=1&toladdresswrong=1&tolportwrong=1&tolurlwrong=1&dns1wrong=1&dns2wrong=1",
              "&dealer=&toladdress=&tolport=&tolurl=&dns1=&dns2="), "", "", 0,
         "error configwebloghandler SetTolSettingsCgi Element outlet 123 not valid|Element dealer 12a not valid|Element tol "
         "address bad_host not valid|Element tol port 123456 not valid|Element tol url a\\x0ab not valid|Element dns server 1 "
         "x not valid|Element dns server 2 1.2.3.4.5 not valid"},
        {"AcceptedValuesComeBackAfterARejection", "POST", Submission("outlet=&toladdress=tol.example.com&tolport=&tolurl=/a%20b%26c%3Dd&dns2"),
         WITH("&outletwrong=1", "&dealer=42&toladdress=tol.example.com&tolport=&tolurl=/a%20b%26c%3Dd&dns1=10.0.0.1&dns2="), "", "", 0,
         "Element dns2 not set", kMode202},
        {"MissingElementsAreFlaggedWhereRequired", "POST", "sessionid=77&submit=Save",
         WITH("&dealerwrong=1&toladdresswrong=1&dns1wrong=1", "&dealer=&toladdress=&tolport=&tolurl=&dns1=&dns2="), "", "", 0,
         "Element outlet not set|Element dealer not set|Element tol address not set|Element tol port not set|Element tol url "
         "not set|Element dns1 not set|Element dns2 not set"},
        {"AMissingUrlRejectsWithoutAFlag", "POST", Submission("tolurl"), WITH("", "7&dealer=42&toladdress=10.0.0.2&tolport=5302&tolurl=&dns1=10.0.0.1&dns2=10.0.0.3")},
        {"LongestOutletDealerAndPortAreStored", "POST", Submission("outlet=07&dealer=999999&tolport=00000"), R(""), "07|999999|10.0.0.2|00000|/tol|10.0.0.1|10.0.0.3", kMarked, 1},
        {"ShortValuesAreStoredWithTheDealerPadded", "POST", Submission("outlet=0&dealer=1&tolport=&dns2="), R(""), "0|000001|10.0.0.2||/tol|10.0.0.1|", kMarked, 1},
        {"AHostNameOf253CharactersIsStored", "POST", Submission("toladdress=" + name253), R(""), "7|000042|" + name253 + "|5302|/tol|10.0.0.1|10.0.0.3", kMarked, 1},
        {"ASevenDigitDealerIsRejected", "POST", Submission("dealer=1234567"), WITH("&dealerwrong=1", "7&dealer=&toladdress=10.0.0.2&tolport=5302&tolurl=/tol&dns1=10.0.0.1&dns2=10.0.0.3")},
        {"Mode3StoresTheDnsServersEmpty", "POST", Submission("dns1&dns2"), R(""), kNoDns, kMarked, 1, "", "kald.mode=KALD-Neo\nnetwork.config.discover.mode=3\ndns.server.1=8.8.8.8\n"},
        {"Mode202ChecksTheDnsFields", "POST", Submission("dns1&dns2"), WITH("&dns1wrong=1", FIELDS "&dns1=&dns2="), "", "", 0, "Element dns1 not set|Element dns2 not set", kMode202},
        {"ADeviceWithoutFilesHasNoDnsMode", "POST", Submission("dns1&dns2"), R(""), kNoDns, kMarked, 0, "", nullptr},
        {"AnyFirstDnsServerGoesWithAnAddress", "POST", Submission("dns1=any%20text"), R(""), "7|000042|10.0.0.2|5302|/tol|any text|10.0.0.3", kMarked, 1},
        {"AHostNameNeedsTheFirstDnsServer", "POST", Submission("toladdress=tol.example.com&dns1="),
         WITH("&dns1wrong=1", "7&dealer=42&toladdress=tol.example.com&tolport=5302&tolurl=/tol&dns1=&dns2=10.0.0.3")},
        {"AHostNameTakesAShortDnsAddress", "POST", Submission("toladdress=tol.example.com&dns1=10.1&dns2=1.2.3"), R(""), "7|000042|tol.example.com|5302|/tol|10.1|1.2.3", kMarked, 1},
        {"AControlByteInTheFirstDnsServerIsRejected", "POST", Submission("dns1=a%0Db"), WITH("&dns1wrong=1", FIELDS "&dns1=&dns2=10.0.0.3")},
        {"AValidSubmissionIsStoredSortedAndSignalled", "POST", Submission("tolport=&tolurl=/path%3Fx%3D1"), R(""),
         "dns.server.1=10.0.0.1\ndns.server.2=10.0.0.3\nkald.mode=KALD-Neo\nnetwork.config.discover.mode=1\nother.key=kept\n"
         "tol.address=10.0.0.2\ntol.dealer=000042\ntol.extendedurl=/path?x=1\ntol.outlet=7\ntol.port=\n", kMarked, 1,
         "debug configwebloghandler NetDev IP is valid"},
        {"KaldModeSendsNoSignal", "POST", Submission(), R(""), kStored, kMarked, 0, "", "kald.mode=KALD\nnetwork.config.discover.mode=1\n"},
        {"WithoutThePipeTheSettingsAreStored", "POST|nopipe", Submission(), R(""), kStored, kMarked, 0,
         "error zelloghandler Shell open pipe '/tmp/zelcom/tol' failed: No such file or directory"},
        {"ACrossSiteSubmissionChangesNothing", "POST|HTTP_SEC_FETCH_SITE=cross-site|HTTP_HOST=192.0.2.10", Submission(), R(""), "", "", 0,
         "error configwebloghandler SetTolSettingsCgi Cross-site request refused (Sec-Fetch-Site 'cross-site', Origin '', Host "
         "'192.0.2.10') -> redirect|!No remove button"},
        {"AForeignOriginCantRemove", "POST|HTTP_ORIGIN=http://292.0.2.10|HTTP_HOST=192.0.2.10", "sessionid=77&removeyes=Yes", R("")},
        {"ASameOriginSubmissionIsStored", "POST|HTTP_SEC_FETCH_SITE=same-origin|HTTP_ORIGIN=http://192.0.2.10|HTTP_HOST=192.0.2.10",
         Submission(), R(""), kStored, kMarked, 1},
        {"CrLfInEveryFieldIsRejected", "POST", Submission("outlet=7" + crlf + "&dealer=42" + crlf + "&tolurl=/x" + crlf + "&dns2=1" + crlf), ""},
        {"RawCrLfInTheQueryIsRejected", "GET",
         "sessionid=4\r\nLocation: http://evil/\r\n&submit=Save&outlet=7&dealer=42&toladdress=10.0.0.2&tolport=1&tolurl=/a\r\nb", ""},
        {"NulBytesAreRejected", "POST", Submission("outlet=7%00&dealer=4%002&tolurl=/a%00b&toladdress=10.0.0.2%00"), ""},
        {"InvalidEscapesAreRejected", "POST", "sessionid=%&submit=Save&outlet=%G1&dealer=%4&toladdress=%%&tolport=%ZZ&tolurl=%", ""},
        {"TenThousandFieldsAroundASubmission", "POST", fields + Submission(), R(""), kStored, kMarked, 1},
        {"NonAsciiBytesInTheUrlAreStored", "POST", Submission("tolurl=/%C3%A9%FF%80"), R(""), "7|000042|10.0.0.2|5302|/\xc3\xa9\xff\x80|10.0.0.1|10.0.0.3", kMarked, 1},
        {"NoMethodIsNoSubmission", "POST|-REQUEST_METHOD", Submission(), ""},
        {"MultipartWithUnterminatedHeaders", "POST|CONTENT_TYPE=multipart/form-data; boundary=XyZ", "--XyZ\r\nContent-Disposition: form-data; name=\"sessionid\"\r\nX: 1\r\n--XyZ--", ""},
        {"PageShowsTheStoredSettings", "PAGE", "sessionid=1234", "@TolSettingsForm-1234.html", "", "", 0, "",
         "network.config.discover.mode=1\ntol.outlet=7\ntol.dealer=000042\ntol.address=tol.example.com\ntol.port=\n"
         "tol.extendedurl=/tol/upload\ndns.server.1=10.0.0.1\n"},
        {"PageOfAFreshDeviceHasANewSessionAndEmptyFields", "PAGE", "",
         "<input type=\"hidden\" name=\"sessionid\" value=\"|name=\"outlet\" value=\"\"  />|name=\"dns1\" value=\"\" "
         "disabled=\"disabled\"  />|!class=\"wrong\"", "", "", 0, "New session id is ", nullptr},
        {"PageMarksRejectedFieldsAndShowsTheRequestValues", "PAGE",
         "sessionid=55&outletwrong=1&tolportwrong=1&dns2wrong=1&outlet=&dealer=42&toladdress=10.0.0.2&tolport=&tolurl=/a%20b%26c&dns1=&dns2=",
         "name=\"outlet\" value=\"\" class=\"wrong\"  /><span class=\"message\" >Expected: 1 or 2 digits</span>|name=\"dealer\" "
         "value=\"42\"  />|name=\"tolport\" value=\"\" class=\"wrong\"|name=\"tolurl\" value=\"/a b&amp;c\"  />|name=\"dns2\" "
         "value=\"\" class=\"wrong\"|!disabled", "", "", 0, "", "network.config.discover.mode=202\ntol.dealer=000001\n"},
        {"PageMarksOnlyFlagsOfValueOne", "PAGE", "sessionid=1&outletwrong=0&dealerwrong=1&tolportwrong=y",
         "name=\"outlet\" value=\"\"  />|name=\"dealer\" value=\"000009\" class=\"wrong\"|name=\"tolport\" value=\"\"  />", "", "", 0, "",
         "network.config.discover.mode=1\ntol.dealer=000009\n"},
        {"PageFixesTheDnsFieldsInOtherModes", "PAGE", "sessionid=1",
         "name=\"dns1\" value=\"10.0.0.1\" disabled=\"disabled\"|name=\"dns2\" value=\"\" disabled=\"disabled\"", "", "", 0, "",
         "network.config.discover.mode=202 x\ndns.server.1=10.0.0.1\n"},
        {"PageEscapesStoredValues", "PAGE", "sessionid=1",
         "name=\"tolurl\" value=\"&quot;&gt;&lt;script&gt;alert(1)&lt;/script&gt;&lt;b x=&#39;y&#39;&gt;&amp;amp;&#65533;&#65533;\xe9\"|!<script",
         "", "", 0, "", "tol.extendedurl=\"><script>alert(1)</script><b x='y'>&amp;\x01\x7f\xe9\n"},
        {"PageEscapesRequestValues", "PAGE", "sessionid=7%22%3E%3Cscript%3E&outletwrong=%3Cscript%3E&tolurl=%22%3E%3Cscript%3E&dealer=%0D%0A%00",
         "tolsettings.cgi?sessionid=7\" >|name=\"sessionid\" value=\"7\"  />|name=\"dealer\" value=\"&#65533;&#65533;&#65533;\"|"
         "name=\"tolurl\" value=\"&quot;&gt;&lt;script&gt;\"|!<script|!class=\"wrong\""},
        {"DeviceSettingsAreStoredInOneSave", kDc, "sessionid=77&submit=Save&hostname=dev-7&color=red&kaldmode=KALD-Neo",
         kDcSaved, "kald.mode=KALD-Neo\norva.color=red\norva.hostname=dev-7\n", kMarked, 0, "", kDevice},
        {"EveryRejectedDeviceFieldIsFlagged", kDc, "sessionid=77&submit=Save&hostname=-dev&color=purple&kaldmode=kald",
         "Location: deviceconfiguration.cgi?sessionid=77&hostnamewrong=1&colorwrong=1&kaldmodewrong=1&hostname=&color=&kaldmode=\n\n\n",
         "", "", 0, "error configwebloghandler SetDeviceConfigurationCgi Element hostname -dev not valid|Element color purple not "
         "valid|Element kaldmode kald not valid", kDevice},
        {"StoredValuesOutsideTheListsAreKept", kDc, "sessionid=77&submit=Save&hostname=ORVA&color=pink&kaldmode=Legacy", kDcSaved,
         "kald.mode=Legacy\norva.color=pink\norva.hostname=ORVA\n", kMarked, 0, "", "orva.hostname=ORVA\norva.color=pink\nkald.mode=Legacy\n"},
        {"HeadOfADeviceSubmissionChangesNothing", "HEAD|setdeviceconfiguration.cgi", "sessionid=77&submit=Save&hostname=a&color=red&kaldmode=KALD",
         "Location: deviceconfiguration.cgi?sessionid=77\n\n", "", "", 0, "", kDevice},
        {"ACrossSiteDeviceSubmissionChangesNothing", std::string(kDc) + "|HTTP_ORIGIN=null|HTTP_HOST=192.0.2.10",
         "sessionid=77&submit=Save&hostname=a&color=red&kaldmode=KALD", kDcBack, "", "", 0, "Cross-site request refused", kDevice},
        {"DeviceConfigurationOffersNoRemoval", kDc, "sessionid=77&remove=R&removeyes=Yes", kDcBack, "", "", 0,
         "SetDeviceConfigurationCgi Element submit not set -> revert|!No remove button", kDevice},
        {"DevicePageShowsTheStoredValuesAndAnUnlistedOne", "PAGE|deviceconfiguration.cgi", "sessionid=1234",
         "name=\"hostname\" value=\"ORVA\"  />|<option value=\"red\" style=\"background-color: #be1110\" >red</option>|"
         "<option value=\"pink\" selected=\"selected\" >pink</option>|<option value=\"KALD-Neo\" selected|!name=\"remove\"|!class=\"swatch\"",
         "", "", 0, "", "kald.mode=KALD-Neo\norva.color=pink\norva.hostname=ORVA\n"},
        {"DevicePageMarksRejectedFieldsAndAFailedSave", "PAGE|deviceconfiguration.cgi",
         "sessionid=1&savefailed=1&saved=0&hostnamewrong=1&hostname=&color=%3Cb%3E&kaldmode=KALD",
         "<div class=\"Page\" ><p class=\"failure\" >The settings could not be saved.</p><form|value=\"\" class=\"wrong\"  /><span "
         "class=\"message\" >Expected: 1 to 63|<option value=\"white\" style|<option value=\"&lt;b&gt;\" selected=\"selected\" >&lt;b&gt;<|"
         "!class=\"saved\""},
        {"InformationOfABareDevice", "PAGE|deviceinformation.cgi", "sessionid=3",
         "<p class=\"warning\" >No password is set: anyone on the network can change this device.|<h2>Identity</h2>|Serial Number</th><td>not available|Host Name</th><td>&lt;b&gt;x|Device Color</th><td>pink</td>|Live "
         "Patch</th><td>none|Supply Voltage KL15</th><td>not available|Memory</th><td>249.3 MiB (255288 kB)|LAN MAC Address</th><td>"
         "not available|Default Gateway</th><td>none (no default route)|<td>[0+;1+;2?;3?]</td>|no MOST interface found|!not found",
         "", "", 0, "", "orva.hostname=<b>x\norva.color=pink\n"},
        {"LanAddressesTypedByHandAreStored", "POST|setlansettings.cgi",
         "sessionid=77&submit=Save&discovermode=1&ip=192.168.10.20&netmask=255.255.255.0&gateway=192.168.10.1",
         "Location: lansettings.cgi?sessionid=77&saved=1\n\n\n", "kald.mode=KALD\nnetwork.config.discover.mode=1\nnetwork.config.static.gateway="
         "192.168.10.1\nnetwork.config.static.ip=192.168.10.20\nnetwork.config.static.netmask=255.255.255.0\n", kMarked, 0, "", kLan},
        {"TheAutomaticModeKeepsTheStoredAddresses", "POST|setlansettings.cgi", "sessionid=77&submit=Save&discovermode=3&ip=10.9.9.9",
         "Location: lansettings.cgi?sessionid=77&saved=1\n\n\n", "kald.mode=KALD\nnetwork.config.discover.mode=3\nnetwork.config.static.ip=192.168.68.41\n",
         kMarked, 0, "", kLan},
        {"HeadOfALanSubmissionChangesNothing", "HEAD|setlansettings.cgi", "sessionid=77&submit=Save&discovermode=3",
         "Location: lansettings.cgi?sessionid=77\n\n", "", "", 0, "", kLan},
        {"LanPageSaysWhereItWillBe", "PAGE|lansettings.cgi|SERVER_PORT=8080", "sessionid=77&saved=1",
         "<script src=\"/style/configweb.js\"|<p class=\"saved\" >|this page is at http://192.168.10.20:8080/zelconf/lansettings.cgi.</p>"
         "|onchange=\"showChoice(this.form)\"|name=\"ip\" value=\"192.168.10.20\"  /></td><td class=\"current\" >now: not available<",
         "", "", 0, "", "network.config.discover.mode=202\nnetwork.config.static.ip=192.168.10.20\n"},
        {"WlanKeysAreStoredButNeverEchoed", "POST|setwlansettings.cgi", kWlan + std::string("psk=secret%20key"),
         "Location: wlansettings.cgi?sessionid=77&saved=1\n\n\n", "country.code=DE\nkald.mode=KALD\nwlan.conf.infra.band=1\nwlan.conf.infra.psk=secret key"
         "\nwlan.conf.infra.roaming.enable=0\nwlan.conf.infra.security.level=105\nwlan.conf.infra.ssid=workshop\n", kMarked, 0, "!secret", ""},
        {"ARejectedKeyIsNeitherEchoedNorLogged", "POST|setwlansettings.cgi", kWlan + std::string("psk=short%20k"), "~[^\n]*pskwrong=1&"
         "security=105&ssid=workshop&band=1&encryption=&authentication=&identity=&roaming=0&roamingthreshold=&country=DE&apssid=&apchannel=\n\n\n",
         "", "", 0, "SetWlanSettingsCgi Element psk not valid|!short", ""},
        {"AStoredLevelOutsideTheListIsKept", "POST|setwlansettings.cgi", "sessionid=77&submit=Save&security=110&ssid=x",
         "Location: wlansettings.cgi?sessionid=77&saved=1\n\n\n", "kald.mode=KALD\nwlan.conf.infra.security.level=110\n", kMarked, 0, "",
         "wlan.conf.infra.security.level=110\n"},
        {"ACrossSiteWlanSubmissionChangesNothing", "POST|setwlansettings.cgi|HTTP_SEC_FETCH_SITE=cross-site", kWlan + std::string("psk=12345678"),
         "Location: wlansettings.cgi?sessionid=77\n\n\n", "", "", 0, "", ""},
        {"WlanPageShowsNoKeyAndAFailedWrite", "PAGE|wlansettings.cgi", "sessionid=77&wpafailed=1&pskwrong=1",
         "<p class=\"failure\">The WLAN settings were stored, but the wpa_supplicant|<option value=\"105\" selected|name=\"psk\" value=\"\" "
         "class=\"wrong\"  /><span class=\"unit\" >stored; leave empty|Expected: 8 to 63|name=\"appsk\" value=\"\" disabled|!top secret", "", "", 0, "",
         "wlan.conf.infra.security.level=105\nwlan.conf.infra.psk=top secret\n"},
        {"SelfTestOfABareDevice", "PAGE|selftest.cgi|nopipe", "sessionid=77",
         "passed, 1 warning, 1 failed, 6 not available.</p>|Temperature</td><td>not available, critical: not available</td><td class=\"not-"
         "available\" >|Backup of the agent configuration</td><td>none yet (the first save makes it)</td><td class=\"warning\" >|Log file</td>"
         "<td>writable</td>|Settings "
         "pipe of the device software</td><td>missing</td><td class=\"failed\" >|Measurement device</td><td>/dev/measure/0 open</td><td class=\"passed\" >"
         "|action=\"/zelconf/selftest.cgi\"|value=\"Run again\"", "", "", 0, "", nullptr},
        {"NoPasswordSignInGoesToThePage", "GET|signin.cgi", "sessionid=77&page=deviceinformation.cgi&password=x",
         "Location: deviceinformation.cgi?sessionid=77\n\n\n", "", nullptr},
        {"APageWithoutASessionGoesToTheSignIn", "PAGE|password", "sessionid=1234&outletwrong=1", kToSignIn, "", nullptr, 0,
         "debug configwebloghandler AccessGate tolsettings.cgi without a session from unknown -> sign-in page"},
        {"ASubmissionWithoutASessionIsForbidden", "POST|password|REMOTE_ADDR=192.0.2.7", Submission(), kForbidden, "", nullptr, 0,
         "error configwebloghandler AccessGate settolsettings.cgi without a session from 192.0.2.7 -> forbidden|!10.0.0|!Element"},
        {"ARemovalWithoutASessionIsForbidden", "POST|password", "sessionid=77&removeyes=Yes", kForbidden, "", nullptr},
        {"EveryHandlerIsForbiddenWithoutASession", std::string(kDc) + "|password", "sessionid=77&submit=Save&hostname=a&color=red&kaldmode=KALD",
         kForbidden, "", nullptr, 0, "", kDevice},
        {"AWrongPasswordIsRefusedAndLogged", kSignIn, "sessionid=77&page=deviceconfiguration.cgi&password=Wrong-guess",
         "<p class=\"failure\" >Wrong password.</p>|name=\"page\" value=\"deviceconfiguration.cgi\"|type=\"password\"|!Wrong-guess|!signout",
         "", nullptr, 0, "error configwebloghandler SignInCgi Wrong password from 192.0.2.7|!Wrong-guess"},
        {"TheRightPasswordSetsTheSessionCookie", kSignIn, kRightPassword, SIGNED_IN("", "deviceinformation\\.cgi\\?sessionid=77"), "",
         nullptr, 0, "info configwebloghandler SignInCgi Signed in from 192.0.2.7"},
        {"OverHttpsTheCookieIsSecureAndAForeignTargetGoesToTolSettings", std::string(kSignIn) + "|HTTPS=on",
         "sessionid=77&page=http://evil/x.cgi&password=Workshop-7", SIGNED_IN("; Secure", "tolsettings\\.cgi\\?sessionid=77"), "", nullptr},
        {"ASignedInPageIsServedWithSignOut", "PAGE|session=live", "sessionid=1234", "<form method=\"post\" action=\"/zelconf/signin.cgi\" >"
         "<div><input type=\"hidden\" name=\"sessionid\" value=\"1234\"  /><input type=\"submit\" name=\"signout\" value=\"Sign Out\"  />"
         "</div></form></div>|name=\"outlet\""},
        {"ASignedInSubmissionIsStored", "POST|session=live", Submission(), R(""), kStored, kMarked, 1},
        {"ASignedInDeviceHasNoWarning", "PAGE|deviceinformation.cgi|session=live", "sessionid=3", "<h2>Identity</h2>|!No password"},
        {"AForgedTokenIsNoSession", "PAGE|session=forged", "sessionid=1234", kToSignIn, "", nullptr},
        {"ATruncatedTokenIsNoSession", "POST|session=truncated", Submission(), kForbidden, "", nullptr},
        {"AnyOtherCookieIsNoSession", "POST|password|HTTP_COOKIE=zelconf_session=../../config/configweb.password", Submission(), kForbidden, "", nullptr},
        {"AnHourWithoutUseEndsASession", "PAGE|session=idle", "sessionid=1234", kToSignIn, "", nullptr},
        {"TwelveHoursEndASession", "POST|session=aged", Submission(), kForbidden, "", nullptr},
        {"ASignedOutTokenIsNoSession", "PAGE|session=ended", "sessionid=1234", kToSignIn, "", nullptr, 0, "Signed out from 192.0.2.50"},
        {"APasswordChangeEndsEverySession", "PAGE|session=renewed", "sessionid=1234", kToSignIn, "", nullptr},
        {"SignOutClearsTheCookie", "POST|signin.cgi|session=live", "sessionid=77&signout=Sign+Out",
         "Set-Cookie: zelconf_session=; HttpOnly; SameSite=Strict; Path=/zelconf; Max-Age=0\n"
         "Location: signin.cgi?sessionid=77&page=tolsettings.cgi&signedout=1\n\n\n", "", nullptr},
        {"TheSignInPageAsksForThePassword", "GET|signin.cgi|password", "sessionid=77&page=lansettings.cgi&signedout=1",
         "<title>ORVA Configuration Manager - Sign In</title>|<p class=\"saved\" >You have signed out.</p>|action=\"/zelconf/signin.cgi\"|"
         "name=\"page\" value=\"lansettings.cgi\"|<label for=\"password\" >Password</label>|name=\"signin\" value=\"Sign In\"|!active", "", nullptr},
        {"SignedInTheSignInGoesToThePage", "GET|signin.cgi|session=live", "sessionid=5&page=selftest.cgi", "Location: selftest.cgi?sessionid=5\n\n\n", "", nullptr},
        {"ACrossSiteSignInIsRefused", std::string(kSignIn) + "|HTTP_ORIGIN=null|HTTP_HOST=192.0.2.10", kRightPassword,
         "Location: signin.cgi?sessionid=77&page=deviceinformation.cgi\n\n\n", "", nullptr, 0, "Cross-site sign-in or sign-out refused|!Signed in"},
        {"HeadNeverSignsIn", "HEAD|signin.cgi|password", kRightPassword, "Content-Type: text/html\n\n", "", nullptr, 0, "!Signed in"},
        {"FourFailuresLeaveTheAddressOpen", std::string(kSignIn) + "|failed=4@192.0.2.7", kRightPassword, SIGNED_IN("", ".*"), "", nullptr},
        {"TheSixthAttemptIsRefusedUnchecked", std::string(kSignIn) + "|failed=5@192.0.2.7", kRightPassword,
         "<p class=\"failure\" >Too many failed sign-ins|!Set-Cookie", "", nullptr, 0,
         "Wrong password from 192.0.2.7|error configwebloghandler SignInCgi Sign-in from 192.0.2.7 refused unchecked|!Signed in"},
        {"AnotherAddressStillSignsIn", std::string(kSignIn) + "|failed=5@192.0.2.8", kRightPassword, SIGNED_IN("", ".*"), "", nullptr},
        {"ThirtyFailuresRefuseEveryAddress", std::string(kSignIn) + "|failed=30@*", kRightPassword, "Too many failed sign-ins|!Set-Cookie", "", nullptr},
    };
    // clang-format on
}

// A session signed in with kPassword, as the cookie names it: "live", "forged" (another
// secret), "truncated", "idle" (unused for an hour), "aged" (begun twelve hours ago), "ended"
// (signed out) or "renewed" (the password set again since).
std::string Cookie(const std::string& kind) {
    const auto signIn = [](const std::string& body, const std::string& cookie) {
        Program program = Program::Cgi(PROGRAMS_DIR "/signin.cgi", "POST", body);
        program.env.insert({{"REMOTE_ADDR", "192.0.2.50"}, {AccessGate::kCookieVariable, cookie}});
        return program.Run().out;
    };
    const std::string answer = signIn(std::string("password=") + kPassword, "");
    std::string token = answer.substr(answer.find('=') + 1, SessionStore::kTokenLength);
    const std::string file = SessionStore::kFolder + ("/" + token.substr(0, SessionStore::kIdLength));
    const std::string cookie = std::string(AccessGate::kCookieName) + "=";
    const time_t now = std::time(nullptr);
    const timespec used[] = {{0, UTIME_OMIT}, {now - static_cast<time_t>(SessionStore::kIdleSeconds), 0}};
    EXPECT_TRUE(kind != "idle" || ::utimensat(AT_FDCWD, file.c_str(), used, 0) == 0);
    const std::string began = std::to_string(now - SessionStore::kLifeSeconds);
    if (kind == "aged") Write(file, token.substr(SessionStore::kIdLength) + " " + began + "\n");
    if (kind == "ended") signIn("signout=1", cookie + token);
    Program tool({ZELCONFIG_BINARY, "passwd"});
    tool.input = "Workshop-8\n";
    EXPECT_TRUE(kind != "renewed" || tool.Run().status == 0);
    if (kind == "forged") token.back() = token.back() == '0' ? '1' : '0';
    if (kind == "truncated") token.pop_back();
    return "theme=dark; " + cookie + token;  // among the cookies of other programs
}

void Prepare(const std::vector<std::string>& words, Program& program) {
    for (const std::string& word : words) {
        const std::string name = word.substr(0, word.find('='));
        if (name != "password" && name != "failed" && name != "session") continue;
        program.env.erase(name);
        Write(PasswordFile::kPath, kPasswordHash);
        const size_t at = word.find('@');
        for (int i = 0; name == "failed" && i < std::stoi(word.substr(7)); ++i) {
            Program guess = Program::Cgi(PROGRAMS_DIR "/signin.cgi", "POST", "password=Wrong-guess");
            const std::string address = word.substr(at + 1);
            guess.env["REMOTE_ADDR"] = address == "*" ? "198.51.100." + std::to_string(i) : address;
            guess.Run();
        }
        if (name == "session") program.env.emplace(AccessGate::kCookieVariable, Cookie(word.substr(8)));
    }
}

void PrintTo(const Row& row, std::ostream* out) { *out << row.name; }

void ExpectAnswer(const std::string& expected, const std::string& answer) {
    if (expected[0] == '@') {  // the frame of every page around the form
        std::string page = Read(TEST_DATA_DIR "/Frame-1234.html");
        const std::string form = Read(TEST_DATA_DIR "/" + expected.substr(1));
        EXPECT_EQ(answer, page.replace(page.find("@FORM@"), 6, form.substr(0, form.find('\n'))));
    } else if (expected[0] == '~') {
        EXPECT_TRUE(std::regex_match(answer, std::regex(expected.substr(1)))) << answer;
    } else if (expected.rfind("Location: ", 0) == 0 || expected.rfind("Status: ", 0) == 0) {
        EXPECT_EQ(answer, expected);
    } else {
        ExpectPieces(answer, expected);
    }
}

void ExpectSettings(const Row& row) {
    const std::string stored = Read(kConfig), before = row.before != nullptr ? row.before : "";
    if (row.settings.find('\n') != std::string::npos || (row.settings.empty() && row.before != nullptr)) {
        EXPECT_EQ(stored, row.settings.empty() ? before : row.settings);
    } else if (!row.settings.empty()) {
        const std::vector<std::string> values = Lines(row.settings + "|", '|');
        for (size_t i = 0; i < 7; ++i) EXPECT_EQ(Property(kKeys[i]), values[i]) << kKeys[i];
        for (const std::string& line : Lines(before)) {
            const bool kept = line.rfind("dns.", 0) == 0 || ("\n" + stored).find("\n" + line + "\n") != std::string::npos;
            EXPECT_TRUE(kept) << line;
        }
    }
}

class RequestTest : public testing::TestWithParam<Row> {};

TEST_P(RequestTest, AnswersAndLeavesTheFiles) {
    const Row& row = GetParam();
    const std::vector<std::string> method = Lines(row.method, '|');
    const auto has = [&method](const char* word) { return std::count(method.begin(), method.end(), word) > 0; };
    if (row.before != nullptr) Write(kConfig, row.before);
    if (row.list != nullptr) Write(kChangeList, row.list);
    EXPECT_EQ(has("nopipe") ? 0 : ::mkfifo(kPipe, 0600), 0);
    const int pipe = ::open(kPipe, O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    const bool page = method[0] == "PAGE";
    const auto named = std::find_if(method.begin(), method.end(), [](const std::string& w) { return w.find(".cgi") != std::string::npos; });
    const std::string binary = named != method.end() ? PROGRAMS_DIR "/" + *named : page ? PAGE_BINARY : CGI_BINARY;
    Program program = Program::Cgi(binary.c_str(), page ? "GET" : method[0], row.request);
    for (const std::string& word : method) {
        const size_t equals = word.find('=');
        if (word[0] == '-') program.env.erase(word.substr(1));
        if (equals != std::string::npos) program.env[word.substr(0, equals)] = word.substr(equals + 1);
    }
    Prepare(method, program);
    const Outcome outcome = program.Run(has("closed"));
    EXPECT_EQ(outcome.status, 0);
    const cgianswer::Shape shape = cgianswer::Inspect(outcome.out);
    EXPECT_TRUE(shape.wellFormed || has("closed")) << shape.problem << "\n" << outcome.out.substr(0, 500);
    if (!row.answer.empty()) ExpectAnswer(row.answer, outcome.out);
    ExpectSettings(row);
    EXPECT_EQ(Exists(kChangeList) ? Read(kChangeList) : "<none>", row.marks ? row.marks : "<none>");
    char bytes[8] = {};
    EXPECT_EQ(std::string(bytes, std::max<ssize_t>(::read(pipe, bytes, sizeof bytes), 0)),
              std::string(static_cast<size_t>(row.signals), '\x01'));
    EXPECT_FALSE(Exists(kConfigNew));
    ExpectPieces(LogEvents(), row.log);
}

INSTANTIATE_TEST_SUITE_P(Rows, RequestTest, testing::ValuesIn(Rows()),
                         [](const testing::TestParamInfo<Row>& info) { return info.param.name; });

// Whatever the agent configuration, the change list and the status files read at every
// start-up hold, both programs answer and a valid submission is stored and marked.
TEST(HostileFileTest, BothProgramsAnswerAndASubmissionIsStoredOverAnyContent) {
    std::string junk, line(100000, '7');
    for (unsigned i = 0; i < 4096; ++i) junk += static_cast<char>((i * 37u + i / 256u) & 0xff);
    const char nul[] = "kald.mode=KALD\0-Neo\nnetwork.config.discover.mode=1\0x\n\0\0\0\nsernum\0=1\n3;1\0\n\0;\0\n";
    for (const std::string& content : {"tol.outlet=" + line + "\n" + std::string(100000, '=') + "\n" + line + ";1\n",
                                       std::string(nul, sizeof nul - 1), std::string("\nnetwork.config.discover.mode=1\n\n7;1"), junk}) {
        for (const char* path : {kConfig, kChangeList, "/sys/orva_neo/sysinfo/sernum", "/sys/orva_neo/sysinfo/version",
                                 "/config/wlan.mac", "/etc/VERSION", "/app/VERSION", "/livepatch/lp.info", "/tmp/sf2static"}) {
            Write(path, content);
        }
        for (const char* program : {PAGE_BINARY, CGI_BINARY}) {
            const Outcome outcome = Program::Cgi(program, "GET", "sessionid=21&remove=1").Run();
            EXPECT_TRUE(outcome.status == 0 && cgianswer::Inspect(outcome.out).wellFormed) << content.substr(0, 30);
        }
        EXPECT_EQ(Program::Cgi(CGI_BINARY, "POST", Submission("", "21")).Run().out, "Location: tolsettings.cgi?sessionid=21\n\n\n");
        EXPECT_EQ(Property("tol.dealer") + Property("tol.address"), "00004210.0.0.2");
        EXPECT_EQ(Read(kConfig).find('\0'), std::string::npos);
        const std::string list = Read(kChangeList), lines = "(-?[0-9]+;-?[0-9]+\n)*";  // well-formed
        EXPECT_TRUE(std::regex_match(list, std::regex(lines + "21;1\n" + lines))) << list;  // with the mark
    }
}

// Every page as the browser gets it, fresh and after a rejected submission and a failed
// save, the removal confirmation and the sign-in: tidy finds no error in its markup (only
// warnings).
TEST(PageMarkupTest, NoPageHasAMarkupError) {
    for (const std::string page : {"tolsettings.cgi?sessionid=1&outletwrong=1&outlet=%3C&tolurl=%22",
                                   "settolsettings.cgi?sessionid=1&remove=1", "deviceinformation.cgi?sessionid=1",
                                   "deviceconfiguration.cgi?sessionid=1&savefailed=1&hostnamewrong=1&color=%3C",
                                   "lansettings.cgi?sessionid=1&saved=1&ipwrong=1&discovermode=1", "selftest.cgi?sessionid=1",
                                   "wlansettings.cgi?sessionid=1&security=106&wpafailed=1&identitywrong=1",
                                   "signin.cgi?sessionid=1&signedout=1"}) {
        if (page.rfind("signin", 0) == 0) Write(PasswordFile::kPath, kPasswordHash);  // else a redirect
        const size_t query = page.find('?');
        const std::string answer =
            Program::Cgi((PROGRAMS_DIR "/" + page.substr(0, query)).c_str(), "GET", page.substr(query + 1)).Run().out;
        Write("/tmp/page.html", answer.substr(answer.find("\n\n") + 2));
        const int status = std::system("tidy -q -e /tmp/page.html 2>/tmp/tidy.txt");
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) < 2) << page << "\n" << Read("/tmp/tidy.txt");
    }
}

// Run in a root whose /config is read-only, or a small file system filled up (see
// CMakeLists.txt): a submission and a removal are answered with the failure flag, the
// submission's values come back, both files stay as they were, nothing is marked or
// signalled and each failed save is logged; with room again the next one is stored.
void ExpectNothingStored(const char* reason) {
    const std::string live = Read(kConfig), old = Read(kConfigOld);
    ASSERT_FALSE(live.empty());
    ASSERT_EQ(::mkfifo(kPipe, 0600), 0);
    const int pipe = ::open(kPipe, O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    EXPECT_EQ(Program::Cgi(CGI_BINARY, "POST", Submission()).Run().out, R("&savefailed=1&" "outlet=" FIELDS "&dns1=10.0.0.1&dns2=10.0.0.3"));
    EXPECT_EQ(Program::Cgi(CGI_BINARY, "POST", "sessionid=77&removeyes=Yes").Run().out, R("&savefailed=1"));
    EXPECT_EQ(Program::Cgi(PROGRAMS_DIR "/setdeviceconfiguration.cgi", "POST", "sessionid=7&submit=S&hostname=a&color=red&kaldmode=KALD")
                  .Run().out, "Location: deviceconfiguration.cgi?sessionid=7&savefailed=1&hostname=a&color=red&kaldmode=KALD\n\n\n");
    EXPECT_EQ(Read(kConfig) + Read(kConfigOld), live + old);
    char signal = 0;
    EXPECT_FALSE(Exists(kConfigNew) || Read(kChangeList).find(";1") != std::string::npos || ::read(pipe, &signal, 1) > 0);
    const std::vector<std::string> events = Lines(LogEvents());
    EXPECT_EQ(std::count(events.begin(), events.end(),
                         std::string("error zelloghandler ZelConfig Can't save /config/agent.configuration: ") + reason), 3);
    ExpectPieces(LogEvents(), "Can't save the settings of TOL Settings -> redirect|Can't save the settings of TOL Settings|"
                 "SetDeviceConfigurationCgi Can't save the settings of Device Configuration");
}

TEST(StorageFailureTest, AReadOnlyConfigFolderKeepsTheFiles) { ExpectNothingStored("Read-only file system"); }

TEST(StorageFailureTest, AFullFileSystemKeepsTheFiles) {
    Write(kConfig, "kald.mode=KALD\nnetwork.config.discover.mode=1\ntol.dealer=1\n");
    Write(kConfigOld, "kald.mode=KALD\n");
    Write("/config/agent.configuration.lock", "");
    std::ofstream("/config/filler") << std::string(1 << 20, 'f');  // as much as fits
    ExpectNothingStored("No space left on device");
    ASSERT_EQ(::unlink("/config/filler"), 0);
    EXPECT_EQ(Program::Cgi(CGI_BINARY, "POST", Submission()).Run().out, R(""));
    EXPECT_EQ(Property("tol.dealer"), "000042");
}

}  // namespace
