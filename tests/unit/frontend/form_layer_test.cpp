#include "forms/property_storage.h"
#include "forms/twips.h"

#include <gtest/gtest.h>

namespace vessmark::forms {
namespace {

TEST(Twips, RoundToTheNearestPixelAtTheWindowsResolution)
{
    struct Case {
        int Twips;
        int Dpi;
        int Pixels;
    };
    const Case cases[] = {
        {7185, 96, 479}, {3780, 96, 252}, {7185, 144, 719}, {3780, 144, 378}, // 718.5 goes up
        {1035, 144, 104}, {375, 144, 38},  {15, 96, 1},      {7, 96, 0},
        {8, 96, 1},       {-8, 96, -1},    {-7, 96, 0},      {1440, 120, 120},
        {1035, 0, 69}, // no resolution known: the standard one
    };
    for (const Case& c : cases) {
        EXPECT_EQ(TwipsToPixels(c.Twips, c.Dpi), c.Pixels) << c.Twips << " twips at " << c.Dpi;
    }
    EXPECT_EQ(PixelsToTwips(104, 144), 1040);
    EXPECT_EQ(PixelsToTwips(69, 96), 1035);
    EXPECT_EQ(PixelsToTwips(3, 168), 26); // 25.7
}

TEST(Twips, AControlKeepsItsPixelSizeWhereverItStands)
{
    EXPECT_EQ(ControlPixels({4800, 3000, 1095, 375}, 144), (PixelRect{480, 300, 110, 38}));
    EXPECT_EQ(ControlPixels({4805, 3005, 1095, 375}, 144).Width, 110);
    // A tile's edges are rounded instead: 915 twips from 60 end where the next piece begins.
    EXPECT_EQ(TilePixels({60, 0, 915, 60}, 144), (PixelRect{6, 0, 92, 6}));
}

TEST(Twips, AFormsResolutionIsTheWindowsThenWhatEachChangeOfMonitorCarries)
{
    EXPECT_EQ(CreationDpi(144, 96), 144) << "the window's own, not the system's";
    EXPECT_EQ(CreationDpi(0, 120), 120) << "a window that tells none: the system's";
    EXPECT_EQ(CreationDpi(0, 0), 96);
    EXPECT_EQ(DpiCarried(0x00900090, 96), 144);
    EXPECT_EQ(DpiCarried(0x00600060, 144), 96);
    EXPECT_EQ(DpiCarried(0xFFFF0000ull << 16 | 0x0078, 96), 120) << "the low 16 bits only";
    EXPECT_EQ(DpiCarried(0, 144), 144) << "nothing carried: as it was";
    // The client area keeps its twips; the frame is what the window has around it.
    EXPECT_EQ(WindowSizeFor(7185, 3780, 144, {6, 29}), (PixelSize{725, 407}));
    EXPECT_EQ(WindowSizeFor(7185, 3780, 96, {8, 31}), (PixelSize{487, 283}));
}

TEST(PropertyBag, MissingKeysReadAsTheirDefaultsAndUnreadableValuesAsNothing)
{
    StoredProperties stored{{"Flag", std::string("True")}, {"Number", std::string(" 12 ")},
                            {"Word", std::string("abc")}, {"Font", FontDescription{"Arial", 10}}};
    PropertyBag bag(stored);
    EXPECT_EQ(bag.ReadBool("Missing", true), true);
    EXPECT_EQ(bag.ReadBool("Flag", false), true);
    EXPECT_EQ(bag.ReadInteger("Number", 0), 12);
    EXPECT_EQ(bag.ReadInteger("Word", 0), std::nullopt);
    EXPECT_EQ(bag.ReadBool("Word", false), std::nullopt);
    EXPECT_EQ(bag.ReadText("Number", ""), " 12 ");
    EXPECT_EQ(bag.ReadFont("Word", {}), std::nullopt);
    EXPECT_EQ(bag.ReadFont("Font", {})->Name, "Arial");
    EXPECT_EQ(bag.ReadInteger("Flag", 0), std::nullopt) << "only numbers and number texts are numbers";
}

TEST(PropertyBag, AValueEqualToItsDefaultIsNotStoredAndRemovesAnOlderOne)
{
    StoredProperties stored;
    PropertyBag bag(stored);
    bag.Write("Visible", std::int64_t{0}, std::string("1"));
    EXPECT_EQ(stored.Values().size(), 1u);
    bag.Write("Visible", std::int64_t{1}, std::string("1")); // "1" is the number 1
    EXPECT_TRUE(stored.Values().empty());
    bag.Write("Enabled", true, true);
    bag.Write("Enabled", std::int64_t{-1}, true); // True is -1
    EXPECT_TRUE(stored.Values().empty());
    bag.Write("Caption", std::string("Command"), std::string("command"));
    EXPECT_EQ(stored.Values().size(), 1u) << "texts compare exactly";
}

} // namespace
} // namespace vessmark::forms
