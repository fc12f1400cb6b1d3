#include <gtest/gtest.h>
#include <sys/stat.h>

#include <vector>

#include "ChangeListFile.h"
#include "FileText.h"

namespace {

constexpr const char* kPath = "/tmp/config_web_changes.lst";

ChangeListFile::Changes ReadFile() {
    ChangeListFile::Changes changes;
    ChangeListFile::Read(kPath, changes);
    return changes;
}

TEST(ChangeListFileTest, ReadsLinesLikeAtoiAndSkipsTheRest) {
    filetext::Write(kPath,
                    "\n"  // an empty first line
                    "7;1\n"
                    "x;1\n"       // id 0
                    "5;1;2\n"     // flag from "1;2"
                    "5\n"         // no ";": skipped
                    "  -3 ; 2\n"  // atoi skips leading blanks and stops at the first non-digit
                    "4;1\n4;0\n"  // the last line of an id wins
                    "9;\n"        // flag 0
                    "11;1");      // no final line feed
    ChangeListFile::Changes expected = {{-3, 2}, {0, 1}, {4, 0}, {5, 1}, {7, 1}, {9, 0}, {11, 1}};
    EXPECT_EQ(ReadFile(), expected);
}

TEST(ChangeListFileTest, ReportsEachAcceptedLineWithTheTextAfterTheFirstSemicolon) {
    filetext::Write(kPath, "5;1;2\nnone\n8;0\n");
    std::vector<std::pair<int32_t, std::string>> seen;
    ChangeListFile::Changes changes;
    ChangeListFile::Read(kPath, changes, [&seen](int32_t id, const std::string& text) {
        seen.emplace_back(id, text);
    });
    std::vector<std::pair<int32_t, std::string>> expected = {{5, "1;2"}, {8, "0"}};
    EXPECT_EQ(seen, expected);
}

TEST(ChangeListFileTest, AMissingFileIsReportedAndGivesNoEntries) {
    ChangeListFile::Changes changes;
    EXPECT_FALSE(ChangeListFile::Read(kPath, changes));
    EXPECT_TRUE(changes.empty());
}

TEST(ChangeListFileTest, AFifoAtThePathIsNotReadAndIsReplacedAtTheMerge) {
    ASSERT_EQ(::mkfifo(kPath, 0644), 0);
    ChangeListFile::Changes changes;
    EXPECT_FALSE(ChangeListFile::Read(kPath, changes));  // returns at once, no writer needed
    ASSERT_TRUE(ChangeListFile::Merge(kPath, {{5, 1}}));
    EXPECT_EQ(filetext::Read(kPath), "5;1\n");
}

TEST(ChangeListFileTest, FormatsSortedPlainSignedLines) {
    EXPECT_EQ(ChangeListFile::Format({}), "");
    EXPECT_EQ(ChangeListFile::Format({{7, 1}, {3, 0}, {-2147483647 - 1, -5}}),
              "-2147483648;-5\n3;0\n7;1\n");
}

TEST(ChangeListFileTest, MergeAppliesMarksOverTheFileAsItIsNow) {
    filetext::Write(kPath, "7;1\n3;0\n");
    ASSERT_TRUE(ChangeListFile::Merge(kPath, {{3, 1}, {12, 1}}));
    EXPECT_EQ(filetext::Read(kPath), "3;1\n7;1\n12;1\n");
    EXPECT_FALSE(filetext::Exists(std::string(kPath) + ".new"));
}

TEST(ChangeListFileTest, MergeWithoutMarksNormalisesAndKeepsAnEmptyFile) {
    filetext::Write(kPath, "+007;01\njunk\n\n3;0\n");
    ASSERT_TRUE(ChangeListFile::Merge(kPath, {}));
    EXPECT_EQ(filetext::Read(kPath), "3;0\n7;1\n");
    filetext::Remove(kPath);
    ASSERT_TRUE(ChangeListFile::Merge(kPath, {}));
    EXPECT_TRUE(filetext::Exists(kPath));
    EXPECT_EQ(filetext::Read(kPath), "");
}

TEST(ChangeListFileTest, ReadsAtMostTheBoundOfAHugeFile) {
    std::string huge(ChangeListFile::kMaxReadBytes + 100, ' ');
    huge.replace(0, 4, "1;1\n");
    huge.replace(huge.size() - 5, 5, "\n2;1\n");  // beyond the bound: not read
    filetext::Write(kPath, huge);
    ChangeListFile::Changes expected = {{1, 1}};
    EXPECT_EQ(ReadFile(), expected);
}

}  // namespace
