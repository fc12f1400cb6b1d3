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

}  // namespace logfile

#endif
