#pragma once
// Drawing every object's sphere in one go. The ways to do it (see
// draw_path.h) sit behind this one call; the objects' motion and colours are
// worked out before it and know nothing of them.

#include <span>

#include "scene_object.h"

namespace vessmark {

class SphereDrawer {
public:
    SphereDrawer() = default;
    SphereDrawer(const SphereDrawer&) = delete;
    SphereDrawer& operator=(const SphereDrawer&) = delete;
    // The OpenGL objects a drawer made belong to the context and go with it,
    // as the display lists always have: nothing is deleted here, so a drawer
    // may outlive its context.
    virtual ~SphereDrawer() = default;

    // Every object's sphere in its colour, stretched and turned along its
    // motion, the leaders first, into the current context. The modelview
    // matrix is the identity before and after.
    virtual void Draw(std::span<const SceneObject> leaders, std::span<const SceneObject> followers,
                      int tailLength) = 0;
};

} // namespace vessmark
