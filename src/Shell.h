#ifndef SRC_SHELL_H
#define SRC_SHELL_H

#include <sys/types.h>

#include <cstddef>
#include <cstdint>
#include <string>

// Drives the rest of the device from user space: runs shell commands and captures what
// they print, stops daemons through their pid files, loads kernel modules, creates folder
// paths and signals processes through their named pipes.
//
// Every operation reports by its result and by log lines through "zelloghandler"
// (debug 102, error 103) with the source name "Shell"; none throws. Single-threaded.
class Shell {
public:
    // Appended to every command RunCommand runs: prints the marker only on failure.
    static constexpr const char* kExitCodeSuffix = " || echo \"<exit code $?>\"";
    static constexpr const char* kExitCodeMarker = "<exit code ";
    static constexpr const char* kProcessCheckFormat = "ps |grep -w %s |grep -v grep";
    static constexpr const char* kKillCommand = "kill ";
    static constexpr const char* kForcedKillCommand = "kill -9 ";
    static constexpr const char* kLsmodCommand = "/usr/sbin/lsmod";
    static constexpr const char* kInsmodFormat = "/usr/sbin/insmod %s %s 2>&1";

    // Sizes: a formatted command (with its terminating null), one read from a pipe, the
    // process check command.
    static constexpr size_t kCommandSize = 512;
    static constexpr size_t kReadPieceSize = 1024;
    static constexpr size_t kCheckCommandSize = 128;
    // At most this much of one command's output is kept, and this much of it logged.
    static constexpr size_t kMaxOutputBytes = size_t{1} << 20;
    static constexpr size_t kMaxLoggedOutputBytes = 4096;
    // A pid text is 1 to kMaxPidDigits decimal digits, found within the first
    // kMaxPidFileReadBytes of the pid file.
    static constexpr size_t kMaxPidDigits = 10;
    static constexpr size_t kMaxPidFileReadBytes = 256;
    static constexpr int32_t kCheckIntervalMs = 500;

    static constexpr const char* kPipeFailedMessage = "'%s' finished with number '%d': '%s'";
    static constexpr const char* kReadPipeMessage = "Read pipe '%s'";
    static constexpr const char* kOpenPipeMessage = "Open pipe '%s'";
    static constexpr const char* kCommandTooLongMessage = "command too long: '%s'";
    static constexpr const char* kExitCodeMessage = "'%s' finished with exit code '%d': '%s'";
    static constexpr const char* kNoPidFileMessage = "pid file '%s' dosn't exist";
    static constexpr const char* kNoProcessIdMessage = "pid file '%s' holds no process id";
    static constexpr const char* kPidFileGoneMessage = "pid file '%s' no longer exist";
    static constexpr const char* kKillLogFormat = "%s";
    static constexpr const char* kLoadMessage = "Load %s at %s";
    static constexpr const char* kInsmodFailedMessage = "insmod of %s failed: %s";
    static constexpr const char* kOpenPipeFailedMessage = "open pipe '%s' failed: %s";
    static constexpr const char* kWritePipeFailedMessage = "write to pipe '%s' failed: %s";

    virtual ~Shell();

    // Runs `command` through the shell and appends at most `limit` bytes of what it prints
    // on standard output to `output`, as they are; the pipe is then closed, so a command
    // that goes on printing gets a broken pipe. The exit status is not used. Logs nothing.
    // False, errno set, only when the command can't be started.
    static bool Capture(std::string& output, const std::string& command, size_t limit);

    // Capture of at most kMaxOutputBytes, appended as fgets pieces of up to
    // kReadPieceSize - 1 bytes: a null byte ends its piece. Logs the whole output (its
    // first kMaxLoggedOutputBytes) at debug, and a command that can't be started as error.
    static bool ReadPipe(std::string& output, const std::string& command);

    // Formats the command printf-style, runs it with kExitCodeSuffix appended through
    // ReadPipe and sets `output` to what it printed. When that output begins with
    // kExitCodeMarker, the number after it (read like a 32-bit strtol, base 10) is
    // stored through `exitCode`, logged with its strerror text, and `output` is emptied;
    // otherwise the exit code is 0. A command that printed something before failing thus
    // keeps the marker line at the end of `output` and exit code 0. `exitCode` may be null.
    // False when the command can't be formatted, does not fit kCommandSize (logged as
    // error; nothing is run) or can't be started.
    static bool RunCommand(std::string& output, int* exitCode, const char* format, ...)
        __attribute__((format(printf, 3, 4)));

    // Stops the process whose id is the first white-space-delimited word of `pidFile`:
    // sends "kill", checks every kCheckIntervalMs with kProcessCheckFormat until the
    // process is no longer listed or `timeoutMs` is used up (at least one check), and
    // when the pid file still exists then, sends "kill -9" and deletes the pid file.
    // A missing pid file is logged and nothing is run; so is a word that is not 1 to
    // kMaxPidDigits digits with a value from 1 to 2147483647 (logged as error). Always 0.
    static int KillByPidFile(const std::string& pidFile, int32_t timeoutMs);

    // Loads a kernel module with insmod (file and parameters, standard error captured)
    // unless `name` occurs anywhere in the lsmod listing. -1 (logged) only when insmod
    // can't be run at all; a failing insmod is not detected. The arguments reach the
    // shell as they are: callers pass only their own texts.
    static int LoadModule(const std::string& name, const std::string& file,
                          const std::string& parameters);

    // 0 when `path` is a folder or was created with `mode`; otherwise -1 with errno set
    // (by mkdir, or ENOTDIR when something else is at `path`).
    static int EnsureDirectory(const std::string& path, mode_t mode);

    // EnsureDirectory for every prefix of `path` that ends before a "/" (empty prefixes
    // skipped), then for `path`; stops at the first failure. 0 or -1 with errno set.
    static int MakeDirectories(const std::string& path, mode_t mode);

    // Writes `byte` into the existing named pipe at `path` without blocking; works
    // without a reader (the byte is then lost). -1 (logged as error) when the pipe can't
    // be opened or the byte not written (a full pipe), otherwise 0.
    static int WriteToPipe(const std::string& path, unsigned char byte);
};

#endif
