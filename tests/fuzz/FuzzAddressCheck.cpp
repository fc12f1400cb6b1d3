// IsValidIp against glibc's inet_aton where both read alike (up to 15 bytes, no space or NUL),
// plus a lone part over 32 bits, which musl saturates; IsValidHostName against label syntax.
#include <arpa/inet.h>

#include "FuzzSupport.h"
#include "NetDev.h"

void CheckInput(const std::string& text) {
    static const std::string kLabel = "[A-Za-z0-9]([-A-Za-z0-9]{0,61}[A-Za-z0-9])?";
    static const std::regex kHostName(kLabel + "(\\." + kLabel + ")*");
    const bool alike = text.size() <= 15 && text.find_first_of(kSpace + '\0') == std::string::npos;
    char* end = nullptr;
    const bool saturated = text[0] >= '0' && text[0] <= '9' &&
                           std::strtoull(text.c_str(), &end, 0) > 0xffffffff && *end == '\0';
    in_addr address;
    const bool aton = ::inet_aton(text.c_str(), &address) != 0;
    Require(NetDev::IsValidIp(text) == (alike && (aton || saturated)), "IsValidIp");
    Require(
        NetDev::IsValidHostName(text) == (text.size() <= 253 && std::regex_match(text, kHostName)),
        "IsValidHostName");
}
