#include <cgicc/Cgicc.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include "FakeCgiInput.h"
#include "FileText.h"
#include "InitialParameters.h"

namespace {

constexpr const char* kChangeList = "/tmp/config_web_changes.lst";

int32_t Parse(const std::string& query) {
    FakeCgiInput input = FakeCgiInput::Get(query);
    cgicc::Cgicc cgi(&input);
    return InitialParameters::ParseSessionId(cgi);
}

TEST(InitialParametersTest, ParsesTheSessionIdLikeStrtoimaxCutTo32Bits) {
    const std::pair<std::string, int32_t> cases[] = {
        {"sessionid=1234", 1234},
        {"sessionid=-5", -5},
        {"sessionid=%2B3", 3},
        {"sessionid=12abc", 12},
        {"sessionid=%207", 7},
        {"sessionid=%09%0A7", 7},
        {"sessionid=4294967295", -1},
        {"sessionid=4294967296", 0},
        {"sessionid=2147483648", INT32_MIN},
        {"sessionid=9223372036854775807", -1},
        {"sessionid=-9223372036854775808", 0},
        {"sessionid=99999999999999999999", -1},  // beyond 64 bits
        {"sessionid=-99999999999999999999", -1},
        {"sessionid=abc", -1},
        {"sessionid=", -1},
        {"sessionid=-", -1},
        {"sessionid=%00", -1},
        {"other=5", -1},
        {"", -1},
    };
    for (const auto& [query, expected] : cases) {
        EXPECT_EQ(Parse(query), expected) << "query: " << query;
    }
}

TEST(InitialParametersTest, AMissingOrMinusOneIdGetsANewIdOfTheCurrentSecond) {
    for (const char* query : {"", "sessionid=-1", "sessionid=abc"}) {
        FakeCgiInput input = FakeCgiInput::Get(query);
        cgicc::Cgicc cgi(&input);
        InitialParameters parameters;
        EXPECT_EQ(parameters.InitSessionId(cgi), 0);
        int32_t expected = InitialParameters::CreateSessionId();
        EXPECT_GE(parameters.GetSessionId(), 0) << query;
        // Made within the same second, two new ids are the same (the generator is seeded
        // with the time); allow for a second boundary in between.
        if (parameters.GetSessionId() != expected) {
            EXPECT_EQ(InitialParameters::CreateSessionId(), expected) << query;
        }
    }
}

TEST(InitialParametersTest, GivesTheIdAsDecimalText) {
    FakeCgiInput input = FakeCgiInput::Get("sessionid=-2147483648");
    cgicc::Cgicc cgi(&input);
    InitialParameters parameters;
    parameters.InitSessionId(cgi);
    EXPECT_EQ(parameters.GetSessionId(), INT32_MIN);
    EXPECT_EQ(parameters.GetSessionIdText(), "-2147483648");
}

TEST(InitialParametersTest, IsChangedCountsOnlyTheFlagOne) {
    filetext::Write(kChangeList, "4;1\n4;0\n8;2\n");
    {
        InitialParameters parameters;
        EXPECT_EQ(parameters.IsChanged(), 0);
        parameters.SetChanged(9, 1);
        EXPECT_EQ(parameters.IsChanged(), 1);
    }
    EXPECT_EQ(filetext::Read(kChangeList), "4;0\n8;2\n9;1\n");
}

TEST(InitialParametersTest, RewritesTheListAtTheEndAlsoWithoutChanges) {
    filetext::Write(kChangeList, "7;1\n3;0\n");
    { InitialParameters parameters; }
    EXPECT_EQ(filetext::Read(kChangeList), "3;0\n7;1\n");
}

TEST(InitialParametersTest, MarksTheCurrentSessionAndKeepsMarksMadeMeanwhile) {
    FakeCgiInput input = FakeCgiInput::Get("sessionid=5");
    cgicc::Cgicc cgi(&input);
    {
        InitialParameters parameters;
        parameters.InitSessionId(cgi);
        parameters.SetChanged(1);
        EXPECT_EQ(parameters.GetChanges().at(5), 1);
        // Another request ends while this one runs.
        filetext::Write(kChangeList, "6;1\n");
    }
    EXPECT_EQ(filetext::Read(kChangeList), "5;1\n6;1\n");
}

TEST(InitialParametersTest, AnUnwritableListIsNotReported) {
    filetext::Write(kChangeList, "1;1\n");
    ASSERT_EQ(::chmod("/tmp", 0555), 0);
    // The private root runs without capabilities, so the mode bits bind root too.
    { InitialParameters parameters; }
    ::chmod("/tmp", 01777);
    EXPECT_EQ(filetext::Read(kChangeList), "1;1\n");
}

}  // namespace
