// deviceinformation-cost: where the time of the pages with live values goes on the device it
// runs on (bench/measure starts it in a private root holding the complete fake device): the
// store's start-up, each attribute the Device Information page reads, the state summary and
// the whole page, and each check of the Self-Test page and that whole page, in this process,
// each the median of RUNS rounds. One tab-separated line per figure on standard output:
//   PART  SOURCE  KEY  MICROSECONDS
// PART is "start-up", "live attribute" (SOURCE: the refresher that computes it), "fixed
// attribute" (SOURCE: how the store keeps it), "summary", "page", "command": the `iw` query
// alone, for comparison with the WLAN signal that runs it, "self-test check" (SOURCE: what it
// checks) or "self-test page".
//   deviceinformation-cost RUNS

#include <cgicc/Cgicc.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

#include "AgentConfiguration.h"
#include "ConfigWebLogging.h"
#include "DeviceInformationCgi.h"
#include "RequestRunner.h"
#include "SelfTestCgi.h"
#include "SelfTestChecks.h"
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

// One figure: what it is, and the work it times.
struct Item {
    const char* part;
    const char* source;
    std::string key;
    std::function<void()> work;
    std::vector<double> times = {};
};

double Median(std::vector<double> times) {
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

void AddAttributes(const ZelConfig& store, std::string& value, std::vector<Item>& items) {
    for (std::size_t g = 0; g < DeviceInformationCgi::kGroupCount; ++g) {
        const DeviceInformationCgi::Group& group = DeviceInformationCgi::kGroups[g];
        for (std::size_t r = 0; r < group.count; ++r) {
            const std::string key = group.rows[r].key;
            if (group.rows[r].shown == Shown::kMarker) continue;  // a file's path, not an attribute
            const Source source = SourceOf(store, key);
            items.push_back({source.part, source.name, key,
                             [&store, &value, key] { store.GetAttribute(key, value); }});
        }
    }
    items.push_back({"summary", "GetStateSummary", "-", [&] { store.GetStateSummary(value); }});
}

// The page as the program answers a GET, its answer collected and dropped. (cgicc alternates
// some tags per process, so only the first answer is a well-formed page; the work is the same.)
template <typename Page>
void AnswerPage() {
    std::stringbuf dropped;
    std::streambuf* const output = std::cout.rdbuf(&dropped);
    Page page;
    RequestRunner::Run([&page](cgicc::Cgicc& cgi) { page.HandleRequest(cgi); },
                       [&page] { return page.HasAnswered(); });
    std::cout.rdbuf(output);
}

void AddChecks(const AgentConfiguration& configuration, std::vector<Item>& items) {
    for (std::size_t i = 0; i < SelfTestChecks::kCheckCount; ++i) {
        const SelfTestChecks::Check& check = SelfTestChecks::kChecks[i];
        items.push_back({"self-test check", check.what, "-", [&configuration, &check] { check.run(configuration); }});
    }
    items.push_back({"self-test page", "SelfTestCgi", "-", AnswerPage<SelfTestCgi>});
}

void CaptureIw() {
    std::string printed;
    Shell::Capture(printed, kIwCommand, Shell::kMaxOutputBytes);
}

// Every figure once per round, so that a change in the machine's load falls on all alike.
void Measure(std::vector<Item>& items, int runs) {
    for (int run = 0; run < runs; ++run) {
        for (Item& item : items) {
            const Clock::time_point start = Clock::now();
            item.work();
            const std::chrono::duration<double, std::micro> took = Clock::now() - start;
            item.times.push_back(took.count());
        }
    }
}

}  // namespace

int main(int argc, char** argv) {
    const int runs = argc == 2 ? std::atoi(argv[1]) : 0;
    if (runs <= 0) {
        std::fprintf(stderr, "usage: deviceinformation-cost RUNS\n");
        return kUsage;
    }
    ConfigWebLogging logging;
    ::setenv("REQUEST_METHOD", "GET", 1);
    ::setenv("QUERY_STRING", kSessionQuery, 1);
    AgentConfiguration configuration;
    std::string value;
    std::vector<Item> items;
    items.push_back({"start-up", "AgentConfiguration", "-", [] { AgentConfiguration another; }});
    AddAttributes(configuration.Store(), value, items);
    items.push_back({"page", "DeviceInformationCgi", "-", AnswerPage<DeviceInformationCgi>});
    AddChecks(configuration, items);
    items.push_back({"command", "Shell::Capture", kIwCommand, CaptureIw});
    Measure(items, runs);
    for (const Item& item : items) {
        std::printf("%s\t%s\t%s\t%.2f\n", item.part, item.source, item.key.c_str(),
                    Median(item.times));
    }
    return 0;
}
