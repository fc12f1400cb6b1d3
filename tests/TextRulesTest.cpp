// Rules on texts that the end-to-end rows can't isolate: the device C library's number
// conversions, the session id, the address syntax of the form fields and where a request
// comes from.

#include <arpa/inet.h>
#include <cgicc/Cgicc.h>
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <map>

#include "CNumber.h"
#include "Program.h"
#include "InitialParameters.h"
#include "NetDev.h"
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
    const std::string site = headers.substr(0, a), origin = headers.substr(a + 1, b - a - 1);
    const bool cross =
        RequestOrigin::IsCrossSite(OrNull(site), OrNull(origin), OrNull(headers.substr(b + 1)));
    return cross ? "cross" : "same";
}

const std::map<std::string, std::function<std::string(const std::string&)>> kRules = {
    {"atoi", [](const std::string& t) { return std::to_string(CNumber::Atoi(t)); }},
    {"atoi3", [](const std::string& t) { return std::to_string(CNumber::Atoi(t.data(), 3)); }},
    {"strtol10", [](const std::string& t) { return std::to_string(CNumber::Strtol(t, 10)); }},
    {"strtol16", [](const std::string& t) { return std::to_string(CNumber::Strtol(t, 16)); }},
    {"scan0", [](const std::string& t) { return Scanned(t, 0); }},
    {"scan16", [](const std::string& t) { return Scanned(t, 16); }},
    {"decimal<=10",
     [](const std::string& t) {
         uint64_t value = 77;
         const std::string verdict = CNumber::ParseDecimal(t, 10, value) ? "" : "no ";
         return verdict + std::to_string(value);
     }},
    {"session",
     [](const std::string& t) {
         Query input(t);
         return std::to_string(InitialParameters::ParseSessionId(cgicc::Cgicc(&input)));
     }},
    {"host",
     [](const std::string& t) {
         std::string address = "stale";
         ZelConfig::HostNumberToAddress(t, address);
         return address;
     }},
    {"origin", Origin},
};

struct Case {
    const char* rule;
    std::string text;
    const char* result;
};

TEST(TextRulesTest, ConversionsGiveTheDeviceResults) {
    // clang-format off
    const Case cases[] = {
        {"atoi", "  \t\n\v\f\r42", "42"}, {"atoi", "-17", "-17"}, {"atoi", "+8", "8"}, {"atoi", "12abc", "12"}, {"atoi", "x1", "0"},
        {"atoi", "- 3", "0"}, {"atoi", "2147483648", "-2147483648"}, {"atoi", "4294967301", "5"},
        {"atoi", "99999999999999999999", "1661992959"}, {"atoi", "\xa0" "7", "0"}, {"atoi", std::string("4\0" "5", 3), "4"},
        {"atoi3", "123456", "123"}, {"strtol16", "0x1F", "31"}, {"strtol16", "  -10", "-16"}, {"strtol16", "10zz", "16"},
        {"strtol16", "0x", "0"}, {"strtol16", "0xg", "0"}, {"strtol16", "7fffffff", "2147483647"},
        {"strtol16", "ffffffff", "2147483647"}, {"strtol16", "-80000000", "-2147483648"}, {"strtol16", "-ffffffff", "-2147483648"},
        {"strtol10", "2147483648", "2147483647"}, {"strtol10", "-2147483649", "-2147483648"}, {"strtol10", "0x10", "0"},
        {"scan0", "0011", "9 4"}, {"scan0", "0009", "0 3"}, {"scan0", "0x1A", "26 4"}, {"scan0", "17", "17 2"},
        {"scan0", "-1", "18446744073709551615 2"}, {"scan0", "Flags", "no 0 0"}, {"scan0", "-x", "no 0 1"},
        {"scan0", "0xg", "no 0 2"}, {"scan0", "-99999999999999999999999", "18446744073709551615 24"},
        {"scan16", "0101A8C0", "16885952 8"}, {"decimal<=10", "10", "10"}, {"decimal<=10", "0", "0"}, {"decimal<=10", "11", "no 77"},
        {"decimal<=10", "", "no 77"}, {"decimal<=10", "+1", "no 77"}, {"decimal<=10", " 1", "no 77"}, {"decimal<=10", "1a", "no 77"},
        {"decimal<=10", "99999999999999999999999", "no 77"}, {"session", "sessionid=%2B3", "3"},
        {"session", "sessionid=%09%0A7", "7"}, {"session", "sessionid=4294967295", "-1"},
        {"session", "sessionid=2147483648", "-2147483648"}, {"session", "sessionid=9223372036854775807", "-1"},
        {"session", "sessionid=-9223372036854775808", "0"}, {"session", "sessionid=99999999999999999999", "-1"},
        {"session", "sessionid=-", "-1"}, {"session", "sessionid=%00", "-1"}, {"session", "other=5", "-1"},
        {"session", "sessionid=12abc", "12"}, {"host", "  +3232235777x", "192.168.1.1"}, {"host", "-1", "255.255.255.255"},
        {"host", "4294967297", "0.0.0.1"}, {"host", "host", "0.0.0.0"}, {"origin", "- - -", "same"},
        {"origin", "same-origin http://192.0.2.10 192.0.2.10", "same"}, {"origin", "same-site - device", "same"},
        {"origin", "- http://Device:8080 device:8080", "same"}, {"origin", "- HTTPS://device device", "same"},
        {"origin", "cross-site - device", "cross"}, {"origin", "cross-site http://device device", "cross"},
        {"origin", "- http://device:8081 device:8080", "cross"}, {"origin", "- http://device.attacker.example device", "cross"},
        {"origin", "- http://devic device", "cross"}, {"origin", "- null device", "cross"},
        {"origin", "- ftp://device device", "cross"}, {"origin", "- http:// ", "cross"}, {"origin", "- http://device -", "cross"},
        {"origin", "- device device", "cross"},
    };
    // clang-format on
    for (const Case& c : cases) EXPECT_EQ(kRules.at(c.rule)(c.text), c.result) << c.rule << " '" << c.text << "'";
}

