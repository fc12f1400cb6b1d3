// Helpers of the fuzz targets, which run inside a private root (tests/sandbox/sandbox-run).
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "AttributeKeys.h"
#include "ZelConfig.h"  // the store most targets read through

// Each target (one source file) defines CheckInput; the entry point hands it every input.
void CheckInput(const std::string& input);

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    CheckInput(std::string(reinterpret_cast<const char*>(data), size));
    return 0;
}

const std::string kSpace = " \t\n\v\f\r";

// A finding: ends the run (libFuzzer keeps the input) when `condition` is false.
inline void Require(bool condition, const char* what) {
    if (condition) return;
    std::fprintf(stderr, "FINDING: %s\n", what);
    std::abort();
}

inline void WriteFile(const std::string& path, const std::string& content) {
    Require(static_cast<bool>(std::ofstream(path, std::ios::binary) << content), "cannot write");
}

inline std::string ReadFile(const std::string& path) {  // "" when it can't be read
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The device's split of its line files ("%N[^\n]\n" repeated): pieces of up to `length` bytes
// to a line feed, cut at a NUL; the white space after each, and an empty first line, skipped.
inline std::vector<std::string> Pieces(const std::string& text, size_t length) {
    std::vector<std::string> pieces;
    size_t pos = text.rfind('\n', 0) == 0 ? text.find_first_not_of(kSpace) : 0;
    for (size_t end; pos < text.size(); pos = text.find_first_not_of(kSpace, end)) {
        end = std::min(text.find('\n', pos), pos + length);
        pieces.push_back(text.substr(pos, end - pos).c_str());
    }
    return pieces;
}
