#ifndef SRC_INTERFACEREQUEST_H
#define SRC_INTERFACEREQUEST_H

#include <net/if.h>

#include <string>

// One question to the IPv4 stack about a network interface (SIOCGIFADDR, SIOCGIFNETMASK,
// SIOCGIFHWADDR), asked on a datagram socket of its own with a zeroed request record.
class InterfaceRequest {
public:
    // The wired network interface.
    static constexpr const char* kWiredInterface = "eth0";

    // The name is cut to the 15 bytes the record holds.
    explicit InterfaceRequest(const std::string& interfaceName);
    InterfaceRequest(const InterfaceRequest&) = delete;
    InterfaceRequest& operator=(const InterfaceRequest&) = delete;
    virtual ~InterfaceRequest();

    // False when no socket could be opened; nothing can be asked then.
    bool HasSocket() const { return socketFd >= 0; }
    // Asks with `request`; false when the socket is missing or the kernel refused. A refused
    // request leaves the record zeroed.
    bool Ask(unsigned long request);
    // The dotted quad of the record's address field ("0.0.0.0" while it is zero).
    std::string AddressText() const;
    // The first six bytes of the record's hardware address, "%.2x:...", 17 characters.
    std::string HardwareAddressText() const;

private:
    int socketFd;
    ifreq record{};
};

#endif