TEST(TextRulesTest, AddressesFollowTheDeviceInetAton) {
    const std::vector<std::string> valid = {
        "192.168.68.41", "255.255.255.255", "0.0.0.0", "5302", "4294967295", "1.16777215",
        "1.2.65535", "010.0.0.1", "0377.0.0.1", "00.0", "0xff.0.0.1", "0XfF.1", "1.0xffff",
        "001.002.003.004", "4294967296", "99999999999", "0x123456789ab"};
    const std::vector<std::string> invalid = {
        "1.16777216", "1.2.65536", "1.2.3.256", "256.1", "1.256.3", "1.2.3.4.5", "0400.0.0.1",
        "08", "1.08", "0x100.0.0.1", "0x", "0x.1", "1.0x", "1.2.0x10000", "", "1.2.3.4.",
        " 1", "1 ", "+1", "-1", "1..2", ".1", "1,2", "1.2.3.4a", std::string("1\0", 2),
        std::string("1.2\0.3", 6), "\xff", "1.\xb2", "0001.002.003.004", "1.99999999999"};
    for (const std::string& text : valid) EXPECT_TRUE(NetDev::IsValidIp(text)) << text;
    for (const std::string& text : invalid) EXPECT_FALSE(NetDev::IsValidIp(text)) << text;
    // Where the host's inet_aton is as strict (no blank, 15 bytes at most, no part reaching
    // 32 bits) the two agree: on short texts of the syntax's characters, and on dotted
    // parts near the byte limits.
    std::vector<std::string> texts = Grow({""}, {"0", "1", "8", "f", "x", ".", " "}, "", 5);
    const std::vector<std::string> parts = {"0",    "255",   "256",   "0xff", "0x100", "0377",
                                            "0400", "65535", "65536", "08",   "0x",    " "};
    for (const std::string& text : Grow(parts, parts, ".", 3)) texts.push_back(text);
    for (const std::string& text : texts) {
        in_addr address{};
        const bool host = inet_aton(text.c_str(), &address) != 0 && text.size() <= 15 &&
                          text.find(' ') == std::string::npos;
        EXPECT_EQ(NetDev::IsValidIp(text), host) << '"' << text << '"';
    }
}

TEST(TextRulesTest, HostNamesAreDotSeparatedLabels) {
    const std::string label(63, 'a');
    const std::string longest = label + "." + label + "." + label + "." + std::string(61, 'b');
    for (const std::string& text : {std::string("a"), std::string("dealer-1.example.com"),
                                    std::string("A9.b-c.D"), label, longest}) {
        EXPECT_TRUE(NetDev::IsValidHostName(text)) << text;
    }
    for (const std::string& text :
         {std::string(""), label + "a", "x." + label + "a.y", longest + "b", std::string("-a"),
          std::string("a-"), std::string("a.-b.c"), std::string("a.b-.c"), std::string("a_b"),
          std::string(".a"), std::string("a."), std::string("a..b"), std::string("a b"),
          std::string("a\xc3\xa4"), std::string("a\0b", 3)}) {
        EXPECT_FALSE(NetDev::IsValidHostName(text)) << text;
    }
}

}  // namespace
