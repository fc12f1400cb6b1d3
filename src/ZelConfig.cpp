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
// Room for the start-up's own attributes and a default agent configuration file.
constexpr size_t kExpectedAttributes = 256;

char* SkipSpace(char* text) {
    while (CNumber::IsSpace(static_cast<unsigned char>(*text))) ++text;
    return text;
}

// Cuts the white space off the end of [begin, end) by writing the terminating NUL there;
// the new end.
char* TerminateAfterText(char* begin, char* end) {
    while (end > begin && CNumber::IsSpace(static_cast<unsigned char>(end[-1]))) --end;
    *end = '\0';
    return end;
}

// ParsePropertyLine, with the lengths of key and value that the cut finds anyway.
bool SplitPropertyLine(char* line, std::string_view& key, std::string_view& value) {
    if (line[0] == '#') return false;
    char* equals = std::strchr(line, '=');
    if (equals == nullptr) return false;
    char* valueStart = SkipSpace(equals + 1);
    const char* valueEnd = TerminateAfterText(valueStart, valueStart + std::strlen(valueStart));
    const char* keyEnd = TerminateAfterText(line, equals);
    key = std::string_view(line, static_cast<size_t>(keyEnd - line));
    value = std::string_view(valueStart, static_cast<size_t>(valueEnd - valueStart));
    return true;
}

// Calls `handle(key, value)` for each property line of `text` (scanned in place, so cut
// into pieces) until it returns false.
template <typename Handler>
void ForEachProperty(FileContent& content, Handler handle) {
    PropertyScanner scanner(content.Data(), content.Length());
    std::string_view key;
    std::string_view value;
    for (char* line; (line = scanner.Next()) != nullptr;) {
        if (SplitPropertyLine(line, key, value) && !handle(key, value)) return;
    }
}

// The whole of an opened key=value file, as far as it is scanned, read at once.
FileContent ReadText(InputFile& file) { return FileContent(file, PropertyScanner::kReadLimit); }

using PropertyView = std::pair<std::string_view, std::string_view>;

// Every property of a key=value file as views into its content, in key order, the last
// occurrence of a key winning. The content is cut into pieces by the scan; the pieces of a
// line too long for one (which the scan hands out from a buffer of its own) are copied
// into `overflow`.
std::vector<PropertyView> SortedProperties(FileContent& content, TextArena& overflow,
                                           bool& unique) {
    std::vector<PropertyView> properties;
    const char* begin = content.Data();
    const char* end = begin + content.Length() + 1;
    ForEachProperty(content, [&](std::string_view key, std::string_view value) {
        if (key.data() >= begin && key.data() < end) {
            properties.emplace_back(key, value);
        } else {
            properties.emplace_back(overflow.Keep(key), overflow.Keep(value));
        }
        return true;
    });
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
    unique = last.base() == properties.begin();
    properties.erase(properties.begin(), last.base());
    return properties;
}

// The properties of one content of the agent configuration file, with the storage their
// views point into. Every start-up and every save reads the file, which between two of
// them is mostly what this process read or wrote last: content whose bytes are those of
// the last one is not parsed again.
struct ParsedFile {
    std::unique_ptr<char[]> text;  // holds `bytes`
    std::string_view bytes;
    std::unique_ptr<char[]> cut;  // the scanned copy of `bytes`
    TextArena overflow;
    std::vector<PropertyView> properties;
    bool unique = true;     // no key occurs twice in the file
    bool indented = false;  // a key begins with white space (possible on the first line)
};

std::shared_ptr<const ParsedFile>& LastParsedFile() {
    static std::shared_ptr<const ParsedFile> last;
    return last;
}

bool IsSpaceByte(char c) { return CNumber::IsSpace(static_cast<unsigned char>(c)); }

std::shared_ptr<const ParsedFile> ParseFile(FileContent& content) {
    std::shared_ptr<const ParsedFile>& last = LastParsedFile();
    if (last != nullptr && last->bytes == content.Text()) return last;
    auto parsed = std::make_shared<ParsedFile>();
    parsed->text.reset(new char[content.Length() + 1]);
    std::memcpy(parsed->text.get(), content.Data(), content.Length());
    parsed->bytes = std::string_view(parsed->text.get(), content.Length());
    parsed->properties = SortedProperties(content, parsed->overflow, parsed->unique);
    for (const auto& [key, value] : parsed->properties) {
        if (!key.empty() && IsSpaceByte(key.front())) parsed->indented = true;
    }
    parsed->cut = content.Release();
    last = parsed;
    return last;
}

// The properties of the content parsed or written last when `content` is that, byte for
// byte, and holds no key twice (so that the one occurrence of a key is also the first).
const ParsedFile* RememberedUnique(const FileContent& content) {
    const ParsedFile* last = LastParsedFile().get();
    return last != nullptr && last->unique && last->bytes == content.Text() ? last : nullptr;
}

bool HoldsByte(std::string_view text, char byte) {
    return std::memchr(text.data(), byte, text.size()) != nullptr;
}

