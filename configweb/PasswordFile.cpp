#include "PasswordFile.h"

#include <crypt.h>
#include <sys/stat.h>

#include <cerrno>
#include <memory>

#include "AtomicFile.h"
#include "ConfigWebLog.h"
#include "InputFile.h"
#include "SecretCompare.h"

namespace {

constexpr const char* kLogSource = "PasswordFile";
// The library's default cost.
constexpr unsigned long kDefaultCost = 0;

bool IsControl(char c) {
    const auto byte = static_cast<unsigned char>(c);
    return byte < 0x20 || byte == 0x7f;
}

// The hash of `password` with `setting` (a stored hash, or a new salt), or "" on failure.
std::string Hash(const std::string& password, const char* setting) {
    // Large (32 KiB): on the heap. Zeroed, as the library wants it the first time.
    const auto data = std::make_unique<crypt_data>();
    const char* hash = ::crypt_rn(password.c_str(), setting, data.get(), sizeof *data);
    return hash != nullptr && hash[0] != '*' ? hash : "";
}

}  // namespace

PasswordFile::~PasswordFile() = default;

bool PasswordFile::IsSet() {
    struct stat status;
    return ::stat(kPath, &status) == 0 || errno != ENOENT;
}

bool PasswordFile::IsAcceptable(const std::string& password) {
    if (password.size() < kMinLength || password.size() > kMaxLength) return false;
    for (char c : password) {
        if (IsControl(c)) return false;
    }
    return true;
}

bool PasswordFile::Store(const std::string& password) {
    if (!IsAcceptable(password)) return false;
    char setting[CRYPT_GENSALT_OUTPUT_SIZE];
    if (::crypt_gensalt_rn(kHashPrefix, kDefaultCost, nullptr, 0, setting, sizeof setting) ==
        nullptr) {
        return false;
    }
    const std::string hash = Hash(password, setting);
    if (hash.empty()) return false;
    AtomicFile file(kPath, kTempPath, kMode);
    return file.Open() && file.Commit(hash + "\n", AtomicFile::Durability::Durable) !=
                              AtomicFile::Outcome::Unchanged;
}

bool PasswordFile::Matches(const std::string& password) {
    std::string stored;
    if (!ReadHash(stored)) {
        WEB_ERROR(kCantRead, kPath);
        return false;
    }
    if (password.size() > kMaxLength || password.find('\0') != std::string::npos) return false;
    return SecretCompare::Equal(Hash(password, stored.c_str()), stored);
}

// The first line of the file, which must begin like a hash.
bool PasswordFile::ReadHash(std::string& hash) {
    InputFile file(kPath);
    std::string text;
    if (!file.IsOpen() || !file.ReadAll(text, kMaxFileBytes)) return false;
    text.resize(text.find('\n') == std::string::npos ? text.size() : text.find('\n'));
    if (text.empty() || text[0] != '$') return false;
    hash = text;
    return true;
}
