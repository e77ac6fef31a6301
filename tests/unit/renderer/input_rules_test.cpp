#include "input_rules.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>

namespace vessmark {
namespace {

// Drives the rules the way the window procedure does, with a cursor that the
// test moves by hand.
class InputRulesTest : public ::testing::Test {
protected:
    InputRules rules;
    CursorPoint cursor{500, 400};
    int cursorReads = 0;

    void SetUp() override { rules.Start(cursor); }

    InputAction Send(unsigned message, std::uintptr_t wParam = 0)
    {
        return rules.Handle(message, wParam, [this] {
            ++cursorReads;
            return cursor;
        });
    }

    InputAction MoveTo(long x, long y)
    {
        cursor = {x, y};
        return Send(msg::MouseMove);
    }
};

TEST_F(InputRulesTest, FirstMoveNeverArmsEvenForABigJump)
{
    const InputAction first = MoveTo(900, 700);
    EXPECT_TRUE(first.PostClose); // it may ask...
    EXPECT_EQ(rules.CloseArmed, 0);
    EXPECT_EQ(Send(msg::Close).Reply, InputReply::ReturnZero); // ...but the close is ignored
}

TEST_F(InputRulesTest, LaterMovesOfFourPixelsKeepRunningAndMoveTheReference)
{
    MoveTo(500, 400); // the first move
    const InputAction small = MoveTo(503, 401); // |3| + |1| = 4
    EXPECT_FALSE(small.PostClose);
    EXPECT_EQ(rules.CloseArmed, 1);
    EXPECT_EQ(rules.LastCursorPos.X, 503);
    EXPECT_EQ(rules.LastCursorPos.Y, 401);

    // 4 more from the new reference: still running, 8 from the start.
    EXPECT_FALSE(MoveTo(503, 405).PostClose);
    EXPECT_EQ(rules.LastCursorPos.Y, 405);
}

TEST_F(InputRulesTest, LaterMoveOfFivePixelsEndsAndKeepsTheReference)
{
    MoveTo(500, 400);
    const InputAction big = MoveTo(498, 403); // |-2| + |3| = 5
    EXPECT_TRUE(big.PostClose);
    EXPECT_EQ(rules.CloseArmed, 1);
    EXPECT_EQ(rules.LastCursorPos.X, 500);
    EXPECT_EQ(rules.LastCursorPos.Y, 400);
    EXPECT_EQ(Send(msg::Close).Reply, InputReply::AskPassword);
}

TEST_F(InputRulesTest, MoveDistanceIsMeasuredFromTheCursorNotTheMessage)
{
    MoveTo(500, 400);
    // The cursor has not moved although a move message came: no close.
    EXPECT_FALSE(Send(msg::MouseMove, 0).PostClose);
    EXPECT_EQ(cursorReads, 2);
    EXPECT_FALSE(Send(msg::KeyDown).HideCursor);
    EXPECT_EQ(cursorReads, 2); // other messages do not read the cursor
}

TEST_F(InputRulesTest, KeysButtonPressesAndLosingActivationArmAndClose)
{
    const unsigned arming[] = {msg::KeyDown, msg::SysKeyDown, msg::LButtonDown, msg::RButtonDown,
                               msg::MButtonDown};
    for (unsigned message : arming) {
        InputRules fresh;
        const InputAction action = fresh.Handle(message, 0, [] { return CursorPoint{}; });
        EXPECT_TRUE(action.PostClose) << std::hex << message;
        EXPECT_EQ(action.Reply, InputReply::PassOn) << std::hex << message;
        EXPECT_EQ(fresh.CloseArmed, 1) << std::hex << message;
    }
    const InputAction deactivated = Send(msg::ActivateApp, 0);
    EXPECT_TRUE(deactivated.PostClose);
    EXPECT_EQ(rules.CloseArmed, 1);
}

TEST_F(InputRulesTest, ReleasesDoubleClicksWheelAndActivationDoNothing)
{
    const unsigned quiet[] = {0x0101 /* key up */,     0x0202 /* left up */,  0x0203 /* left double */,
                              0x0205 /* right up */,   0x0208 /* middle up */, 0x020A /* wheel */,
                              0x020E /* h-wheel */};
    for (unsigned message : quiet) {
        const InputAction action = Send(message);
        EXPECT_FALSE(action.PostClose) << std::hex << message;
        EXPECT_EQ(action.Reply, InputReply::PassOn) << std::hex << message;
    }
    EXPECT_FALSE(Send(msg::ActivateApp, 1).PostClose);
    EXPECT_EQ(rules.CloseArmed, 0);
    EXPECT_EQ(Send(msg::Close).Reply, InputReply::ReturnZero);
}

TEST_F(InputRulesTest, UnarmedCloseIsIgnoredArmedCloseAsksForThePassword)
{
    EXPECT_EQ(Send(msg::Close).Reply, InputReply::ReturnZero);
    EXPECT_EQ(Send(msg::Close).Reply, InputReply::ReturnZero);
    Send(msg::LButtonDown);
    EXPECT_EQ(Send(msg::Close).Reply, InputReply::AskPassword);
}

TEST_F(InputRulesTest, RefusedPasswordTakesTheNewCursorPositionAndStaysArmed)
{
    MoveTo(500, 400);
    Send(msg::KeyDown);
    ASSERT_EQ(Send(msg::Close).Reply, InputReply::AskPassword);
    rules.PasswordRefused({100, 100}); // the user moved the mouse while typing
    EXPECT_EQ(rules.CloseArmed, 1);
    EXPECT_FALSE(MoveTo(102, 102).PostClose); // 4 from the new reference
    EXPECT_TRUE(MoveTo(105, 104).PostClose);
    EXPECT_EQ(Send(msg::Close).Reply, InputReply::AskPassword);
}

TEST_F(InputRulesTest, WhileThePasswordDialogIsUpInputStandsAside)
{
    rules.PasswordDialogActive = 1;
    EXPECT_FALSE(Send(msg::KeyDown).PostClose);
    EXPECT_FALSE(Send(msg::SetCursor).HideCursor);
    EXPECT_EQ(Send(msg::SetCursor).Reply, InputReply::PassOn);
    MoveTo(0, 0);
    EXPECT_EQ(rules.CloseArmed, 0);
    EXPECT_EQ(rules.FirstMoveSeen, 0);
    EXPECT_EQ(cursorReads, 0);
    // A close request is still judged by the armed flag.
    EXPECT_EQ(Send(msg::Close).Reply, InputReply::ReturnZero);
}

TEST_F(InputRulesTest, CursorStaysHiddenOverTheWindow)
{
    const InputAction setCursor = Send(msg::SetCursor);
    EXPECT_TRUE(setCursor.HideCursor);
    EXPECT_EQ(setCursor.Reply, InputReply::ReturnTrue);
    EXPECT_TRUE(Send(msg::ShowWindow, 1).HideCursor);
    EXPECT_FALSE(Send(msg::ShowWindow, 0).HideCursor);
    EXPECT_EQ(Send(msg::ShowWindow, 1).Reply, InputReply::PassOn);
}

// The line a host writes when a close request has been judged names what
// ended the show, or says why a request was ignored.
TEST_F(InputRulesTest, CloseReportSaysWhatEndedTheShowOrWhyARequestWasIgnored)
{
    auto closeAt = [this](double seconds) {
        rules.Now = seconds;
        return Send(msg::Close).Reply == InputReply::AskPassword;
    };
    rules.Now = 0.25;
    MoveTo(900, 700); // the first move: asks for a close that is ignored
    EXPECT_FALSE(closeAt(0.25));
    EXPECT_EQ(CloseReport(rules, false), "a close request 0.25 s after the window appeared is ignored: the first "
                                         "mouse move, 700 px (from 500,400 to 900,700), does not count as input.");
    EXPECT_FALSE(closeAt(0.5)); // from another program: nothing armed yet
    EXPECT_NE(CloseReport(rules, false).find("from another program 0.50 s after the window appeared is ignored"),
              std::string::npos);

    rules.Now = 1.5;
    MoveTo(500, 400); // a second move that moved nothing still arms
    EXPECT_TRUE(closeAt(2.0));
    EXPECT_EQ(CloseReport(rules, true),
              "the show ends 2.00 s after its window appeared, on a close request from another program, accepted "
              "because of a mouse move of 0 px (from 500,400 to 500,400) at 1.50 s.");

    rules.Now = 3.0;
    MoveTo(503, 403); // 6 px: the rules' own close
    EXPECT_TRUE(closeAt(3.01));
    EXPECT_EQ(CloseReport(rules, true), "the show ends 3.01 s after its window appeared, on a mouse move of 6 px "
                                        "(from 500,400 to 503,403).");

    const std::pair<unsigned, const char*> presses[] = {
        {msg::KeyDown, "a key press (key code 0x41)"},
        {msg::SysKeyDown, "a key press with Alt or F10 (key code 0x41)"},
        {msg::LButtonDown, "the left mouse button"},
        {msg::RButtonDown, "the right mouse button"},
        {msg::MButtonDown, "the middle mouse button"},
        {msg::ActivateApp, "a switch to another program (to the probe)"},
    };
    for (const auto& [message, words] : presses) {
        Send(message, message == msg::ActivateApp ? 0 : 0x41);
        EXPECT_TRUE(closeAt(4.0));
        EXPECT_EQ(CloseReport(rules, true, "to the probe"),
                  std::string("the show ends 4.00 s after its window appeared, on ") + words + ".");
    }
}

// The black windows on the other monitors share the rules with the show's
// window: one first move, one reference, one armed flag.
class BlankScreenTest : public InputRulesTest {
protected:
    InputAction SendToBlank(unsigned message, std::uintptr_t wParam = 0)
    {
        return rules.HandleOnBlankScreen(message, wParam, [this] {
            ++cursorReads;
            return cursor;
        });
    }
    InputAction MoveOnBlankTo(long x, long y)
    {
        cursor = {x, y};
        return SendToBlank(msg::MouseMove);
    }
};

TEST_F(BlankScreenTest, WindowsAppearingUnderARestingCursorArmNothing)
{
    // Each window that appears under the cursor gets a move that moved nothing.
    EXPECT_FALSE(SendToBlank(msg::MouseMove).PostClose);
    EXPECT_EQ(rules.FirstMoveSeen, 0);
    EXPECT_FALSE(Send(msg::MouseMove).PostClose); // the show's window: its first move
    EXPECT_FALSE(SendToBlank(msg::MouseMove).PostClose);
    EXPECT_FALSE(SendToBlank(msg::MouseMove).PostClose);
    EXPECT_EQ(rules.FirstMoveSeen, 1);
    EXPECT_EQ(rules.CloseArmed, 0);
    EXPECT_EQ(SendToBlank(msg::Close).Reply, InputReply::ReturnZero);
    EXPECT_EQ(Send(msg::Close).Reply, InputReply::ReturnZero);
}

TEST_F(BlankScreenTest, RealMovesShareTheFirstMoveAndTheReference)
{
    // The first real move may be on a black window: it never arms.
    EXPECT_TRUE(MoveOnBlankTo(900, 400).PostClose);
    EXPECT_EQ(rules.CloseArmed, 0);
    // A later move on the show's window arms; small steps on either window
    // move the one reference, so a walk of small steps never ends the show.
    EXPECT_FALSE(MoveTo(503, 401).PostClose);
    EXPECT_EQ(rules.CloseArmed, 1);
    EXPECT_FALSE(MoveOnBlankTo(506, 402).PostClose);
    EXPECT_EQ(rules.LastCursorPos.X, 506);
    EXPECT_FALSE(MoveTo(508, 404).PostClose);
    EXPECT_TRUE(MoveOnBlankTo(508, 409).PostClose); // 5 from the shared reference
    EXPECT_EQ(SendToBlank(msg::Close).Reply, InputReply::AskPassword);
}

TEST_F(BlankScreenTest, KeysButtonsAndTheDialogAsOnTheShowsWindow)
{
    const InputAction key = SendToBlank(msg::KeyDown);
    EXPECT_TRUE(key.PostClose);
    EXPECT_EQ(rules.CloseArmed, 1);
    EXPECT_TRUE(SendToBlank(msg::SetCursor).HideCursor);

    InputRules fresh;
    fresh.PasswordDialogActive = 1;
    int reads = 0;
    const auto read = [&] {
        ++reads;
        return CursorPoint{1, 1};
    };
    EXPECT_FALSE(fresh.HandleOnBlankScreen(msg::MouseMove, 0, read).PostClose);
    EXPECT_FALSE(fresh.HandleOnBlankScreen(msg::LButtonDown, 0, read).PostClose);
    EXPECT_EQ(reads, 0);
    EXPECT_EQ(fresh.FirstMoveSeen, 0);
}

TEST(SysCommand, OnlyTheExactSwitchingAndScreenSaveCommandsAreSwallowed)
{
    EXPECT_TRUE(SwallowsSysCommand(61504)); // next window
    EXPECT_TRUE(SwallowsSysCommand(61520)); // previous window
    EXPECT_TRUE(SwallowsSysCommand(61760)); // screen save
    // The low four bits are not masked: these are different commands here.
    EXPECT_FALSE(SwallowsSysCommand(61504 + 1));
    EXPECT_FALSE(SwallowsSysCommand(61760 + 2));
    EXPECT_FALSE(SwallowsSysCommand(61536)); // close
    EXPECT_FALSE(SwallowsSysCommand(61488)); // maximise
    EXPECT_FALSE(SwallowsSysCommand(0));
}

} // namespace
} // namespace vessmark
