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
#include "CNumber.h"
#include "DefaultAgentConfiguration.h"
#include "FileContent.h"
#include "FileLock.h"
#include "InputFile.h"
#include "PropertyScanner.h"
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
    {"zel.version", "01.08.06"},
    {"zel.svn.version", "159224"},
    {"net.current.networktype", "0"},
};

constexpr size_t kFirstLineLength = 8190;

// Calls `handle(key, value)` for each property line of `text` (scanned in place, so cut
// into pieces) until it returns false.
template <typename Handler>
void ForEachProperty(FileContent& content, Handler handle) {
    PropertyScanner scanner(content.Data(), content.Length());
    char* key;
    char* value;
    for (char* line; (line = scanner.Next()) != nullptr;) {
        if (ZelConfig::ParsePropertyLine(line, &key, &value) && !handle(key, value)) return;
    }
}

// The whole of an opened key=value file, as far as it is scanned, read at once.
FileContent ReadText(InputFile& file) { return FileContent(file, PropertyScanner::kReadLimit); }

using PropertyView = std::pair<std::string_view, std::string_view>;

// Every property of a key=value file as views into `text`, which receives the keys and
// values, in key order, the last occurrence of a key winning. One text and one list
// instead of a node and two strings per property: a save reads the file each time.
std::vector<PropertyView> ReadSortedProperties(const std::string& path, std::string& text) {
    std::vector<std::pair<size_t, size_t>> lengths;
    InputFile file(path);
    FileContent fileText = file.IsOpen() ? ReadText(file) : FileContent();
    if (file.IsOpen()) {
        ForEachProperty(fileText, [&](const char* key, const char* value) {
            const size_t keyLength = std::strlen(key);
            const size_t valueLength = std::strlen(value);
            text.append(key, keyLength).append(value, valueLength);
            lengths.emplace_back(keyLength, valueLength);
            return true;
        });
    }
    std::vector<PropertyView> properties;
    properties.reserve(lengths.size());
    const char* at = text.data();
    for (const auto& [keyLength, valueLength] : lengths) {
        properties.emplace_back(std::string_view(at, keyLength),
                                std::string_view(at + keyLength, valueLength));
        at += keyLength + valueLength;
    }
    // The file is normally one that a save wrote, in key order already.
    const auto byKey = [](const PropertyView& a, const PropertyView& b) {
        return a.first < b.first;
    };
    if (!std::is_sorted(properties.begin(), properties.end(), byKey)) {
        std::stable_sort(properties.begin(), properties.end(), byKey);
    }
    // Of equal keys the last one read stays: the stable sort kept them in file order.
    auto last = std::unique(
        properties.rbegin(), properties.rend(),
        [](const PropertyView& a, const PropertyView& b) { return a.first == b.first; });
    properties.erase(properties.begin(), last.base());
    return properties;
}

void AppendLine(std::string& content, std::string_view key, std::string_view value) {
    content.append(key).append(1, '=').append(value).append(1, '\n');
}

char* SkipSpace(char* text) {
    while (CNumber::IsSpace(static_cast<unsigned char>(*text))) ++text;
    return text;
}

