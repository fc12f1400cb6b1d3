// The TOL Settings page end to end: the built page program (and, for the way back from a
// failed submission, the form handler) run as the web server runs them, inside the private
// root, judged by the HTML they write.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "CgiProcess.h"
#include "FileText.h"
#include "LogFile.h"

namespace {

constexpr const char* kLive = "/config/agent.configuration";
constexpr const char* kFields[] = {"outlet", "dealer", "toladdress", "tolport",
                                   "tolurl", "dns1",   "dns2"};
constexpr const char* kDisabled = "disabled=\"disabled\"";
constexpr const char* kMarked = "class=\"wrong\"";

std::string Page(const std::string& query) {
    CgiResult result = CgiProcess::Get(PAGE_BINARY, query).Run();
    EXPECT_EQ(result.exitStatus, 0) << query;
    return result.output;
}

size_t Count(const std::string& text, const std::string& part) {
    size_t count = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) {
        ++count;
    }
    return count;
}

// The text field of `name` together with its message, when it has one: from its input tag
// to the end of its table cell.
std::string Field(const std::string& page, const std::string& name) {
    const size_t start = page.find("<input type=\"text\" id=\"" + name + "\"");
    if (start == std::string::npos) return "<no field " + name + ">";
    return page.substr(start, page.find("</td>", start) - start);
}

std::string Value(const std::string& page, const std::string& name) {
    const std::string field = Field(page, name);
    const size_t start = field.find(" value=\"");
    if (start == std::string::npos) return "<no value>";
    return field.substr(start + 8, field.find('"', start + 8) - start - 8);
}

std::vector<std::string> Marked(const std::string& page) {
    std::vector<std::string> marked;
    for (const char* name : kFields) {
        if (Field(page, name).find(kMarked) != std::string::npos) marked.push_back(name);
    }
    return marked;
}

void Store(const std::string& lines) { filetext::Write(kLive, lines); }

TEST(TolSettingsPageTest, StoredSettingsFillTheFormAndAMissingOneIsEmpty) {
    Store(
        "network.config.discover.mode=1\ntol.outlet=7\ntol.dealer=000042\n"
        "tol.address=tol.example.com\ntol.port=\ntol.extendedurl=/tol/upload\n"
        "dns.server.1=10.0.0.1\n");
    EXPECT_EQ(Page("sessionid=1234"), filetext::Read(TEST_DATA_DIR "/TolSettingsPage-1234.html"));
}

TEST(TolSettingsPageTest, AFreshRequestGetsANewSessionAndEmptyFields) {
    const std::string page = Page("");
    const std::string hidden = "<input type=\"hidden\" name=\"sessionid\" value=\"";
    const size_t at = page.find(hidden);
    ASSERT_NE(at, std::string::npos);
    const std::string id =
        page.substr(at + hidden.size(), page.find('"', at + hidden.size()) - at - hidden.size());
    ASSERT_FALSE(id.empty());
    EXPECT_EQ(id.find_first_not_of("0123456789"), std::string::npos) << id;
    EXPECT_NE(logfile::LineWithMessage("New session id is " + id), "");
    EXPECT_EQ(Count(page, "?sessionid=" + id + "\""), 6u);
    EXPECT_EQ(Count(page, "<li class=\"active\" ><a href=\"/zelconf/tolsettings.cgi?"), 1u);
    // Nothing stored yet: the default content, in whose discovery mode DNS is automatic.
    for (const char* name : kFields) EXPECT_EQ(Value(page, name), "") << name;
    EXPECT_EQ(Count(page, kDisabled), 2u);
    EXPECT_NE(Field(page, "dns1").find(kDisabled), std::string::npos);
    EXPECT_EQ(Count(page, "<input type=\"submit\" name=\"remove\" value=\"Remove Settings\""), 1u);
}

TEST(TolSettingsPageTest, AFailedSubmissionComesBackMarkedWithTheAcceptedValues) {
    Store("network.config.discover.mode=202\ntol.outlet=1\ntol.dealer=000001\n");
    const std::string body =
        "sessionid=55&submit=Save&outlet=123&dealer=42&toladdress=10.0.0.2"
        "&tolport=123456&tolurl=%2Fa+b%26c&dns1=10.0.0.1&dns2=x";
    const std::string answer = CgiProcess::Post(CGI_BINARY, body).Run().output;
    const std::string prefix = "Location: tolsettings.cgi?";
    ASSERT_EQ(answer.compare(0, prefix.size(), prefix), 0) << answer;
    const std::string page = Page(answer.substr(prefix.size(), answer.find('\n') - prefix.size()));

    EXPECT_EQ(Marked(page), (std::vector<std::string>{"outlet", "tolport", "dns2"}));
    EXPECT_NE(Field(page, "outlet").find("<span class=\"message\" >Expected: 1 or 2 digits</span>"),
              std::string::npos);
    EXPECT_NE(Field(page, "tolport").find(">Expected: 0 to 5 digits<"), std::string::npos);
    EXPECT_NE(Field(page, "dns2").find(">Expected: an IPv4 address<"), std::string::npos);
    // The request's values, not the stored ones; a rejected field comes back empty.
    const std::vector<std::string> shown = {"", "42", "10.0.0.2", "", "/a b&amp;c", "10.0.0.1", ""};
    for (size_t i = 0; i < shown.size(); ++i) EXPECT_EQ(Value(page, kFields[i]), shown[i]) << i;
    EXPECT_EQ(Count(page, kDisabled), 0u);
    EXPECT_EQ(Count(page, "?sessionid=55\""), 6u);
}

