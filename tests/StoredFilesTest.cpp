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

TEST(StoredFilesTest, PropertyLinesSplitAtTheFirstEqualsSign) {
    // clang-format off
    const std::pair<const char*, const char*> cases[] = {
        {"key=value", "key|value"}, {"key \t = two words \t", "key|two words"}, {"key=", "key|"}, {"a=b=c", "a|b=c"},
        {"  lead=x", "  lead|x"}, {"=v", "|v"}, {"k=#not a comment", "k|#not a comment"}, {"#key=value", "refused"},
        {"no equals sign", "refused"}, {"", "refused"},
    };
    // clang-format on
    for (const auto& [text, expected] : cases) {
        char line[64];
        std::strcpy(line, text);
        char* key = nullptr;
        char* value = nullptr;
        const bool parsed = ZelConfig::ParsePropertyLine(line, &key, &value);
        EXPECT_EQ(parsed ? std::string(key) + "|" + value : "refused", expected) << text;
    }
}

TEST(StoredFilesTest, LookupsTakeTheFirstLineOfAKey) {
    const std::string fits = "k=" + std::string(8189, 'v');  // one piece of 8191 bytes
    // clang-format off
    const std::pair<std::string, std::string> cases[] = {
        {"\n\n  first = 1\n\n\t# comment=c\n  second=2 \r\n#third=3\nthird=x#3\n", "first=1"},
        {"\n\n  first = 1\n\n\t# comment=c\n", "# comment=unchanged"}, {"a=1\n  second=2 \r\n", "second=2"},
        {"#third=3\nthird=x#3\n", "third=x#3"}, {" k=v\n", " k=v"}, {"k=first\nk=second\n", "k=first"},
        {"k=no final line feed", "k=no final line feed"}, {std::string("k=a\0b\nn=1\n", 11), "k=a"},
        {std::string("k=a\0b\nn=1\n", 11), "n=1"}, {fits + "\nn=1\n", "k=" + std::string(8189, 'v')}, {fits + "x=y\n", "x=y"},
        {std::string(100000, 'a') + "\nk=v\n", "k=v"},
    };
    // clang-format on
    for (const auto& [file, lookup] : cases) {
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
    EXPECT_EQ(content.size(), 3504u);
    EXPECT_EQ(Lines(content).size(), 90u);
    EXPECT_EQ(configuration.Get("network.config.discover.mode"), "3");
    EXPECT_EQ(configuration.Get("UNDEFINED"), "DOES\\ NOT\\ EXIST");
    EXPECT_EQ(configuration.Get("kald.mode"), "kald.mode not found");  // the store's, not saved
    ASSERT_TRUE(configuration.Set("tol.port", "5302"));
    EXPECT_EQ(Read(kConfigOld), content);
    EXPECT_EQ(Lines(Read(kConfig)).size(), 90u);  // without the comments, with two more
    EXPECT_EQ(Property("kald.mode"), "KALD");
}

struct Save {
    const char* name;
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
        {"first save", "# c\nb=1\n", nullptr, {{"ab", "3"}, {"a", "4"}, {"\xc3\xa9", "2"}}, true, "a=4\nab=3\nb=1\nkald.mode=KALD\n\xc3\xa9=2\n",
         "a=4\nab=3\nb=1\nkald.mode=KALD\n"},
        {"empty value", "a=1\n", nullptr, {{"c", ""}}, true, "a=1\nc=\nkald.mode=KALD\n", "a=1\n"},
        {"backup stands in", nullptr, "# saved\nz=26\n  a = 1 \n", {}, true, "a=1\nkald.mode=KALD\nz=26\n", "# saved\nz=26\n  a = 1 \n"},
        {"stale temporary", "a=1\n", nullptr, {{"b", "2"}}, true, "a=1\nb=2\nkald.mode=KALD\n", "a=1\n", "link"},
        {"failed save", "a=1\n", "a=0\n", {{"b", "2"}}, false, "a=1\n", "a=0\n", "mkdir"},
        {"empty key", "a=1\n", nullptr, {{"", "v"}}, false, "a=1\n", ""},
        {"equals in key", "a=1\n", nullptr, {{"k=x", "v"}}, false, "a=1\n", ""},
        {"line feed in key", "a=1\n", nullptr, {{"k\nx", "v"}}, false, "a=1\n", ""},
        {"NUL in key", "a=1\n", nullptr, {{std::string("k\0x", 3), "v"}}, false, "a=1\n", ""},
        {"line feed in value", "a=1\n", nullptr, {{"k", "v\nx=1"}}, false, "a=1\n", ""},
        {"return in value", "a=1\n", nullptr, {{"k", "v\r"}}, false, "a=1\n", ""},
        {"NUL in value", "a=1\n", nullptr, {{"k", std::string("v\0", 2)}}, false, "a=1\n", ""},
        {"tab and DEL", "a=1\n", nullptr, {{"k", "\t\x7f"}}, true, "a=1\nk=\t\x7f\nkald.mode=KALD\n", "a=1\n"},
    };
    // clang-format on
    for (const Save& c : cases) {
        for (const char* path : {kConfig, kConfigOld, kConfigNew}) ::unlink(path);
        ::rmdir(kConfigNew);
        if (c.live != nullptr) Write(kConfig, c.live);
        if (c.old != nullptr) Write(kConfigOld, c.old);
        const std::string prepare = c.prepare;
        EXPECT_EQ(prepare == "link" ? ::link(kConfig, kConfigNew) : 0, 0);
        EXPECT_EQ(prepare == "mkdir" ? ::mkdir(kConfigNew, 0755) : 0, 0);
        AgentConfiguration configuration;
        bool saved = true;
        for (const auto& [key, value] : c.sets) saved = configuration.Set(key, value) && saved;
        EXPECT_EQ(saved, c.saved) << c.name;
        EXPECT_EQ(Read(kConfig), c.liveAfter) << c.name;
        EXPECT_EQ(Read(kConfigOld), c.oldAfter) << c.name;
        EXPECT_EQ(Exists(kConfigNew), std::string(c.prepare) == "mkdir") << c.name;
    }
}

