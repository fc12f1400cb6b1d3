#include "ZelConfig.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <string_view>
#include <utility>
#include <vector>

#include "AtomicFile.h"
#include "AttributeKeys.h"
#include "DefaultAgentConfiguration.h"
#include "FileLock.h"
#include "InputFile.h"
#include "PropertyFile.h"
#include "ZelLog.h"

namespace {

constexpr const char* kLogSource = "ZelConfig";

struct OwnAttribute {
    const char* key;
    const char* value;
};

constexpr OwnAttribute kOwnAttributes[] = {
    {attributekey::kStateCurrent, ZelConfig::kStateFree},
    {ZelConfig::kStartupKey, "0"},
    {attributekey::kStateOwner, ""},
    {attributekey::kStateUuid, ZelConfig::kFreeUuid},
    {attributekey::kZelVersion, "01.08.06"},
    {attributekey::kSvnVersion, "159224"},
    {attributekey::kNetworkType, "0"},
};

constexpr size_t kFirstLineLength = 8190;
// Room for the start-up's own attributes and a default agent configuration file.
constexpr size_t kExpectedAttributes = 256;

// Byte-wise order of keys, most often decided by their first bytes without a call to
// compare the rest: a search of the store compares keys of different groups first.
bool KeyLess(std::string_view a, std::string_view b) {
    if (!a.empty() && !b.empty() && a.front() != b.front()) {
        return static_cast<unsigned char>(a.front()) < static_cast<unsigned char>(b.front());
    }
    return a < b;
}

bool HoldsAny(const std::string& text, const char* bytes, size_t count) {
    return text.find_first_of(bytes, 0, count) != std::string::npos;
}

}  // namespace

std::string ZelConfig::wlanInterfaceName;
std::string ZelConfig::orvaSysPath = "/sys/orva_neo/";
std::string ZelConfig::sf2StatusPath = "/tmp/sf2status";
int ZelConfig::measureDeviceFd = -1;

ZelConfig::ZelConfig() {
    attributes.reserve(kExpectedAttributes);
    DetectWlanInterface();
    bool complete = RunProducers();
    complete = SetOwnAttributes() && complete;
    complete = SetAttribute(kKaldModeKey, kKaldModeDefault, AgentProperty) && complete;
    complete = LoadAgentConfiguration() && complete;
    complete = MarkNeoStartup() && complete;
    complete = RegisterRefreshers() && complete;
    if (!complete) ZEL_INFO("%s", kIncompleteStartup);
    OpenMeasureDevice();
}

ZelConfig::~ZelConfig() {
    if (measureFd < 0) return;
    ::close(measureFd);
    if (measureDeviceFd == measureFd) measureDeviceFd = -1;
}

bool ZelConfig::SetOwnAttributes() {
    bool ok = true;
    for (const OwnAttribute& own : kOwnAttributes) {
        ok = SetAttribute(own.key, own.value, Value) && ok;
    }
    return ok;
}

bool ZelConfig::MarkNeoStartup() {
    std::string mode;
    GetAttribute(kKaldModeKey, mode);
    if (mode != kKaldModeNeo) return true;
    return SetAttribute(kStartupKey, kStartupNeo, Value);
}

bool ZelConfig::RegisterRefreshers() {
    bool ok = SetRefresher(attributekey::kFreeRam, RefreshMemoryInfo);
    ok = SetRefresher(attributekey::kSizeRam, RefreshMemoryInfo) && ok;
    return SetRefresher(attributekey::kTimestamp, RefreshTimestamp) && ok;
}

void ZelConfig::OpenMeasureDevice() {
    measureFd = ::open(kMeasureDevicePath, O_RDWR | O_CLOEXEC);
    measureDeviceFd = measureFd;
}

const ZelConfig::Entry* ZelConfig::Find(std::string_view key) const {
    const auto entry = std::lower_bound(
        attributes.begin(), attributes.end(), key,
        [](const Entry& a, std::string_view wanted) { return KeyLess(a.key, wanted); });
    return entry != attributes.end() && entry->key == key ? &*entry : nullptr;
}

ZelConfig::Entry& ZelConfig::FindOrInsert(std::string_view key, bool& inserted) {
    auto entry = std::lower_bound(
        attributes.begin(), attributes.end(), key,
        [](const Entry& a, std::string_view wanted) { return KeyLess(a.key, wanted); });
    inserted = entry == attributes.end() || entry->key != key;
    if (inserted) entry = attributes.insert(entry, Entry{texts.Keep(key), Attribute{}, false});
    return *entry;
}

