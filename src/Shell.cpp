#include "Shell.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "CNumber.h"
#include "TextScanner.h"
#include "ZelLog.h"

namespace {

constexpr const char* kLogSource = "Shell";

// The check command must hold the longest accepted pid text.
static_assert(std::char_traits<char>::length(Shell::kProcessCheckFormat) - 2 +
                      Shell::kMaxPidDigits <
                  Shell::kCheckCommandSize,
              "process check command too small");

void TakeExitCode(std::string& output, int* exitCode, const char* command) {
    const size_t markerLength = std::strlen(Shell::kExitCodeMarker);
    if (output.compare(0, markerLength, Shell::kExitCodeMarker) != 0) return;
    const int32_t code =
        CNumber::Strtol(output.data() + markerLength, output.size() - markerLength, 10);
    ZEL_DEBUG(Shell::kExitCodeMessage, command, code, std::strerror(code));
    output.clear();
    if (exitCode != nullptr) *exitCode = code;
}

// The first white-space-delimited word, cut after kMaxPidDigits + 1 characters so that a
// longer word stays recognisable as too long. Empty when the word does not end within the
// read bound.
std::string ReadFirstWord(FILE* file) {
    std::string word;
    for (size_t n = 0; n < Shell::kMaxPidFileReadBytes; ++n) {
        const int c = std::getc(file);
        const bool space = c != EOF && CNumber::IsSpace(static_cast<char>(c));
        if (c == EOF || (space && !word.empty())) return word;
        if (!space) word += static_cast<char>(c);
        if (word.size() > Shell::kMaxPidDigits) return word;
    }
    return std::string();
}

bool ReadPidText(const std::string& pidFile, std::string& pid) {
    FILE* file = std::fopen(pidFile.c_str(), "re");
    if (file == nullptr) return false;
    pid = ReadFirstWord(file);
    std::fclose(file);
    return true;
}

// Only a plain positive number may reach the shell: "kill 0" or "kill -1" would hit far
// more than one process, and anything else could carry shell syntax.
bool IsProcessId(const std::string& text) {
    uint64_t value = 0;
    return text.size() <= Shell::kMaxPidDigits && CNumber::ParseDecimal(text, INT32_MAX, value) &&
           value >= 1;
}

bool CanOpen(const std::string& path) {
    FILE* file = std::fopen(path.c_str(), "re");
    if (file == nullptr) return false;
    std::fclose(file);
    return true;
}

void RunLogged(const std::string& command) {
    ZEL_DEBUG(Shell::kKillLogFormat, command.c_str());
    // The kill's outcome is judged by the process check, not by its status.
    const int status = std::system(command.c_str());
    static_cast<void>(status);
}

void WaitUntilGone(const std::string& pid, int32_t timeoutMs) {
    char check[Shell::kCheckCommandSize];
    std::snprintf(check, sizeof check, Shell::kProcessCheckFormat, pid.c_str());
    int64_t remaining = timeoutMs;  // wide, so that subtracting can't overflow
    std::string output;
    do {
        ::usleep(static_cast<useconds_t>(Shell::kCheckIntervalMs) * 1000u);
        output.clear();
        Shell::ReadPipe(output, check);
        remaining -= Shell::kCheckIntervalMs;
    } while (remaining >= 1 && !output.empty());
}

}  // namespace

Shell::~Shell() = default;

bool Shell::Capture(std::string& output, const std::string& command, size_t limit) {
    FILE* pipe = ::popen(command.c_str(), "re");
    if (pipe == nullptr) return false;
    char piece[kReadPieceSize];
    for (size_t got;
         limit > 0 && (got = std::fread(piece, 1, std::min(sizeof piece, limit), pipe)) > 0;
         limit -= got) {
        output.append(piece, got);
    }
    ::pclose(pipe);
    return true;
}

