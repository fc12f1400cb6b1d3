#ifndef SRC_CNUMBER_H
#define SRC_CNUMBER_H

#include <cstddef>
#include <cstdint>
#include <string>

// Number conversions with the results the device's C library (musl, 32-bit) gives, on
// every platform.
class CNumber {
public:
    // White space as the C locale's isspace (blank, \t to \r), whether char is signed or not.
    static bool IsSpace(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }
    static bool IsDigit(unsigned char c) { return c >= '0' && c <= '9'; }
    // The value of a digit in bases up to 16, or 16 for any other byte.
    static unsigned DigitValue(unsigned char c);

    // atoi: leading white space, an optional sign, then digits up to the first other
    // character; no digit gives 0. The value wraps modulo 2^32 like the device's atoi.
    // Reads at most `length` bytes.
    static int32_t Atoi(const char* text, size_t length);
    static int32_t Atoi(const std::string& text) { return Atoi(text.data(), text.size()); }

    // strtol of the device, whose long has 32 bits: leading white space, an optional sign,
    // for base 16 an optional "0x" before a hexadecimal digit, then digits up to the first
    // other character (no digit gives 0). Out-of-range values saturate at INT32_MIN and
    // INT32_MAX. `base` is 10 or 16. Reads at most `length` bytes.
    static int32_t Strtol(const char* text, size_t length, unsigned base);
    static int32_t Strtol(const std::string& text, unsigned base) {
        return Strtol(text.data(), text.size(), base);
    }

    // One integer conversion of scanf ("%i" with base 0, "%X" with base 16, "%d" with base
    // 10) over `text`, which starts after the white space scanf skips and holds at most the
    // field width. `value` is the 64-bit result the device's scanf stores from; the caller
    // truncates it to the size of its destination.
    struct Scanned {
        uint64_t value = 0;
        size_t consumed = 0;  // bytes taken from the input, also when nothing matched
        bool matched = false;
    };
    static Scanned ScanInteger(const char* text, size_t length, unsigned base);

    // inet_ntoa: the four bytes of an IPv4 address, in memory order, as a dotted quad.
    static std::string DottedQuad(const unsigned char bytes[4]);

    // A plain unsigned decimal (digits only, at least one, no sign or blank) that is at
    // most `limit`. Leaves `value` unchanged and returns false otherwise.
    static bool ParseDecimal(const std::string& text, uint64_t limit, uint64_t& value);
};

#endif
