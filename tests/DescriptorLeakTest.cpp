// A long run of the library in one process, in the private root: accessors, saves, whole
// requests of the handler and reads of the live attributes leave no descriptor open.

#include <cgicc/Cgicc.h>
#include <dirent.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <iostream>
#include <sstream>
#include <string>

#include "AgentConfiguration.h"
#include "AttributeKeys.h"
#include "ConfigWebLogging.h"
#include "FakeCgiInput.h"
#include "FileText.h"
#include "SetTolSettingsCgi.h"
#include "ZelConfig.h"

namespace {

constexpr int kAccessors = 10000;
constexpr int kSaveEvery = 10;
constexpr int kRequestEvery = 20;
constexpr int kAttributeReadEvery = 100;

size_t OpenDescriptors() {
    DIR* folder = ::opendir("/proc/self/fd");
    if (folder == nullptr) return 0;
    size_t count = 0;
    while (::readdir(folder) != nullptr) ++count;
    ::closedir(folder);
    return count;
}

// Every branch of the handler in turn, its answer written into `answers`.
void RunRequest(int i, std::ostringstream& answers) {
    static const char* const kQueries[] = {
        "submit=Save&outlet=7&dealer=42&toladdress=10.0.0.2&tolport=5302&tolurl=/tol&dns1=&dns2=",
        "submit=Save&outlet=123&dealer=x&toladdress=&tolport=&tolurl=&dns1=&dns2=",
        "remove=Remove",
        "removeyes=Yes",
        "removeno=No",
        "revert=Clear",
    };
    const size_t kinds = sizeof kQueries / sizeof kQueries[0];
    FakeCgiInput input =
        FakeCgiInput::Get("sessionid=" + std::to_string(i) + "&" +
                          kQueries[static_cast<size_t>(i / kRequestEvery) % kinds]);
    cgicc::Cgicc cgi(&input);
    std::streambuf* out = std::cout.rdbuf(answers.rdbuf());
    SetTolSettingsCgi application;
    application.HandleRequest(cgi);
    std::cout.rdbuf(out);
    answers.str("");
}

void ReadLiveAttributes() {
    static const char* const kKeys[] = {
        attributekey::kVoltageKl15, attributekey::kTemperature,    attributekey::kWolkVin,
        attributekey::kMostPresent, attributekey::kMostLightOn,    attributekey::kLanIp,
        attributekey::kWlanNetmask, attributekey::kDefaultGateway, attributekey::kWlanQuality,
        attributekey::kFreeRam,     attributekey::kTimestamp,
    };
    ZelConfig store;
    std::string value;
    for (const char* key : kKeys) store.GetAttribute(key, value);
}

TEST(DescriptorLeakTest, TenThousandAccessorsWithSavesAndRequestsLeaveNoDescriptorOpen) {
    filetext::Write("/config/agent.configuration", "kald.mode=KALD-Neo\n");
    ASSERT_EQ(::mkfifo("/tmp/zelcom/tol", 0600), 0);  // every stored submission signals it
    ConfigWebLogging logging;                         // the log rolls several times during the run
    std::ostringstream answers;
    RunRequest(0, answers);  // the log file is open from here on
    const size_t before = OpenDescriptors();
    ASSERT_GT(before, 0u);
    for (int i = 1; i <= kAccessors; ++i) {
        AgentConfiguration configuration;
        configuration.Get("tol.port");
        if (i % kSaveEvery == 0) {
            ASSERT_TRUE(configuration.Set("long.run", std::to_string(i)));
        }
        if (i % kRequestEvery == 0) RunRequest(i, answers);
        if (i % kAttributeReadEvery == 0) ReadLiveAttributes();
    }
    EXPECT_EQ(OpenDescriptors(), before);
    EXPECT_TRUE(filetext::Exists("/tmp/log/configweb.log.1")) << "the log never rolled";
}

}  // namespace
