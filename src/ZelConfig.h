#ifndef SRC_ZELCONFIG_H
#define SRC_ZELCONFIG_H

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "AtomicFile.h"
#include "Attribute.h"
#include "PropertyFile.h"
#include "TextArena.h"

class InputFile;

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
    // The identity files, in orvaSysPath, and the status file of the attached units.
    static constexpr const char* kSerialFile = "sysinfo/sernum";
    static constexpr const char* kHardwareVersionFile = "sysinfo/version";
    static constexpr const char* kSf2StaticPath = "/tmp/sf2static";
    static constexpr const char* kKaldModeKey = "kald.mode";
    static constexpr const char* kKaldModeDefault = "KALD";
    static constexpr const char* kKaldModeNeo = "KALD-Neo";
    static constexpr const char* kStartupKey = "zel.state.startup";
    static constexpr const char* kStartupNeo = "1";
    static constexpr const char* kIncompleteStartup =
        "Warning: not all attributes initialized successfully!";
    static constexpr const char* kCantSave = "Can't save %s: %s";
    static constexpr const char* kNotFlushed = "Saved %s, but its folder not flushed: %s";
    static constexpr const char* kPropertyRefused = "Property %s refused: can't be stored";

    // The states of "zel.state.current" and the uuid of a free device.
    static constexpr const char* kStateFree = "4";
    static constexpr const char* kStateReserved = "5";
    // Present while a client holds the device reserved (made by ReserveDevice).
    static constexpr const char* kReservedMarkerPath = "/tmp/reserved";
    static constexpr const char* kFreeUuid = "00000000-0000-0000-0000-000000000000";

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
    bool SetAttribute(std::string_view key, std::string_view text, AttributeKind kind);
    // Attaches `refresher` to `key`; a new key becomes kind Refreshed, an existing one keeps
    // its kind.
    bool SetRefresher(std::string_view key, Refresher* refresher);
    // The current text of `key` into `output` (cleared first); false for an unknown key, a
    // Refreshed entry without refresher, or a FileLine entry whose file can't be read.
    bool GetAttribute(const std::string& key, std::string& output) const;
    // How the text of `key` is obtained: its record (kind, refresher; the texts are views
    // into this store, valid until it changes). False, `record` unchanged, for an unknown
    // key. The benchmark names the refresher behind each attribute a page reads with it.
    bool GetRecord(const std::string& key, Attribute& record) const;

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
    // through ".new" and flushed, the previous live file kept as ".old". False when the
    // file could not be replaced; the live file and backup are then unchanged. A file in
    // place whose folder could not be flushed is saved (and the flush failure logged).
    bool SaveAgentConfiguration();
    // Writes the default content as the live file unless one exists by now.
    bool WriteDefaultAgentConfiguration();

    // The value of the first line of a key=value file with this key; `output` is left
    // unchanged when there is none. Logs when the file can't be opened.
    static bool ReadFileProperty(const std::string& path, const std::string& key,
                                 std::string& output);
    // The same for several keys from one read of the file (PropertyFile::FindAll); when
    // the file can't be opened it is logged once and nothing is found.
    static void ReadFileProperties(const std::string& path, const std::vector<std::string>& keys,
                                   std::vector<std::string>& values, std::vector<bool>& found);
    // Splits one line in place into key and value (views into `line`); false for a
    // comment or a line without "=".
    static bool ParsePropertyLine(char* line, char** key, char** value);

    // Refreshers: each computes the current value of the attribute `key` into `output`
    // (emptied by GetAttribute before) from its live source; 1 on success. They keep no
    // state and leave no file open.
    //
    // A value of "/tmp/sf2status" (sf2StatusPath): "KL15ewb" for "system.voltage.kl15",
    // "KL30" for "system.voltage.kl30", the key itself for any other key.
    static int32_t ReadSf2StatusValue(std::string key, std::string& output);
    // "1" when "KL15Status" is exactly "2", else "0"; false when it is missing.
    static int32_t RefreshKl15Trigger(std::string key, std::string& output);
    // Only with bit 4 of "CAN_CL_STATUS" (base 16) set: "CANPWF_STATUS_EX" (base 16) as a
    // decimal of at most 7 characters, "0" and false when that is missing. Logs the missing
    // values.
    static int32_t RefreshPowerFailStatus(std::string key, std::string& output);
    // "Temp" for "system.thermal.temp"; "" (true) for any other key.
    static int32_t RefreshTemperature(std::string key, std::string& output);
    // The figure of the first ("system.info.size_ram") or second ("system.info.free_ram")
    // line of "/proc/meminfo", without unit. False for any other key or a line without one.
    static int32_t RefreshMemoryInfo(std::string key, std::string& output);
    // Milliseconds since 1970 (logged at debug); never fails.
    static int32_t RefreshTimestamp(std::string key, std::string& output);
    // The "diag.wolk." keys and "diag.doip" from "/tmp/wolkvin"; false when it can't be read.
    static int32_t RefreshVehicleLink(std::string key, std::string& output);
    // "diag.most.orvabstate": "1" when the MOST interface is on USB, else "0";
    // "diag.most.lighton": "0" without it, else the first line of "/tmp/moststate" ("" when
    // unreadable). False only when the USB device list can't be read.
    static int32_t RefreshMostState(std::string key, std::string& output);
    // Address or netmask of "eth0" (the lan keys) or of wlanInterfaceName; "0.0.0.0" and
    // false when the interface has none.
    static int32_t RefreshInterfaceAddress(std::string key, std::string& output);
    // The gateway of the default route, "0.0.0.0" without one; false only when the routing
    // table can't be read.
    static int32_t RefreshDefaultGateway(std::string key, std::string& output);
    // The signal strength `iw` reports for the link (the last piece of at most 7 bytes of
    // the query's output), "0" and false when it reports none.
    static int32_t RefreshWlanQuality(std::string key, std::string& output);

    // Every key of the store, in key order.
    std::vector<std::string> Keys() const;

    // Host lock. LockToHost opens the service ports of the packet filter to the host
    // `host` (HostLock::HostNumberToAddress; "0" for any host), switches IPv4 forwarding on
    // and keeps the address in "zel.state.hostlock". UnlockHost deletes the rules for the
    // address kept there (HostLock::Release), switches forwarding off and empties it. A
    // second lock adds the rules again.
    void LockToHost(const std::string& host);
    void UnlockHost();

    // Reserves the device for `owner` unless it is reserved: locks it to `host` (set to
    // "0" when empty), sets the handle (a new random decimal number; "0" when the device
    // can't be reserved) and the "zel.state." attributes, and creates the marker files
    // (a symbolic link or fifo at their path is not opened). `protocol` becomes "rplus"
    // in every case; any other requested protocol is logged (103). False when the device
    // is reserved or its state can't be read.
    bool ReserveDevice(const std::string& owner, std::string& host, std::string& protocol,
                       std::string& handle);
    // Releases the reservation whose handle is `handle` (the handle of a free device is
    // ""): unlocks the host, resets the "zel.state." attributes, removes "/tmp/reserved"
    // and "/tmp/proto_rplus". False, with nothing changed, for any other handle.
    bool ReleaseDevice(const std::string& handle);
    // "[0s;1s;2s;3s]" from the reservation, attached-unit, MOST and vehicle-link
    // attributes (s is "*" while reserved, "+" while free; "?" or "+" mark what is
    // missing). Always true.
    bool GetStateSummary(std::string& out) const;

    // DeviceColor::NameToCode and DeviceColor::CodeToName.
    static void ColorNameToCode(std::string& text);
    static void ColorCodeToName(std::string& text);

    // Signal strength and signal-to-noise ratio of the WLAN link (each at most 15 bytes);
    // both "0" and false when the commands give fewer than two words.
    bool ReadWlanSignalNoise(std::string& signal, std::string& ratio) const;

    // The lookups of the attached units in "/tmp/sf2static"; each leaves `output` untouched
    // and gives false when the key is missing. "ORVAC_Present" is reduced to "0" (for "0"
    // and "-1") or "1"; "ORVAD_Present" is taken as it is.
    static bool ReadOrvaCPresent(std::string& output);
    static bool ReadOrvaDPresent(std::string& output);

