// The agent configuration file through its accessor, in the private root: /config belongs
// to the test.

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include "AgentConfiguration.h"
#include "FileText.h"

namespace {

constexpr const char* kLive = "/config/agent.configuration";
constexpr const char* kOld = "/config/agent.configuration.old";
constexpr const char* kNew = "/config/agent.configuration.new";

std::string DefaultContent() {
    return filetext::Read(TEST_DATA_DIR "/DefaultAgentConfiguration.conf");
}

TEST(AgentConfigurationTest, ADeviceWithoutFilesGetsTheDefaultContent) {
    const std::string expected = DefaultContent();
    ASSERT_EQ(expected.size(), 3504u);
    {
        AgentConfiguration configuration;
        EXPECT_EQ(filetext::Read(kLive), expected);
        EXPECT_EQ(configuration.Get("network.config.discover.mode"), "3");
        EXPECT_EQ(configuration.Get("country.code"), "");
        EXPECT_EQ(configuration.Get("UNDEFINED"), "DOES\\ NOT\\ EXIST");
        EXPECT_EQ(configuration.Get("kald.mode"), "kald.mode not found");
    }
    EXPECT_EQ(filetext::Read(kLive), expected);  // unchanged until the first save
    EXPECT_FALSE(filetext::Exists(kOld));
    EXPECT_FALSE(filetext::Exists(kNew));
}

TEST(AgentConfigurationTest, TheFirstSetRewritesTheFileSortedWithoutComments) {
    AgentConfiguration configuration;
    ASSERT_TRUE(configuration.Set("tol.port", "5302"));
    const std::string live = filetext::Read(kLive);
    EXPECT_EQ(filetext::Read(kOld), DefaultContent());
    EXPECT_FALSE(filetext::Exists(kNew));
    EXPECT_EQ(live.find('#'), std::string::npos);
    EXPECT_NE(live.find("\nkald.mode=KALD\n"), std::string::npos);
    EXPECT_NE(live.find("\ntol.port=5302\n"), std::string::npos);
    EXPECT_EQ(std::count(live.begin(), live.end(), '\n'), 90);  // 88 + kald.mode + tol.port
    std::string previous;
    std::istringstream lines(live);
    for (std::string line; std::getline(lines, line); previous = line) {
        const std::string key = line.substr(0, line.find('='));
        EXPECT_LT(previous.substr(0, previous.find('=')), key);
    }
    EXPECT_EQ(configuration.Get("tol.port"), "5302");
}

TEST(AgentConfigurationTest, KeysAreOrderedByUnsignedBytes) {
    filetext::Write(kLive, "b=1\n");
    AgentConfiguration configuration;
    ASSERT_TRUE(configuration.Set("\xc3\xa9", "2"));
    ASSERT_TRUE(configuration.Set("ab", "3"));
    ASSERT_TRUE(configuration.Set("a", "4"));
    EXPECT_EQ(filetext::Read(kLive), "a=4\nab=3\nb=1\nkald.mode=KALD\n\xc3\xa9=2\n");
}

TEST(AgentConfigurationTest, EachSetKeepsThePreviousFileAsBackup) {
    filetext::Write(kLive, "a=1\n");
    AgentConfiguration configuration;
    ASSERT_TRUE(configuration.Set("b", "2"));
    const std::string afterFirst = filetext::Read(kLive);
    ASSERT_TRUE(configuration.Set("c", ""));
    EXPECT_EQ(filetext::Read(kOld), afterFirst);
    EXPECT_EQ(filetext::Read(kLive), "a=1\nb=2\nc=\nkald.mode=KALD\n");
    EXPECT_EQ(configuration.Get("c"), "");
}

TEST(AgentConfigurationTest, TheBackupStandsInForAMissingLiveFile) {
    const std::string backup = "# saved\nz=26\n  a = 1 \n";
    filetext::Write(kOld, backup);
    AgentConfiguration configuration;
    EXPECT_EQ(filetext::Read(kLive), "a=1\nkald.mode=KALD\nz=26\n");
    EXPECT_EQ(filetext::Read(kOld), backup);
    EXPECT_EQ(configuration.Get("a"), "1");
}

TEST(AgentConfigurationTest, GetReadsOnlyTheLiveFile) {
    filetext::Write(kLive, "k=first\nk=second\n");
    filetext::Write(kOld, "only.old=1\n");
    AgentConfiguration configuration;
    EXPECT_EQ(configuration.Get("k"), "first");
    EXPECT_EQ(configuration.Get("only.old"), "only.old not found");
    filetext::Write(kLive, "k=changed by another process\n");
    EXPECT_EQ(configuration.Get("k"), "changed by another process");
    ::unlink(kLive);
    EXPECT_EQ(configuration.Get("k"), "k not found");
}

TEST(AgentConfigurationTest, UnrepresentableTextsAreRefused) {
    filetext::Write(kLive, "a=1\n");
    AgentConfiguration configuration;
    const std::pair<std::string, std::string> refused[] = {
        {"", "v"},
        {"k=x", "v"},
        {"k\nx", "v"},
        {"k\rx", "v"},
        {std::string("k\0x", 3), "v"},
        {"k", "v\nx=1"},
        {"k", "v\r"},
        {"k", std::string("v\0", 2)},
    };
    for (const auto& [key, value] : refused) {
        EXPECT_FALSE(configuration.Set(key, value)) << key << "=" << value;
    }
    EXPECT_EQ(filetext::Read(kLive), "a=1\n");
    EXPECT_FALSE(filetext::Exists(kOld));
    EXPECT_TRUE(configuration.Set("k", "tab\tand \x7f are fine"));
    EXPECT_EQ(configuration.Get("k"), "tab\tand \x7f are fine");
}

TEST(AgentConfigurationTest, SavesKeepChangesOfOtherAccessors) {
    filetext::Write(kLive, "a=1\n");
    AgentConfiguration first;
    AgentConfiguration second;  // loaded the same file
    ASSERT_TRUE(first.Set("from.first", "1"));
    ASSERT_TRUE(second.Set("from.second", "2"));
    ASSERT_TRUE(first.Set("a", "changed"));
    EXPECT_EQ(filetext::Read(kLive), "a=changed\nfrom.first=1\nfrom.second=2\nkald.mode=KALD\n");
}

TEST(AgentConfigurationTest, AStaleNewFileNamingTheLiveFileIsNotTruncated) {
    filetext::Write(kLive, "a=1\n");
    ASSERT_EQ(::link(kLive, kNew), 0);  // as a power cut can leave it on flash
    AgentConfiguration configuration;
    ASSERT_TRUE(configuration.Set("b", "2"));
    EXPECT_EQ(filetext::Read(kLive), "a=1\nb=2\nkald.mode=KALD\n");
    EXPECT_EQ(filetext::Read(kOld), "a=1\n");
    EXPECT_FALSE(filetext::Exists(kNew));
}

TEST(AgentConfigurationTest, AFailedSaveIsReportedAndChangesNoFile) {
    filetext::Write(kLive, "a=1\n");
    filetext::Write(kOld, "a=0\n");
    AgentConfiguration configuration;
    ASSERT_EQ(::mkdir(kNew, 0755), 0);  // ".new" can't be created
    EXPECT_FALSE(configuration.Set("b", "2"));
    EXPECT_EQ(filetext::Read(kLive), "a=1\n");
    EXPECT_EQ(filetext::Read(kOld), "a=0\n");
}

}  // namespace
