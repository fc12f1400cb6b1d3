// The change list reader: any file content reads without harm, what it reads survives a
// rewrite unchanged, and a merge keeps every entry it found.

#include <cstdint>
#include <string>

#include "ChangeListFile.h"
#include "FuzzSupport.h"

namespace {

constexpr const char* kPath = "/tmp/config_web_changes.lst";

ChangeListFile::Changes ReadList() {
    ChangeListFile::Changes changes;
    fuzzsupport::Require(ChangeListFile::Read(kPath, changes), "the change list can't be read");
    return changes;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string input = fuzzsupport::Text(data, size);
    fuzzsupport::WriteFile(kPath, input);
    size_t lines = 0;
    ChangeListFile::Changes changes;
    ChangeListFile::Read(kPath, changes, [&lines](int32_t, const std::string&) { ++lines; });
    fuzzsupport::Require(changes.size() <= lines, "more entries than lines with \";\"", input);

    const std::string formatted = ChangeListFile::Format(changes);
    fuzzsupport::WriteFile(kPath, formatted);
    fuzzsupport::Require(ReadList() == changes, "a rewritten list reads differently", input);

    const ChangeListFile::Changes marks = {{INT32_MIN, 1}, {77, 1}};
    fuzzsupport::WriteFile(kPath, input);
    fuzzsupport::Require(ChangeListFile::Merge(kPath, marks), "the merge failed", input);
    ChangeListFile::Changes expected = changes;
    for (const auto& [id, flag] : marks) expected[id] = flag;
    fuzzsupport::Require(ReadList() == expected, "the merge lost or changed entries", input);
    fuzzsupport::Require(fuzzsupport::ReadFile(kPath) == ChangeListFile::Format(expected),
                         "the merged file is not in its written form", input);
    return 0;
}