bool ZelConfig::SetAttribute(std::string_view key, std::string_view text, AttributeKind kind) {
    bool inserted;
    Attribute& attribute = FindOrInsert(key, inserted).attribute;
    attribute.kind = kind;
    switch (kind) {
        case FileLine:
            attribute.path = texts.Keep(text);
            return true;
        case Value:
        case AgentProperty:
            attribute.value = texts.Keep(text);
            return true;
        default:
            return false;
    }
}

bool ZelConfig::SetRefresher(std::string_view key, Refresher* refresher) {
    bool inserted;
    Attribute& attribute = FindOrInsert(key, inserted).attribute;
    if (inserted) attribute.kind = Refreshed;
    attribute.refresher = refresher;
    return true;
}

bool ZelConfig::GetAttribute(const std::string& key, std::string& output) const {
    output.clear();
    const Entry* entry = Find(key);
    if (entry == nullptr) return false;
    const Attribute& attribute = entry->attribute;
    switch (attribute.kind) {
        case FileLine:
            return ReadFirstLine(std::string(attribute.path), output);
        case Refreshed:
            return attribute.refresher != nullptr && attribute.refresher(key, output) != 0;
        default:
            output.assign(attribute.value.data(), attribute.value.size());
            return true;
    }
}

bool ZelConfig::GetRecord(const std::string& key, Attribute& record) const {
    const Entry* entry = Find(key);
    if (entry == nullptr) return false;
    record = entry->attribute;
    return true;
}

std::vector<std::string> ZelConfig::Keys() const {
    std::vector<std::string> keys;
    keys.reserve(attributes.size());
    for (const Entry& entry : attributes) keys.emplace_back(entry.key);
    return keys;
}

bool ZelConfig::SetProperty(const std::string& key, const std::string& value) {
    if (!IsStorableProperty(key, value)) {
        ZEL_ERROR(kPropertyRefused, key.c_str());
        return false;
    }
    const bool stored = SetAttribute(key, value, AgentProperty);
    bool inserted;
    FindOrInsert(key, inserted).setHere = true;
    return stored;
}

bool ZelConfig::IsStorableProperty(const std::string& key, const std::string& value) {
    static constexpr char kLineBreaking[] = {'\n', '\r', '\0'};
    static constexpr char kKeyBreaking[] = {'\n', '\r', '\0', '='};
    return !key.empty() && !HoldsAny(key, kKeyBreaking, sizeof kKeyBreaking) &&
           !HoldsAny(value, kLineBreaking, sizeof kLineBreaking);
}

bool ZelConfig::ReadFirstLine(const std::string& path, std::string& output) {
    if (path.empty()) return false;
    InputFile file(path);
    if (!file.IsOpen()) return false;
    char buffer[kFirstLineLength];
    const long got = file.Read(buffer, sizeof buffer);
    if (got < 0 || (got > 0 && buffer[0] == '\n')) return false;
    const size_t length = static_cast<size_t>(got);
    const void* lineFeed = std::memchr(buffer, '\n', length);
    const size_t lineLength = lineFeed != nullptr
                                  ? static_cast<size_t>(static_cast<const char*>(lineFeed) - buffer)
                                  : length;
    // Taken as a C string, as the device always has: a NUL byte ends the line early.
    output.assign(buffer, strnlen(buffer, lineLength));
    return true;
}

bool ZelConfig::LoadAgentConfiguration() {
    InputFile live(kAgentConfigurationPath);
    if (live.IsOpen()) return LoadFile(live);
    InputFile backup(kAgentConfigurationOldPath);
    if (backup.IsOpen()) {
        bool loaded = LoadFile(backup);
        SaveAgentConfiguration();  // a live file again; the backup stays as it is
        return loaded;
    }
    WriteDefaultAgentConfiguration();
    InputFile fresh(kAgentConfigurationPath);
    return fresh.IsOpen() && LoadFile(fresh);
}

// All properties of the file at once: one merge instead of a search per line, and the
// keys and values stay where the file was read to.
bool ZelConfig::LoadFile(InputFile& file) {
    files.push_back(std::make_unique<PropertyFile>(file));
    MergeProperties(files.back()->Sorted());
    return true;
}

// As SetAttribute with kind AgentProperty for each: an existing entry keeps its path,
// refresher and mark.
void ZelConfig::MergeProperties(const Properties& properties) {
    if (properties.empty()) return;
    std::vector<Entry> merged;
    merged.reserve(attributes.size() + properties.size());
    auto own = attributes.begin();
    for (const auto& [key, value] : properties) {
        int order = -1;
        for (; own != attributes.end() && (order = own->key.compare(key)) < 0; ++own) {
            merged.push_back(*own);
        }
        Entry entry = own != attributes.end() && order == 0 ? *own++ : Entry{key, {}, false};
        entry.attribute.kind = AgentProperty;
        entry.attribute.value = value;
        merged.push_back(entry);
    }
    merged.insert(merged.end(), own, attributes.end());
    attributes.swap(merged);
}

