#pragma once
// The box that all motion stays in, sized from the window's client area.

#include <optional>

namespace vessmark {

struct SceneExtents {
    int HalfWidth = 0;
    int HalfHeight = 0;
    int HalfDepth = 0;
};

inline constexpr int SceneShortHalfSide = 160;

// The shorter screen side gets 160 units and the longer one grows with the
// aspect ratio (integer division, truncating). An empty client area has no
// extents: nothing can be drawn into it.
std::optional<SceneExtents> ComputeSceneExtents(int width, int height);

// Client width over client height, or nothing for an empty client area.
std::optional<float> ComputeAspect(int right, int bottom);

} // namespace vessmark
