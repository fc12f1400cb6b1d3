#ifndef CONFIGWEB_DOTTEDQUAD_H
#define CONFIGWEB_DOTTEDQUAD_H

#include <cstdint>
#include <string>

// IPv4 addresses and netmasks as a settings page writes them for other programs: exactly
// four decimal numbers 0 to 255 separated by dots, without signs, blanks or leading zeros
// (which some readers take for octal).
class DottedQuad {
public:
    virtual ~DottedQuad();

    // The address as a number, first byte most significant; false (and `address`
    // untouched) for any other text.
    static bool Parse(const std::string& text, uint32_t& address);
    // The number of leading one bits of a netmask whose ones are contiguous from the left,
    // or -1 when they are not.
    static int PrefixLength(uint32_t netmask);
    // Whether `address` is a host of its network under `netmask`: neither the network's
    // address nor its broadcast address.
    static bool IsHost(uint32_t address, uint32_t netmask);
    // Whether `address` can be a device's own address at all: not in 0.0.0.0/8, not
    // loopback (127.0.0.0/8), not multicast or reserved (224.0.0.0 and above).
    static bool IsUnicast(uint32_t address);
};

#endif
