// The attribute store and its start-up, in the private root (/config, /dev/measure and
// /tmp belong to the test).

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>

#include "AttributeReading.h"
#include "ConfigWebLogging.h"
#include "FileText.h"
#include "LogFile.h"
#include "ZelConfig.h"

namespace {

constexpr const char* kConfig = "/config/agent.configuration";

int32_t EchoKey(std::string key, std::string& output) {
    output = "refreshed " + key;
    return 1;
}

using attributes::Read;

TEST(ZelConfigTest, RecordsAnswerByTheirKind) {
    ZelConfig store;
    EXPECT_TRUE(store.SetAttribute("fixed", "text", Value));
    EXPECT_TRUE(store.SetRefresher("fixed", EchoKey));
    EXPECT_EQ(Read(store, "fixed"), "text");  // a refresher doesn't change the kind

    EXPECT_TRUE(store.SetRefresher("computed", EchoKey));
    EXPECT_EQ(Read(store, "computed"), "refreshed computed");

    EXPECT_FALSE(store.SetAttribute("odd", "ignored", Refreshed));
    EXPECT_EQ(Read(store, "odd", false), "");  // kind 2 without a refresher
    EXPECT_FALSE(store.SetAttribute("odd", "ignored", static_cast<AttributeKind>(7)));

    EXPECT_EQ(Read(store, "unknown", false), "");
}

TEST(ZelConfigTest, FileLineAttributesReadTheFirstLineAtEveryRead) {
    constexpr const char* kFile = "/tmp/first-line";
    ZelConfig store;
    ASSERT_TRUE(store.SetAttribute("line", kFile, FileLine));
    EXPECT_EQ(Read(store, "line", false), "");  // missing file
    filetext::Write(kFile, "one\ntwo\n");
    EXPECT_EQ(Read(store, "line"), "one");
    filetext::Write(kFile, "changed");
    EXPECT_EQ(Read(store, "line"), "changed");
    filetext::Write(kFile, "");
    EXPECT_EQ(Read(store, "line"), "");
    filetext::Write(kFile, "\nsecond");
    EXPECT_EQ(Read(store, "line", false), "");
    filetext::Write(kFile, std::string(9000, 'x'));
    EXPECT_EQ(Read(store, "line").size(), 8190u);
    ::mkfifo("/tmp/fifo", 0644);  // never waits for a writer
    EXPECT_TRUE(store.SetAttribute("line", "/tmp/fifo", FileLine));
    EXPECT_EQ(Read(store, "line", false), "");
    // Turning it into a Value keeps the path; back to FileLine reads the file again.
    EXPECT_TRUE(store.SetAttribute("line", "fixed", Value));
    EXPECT_EQ(Read(store, "line"), "fixed");
}

TEST(ZelConfigTest, StartUpSetsTheStoreAttributesAndLoadsTheFile) {
    {
        ZelConfig store;
        EXPECT_EQ(Read(store, "zel.state.current"), "4");
        EXPECT_EQ(Read(store, "zel.state.startup"), "0");
        EXPECT_EQ(Read(store, "zel.state.owner"), "");
        EXPECT_EQ(Read(store, "zel.state.uuid"), "00000000-0000-0000-0000-000000000000");
        EXPECT_EQ(Read(store, "zel.version"), "01.08.06");
        EXPECT_EQ(Read(store, "zel.svn.version"), "159224");
        EXPECT_EQ(Read(store, "net.current.networktype"), "0");
        EXPECT_EQ(Read(store, "kald.mode"), "KALD");  // the default file has none
        EXPECT_EQ(Read(store, "network.config.discover.mode"), "3");
    }
    const std::pair<const char*, const char*> modes[] = {
        {"kald.mode=KALD-Neo\n", "1"},
        {"kald.mode = KALD-Neo \t\n", "1"},
        {"kald.mode=kald-neo\n", "0"},
        {"kald.mode=KALD-Neo2\n", "0"},
    };
    for (const auto& [file, startup] : modes) {
        filetext::Write(kConfig, file);
        ZelConfig store;
        EXPECT_EQ(Read(store, "zel.state.startup"), startup) << file;
    }
}

TEST(ZelConfigTest, LoadedPropertiesOverrideEntriesAndAreSaved) {
    filetext::Write(kConfig, "zel.version=9\nkey=first\nkey=second\n");
    ZelConfig store;
    EXPECT_EQ(Read(store, "zel.version"), "9");
    EXPECT_EQ(Read(store, "key"), "second");
    EXPECT_TRUE(store.SetAttribute("plain", "p", Value));
    EXPECT_TRUE(store.SetAttribute("plain", "q", AgentProperty));
    ASSERT_TRUE(store.SaveAgentConfiguration());
    EXPECT_EQ(filetext::Read(kConfig), "kald.mode=KALD\nkey=second\nplain=q\nzel.version=9\n");
}

bool IsOpen(int fd) { return ::fcntl(fd, F_GETFD) != -1; }

TEST(ZelConfigTest, EachStoreClosesOnlyTheMeasurementDeviceItOpened) {
    int outerFd;
    int innerFd;
    int other;
    {
        ZelConfig outer;
        outerFd = ZelConfig::measureDeviceFd;
        ASSERT_GE(outerFd, 0);
        {
            ZelConfig inner;
            innerFd = ZelConfig::measureDeviceFd;  // names the newest store's
            EXPECT_NE(innerFd, outerFd);
        }
        EXPECT_TRUE(IsOpen(outerFd));
        other = ::open("/tmp/other", O_CREAT | O_RDWR | O_CLOEXEC, 0644);
        ASSERT_EQ(other, innerFd);  // an unrelated file takes the freed number
    }
    EXPECT_FALSE(IsOpen(outerFd));
    EXPECT_TRUE(IsOpen(other));
    ::close(other);
    ASSERT_EQ(::unlink("/dev/measure/0"), 0);
    ZelConfig without;
    EXPECT_EQ(ZelConfig::measureDeviceFd, -1);
}

struct ParsedLine {
    const char* line;
    bool accepted;
    const char* key;
    const char* value;
};

TEST(ZelConfigTest, PropertyLinesSplitAtTheFirstEqualsSign) {
    const ParsedLine cases[] = {
        {"key=value", true, "key", "value"},
        {"key \t = two words \t", true, "key", "two words"},
        {"key=", true, "key", ""},
        {"key==v", true, "key", "=v"},
        {"a=b=c", true, "a", "b=c"},
        {"  lead=x", true, "  lead", "x"},
        {"=v", true, "", "v"},
        {"k=#not a comment", true, "k", "#not a comment"},
        {"path=DOES\\ NOT\\ EXIST", true, "path", "DOES\\ NOT\\ EXIST"},
        {"#key=value", false, nullptr, nullptr},
        {"no equals sign", false, nullptr, nullptr},
        {"", false, nullptr, nullptr},
    };
    for (const ParsedLine& c : cases) {
        char line[64];
        std::strcpy(line, c.line);
        char* key = nullptr;
        char* value = nullptr;
        ASSERT_EQ(ZelConfig::ParsePropertyLine(line, &key, &value), c.accepted) << c.line;
        if (!c.accepted) continue;
        EXPECT_STREQ(key, c.key) << c.line;
        EXPECT_STREQ(value, c.value) << c.line;
    }
}

std::string Lookup(const std::string& file, const std::string& key) {
    filetext::Write("/tmp/props", file);
    std::string value = "unchanged";
    ZelConfig::ReadFileProperty("/tmp/props", key, value);
    return value;
}

TEST(ZelConfigTest, TheLineScannerDropsBlankLinesAndIndentation) {
    const std::string file =
        "\n\n  first = 1\n\n\t# comment=c\n  second=2 \r\n#third=3\nthird=x#3\n";
    EXPECT_EQ(Lookup(file, "first"), "1");  // an empty first line is skipped
    EXPECT_EQ(Lookup(file, "# comment"), "unchanged");
    EXPECT_EQ(Lookup(file, "second"), "2");
    EXPECT_EQ(Lookup(file, "third"), "x#3");
    EXPECT_EQ(Lookup(" k=v\n", " k"), "v");  // the first line keeps its indentation
    EXPECT_EQ(Lookup("k=first\nk=second\n", "k"), "first");
    EXPECT_EQ(Lookup("k=no final line feed", "k"), "no final line feed");
    EXPECT_EQ(Lookup(std::string("k=a\0b\nn=1\n", 11), "n"), "1");
    EXPECT_EQ(Lookup(std::string("k=a\0b\nn=1\n", 11), "k"), "a");
}

TEST(ZelConfigTest, LongLinesAreReadInPiecesOf8191Bytes) {
    const std::string fits = "k=" + std::string(8189, 'v');  // 8191 bytes
    EXPECT_EQ(Lookup(fits + "\nn=1\n", "k"), std::string(8189, 'v'));
    EXPECT_EQ(Lookup(fits + "\nn=1\n", "n"), "1");
    // One byte more: the rest is a line of its own, here a property.
    const std::string longer = "k=" + std::string(8189, 'v') + "x=y\n";
    EXPECT_EQ(Lookup(longer, "k"), std::string(8189, 'v'));
    EXPECT_EQ(Lookup(longer, "x"), "y");
    EXPECT_EQ(Lookup(std::string(100000, 'a') + "\nk=v\n", "k"), "v");
}

TEST(ZelConfigTest, ReadFilePropertyLogsAFileThatCantBeOpened) {
    std::string value = "unchanged";
    {
        ConfigWebLogging logging;
        EXPECT_FALSE(ZelConfig::ReadFileProperty("/tmp/missing", "k", value));
    }
    EXPECT_EQ(value, "unchanged");
    const std::string line = logfile::LineWithMessage("Can't open /tmp/missing");
    EXPECT_NE(line.find("error     zelloghandler"), std::string::npos) << line;
}

}  // namespace
