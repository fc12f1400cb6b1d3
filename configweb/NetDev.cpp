#include "NetDev.h"

#include <sys/ioctl.h>

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "CNumber.h"
#include "ConfigWebLog.h"
#include "InterfaceRequest.h"

namespace {

constexpr const char* kLogSource = "NetDev";
constexpr int kMaxParts = 4;
constexpr int kBitsPerByte = 8;
constexpr uint64_t kByteMax = 0xff;
// The device's strtoul works on a 32-bit unsigned long and saturates there; the verdict
// must not depend on the wider long of the machine this runs on.
constexpr uint64_t kPartLimit = 0xffffffff;

unsigned char ByteAt(const std::string& text, size_t pos) {
    return static_cast<unsigned char>(text[pos]);
}

// Reads the number that starts with a digit at `pos` the way strtoul with base 0 does and
// returns the position after it. "0x" without a hex digit after it is the number 0
// followed by "x".
size_t ReadPart(const std::string& text, size_t pos, uint64_t& value) {
    unsigned base = 10;
    if (ByteAt(text, pos) == '0') {
        base = 8;
        const bool hexPrefix = pos + 2 < text.size() &&
                               (ByteAt(text, pos + 1) == 'x' || ByteAt(text, pos + 1) == 'X') &&
                               CNumber::DigitValue(ByteAt(text, pos + 2)) < 16;
        if (hexPrefix) {
            base = 16;
            pos += 2;
        }
    }
    value = 0;
    for (unsigned digit;
         pos < text.size() && (digit = CNumber::DigitValue(ByteAt(text, pos))) < base; ++pos) {
        value = std::min(value * base + digit, kPartLimit);
    }
    return pos;
}

// The last part fills all bytes the parts before it left: the first part alone holds 32
// bits, a second 24, a third 16, a fourth 8.
bool LastPartFits(uint64_t value, int partIndex) {
    return (value >> ((kMaxParts - partIndex) * kBitsPerByte)) == 0;
}

bool ParseAddress(const std::string& text) {
    size_t pos = 0;
    for (int part = 0; part < kMaxParts; ++part) {
        if (pos == text.size() || !CNumber::IsDigit(ByteAt(text, pos))) return false;
        uint64_t value = 0;
        pos = ReadPart(text, pos, value);
        if (pos == text.size()) return LastPartFits(value, part);
        if (text[pos] != '.' || value > kByteMax) return false;
        ++pos;
    }
    return false;
}

bool IsLabelChar(unsigned char c) {
    return CNumber::IsDigit(c) || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '-';
}

bool IsValidLabel(const std::string& text, size_t begin, size_t end) {
    if (end == begin || end - begin > NetDev::kMaxLabelLength) return false;
    if (text[begin] == '-' || text[end - 1] == '-') return false;
    for (size_t pos = begin; pos < end; ++pos) {
        if (!IsLabelChar(ByteAt(text, pos))) return false;
    }
    return true;
}

bool QueryAddress(const char* interfaceName, std::string& out) {
    InterfaceRequest request(interfaceName);
    if (!request.HasSocket()) return false;
    const bool found = request.Ask(SIOCGIFADDR);
    out = request.AddressText();
    return found;
}

}  // namespace

NetDev::~NetDev() = default;

bool NetDev::IsValidIp(const std::string& text) {
    const bool valid = !text.empty() && text.size() <= kMaxIpLength && ParseAddress(text);
    WEB_DEBUG("%s", valid ? kIpValidMessage : kIpNotValidMessage);
    return valid;
}

bool NetDev::IsValidHostName(const std::string& text) {
    if (text.empty() || text.size() > kMaxHostNameLength) return false;
    if (text.front() == '.' || text.back() == '.') return false;
    size_t begin = 0;
    while (begin <= text.size()) {
        size_t end = text.find('.', begin);
        if (end == std::string::npos) end = text.size();
        if (!IsValidLabel(text, begin, end)) return false;
        begin = end + 1;
    }
    return true;
}

bool NetDev::GetLanIp(std::string& out) { return QueryAddress(kLanInterface, out); }

bool NetDev::GetWlanIp(std::string& out) { return QueryAddress(kWlanInterface, out); }
