// Hostile requests end to end: the built form handler, run as the web server runs it, must
// answer each with exit status 0 and one well-formed answer, add no header and no line to
// any stored file, and store nothing unless the request is a valid submission.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "CgiAnswer.h"
#include "CgiProcess.h"
#include "FileText.h"
#include "LogFile.h"

namespace {

constexpr const char* kLive = "/config/agent.configuration";
constexpr const char* kChangeList = "/tmp/config_web_changes.lst";
constexpr const char* kPipe = "/tmp/zelcom/tol";
constexpr const char* kMultipart = "multipart/form-data; boundary=XyZ";
// Every setting is stored already, so a stored submission changes lines but adds none.
constexpr const char* kStoredFile =
    "dns.server.1=10.0.0.1\ndns.server.2=\nkald.mode=KALD-Neo\nnetwork.config.discover.mode=1\n"
    "tol.address=10.0.0.2\ntol.dealer=000042\ntol.extendedurl=/tol\ntol.outlet=7\ntol.port=5302\n";
constexpr const char* kStoredList = "5;1\n";
constexpr const char* kValidFields =
    "&outlet=8&dealer=43&toladdress=10.0.0.3&tolport=5303&dns1=10.0.0.4&dns2=&tolurl=";

std::string Valid(const std::string& session, const std::string& url = "/new") {
    return "sessionid=" + session + "&submit=Save" + kValidFields + url;
}

std::string Repeat(const std::string& text, size_t times) {
    std::string repeated;
    for (size_t i = 0; i < times; ++i) repeated += text;
    return repeated;
}

CgiProcess Post(const std::string& body) { return CgiProcess::Post(CGI_BINARY, body); }
CgiProcess Get(const std::string& query) { return CgiProcess::Get(CGI_BINARY, query); }
CgiProcess WithLength(const std::string& body, size_t length) {
    return Post(body).Env("CONTENT_LENGTH", std::to_string(length));
}
CgiProcess Multipart(const std::string& body) { return Post(body).Env("CONTENT_TYPE", kMultipart); }
CgiProcess Method(const char* method, const std::string& body) {
    CgiProcess process = Post(body);
    return method == nullptr ? process.Unset("REQUEST_METHOD")
                             : process.Env("REQUEST_METHOD", method);
}

struct HostileRequest {
    const char* name;
    CgiProcess request;
    bool stores;  // a valid submission despite its hostile parts
};

std::vector<HostileRequest> HostileRequests() {
    const std::string crlf = "%0D%0ASet-Cookie:%20a=1%0D%0A%0D%0A<b>";
    const std::string part = "--XyZ\r\nContent-Disposition: form-data; name=\"";
    return {
        {"CR LF in every field",
         Post("sessionid=9&submit=Save&outlet=7" + crlf + "&dealer=42" + crlf +
              "&toladdress=10.0.0.2" + crlf + "&tolport=1" + crlf + "&tolurl=/x" + crlf +
              "&dns1=10.0.0.1" + crlf + "&dns2=10.0.0.5" + crlf),
         false},
        {"CR LF in the session id", Post(Valid("12" + crlf)), true},
        {"raw CR LF in the body and the query",
         Get("sessionid=4\r\nLocation: http://evil/\r\n&submit=Save" + std::string(kValidFields) +
             "/a\r\nb"),
         false},
        {"NUL bytes",
         Post("sessionid=6&submit=Save&outlet=7%00&dealer=4%002&tolurl=/a%00b"
              "&toladdress=10.0.0.2%00"),
         false},
        {"raw NUL bytes",
         Post(std::string("sessionid=6&sub\0mit=Save", 24) + kValidFields +
              std::string("/a\0b", 4)),
         false},
        {"invalid percent escapes",
         Post("sessionid=%&submit=Save&outlet=%G1&dealer=%4&toladdress=%%&tolport=%ZZ&tolurl=%"
              "&dns1=%0&dns2=%"),
         false},
        {"a 1 MiB field", Post("sessionid=3&submit=Save&tolurl=" + std::string(1 << 20, 'u')),
         false},
        {"a 100 KiB field in the query",
         Get("sessionid=3&submit=Save&outlet=" + std::string(100 << 10, '7')), false},
        {"10,000 fields around a valid submission", Post(Repeat("x=&", 10000) + Valid("14")), true},
        {"10,000 fields in the query", Get("sessionid=3&" + Repeat("outlet=1&", 10000)), false},
        {"non-ASCII bytes",
         Post("sessionid=15&submit=Save&outlet=%D9%A7&dealer=42&toladdress=ex%E4mple.com"
              "&tolport=&tolurl=/%C3%A9%FF&dns1=&dns2="),
         false},
        {"non-ASCII bytes in an accepted URL", Post(Valid("16", "/%C3%A9%FF%80")), true},
        {"CONTENT_LENGTH larger than the body", WithLength(Valid("17"), 4096), false},
        {"CONTENT_LENGTH smaller than the body", WithLength(Valid("18"), 30), false},
        {"no REQUEST_METHOD", Method(nullptr, Valid("19")), false},
        {"an unknown REQUEST_METHOD", Method("BREW", Valid("20")), false},
        {"multipart without parts", Multipart("garbage\r\n\r\n--XyZ"), false},
        {"multipart with unterminated headers", Multipart(part + "sessionid\"\r\nX: 1\r\n--XyZ--"),
         false},
        {"multipart without a boundary",
         Post("--XyZ\r\n\r\n").Env("CONTENT_TYPE", "multipart/form-data"), false},
        {"multipart with a nameless part",
         Multipart("--XyZ\r\nContent-Disposition: form-data\r\n\r\nv\r\n--XyZ--\r\n"), false},
        {"a session id of 4096 digits",
         Post("sessionid=" + std::string(4096, '9') + "&removeno=No"), false},
    };
}

void ResetDevice() {
    filetext::Write(kLive, kStoredFile);
    filetext::Remove(std::string(kLive) + ".old");
    filetext::Write(kChangeList, kStoredList);
    filetext::Write(kPipe, "");
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    for (size_t start = 0; start < text.size();) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        lines.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return lines;
}

std::vector<std::string> Keys(const std::string& file) {
    std::vector<std::string> keys;
    for (const std::string& line : Lines(file)) keys.push_back(line.substr(0, line.find('=')));
    return keys;
}

void ExpectStoredFilesFor(const HostileRequest& c, const cgianswer::Shape& answer) {
    const std::string stored = filetext::Read(kLive);
    const std::string list = filetext::Read(kChangeList);
    EXPECT_FALSE(filetext::Exists(std::string(kLive) + ".new")) << c.name;
    if (!c.stores) {
        EXPECT_EQ(stored, kStoredFile) << c.name;
        EXPECT_EQ(list, kStoredList) << c.name;
        return;
    }
    EXPECT_TRUE(cgianswer::IsPlainRedirect(answer.location)) << c.name << ": " << answer.location;
    EXPECT_NE(stored, kStoredFile) << c.name;
    EXPECT_EQ(Keys(stored), Keys(kStoredFile)) << c.name << ":\n" << stored;
    const std::string session = answer.location.substr(answer.location.find('=') + 1);
    EXPECT_EQ(Lines(list).size(), 2u) << c.name << ":\n" << list;
    EXPECT_NE(list.find("\n" + session + ";1\n"), std::string::npos) << c.name << ":\n" << list;
}

// Every log line begins with its date, and no logged text broke a line.
void ExpectLogLinesWhole() {
    for (const std::string& line : logfile::Lines()) {
        ASSERT_TRUE(!line.empty() && isdigit(static_cast<unsigned char>(line[0]))) << line;
        for (char c : line) {
            const unsigned char byte = static_cast<unsigned char>(c);
            ASSERT_TRUE(byte >= 0x20 || c == '\t') << line;
        }
    }
}

TEST(HostileRequestTest, EachIsAnsweredOnceAndStoresOnlyAValidSubmission) {
    for (const HostileRequest& c : HostileRequests()) {
        ResetDevice();
        const CgiResult result = c.request.Run();
        EXPECT_EQ(result.exitStatus, 0) << c.name;
        const cgianswer::Shape answer = cgianswer::Inspect(result.output);
        EXPECT_TRUE(answer.wellFormed) << c.name << ": " << answer.problem << "\n"
                                       << result.output.substr(0, 300);
        ExpectStoredFilesFor(c, answer);
        EXPECT_EQ(filetext::Read(kPipe), c.stores ? "\x01" : "") << c.name;
    }
    ExpectLogLinesWhole();
}

}  // namespace
