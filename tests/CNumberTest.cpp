#include <gtest/gtest.h>

#include "CNumber.h"

namespace {

struct AtoiCase {
    std::string text;
    int32_t expected;
};

TEST(CNumberTest, AtoiGivesTheDeviceLibraryResults) {
    const AtoiCase cases[] = {
        {"5", 5},
        {"  \t\n\v\f\r42", 42},
        {"-17", -17},
        {"+8", 8},
        {"12abc", 12},
        {"x1", 0},
        {"", 0},
        {"-", 0},
        {"- 3", 0},
        {"2147483647", 2147483647},
        {"2147483648", INT32_MIN},  // wraps modulo 2^32 as on the 32-bit device
        {"4294967296", 0},
        {"4294967301", 5},
        {"-2147483648", INT32_MIN},
        {"99999999999999999999", 1661992959},
        {"\xa0"
         "7",
         0},  // a non-ASCII byte is not white space
    };
    for (const auto& c : cases) {
        EXPECT_EQ(CNumber::Atoi(c.text), c.expected) << "text: \"" << c.text << "\"";
    }
}

TEST(CNumberTest, AtoiReadsOnlyTheGivenLength) {
    const char text[] = "123456";
    EXPECT_EQ(CNumber::Atoi(text, 3), 123);
    EXPECT_EQ(CNumber::Atoi(text, 0), 0);
    const std::string withNul(
        "4\0"
        "5",
        3);
    EXPECT_EQ(CNumber::Atoi(withNul), 4);
}

TEST(CNumberTest, ParseDecimalAcceptsOnlyPlainNumbersWithinTheLimit) {
    uint64_t value = 77;
    EXPECT_TRUE(CNumber::ParseDecimal("0", 10, value));
    EXPECT_EQ(value, 0u);
    EXPECT_TRUE(CNumber::ParseDecimal("10", 10, value));
    EXPECT_EQ(value, 10u);
    for (const char* bad : {"", "11", "+1", "-1", " 1", "1 ", "1a", "99999999999999999999999"}) {
        value = 77;
        EXPECT_FALSE(CNumber::ParseDecimal(bad, 10, value)) << bad;
        EXPECT_EQ(value, 77u) << "output changed for " << bad;
    }
}

TEST(CNumberTest, StrtolSaturatesAtTheLimitsOfA32BitLong) {
    const AtoiCase hex[] = {
        {"1f", 31},
        {"0x1F", 31},
        {"  -10", -16},
        {"10zz", 16},
        {"0x", 0},  // the prefix needs a digit after it
        {"0xg", 0},
        {"zz", 0},
        {"7fffffff", INT32_MAX},
        {"ffffffff", INT32_MAX},
        {"-80000000", INT32_MIN},
        {"-ffffffff", INT32_MIN},
        {"fffffffffffffffffffffff", INT32_MAX},
    };
    for (const auto& c : hex) EXPECT_EQ(CNumber::Strtol(c.text, 16), c.expected) << c.text;
    EXPECT_EQ(CNumber::Strtol("2147483648", 10), INT32_MAX);
    EXPECT_EQ(CNumber::Strtol("-2147483649", 10), INT32_MIN);
    EXPECT_EQ(CNumber::Strtol("0x10", 10), 0);
}

struct ScanCase {
    std::string text;
    unsigned base;
    bool matched;
    uint64_t value;
    size_t consumed;
};

TEST(CNumberTest, ScanIntegerConvertsLikeTheDeviceScanf) {
    const ScanCase cases[] = {
        {"0003", 0, true, 3, 4},
        {"0011", 0, true, 9, 4},  // octal after a leading 0
        {"0009", 0, true, 0, 3},  // stops before the 9
        {"0x1A", 0, true, 26, 4},
        {"17", 0, true, 17, 2},
        {"-1", 0, true, UINT64_MAX, 2},
        {"Flags", 0, false, 0, 0},
        {"-x", 0, false, 0, 1},   // the sign is gone
        {"0xg", 0, false, 0, 2},  // so is the prefix
        {"0101A8C0", 16, true, 0x0101A8C0, 8},
        {"99999999999999999999999", 0, true, UINT64_MAX, 23},
        {"-99999999999999999999999", 0, true, UINT64_MAX, 24},
    };
    for (const auto& c : cases) {
        const CNumber::Scanned scanned = CNumber::ScanInteger(c.text.data(), c.text.size(), c.base);
        EXPECT_EQ(scanned.matched, c.matched) << c.text;
        EXPECT_EQ(scanned.value, c.value) << c.text;
        EXPECT_EQ(scanned.consumed, c.consumed) << c.text;
    }
}

}  // namespace
