// The address and host-name checks of the form fields, each against an independent model
// of the syntax it accepts.

#include <cstdint>
#include <regex>
#include <string>
#include <vector>

#include "FuzzSupport.h"
#include "NetDev.h"

namespace {

constexpr uint64_t kULongMax = 0xffffffff;  // the device's unsigned long has 32 bits
constexpr size_t kMaxAddressLength = 15;
constexpr size_t kMaxParts = 4;
constexpr size_t kMaxHostNameLength = 253;

std::vector<std::string> Split(const std::string& text, char separator) {
    std::vector<std::string> parts(1);
    for (char c : text) {
        if (c == separator) {
            parts.emplace_back();
        } else {
            parts.back() += c;
        }
    }
    return parts;
}

int DigitIn(char c, unsigned base) {
    static const std::string kDigits = "0123456789abcdef";
    const char lower = (c >= 'A' && c <= 'F') ? static_cast<char>(c - 'A' + 'a') : c;
    const size_t value = kDigits.find(lower);
    return value != std::string::npos && value < base ? static_cast<int>(value) : -1;
}

// One part as musl's inet_aton reads it with strtoul(base 0): it must start with a digit
// and be nothing but one number, which saturates at the 32-bit ULONG_MAX.
bool ReadPart(const std::string& part, uint64_t& value) {
    if (part.empty() || part[0] < '0' || part[0] > '9') return false;
    unsigned base = 10;
    std::string digits = part;
    if (part.size() > 2 && part[0] == '0' && (part[1] == 'x' || part[1] == 'X')) {
        base = 16;
        digits = part.substr(2);
    } else if (part[0] == '0') {
        base = 8;
        digits = part.substr(1);
    }
    value = 0;
    for (char c : digits) {
        const int digit = DigitIn(c, base);
        if (digit < 0) return false;
        value = value * base + static_cast<unsigned>(digit);
        if (value > kULongMax) value = kULongMax;
    }
    return true;
}

bool ModelAcceptsAddress(const std::string& text) {
    if (text.empty() || text.size() > kMaxAddressLength) return false;
    const std::vector<std::string> parts = Split(text, '.');
    if (parts.size() > kMaxParts) return false;
    for (size_t i = 0; i < parts.size(); ++i) {
        uint64_t value = 0;
        if (!ReadPart(parts[i], value)) return false;
        const bool last = i + 1 == parts.size();
        // The last part fills the bytes the others left: 32 bits alone, then 24, 16, 8.
        const uint64_t limit = last ? (uint64_t{1} << (8 * (kMaxParts - i))) - 1 : 0xff;
        if (value > limit) return false;
    }
    return true;
}

bool ModelAcceptsHostName(const std::string& text) {
    static const std::string kLabel = "[A-Za-z0-9]([-A-Za-z0-9]{0,61}[A-Za-z0-9])?";
    static const std::regex kHostName(kLabel + "(\\." + kLabel + ")*");
    return !text.empty() && text.size() <= kMaxHostNameLength && std::regex_match(text, kHostName);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text = fuzzsupport::Text(data, size);
    fuzzsupport::Require(NetDev::IsValidIp(text) == ModelAcceptsAddress(text),
                         "IsValidIp differs from the inet_aton model", text);
    fuzzsupport::Require(NetDev::IsValidHostName(text) == ModelAcceptsHostName(text),
                         "IsValidHostName differs from the host-name model", text);
    return 0;
}
