#include <gtest/gtest.h>

#include "UrlEncoding.h"

namespace {

TEST(UrlEncodingTest, KeepsUnreservedTextAsItIs) {
    const std::string plain = "AZaz09-._~/:10.0.0.2/x/dealer_1~";
    EXPECT_EQ(UrlEncoding::Encode(plain), plain);
    EXPECT_EQ(UrlEncoding::Encode(""), "");
}

TEST(UrlEncodingTest, EncodesEverythingThatCouldBreakTheHeaderOrTheQuery) {
    EXPECT_EQ(UrlEncoding::Encode("a\r\nLocation: x"), "a%0D%0ALocation:%20x");
    EXPECT_EQ(UrlEncoding::Encode("a&b=c#d?e"), "a%26b%3Dc%23d%3Fe");
    EXPECT_EQ(UrlEncoding::Encode("100%"), "100%25");
    EXPECT_EQ(UrlEncoding::Encode("+ "), "%2B%20");
    EXPECT_EQ(UrlEncoding::Encode(std::string("\0\x7f\x80\xff", 4)), "%00%7F%80%FF");
    EXPECT_EQ(UrlEncoding::Encode("<script>\"'"), "%3Cscript%3E%22%27");
}

}  // namespace
