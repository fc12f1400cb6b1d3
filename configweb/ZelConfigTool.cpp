#include "ZelConfigTool.h"

#include <cstdint>
#include <cstdio>

#include "AgentConfiguration.h"
#include "ConfigWebLog.h"
#include "PasswordFile.h"
#include "SessionStore.h"
#include "WpaConf.h"
#include "ZelConfig.h"

namespace {

constexpr const char* kLogSource = "ZelConfigTool";

constexpr size_t kMessageSize = 512;

std::string Format(const char* format, const std::string& argument) {
    char text[kMessageSize];
    std::snprintf(text, sizeof text, format, argument.c_str());
    return text;
}

bool IsHelp(const std::string& word) { return word == "--help" || word == "-h" || word == "help"; }

}  // namespace

const ZelConfigTool::Command ZelConfigTool::kCommands[] = {
    {"get", "get KEY...", 1, SIZE_MAX, &ZelConfigTool::Get},
    {"show", "show", 0, 0, &ZelConfigTool::Show},
    {"set", "set KEY VALUE", 2, 2, &ZelConfigTool::Set},
    {"summary", "summary", 0, 0, &ZelConfigTool::Summary},
    {"color-code", "color-code NAME", 1, 1, &ZelConfigTool::ColorCode},
    {"color-name", "color-name CODE", 1, 1, &ZelConfigTool::ColorName},
    {"wpa", "wpa PATH", 1, 1, &ZelConfigTool::Wpa},
    {"passwd", "passwd", 0, 0, &ZelConfigTool::Passwd},
};

ZelConfigTool::ZelConfigTool(std::ostream& out, std::ostream& err, std::istream& in)
    : out(out), err(err), in(in) {}

ZelConfigTool::~ZelConfigTool() = default;

int ZelConfigTool::Run(const Arguments& arguments) {
    if (arguments.empty()) return UsageError(kMissingCommand);
    const std::string& name = arguments.front();
    if (IsHelp(name)) {
        out << kManual;
        return kSuccess;
    }
    for (const Command& command : kCommands) {
        if (name != command.name) continue;
        const Arguments rest(arguments.begin() + 1, arguments.end());
        if (rest.size() < command.minArguments || rest.size() > command.maxArguments) {
            return UsageError(Format(kWrongArguments, command.synopsis));
        }
        WEB_DEBUG(kRunMessage, command.name);
        return (this->*command.run)(rest);
    }
    return UsageError(Format(kUnknownCommand, name));
}

int ZelConfigTool::Get(const Arguments& keys) {
    ZelConfig store;
    int status = kSuccess;
    for (const std::string& key : keys) {
        std::string value;
        const bool read = store.GetAttribute(key, value);
        out << value << '\n';
        if (!read) status = Failure(Format(kCantRead, key));
    }
    return status;
}

int ZelConfigTool::Show(const Arguments&) {
    ZelConfig store;
    for (const std::string& key : store.Keys()) {
        std::string value;
        store.GetAttribute(key, value);
        out << key << '=' << value << '\n';
    }
    return kSuccess;
}

int ZelConfigTool::Set(const Arguments& keyAndValue) {
    const std::string& key = keyAndValue[0];
    const std::string& value = keyAndValue[1];
    // Every reader trims a value: blanks at its ends would be reported stored and then lost.
    const auto blank = [](char c) { return c == ' ' || c == '\t'; };
    if (!value.empty() && (blank(value.front()) || blank(value.back())))
        return Failure(Format(kBlankEnds, key));
    AgentConfiguration configuration;
    if (!configuration.Set(key, value)) return Failure(Format(kCantSet, key));
    WEB_INFO(kPropertySet, key.c_str());
    return kSuccess;
}

int ZelConfigTool::Summary(const Arguments&) {
    ZelConfig store;
    std::string summary;
    store.GetStateSummary(summary);
    out << summary << '\n';
    return kSuccess;
}

// A name is never a code, so an unchanged text was not in the table.
int ZelConfigTool::ColorCode(const Arguments& name) {
    std::string text = name[0];
    ZelConfig::ColorNameToCode(text);
    if (text == name[0]) return Failure(Format(kUnknownColorName, name[0]));
    out << text << '\n';
    return kSuccess;
}

int ZelConfigTool::ColorName(const Arguments& code) {
    std::string text = code[0];
    ZelConfig::ColorCodeToName(text);
    if (text == code[0]) return Failure(Format(kUnknownColorCode, code[0]));
    out << text << '\n';
    return kSuccess;
}

int ZelConfigTool::Wpa(const Arguments& path) {
    WpaConf writer;
    if (writer.CreateWpaConf(path[0]) != 0) return Failure(Format(kCantWriteWpa, path[0]));
    return kSuccess;
}

// Never from the command line, where every process could read it.
int ZelConfigTool::Passwd(const Arguments&) {
    // The first line, read one byte beyond the longest password: enough to tell it is too long.
    std::string password;
    for (char c; password.size() <= PasswordFile::kMaxLength && in.get(c) && c != '\n';)
        password += c;
    if (!PasswordFile::IsAcceptable(password)) return Failure(kPasswordRefused);
    if (!PasswordFile::Store(password))
        return Failure(Format(kCantStorePassword, PasswordFile::kPath));
    if (!SessionStore::EndAll()) return Failure(Format(kSessionsLeft, SessionStore::kFolder));
    WEB_INFO("%s", kPasswordSet);
    return kSuccess;
}

int ZelConfigTool::UsageError(const std::string& message) {
    err << kMessagePrefix << message << '\n' << kUsageHint << '\n';
    return kUsageError;
}

int ZelConfigTool::Failure(const std::string& message) {
    err << kMessagePrefix << message << '\n';
    WEB_ERROR("%s", message.c_str());
    return kFailure;
}
