// The key=value syntax, the agent configuration file with its backup and rotation, and the
// change list, in the private root.

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>

#include "AgentConfiguration.h"
#include "AtomicFile.h"
#include "ChangeListFile.h"
#include "Device.h"
#include "InitialParameters.h"
#include "ZelConfig.h"

namespace {

using namespace device;

TEST(StoredFilesTest, PropertyLinesAndLookupsFollowTheSyntax) {
    // clang-format off
    const std::pair<const char*, const char*> lines[] = {
        {"key \t = two words \t", "key|two words"}, {"key=", "key|"}, {"a=b=c", "a|b=c"}, {"  lead=x", "  lead|x"}, {"=v", "|v"},
        {"k=#not a comment", "k|#not a comment"}, {"#key=value", "refused"}, {"no equals sign", "refused"}, {"", "refused"}};
    for (const auto& [text, expected] : lines) {
        char line[64], *key = nullptr, *value = nullptr;
        std::strcpy(line, text);
        EXPECT_EQ(ZelConfig::ParsePropertyLine(line, &key, &value) ? std::string(key) + "|" + value : "refused", expected) << text;
    }
    const std::string fits = "k=" + std::string(8189, 'v');  // one piece of 8191 bytes
    const std::pair<std::string, std::string> lookups[] = {
        {"\n\n  first = 1\n\n\t# comment=c\n", "first=1"}, {"\n\n  first = 1\n\n\t# comment=c\n", "# comment=unchanged"},
        {"a=1\n  second=2 \r\n", "second=2"}, {"#third=3\nthird=x#3\n", "third=x#3"}, {"k=first\nk=second\n", "k=first"},
        {"k=no final line feed", "k=no final line feed"}, {std::string("k=a\0b\nn=1\n", 11), "k=a"},
        {std::string("k=a\0b\nn=1\n", 11), "n=1"}, {fits + "\nn=1\n", fits}, {fits + "x=y\n", "x=y"},
        {std::string(100000, 'a') + "\nk=v\n", "k=v"}};
    // clang-format on
    for (const auto& [file, lookup] : lookups) {
        Write("/tmp/props", file);
        const std::string key = lookup.substr(0, lookup.find('='));
        std::string value = "unchanged";
        ZelConfig::ReadFileProperty("/tmp/props", key, value);
        EXPECT_EQ(key + "=" + value, lookup) << file.substr(0, 80);
    }
}

TEST(StoredFilesTest, ADeviceWithoutFilesGetsTheDefaultContent) {
    AgentConfiguration configuration;
    const std::string content = Read(kConfig);
    EXPECT_EQ(Lines(content).size(), 90u);
    EXPECT_EQ(configuration.Get("UNDEFINED") + configuration.Get("kald.mode"), "DOES\\ NOT\\ EXISTkald.mode not found");
    ASSERT_TRUE(configuration.Set("tol.port", "5302"));
    EXPECT_EQ(Read(kConfigOld), content);
    EXPECT_EQ(Property("kald.mode"), "KALD");
}

struct Save {
    const char* live;  // before; nullptr: none
    const char* old;
    std::vector<std::pair<std::string, std::string>> sets;
    bool saved;
    const char* liveAfter;
    const char* oldAfter;
    const char* prepare = "";  // "link": ".new" is a second name of the live file; "mkdir": a folder
};

TEST(StoredFilesTest, SavesRotateTheBackupAndKeepEveryProperty) {
    // clang-format off
    const Save cases[] = {
        {"# c\nb=1\n", nullptr, {{"ab", "3"}, {"a", "4"}, {"\xc3\xa9", ""}}, true, "a=4\nab=3\nb=1\nkald.mode=KALD\n\xc3\xa9=\n",
         "a=4\nab=3\nb=1\nkald.mode=KALD\n"},
        {nullptr, "# saved\nz=26\n  a = 1 \n", {}, true, "a=1\nkald.mode=KALD\nz=26\n", "# saved\nz=26\n  a = 1 \n"},
        {"a=1\n", nullptr, {{"b", "2"}}, true, "a=1\nb=2\nkald.mode=KALD\n", "a=1\n", "link"},
        {"a=1\n", "a=0\n", {{"b", "2"}}, false, "a=1\n", "a=0\n", "mkdir"},
        {"a=1\n", nullptr, {{"", "v"}}, false, "a=1\n", ""}, {"a=1\n", nullptr, {{"k=x", "v"}}, false, "a=1\n", ""},
        {"a=1\n", nullptr, {{"k\nx", "v"}}, false, "a=1\n", ""}, {"a=1\n", nullptr, {{std::string("k\0x", 3), "v"}}, false, "a=1\n", ""},
        {"a=1\n", nullptr, {{"k", "v\nx=1"}}, false, "a=1\n", ""}, {"a=1\n", nullptr, {{"k", "v\r"}}, false, "a=1\n", ""},
        {"a=1\n", nullptr, {{"k", std::string("v\0", 2)}}, false, "a=1\n", ""},
        {"a=1\n", nullptr, {{"k", "\t\x7f"}}, true, "a=1\nk=\t\x7f\nkald.mode=KALD\n", "a=1\n"},
    };
    // clang-format on
    for (const Save& c : cases) {
        for (const char* path : {kConfig, kConfigOld, kConfigNew}) ::unlink(path);
        ::rmdir(kConfigNew);
        if (c.live != nullptr) Write(kConfig, c.live);
        if (c.old != nullptr) Write(kConfigOld, c.old);
        const std::string prepare = c.prepare;
        EXPECT_EQ(prepare == "link" ? ::link(kConfig, kConfigNew) : prepare == "mkdir" ? ::mkdir(kConfigNew, 0755) : 0, 0);
        AgentConfiguration configuration;
        bool saved = true;
        for (const auto& [key, value] : c.sets) saved = configuration.Set(key, value) && saved;
        EXPECT_EQ(saved, c.saved) << c.liveAfter;
        EXPECT_EQ(Read(kConfig) + "|" + Read(kConfigOld), std::string(c.liveAfter) + "|" + c.oldAfter);
        EXPECT_EQ(Exists(kConfigNew), prepare == "mkdir");
    }
}

TEST(StoredFilesTest, AccessorsReadTheLiveFileAndKeepEachOthersChanges) {
    Write(kConfig, "a=1\nk=first\nk=second\n");
    Write(kConfigOld, "only.old=1\n");
    AgentConfiguration first, second;
    EXPECT_EQ(first.Get("k") + first.Get("only.old"), "firstonly.old not found");
    ASSERT_TRUE(first.Set("from.first", "1") && second.Set("from.second", "2") && first.Set("a", "changed"));
    EXPECT_EQ(Read(kConfig), "a=changed\nfrom.first=1\nfrom.second=2\nk=second\nkald.mode=KALD\n");
    EXPECT_FALSE(second.SetAll({{"x", "1"}, {"y", "line\nbreak"}}));  // all or none
    EXPECT_EQ(Read(kConfig), "a=changed\nfrom.first=1\nfrom.second=2\nk=second\nkald.mode=KALD\n");
    EXPECT_TRUE(second.SetAll({{"x", "1"}, {"a", "2"}}));
    EXPECT_EQ(Read(kConfig), "a=2\nfrom.first=1\nfrom.second=2\nk=second\nkald.mode=KALD\nx=1\n");
    Write("/config/f", "original\n");
    ASSERT_EQ(::mkdir("/config/dir", 0755), 0);
    Write("/config/dir/keep", "k");  // a rename over a folder that isn't empty fails
    EXPECT_FALSE(AtomicFile::Replace("/config/dir", "/config/f.new", "x", AtomicFile::Durability::Volatile));
    EXPECT_FALSE(Exists("/config/f.new"));
    ASSERT_EQ(::link("/config/f", "/config/f.old"), 0);  // a backup still a second name is made anew
    ASSERT_TRUE(AtomicFile::Replace("/config/f", "/config/f.new", "next\n", AtomicFile::Durability::Durable, "/config/f.old"));
    EXPECT_EQ(Read("/config/f") + Read("/config/f.old"), "next\noriginal\n");
}

TEST(StoredFilesTest, ChangeListReadsLikeAtoiAndMergesOverTheFileAsItIsNow) {
    Write(kChangeList, "\n7;1\nx;1\n5;1;2\n5\n  -3 ; 2\n4;1\n4;0\n9;\n11;1");
    ChangeListFile::Changes changes;
    EXPECT_TRUE(ChangeListFile::Read(kChangeList, changes));
    EXPECT_EQ(changes, (ChangeListFile::Changes{{-3, 2}, {0, 1}, {4, 0}, {5, 1}, {7, 1}, {9, 0}, {11, 1}}));
    EXPECT_EQ(ChangeListFile::Format({{7, 1}, {3, 0}, {INT32_MIN, -5}}), "-2147483648;-5\n3;0\n7;1\n");
    std::string huge(ChangeListFile::kMaxReadBytes + 100, ' ');
    huge.replace(0, 4, "1;1\n");
    huge.replace(huge.size() - 5, 5, "\n2;1\n");  // beyond the bound
    Write(kChangeList, huge);
    changes.clear();
    ChangeListFile::Read(kChangeList, changes);
    EXPECT_EQ(changes, (ChangeListFile::Changes{{1, 1}}));
    ASSERT_EQ(::unlink(kChangeList), 0);
    ASSERT_EQ(::mkfifo(kChangeList, 0644), 0);
    EXPECT_FALSE(ChangeListFile::Read(kChangeList, changes));  // not waited on
    ASSERT_TRUE(ChangeListFile::Merge(kChangeList, {{5, 1}}));   // replaces it
    Write(kChangeList, "+007;01\n3;0\njunk\n");
    ASSERT_TRUE(ChangeListFile::Merge(kChangeList, {{3, 1}, {12, 1}}));
    EXPECT_EQ(Read(kChangeList), "3;1\n7;1\n12;1\n");
    {
        InitialParameters parameters;
        EXPECT_EQ(parameters.IsChanged(), 1);
        parameters.SetChanged(3, 0), parameters.SetChanged(7, 2), parameters.SetChanged(12, 0);
        EXPECT_EQ(parameters.IsChanged(), 0);
        Write(kChangeList, "6;1\n");  // another request ends meanwhile
    }
    EXPECT_EQ(Read(kChangeList), "3;0\n6;1\n7;2\n12;0\n");
    ASSERT_EQ(::chmod("/tmp", 0555), 0);  // no capabilities: the mode binds root too
    { InitialParameters unwritable; }
    ::chmod("/tmp", 01777);
    EXPECT_EQ(Read(kChangeList), "3;0\n6;1\n7;2\n12;0\n");
    EXPECT_FALSE(Exists(std::string(kChangeList) + ".new"));
}

}  // namespace
