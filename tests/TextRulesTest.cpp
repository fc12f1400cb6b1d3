// Rules on texts that the end-to-end rows can't isolate: the device C library's number
// conversions, the session id, the address syntax of the form fields and where a request
// comes from.

#include <arpa/inet.h>
#include <cgicc/Cgicc.h>
#include <gtest/gtest.h>

#include <functional>
#include <map>

#include "CNumber.h"
#include "InitialParameters.h"
#include "NetDev.h"
#include "Program.h"
#include "RequestOrigin.h"
#include "ZelConfig.h"

namespace {

std::string Scanned(const std::string& text, unsigned base) {
    const CNumber::Scanned s = CNumber::ScanInteger(text.data(), text.size(), base);
    return (s.matched ? "" : "no ") + std::to_string(s.value) + " " + std::to_string(s.consumed);
}

// `texts` and every text made by appending `separator` and a piece to one made before, up to
// `rounds` times.
std::vector<std::string> Grow(std::vector<std::string> texts, const std::vector<std::string>& pieces,
                              const std::string& separator, size_t rounds) {
    for (size_t begin = 0; rounds-- > 0;) {
        for (size_t end = texts.size(); begin < end; ++begin) {
            for (const std::string& piece : pieces) texts.push_back(texts[begin] + separator + piece);
        }
    }
    return texts;
}

const char* OrNull(const std::string& text) { return text == "-" ? nullptr : text.c_str(); }

// "FETCH_SITE ORIGIN HOST", "-" for a missing header.
std::string Origin(const std::string& headers) {
    const size_t a = headers.find(' '), b = headers.rfind(' ');
    return RequestOrigin::IsCrossSite(OrNull(headers.substr(0, a)), OrNull(headers.substr(a + 1, b - a - 1)),
                                      OrNull(headers.substr(b + 1))) ? "cross" : "same";
}

const std::map<std::string, std::function<std::string(const std::string&)>> kRules = {
    {"atoi", [](const std::string& t) { return std::to_string(CNumber::Atoi(t)); }},
    {"atoi3", [](const std::string& t) { return std::to_string(CNumber::Atoi(t.data(), 3)); }},
    {"strtol10", [](const std::string& t) { return std::to_string(CNumber::Strtol(t, 10)); }},
    {"strtol16", [](const std::string& t) { return std::to_string(CNumber::Strtol(t, 16)); }},
    {"scan0", [](const std::string& t) { return Scanned(t, 0); }},
    {"decimal<=10", [](const std::string& t) {
         uint64_t value = 77;
         const std::string verdict = CNumber::ParseDecimal(t, 10, value) ? "" : "no ";
         return verdict + std::to_string(value);
     }},
    {"session", [](const std::string& t) {
         Query input(t);
         return std::to_string(InitialParameters::ParseSessionId(cgicc::Cgicc(&input)));
     }},
    {"host", [](const std::string& t) {
         std::string address = "stale";
         ZelConfig::HostNumberToAddress(t, address);
         return address;
     }},
    {"origin", Origin},
    {"ip", [](const std::string& t) { return NetDev::IsValidIp(t) ? "ok" : "no"; }},
    {"name", [](const std::string& t) { return NetDev::IsValidHostName(t) ? "ok" : "no"; }},
};

TEST(TextRulesTest, ConversionsAndChecksGiveTheDeviceResults) {
    const std::string label(63, 'a'), longest = label + "." + label + "." + label + "." + std::string(61, 'b');
    // clang-format off
    const std::tuple<const char*, std::string, const char*> cases[] = {
        {"atoi", "  \t\n\v\f\r42", "42"}, {"atoi", "+8", "8"}, {"atoi", "12abc", "12"}, {"atoi", "- 3", "0"},
        {"atoi", "2147483648", "-2147483648"}, {"atoi", "99999999999999999999", "1661992959"}, {"atoi", "\xa0" "7", "0"},
        {"atoi3", "123456", "123"}, {"strtol16", "0x1F", "31"}, {"strtol16", "  -10", "-16"}, {"strtol16", "10zz", "16"},
        {"strtol16", "0xg", "0"}, {"strtol16", "ffffffff", "2147483647"}, {"strtol16", "-ffffffff", "-2147483648"},
        {"strtol10", "2147483648", "2147483647"}, {"strtol10", "-2147483649", "-2147483648"}, {"strtol10", "0x10", "0"},
        {"scan0", "0011", "9 4"}, {"scan0", "0009", "0 3"}, {"scan0", "0x1A", "26 4"}, {"scan0", "-1", "18446744073709551615 2"},
        {"scan0", "Flags", "no 0 0"}, {"scan0", "-x", "no 0 1"}, {"scan0", "0xg", "no 0 2"},
        {"scan0", "-99999999999999999999999", "18446744073709551615 24"}, {"decimal<=10", "10", "10"},
        {"decimal<=10", "11", "no 77"}, {"decimal<=10", "", "no 77"}, {"decimal<=10", "+1", "no 77"}, {"decimal<=10", "1a", "no 77"},
        {"decimal<=10", "99999999999999999999999", "no 77"}, {"session", "sessionid=%2B3", "3"}, {"session", "sessionid=%09%0A7", "7"},
        {"session", "sessionid=4294967295", "-1"}, {"session", "sessionid=2147483648", "-2147483648"},
        {"session", "sessionid=-9223372036854775808", "0"}, {"session", "sessionid=99999999999999999999", "-1"},
        {"session", "sessionid=%00", "-1"}, {"session", "sessionid=12abc", "12"}, {"host", "  +3232235777x", "192.168.1.1"},
        {"host", "-1", "255.255.255.255"}, {"host", "4294967297", "0.0.0.1"}, {"host", "host", "0.0.0.0"},
        {"origin", "- - -", "same"}, {"origin", "same-origin http://192.0.2.10 192.0.2.10", "same"},
        {"origin", "same-site - device", "same"}, {"origin", "- http://Device:8080 device:8080", "same"},
        {"origin", "- HTTPS://device device", "same"}, {"origin", "cross-site http://device device", "cross"},
        {"origin", "- http://device:8081 device:8080", "cross"}, {"origin", "- http://device.attacker.example device", "cross"},
        {"origin", "- http://devic device", "cross"}, {"origin", "- null device", "cross"}, {"origin", "- ftp://device device", "cross"},
        {"origin", "- http:// ", "cross"}, {"origin", "- http://device -", "cross"}, {"origin", "- device device", "cross"},
        {"name", "dealer-1.example.com", "ok"}, {"name", "A9.b-c.D", "ok"}, {"name", longest, "ok"}, {"name", "", "no"},
        {"name", label + "a", "no"}, {"name", longest + "b", "no"}, {"name", "-a", "no"}, {"name", "a.b-.c", "no"}, {"name", "a_b", "no"},
        {"name", "a.", "no"}, {"name", "a..b", "no"}, {"name", "a\xc3\xa4", "no"}, {"name", std::string("a\0b", 3), "no"},
        {"ip", "4294967295", "ok"}, {"ip", "1.16777215", "ok"}, {"ip", "0377.0.0.1", "ok"}, {"ip", "0XfF.1", "ok"},
        {"ip", "001.002.003.004", "ok"}, {"ip", "4294967296", "ok"}, {"ip", "0x123456789ab", "ok"}, {"ip", "0001.002.003.004", "no"},
        {"ip", "1.99999999999", "no"}, {"ip", std::string("1\0", 2), "no"}, {"ip", "1.\xb2", "no"}, {"ip", "1.2.3.4.", "no"},
    };
    // clang-format on
    for (const auto& [rule, text, result] : cases) EXPECT_EQ(kRules.at(rule)(text), result) << rule << " '" << text << "'";
}

// Where the host's inet_aton is as strict (no blank, 15 bytes at most, no part reaching
// 32 bits) the device's address check agrees with it: on short texts of the syntax's
// characters, and on dotted parts near the byte limits.
TEST(TextRulesTest, AddressesFollowTheDeviceInetAton) {
    std::vector<std::string> texts = Grow({""}, {"0", "1", "8", "f", "x", ".", " "}, "", 5);
    const std::vector<std::string> parts = {"0", "255", "256", "0xff", "0x100", "0377", "0400", "65535", "65536", "08", "0x", " "};
    for (const std::string& text : Grow(parts, parts, ".", 3)) texts.push_back(text);
    for (const std::string& text : texts) {
        in_addr address{};
        const bool host = inet_aton(text.c_str(), &address) != 0 && text.size() <= 15 && text.find(' ') == std::string::npos;
        EXPECT_EQ(NetDev::IsValidIp(text), host) << '"' << text << '"';
    }
}

}  // namespace
