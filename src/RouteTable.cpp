#include "RouteTable.h"

#include <cstring>

#include "CNumber.h"
#include "TextScanner.h"

namespace {

constexpr size_t kFieldWidth = 15;
constexpr size_t kGatewayDigits = 8;
constexpr int kSkippedFields = 7;

struct RouteEntry {
    char interfaceName[kFieldWidth + 1];
    char destination[kFieldWidth + 1];
    char gateway[kFieldWidth + 1];
    uint32_t flags;
};

// One entry; false once the text holds nothing more (scanf's end of input).
bool ScanEntry(TextScanner& scanner, RouteEntry& entry) {
    entry = RouteEntry{};
    if (!scanner.Word(entry.interfaceName, kFieldWidth)) return false;
    uint64_t flags = 0;
    if (!scanner.Word(entry.destination, kFieldWidth) ||
        !scanner.Word(entry.gateway, kFieldWidth) || !scanner.Integer(0, 0, flags)) {
        return true;
    }
    entry.flags = static_cast<uint32_t>(flags);
    for (int field = 0; field < kSkippedFields && scanner.SkipWord(); ++field) {
    }
    scanner.SkipSpace();
    return true;
}

bool IsUpDefaultRoute(const RouteEntry& entry) {
    return std::strcmp(entry.destination, RouteTable::kDefaultDestination) == 0 &&
           (entry.flags & RouteTable::kRouteUp) != 0;
}

uint32_t GatewayNumber(const char* text) {
    TextScanner scanner(text, std::strlen(text));
    uint64_t value = 0;
    scanner.Integer(16, kGatewayDigits, value);
    return static_cast<uint32_t>(value);  // "%lX" stores into a 32-bit long on the device
}

}  // namespace

RouteTable::~RouteTable() = default;

uint32_t RouteTable::DefaultGateway(const char* text, size_t length) {
    TextScanner scanner(text, length);
    scanner.SkipLine();
    RouteEntry entry;
    while (ScanEntry(scanner, entry)) {
        if (IsUpDefaultRoute(entry)) return GatewayNumber(entry.gateway);
    }
    return 0;
}

std::string RouteTable::AddressText(uint32_t gateway) {
    const unsigned char bytes[4] = {
        static_cast<unsigned char>(gateway), static_cast<unsigned char>(gateway >> 8),
        static_cast<unsigned char>(gateway >> 16), static_cast<unsigned char>(gateway >> 24)};
    return CNumber::DottedQuad(bytes);
}
