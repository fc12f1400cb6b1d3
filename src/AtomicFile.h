#ifndef SRC_ATOMICFILE_H
#define SRC_ATOMICFILE_H

#include <sys/types.h>

#include <string>
#include <string_view>

// Replaces a file as a whole, so that a reader sees either the old or the new content and
// never a partial file: the new content goes to a temporary file in the same folder, which
// is renamed over the file when complete.
class AtomicFile {
public:
    enum class Durability {
        Volatile,  // files in RAM (/tmp): atomic against readers, no flush to storage
        Durable,   // flash: the new file and then its folder are flushed to storage
    };

    enum class Outcome {
        Unchanged,          // `path` is as it was (errno tells why)
        Replaced,           // `path` names the new content, flushed when Durable
        ReplacedUnflushed,  // `path` names the new content, but its folder was not flushed:
                            // after a power cut it may name the old file again
    };

    static constexpr mode_t kReadableMode = 0644;

    // Flushes the folder holding `path` to storage (after a rename or a new link).
    static bool SyncFolderOf(const std::string& path);
    // How Commit flushes the folder: SyncFolderOf, unless a test passes another.
    using FolderSync = bool (*)(const std::string& path);

    // The next version of `path`, written as `tempPath` (in the folder of `path`) with
    // `mode`. The caller serialises writers of the same path (see FileLock).
    AtomicFile(std::string path, std::string tempPath, mode_t mode = kReadableMode);
    AtomicFile(const AtomicFile&) = delete;
    AtomicFile& operator=(const AtomicFile&) = delete;
    // Removes the temporary file when it was opened and not committed.
    virtual ~AtomicFile();

    // Creates the temporary file: a stale file of that name is removed first and the new
    // one created exclusively, never truncated (after a power cut a stale temp name may be
    // a second name of the live file). False, errno set, when it can't be created.
    bool Open();

    // Writes `content` to the opened temporary file, checks every write and the close, and
    // renames it over `path`. On any failure before the rename the temporary file is
    // removed and the outcome is Unchanged. With a `backupPath` (same folder), the file
    // that `path` names until then becomes the backup as a second name of it, made before
    // the rename, so that `path` names a complete file at every instant; without a file at
    // `path` the backup stays as it is.
    Outcome Commit(std::string_view content, Durability durability,
                   const std::string& backupPath = std::string(),
                   FolderSync syncFolder = SyncFolderOf);

    // Open and Commit, with the readable mode.
    static Outcome Replace(const std::string& path, const std::string& tempPath,
                           std::string_view content, Durability durability,
                           const std::string& backupPath = std::string(),
                           FolderSync syncFolder = SyncFolderOf);

private:
    std::string path;
    std::string tempPath;
    mode_t mode;
    int fd = -1;
};

#endif
