// Hostile files: the agent configuration file, the change list and the device status files
// that every start-up reads, each holding very long lines, NUL bytes, no final line feed, an
// empty first line or binary junk. Both programs still answer, and a valid submission is
// still stored on top of whatever the file held.

#include <gtest/gtest.h>

#include <regex>
#include <string>
#include <vector>

#include "CgiAnswer.h"
#include "CgiProcess.h"
#include "FileText.h"

namespace {

constexpr const char* kLive = "/config/agent.configuration";
constexpr const char* kChangeList = "/tmp/config_web_changes.lst";
constexpr const char* kFiles[] = {
    kLive,
    kChangeList,
    "/sys/orva_neo/sysinfo/sernum",
    "/sys/orva_neo/sysinfo/version",
    "/config/wlan.mac",
    "/etc/VERSION",
    "/etc/PACKAGE_VERSION",
    "/app/VERSION",
    "/app/PACKAGE_VERSION",
    "/livepatch/lp.info",
    "/tmp/sf2static",
};
constexpr const char* kSubmission =
    "sessionid=21&submit=Save&outlet=8&dealer=43&toladdress=10.0.0.3&tolport=5303&tolurl=/new"
    "&dns1=10.0.0.4&dns2=";
constexpr const char* kStoredLines[] = {"tol.outlet=8\n", "tol.dealer=000043\n",
                                        "tol.address=10.0.0.3\n", "tol.extendedurl=/new\n"};
constexpr size_t kLongLine = 100000;
constexpr char kWithNulBytes[] =
    "kald.mode=KALD\0-Neo\nnetwork.config.discover.mode=1\0x\n\0\0\0\nsernum\0=1\n3;1\0\n\0;\0\n";

std::string Junk() {
    std::string junk;
    for (unsigned i = 0; i < 4096; ++i) junk += static_cast<char>((i * 37u + i / 256u) & 0xff);
    return junk;
}

struct HostileContent {
    const char* name;
    std::string text;
};

std::vector<HostileContent> HostileContents() {
    const std::string longLine(kLongLine, '7');
    return {
        {"100,000-character lines", "tol.outlet=" + longLine + "\n" + longLine + "\n" +
                                        std::string(kLongLine, '=') + "\n" + longLine + ";1\n" +
                                        "network.config.discover.mode=1\n"},
        {"NUL bytes", std::string(kWithNulBytes, sizeof kWithNulBytes - 1)},
        {"no final line feed", "network.config.discover.mode=1\nkald.mode=KALD-Neo\n4;1"},
        {"a first line that is empty", "\nnetwork.config.discover.mode=1\n\n7;1\n"},
        {"binary junk", Junk()},
    };
}

void ExpectAnswer(const CgiResult& result, const char* name, const char* what) {
    EXPECT_EQ(result.exitStatus, 0) << name << ", " << what;
    const cgianswer::Shape shape = cgianswer::Inspect(result.output);
    EXPECT_TRUE(shape.wellFormed) << name << ", " << what << ": " << shape.problem;
}

void ExpectSubmissionStored(const CgiResult& result, const char* name) {
    ExpectAnswer(result, name, "submission");
    EXPECT_EQ(cgianswer::Inspect(result.output).location, "tolsettings.cgi?sessionid=21") << name;
    const std::string stored = filetext::Read(kLive);
    for (const char* line : kStoredLines) {
        EXPECT_NE(("\n" + stored).find(std::string("\n") + line), std::string::npos)
            << name << ": " << line;
    }
    EXPECT_EQ(stored.find('\0'), std::string::npos) << name;
    static const std::regex kListLine("(-?[0-9]+;-?[0-9]+\n)*");
    const std::string list = filetext::Read(kChangeList);
    EXPECT_TRUE(std::regex_match(list, kListLine)) << name << ": " << list;
    EXPECT_NE(("\n" + list).find("\n21;1\n"), std::string::npos) << name << ": " << list;
}

TEST(HostileFileTest, BothProgramsAnswerAndASubmissionIsStoredOverAnyContent) {
    for (const HostileContent& content : HostileContents()) {
        for (const char* path : kFiles) filetext::Write(path, content.text);
        ExpectAnswer(CgiProcess::Get(PAGE_BINARY, "sessionid=21").Run(), content.name, "page");
        ExpectAnswer(CgiProcess::Get(CGI_BINARY, "sessionid=21&remove=1").Run(), content.name,
                     "confirmation");
        ExpectSubmissionStored(CgiProcess::Post(CGI_BINARY, kSubmission).Run(), content.name);
    }
}

}  // namespace
