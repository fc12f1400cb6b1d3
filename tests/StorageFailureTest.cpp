// Submissions when /config can't take the settings. Each case runs in a private root whose
// /config is read-only or a small file system (see CMakeLists.txt); run elsewhere, the cases
// are skipped.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include "CgiProcess.h"
#include "FileText.h"
#include "LogFile.h"

namespace {

constexpr const char* kLive = "/config/agent.configuration";
constexpr const char* kOld = "/config/agent.configuration.old";
constexpr const char* kNew = "/config/agent.configuration.new";
constexpr const char* kValid =
    "sessionid=31&submit=Save&outlet=7&dealer=42&toladdress=10.0.0.2&tolport=5302"
    "&tolurl=/tol&dns1=10.0.0.1&dns2=";
constexpr const char* kRedirect = "Location: tolsettings.cgi?sessionid=31\n\n\n";
constexpr unsigned long kSmallFileSystem = 1 << 20;

bool ConfigIs(bool readOnly) {
    struct statvfs status;
    if (::statvfs("/config", &status) != 0) return false;
    if (readOnly) return (status.f_flag & ST_RDONLY) != 0;
    return (status.f_flag & ST_RDONLY) == 0 &&
           status.f_blocks * status.f_frsize <= kSmallFileSystem;
}

// Writes until the file system has no byte left.
void FillFileSystem() {
    int fd = ::open("/config/filler", O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    ASSERT_GE(fd, 0);
    const std::string block(4096, 'f');
    while (::write(fd, block.data(), block.size()) > 0) {
    }
    while (::write(fd, "f", 1) > 0) {
    }
    ::close(fd);
}

void ExpectSubmissionAnsweredAndFilesKept(const char* reason) {
    const std::string live = filetext::Read(kLive);
    const std::string old = filetext::Read(kOld);
    ASSERT_FALSE(live.empty());
    CgiResult result = CgiProcess::Post(CGI_BINARY, kValid).Run();
    EXPECT_EQ(result.exitStatus, 0);
    EXPECT_EQ(result.output, kRedirect);
    EXPECT_EQ(filetext::Read(kLive), live);
    EXPECT_EQ(filetext::Read(kOld), old);
    EXPECT_FALSE(filetext::Exists(kNew));
    const std::string message = std::string("Can't save /config/agent.configuration: ") + reason;
    EXPECT_EQ(logfile::CountMessage(message), 7u) << filetext::Read(logfile::kPath);
}

TEST(StorageFailureTest, AReadOnlyConfigFolderKeepsTheFilesAndStillAnswers) {
    if (!ConfigIs(true)) GTEST_SKIP() << "needs a read-only /config";
    ExpectSubmissionAnsweredAndFilesKept("Read-only file system");
}

TEST(StorageFailureTest, AFullFileSystemKeepsTheFilesAndStillAnswers) {
    if (!ConfigIs(false)) GTEST_SKIP() << "needs a small /config file system";
    filetext::Write(kLive, "kald.mode=KALD\nnetwork.config.discover.mode=1\ntol.dealer=1\n");
    filetext::Write(kOld, "kald.mode=KALD\nnetwork.config.discover.mode=1\n");
    filetext::Write("/config/agent.configuration.lock", "");
    FillFileSystem();
    ExpectSubmissionAnsweredAndFilesKept("No space left on device");
    // With room again the next submission is stored.
    ASSERT_EQ(::unlink("/config/filler"), 0);
    EXPECT_EQ(CgiProcess::Post(CGI_BINARY, kValid).Run().output, kRedirect);
    EXPECT_NE(filetext::Read(kLive).find("tol.dealer=000042\n"), std::string::npos);
}

}  // namespace
