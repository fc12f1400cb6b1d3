#ifndef SRC_PROPERTYSCANNER_H
#define SRC_PROPERTYSCANNER_H

#include <cstddef>
#include <cstdio>

// Splits a line-oriented file the way the device has always scanned its key=value files
// ("%8191[^\n]\n"): a line is at most 8191 bytes (or a shorter piece length) up to a line
// feed, a longer line comes as several pieces, and all white space after each piece is
// skipped, so blank lines and the indentation of every line after the first are dropped.
// An empty first line is skipped like any other blank line.
class PropertyScanner {
public:
    static constexpr size_t kPieceLength = 8191;
    // Reading stops after this many bytes, whatever the file holds.
    static constexpr size_t kReadLimit = 8u << 20;

    // Reads the file from its current position. `pieceLength` is at most kPieceLength.
    explicit PropertyScanner(FILE* file, size_t pieceLength = kPieceLength);
    // Scans the `length` bytes of `text`, a file's content already read, in place: the
    // pieces are cut out of `text` itself where they end at a line feed or at the end, so
    // `text[length]` must be writable too.
    PropertyScanner(char* text, size_t length, size_t pieceLength = kPieceLength);
    PropertyScanner(const PropertyScanner&) = delete;
    PropertyScanner& operator=(const PropertyScanner&) = delete;
    virtual ~PropertyScanner();

    // The next piece, NUL-terminated, which the caller may modify until the next call (a
    // NUL byte of the file ends the C string early). Null at the end of the file.
    char* Next();

private:
    static constexpr size_t kBlockLength = 16384;

    char* NextFromFile();
    char* NextInText();
    // Makes unread bytes available in `data`; false at the end of the file or the limit.
    bool Refill();
    void SkipSpace();

    FILE* file = nullptr;  // null when scanning a text
    size_t pieceLength;
    char* data;  // `block`, or the text
    size_t consumed = 0;
    size_t position = 0;  // next unread byte of `data`
    size_t filled = 0;    // bytes of `data` that hold file text
    bool ended = false;   // a read came back short: the end of the file or an error
    bool atStart = true;
    char buffer[kPieceLength + 1];
    char block[kBlockLength];
};

#endif
