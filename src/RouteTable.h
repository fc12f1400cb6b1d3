#ifndef SRC_ROUTETABLE_H
#define SRC_ROUTETABLE_H

#include <cstddef>
#include <cstdint>
#include <string>

// The kernel's IPv4 routing table as "/proc/net/route" prints it: a header line, then one
// entry per route of eleven fields (interface, destination, gateway, flags, ...), the
// addresses as eight hexadecimal digits of the address bytes in memory order.
class RouteTable {
public:
    static constexpr const char* kPath = "/proc/net/route";
    // The part of the file that is read.
    static constexpr size_t kReadLimit = 1u << 20;
    static constexpr const char* kDefaultDestination = "00000000";
    static constexpr uint32_t kRouteUp = 0x1;

    virtual ~RouteTable();

    // The gateway of the first default route that is up (destination "00000000", flag bit
    // 0 set), as the 32-bit number its text gives with "%8lX"; 0 when there is none. Entries
    // are read with "%15s %15s %15s %i %*s %*s %*s %*s %*s %*s %*s\n" after the header, so a
    // flags field with a leading 0 is octal, and a field that doesn't convert leaves the
    // entry's flags 0.
    static uint32_t DefaultGateway(const char* text, size_t length);
    // The dotted quad of an address number whose bytes are in the order the kernel prints
    // them (lowest byte first): 0x0101A8C0 is 192.168.1.1.
    static std::string AddressText(uint32_t gateway);
};

#endif