TEST(StoredFilesTest, AccessorsReadTheLiveFileAndKeepEachOthersChanges) {
    Write(kConfig, "a=1\nk=first\nk=second\n");
    Write(kConfigOld, "only.old=1\n");
    AgentConfiguration first;
    AgentConfiguration second;
    EXPECT_EQ(first.Get("k"), "first");
    EXPECT_EQ(first.Get("only.old"), "only.old not found");
    ASSERT_TRUE(first.Set("from.first", "1"));
    ASSERT_TRUE(second.Set("from.second", "2"));
    ASSERT_TRUE(first.Set("a", "changed"));
    EXPECT_EQ(Read(kConfig), "a=changed\nfrom.first=1\nfrom.second=2\nk=second\nkald.mode=KALD\n");
    ::unlink(kConfig);
    EXPECT_EQ(second.Get("a"), "a not found");
}

TEST(StoredFilesTest, AFailedReplaceLeavesTheOriginal) {
    Write("/config/f", "original\n");
    EXPECT_FALSE(AtomicFile::Replace("/config/f", "/config/missing/f.new", "x",
                                     AtomicFile::Durability::Durable));
    EXPECT_EQ(Read("/config/f"), "original\n");
    ASSERT_EQ(::mkdir("/config/dir", 0755), 0);
    Write("/config/dir/keep", "k");  // a rename over a folder that isn't empty fails
    EXPECT_FALSE(AtomicFile::Replace("/config/dir", "/config/f.new", "x",
                                     AtomicFile::Durability::Volatile));
    EXPECT_FALSE(Exists("/config/f.new"));
    // A backup that is still a second name of the live file is made anew.
    ASSERT_EQ(::link("/config/f", "/config/f.old"), 0);
    ASSERT_TRUE(AtomicFile::Replace("/config/f", "/config/f.new", "next\n",
                                    AtomicFile::Durability::Durable, "/config/f.old"));
    EXPECT_EQ(Read("/config/f") + Read("/config/f.old"), "next\noriginal\n");
}

TEST(StoredFilesTest, ChangeListLinesReadLikeAtoiAndTheLastOfAnIdWins) {
    Write(kChangeList, "\n7;1\nx;1\n5;1;2\n5\n  -3 ; 2\n4;1\n4;0\n9;\n11;1");
    std::string texts;
    ChangeListFile::Changes changes;
    EXPECT_TRUE(ChangeListFile::Read(kChangeList, changes, [&texts](int32_t id, const std::string& t) {
        texts += std::to_string(id) + ":" + t + " ";
    }));
    EXPECT_EQ(changes, (ChangeListFile::Changes{{-3, 2}, {0, 1}, {4, 0}, {5, 1}, {7, 1}, {9, 0}, {11, 1}}));
    EXPECT_EQ(texts, "7:1 0:1 5:1;2 -3: 2 4:1 4:0 9: 11:1 ");
    EXPECT_EQ(ChangeListFile::Format({{7, 1}, {3, 0}, {INT32_MIN, -5}}), "-2147483648;-5\n3;0\n7;1\n");
    std::string huge(ChangeListFile::kMaxReadBytes + 100, ' ');
    huge.replace(0, 4, "1;1\n");
    huge.replace(huge.size() - 5, 5, "\n2;1\n");  // beyond the bound
    Write(kChangeList, huge);
    changes.clear();
    ChangeListFile::Read(kChangeList, changes);
    EXPECT_EQ(changes, (ChangeListFile::Changes{{1, 1}}));
}

TEST(StoredFilesTest, ChangeListMergesOverTheFileAsItIsNow) {
    ChangeListFile::Changes changes;
    EXPECT_FALSE(ChangeListFile::Read(kChangeList, changes));
    ASSERT_TRUE(ChangeListFile::Merge(kChangeList, {}));
    EXPECT_TRUE(Exists(kChangeList));
    ASSERT_EQ(::unlink(kChangeList), 0);
    ASSERT_EQ(::mkfifo(kChangeList, 0644), 0);
    EXPECT_FALSE(ChangeListFile::Read(kChangeList, changes));  // not waited on
    ASSERT_TRUE(ChangeListFile::Merge(kChangeList, {{5, 1}}));
    Write(kChangeList, "+007;01\n3;0\njunk\n");
    ASSERT_TRUE(ChangeListFile::Merge(kChangeList, {{3, 1}, {12, 1}}));
    EXPECT_EQ(Read(kChangeList), "3;1\n7;1\n12;1\n");
    {
        InitialParameters parameters;
        EXPECT_EQ(parameters.IsChanged(), 1);
        parameters.SetChanged(3, 0);
        parameters.SetChanged(7, 2);
        parameters.SetChanged(12, 0);
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
