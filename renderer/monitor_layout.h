#pragma once
// Which parts of the desktop the show blacks out besides its own window. The
// show's window covers the primary screen; every other monitor would go on
// showing whatever is open there while the user is away, so each gets a plain
// black window. The host lists the monitors; the choice is made here.

#include <vector>

namespace vessmark {

// A rectangle in virtual-screen pixels, right and bottom exclusive. Monitors
// left of or above the primary one have negative coordinates.
struct ScreenRect {
    long Left = 0;
    long Top = 0;
    long Right = 0;
    long Bottom = 0;
    bool operator==(const ScreenRect&) const = default;
};

struct MonitorArea {
    ScreenRect Bounds;
    bool Primary = false;
};

// The monitors to black out, in the order listed: every monitor but the
// primary one, leaving out any that lies wholly inside the show's own window
// (a mirror of the primary screen), any without area, and repeats of one
// already taken (two outputs showing the same picture).
std::vector<ScreenRect> BlankedMonitorAreas(const std::vector<MonitorArea>& monitors, const ScreenRect& showWindow);

} // namespace vessmark
