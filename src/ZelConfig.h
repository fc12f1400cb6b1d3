#ifndef SRC_ZELCONFIG_H
#define SRC_ZELCONFIG_H

#include <map>
#include <set>
#include <string>

#include "Attribute.h"

// The device attribute store: named text attributes that are fixed, read from the first
// line of a file, or computed when read, together with the properties of the agent
// configuration file. Constructing a store runs the whole start-up: the attribute
// producers, the store's own attributes, the load of the agent configuration file and the
// opening of the measurement device.
class ZelConfig {
public:
    static constexpr const char* kAgentConfigurationPath = "/config/agent.configuration";
    static constexpr const char* kAgentConfigurationOldPath = "/config/agent.configuration.old";
    static constexpr const char* kAgentConfigurationNewPath = "/config/agent.configuration.new";
    // Serialises the writers of the agent configuration file; never replaced or removed.
    static constexpr const char* kAgentConfigurationLockPath = "/config/agent.configuration.lock";
    static constexpr const char* kMeasureDevicePath = "/dev/measure/0";
    static constexpr const char* kKaldModeKey = "kald.mode";
    static constexpr const char* kKaldModeDefault = "KALD";
    static constexpr const char* kKaldModeNeo = "KALD-Neo";
    static constexpr const char* kStartupKey = "zel.state.startup";
    static constexpr const char* kStartupNeo = "1";
    static constexpr const char* kIncompleteStartup =
        "Warning: not all attributes initialized successfully!";
    static constexpr const char* kCantOpen = "Can't open %s";
    static constexpr const char* kCantSave = "Can't save %s: %s";
    static constexpr const char* kPropertyRefused = "Property %s refused: can't be stored";

    // Process-wide state, overwritten by every start-up.
    static std::string wlanInterfaceName;
    static std::string orvaSysPath;
    static std::string sf2StatusPath;
    // The measurement device of the newest store, or -1.
    static int measureDeviceFd;

    ZelConfig();
    ZelConfig(const ZelConfig&) = delete;
    ZelConfig& operator=(const ZelConfig&) = delete;
    // Closes the measurement device this store opened (and only that one).
    virtual ~ZelConfig();

    // Creates or updates `key` with `kind`; for FileLine `text` is the path, for Value and
    // AgentProperty the value. Any other kind is stored without a text and gives false.
    bool SetAttribute(const std::string& key, const std::string& text, AttributeKind kind);
    // Attaches `refresher` to `key`; a new key becomes kind Refreshed, an existing one keeps
    // its kind.
    bool SetRefresher(const std::string& key, Refresher* refresher);
    // The current text of `key` into `output` (cleared first); false for an unknown key, a
    // Refreshed entry without refresher, or a FileLine entry whose file can't be read.
    bool GetAttribute(const std::string& key, std::string& output) const;

    // Sets an agent configuration property on behalf of this process: a later save writes
    // it over whatever the file holds by then. Refused (false, nothing stored, logged) when
    // the file format can't hold it: an empty key, a key with "=", or a key or value with
    // a line feed, carriage return or NUL.
    bool SetProperty(const std::string& key, const std::string& value);
    static bool IsStorableProperty(const std::string& key, const std::string& value);

    // The first line (at most 8190 bytes) of a file; an empty file gives "" and true, a
    // file beginning with a line feed gives false.
    static bool ReadFirstLine(const std::string& path, std::string& output);

    // Loads the agent configuration file into the store; falls back to the backup (and
    // then writes a new live file from it), and to the default content when neither
    // exists.
    bool LoadAgentConfiguration();
    // Saves under the writers' lock: the live file as it is now, with the properties this
    // process set and the store's properties the file lacks, sorted by key, written
    // through ".new" and flushed, the previous live file kept as ".old". False when
    // anything failed; the live file and backup are then unchanged.
    bool SaveAgentConfiguration();
    // Writes the default content as the live file unless one exists by now.
    bool WriteDefaultAgentConfiguration();

    // The value of the first line of a key=value file with this key; `output` is left
    // unchanged when there is none. Logs when the file can't be opened.
    static bool ReadFileProperty(const std::string& path, const std::string& key,
                                 std::string& output);
    // Splits one line in place into key and value (views into `line`); false for a
    // comment or a line without "=".
    static bool ParsePropertyLine(char* line, char** key, char** value);

private:
    void DetectWlanInterface();
    bool RunProducers();
    bool SetOwnAttributes();
    bool MarkNeoStartup();
    bool RegisterRefreshers();
    void OpenMeasureDevice();
    bool LoadFile(FILE* file);
    std::string SaveContent() const;

    std::map<std::string, Attribute> attributes;
    // Properties set through SetProperty; a save writes them over the file's values.
    std::set<std::string> setProperties;
    int measureFd = -1;
};

#endif
