#ifndef SRC_MEMINFO_H
#define SRC_MEMINFO_H

#include <cstddef>
#include <string>

// The kernel's memory figures as "/proc/meminfo" prints them, one per line: a name, ":",
// blanks, the number, a blank and the unit "kB".
class MemInfo {
public:
    static constexpr const char* kPath = "/proc/meminfo";
    // The part of the file that is read; the figures used are on its first lines.
    static constexpr size_t kReadLimit = 8192;

    virtual ~MemInfo();

    // The figure of line `lineIndex` (0 for the first): the text after the ":" and the
    // blanks that follow it, up to the byte just before the first "kB" of the line (the
    // blank between number and unit), or to the end of the line without "kB". False, with
    // `output` empty, when the file has no such line or that text is empty (no ":", nothing
    // after it, or "kB" right after the blanks).
    static bool Figure(const std::string& text, size_t lineIndex, std::string& output);
};

#endif
