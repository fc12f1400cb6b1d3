#ifndef CONFIGWEB_NETDEV_H
#define CONFIGWEB_NETDEV_H

#include <cstddef>
#include <string>

#include "InterfaceRequest.h"

// Network utilities of the configuration pages: syntax checks for addresses typed into
// forms and the IPv4 addresses currently assigned to the wired and wireless interfaces.
class NetDev {
public:
    static constexpr const char* kLanInterface = InterfaceRequest::kWiredInterface;
    static constexpr const char* kWlanInterface = "ath0";
    static constexpr const char* kIpValidMessage = "IP is valid";
    static constexpr const char* kIpNotValidMessage = "IP is not valid";
    // Longest accepted address text ("255.255.255.255").
    static constexpr size_t kMaxIpLength = 15;
    static constexpr size_t kMaxHostNameLength = 253;
    static constexpr size_t kMaxLabelLength = 63;

    virtual ~NetDev();

    // Whether the whole text (every byte counts, a NUL included) is an IPv4 address in the
    // classic inet_aton syntax of the device's C library: one to four parts separated by
    // single dots, each starting with a digit and written in decimal, octal (leading "0")
    // or hexadecimal (leading "0x"/"0X" and at least one hex digit); with fewer than four
    // parts the last fills the remaining bytes (one part 32 bits, two 8+24, three 8+8+16)
    // and every byte is at most 255. A part beyond 32 bits counts as 0xffffffff, as the
    // device's 32-bit strtoul saturates. Empty texts and texts longer than kMaxIpLength
    // are not valid. Logs kIpValidMessage or kIpNotValidMessage at debug level.
    static bool IsValidIp(const std::string& text);
    // Whether the text is a host name: 1 to kMaxHostNameLength characters, not starting or
    // ending with "."; each dot-separated label 1 to kMaxLabelLength ASCII letters, digits
    // or "-", not starting or ending with "-". Does not log.
    static bool IsValidHostName(const std::string& text);

    // The IPv4 address of kLanInterface / kWlanInterface in dotted decimal. True when the
    // interface has an address; false when it has none or does not exist, with `out` set
    // to "0.0.0.0", or when no socket could be created, with `out` left unchanged.
    bool GetLanIp(std::string& out);
    bool GetWlanIp(std::string& out);
};

#endif
