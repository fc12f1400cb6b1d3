#include "SignInLimit.h"

#include <cstdlib>
#include <ctime>
#include <sstream>

#include "AtomicFile.h"
#include "CNumber.h"
#include "InputFile.h"

namespace {

constexpr mode_t kFileMode = 0600;
constexpr uint64_t kLatestSecond = uint64_t{1} << 40;

int64_t Now() { return static_cast<int64_t>(std::time(nullptr)); }

bool IsAddressByte(char c) {
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '.' ||
           c == ':' || c == '%' || c == '-' || c == '_';
}

}  // namespace

SignInLimit::SignInLimit() : lock(kLockPath) {
    InputFile file(kPath, InputFile::Links::Refuse);
    std::string text;
    if (file.IsOpen() && file.ReadAll(text, kMaxFileBytes)) failures = Parse(text);
}

SignInLimit::~SignInLimit() = default;

bool SignInLimit::Refuses(const std::string& address) const {
    return Refuses(failures, address, Now());
}

void SignInLimit::Record(const std::string& address) {
    const int64_t now = Now();
    Failures kept;
    for (const Failure& failure : failures) {
        // One that lies far ahead was recorded before the clock was set back.
        const bool counts = now - failure.second < kWindowSeconds + kRefusalSeconds &&
                            failure.second - now < kWindowSeconds;
        if (counts) kept.push_back(failure);
    }
    kept.push_back({now, address});
    if (kept.size() > kMaxFailures) kept.erase(kept.begin(), kept.end() - kMaxFailures);
    failures = kept;
    AtomicFile file(kPath, kTempPath, kFileMode);
    if (file.Open()) file.Commit(Format(failures), AtomicFile::Durability::Volatile);
}

std::string SignInLimit::ClientAddress() {
    const char* variable = std::getenv(kAddressVariable);
    std::string address =
        variable != nullptr ? std::string(variable).substr(0, kMaxAddressLength) : "";
    for (char& c : address) {
        if (!IsAddressByte(c)) c = '?';
    }
    return address.empty() ? kUnknownAddress : address;
}

SignInLimit::Failures SignInLimit::Parse(std::string_view text) {
    Failures parsed;
    std::istringstream lines{std::string(text)};
    for (std::string line; std::getline(lines, line);) {
        const std::size_t blank = line.find(' ');
        uint64_t second = 0;
        if (blank == std::string::npos || blank + 1 == line.size() ||
            !CNumber::ParseDecimal(line.substr(0, blank), kLatestSecond, second)) {
            continue;
        }
        parsed.push_back({static_cast<int64_t>(second), line.substr(blank + 1)});
    }
    return parsed;
}

std::string SignInLimit::Format(const Failures& failures) {
    std::string text;
    for (const Failure& failure : failures)
        text += std::to_string(failure.second) + " " + failure.address + "\n";
    return text;
}

// Each failure of the last kRefusalSeconds is looked at as the last of a window.
bool SignInLimit::Refuses(const Failures& failures, const std::string& address, int64_t now) {
    for (const Failure& last : failures) {
        if (now - last.second >= kRefusalSeconds) continue;
        std::size_t fromAll = 0, fromAddress = 0;
        for (const Failure& failure : failures) {
            if (failure.second > last.second || last.second - failure.second >= kWindowSeconds)
                continue;
            ++fromAll;
            if (failure.address == last.address) ++fromAddress;
        }
        if (fromAll >= kFromAll || (last.address == address && fromAddress >= kPerAddress))
            return true;
    }
    return false;
}
