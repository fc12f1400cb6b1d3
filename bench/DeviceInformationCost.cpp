// deviceinformation-cost: where the time of the Device Information page goes on the device it
// runs on (bench/measure starts it in a private root holding the complete fake device): the
// store's start-up, each attribute the page reads, the state summary and the whole page in
// this process, each the median of RUNS. One tab-separated line per figure on standard output:
//   PART  SOURCE  KEY  MICROSECONDS
// PART is "start-up", "live attribute" (SOURCE: the refresher that computes it), "fixed
// attribute" (SOURCE: how the store keeps it), "summary", "page", or "command": the `iw`
// query alone, for comparison with the WLAN signal that runs it.
//   deviceinformation-cost RUNS

#include <cgicc/Cgicc.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

#include "AgentConfiguration.h"
#include "ConfigWebLogging.h"
#include "DeviceInformationCgi.h"
#include "RequestRunner.h"
#include "Shell.h"
#include "ZelConfig.h"

namespace {

using Clock = std::chrono::steady_clock;
using Shown = DeviceInformationCgi::Shown;

constexpr int kUsage = 2;
constexpr const char* kSessionQuery = "sessionid=1234";
// The first command of the WLAN signal query: what the device's `iw` costs of it, here
// the root's recording stand-in.
constexpr const char* kIwCommand = "iw dev wlan0 link";

struct NamedRefresher {
    Refresher* refresher;
    const char* name;
};

#define REFRESHER(name) \
    { ZelConfig::name, #name }
constexpr NamedRefresher kRefreshers[] = {
    REFRESHER(ReadSf2StatusValue),      REFRESHER(RefreshKl15Trigger),
    REFRESHER(RefreshPowerFailStatus),  REFRESHER(RefreshTemperature),
    REFRESHER(RefreshMemoryInfo),       REFRESHER(RefreshTimestamp),
    REFRESHER(RefreshVehicleLink),      REFRESHER(RefreshMostState),
    REFRESHER(RefreshInterfaceAddress), REFRESHER(RefreshDefaultGateway),
    REFRESHER(RefreshWlanQuality),
};
#undef REFRESHER

template <typename Work>
double MedianMicroseconds(int runs, const Work& work) {
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        const Clock::time_point start = Clock::now();
        work();
        times.push_back(std::chrono::duration<double, std::micro>(Clock::now() - start).count());
    }
    std::sort(times.begin(), times.end());
    const std::size_t middle = times.size() / 2;
    return times.size() % 2 == 1 ? times[middle] : (times[middle - 1] + times[middle]) / 2;
}

const char* RefresherName(Refresher* refresher) {
    for (const NamedRefresher& named : kRefreshers) {
        if (named.refresher == refresher) return named.name;
    }
    return "unnamed refresher";
}

// Where the text of an attribute comes from: the part it is counted in, and the refresher
// that computes it or how the store keeps it.
struct Source {
    const char* part;
    const char* name;
};

Source SourceOf(const ZelConfig& store, const std::string& key) {
    constexpr const char* kLive = "live attribute";
    constexpr const char* kFixed = "fixed attribute";
    Attribute record;
    if (!store.GetRecord(key, record)) return {kFixed, "not in the store"};
    switch (record.kind) {
        case Refreshed:
            return {kLive, RefresherName(record.refresher)};
        case FileLine:
            return {kLive, "first line of a file"};
        case AgentProperty:
            return {kFixed, "agent configuration property"};
        default:
            return {kFixed, "set at start-up"};
    }
}

void Print(const char* part, const char* source, const std::string& key, double microseconds) {
    std::printf("%s\t%s\t%s\t%.2f\n", part, source, key.c_str(), microseconds);
}

void TimeAttributes(int runs) {
    AgentConfiguration configuration;
    const ZelConfig& store = configuration.Store();
    std::string value;
    for (std::size_t g = 0; g < DeviceInformationCgi::kGroupCount; ++g) {
        const DeviceInformationCgi::Group& group = DeviceInformationCgi::kGroups[g];
        for (std::size_t r = 0; r < group.count; ++r) {
            const std::string key = group.rows[r].key;
            if (group.rows[r].shown == Shown::kMarker) continue;  // a file's path, not an attribute
            const Source source = SourceOf(store, key);
            Print(source.part, source.name, key,
                  MedianMicroseconds(runs, [&] { store.GetAttribute(key, value); }));
        }
    }
    Print("summary", "GetStateSummary", "-",
          MedianMicroseconds(runs, [&] { store.GetStateSummary(value); }));
}

// The page as the program answers a GET, its answer collected and dropped. (cgicc alternates
// some tags per process, so only the first answer is a well-formed page; the work is the same.)
double TimePage(int runs) {
    ::setenv("REQUEST_METHOD", "GET", 1);
    ::setenv("QUERY_STRING", kSessionQuery, 1);
    std::stringbuf dropped;
    std::streambuf* const output = std::cout.rdbuf(&dropped);
    const double microseconds = MedianMicroseconds(runs, [&dropped] {
        DeviceInformationCgi page;
        RequestRunner::Run([&page](cgicc::Cgicc& cgi) { page.HandleRequest(cgi); },
                           [&page] { return page.HasAnswered(); });
        dropped.str("");
    });
    std::cout.rdbuf(output);
    return microseconds;
}

}  // namespace

int main(int argc, char** argv) {
    const int runs = argc == 2 ? std::atoi(argv[1]) : 0;
    if (runs <= 0) {
        std::fprintf(stderr, "usage: deviceinformation-cost RUNS\n");
        return kUsage;
    }
    ConfigWebLogging logging;
    Print("start-up", "AgentConfiguration", "-",
          MedianMicroseconds(runs, [] { AgentConfiguration configuration; }));
    TimeAttributes(runs);
    Print("page", "DeviceInformationCgi", "-", TimePage(runs));
    Print("command", "Shell::Capture", kIwCommand, MedianMicroseconds(runs, [] {
              std::string printed;
              Shell::Capture(printed, kIwCommand, Shell::kMaxOutputBytes);
          }));
    return 0;
}
