#ifndef SRC_ATOMICFILE_H
#define SRC_ATOMICFILE_H

#include <string>
#include <string_view>

// Replaces a file as a whole, so that a reader sees either the old or the new content and
// never a partial file.
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

    // Flushes the folder holding `path` to storage (after a rename or a new link).
    static bool SyncFolderOf(const std::string& path);
    // How Replace flushes the folder: SyncFolderOf, unless a test passes another.
    using FolderSync = bool (*)(const std::string& path);

    // Writes `content` to `tempPath` (a stale file of that name is removed first and the
    // new one created exclusively, never truncated: after a power cut a stale temp name
    // may be a second name of the live file), checks every write and the close, and
    // renames it over `path`. `tempPath` must be in the folder of `path`. On any failure
    // before the rename the temporary file is removed and the outcome is Unchanged.
    // With a `backupPath` (same folder), the file that `path` names until then becomes the
    // backup as a second name of it, made before the rename, so that `path` names a
    // complete file at every instant; without a file at `path` the backup stays as it is.
    // The caller serialises writers of the same path (see FileLock).
    static Outcome Replace(const std::string& path, const std::string& tempPath,
                           std::string_view content, Durability durability,
                           const std::string& backupPath = std::string(),
                           FolderSync syncFolder = SyncFolderOf);
};

#endif
