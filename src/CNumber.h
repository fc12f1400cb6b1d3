#ifndef SRC_CNUMBER_H
#define SRC_CNUMBER_H

#include <cstddef>
#include <cstdint>
#include <string>

// Number conversions with the results the device's C library (musl, 32-bit) gives, on
// every platform.
class CNumber {
public:
    // White space as the C locale's isspace: blank, \t, \n, \v, \f, \r.
    static bool IsSpace(unsigned char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }
    static bool IsDigit(unsigned char c) { return c >= '0' && c <= '9'; }

    // atoi: leading white space, an optional sign, then digits up to the first other
    // character; no digit gives 0. The value wraps modulo 2^32 like the device's atoi.
    // Reads at most `length` bytes.
    static int32_t Atoi(const char* text, size_t length);
    static int32_t Atoi(const std::string& text) { return Atoi(text.data(), text.size()); }

    // A plain unsigned decimal (digits only, at least one, no sign or blank) that is at
    // most `limit`. Leaves `value` unchanged and returns false otherwise.
    static bool ParseDecimal(const std::string& text, uint64_t limit, uint64_t& value);
};

#endif
