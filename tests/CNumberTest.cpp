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

}  // namespace
