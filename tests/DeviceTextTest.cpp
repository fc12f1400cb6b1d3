// The readers of the small text files and texts the device's other programs write.

#include <gtest/gtest.h>

#include <cstdio>

#include "MemInfo.h"
#include "VehicleLinkStatus.h"
#include "VersionText.h"

namespace {

std::string Figure(const std::string& text, size_t line, bool expected = true) {
    std::string output = "stale";
    EXPECT_EQ(MemInfo::Figure(text, line, output), expected) << text;
    return output;
}

TEST(MemInfoTest, TheFigureEndsOneByteBeforeTheUnit) {
    const std::string meminfo = "MemTotal:        1024000 kB\nMemFree:  512 kB\n";
    EXPECT_EQ(Figure(meminfo, 0), "1024000");
    EXPECT_EQ(Figure(meminfo, 1), "512");
    EXPECT_EQ(Figure("MemTotal:        1024000kB\n", 0), "102400");  // one digit short
    EXPECT_EQ(Figure("MemTotal:  77\n", 0), "77");                    // no unit
    EXPECT_EQ(Figure("MemTotal:\t77 kB\n", 0), "\t77");               // only blanks are skipped
}

TEST(MemInfoTest, LinesWithoutAFigureGiveFalseAndNothing) {
    for (const char* text : {"", "MemTotal:   \n", "MemTotal 1024 kB\n", "MemTotal: kB\n",
                             "kB: 1024\n", "\n"}) {
        EXPECT_EQ(Figure(text, 0, false), "") << text;
    }
    EXPECT_EQ(Figure("MemTotal: 1 kB\n", 1, false), "");  // no second line
    EXPECT_EQ(Figure("MemTotal: 1 kB", 1, false), "");
}

VehicleLinkStatus Parse(const std::string& text) {
    FILE* file = std::tmpfile();
    std::fwrite(text.data(), 1, text.size(), file);
    std::rewind(file);
    VehicleLinkStatus status(file);
    std::fclose(file);
    return status;
}

std::string Get(const VehicleLinkStatus& status, const char* key) {
    std::string output;
    EXPECT_TRUE(status.Get(key, output)) << key;
    return output;
}

TEST(VehicleLinkStatusTest, LinesAreRecognisedByTheirBeginning) {
    const VehicleLinkStatus status = Parse(
        "VIN=OLD\nVIN = WXYZ1234567890123 \nWOLK=1\nDIAG_ADR=0x10\nGW_DIAG_ADR=0x0e\n"
        "DIAG_ADR=0x12\nVINX=\nDOIP=Yes\nOTHER=1\nVIN\n   DOIP=Indented\n");
    EXPECT_EQ(Get(status, "diag.wolk.vin"), "");  // VINX counts as a VIN line
    EXPECT_EQ(Get(status, "diag.wolk.available"), "1");
    EXPECT_EQ(Get(status, "diag.wolk.gateway"), "0x0e");
    EXPECT_EQ(Get(status, "diag.wolk.sg_list"), "[0x10;0x12]");
    EXPECT_EQ(Get(status, "diag.doip"), "Indented");
    std::string output = "untouched";
    EXPECT_FALSE(status.Get("diag.other", output));
    EXPECT_EQ(output, "untouched");

    const VehicleLinkStatus example = Parse("VIN = ABC  \n");
    EXPECT_EQ(Get(example, "diag.wolk.vin"), "ABC  ");  // trailing blanks stay
}

TEST(VehicleLinkStatusTest, EmptyAndOddFilesGiveTheDefaults) {
    const VehicleLinkStatus empty = Parse("");
    EXPECT_EQ(Get(empty, "diag.wolk.sg_list"), "[]");
    EXPECT_EQ(Get(empty, "diag.doip"), "No");
    EXPECT_EQ(Get(empty, "diag.wolk.vin"), "");
    // The first line keeps its indentation and so matches nothing.
    EXPECT_EQ(Get(Parse(" VIN=A\nWOLK=1\n"), "diag.wolk.vin"), "");
    // A long line comes in pieces of 1023 bytes, each a line of its own.
    const VehicleLinkStatus pieces = Parse("X" + std::string(1022, 'x') + "VIN=tail\n");
    EXPECT_EQ(Get(pieces, "diag.wolk.vin"), "tail");
}

std::string Normalised(std::string text, bool expected = true) {
    EXPECT_EQ(VersionText::StripApplicationPrefix(text), expected) << text;
    VersionText::DropLeadingZero(text);
    return text;
}

TEST(VersionTextTest, ApplicationVersionsLoseThePrefixTheirDotsAndOneZero) {
    EXPECT_EQ(Normalised("APPLICATION_VERSION=01.08.06"), "10806");
    EXPECT_EQ(Normalised("APPLICATION_VERSION=12.34.56"), "123456");
    EXPECT_EQ(Normalised("APPLICATION_VERSION=00.01.02"), "00102");
    EXPECT_EQ(Normalised("01.08.06"), "1.08.06");
    EXPECT_EQ(Normalised("007"), "07");
    EXPECT_EQ(Normalised(""), "");
    // Wherever the prefix stands, as many bytes go from the front.
    EXPECT_EQ(Normalised("v:APPLICATION_VERSION=01.08.06"), "N=1.8.06");
    EXPECT_EQ(Normalised("APPLICATION_VERSION=1.2.3"), "1..3");  // the removed bytes aren't examined
    // Too short for both removals: only the prefix's length goes, and it is reported.
    EXPECT_EQ(Normalised("APPLICATION_VERSION=1.2", false), "1.2");
    EXPECT_EQ(Normalised("APPLICATION_VERSION=", false), "");
}

TEST(VersionTextTest, PackageVersionsCompareAsText) {
    const std::string boot = "2.10";
    const std::string app = "2.9";
    EXPECT_EQ(&VersionText::Newer(boot, app), &app);
    EXPECT_EQ(&VersionText::Newer(app, boot), &app);
    const std::string same = "2.10";
    EXPECT_EQ(&VersionText::Newer(boot, same), &boot);
    const std::string high = "2.\xe9";  // bytes above 0x7f count as large
    EXPECT_EQ(&VersionText::Newer(boot, high), &high);
    const std::string longer = "2.10a";
    EXPECT_EQ(&VersionText::Newer(boot, longer), &longer);
}

}  // namespace
