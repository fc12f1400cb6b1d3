// Reservation of the device by a client host, the host lock kept in the store, the state
// summary and the color names.

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <ctime>

#include "AttributeKeys.h"
#include "DeviceColor.h"
#include "HostLock.h"
#include "ZelConfig.h"
#include "ZelLog.h"

namespace {

constexpr const char* kLogSource = "ZelConfig";

using namespace attributekey;

// Reservation: the reserved state and uuid, the marker files other components of the
// device look for, and the one interface protocol.
constexpr const char* kReservedUuid = "00000000-0000-0001-0000-000000000001";
constexpr const char* kForceConnectPath = "/tmp/forceconnect";
constexpr const char* kRplusPath = "/tmp/proto_rplus";
constexpr const char* kRplusProtocol = "rplus";
constexpr const char* kAnyHost = "0";
constexpr const char* kInvalidProtocol = "Invalid ifhProto '%s' requested, forcing to 'rplus'";

constexpr const char* kFlagSet = "1";
constexpr const char* kReservedMark = "*";
constexpr const char* kFreeMark = "+";
constexpr const char* kUnknownMark = "?";

// Part of every seed, so that reservations within one second draw different handles.
uint64_t reservationCount = 0;

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

void ZelConfig::LockToHost(const std::string& host) {
    const std::string address = HostLock::HostNumberToAddress(host);
    SetAttribute(kStateHostLock, address, Value);
    HostLock::Lock(address);
}

void ZelConfig::UnlockHost() {
    HostLock::Release(ReadOrEmpty(*this, kStateHostLock));
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
    for (const char* marker : {kForceConnectPath, kReservedMarkerPath, kRplusPath})
        CreateMarker(marker);
    return true;
}

bool ZelConfig::ReleaseDevice(const std::string& handle) {
    if (handle != ReadOrEmpty(*this, kStateHandle)) return false;
    UnlockHost();
    SetAttribute(kStateOwner, "", Value);
    SetAttribute(kStateCurrent, kStateFree, Value);
    SetAttribute(kStateHandle, "", Value);
    SetAttribute(kStateUuid, kFreeUuid, Value);
    ::unlink(kReservedMarkerPath);
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

void ZelConfig::ColorNameToCode(std::string& text) { DeviceColor::NameToCode(text); }

void ZelConfig::ColorCodeToName(std::string& text) { DeviceColor::CodeToName(text); }
