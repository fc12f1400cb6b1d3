#include "LogFile.h"

#include <sstream>

#include "FileText.h"

namespace logfile {

namespace {

bool EndsWith(const std::string& line, const std::string& message) {
    return line.size() >= message.size() &&
           line.compare(line.size() - message.size(), message.size(), message) == 0;
}

}  // namespace

std::vector<std::string> Lines() {
    std::vector<std::string> lines;
    std::istringstream log(filetext::Read(kPath));
    for (std::string line; std::getline(log, line);) lines.push_back(line);
    return lines;
}

size_t MessageIndex(const std::vector<std::string>& lines, const std::string& message) {
    for (size_t i = 0; i < lines.size(); ++i) {
        if (EndsWith(lines[i], message)) return i;
    }
    return std::string::npos;
}

std::string LineWithMessage(const std::string& message) {
    const std::vector<std::string> lines = Lines();
    const size_t index = MessageIndex(lines, message);
    return index == std::string::npos ? std::string() : lines[index];
}

size_t CountMessage(const std::string& message) {
    size_t count = 0;
    for (const std::string& line : Lines()) count += EndsWith(line, message) ? 1 : 0;
    return count;
}

}  // namespace logfile