bool ZelConfig::SaveAgentConfiguration() {
    FileLock lock(kAgentConfigurationLockPath);
    AtomicFile::Outcome outcome = AtomicFile::Outcome::Unchanged;
    if (lock.IsHeld()) {
        std::unique_ptr<char[]> storage;
        outcome = AtomicFile::Replace(kAgentConfigurationPath, kAgentConfigurationNewPath,
                                      SaveContent(storage), AtomicFile::Durability::Durable,
                                      kAgentConfigurationOldPath);
    }
    return Saved(outcome);
}

// A file that is in place but whose folder was not flushed counts as saved: every reader
// sees it already, and the next save flushes the folder again.
bool ZelConfig::Saved(AtomicFile::Outcome outcome) {
    if (outcome != AtomicFile::Outcome::Replaced) {
        const bool unflushed = outcome == AtomicFile::Outcome::ReplacedUnflushed;
        ZEL_ERROR(unflushed ? kNotFlushed : kCantSave, kAgentConfigurationPath,
                  std::strerror(errno));
    }
    return outcome != AtomicFile::Outcome::Unchanged;
}

// Starts from the live file as another process may have left it, so that its changes are
// not lost.
// The file's properties and the store's are both in key order, so one merging walk writes
// the union: a property this process set takes the store's value, any other the file's.
std::string_view ZelConfig::SaveContent(std::unique_ptr<char[]>& storage) const {
    InputFile live(kAgentConfigurationPath);
    const auto parsed =
        live.IsOpen() ? std::make_unique<PropertyFile>(live) : std::make_unique<PropertyFile>();
    const Properties& file = parsed->Sorted();
    Properties lines;
    lines.reserve(file.size() + attributes.size());
    auto fromFile = file.begin();
    for (const Entry& entry : attributes) {
        const Attribute& attribute = entry.attribute;
        if (attribute.kind != AgentProperty && !entry.setHere) continue;
        // One comparison per step tells both whether to go on and whether the keys match.
        int order = -1;
        for (; fromFile != file.end() && (order = fromFile->first.compare(entry.key)) < 0;
             ++fromFile) {
            lines.push_back(*fromFile);
        }
        const bool inFile = fromFile != file.end() && order == 0;
        if (inFile && !entry.setHere) {
            lines.push_back(*fromFile);
        } else {
            lines.emplace_back(entry.key, attribute.value);
        }
        if (inFile) ++fromFile;
    }
    lines.insert(lines.end(), fromFile, file.end());
    return PropertyFile::Format(lines, storage);
}

bool ZelConfig::WriteDefaultAgentConfiguration() {
    FileLock lock(kAgentConfigurationLockPath);
    // Another process may have written the file since this one looked.
    if (lock.IsHeld() && ::access(kAgentConfigurationPath, F_OK) == 0) return true;
    const AtomicFile::Outcome outcome =
        lock.IsHeld() ? AtomicFile::Replace(kAgentConfigurationPath, kAgentConfigurationNewPath,
                                            DefaultAgentConfiguration::Content(),
                                            AtomicFile::Durability::Durable)
                      : AtomicFile::Outcome::Unchanged;
    return Saved(outcome);
}

bool ZelConfig::ReadFileProperty(const std::string& path, const std::string& key,
                                 std::string& output) {
    InputFile file(path);
    if (!file.IsOpen()) {
        ZEL_ERROR(zellog::kCantOpen, path.c_str());
        return false;
    }
    return PropertyFile::Find(file, key, output);
}

bool ZelConfig::ParsePropertyLine(char* line, char** key, char** value) {
    std::string_view keyText;
    std::string_view valueText;
    if (!PropertyFile::SplitLine(line, keyText, valueText)) return false;
    *key = line;
    *value = line + (valueText.data() - keyText.data());
    return true;
}

void ZelConfig::ReadFileProperties(const std::string& path, const std::vector<std::string>& keys,
                                   std::vector<std::string>& values, std::vector<bool>& found) {
    InputFile file(path);
    if (file.IsOpen()) return PropertyFile::FindAll(file, keys, values, found);
    ZEL_ERROR(zellog::kCantOpen, path.c_str());
    values.assign(keys.size(), "");
    found.assign(keys.size(), false);
}
