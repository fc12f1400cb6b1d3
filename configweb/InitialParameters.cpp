#include "InitialParameters.h"

#include <cgicc/Cgicc.h>

#include <cerrno>
#include <cinttypes>
#include <cstdlib>
#include <ctime>

#include "ChangeListFile.h"
#include "ConfigWebLog.h"
#include "FormElement.h"

namespace {

constexpr const char* kLogSource = "InitialParameters";
constexpr int32_t kNoSession = -1;
// A flag text longer than this is cut in the debug line (the file may hold anything).
constexpr size_t kMaxLoggedFlagText = 256;

}  // namespace

InitialParameters::InitialParameters() {
    ChangeListFile::Read(kChangeListPath, changes, [](int32_t id, const std::string& flagText) {
        std::string shown = flagText.substr(0, kMaxLoggedFlagText);
        WEB_DEBUG("sessionid %d changes %s", id, shown.c_str());
    });
}

InitialParameters::~InitialParameters() { ChangeListFile::Merge(kChangeListPath, ownMarks); }

int InitialParameters::InitSessionId(const cgicc::Cgicc& cgi) {
    sessionId = ParseSessionId(cgi);
    WEB_DEBUG("Given session id is %d", sessionId);
    if (sessionId != kNoSession) return 0;
    sessionId = CreateSessionId();
    WEB_DEBUG("New session id is %d", sessionId);
    return 0;
}

std::string InitialParameters::GetSessionIdText() const { return std::to_string(sessionId); }

int32_t InitialParameters::ParseSessionId(const cgicc::Cgicc& cgi) {
    std::string value;
    if (!FormElement::Find(cgi, kSessionIdElement, value)) return kNoSession;
    const char* text = value.c_str();
    char* end = nullptr;
    errno = 0;
    intmax_t number = std::strtoimax(text, &end, 10);
    if (errno == ERANGE || end == text) return kNoSession;
    return static_cast<int32_t>(static_cast<uint32_t>(static_cast<uintmax_t>(number)));
}

int32_t InitialParameters::CreateSessionId() {
    ::srandom(static_cast<unsigned>(static_cast<uint32_t>(std::time(nullptr))));
    return static_cast<int32_t>(::random());
}

void InitialParameters::SetChanged(int32_t flag) { SetChanged(sessionId, flag); }

void InitialParameters::SetChanged(int32_t session, int32_t flag) {
    changes[session] = flag;
    ownMarks[session] = flag;
}

int InitialParameters::IsChanged() const {
    for (const auto& entry : changes) {
        if (entry.second == 1) return 1;
    }
    return 0;
}
