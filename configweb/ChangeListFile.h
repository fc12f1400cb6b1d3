#ifndef CONFIGWEB_CHANGELISTFILE_H
#define CONFIGWEB_CHANGELISTFILE_H

#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <string_view>

// The change list file: one line "id;flag\n" per session, ascending by signed id.
//
// As read, lines are split at the first ";" and both sides converted like atoi; empty
// lines and lines without ";" are skipped, and the last line of an id wins. Only the first
// kMaxReadBytes of a file are read.
class ChangeListFile {
public:
    using Changes = std::map<int32_t, int32_t>;
    // Called for each accepted line with the id and the text after the first ";".
    using LineObserver = std::function<void(int32_t id, const std::string& flagText)>;

    static constexpr size_t kMaxReadBytes = 8u << 20;

    // Adds the file's entries to `changes`. False when the file can't be opened.
    static bool Read(const std::string& path, Changes& changes,
                     const LineObserver& observer = nullptr);

    // Adds the entries of a file's text to `changes`.
    static void Parse(std::string_view text, Changes& changes, const LineObserver& observer);

    // The file text of `changes`; an empty map gives the empty text.
    static std::string Format(const Changes& changes);

    // Under an exclusive lock on "<path>.lock": reads the file as it is now, sets the
    // entries of `marks` over it and replaces the file with the result by rename
    // (through "<path>.new"), unless the file holds that text already. False when the new
    // file could not be written; the file is then as it was.
    static bool Merge(const std::string& path, const Changes& marks);
};

#endif
