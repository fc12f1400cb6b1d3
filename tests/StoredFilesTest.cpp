// Rules on texts that the end-to-end rows can't isolate (the device C library's number
// conversions, the key=value syntax, the session id, the address syntax of the form fields,
// where a request comes from, when failed sign-ins refuse one), and the stored files in the
// private root: the agent configuration file with its backup and rotation, the change list,
// the sign-in sessions.

#include <cgicc/Cgicc.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <sstream>

#include "AgentConfiguration.h"
#include "AtomicFile.h"
#include "CNumber.h"
#include "DeviceConfigurationCgi.h"
#include "ChangeListFile.h"
#include "Device.h"
#include "InitialParameters.h"
#include "NetDev.h"
#include "RequestOrigin.h"
#include "SessionStore.h"
#include "SignInLimit.h"
#include "ZelConfig.h"

namespace {

using namespace device;
using std::to_string;

const char* OrNull(const std::string& text) { return text == "-" ? nullptr : text.c_str(); }

std::string Apply(const std::string& rule, std::string t) {
    uint64_t n = 77;
    std::string found = "unchanged", site, origin, host;
    const CNumber::Scanned s = CNumber::ScanInteger(t.data(), t.size(), 0);
    ::setenv("REQUEST_METHOD", "GET", 1), ::setenv("QUERY_STRING", ("sessionid=" + t).c_str(), 1);
    std::istringstream(t) >> site >> origin >> host;  // "FETCH_SITE ORIGIN HOST", "-" for a missing header
    if (rule == "atoi") return to_string(CNumber::Atoi(t));
    if (rule.rfind("strtol", 0) == 0) return to_string(CNumber::Strtol(t, std::stoi(rule.substr(6))));
    if (rule == "scan0") return (s.matched ? "" : "no ") + to_string(s.value) + " " + to_string(s.consumed);
    if (rule == "decimal<=10") return CNumber::ParseDecimal(t, 10, n) ? to_string(n) : "no " + to_string(n);
    if (rule == "session") return to_string(InitialParameters::ParseSessionId(cgicc::Cgicc()));
    const bool cross = RequestOrigin::IsCrossSite(OrNull(site), OrNull(origin), OrNull(host));
    if (rule == "origin") return cross ? "cross" : "same";
    if (rule == "ip") return NetDev::IsValidIp(t) ? "ok" : "no";
    if (rule == "name") return NetDev::IsValidHostName(t) ? "ok" : "no";
    if (rule == "hostname") return DeviceConfigurationCgi::IsHostName(t) ? "ok" : "no";
    int64_t now = 0;  // "FILE|NOW ADDRESS": whether the failures of that file refuse the address
    std::istringstream(t.substr(t.find('|') + 1)) >> now >> site;
    const bool refused = SignInLimit::Refuses(SignInLimit::Parse(t.substr(0, t.find('|'))), site, now);
    if (rule == "limit") return refused ? "refused" : "open";
    Write("/tmp/props", t);  // "k": the value of "k" in a file of this text
    ZelConfig::ReadFileProperty("/tmp/props", "k", found);
    return found;
}

TEST(TextRulesTest, ConversionsAndChecksGiveTheDeviceResults) {
    const std::string label(63, 'a'), tooLong = label + "." + label + "." + label + "." + std::string(62, 'b');
    const std::string piece(8189, 'v');  // "k=" and these make one piece of 8191 bytes
    const std::string five = "100 a\n110 a\n120 a\n130 a\n140 a\n";
    std::string fromAll = "x\n 99 z\n";  // lines of another form are skipped
    for (int i = 1; i < 30; ++i) fromAll += "100 10.0.0." + to_string(i) + "\n";
    // clang-format off
    const std::tuple<const char*, std::string, std::string> cases[] = {
        {"atoi", "  \t\n\v\f\r42", "42"}, {"atoi", "+8", "8"}, {"atoi", "12abc", "12"}, {"atoi", "- 3", "0"},
        {"atoi", "2147483648", "-2147483648"}, {"atoi", "99999999999999999999", "1661992959"},
        {"atoi", "\xa0" "7", "0"}, {"strtol16", "0x1F", "31"}, {"strtol16", "  -10", "-16"},
        {"strtol16", "10zz", "16"}, {"strtol16", "0xg", "0"}, {"strtol16", "ffffffff", "2147483647"},
        {"strtol16", "-ffffffff", "-2147483648"}, {"strtol10", "2147483648", "2147483647"},
        {"strtol10", "-2147483649", "-2147483648"}, {"strtol10", "0x10", "0"}, {"scan0", "0011", "9 4"},
        {"scan0", "0009", "0 3"}, {"scan0", "0x1A", "26 4"}, {"scan0", "-1", "18446744073709551615 2"},
        {"scan0", "Flags", "no 0 0"}, {"scan0", "-x", "no 0 1"}, {"scan0", "0xg", "no 0 2"},
        {"scan0", "-99999999999999999999999", "18446744073709551615 24"}, {"decimal<=10", "10", "10"},
        {"decimal<=10", "11", "no 77"}, {"decimal<=10", "", "no 77"}, {"decimal<=10", "+1", "no 77"},
        {"decimal<=10", "99999999999999999999999", "no 77"}, {"k", "  k=1\n", "unchanged"},
        {"k", "\n\n  k \t = 1 \t\r\n", "1"}, {"k", "a=1\n\t# k=c\n  k=2\n", "2"}, {"k", "k=#b=c", "#b=c"},
        {"k", "k=\nk=2\n", ""}, {"k", "k\n#k=1\nk=first\nk=second\n", "first"},
        {"k", std::string("k=a\0b\n", 6), "a"}, {"k", std::string("x=a\0k=2\nk=1\n", 12), "1"},
        {"k", "k=" + piece + "\nk=2\n", piece}, {"k", "x=" + piece + "k=y\n", "y"}, {"session", "%2B3", "3"},
        {"session", "%09%0A7", "7"}, {"session", "4294967295", "-1"}, {"session", "%00", "-1"},
        {"origin", "same-site - device", "same"}, {"origin", "- http://Device:8080 device:8080", "same"},
        {"origin", "- HTTPS://device device", "same"},
        {"origin", "- http://device:8081 device:8080", "cross"},
        {"origin", "- http://device.attacker.example device", "cross"},
        {"origin", "- http://devic device", "cross"}, {"origin", "- http:// ", "cross"},
        {"origin", "- http://device -", "cross"}, {"origin", "- device device", "cross"},
        {"name", "A9.b-c.D", "ok"}, {"name", "", "no"}, {"name", label + "a", "no"}, {"name", tooLong, "no"},
        {"name", "-a", "no"}, {"name", "a.b-.c", "no"}, {"name", "a.", "no"}, {"name", "a..b", "no"},
        {"name", "a\xc3\xa4", "no"}, {"name", std::string("a\0b", 3), "no"}, {"ip", "4294967295", "ok"},
        {"ip", "1.16777215", "ok"}, {"ip", "0XfF.1", "ok"}, {"ip", "4294967296", "ok"},
        {"ip", "0x123456789ab", "ok"}, {"ip", std::string("1\0", 2), "no"}, {"ip", "1.\xb2", "no"},
        {"ip", "1.2.3.4.", "no"}, {"ip", "0377.0.0.1", "ok"}, {"ip", "001.002.003.004", "ok"},
        {"ip", "0001.002.003.004", "no"}, {"ip", "0x.1", "no"}, {"ip", "256.0.0.1", "no"},
        {"ip", "0.0.65535", "ok"}, {"ip", "0.0.65536", "no"}, {"ip", "08", "no"}, {"ip", "1..2", "no"},
        {"ip", "1.2 ", "no"}, {"hostname", "dev-7", "ok"}, {"hostname", label, "ok"}, {"hostname", label + "a", "no"},
        {"hostname", "a.b", "no"}, {"hostname", "dev-", "no"}, {"hostname", "", "no"}, {"hostname", "a_b", "no"},
        {"limit", five + "|141 a", "refused"}, {"limit", five + "|199 a", "refused"}, {"limit", five + "|200 a", "open"},
        {"limit", five + "|141 b", "open"}, {"limit", five.substr(6) + "|141 a", "open"},
        {"limit", "100 a\n110 a\n120 a\n130 a\n160 a\n|161 a", "open"}, {"limit", fromAll + "100 c\n|159 b", "refused"},
        {"limit", fromAll + "100 c\n|160 b", "open"}, {"limit", fromAll + "|101 b", "open"},
    };
    // clang-format on
    for (const auto& [rule, text, result] : cases) {
        EXPECT_EQ(Apply(rule, text), result) << rule << " '" << text.substr(0, 60) << "'";
    }
}

struct Save {
    const char* live;  // before; nullptr: none
    const char* old;
    AgentConfiguration::Properties sets;  // each set on its own
    const char* liveAfter;  // the live file as it was: a set was refused or the save failed
    const char* oldAfter;
    std::string prepare = "";  // "link": ".new" is a second name of the live file; "mkdir": a folder
};

TEST(StoredFilesTest, SavesRotateTheBackupAndKeepEveryProperty) {
    const std::string nul("k\0x", 3);
    // clang-format off
    const Save cases[] = {
        {"# c=1\nb=1\n", nullptr, {{"ab", "3"}, {"a", "4"}, {"\xc3\xa9", ""}},
         "a=4\nab=3\nb=1\nkald.mode=KALD\n\xc3\xa9=\n", "a=4\nab=3\nb=1\nkald.mode=KALD\n"},
        {nullptr, "# saved\nz=26\n  a = 1 \n", {}, "a=1\nkald.mode=KALD\nz=26\n", "# saved\nz=26\n  a = 1 \n"},
        {"a=1\n", "a=0\n", {{"b", "2"}}, "a=1\nb=2\nkald.mode=KALD\n", "a=1\n", "link"},
        {"a=1\n", "a=0\n", {{"b", "2"}}, "a=1\n", "a=0\n", "mkdir"},
        // Refused, each of them: the file format can't hold it.
        {"a=1\n", nullptr, {{"", "v"}, {"k=x", "v"}, {"k\nx", "v"}, {nul, "v"}, {"k", "v\nx=1"}, {"k", "v\r"},
                            {"k", nul.substr(1)}}, "a=1\n", ""},
    };
    // clang-format on
    for (const Save& c : cases) {
        for (const char* path : {kConfig, kConfigOld, kConfigNew}) std::remove(path);  // a file or folder
        if (c.live != nullptr) Write(kConfig, c.live);
        if (c.old != nullptr) Write(kConfigOld, c.old);
        const int prepared = c.prepare == "link" ? ::link(kConfig, kConfigNew) : 0;
        EXPECT_EQ(c.prepare == "mkdir" ? ::mkdir(kConfigNew, 0755) : prepared, 0);
        AgentConfiguration configuration;
        bool saved = true;
        for (const auto& [key, value] : c.sets) saved = configuration.Set(key, value) && saved;
        EXPECT_EQ(saved, c.live == nullptr || c.liveAfter != std::string(c.live)) << c.liveAfter;
        EXPECT_EQ(Read(kConfig) + "|" + Read(kConfigOld), std::string(c.liveAfter) + "|" + c.oldAfter);
        EXPECT_EQ(Exists(kConfigNew), c.prepare == "mkdir");
    }
    const auto unflushed = [](const std::string&) { return false; };  // the folder flush fails after the rename
    const auto outcome = AtomicFile::Replace(kConfig, kConfigNew, "n=1\n", AtomicFile::Durability::Durable, "", unflushed);
    EXPECT_TRUE(outcome == AtomicFile::Outcome::ReplacedUnflushed && Read(kConfig) == "n=1\n");
}

TEST(StoredFilesTest, AccessorsReadTheLiveFileAndKeepEachOthersChanges) {
    Write(kConfig, "a=1\nk=first\nk=second\n");
    Write(kConfigOld, "only.old=1\n");
    AgentConfiguration first, second;
    EXPECT_EQ(first.Get("k") + first.Get("only.old") + first.Get("kald.mode"),
              "firstonly.old not foundkald.mode not found");
    ASSERT_TRUE(first.Set("from.first", "1") && second.Set("from.second", "2") && first.Set("a", "changed"));
    const std::string both = "a=changed\nfrom.first=1\nfrom.second=2\nk=second\nkald.mode=KALD\n";
    EXPECT_EQ(Read(kConfig), both);
    EXPECT_FALSE(second.SetAll({{"x", "1"}, {"y", "line\nbreak"}}));  // all or none
    EXPECT_EQ(Read(kConfig), both);
    EXPECT_TRUE(second.SetAll({{"x", "1"}, {"a", "2"}}));
    EXPECT_EQ(Read(kConfig), "a=2\nfrom.first=1\nfrom.second=2\nk=second\nkald.mode=KALD\nx=1\n");
}

TEST(StoredFilesTest, ChangeListReadsLikeAtoiAndMergesOverTheFileAsItIsNow) {
    ChangeListFile::Changes changes;
    Write(kChangeList, "\n7;1\nx;1\n5;1;2\n5\n  -3 ; 2\n4;1\n4;0\n9;\n11;1");
    EXPECT_TRUE(ChangeListFile::Read(kChangeList, changes));
    EXPECT_EQ(changes, (ChangeListFile::Changes{{-3, 2}, {0, 1}, {4, 0}, {5, 1}, {7, 1}, {9, 0}, {11, 1}}));
    ASSERT_TRUE(::unlink(kChangeList) == 0 && ::mkfifo(kChangeList, 0644) == 0);
    EXPECT_FALSE(ChangeListFile::Read(kChangeList, changes));             // not waited on
    ASSERT_TRUE(ChangeListFile::Merge(kChangeList, {{3, 1}, {12, 1}}));  // replaces it
    {
        InitialParameters parameters;
        EXPECT_EQ(parameters.IsChanged(), 1);
        parameters.SetChanged(3, 0), parameters.SetChanged(12, 0);
        EXPECT_EQ(parameters.IsChanged(), 0);
        Write(kChangeList, "6;1\n");  // another request ends meanwhile
    }
    EXPECT_EQ(Read(kChangeList), "3;0\n6;1\n12;0\n");
}

// Sessions in a folder for this user alone, one file each for its owner alone; the one used
// longest ago makes room for the next.
TEST(StoredFilesTest, SessionsAreKeptPrivatelyAndAtMostSixteen) {
    namespace fs = std::filesystem;
    std::vector<std::string> tokens;
    for (size_t i = 0; i < SessionStore::kMaxSessions; ++i) {
        tokens.push_back(SessionStore::Begin());
        const std::string file = SessionStore::kFolder + ("/" + tokens[i].substr(0, SessionStore::kIdLength));
        const timespec used[] = {{0, UTIME_OMIT}, {std::time(nullptr) - 100 + static_cast<time_t>(i), 0}};
        ASSERT_EQ(::utimensat(AT_FDCWD, file.c_str(), used, 0), 0);
        EXPECT_EQ(fs::status(file).permissions(), fs::perms::owner_read | fs::perms::owner_write);
    }
    EXPECT_EQ(fs::status(SessionStore::kFolder).permissions(), fs::perms::owner_all);
    EXPECT_TRUE(SessionStore::Continue(tokens[0]));
    tokens.push_back(SessionStore::Begin());
    for (size_t i = 0; i < tokens.size(); ++i) EXPECT_EQ(SessionStore::Continue(tokens[i]), i != 1) << i;
    const std::string ended = SessionStore::kFolder + ("/" + tokens[2].substr(0, SessionStore::kIdLength));
    const time_t hourAgo = std::time(nullptr) - static_cast<time_t>(SessionStore::kIdleSeconds);
    const timespec longAgo[] = {{0, UTIME_OMIT}, {hourAgo, 0}};
    EXPECT_TRUE(::utimensat(AT_FDCWD, ended.c_str(), longAgo, 0) == 0 && !SessionStore::Continue(tokens[2]));
    EXPECT_FALSE(Exists(ended));  // removed when met
    ASSERT_EQ(::chmod(SessionStore::kFolder, 0755), 0);  // open to others: not trusted
    EXPECT_FALSE(SessionStore::Continue(tokens[0]) || !SessionStore::Begin().empty());
}

}  // namespace
