#include "SessionStore.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <ctime>
#include <utility>
#include <vector>

#include "AtomicFile.h"
#include "CNumber.h"
#include "SecretCompare.h"

namespace {

constexpr mode_t kFolderMode = 0700;
constexpr mode_t kFileMode = 0600;
constexpr std::size_t kRandomBytes = SessionStore::kTokenLength / 2;
constexpr std::size_t kSecretLength = SessionStore::kTokenLength - SessionStore::kIdLength;
// "SECRET SECONDS\n", the seconds far below this.
constexpr std::size_t kMaxFileBytes = 64;
constexpr uint64_t kLatestSecond = uint64_t{1} << 40;
constexpr const char* kHexDigits = "0123456789abcdef";

int64_t Now() { return static_cast<int64_t>(std::time(nullptr)); }

bool IsHex(const std::string& text, std::size_t length) {
    if (text.size() != length) return false;
    for (char c : text) {
        if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'))) return false;
    }
    return true;
}

bool RandomBytes(unsigned char* bytes, std::size_t count) {
    std::size_t done = 0;
    while (done < count) {
        const ssize_t n = ::getrandom(bytes + done, count - done, 0);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        done += static_cast<std::size_t>(n);
    }
    return true;
}

// A session file's text: its secret and the second it began. False when it is no such text.
bool Parse(const std::string& text, std::string& secret, int64_t& began) {
    if (text.size() < kSecretLength + 3 || text[kSecretLength] != ' ' || text.back() != '\n')
        return false;
    uint64_t second = 0;
    if (!CNumber::ParseDecimal(text.substr(kSecretLength + 1, text.size() - kSecretLength - 2),
                               kLatestSecond, second)) {
        return false;
    }
    secret = text.substr(0, kSecretLength);
    began = static_cast<int64_t>(second);
    return IsHex(secret, kSecretLength);
}

// The names in a folder, read through a descriptor of its own; false when they can't all be read.
bool Names(int folder, std::vector<std::string>& names) {
    const int fd = ::dup(folder);
    DIR* dir = fd < 0 ? nullptr : ::fdopendir(fd);
    if (dir == nullptr) {
        if (fd >= 0) ::close(fd);
        return false;
    }
    errno = 0;
    while (const dirent* entry = ::readdir(dir)) names.emplace_back(entry->d_name);
    const bool whole = errno == 0;
    ::closedir(dir);
    return whole;
}

}  // namespace

SessionStore::~SessionStore() = default;

std::string SessionStore::Begin() {
    unsigned char bytes[kRandomBytes];
    if (!RandomBytes(bytes, sizeof bytes)) return "";
    std::string token;
    for (unsigned char byte : bytes)
        token.append(1, kHexDigits[byte >> 4]).append(1, kHexDigits[byte & 0xf]);
    const int folder = OpenFolder(true);
    if (folder < 0) return "";
    Prune(folder);
    ::close(folder);
    const std::string path = Path(token.substr(0, kIdLength));
    AtomicFile file(path, path + kTempSuffix, kFileMode);
    const std::string text = token.substr(kIdLength) + " " + std::to_string(Now()) + "\n";
    const bool made = file.Open() && file.Commit(text, AtomicFile::Durability::Volatile) !=
                                         AtomicFile::Outcome::Unchanged;
    return made ? token : "";
}

bool SessionStore::Continue(const std::string& token) {
    if (!IsToken(token)) return false;
    const int folder = OpenFolder(false);
    if (folder < 0) return false;
    const std::string id = token.substr(0, kIdLength), secret = token.substr(kIdLength);
    const State state = Look(folder, id, &secret, true);
    if (state == State::kEnded) ::unlinkat(folder, id.c_str(), 0);
    ::close(folder);
    return state == State::kLive;
}

bool SessionStore::End(const std::string& token) {
    if (!IsToken(token)) return false;
    const int folder = OpenFolder(false);
    if (folder < 0) return false;
    const std::string id = token.substr(0, kIdLength), secret = token.substr(kIdLength);
    const bool found =
        Look(folder, id, &secret, false) != State::kNone && ::unlinkat(folder, id.c_str(), 0) == 0;
    ::close(folder);
    return found;
}