private:
    static bool Saved(AtomicFile::Outcome outcome);
    void DetectWlanInterface();
    bool RunProducers();
    bool InitHardwareAttributes();
    bool InitMacAttributes();
    bool InitVersionAttributes();
    bool InitPowerAttributes();
    bool InitVehicleLinkAttributes();
    bool InitThermalAttributes();
    bool InitMostAttributes();
    bool InitNetworkAttributes();
    bool InitConnectedDeviceAttributes();
    bool SetOwnAttributes();
    bool MarkNeoStartup();
    bool RegisterRefreshers();
    void OpenMeasureDevice();
    bool LoadFile(InputFile& file);

    // One record under its key. The texts of both are views into `texts`.
    struct Entry {
        std::string_view key;
        Attribute attribute;
        // Set through SetProperty: a save writes it over the file's value.
        bool setHere = false;
    };
    using Properties = PropertyFile::Properties;

    // The next live file's content, in `storage`.
    std::string_view SaveContent(std::unique_ptr<char[]>& storage) const;

    const Entry* Find(std::string_view key) const;
    // The entry of `key`, inserted (kind Value, empty texts) when there is none.
    Entry& FindOrInsert(std::string_view key, bool& inserted);
    // Sets the properties of a file (in key order, keys unique) as kind AgentProperty.
    void MergeProperties(const Properties& properties);

    std::vector<Entry> attributes;  // in key order, keys unique
    TextArena texts;
    // The parsed files whose texts entries refer to.
    std::vector<std::unique_ptr<PropertyFile>> files;
    int measureFd = -1;
};

#endif
