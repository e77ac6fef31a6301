#pragma once
// Drawing every object's sphere in one go. The ways to do it (see
// draw_path.h) sit behind this one call; the objects' motion and colours are
// worked out before it and know nothing of them.

#include <span>

#include "colour.h"
#include "object_shape.h"

namespace vessmark {

// One sphere as the drawers take it: where it goes and its colour.
struct SphereInstance {
    SpherePlacement Placement;
    RgbColour Colour;
};

class SphereDrawer {
public:
    SphereDrawer() = default;
    SphereDrawer(const SphereDrawer&) = delete;
    SphereDrawer& operator=(const SphereDrawer&) = delete;
    // The OpenGL objects a drawer made belong to the context and go with it,
    // as the display lists always have: nothing is deleted here, so a drawer
    // may outlive its context.
    virtual ~SphereDrawer() = default;

    // The spheres in their colours, in this order, into the current context,
    // seen from an eye at `eye`. The modelview matrix is the identity before
    // and after.
    virtual void Draw(std::span<const SphereInstance> spheres, const Vector3& eye) = 0;
};

} // namespace vessmark
