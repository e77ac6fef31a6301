#include "command_line.h"

#include <gtest/gtest.h>

namespace vessmark {
namespace {

TEST(ArgumentText, DropsTheProgramNameAndTheBlanksAfterIt)
{
    EXPECT_EQ(ArgumentText("C:\\Saver\\Vessmark.scr /s"), "/s");
    EXPECT_EQ(ArgumentText("\"C:\\Program Files\\Vessmark\\Vessmark.scr\"   /p 1234"), "/p 1234");
    EXPECT_EQ(ArgumentText("\"C:\\Program Files\\Vessmark.scr\""), "");
    EXPECT_EQ(ArgumentText("Vessmark.scr"), "");
    EXPECT_EQ(ArgumentText("Vessmark.scr \t/c:1234 "), "/c:1234 ");
    EXPECT_EQ(ArgumentText(""), "");
}

TEST(SwitchLetter, IsTheSecondCharacterInUpperCase)
{
    EXPECT_EQ(SwitchLetter("/s"), 'S');
    EXPECT_EQ(SwitchLetter("-S"), 'S');
    EXPECT_EQ(SwitchLetter("xs"), 'S'); // the first character is never looked at
    EXPECT_EQ(SwitchLetter("/c:1234"), 'C');
    EXPECT_EQ(SwitchLetter("/p 1234"), 'P');
    EXPECT_EQ(SwitchLetter("/a"), 'A');
    EXPECT_EQ(SwitchLetter(""), '\0');
    EXPECT_EQ(SwitchLetter("s"), '\0'); // one character: no letter, but not empty
}

TEST(PreviewParentHandle, ReadsTheNumberFromTheFourthCharacter)
{
    EXPECT_EQ(PreviewParentHandle("/p 1234"), 1234);
    EXPECT_EQ(PreviewParentHandle("/P 1234"), 1234);
    EXPECT_EQ(PreviewParentHandle("/p   77x"), 77);   // blanks skipped, stops at x
    EXPECT_EQ(PreviewParentHandle("/p 1 2 3"), 123);  // blanks anywhere are skipped
    EXPECT_EQ(PreviewParentHandle("/p:4321"), 4321);  // the third character is not read
    EXPECT_EQ(PreviewParentHandle("/p 12.5"), 12);    // rounded, halves to even
    EXPECT_EQ(PreviewParentHandle("/p 13.5"), 14);
    EXPECT_EQ(PreviewParentHandle("/p 1e3"), 1000);
    EXPECT_EQ(PreviewParentHandle("/p 12e"), 12);
    EXPECT_EQ(PreviewParentHandle("/p -5"), -5);
}

TEST(PreviewParentHandle, NoNumberReadsZeroAndATooLargeOneNothing)
{
    EXPECT_EQ(PreviewParentHandle("/p"), 0);
    EXPECT_EQ(PreviewParentHandle("/p "), 0);
    EXPECT_EQ(PreviewParentHandle("/p abc"), 0);
    EXPECT_EQ(PreviewParentHandle("/p ."), 0);
    EXPECT_EQ(PreviewParentHandle("/p 2147483647"), 2147483647);
    EXPECT_FALSE(PreviewParentHandle("/p 2147483648"));
    EXPECT_FALSE(PreviewParentHandle("/p 1e400"));
}

} // namespace
} // namespace vessmark
