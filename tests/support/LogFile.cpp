#include "LogFile.h"

#include <algorithm>
#include <sstream>

#include "FileText.h"

namespace logfile {

namespace {

bool EndsWith(const std::string& line, const std::string& message) {
    return line.size() >= message.size() &&
           line.compare(line.size() - message.size(), message.size(), message) == 0;
}

std::vector<std::string> SplitLines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream log(text);
    for (std::string line; std::getline(log, line);) lines.push_back(line);
    return lines;
}

}  // namespace

std::vector<std::string> Lines() { return SplitLines(filetext::Read(kPath)); }

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

std::string Event(const std::string& line) {
    constexpr size_t kLevelColumn = 28;
    constexpr size_t kLevelWidth = 10;
    constexpr size_t kHandlerColumn = kLevelColumn + kLevelWidth;
    if (line.size() < kHandlerColumn) return "<short line: " + line + ">";
    std::string level = line.substr(kLevelColumn, kLevelWidth);
    level.erase(level.find_last_not_of(' ') + 1);
    const size_t handlerEnd =
        std::min(line.find_first_not_of("abcdefghijklmnopqrstuvwxyz", kHandlerColumn), line.size());
    std::istringstream rest(line.substr(handlerEnd));
    std::string pid, source, number, message;
    rest >> pid >> source >> number;
    std::getline(rest >> std::ws, message);
    return level + " " + line.substr(kHandlerColumn, handlerEnd - kHandlerColumn) + " " + source +
           " " + message;
}

std::vector<std::string> Events(const std::string& text) {
    std::vector<std::string> events;
    for (const std::string& line : SplitLines(text)) events.push_back(Event(line));
    return events;
}

std::vector<std::string> Events() { return Events(filetext::Read(kPath)); }

}  // namespace logfile
