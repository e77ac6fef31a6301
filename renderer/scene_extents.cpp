#include "scene_extents.h"

namespace vessmark {

std::optional<SceneExtents> ComputeSceneExtents(int width, int height)
{
    if (width <= 0 || height <= 0) {
        return std::nullopt;
    }
    SceneExtents extents;
    extents.HalfDepth = SceneShortHalfSide;
    if (width > height) {
        extents.HalfHeight = SceneShortHalfSide;
        extents.HalfWidth = width * SceneShortHalfSide / height;
    } else {
        extents.HalfWidth = SceneShortHalfSide;
        extents.HalfHeight = height * SceneShortHalfSide / width;
    }
    return extents;
}

std::optional<float> ComputeAspect(int right, int bottom)
{
    if (right <= 0 || bottom <= 0) {
        return std::nullopt;
    }
    return static_cast<float>(right) / static_cast<float>(bottom);
}

} // namespace vessmark
