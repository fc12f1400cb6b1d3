#ifndef CONFIGWEB_PASSWORDFILE_H
#define CONFIGWEB_PASSWORDFILE_H

#include <sys/types.h>

#include <cstddef>
#include <string>

// The technician's password, the one account of the configuration interface. Only its
// hash is kept: one crypt(3) line (yescrypt, salted) in kPath, readable by its owner only.
// Without the file the interface asks for no password.
class PasswordFile {
public:
    static constexpr const char* kPath = "/config/configweb.password";
    static constexpr const char* kTempPath = "/config/configweb.password.new";
    static constexpr mode_t kMode = 0600;
    static constexpr std::size_t kMinLength = 8;
    static constexpr std::size_t kMaxLength = 128;
    // A stored line longer than this is no hash of ours.
    static constexpr std::size_t kMaxFileBytes = 512;
    static constexpr const char* kHashPrefix = "$y$";
    static constexpr const char* kCantRead = "Can't read the password file %s";

    virtual ~PasswordFile();

    // Whether a password is set: true unless kPath does not exist (a file that can't be
    // looked at counts as set, so a fault never opens the device).
    static bool IsSet();
    // Whether `password` may be set: kMinLength to kMaxLength bytes, no control byte.
    static bool IsAcceptable(const std::string& password);
    // Hashes an acceptable password with a new salt and replaces kPath with the hash,
    // durably, through kTempPath. False when it can't be hashed or written; the file is
    // then as it was.
    static bool Store(const std::string& password);
    // Whether `password` is the one stored, compared in constant time. False when no
    // password is set or the file can't be read (logged at level 113).
    static bool Matches(const std::string& password);

private:
    static bool ReadHash(std::string& hash);
};

#endif
