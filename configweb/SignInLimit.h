#ifndef CONFIGWEB_SIGNINLIMIT_H
#define CONFIGWEB_SIGNINLIMIT_H

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "FileLock.h"

// Failed sign-ins, so that guessing the password is slow. Each failure is kept in kPath, a
// line "SECONDS ADDRESS", for as long as it can count. An address with kPerAddress failures
// within kWindowSeconds is refused, unchecked, for kRefusalSeconds after the last of them;
// kFromAll failures within the window, from all addresses together, refuse every address
// as long (the device has one account). The file holds kMaxFailures at most, the latest.
//
// An object holds kLockPath for its life, so that sign-ins are judged, checked and recorded
// one at a time: no burst of parallel guesses gets past the count, and only one password
// hash at a time takes the device's memory.
class SignInLimit {
public:
    static constexpr const char* kPath = "/tmp/configweb-signin.failures";
    static constexpr const char* kTempPath = "/tmp/configweb-signin.failures.new";
    static constexpr const char* kLockPath = "/tmp/configweb-signin.lock";
    static constexpr int64_t kWindowSeconds = 60;
    static constexpr int64_t kRefusalSeconds = 60;
    static constexpr std::size_t kPerAddress = 5;
    static constexpr std::size_t kFromAll = 30;
    static constexpr std::size_t kMaxFailures = 128;
    static constexpr std::size_t kMaxFileBytes = 16 * 1024;
    static constexpr const char* kAddressVariable = "REMOTE_ADDR";
    static constexpr std::size_t kMaxAddressLength = 64;
    static constexpr const char* kUnknownAddress = "unknown";

    struct Failure {
        int64_t second;
        std::string address;
    };
    using Failures = std::vector<Failure>;

    // Takes the lock (waiting for it) and reads the failures.
    SignInLimit();
    SignInLimit(const SignInLimit&) = delete;
    SignInLimit& operator=(const SignInLimit&) = delete;
    virtual ~SignInLimit();

    // Whether a sign-in from `address` is refused now.
    bool Refuses(const std::string& address) const;
    // Adds a failure of `address` now and replaces the file; failures that can no longer
    // count are dropped.
    void Record(const std::string& address);

    // The client's address (kAddressVariable) as counted and logged: at most
    // kMaxAddressLength bytes, each byte that can't be in an address written as "?";
    // kUnknownAddress when there is none.
    static std::string ClientAddress();
    // The failures of a file's text; lines of another form are skipped.
    static Failures Parse(std::string_view text);
    static std::string Format(const Failures& failures);
    // Whether `failures` refuse `address` at the second `now`.
    static bool Refuses(const Failures& failures, const std::string& address, int64_t now);

private:
    FileLock lock;
    Failures failures;
};

#endif
