#ifndef TESTS_FUZZ_FUZZSUPPORT_H
#define TESTS_FUZZ_FUZZSUPPORT_H

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// Helpers of the fuzz targets. They run inside the private root (tests/sandbox/sandbox-run),
// so the files they write are that root's.
namespace fuzzsupport {

// Ends the run as a finding (abort) with `what` and the offending text when `condition`
// is false.
void Require(bool condition, const char* what, const std::string& detail = std::string());

std::string Text(const uint8_t* data, size_t size);
// Replaces the file's content; ends the run when it can't.
void WriteFile(const std::string& path, const std::string& content);
// The whole file, or "" when it can't be read.
std::string ReadFile(const std::string& path);
bool Exists(const std::string& path);

// An independent model of how the device splits its line-oriented files
// ("%N[^\n]\n" repeated): pieces of at most `pieceLength` bytes up to a line feed, the
// white space after each piece skipped; an empty first line is skipped too. Each piece is
// cut at its first NUL byte, as the C string the device works with would be.
std::vector<std::string> ScanPieces(const std::string& text, size_t pieceLength);

}  // namespace fuzzsupport

#endif
