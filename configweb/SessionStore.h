#ifndef CONFIGWEB_SESSIONSTORE_H
#define CONFIGWEB_SESSIONSTORE_H

#include <cstddef>
#include <cstdint>
#include <string>

// The sessions of signed-in technicians, kept in kFolder (mode 0700). A session's token is
// 128 random bits as 32 lower-case hexadecimal digits: the first kIdLength name its file,
// which holds the rest (the secret, compared in constant time) and the second the session
// began, "SECRET SECONDS\n" (mode 0600, written whole by rename). A use refreshes the
// file's modification time. A session ends after kIdleSeconds without use or kLifeSeconds
// after it began, and whenever a time lies ahead of the clock (the clock was set back).
class SessionStore {
public:
    static constexpr const char* kFolder = "/tmp/configweb-sessions";
    static constexpr std::size_t kTokenLength = 32;
    static constexpr std::size_t kIdLength = 16;
    static constexpr int64_t kIdleSeconds = 60 * 60;
    static constexpr int64_t kLifeSeconds = 12 * 60 * 60;
    // How far a stored time may lie ahead of the clock (coarse clocks of the kernel).
    static constexpr int64_t kClockSlackSeconds = 5;
    // Beginning a session beyond this many ends the ones used longest ago.
    static constexpr std::size_t kMaxSessions = 16;
    static constexpr const char* kTempSuffix = ".new";

    virtual ~SessionStore();

    // Begins a session: its token, or "" when none could be made (no random bytes, or the
    // folder can't be made or is not this user's alone). Removes ended sessions first.
    static std::string Begin();
    // Whether `token` is a session's, and refreshes its time of use. A session found ended
    // is removed. Anything but a token of the right form is no session.
    static bool Continue(const std::string& token);
    // Ends the session of `token` when it is one (an ended one included); whether it was.
    static bool End(const std::string& token);
    // Ends every session. False when one may be left (the folder can't be read whole, or a
    // file can't be removed).
    static bool EndAll();

    static bool IsToken(const std::string& token);
    static bool IsId(const std::string& name);

private:
    enum class State { kNone, kLive, kEnded };

    static State Look(int folder, const std::string& id, const std::string* secret, bool touch);
    static bool IsLive(int64_t began, int64_t used, int64_t now);
    static int OpenFolder(bool create);
    static void Prune(int folder);
    static std::string Path(const std::string& id);
};

#endif
