#include <gtest/gtest.h>

#include "HtmlEscaping.h"

namespace {

TEST(HtmlEscapingTest, KeepsPlainAndLatin1TextAsItIs) {
    const std::string plain = "tol.example.com:5302/x?y=1 %41 \x80\xe9\xff";
    EXPECT_EQ(HtmlEscaping::Escape(plain), plain);
    EXPECT_EQ(HtmlEscaping::Escape(""), "");
}

TEST(HtmlEscapingTest, WritesMarkupQuotesAndControlBytesAsReferences) {
    EXPECT_EQ(HtmlEscaping::Escape("<a href=\"x\" title='y'>&amp;</a>"),
              "&lt;a href=&quot;x&quot; title=&#39;y&#39;&gt;&amp;amp;&lt;/a&gt;");
    EXPECT_EQ(HtmlEscaping::Escape(std::string("a\0b\tc\r\n\x1f\x7f", 9)),
              "a&#65533;b&#65533;c&#65533;&#65533;&#65533;&#65533;");
}

}  // namespace
