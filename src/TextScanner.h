#ifndef SRC_TEXTSCANNER_H
#define SRC_TEXTSCANNER_H

#include <cstddef>
#include <cstdint>
#include <string_view>

// Reads a text held in memory the way the device's scanf reads a stream, one directive at
// a time: fields are preceded by white space, which is skipped; words end at white space
// or at the field width; integers convert as the device's scanf converts them. NUL bytes
// are ordinary bytes of a word (they end its C string early).
class TextScanner {
public:
    TextScanner(const char* text, size_t length);
    virtual ~TextScanner();

    bool AtEnd() const { return position == end; }
    // A white-space directive: skips any amount, line feeds included.
    void SkipSpace();
    // "%*[^\n]\n": skips the rest of the current line and the white space after it.
    void SkipLine();
    // "%Ns": copies up to `width` bytes of the next word into `word` (room for width + 1)
    // and terminates it. False, with `word` untouched, when only white space is left.
    bool Word(char* word, size_t width);
    // "%*s": skips the next word. False when only white space is left.
    bool SkipWord();
    // fgets into a buffer of `size` bytes (at least 2): the next piece, up to and with a
    // line feed or of size - 1 bytes, as far as its C string reaches (a NUL byte ends it).
    std::string_view Fgets(size_t size);
    // "%i" (base 0), "%X" (16), "%d" (10) with a field width (0 for none). False when only
    // white space is left or the conversion matches nothing; the bytes the conversion
    // consumed are gone either way, as on the device.
    bool Integer(unsigned base, size_t width, uint64_t& value);

private:
    const char* position;
    const char* end;
};

#endif
