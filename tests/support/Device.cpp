#include "Device.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <sstream>

namespace device {

std::string Read(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void Write(const std::string& path, const std::string& text) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << text;
    out.close();
    ASSERT_TRUE(out) << "cannot write " << path;
}

bool Exists(const std::string& path) {
    return ::access(path.c_str(), F_OK) == 0;
}

std::string Property(const std::string& key) {
    for (const std::string& line : Lines(Read(kConfig))) {
        if (line.compare(0, key.size() + 1, key + "=") == 0) return line.substr(key.size() + 1);
    }
    return "<missing>";
}

std::vector<std::string> Lines(const std::string& text, char separator) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line, separator);) lines.push_back(line);
    return lines;
}

// "DATE TIME  LEVEL     HANDLER        PID   SOURCE  LINE  MESSAGE": the level at column 28,
// the handler at 38 (a long name runs into the process id).
std::string LogEvents() {
    std::string events;
    for (const std::string& line : Lines(Read(kLog))) {
        const size_t handlerEnd = std::min(line.find_first_not_of("abcdefghijklmnopqrstuvwxyz", 38), line.size());
        std::istringstream fields(line.size() < 38 ? "" : line.substr(28, 10) + line.substr(handlerEnd));
        std::string level, pid, source, number, message;
        fields >> level >> pid >> source;
        // A source name of the field's width or longer runs into the line number.
        const size_t digits = source.find_last_not_of("0123456789") + 1;
        if (digits == source.size()) fields >> number;
        source.resize(digits);
        std::getline(fields >> std::ws, message);
        const std::string handler = line.substr(std::min<size_t>(38, line.size()), handlerEnd - 38);
        events += level + " " + handler + " " + source + " " + message + "\n";
    }
    return events;
}

void ExpectPieces(const std::string& text, const std::string& pieces) {
    size_t at = 0;
    for (const std::string& piece : Lines(pieces, '|')) {
        const bool absent = piece[0] == '!';
        const size_t found = text.find(piece.substr(absent ? 1 : 0), absent ? 0 : at);
        EXPECT_EQ(found == std::string::npos, absent) << piece << "\nin " << text;
        at = absent || found == std::string::npos ? at : found + piece.size();
    }
}

void InstallComplete() {
    ASSERT_EQ(std::system(COMPLETE_DEVICE), 0) << COMPLETE_DEVICE;
}

}  // namespace device
