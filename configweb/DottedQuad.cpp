#include "DottedQuad.h"

namespace {

constexpr int kParts = 4;
constexpr uint32_t kLargestPart = 255;

}  // namespace

DottedQuad::~DottedQuad() = default;

bool DottedQuad::Parse(const std::string& text, uint32_t& address) {
    uint32_t result = 0;
    std::size_t at = 0;
    for (int part = 0; part < kParts; ++part) {
        if (part > 0 && (at >= text.size() || text[at++] != '.')) return false;
        const std::size_t start = at;
        uint32_t value = 0;
        while (at < text.size() && text[at] >= '0' && text[at] <= '9' && at - start < 3) {
            value = value * 10 + static_cast<uint32_t>(text[at++] - '0');
        }
        const std::size_t digits = at - start;
        if (digits == 0 || value > kLargestPart || (digits > 1 && text[start] == '0')) return false;
        result = result << 8 | value;
    }
    if (at != text.size()) return false;
    address = result;
    return true;
}

int DottedQuad::PrefixLength(uint32_t netmask) {
    int ones = 0;
    while (ones < 32 && (netmask & (uint32_t{1} << (31 - ones))) != 0) ++ones;
    const uint32_t contiguous = ones == 0 ? 0 : ~uint32_t{0} << (32 - ones);
    return netmask == contiguous ? ones : -1;
}

bool DottedQuad::IsHost(uint32_t address, uint32_t netmask) {
    const uint32_t host = address & ~netmask;
    return host != 0 && host != ~netmask;
}

bool DottedQuad::IsUnicast(uint32_t address) {
    const uint32_t first = address >> 24;
    return first != 0 && first != 127 && first < 224;
}
