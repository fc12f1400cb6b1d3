#include "CNumber.h"

int32_t CNumber::Atoi(const char* text, size_t length) {
    size_t i = 0;
    while (i < length && IsSpace(static_cast<unsigned char>(text[i]))) ++i;
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
