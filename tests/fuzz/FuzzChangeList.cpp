// The change list reader: any content reads into at most one entry per line with ";", which
// survive a rewrite; a merge keeps every entry found and writes the list in its written form.
#include "ChangeListFile.h"
#include "FuzzSupport.h"

void CheckInput(const std::string& input) {
    const char* path = "/tmp/config_web_changes.lst";
    WriteFile(path, input);
    size_t lines = 0;
    ChangeListFile::Changes changes, reread, merged;
    ChangeListFile::Read(path, changes, [&lines](int32_t, const std::string&) { ++lines; });
    Require(changes.size() <= lines, "more entries than lines with \";\"");
    WriteFile(path, ChangeListFile::Format(changes));
    Require(ChangeListFile::Read(path, reread) && reread == changes, "rewritten list differs");
    WriteFile(path, input);
    Require(ChangeListFile::Merge(path, {{INT32_MIN, 1}, {77, 1}}), "the merge failed");
    changes[INT32_MIN] = changes[77] = 1;
    Require(ChangeListFile::Read(path, merged) && merged == changes, "merge lost entries");
    Require(ReadFile(path) == ChangeListFile::Format(changes), "merged list not in written form");
}
