#ifndef TESTS_SUPPORT_DEVICE_H
#define TESTS_SUPPORT_DEVICE_H

#include <string>
#include <vector>

// The device's files as the code under test sees them inside the private root.
namespace device {

constexpr const char* kConfig = "/config/agent.configuration";
constexpr const char* kConfigOld = "/config/agent.configuration.old";
constexpr const char* kConfigNew = "/config/agent.configuration.new";
constexpr const char* kChangeList = "/tmp/config_web_changes.lst";
constexpr const char* kPipe = "/tmp/zelcom/tol";
constexpr const char* kLog = "/tmp/log/configweb.log";
// Each call of a tool stand-in, one line "NAME ARGS" (see tests/sandbox/recording-stub).
constexpr const char* kCalls = "/stubs/calls.log";
// A technician password and a yescrypt hash of it (of a low cost, which the check follows).
constexpr const char* kPassword = "Workshop-7";
constexpr const char* kPasswordHash =
    "$y$j75$nDTNzNTieVTHLzrH7YcuP0$dc47ULUMfHQDU3JlXg6aLOdNF9W0jAaXcp0iJGi6pz5\n";

// The whole file, or "" when it can't be read.
std::string Read(const std::string& path);
// Replaces the file's content; fails the current test when it can't.
void Write(const std::string& path, const std::string& text);
bool Exists(const std::string& path);
// The value of the first line of `key` in the agent configuration file, or "<missing>".
std::string Property(const std::string& key);
std::vector<std::string> Lines(const std::string& text, char separator = '\n');
// The log's lines as "LEVEL HANDLER SOURCE MESSAGE": without time, process and line number.
std::string LogEvents();
// Expects `text` to hold `pieces` ("|"-separated) in this order; a piece "!x": no x anywhere.
void ExpectPieces(const std::string& text, const std::string& pieces);
// Every file of a complete device, and what `iw` prints for the link and the survey: written
// by tests/support/complete-device, which the benchmark's roots run too. Fails the current
// test when the script fails.
void InstallComplete();

}  // namespace device

#endif