// Whether a scan reads the line "key=value" back as this key and value, when it is not the
// first line of a file.
bool ReadsBack(std::string_view key, std::string_view value) {
    if (key.size() + value.size() + 1 > PropertyScanner::kPieceLength) return false;
    if (!key.empty() && (key.front() == '#' || IsSpaceByte(key.front()) ||
                         IsSpaceByte(key.back()) || HoldsByte(key, '='))) {
        return false;
    }
    if (!value.empty() && (IsSpaceByte(value.front()) || IsSpaceByte(value.back()))) return false;
    return !HoldsByte(key, '\n') && !HoldsByte(key, '\0') && !HoldsByte(value, '\n') &&
           !HoldsByte(value, '\0');
}

// Remembers `lines` (in key order, keys unique, each one that ReadsBack) as the properties
// of `written`, their text, which `storage` holds and is kept with them.
void RememberWritten(std::unique_ptr<char[]> storage, std::string_view written,
                     const std::vector<PropertyView>& lines) {
    if (written.size() > PropertyScanner::kReadLimit) return;
    auto parsed = std::make_shared<ParsedFile>();
    parsed->text = std::move(storage);
    parsed->bytes = written;
    parsed->properties.reserve(lines.size());
    const char* at = written.data();
    for (const auto& [key, value] : lines) {
        parsed->properties.emplace_back(std::string_view(at, key.size()),
                                        std::string_view(at + key.size() + 1, value.size()));
        at += key.size() + value.size() + 2;
    }
    LastParsedFile() = parsed;
}

// The lines "key=value\n" of `lines`, written into `storage` made to fit them exactly.
std::string_view WriteLines(const std::vector<PropertyView>& lines,
                            std::unique_ptr<char[]>& storage) {
    size_t length = 0;
    for (const auto& [key, value] : lines) length += key.size() + value.size() + 2;
    storage.reset(new char[length + 1]);
    char* at = storage.get();
    for (const auto& [key, value] : lines) {
        std::memcpy(at, key.data(), key.size());
        at += key.size();
        *at++ = '=';
        std::memcpy(at, value.data(), value.size());
        at += value.size();
        *at++ = '\n';
    }
    return std::string_view(storage.get(), length);
}

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
    FileContent content = ReadText(file);
    std::shared_ptr<const ParsedFile> parsed = ParseFile(content);
    MergeProperties(parsed->properties);
    files.push_back(std::move(parsed));
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
    bool saved = false;
    if (lock.IsHeld()) {
        std::unique_ptr<char[]> storage;
        Properties lines;
        bool readsBack;
        const std::string_view content = SaveContent(storage, lines, readsBack);
        saved = AtomicFile::Replace(kAgentConfigurationPath, kAgentConfigurationNewPath, content,
                                    AtomicFile::Durability::Durable, kAgentConfigurationOldPath);
        if (saved && readsBack) RememberWritten(std::move(storage), content, lines);
    }
    if (!saved) {
        ZEL_ERROR(kCantSave, kAgentConfigurationPath, std::strerror(errno));
        return false;
    }
    return true;
}

// Starts from the live file as another process may have left it, so that its changes are
// not lost.
// The file's properties and the store's are both in key order, so one merging walk writes
// the union: a property this process set takes the store's value, any other the file's.
std::string_view ZelConfig::SaveContent(std::unique_ptr<char[]>& storage, Properties& lines,
                                        bool& readsBack) const {
    FileContent text;
    InputFile live(kAgentConfigurationPath);
    if (live.IsOpen()) text = ReadText(live);
    const std::shared_ptr<const ParsedFile> parsed = ParseFile(text);
    const Properties& file = parsed->properties;
    lines.reserve(file.size() + attributes.size());
    readsBack = true;
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
            readsBack = readsBack && ReadsBack(entry.key, attribute.value);
        }
        if (inFile) ++fromFile;
    }
    lines.insert(lines.end(), fromFile, file.end());
    // What a scan gave is read back the same, unless its key was indented on the first line.
    if (parsed->indented) readsBack = false;
    return WriteLines(lines, storage);
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
    if (const ParsedFile* parsed = RememberedUnique(text)) {
        const auto entry = std::lower_bound(
            parsed->properties.begin(), parsed->properties.end(), key,
            [](const PropertyView& a, const std::string& wanted) { return a.first < wanted; });
        if (entry == parsed->properties.end() || entry->first != key) return false;
        output.assign(entry->second.data(), entry->second.size());
        return true;
    }
    bool found = false;
    ForEachProperty(text, [&](std::string_view lineKey, std::string_view value) {
        found = key == lineKey;
        if (found) output.assign(value.data(), value.size());
        return !found;
    });
    return found;
}

bool ZelConfig::ParsePropertyLine(char* line, char** key, char** value) {
    std::string_view keyText;
    std::string_view valueText;
    if (!SplitPropertyLine(line, keyText, valueText)) return false;
    *key = line;
    *value = line + (valueText.data() - keyText.data());
    return true;
}
