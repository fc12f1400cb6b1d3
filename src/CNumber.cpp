#include "CNumber.h"

#include <algorithm>
#include <cstdio>

int32_t CNumber::Atoi(const char* text, size_t length) {
    size_t i = 0;
    while (i < length && IsSpace(text[i])) ++i;
    bool negative = false;
    if (i < length && (text[i] == '-' || text[i] == '+')) negative = text[i++] == '-';
    uint32_t value = 0;  // unsigned, so that overflow wraps as on the device
    while (i < length && IsDigit(static_cast<unsigned char>(text[i]))) {
        value = value * 10u + static_cast<uint32_t>(text[i++] - '0');
    }
    if (negative) value = 0u - value;
    return static_cast<int32_t>(value);
}

bool CNumber::ParseDecimal(const std::string& text, uint64_t limit, uint64_t& value) {
    if (text.empty()) return false;
    uint64_t result = 0;
    for (char c : text) {
        if (!IsDigit(static_cast<unsigned char>(c))) return false;
        result = result * 10u + static_cast<uint64_t>(c - '0');
        if (result > limit) return false;
    }
    value = result;
    return true;
}

unsigned CNumber::DigitValue(unsigned char c) {
    if (IsDigit(c)) return c - '0';
    const unsigned lower = c | 0x20u;
    return lower >= 'a' && lower <= 'f' ? lower - 'a' + 10 : 16;
}

int32_t CNumber::Strtol(const char* text, size_t length, unsigned base) {
    size_t i = 0;
    while (i < length && IsSpace(text[i])) ++i;
    bool negative = false;
    if (i < length && (text[i] == '-' || text[i] == '+')) negative = text[i++] == '-';
    if (base == 16 && i + 2 < length && text[i] == '0' && (text[i + 1] | 0x20) == 'x' &&
        DigitValue(static_cast<unsigned char>(text[i + 2])) < 16) {
        i += 2;
    }
    const uint64_t limit = negative ? uint64_t{INT32_MAX} + 1 : uint64_t{INT32_MAX};
    uint64_t magnitude = 0;
    for (unsigned digit; i < length && (digit = DigitValue(static_cast<unsigned char>(text[i]))) < base;
         ++i) {
        magnitude = std::min(magnitude * base + digit, limit);
    }
    return static_cast<int32_t>(negative ? 0 - magnitude : magnitude);
}

// Follows the device library's integer scanner: a sign, a base prefix ("0x" switches to
// base 16 only before a hexadecimal digit; without one the "0x" is still consumed and the
// conversion fails), then digits; a value beyond 64 bits becomes the largest one, sign
// dropped.
CNumber::Scanned CNumber::ScanInteger(const char* text, size_t length, unsigned base) {
    Scanned scanned;
    size_t i = 0;
    auto at = [&](size_t index) {
        return index < length ? DigitValue(static_cast<unsigned char>(text[index])) : 16u;
    };
    bool negative = false;
    if (i < length && (text[i] == '-' || text[i] == '+')) negative = text[i++] == '-';
    if ((base == 0 || base == 16) && i < length && text[i] == '0') {
        if (i + 1 < length && (text[i + 1] | 0x20) == 'x') {
            if (at(i + 2) >= 16) {
                scanned.consumed = i + 2;
                return scanned;
            }
            base = 16;
            i += 2;
        } else if (base == 0) {
            base = 8;
        }
    } else {
        if (base == 0) base = 10;
        if (at(i) >= base) {
            scanned.consumed = i;
            return scanned;
        }
    }
    bool overflow = false;
    uint64_t value = 0;
    for (; at(i) < base; ++i) {
        const unsigned digit = at(i);
        if (value > (UINT64_MAX - digit) / base) overflow = true;
        value = value * base + digit;
    }
    scanned.value = overflow ? UINT64_MAX : (negative ? 0 - value : value);
    scanned.consumed = i;
    scanned.matched = true;
    return scanned;
}

std::string CNumber::DottedQuad(const unsigned char bytes[4]) {
    char text[16];
    std::snprintf(text, sizeof text, "%u.%u.%u.%u", bytes[0], bytes[1], bytes[2], bytes[3]);
    return text;
}
