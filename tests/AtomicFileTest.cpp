#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include "AtomicFile.h"
#include "FileText.h"

namespace {

// Runs in the private root: /tmp and /config belong to this test alone.
constexpr const char* kPath = "/config/atomic.txt";
constexpr const char* kTemp = "/config/atomic.txt.new";

TEST(AtomicFileTest, ReplacesTheWholeFileAndLeavesNoTemporary) {
    filetext::Write(kPath, "old content that is longer\n");
    for (auto durability : {AtomicFile::Durability::Volatile, AtomicFile::Durability::Durable}) {
        ASSERT_TRUE(AtomicFile::Replace(kPath, kTemp, "new\n", durability));
        EXPECT_EQ(filetext::Read(kPath), "new\n");
        EXPECT_FALSE(filetext::Exists(kTemp));
    }
}

TEST(AtomicFileTest, CreatesAMissingFileAndWritesEmptyContent) {
    ASSERT_TRUE(AtomicFile::Replace(kPath, kTemp, "", AtomicFile::Durability::Volatile));
    EXPECT_TRUE(filetext::Exists(kPath));
    EXPECT_EQ(filetext::Read(kPath), "");
}

TEST(AtomicFileTest, AStaleTemporaryThatNamesTheLiveFileIsNotTruncated) {
    filetext::Write(kPath, "live\n");
    ASSERT_EQ(::link(kPath, kTemp), 0);  // as a power cut can leave it on flash
    ASSERT_TRUE(AtomicFile::Replace(kPath, kTemp, "next\n", AtomicFile::Durability::Durable));
    EXPECT_EQ(filetext::Read(kPath), "next\n");
    EXPECT_FALSE(filetext::Exists(kTemp));
}

TEST(AtomicFileTest, AFailedWriteLeavesTheOriginalByteIdentical) {
    filetext::Write(kPath, "original\n");
    // The temporary can't be created in a missing folder.
    EXPECT_FALSE(AtomicFile::Replace(kPath, "/config/missing/atomic.txt.new", "x",
                                     AtomicFile::Durability::Durable));
    EXPECT_EQ(filetext::Read(kPath), "original\n");
    // The rename fails when the target is a non-empty folder; the temporary is removed.
    ASSERT_EQ(::mkdir("/config/dir", 0755), 0);
    filetext::Write("/config/dir/keep", "k");
    EXPECT_FALSE(AtomicFile::Replace("/config/dir", kTemp, "x", AtomicFile::Durability::Volatile));
    EXPECT_FALSE(filetext::Exists(kTemp));
    EXPECT_EQ(filetext::Read("/config/dir/keep"), "k");
}

TEST(AtomicFileTest, TheReplacedFileBecomesTheBackup) {
    constexpr const char* kBackup = "/config/atomic.txt.old";
    const auto durable = AtomicFile::Durability::Durable;
    // Without a live file the backup stays as it is.
    filetext::Write(kBackup, "backup\n");
    ASSERT_TRUE(AtomicFile::Replace(kPath, kTemp, "first\n", durable, kBackup));
    EXPECT_EQ(filetext::Read(kBackup), "backup\n");
    ASSERT_TRUE(AtomicFile::Replace(kPath, kTemp, "second\n", durable, kBackup));
    EXPECT_EQ(filetext::Read(kPath), "second\n");
    EXPECT_EQ(filetext::Read(kBackup), "first\n");
    // A backup that is still a second name of the live file (a power cut between making
    // it and the rename) is made anew.
    ::unlink(kBackup);
    ASSERT_EQ(::link(kPath, kBackup), 0);
    ASSERT_TRUE(AtomicFile::Replace(kPath, kTemp, "third\n", durable, kBackup));
    EXPECT_EQ(filetext::Read(kPath), "third\n");
    EXPECT_EQ(filetext::Read(kBackup), "second\n");
    EXPECT_FALSE(filetext::Exists(kTemp));
}

}  // namespace
