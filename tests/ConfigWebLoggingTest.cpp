#include <LogEvent.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <sstream>
#include <string>

#include "ConfigWebLog.h"
#include "ConfigWebLogging.h"
#include "FileText.h"

namespace {

constexpr const char* kLogSource = "ConfigWebLoggingTest";
const std::string kDateTime = "2024-01-02 03:04:05.000006";

std::string Format(const std::string& handler, const std::string& file, int line,
                   const std::string& message) {
    std::ostringstream out;
    ConfigWebLogging::ConfigWebLayout().Format(
        out, LogEvent(kDateTime, "info", handler, 1234, file, line, message));
    return out.str();
}

// The line the layout gives for an event logged here, after the date-time.
std::string Expected(const std::string& levelAndHandler, int line, const std::string& message) {
    std::ostringstream text;
    text.setf(std::ios::left, std::ios::adjustfield);
    text << "  " << levelAndHandler;
    text.width(6);
    text << getpid();
    text << "ConfigWebLoggingTest     ";
    text.width(6);
    text << line;
    text << message << "\n";
    return text.str();
}

}  // namespace

TEST(ConfigWebLoggingTest, BothHandlersWriteToTheLogFileUntilDestroyed) {
    const std::string path = ConfigWebLogging::kLogPath;
    filetext::Remove(path);
    int zelLine = 0;
    int webLine = 0;
    {
        ConfigWebLogging logging;
        zelLine = __LINE__ + 1;
        ZEL_INFO("zel %d", 1);
        webLine = __LINE__ + 1;
        WEB_ERROR("web %s", "two");
    }
    ZEL_ERROR("after the set-up ended");
    const std::string text = filetext::Read(path);
    const size_t second = text.find('\n') + 1;
    ASSERT_EQ(std::count(text.begin(), text.end(), '\n'), 2) << text;
    EXPECT_EQ(text.substr(kDateTime.size(), second - kDateTime.size()),
              Expected("info      zelloghandler  ", zelLine, "zel 1"));
    EXPECT_EQ(text.substr(second + kDateTime.size()),
              Expected("error     configwebloghandler", webLine, "web two"));
}

TEST(ConfigWebLoggingTest, MissingLogDirectoryIsNotCreated) {
    ASSERT_EQ(std::rename("/tmp/log", "/tmp/log.away"), 0);
    {
        ConfigWebLogging logging;
        WEB_DEBUG("dropped");
    }
    EXPECT_FALSE(filetext::Exists("/tmp/log"));
    std::rename("/tmp/log.away", "/tmp/log");
}

TEST(ConfigWebLoggingTest, LayoutPadsFieldsToTheirColumns) {
    const std::string line = Format("web", "Shell", 42, "hello");
    const size_t d = kDateTime.size();
    EXPECT_EQ(line, kDateTime +
                        "  info      web            1234  Shell                    42    hello\n");
    EXPECT_EQ(line.find("info"), d + 2);
    EXPECT_EQ(line.find("web"), d + 12);
    EXPECT_EQ(line.find("1234"), d + 27);
    EXPECT_EQ(line.find("Shell"), d + 33);
    EXPECT_EQ(line.find("42"), d + 58);
    EXPECT_EQ(line.find("hello"), d + 64);
}

TEST(ConfigWebLoggingTest, LayoutWritesLongValuesWhole) {
    const std::string pre = kDateTime + "  info      ";
    EXPECT_EQ(Format("configwebloghandler", "Shell", 42, "m"),
              pre + "configwebloghandler1234  Shell                    42    m\n");
    EXPECT_EQ(Format("web", "../configweb/ConfigWebLogging", 42, "m"),
              pre + "web            1234  ../configweb/ConfigWebLogging42    m\n");
    EXPECT_EQ(Format("web", "Shell", 123456, "m"),
              pre + "web            1234  Shell                    123456m\n");
    EXPECT_EQ(Format("web", "Shell", 42, ""),
              pre + "web            1234  Shell                    42    \n");
}

TEST(ConfigWebLoggingTest, ControlBytesInMessagesCantBreakTheLine) {
    const std::string pre =
        kDateTime + "  info      web            1234  Shell                    42    ";
    EXPECT_EQ(Format("web", "Shell", 42, "a\nb\r\x1b[2J\x7f\tc\xe9"),
              pre + "a\\x0ab\\x0d\\x1b[2J\\x7f\tc\xe9\n");
}

TEST(ConfigWebLoggingTest, LayoutLeavesLeftAdjustmentAndSpaceFillSet) {
    std::ostringstream out;
    out.fill('*');
    ConfigWebLogging::ConfigWebLayout().Format(out, LogEvent("", "", "", 0, "", 0, ""));
    out.str("");
    out.width(3);
    out << 7;
    EXPECT_EQ(out.str(), "7  ");
}