TEST(TolSettingsPageTest, EachFlagSaysWhatItsFieldExpects) {
    Store("network.config.discover.mode=1\n");
    const std::string page = Page(
        "sessionid=1&outletwrong=1&dealerwrong=1&toladdresswrong=1&tolportwrong=1"
        "&tolurlwrong=1&dns1wrong=1&dns2wrong=1&outlet=&dealer=&toladdress=&tolport="
        "&tolurl=&dns1=&dns2=");
    const char* expected[] = {
        "1 or 2 digits",  "1 to 6 digits",         "an IPv4 address or host name",
        "0 to 5 digits",  "no control characters", "an IPv4 address",
        "an IPv4 address"};
    for (size_t i = 0; i < 7; ++i) {
        EXPECT_NE(Field(page, kFields[i]).find(">Expected: " + std::string(expected[i]) + "<"),
                  std::string::npos)
            << kFields[i];
    }
    // Only the flag value "1" marks; a flag alone keeps the stored values.
    Store("network.config.discover.mode=1\ntol.dealer=000009\n");
    const std::string other = Page("sessionid=1&outletwrong=0&dealerwrong=1&tolportwrong=yes");
    EXPECT_EQ(Marked(other), std::vector<std::string>{"dealer"});
    EXPECT_EQ(Value(other, "dealer"), "000009");
}

TEST(TolSettingsPageTest, DnsFieldsAreEditableOnlyInDiscoveryModes1And202) {
    for (const char* mode : {"1", "202"}) {
        Store("network.config.discover.mode=" + std::string(mode) + "\n");
        EXPECT_EQ(Count(Page("sessionid=1"), kDisabled), 0u) << mode;
    }
    for (const char* mode : {"0", "3", "", "01", "202 x"}) {
        Store("network.config.discover.mode=" + std::string(mode) + "\ndns.server.1=10.0.0.1\n");
        const std::string page = Page("sessionid=1");
        EXPECT_EQ(Count(page, kDisabled), 2u) << mode;
        EXPECT_EQ(Field(page, "dns1").find(kDisabled) != std::string::npos, true) << mode;
        EXPECT_EQ(Value(page, "dns1"), "10.0.0.1") << mode;
    }
    Store("tol.outlet=7\n");
    EXPECT_EQ(Count(Page("sessionid=1"), kDisabled), 2u);
}

TEST(TolSettingsPageTest, HostileValuesFromTheRequestOrTheFileCarryNoMarkup) {
    const std::string hostile = "\"><script>alert(1)</script><b x='y'>&amp;";
    const std::string escaped =
        "&quot;&gt;&lt;script&gt;alert(1)&lt;/script&gt;&lt;b x=&#39;y&#39;&gt;&amp;amp;";
    Store("tol.extendedurl=" + hostile + "\x01\x7f\xe9\n");
    const std::string stored = Page("sessionid=1");
    EXPECT_EQ(Value(stored, "tolurl"), escaped + "&#65533;&#65533;\xe9");

    const std::string fromRequest = Page(
        "sessionid=7%22%3E%3Cscript%3E&outletwrong=%3Cscript%3E&tolurl=%22%3E%3Cscript%3Ealert"
        "(1)%3C%2Fscript%3E%3Cb+x%3D%27y%27%3E%26amp%3B&dealer=%0D%0A%00");
    EXPECT_EQ(Value(fromRequest, "tolurl"), escaped);
    EXPECT_EQ(Value(fromRequest, "dealer"), "&#65533;&#65533;&#65533;");
    EXPECT_EQ(Count(fromRequest, "?sessionid=7\""), 6u);
    for (const std::string& page : {stored, fromRequest}) {
        EXPECT_EQ(Count(page, "<script"), 0u);
        EXPECT_EQ(Count(page, "<b "), 0u);
        EXPECT_TRUE(Marked(page).empty());
    }
}

TEST(TolSettingsPageTest, AnyRequestIsAnsweredWithoutACrash) {
    const std::string tail = "</div></form></div></div>\n</body>\n</html>\n";
    const std::string queries[] = {
        "%",
        "%zz&&==&sessionid",
        "outlet=" + std::string(60000, 'x'),
        "sessionid=99999999999999999999&outlet=%FF%FE",
        std::string(5000, '&'),
    };
    for (const std::string& query : queries) {
        const std::string page = Page(query);
        ASSERT_GE(page.size(), tail.size()) << query.substr(0, 40);
        EXPECT_EQ(page.substr(page.size() - tail.size()), tail) << query.substr(0, 40);
    }
    CgiResult tooLarge = CgiProcess::Post(PAGE_BINARY, std::string(70000, 'a')).Run();
    EXPECT_EQ(tooLarge.exitStatus, 0);
    EXPECT_EQ(tooLarge.output.compare(0, 24, "Status: 400 Bad Request\n"), 0) << tooLarge.output;
}

}  // namespace
