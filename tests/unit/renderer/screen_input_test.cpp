// GoogleTest first: Xlib's macros (None, Bool) would rename its identifiers.
#include <gtest/gtest.h>

#include <vector>

#include "screen_input.h"

namespace vessmark {
namespace {

constexpr Atom Protocols = 301;
constexpr Atom DeleteWindow = 302;
constexpr Atom OtherAtom = 303;

XEvent Key()
{
    XEvent event{};
    event.type = KeyPress;
    return event;
}

XEvent Button(unsigned button, int type = ButtonPress)
{
    XEvent event{};
    event.type = type;
    event.xbutton.button = button;
    return event;
}

XEvent Motion(int x, int y)
{
    XEvent event{};
    event.type = MotionNotify;
    event.xmotion.x_root = x;
    event.xmotion.y_root = y;
    // Window-relative coordinates that disagree: the screen position counts.
    event.xmotion.x = x - 1000;
    event.xmotion.y = y - 1000;
    return event;
}

XEvent Focus(int type, int detail, int mode = NotifyNormal)
{
    XEvent event{};
    event.type = type;
    event.xfocus.detail = detail;
    event.xfocus.mode = mode;
    return event;
}

XEvent CloseRequest(Atom protocol = DeleteWindow, Atom type = Protocols)
{
    XEvent event{};
    event.type = ClientMessage;
    event.xclient.message_type = type;
    event.xclient.format = 32;
    event.xclient.data.l[0] = static_cast<long>(protocol);
    return event;
}

// The pointer starts at 500,400, as the window is made.
class ScreenInputTest : public ::testing::Test {
protected:
    ScreenInput input{Protocols, DeleteWindow};
    void SetUp() override { input.Start({500, 400}); }

    // Feeds events in order; the index of the first that ends the show, or -1.
    int FirstEnding(const std::vector<XEvent>& events)
    {
        for (std::size_t i = 0; i < events.size(); ++i) {
            if (input.EndsShow(events[i])) {
                return static_cast<int>(i);
            }
        }
        return -1;
    }
};

TEST_F(ScreenInputTest, AKeyOrAnyOfTheThreeButtonsEndsTheShow)
{
    for (const XEvent& event : {Key(), Button(1), Button(2), Button(3)}) {
        ScreenInput fresh{Protocols, DeleteWindow};
        fresh.Start({500, 400});
        EXPECT_TRUE(fresh.EndsShow(event)) << "event type " << event.type << " button " << event.xbutton.button;
    }
}

TEST_F(ScreenInputTest, ReleasesWheelNotchesAndSideButtonsGoOn)
{
    EXPECT_EQ(FirstEnding({Button(1, ButtonRelease), Button(3, ButtonRelease), Button(4), Button(5), Button(6),
                           Button(7), Button(8), Button(9)}),
              -1);
    EXPECT_EQ(input.Rules().CloseArmed, 0);
}

TEST_F(ScreenInputTest, MovesAreMeasuredFromTheReferenceOnTheScreen)
{
    // The first move of 1, then 4 from it (3 + 1), then 4 back (-4): the
    // reference follows every small move.
    EXPECT_EQ(FirstEnding({Motion(501, 400), Motion(504, 401), Motion(500, 401)}), -1);
    EXPECT_EQ(input.Rules().CloseArmed, 1) << "the later moves armed it";
    EXPECT_EQ(input.Rules().LastCursorPos.X, 500);
    // Then 5 in Manhattan distance (3 + 2), though only 3.6 in a straight line.
    EXPECT_TRUE(input.EndsShow(Motion(503, 403)));
}

TEST_F(ScreenInputTest, TheFirstMoveNeverEndsTheShowButLeavesItsReference)
{
    EXPECT_FALSE(input.EndsShow(Motion(800, 600))) << "a jump of 500 pixels, but the first move";
    EXPECT_FALSE(input.EndsShow(CloseRequest())) << "still unarmed: a close request is refused";
    // The reference stayed where the window was made, so any later move ends it.
    EXPECT_TRUE(input.EndsShow(Motion(801, 600)));
}

TEST_F(ScreenInputTest, ACloseRequestIsHonouredOnlyOnceInputArmedIt)
{
    EXPECT_FALSE(input.EndsShow(CloseRequest()));
    EXPECT_FALSE(input.EndsShow(Motion(500, 401)));
    EXPECT_FALSE(input.EndsShow(Motion(501, 402))) << "2 pixels: arms, goes on";
    EXPECT_FALSE(input.EndsShow(CloseRequest(OtherAtom))) << "not a close request";
    EXPECT_FALSE(input.EndsShow(CloseRequest(DeleteWindow, OtherAtom))) << "not the protocols message";
    EXPECT_TRUE(input.EndsShow(CloseRequest()));
}

// Focus changes: only losing a focus the window held ends the show.
struct FocusCase {
    const char* Name;
    std::vector<XEvent> Events;
    int Ending; // index of the event that ends the show, or -1
};

class ScreenInputFocus : public ::testing::TestWithParam<FocusCase> {};

TEST_P(ScreenInputFocus, EndsOnlyWhenTheKeyboardGoesElsewhere)
{
    const FocusCase& c = GetParam();
    ScreenInput input{Protocols, DeleteWindow};
    input.Start({0, 0});
    int ending = -1;
    for (std::size_t i = 0; i < c.Events.size() && ending < 0; ++i) {
        if (input.EndsShow(c.Events[i])) {
            ending = static_cast<int>(i);
        }
    }
    EXPECT_EQ(ending, c.Ending) << c.Name;
}

INSTANTIATE_TEST_SUITE_P(Focus, ScreenInputFocus,
    ::testing::Values(
        FocusCase{"taken, then lost to another window",
                  {Focus(FocusIn, NotifyNonlinear), Focus(FocusOut, NotifyNonlinear)}, 1},
        FocusCase{"taken, then lost to the root", {Focus(FocusIn, NotifyNonlinear), Focus(FocusOut, NotifyAncestor)},
                  1},
        // With the focus on PointerRoot, a window under the pointer hears of
        // the focus without holding it; the show taking the focus for itself
        // then reports the pointer focus leaving.
        FocusCase{"pointer focus comes and goes",
                  {Focus(FocusIn, NotifyPointer), Focus(FocusOut, NotifyPointer), Focus(FocusIn, NotifyNonlinear)},
                  -1},
        FocusCase{"never held", {Focus(FocusOut, NotifyNonlinear)}, -1},
        FocusCase{"a keyboard grab takes it for a moment",
                  {Focus(FocusIn, NotifyNonlinear), Focus(FocusOut, NotifyNonlinear, NotifyGrab),
                   Focus(FocusIn, NotifyNonlinear, NotifyUngrab)},
                  -1},
        FocusCase{"lost while another client grabs the keyboard",
                  {Focus(FocusIn, NotifyNonlinear), Focus(FocusOut, NotifyNonlinear, NotifyWhileGrabbed)}, 1}));

} // namespace
} // namespace vessmark
