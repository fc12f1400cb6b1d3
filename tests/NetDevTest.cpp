#include <arpa/inet.h>
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "ConfigWebLogging.h"
#include "FileText.h"
#include "LogFile.h"
#include "NetDev.h"

namespace {

void ExpectIpVerdict(bool valid, const std::vector<std::string>& texts) {
    for (const std::string& text : texts) {
        EXPECT_EQ(NetDev::IsValidIp(text), valid) << '"' << text << '"';
    }
}

void ExpectHostNameVerdict(bool valid, const std::vector<std::string>& texts) {
    for (const std::string& text : texts) {
        EXPECT_EQ(NetDev::IsValidHostName(text), valid) << '"' << text << '"';
    }
}

TEST(NetDevTest, IpPartsFillTheRemainingBytes) {
    ExpectIpVerdict(true, {"192.168.68.41", "255.255.255.255", "0.0.0.0", "5302", "4294967295",
                           "1.16777215", "1.2.65535", "1.2.3.255"});
    ExpectIpVerdict(false, {"1.16777216", "1.2.65536", "1.2.3.256", "256.1", "1.256.3", "256.0.0.1",
                            "1.2.3.4.5"});
}

TEST(NetDevTest, IpPartsAreDecimalOctalOrHex) {
    ExpectIpVerdict(
        true, {"010.0.0.1", "0377.0.0.1", "00.0", "0xff.0.0.1", "0XfF.1", "0xffffff", "1.0xffff"});
    ExpectIpVerdict(false, {"0400.0.0.1", "08", "09.1", "1.08", "0x100.0.0.1", "0x", "0x.1", "1.0x",
                            "0xg", "1.2.0x10000"});
}

TEST(NetDevTest, IpTextMayHoldNothingBeyondTheSyntax) {
    ExpectIpVerdict(false, {"", "192.168.68.41.", " 192.168.68.41", "192.168.68.41 ", "1 ", "+1",
                            "-1", "1..2", ".1", "1,2", "1.2.3.4a", "1e3", std::string("1\0", 2),
                            std::string("1.2\0.3", 6), "\xff", "1.\xb2"});
}

TEST(NetDevTest, IpTextIsAtMostFifteenCharactersAndPartsSaturateAt32Bits) {
    ExpectIpVerdict(true, {"001.002.003.004"});
    ExpectIpVerdict(false, {"0001.002.003.004", "0000000000000001", "1.2.3.4          "});
    // The device's 32-bit strtoul turns these parts into 0xffffffff.
    ExpectIpVerdict(true, {"4294967296", "99999999999", "0x123456789ab"});
    ExpectIpVerdict(false, {"1.99999999999"});
}

// `start` and every text made by appending `separator` and one of `pieces` to a text made
// before, up to `rounds` times.
std::vector<std::string> Combinations(const std::vector<std::string>& start,
                                      const std::vector<std::string>& pieces,
                                      const std::string& separator, size_t rounds) {
    std::vector<std::string> texts(start);
    for (size_t begin = 0; rounds > 0; --rounds) {
        const size_t end = texts.size();
        for (size_t i = begin; i < end; ++i) {
            for (const std::string& piece : pieces) texts.push_back(texts[i] + separator + piece);
        }
        begin = end;
    }
    return texts;
}

// Short texts of the syntax's characters, and dotted texts of parts near the byte limits.
std::vector<std::string> GeneratedTexts() {
    std::vector<std::string> texts = Combinations({""}, {"0", "1", "8", "f", "x", ".", " "}, "", 5);
    const std::vector<std::string> parts = {"0",    "255",   "256",   "0xff", "0x100", "0377",
                                            "0400", "65535", "65536", "08",   "0x",    " "};
    const std::vector<std::string> dotted = Combinations(parts, parts, ".", 3);
    texts.insert(texts.end(), dotted.begin(), dotted.end());
    return texts;
}

// The host's inet_aton takes anything after a blank and knows no length limit; elsewhere,
// with no part reaching 32 bits (where only the device's strtoul saturates), the two
// agree.
bool HostParserIsStrictOn(const std::string& text) {
    return text.size() <= NetDev::kMaxIpLength && text.find(' ') == std::string::npos;
}

TEST(NetDevTest, IpVerdictsAgreeWithTheHostParserWhereItIsAsStrict) {
    for (const std::string& text : GeneratedTexts()) {
        in_addr address{};
        const bool hostAccepts = inet_aton(text.c_str(), &address) != 0;
        EXPECT_EQ(NetDev::IsValidIp(text), hostAccepts && HostParserIsStrictOn(text))
            << '"' << text << '"';
    }
}

// `count` labels joined by dots: all of `length` letters but the last, of `lastLength`.
std::string Labels(size_t count, size_t length, size_t lastLength) {
    std::string name;
    for (size_t i = 0; i + 1 < count; ++i) name += std::string(length, 'a') + ".";
    return name + std::string(lastLength, 'b');
}

TEST(NetDevTest, HostNamesAreDotSeparatedLabels) {
    ExpectHostNameVerdict(true, {"a", "dealer-1.example.com", "192.168.68.41", "A9.b-c.D",
                                 std::string(63, 'a'), Labels(4, 63, 61)});
    ExpectHostNameVerdict(false, {"", std::string(64, 'a'), "x." + std::string(64, 'a') + ".y",
                                  Labels(4, 63, 62), "-a", "a-", "a.-b.c", "a.b-.c", "a_b", ".a",
                                  "a.", "a..b", ".", "a b", "a\xc3\xa4", std::string("a\0b", 3)});
}

TEST(NetDevTest, MissingInterfacesHaveNoAddress) {
    NetDev netDev;
    std::string lan = "unchanged";
    std::string wlan = "unchanged";
    EXPECT_FALSE(netDev.GetLanIp(lan));
    EXPECT_EQ(lan, "0.0.0.0");
    EXPECT_FALSE(netDev.GetWlanIp(wlan));
    EXPECT_EQ(wlan, "0.0.0.0");
}

TEST(NetDevTest, IpVerdictsAreLoggedAtDebugLevel) {
    filetext::Remove(ConfigWebLogging::kLogPath);
    {
        ConfigWebLogging logging;
        NetDev::IsValidIp("192.168.68.41");
        NetDev::IsValidIp("1.2.3.4.5");
        NetDev::IsValidIp("");
        NetDev::IsValidHostName("a");
    }
    const std::string prefix = "debug configwebloghandler NetDev ";
    EXPECT_EQ(logfile::Events(),
              (std::vector<std::string>{prefix + "IP is valid", prefix + "IP is not valid",
                                        prefix + "IP is not valid"}));
}

}  // namespace
