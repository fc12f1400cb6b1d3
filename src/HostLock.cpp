#include "HostLock.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "CNumber.h"
#include "ZelLog.h"

namespace {

constexpr const char* kLogSource = "ZelConfig";

// A leading zero is refused: tools that read it as octal would lock another host.
bool IsOctet(const std::string& text) {
    uint64_t value = 0;
    return text.size() <= 3 && (text.size() == 1 || text[0] != '0') &&
           CNumber::ParseDecimal(text, 255, value);
}

}  // namespace

std::string HostLock::HostNumberToAddress(const std::string& host) {
    // The device's long has 32 bits, so its atol is its atoi.
    const auto number = static_cast<uint32_t>(CNumber::Atoi(host));
    const unsigned char bytes[4] = {
        static_cast<unsigned char>(number >> 24), static_cast<unsigned char>(number >> 16),
        static_cast<unsigned char>(number >> 8), static_cast<unsigned char>(number)};
    return CNumber::DottedQuad(bytes);
}

std::vector<std::string> HostLock::Commands(bool lock, const std::string& address) {
    const std::string source = address == kAnyHostAddress ? "" : kSourceOption + address;
    const std::string head =
        std::string(kIptablesCommand) + (lock ? kAppendRule : kDeleteRule) + kRuleHead + source;
    std::vector<std::string> commands;
    for (unsigned port : kLockedPorts) {
        char tail[64];
        std::snprintf(tail, sizeof tail, kRuleTail, port);
        commands.push_back(head + tail);
    }
    commands.push_back(lock ? kForwardOnCommand : kForwardOffCommand);
    return commands;
}

void HostLock::Lock(const std::string& address) { Run(Commands(true, address)); }

void HostLock::Release(const std::string& address) {
    if (!address.empty() && !IsDottedQuad(address)) {
        ZEL_ERROR(kRefusedHostAddress, address.c_str());
        return;
    }
    Run(Commands(false, address));
}

bool HostLock::IsDottedQuad(const std::string& address) {
    size_t start = 0;
    for (int octet = 0; octet < 4; ++octet) {
        const size_t dot = octet < 3 ? address.find('.', start) : address.size();
        if (dot == std::string::npos || !IsOctet(address.substr(start, dot - start))) return false;
        start = dot + 1;
    }
    return true;
}

void HostLock::Run(const std::vector<std::string>& commands) {
    for (const std::string& command : commands) {
        const int status = std::system(command.c_str());
        static_cast<void>(status);
    }
}
