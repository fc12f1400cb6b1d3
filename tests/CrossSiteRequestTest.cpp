// Requests a browser marks as coming from another site: judged by their headers, and end to
// end through the form handler, which must change nothing for them.

#include <gtest/gtest.h>

#include <string>

#include "CgiProcess.h"
#include "FileText.h"
#include "LogFile.h"
#include "RequestOrigin.h"

namespace {

TEST(RequestOriginTest, OnlyABrowserMarkNamingAnotherSiteMakesARequestCrossSite) {
    struct Case {
        const char* fetchSite;
        const char* origin;
        const char* host;
        bool crossSite;
    };
    const Case cases[] = {
        {nullptr, nullptr, nullptr, false},
        {nullptr, nullptr, "192.0.2.10", false},
        {"same-origin", "http://192.0.2.10", "192.0.2.10", false},
        {"none", nullptr, "device", false},
        {"same-site", nullptr, "device", false},
        {nullptr, "http://Device:8080", "device:8080", false},
        {nullptr, "HTTPS://device", "device", false},
        {"cross-site", nullptr, "device", true},
        {"cross-site", "http://device", "device", true},
        {nullptr, "http://attacker.example", "device", true},
        {nullptr, "http://device:8081", "device:8080", true},
        {nullptr, "http://device.attacker.example", "device", true},
        {nullptr, "http://devic", "device", true},
        {nullptr, "null", "device", true},
        {nullptr, "ftp://device", "device", true},
        {nullptr, "http://", "", true},
        {nullptr, "http://device", nullptr, true},
        {nullptr, "device", "device", true},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(RequestOrigin::IsCrossSite(c.fetchSite, c.origin, c.host), c.crossSite)
            << (c.fetchSite ? c.fetchSite : "-") << " " << (c.origin ? c.origin : "-") << " "
            << (c.host ? c.host : "-");
    }
}

constexpr const char* kLive = "/config/agent.configuration";
constexpr const char* kChangeList = "/tmp/config_web_changes.lst";
constexpr const char* kPlainRedirect = "Location: tolsettings.cgi?sessionid=77\n\n\n";
constexpr const char* kStored = "network.config.discover.mode=1\ntol.outlet=3\n";
constexpr const char* kValid =
    "sessionid=77&submit=Save&outlet=7&dealer=42&toladdress=10.0.0.2&tolport=5302"
    "&tolurl=%2Ftol&dns1=10.0.0.1&dns2=10.0.0.3";

CgiResult PostFrom(const std::string& body, const std::string& fetchSite,
                   const std::string& origin) {
    CgiProcess process = CgiProcess::Post(CGI_BINARY, body);
    process.Env("HTTP_HOST", "192.0.2.10");
    if (!fetchSite.empty()) process.Env("HTTP_SEC_FETCH_SITE", fetchSite);
    if (!origin.empty()) process.Env("HTTP_ORIGIN", origin);
    return process.Run();
}

TEST(CrossSiteRequestTest, ACrossSiteRequestChangesNothingAndGetsThePlainRedirect) {
    const struct {
        const char* fetchSite;
        const char* origin;
    } marks[] = {{"cross-site", ""}, {"", "http://attacker.example"}, {"", "null"}};
    for (const auto& mark : marks) {
        filetext::Write(kLive, kStored);
        filetext::Write(kChangeList, "5;0\n");
        for (const char* body : {kValid, "sessionid=77&removeyes=Yes", "sessionid=77&remove=R",
                                 "sessionid=77&submit=Save&outlet=x"}) {
            CgiResult result = PostFrom(body, mark.fetchSite, mark.origin);
            EXPECT_EQ(result.exitStatus, 0);
            EXPECT_EQ(result.output, kPlainRedirect) << body << " " << mark.origin;
        }
        EXPECT_EQ(filetext::Read(kLive), kStored);
        EXPECT_EQ(filetext::Read(kChangeList), "5;0\n");
        EXPECT_FALSE(filetext::Exists("/config/agent.configuration.old"));
    }
    const std::string refusal = logfile::LineWithMessage(
        "Cross-site request refused (Sec-Fetch-Site 'cross-site', Origin '', Host "
        "'192.0.2.10') -> redirect");
    ASSERT_FALSE(refusal.empty());
    EXPECT_EQ(refusal.substr(28, 10), "error     ");
    EXPECT_EQ(logfile::CountMessage("No remove button"), 0u);
}

TEST(CrossSiteRequestTest, SameOriginAndUnmarkedRequestsAreStored) {
    for (const auto& [fetchSite, origin] :
         {std::pair<std::string, std::string>{"same-origin", "http://192.0.2.10"},
          {"", ""},
          {"none", ""}}) {
        filetext::Write(kLive, kStored);
        EXPECT_EQ(PostFrom(kValid, fetchSite, origin).output, kPlainRedirect);
        EXPECT_NE(filetext::Read(kLive).find("tol.outlet=7\n"), std::string::npos) << origin;
        EXPECT_EQ(filetext::Read(kChangeList), "77;1\n");
    }
}

}  // namespace
