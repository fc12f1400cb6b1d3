// Reservation of the device by a client host, the host lock with its packet filter rules,
// the state summary and the color names.

#include "ZelConfig.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <ctime>

#include "AttributeKeys.h"
#include "CNumber.h"
#include "ZelLog.h"

namespace {

constexpr const char* kLogSource = "ZelConfig";

using namespace attributekey;

constexpr const char* kFlagSet = "1";
constexpr const char* kReservedMark = "*";
constexpr const char* kFreeMark = "+";
constexpr const char* kUnknownMark = "?";

struct Color {
    const char* name;
    const char* code;
};

constexpr Color kColors[] = {
    {"white", "#ede3d3"}, {"red", "#be1110"},   {"yellow", "#ffff43"}, {"violet", "#8a4280"},
    {"green", "#4e8541"}, {"brown", "#754836"}, {"blue", "#163279"},   {"grey", "#acaea6"},
};

// Part of every seed, so that reservations within one second draw different handles.
uint64_t reservationCount = 0;

// A leading zero is refused: tools that read it as octal would lock another host.
bool IsOctet(const std::string& text) {
    uint64_t value = 0;
    return text.size() <= 3 && (text.size() == 1 || text[0] != '0') &&
           CNumber::ParseDecimal(text, 255, value);
}

bool IsDottedQuad(const std::string& address) {
    size_t start = 0;
    for (int octet = 0; octet < 4; ++octet) {
        const size_t dot = octet < 3 ? address.find('.', start) : address.size();
        if (dot == std::string::npos || !IsOctet(address.substr(start, dot - start))) return false;
        start = dot + 1;
    }
    return true;
}

// A rule that is not there to delete must not keep the others from running.
void RunCommands(const std::vector<std::string>& commands) {
    for (const std::string& command : commands) {
        const int status = std::system(command.c_str());
        static_cast<void>(status);
    }
}

void CreateMarker(const char* path) {
    const int fd =
        ::open(path, O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0644);
    if (fd >= 0) ::close(fd);
}

std::string ReadOrEmpty(const ZelConfig& store, const char* key) {
    std::string value;
    store.GetAttribute(key, value);
    return value;
}

std::string LowerCase(std::string text) {
    for (char& c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte >= 'A' && byte <= 'Z') c = static_cast<char>(byte - 'A' + 'a');
    }
    return text;
}

// 64-bit arithmetic: the device's long has only 32 bits.
std::string DrawHandle() {
    const long long high = ::random();
    const long long low = ::random();
    char text[128] = {};
    std::snprintf(text, sizeof text, "%lli", high * 2147483648LL + low);
    return text;
}

}  // namespace

bool ZelConfig::HostNumberToAddress(const std::string& host, std::string& address) {
    // The device's long has 32 bits, so its atol is its atoi.
    const auto number = static_cast<uint32_t>(CNumber::Atoi(host));
    const unsigned char bytes[4] = {
        static_cast<unsigned char>(number >> 24), static_cast<unsigned char>(number >> 16),
        static_cast<unsigned char>(number >> 8), static_cast<unsigned char>(number)};
    address = CNumber::DottedQuad(bytes);
    return true;
}

std::vector<std::string> ZelConfig::HostLockCommands(bool lock, const std::string& address) {
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

void ZelConfig::LockToHost(const std::string& host) {
    std::string address;
    HostNumberToAddress(host, address);
    SetAttribute(kStateHostLock, address, Value);
    RunCommands(HostLockCommands(true, address));
}

void ZelConfig::UnlockHost() {
    const std::string address = ReadOrEmpty(*this, kStateHostLock);
    if (!address.empty() && !IsDottedQuad(address)) {
        ZEL_ERROR(kRefusedHostAddress, address.c_str());
    } else {
        RunCommands(HostLockCommands(false, address));
    }
    SetAttribute(kStateHostLock, "", Value);
}

bool ZelConfig::ReserveDevice(const std::string& owner, std::string& host, std::string& protocol,
                              std::string& handle) {
    if (host.empty()) host = kAnyHost;
    ::srandom(static_cast<unsigned>(std::time(nullptr)) +
              static_cast<uint32_t>(reservationCount++));
    handle = "0";
    std::string state;
    if (!GetAttribute(kStateCurrent, state) || state == kStateReserved) return false;
    protocol = LowerCase(protocol);
    if (protocol != kRplusProtocol) {
        ZEL_ERROR(kInvalidProtocol, protocol.c_str());
        protocol = kRplusProtocol;
    }
    handle = DrawHandle();
    SetAttribute(kStateHandle, handle, Value);
    SetAttribute(kStateOwner, owner, Value);
    LockToHost(host);
    SetAttribute(kStateUuid, kReservedUuid, Value);
    SetAttribute(kStateCurrent, kStateReserved, Value);
    for (const char* marker : {kForceConnectPath, kReservedPath, kRplusPath}) CreateMarker(marker);
    return true;
}

bool ZelConfig::ReleaseDevice(const std::string& handle) {
    if (handle != ReadOrEmpty(*this, kStateHandle)) return false;
    UnlockHost();
    SetAttribute(kStateOwner, "", Value);
    SetAttribute(kStateCurrent, kStateFree, Value);
    SetAttribute(kStateHandle, "", Value);
    SetAttribute(kStateUuid, kFreeUuid, Value);
    ::unlink(kReservedPath);
    ::unlink(kRplusPath);
    return true;
}

bool ZelConfig::GetStateSummary(std::string& out) const {
    const std::string lightOn = ReadOrEmpty(*this, kMostLightOn);
    const std::string mostPresent = ReadOrEmpty(*this, kMostPresent);
    const std::string wolkAvailable = ReadOrEmpty(*this, kWolkAvailable);
    const std::string state = ReadOrEmpty(*this, kStateCurrent);
    const std::string orvaC = ReadOrEmpty(*this, kOrvaCConnected);
    const std::string orvaD = ReadOrEmpty(*this, kOrvaDConnected);
    const std::string s = state == kStateReserved ? kReservedMark : kFreeMark;
    const bool unitAttached = orvaC == kFlagSet || orvaD == kFlagSet;
    const std::string most = mostPresent != kFlagSet ? kUnknownMark
                             : lightOn != kFlagSet   ? kFreeMark
                                                     : s;
    const bool linked = wolkAvailable == kFlagSet || orvaD == kFlagSet;
    out = "[0" + s + ";1" + (unitAttached ? kUnknownMark : s) + ";2" + most + ";3" +
          (linked ? s : kUnknownMark) + "]";
    return true;
}

void ZelConfig::ColorNameToCode(std::string& text) {
    for (const Color& color : kColors) {
        if (text == color.name) {
            text = color.code;
            return;
        }
    }
}

void ZelConfig::ColorCodeToName(std::string& text) {
    for (const Color& color : kColors) {
        if (text == color.code) {
            text = color.name;
            return;
        }
    }
}