bool Shell::ReadPipe(std::string& output, const std::string& command) {
    std::string printed;
    if (!Capture(printed, command, kMaxOutputBytes)) {
        const int error = errno;
        ZEL_ERROR(kPipeFailedMessage, command.c_str(), error, std::strerror(error));
        return false;
    }
    for (TextScanner pieces(printed.data(), printed.size()); !pieces.AtEnd();) {
        output.append(pieces.Fgets(kReadPieceSize));
    }
    ZEL_DEBUG(kReadPipeMessage, output.substr(0, kMaxLoggedOutputBytes).c_str());
    return true;
}

bool Shell::RunCommand(std::string& output, int* exitCode, const char* format, ...) {
    output.clear();
    if (exitCode != nullptr) *exitCode = 0;
    char command[kCommandSize];
    va_list args;
    va_start(args, format);
    const int length = std::vsnprintf(command, sizeof command, format, args);
    va_end(args);
    if (length < 0) return false;
    if (static_cast<size_t>(length) >= sizeof command) {
        ZEL_ERROR(kCommandTooLongMessage, command);
        return false;
    }
    ZEL_DEBUG(kOpenPipeMessage, command);
    const bool started = ReadPipe(output, std::string(command) + kExitCodeSuffix);
    TakeExitCode(output, exitCode, command);
    return started;
}

int Shell::KillByPidFile(const std::string& pidFile, int32_t timeoutMs) {
    std::string pid;
    if (!ReadPidText(pidFile, pid)) {
        ZEL_DEBUG(kNoPidFileMessage, pidFile.c_str());
        return 0;
    }
    if (!IsProcessId(pid)) {
        ZEL_ERROR(kNoProcessIdMessage, pidFile.c_str());
        return 0;
    }
    RunLogged(kKillCommand + pid);
    WaitUntilGone(pid, timeoutMs);
    if (!CanOpen(pidFile)) {
        ZEL_DEBUG(kPidFileGoneMessage, pidFile.c_str());
        return 0;
    }
    RunLogged(kForcedKillCommand + pid);
    ::unlink(pidFile.c_str());
    return 0;
}

int Shell::LoadModule(const std::string& name, const std::string& file,
                      const std::string& parameters) {
    ZEL_DEBUG(kLoadMessage, name.c_str(), file.c_str());
    std::string output;
    RunCommand(output, nullptr, "%s", kLsmodCommand);
    if (output.find(name) != std::string::npos) return 0;
    if (!RunCommand(output, nullptr, kInsmodFormat, file.c_str(), parameters.c_str())) {
        ZEL_ERROR(kInsmodFailedMessage, name.c_str(), output.c_str());
        return -1;
    }
    return 0;
}

int Shell::EnsureDirectory(const std::string& path, mode_t mode) {
    struct stat status;
    if (::stat(path.c_str(), &status) != 0) return ::mkdir(path.c_str(), mode) == 0 ? 0 : -1;
    if (S_ISDIR(status.st_mode)) return 0;
    errno = ENOTDIR;
    return -1;
}

int Shell::MakeDirectories(const std::string& path, mode_t mode) {
    size_t position = 0;
    for (size_t slash; (slash = path.find('/', position)) != std::string::npos;
         position = slash + 1) {
        if (slash == position) continue;
        if (EnsureDirectory(path.substr(0, slash), mode) != 0) return -1;
    }
    return EnsureDirectory(path, mode);
}

int Shell::WriteToPipe(const std::string& path, unsigned char byte) {
    const int fd = ::open(path.c_str(), O_RDWR | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        const int error = errno;
        ZEL_ERROR(kOpenPipeFailedMessage, path.c_str(), std::strerror(error));
        return -1;
    }
    if (::write(fd, &byte, 1) != 1) {
        const int error = errno;
        ZEL_ERROR(kWritePipeFailedMessage, path.c_str(), std::strerror(error));
        ::close(fd);
        return -1;
    }
    ::close(fd);
    return 0;
}