// Without a folder of this user's alone there is no session to end.
bool SessionStore::EndAll() {
    const int folder = OpenFolder(false);
    if (folder < 0) return true;
    std::vector<std::string> names;
    bool ended = Names(folder, names);
    for (const std::string& name : names) {
        if (IsId(name.substr(0, kIdLength)) &&
            (name.size() == kIdLength || name.substr(kIdLength) == kTempSuffix)) {
            ended = ::unlinkat(folder, name.c_str(), 0) == 0 && ended;
        }
    }
    ::close(folder);
    return ended;
}

bool SessionStore::IsToken(const std::string& token) { return IsHex(token, kTokenLength); }

bool SessionStore::IsId(const std::string& name) { return IsHex(name, kIdLength); }

// The file of `id`: none (or not a regular file of this user's, or another secret), live
// (its time of use refreshed when `touch`), or ended (also when its text is broken).
SessionStore::State SessionStore::Look(int folder, const std::string& id, const std::string* secret,
                                       bool touch) {
    const int fd = ::openat(folder, id.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return State::kNone;
    struct stat status;
    char buffer[kMaxFileBytes];
    const bool own =
        ::fstat(fd, &status) == 0 && S_ISREG(status.st_mode) && status.st_uid == ::geteuid();
    const ssize_t length = own ? ::read(fd, buffer, sizeof buffer) : -1;
    std::string stored;
    int64_t began = 0;
    State state = State::kNone;
    if (own && !Parse(std::string(buffer, length > 0 ? static_cast<std::size_t>(length) : 0),
                      stored, began)) {
        state = State::kEnded;
    } else if (own && (secret == nullptr || SecretCompare::Equal(stored, *secret))) {
        state = IsLive(began, static_cast<int64_t>(status.st_mtime), Now()) ? State::kLive
                                                                            : State::kEnded;
    }
    if (state == State::kLive && touch) ::futimens(fd, nullptr);
    ::close(fd);
    return state;
}

bool SessionStore::IsLive(int64_t began, int64_t used, int64_t now) {
    return began <= now + kClockSlackSeconds && used <= now + kClockSlackSeconds &&
           now - began < kLifeSeconds && now - used < kIdleSeconds;
}

// The folder, only when it is this user's alone; -1 otherwise (errno set).
int SessionStore::OpenFolder(bool create) {
    if (create && ::mkdir(kFolder, kFolderMode) != 0 && errno != EEXIST) return -1;
    const int folder = ::open(kFolder, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    struct stat status;
    if (folder >= 0 && ::fstat(folder, &status) == 0 && status.st_uid == ::geteuid() &&
        (status.st_mode & 077) == 0) {
        return folder;
    }
    if (folder >= 0) ::close(folder);
    errno = EPERM;
    return -1;
}

// Removes ended sessions, then the ones used longest ago until there is room for one more.
void SessionStore::Prune(int folder) {
    std::vector<std::pair<int64_t, std::string>> live;  // time of use, id
    std::vector<std::string> names;
    Names(folder, names);
    for (const std::string& name : names) {
        if (!IsId(name)) continue;
        struct stat status;
        const State state = Look(folder, name, nullptr, false);
        if (state == State::kEnded) {
            ::unlinkat(folder, name.c_str(), 0);
        } else if (state == State::kLive &&
                   ::fstatat(folder, name.c_str(), &status, AT_SYMLINK_NOFOLLOW) == 0) {
            live.emplace_back(static_cast<int64_t>(status.st_mtime), name);
        }
    }
    std::sort(live.begin(), live.end());
    for (std::size_t i = 0; i + kMaxSessions <= live.size(); ++i)
        ::unlinkat(folder, live[i].second.c_str(), 0);
}

std::string SessionStore::Path(const std::string& id) { return std::string(kFolder) + "/" + id; }
