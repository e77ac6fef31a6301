#include "monitor_layout.h"

#include <algorithm>

namespace vessmark {

namespace {
bool IsEmpty(const ScreenRect& r) { return r.Right <= r.Left || r.Bottom <= r.Top; }

bool Inside(const ScreenRect& inner, const ScreenRect& outer)
{
    return inner.Left >= outer.Left && inner.Top >= outer.Top && inner.Right <= outer.Right &&
           inner.Bottom <= outer.Bottom;
}
} // namespace

std::vector<ScreenRect> BlankedMonitorAreas(const std::vector<MonitorArea>& monitors, const ScreenRect& showWindow)
{
    std::vector<ScreenRect> areas;
    for (const MonitorArea& monitor : monitors) {
        const ScreenRect& r = monitor.Bounds;
        if (monitor.Primary || IsEmpty(r) || Inside(r, showWindow) ||
            std::find(areas.begin(), areas.end(), r) != areas.end()) {
            continue;
        }
        areas.push_back(r);
    }
    return areas;
}

} // namespace vessmark
