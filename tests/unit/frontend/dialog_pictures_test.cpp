#include "dialog_pictures.h"

#include <gtest/gtest.h>

namespace vessmark {
namespace {

std::uint32_t Alpha(std::uint32_t pixel) { return pixel >> 24; }
int Brightness(std::uint32_t pixel) { return static_cast<int>((pixel >> 16 & 0xFF) + (pixel >> 8 & 0xFF) + (pixel & 0xFF)); }

TEST(MarkPicture, SelectedHasADarkDotWhereTheUnselectedIsWhiteAtEverySize)
{
    for (const int size : {12, 18, 24}) {
        const PictureImage off = DrawMarkPicture(false, size);
        const PictureImage on = DrawMarkPicture(true, size);
        ASSERT_EQ(off.Width, size);
        ASSERT_EQ(on.Pixels.size(), static_cast<std::size_t>(size * size));
        const int c = size / 2;
        EXPECT_EQ(off.At(c, c), 0xFFFFFFFFu) << size;
        EXPECT_LT(Brightness(on.At(c, c)), 200) << size;
        EXPECT_EQ(Alpha(on.At(c, c)), 255u) << size;
        // Round: the corners are clear, so the mark sits on any background.
        EXPECT_EQ(Alpha(off.At(0, 0)), 0u) << size;
        EXPECT_EQ(Alpha(on.At(size - 1, size - 1)), 0u) << size;
        // The ring is the same on both; only the middle differs.
        EXPECT_EQ(off.At(c, 0), on.At(c, 0)) << size;
        EXPECT_LT(Brightness(off.At(c, 1)), 500) << "a dark ring at the edge, " << size;
    }
}

TEST(DialogIcon, RoundedCornersAndOpaqueInside)
{
    const PictureImage icon = DrawDialogIcon(DialogIconSize);
    ASSERT_EQ(icon.Width, 32);
    EXPECT_EQ(Alpha(icon.At(0, 0)), 0u);
    EXPECT_EQ(Alpha(icon.At(31, 31)), 0u);
    for (const auto& [x, y] : {std::pair{16, 2}, std::pair{3, 16}, std::pair{16, 16}, std::pair{28, 28}}) {
        EXPECT_EQ(Alpha(icon.At(x, y)), 255u) << x << "," << y;
    }
    EXPECT_NE(icon.At(10, 23), icon.At(4, 23)) << "a note head stands out of the background";
}

} // namespace
} // namespace vessmark
