#ifndef TESTS_SUPPORT_LOGFILE_H
#define TESTS_SUPPORT_LOGFILE_H

#include <string>
#include <vector>

// The program's log file inside the private root.
namespace logfile {

constexpr const char* kPath = "/tmp/log/configweb.log";

std::vector<std::string> Lines();
// Index of the first line whose message is exactly `message`, or npos.
size_t MessageIndex(const std::vector<std::string>& lines, const std::string& message);
// The first line whose message is exactly `message`, or "".
std::string LineWithMessage(const std::string& message);
// How many lines have exactly this message.
size_t CountMessage(const std::string& message);
// A line as "LEVEL HANDLER SOURCE MESSAGE": without time, process and line number.
std::string Event(const std::string& line);
// The events of every line of `text` (by default, of the log file).
std::vector<std::string> Events(const std::string& text);
std::vector<std::string> Events();

}  // namespace logfile

#endif
