// configweb: every program of the configuration interface in one executable. It answers as
// the program it is started as, the name it is called by ("tolsettings.cgi", a link to
// it) or else its first argument; "configweb --install DIR" makes the links in DIR,
// "configweb --list" names the programs. Each program is let through the access gate by its
// kind before it runs.

#include <limits.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <string>
#include <vector>

#include "AccessGate.h"
#include "ConfigPages.h"
#include "ConfigWebLogging.h"
#include "DeviceConfigurationCgi.h"
#include "DeviceInformationCgi.h"
#include "LanSettingsCgi.h"
#include "RequestRunner.h"
#include "SelfTestCgi.h"
#include "SetTolSettingsCgi.h"
#include "SettingsHandler.h"
#include "SettingsPage.h"
#include "SignInCgi.h"
#include "WlanSettingsCgi.h"
#include "ZelConfigTool.h"

namespace {

constexpr const char* kSelf = "configweb";
constexpr const char* kInstall = "--install";
constexpr const char* kList = "--list";
constexpr int kUnknownProgram = 127;

using Arguments = std::vector<std::string>;

int RunPage(const SettingsForm& form) {
    ConfigWebLogging logging;
    SettingsPage page(form);
    RequestRunner::Run([&page](cgicc::Cgicc& cgi) { page.HandleRequest(cgi); },
                       [&page] { return page.HasAnswered(); });
    return 0;
}

int RunHandler(const SettingsForm& form) {
    ConfigWebLogging logging;
    SettingsHandler handler(form);
    RequestRunner::Run([&handler](cgicc::Cgicc& cgi) { handler.HandleRequest(cgi); },
                       [&handler] { return handler.WriteFallbackAnswer(); });
    return 0;
}

// A page that is a class of its own: the read-only pages and the sign-in page.
template <typename Page>
int RunOwnPage(const Arguments&) {
    ConfigWebLogging logging;
    Page page;
    RequestRunner::Run([&page](cgicc::Cgicc& cgi) { page.HandleRequest(cgi); },
                       [&page] { return page.HasAnswered(); });
    return 0;
}

int RunZelConfig(const Arguments& arguments) {
    ConfigWebLogging logging;
    ZelConfigTool tool(std::cout, std::cerr);
    const int status = tool.Run(arguments);
    std::cout.flush();
    return std::cout.fail() && status == ZelConfigTool::kSuccess ? ZelConfigTool::kFailure : status;
}

using Kind = AccessGate::Kind;

// A program: a page of the table of pages or its handler, or one of its own name; its kind
// decides what the access gate asks of a request to it.
struct Program {
    ConfigPages::Id page;  // ConfigPages::kCount: not a page's
    Kind kind;
    int (*run)(const Arguments& arguments);
    const char* name;
};

constexpr ConfigPages::Id kNoPage = ConfigPages::kCount;

// clang-format off
constexpr Program kPrograms[] = {
    {ConfigPages::kDeviceInformation, Kind::kPage, RunOwnPage<DeviceInformationCgi>, nullptr},
    {ConfigPages::kDeviceConfiguration, Kind::kPage, [](const Arguments&) { return RunPage(DeviceConfigurationCgi::kForm); }, nullptr},
    {ConfigPages::kDeviceConfiguration, Kind::kHandler, [](const Arguments&) { return RunHandler(DeviceConfigurationCgi::kForm); }, nullptr},
    {ConfigPages::kLanSettings, Kind::kPage, [](const Arguments&) { return RunPage(LanSettingsCgi::kForm); }, nullptr},
    {ConfigPages::kLanSettings, Kind::kHandler, [](const Arguments&) { return RunHandler(LanSettingsCgi::kForm); }, nullptr},
    {ConfigPages::kWlanSettings, Kind::kPage, [](const Arguments&) { return RunPage(WlanSettingsCgi::kForm); }, nullptr},
    {ConfigPages::kWlanSettings, Kind::kHandler, [](const Arguments&) { return RunHandler(WlanSettingsCgi::kForm); }, nullptr},
    {ConfigPages::kSelfTest, Kind::kPage, RunOwnPage<SelfTestCgi>, nullptr},
    {ConfigPages::kTolSettings, Kind::kPage, [](const Arguments&) { return RunPage(SetTolSettingsCgi::kForm); }, nullptr},
    {ConfigPages::kTolSettings, Kind::kHandler, [](const Arguments&) { return RunHandler(SetTolSettingsCgi::kForm); }, nullptr},
    {kNoPage, Kind::kSignIn, RunOwnPage<SignInCgi>, SignInCgi::kProgram},
    {kNoPage, Kind::kTool, RunZelConfig, "zelconfig"},
};
// clang-format on

const char* Name(const Program& program) {
    if (program.page == kNoPage) return program.name;
    const ConfigPages::Page& page = ConfigPages::kPages[program.page];
    return ConfigPages::ProgramName(program.kind == Kind::kHandler ? page.handler : page.address);
}

// A program the gate refuses is answered by the gate; none of its own code runs.
int Run(const Program& program, const Arguments& arguments) {
    if (AccessGate::Admits(program.kind)) return program.run(arguments);
    AccessGate::Refuse(program.kind, Name(program));
    return 0;
}

const char* BaseName(const char* path) {
    const char* slash = std::strrchr(path, '/');
    return slash != nullptr ? slash + 1 : path;
}

// The absolute path of this executable: the path it was started by, or the kernel's.
std::string SelfPath(const char* startedAs) {
    char path[PATH_MAX];
    if (std::strchr(startedAs, '/') != nullptr && ::realpath(startedAs, path) != nullptr)
        return path;
    const ssize_t length = ::readlink("/proc/self/exe", path, sizeof path - 1);
    return std::string(path, length > 0 ? static_cast<size_t>(length) : 0);
}

// Links every program's name in `folder` to this executable.
int Install(const std::string& self, const std::string& folder) {
    int status = self.empty() ? 1 : 0;
    for (const Program& program : kPrograms) {
        const std::string link = folder + "/" + Name(program);
        ::unlink(link.c_str());
        if (status == 0 && ::symlink(self.c_str(), link.c_str()) != 0) {
            std::perror(link.c_str());
            status = 1;
        }
    }
    return status;
}

int List() {
    for (const Program& program : kPrograms) std::cout << Name(program) << "\n";
    return std::cout.flush() ? 0 : 1;
}

int Unknown(const char* name) {
    std::cerr << kSelf << ": no program named '" << name << "'; the programs are:";
    for (const Program& program : kPrograms) std::cerr << " " << Name(program);
    std::cerr << "\n"
              << kSelf << " " << kInstall << " DIR links them all in DIR, " << kList
              << " lists them\n";
    return kUnknownProgram;
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<const char*> words(argv, argv + argc);
    if (!words.empty() && std::strcmp(BaseName(words[0]), kSelf) == 0) words.erase(words.begin());
    if (words.size() == 2 && std::strcmp(words[0], kInstall) == 0)
        return Install(SelfPath(argv[0]), words[1]);
    if (words.size() == 1 && std::strcmp(words[0], kList) == 0) return List();
    const char* name = words.empty() ? "" : BaseName(words[0]);
    for (const Program& program : kPrograms) {
        if (std::strcmp(name, Name(program)) != 0) continue;
        return Run(program, Arguments(words.begin() + 1, words.end()));
    }
    return Unknown(name);
}
