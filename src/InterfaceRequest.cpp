#include "InterfaceRequest.h"

#include <netinet/in.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "CNumber.h"

InterfaceRequest::InterfaceRequest(const std::string& interfaceName)
    : socketFd(::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0)) {
    // The zeroed record keeps the name terminated.
    std::memcpy(record.ifr_name, interfaceName.data(),
                std::min(interfaceName.size(), sizeof record.ifr_name - 1));
}

InterfaceRequest::~InterfaceRequest() {
    if (socketFd >= 0) ::close(socketFd);
}

bool InterfaceRequest::Ask(unsigned long request) {
    return socketFd >= 0 && ::ioctl(socketFd, request, &record) == 0;
}

std::string InterfaceRequest::AddressText() const {
    sockaddr_in address{};
    std::memcpy(&address, &record.ifr_addr, sizeof address);
    return CNumber::DottedQuad(reinterpret_cast<const unsigned char*>(&address.sin_addr));
}

std::string InterfaceRequest::HardwareAddressText() const {
    const auto* bytes = reinterpret_cast<const unsigned char*>(record.ifr_hwaddr.sa_data);
    char text[32];
    std::snprintf(text, sizeof text, "%.2x:%.2x:%.2x:%.2x:%.2x:%.2x", bytes[0], bytes[1],
                  bytes[2], bytes[3], bytes[4], bytes[5]);
    return text;
}
