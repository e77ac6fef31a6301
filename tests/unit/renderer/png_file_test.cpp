#include "png_file.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>

namespace vessmark {
namespace {

std::string TempPath(const char* name)
{
    return (std::filesystem::temp_directory_path() / (std::string("vessmark-png-test-") + name)).string();
}

TEST(PngFile, WhatIsWrittenReadsBackTopRowFirst)
{
    RgbImage image{3, 2, {255, 0, 0, 0, 255, 0, 0, 0, 255, //
                          10, 20, 30, 40, 50, 60, 70, 80, 90}};
    const std::string path = TempPath("roundtrip.png");
    ASSERT_EQ(WritePng(path, image), "");
    RgbImage back;
    ASSERT_EQ(ReadPng(path, back), "");
    EXPECT_EQ(back.Width, 3);
    EXPECT_EQ(back.Height, 2);
    EXPECT_EQ(back.Pixels, image.Pixels);
    std::remove(path.c_str());
}

TEST(PngFile, FailuresAreReportedNotIgnored)
{
    const RgbImage image{1, 1, {1, 2, 3}};
    EXPECT_NE(WritePng("/nonexistent-folder/x.png", image).find("cannot write /nonexistent-folder/x.png"),
              std::string::npos);
    EXPECT_NE(WritePng(TempPath("bad.png"), RgbImage{2, 2, {1, 2, 3}}), "") << "pixels missing";

    const std::string notPng = TempPath("not.png");
    std::ofstream(notPng) << "plain text";
    RgbImage back;
    EXPECT_NE(ReadPng(notPng, back).find("cannot read"), std::string::npos);
    std::remove(notPng.c_str());
}

} // namespace
} // namespace vessmark
