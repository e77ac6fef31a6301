#include "monitor_layout.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

namespace vessmark {

std::ostream& operator<<(std::ostream& out, const ScreenRect& r)
{
    return out << "(" << r.Left << "," << r.Top << ")-(" << r.Right << "," << r.Bottom << ")";
}

namespace {

using ::testing::ElementsAreArray;

// The show's window on a 1280 x 720 primary screen.
const ScreenRect Show{0, 0, 1280, 720};
const MonitorArea Primary{{0, 0, 1280, 720}, true};

struct LayoutCase {
    std::string name;
    std::vector<MonitorArea> monitors;
    std::vector<ScreenRect> blanked;
};

TEST(BlankedMonitorAreas, EveryMonitorButThePrimaryGetsBlackedOut)
{
    const LayoutCase cases[] = {
        {"one monitor", {Primary}, {}},
        {"a second one to the right", {Primary, {{1280, 0, 2304, 768}, false}}, {{1280, 0, 2304, 768}}},
        {"the primary listed second", {{{1280, 0, 2304, 768}, false}, Primary}, {{1280, 0, 2304, 768}}},
        {"left of the primary, lower", {Primary, {{-1920, 200, 0, 1280}, false}}, {{-1920, 200, 0, 1280}}},
        {"three: left and above",
         {{{-1024, -100, 0, 668}, false}, Primary, {{0, -1080, 1920, 0}, false}},
         {{-1024, -100, 0, 668}, {0, -1080, 1920, 0}}},
        {"three in a row, primary in the middle",
         {{{-1280, 0, 0, 720}, false}, Primary, {{1280, 0, 2560, 720}, false}},
         {{-1280, 0, 0, 720}, {1280, 0, 2560, 720}}},
        {"all above and left", {Primary, {{-3000, -2000, -1000, -500}, false}}, {{-3000, -2000, -1000, -500}}},
    };
    for (const LayoutCase& c : cases) {
        EXPECT_THAT(BlankedMonitorAreas(c.monitors, Show), ElementsAreArray(c.blanked)) << c.name;
    }
}

TEST(BlankedMonitorAreas, NothingTwiceAndNothingTheShowAlreadyCovers)
{
    const LayoutCase cases[] = {
        {"a mirror of the primary screen", {Primary, {{0, 0, 1280, 720}, false}}, {}},
        {"a smaller mirror inside the show", {Primary, {{0, 0, 1024, 720}, false}}, {}},
        {"no primary flag, same place as the show", {{{0, 0, 1280, 720}, false}}, {}},
        {"two outputs with one picture",
         {Primary, {{1280, 0, 2304, 768}, false}, {{1280, 0, 2304, 768}, false}},
         {{1280, 0, 2304, 768}}},
        {"a monitor of no size", {Primary, {{1280, 0, 1280, 768}, false}, {{1280, 5, 1500, 5}, false}}, {}},
        {"turned inside out", {Primary, {{2304, 768, 1280, 0}, false}}, {}},
        // Only partly under the show: covered whole; the show's window stays on top.
        {"overlapping the primary", {Primary, {{640, 0, 1920, 720}, false}}, {{640, 0, 1920, 720}}},
        {"no monitors listed", {}, {}},
    };
    for (const LayoutCase& c : cases) {
        EXPECT_THAT(BlankedMonitorAreas(c.monitors, Show), ElementsAreArray(c.blanked)) << c.name;
    }
}

} // namespace
} // namespace vessmark