// Cuts the white space off the end of [begin, end) by writing the terminating NUL.
void TerminateAfterText(char* begin, char* end) {
    while (end > begin && CNumber::IsSpace(static_cast<unsigned char>(end[-1]))) --end;
    *end = '\0';
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

bool ZelConfig::SetAttribute(const std::string& key, const std::string& text, AttributeKind kind) {
    Attribute& attribute = attributes[key];
    attribute.kind = kind;
    switch (kind) {
        case FileLine:
            attribute.path = text;
            return true;
        case Value:
        case AgentProperty:
            attribute.value = text;
            return true;
        default:
            return false;
    }
}

bool ZelConfig::SetRefresher(const std::string& key, Refresher* refresher) {
    auto [entry, inserted] = attributes.try_emplace(key);
    if (inserted) entry->second.kind = Refreshed;
    entry->second.refresher = refresher;
    return true;
}

bool ZelConfig::GetAttribute(const std::string& key, std::string& output) const {
    output.clear();
    auto entry = attributes.find(key);
    if (entry == attributes.end()) return false;
    const Attribute& attribute = entry->second;
    switch (attribute.kind) {
        case FileLine:
            return ReadFirstLine(attribute.path, output);
        case Refreshed:
            return attribute.refresher != nullptr && attribute.refresher(key, output) != 0;
        default:
            output = attribute.value;
            return true;
    }
}

std::vector<std::string> ZelConfig::Keys() const {
    std::vector<std::string> keys;
    keys.reserve(attributes.size());
    for (const auto& entry : attributes) keys.push_back(entry.first);
    return keys;
}

bool ZelConfig::SetProperty(const std::string& key, const std::string& value) {
    if (!IsStorableProperty(key, value)) {
        ZEL_ERROR(kPropertyRefused, key.c_str());
        return false;
    }
    setProperties.insert(key);
    return SetAttribute(key, value, AgentProperty);
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

bool ZelConfig::LoadFile(InputFile& file) {
    FileContent text = ReadText(file);
    bool ok = true;
    // The texts are reused from line to line: the store copies them anyway.
    std::string keyText;
    std::string valueText;
    ForEachProperty(text, [&](const char* key, const char* value) {
        keyText.assign(key);
        valueText.assign(value);
        ok = SetAttribute(keyText, valueText, AgentProperty) && ok;
        return true;
    });
    return ok;
}

bool ZelConfig::SaveAgentConfiguration() {
    FileLock lock(kAgentConfigurationLockPath);
    if (!lock.IsHeld() ||
        !AtomicFile::Replace(kAgentConfigurationPath, kAgentConfigurationNewPath, SaveContent(),
                             AtomicFile::Durability::Durable, kAgentConfigurationOldPath)) {
        ZEL_ERROR(kCantSave, kAgentConfigurationPath, std::strerror(errno));
        return false;
    }
    return true;
}

// Starts from the live file as another process may have left it, so that its changes are
// not lost.
// The file's properties and the store's are both in key order, so one merging walk writes
// the union: a property this process set takes the store's value, any other the file's.
std::string ZelConfig::SaveContent() const {
    std::string text;
    const std::vector<PropertyView> file = ReadSortedProperties(kAgentConfigurationPath, text);
    std::string content;
    content.reserve(text.size() + 2 * file.size() + 1024);
    auto fromFile = file.begin();
    auto own = setProperties.begin();  // also in key order
    for (const auto& [key, attribute] : attributes) {
        while (own != setProperties.end() && *own < key) ++own;
        const bool set = own != setProperties.end() && *own == key;
        if (attribute.kind != AgentProperty && !set) continue;
        for (; fromFile != file.end() && fromFile->first < key; ++fromFile) {
            AppendLine(content, fromFile->first, fromFile->second);
        }
        const bool inFile = fromFile != file.end() && fromFile->first == key;
        AppendLine(content, key, inFile && !set ? fromFile->second : attribute.value);
        if (inFile) ++fromFile;
    }
    for (; fromFile != file.end(); ++fromFile) {
        AppendLine(content, fromFile->first, fromFile->second);
    }
    return content;
}

bool ZelConfig::WriteDefaultAgentConfiguration() {
    FileLock lock(kAgentConfigurationLockPath);
    // Another process may have written the file since this one looked.
    if (lock.IsHeld() && ::access(kAgentConfigurationPath, F_OK) == 0) return true;
    if (!lock.IsHeld() || !AtomicFile::Replace(kAgentConfigurationPath, kAgentConfigurationNewPath,
                                               DefaultAgentConfiguration::Content(),
                                               AtomicFile::Durability::Durable)) {
        ZEL_ERROR(kCantSave, kAgentConfigurationPath, std::strerror(errno));
        return false;
    }
    return true;
}

bool ZelConfig::ReadFileProperty(const std::string& path, const std::string& key,
                                 std::string& output) {
    InputFile file(path);
    if (!file.IsOpen()) {
        ZEL_ERROR(kCantOpen, path.c_str());
        return false;
    }
    FileContent text = ReadText(file);
    bool found = false;
    ForEachProperty(text, [&](const char* lineKey, const char* value) {
        found = key == lineKey;
        if (found) output = value;
        return !found;
    });
    return found;
}

bool ZelConfig::ParsePropertyLine(char* line, char** key, char** value) {
    if (line[0] == '#') return false;
    char* equals = std::strchr(line, '=');
    if (equals == nullptr) return false;
    char* valueStart = SkipSpace(equals + 1);
    TerminateAfterText(valueStart, valueStart + std::strlen(valueStart));
    TerminateAfterText(line, equals);
    *key = line;
    *value = valueStart;
    return true;
}
