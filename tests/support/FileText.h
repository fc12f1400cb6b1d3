#ifndef TESTS_SUPPORT_FILETEXT_H
#define TESTS_SUPPORT_FILETEXT_H

#include <string>

// Small file helpers for tests that run inside the private root.
namespace filetext {

// The whole file, or "" when it can't be read.
std::string Read(const std::string& path);
bool Exists(const std::string& path);
// Replaces the file's content; fails the current test when it can't.
void Write(const std::string& path, const std::string& content);
void Remove(const std::string& path);

}  // namespace filetext

#endif
