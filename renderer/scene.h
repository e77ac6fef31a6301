#pragma once
// The renderer's scene state and the OpenGL work that is the same on every
// host. The host owns the window, the drawing context and the swap; it calls in
// here once the context is current.

#include "random.h"
#include "renderer_settings.h"
#include "scene_extents.h"

namespace vessmark {

// Display list that holds the lit sphere every object is drawn with.
inline constexpr unsigned SphereList = 1;

struct Scene {
    RendererSettings Settings;
    RandomGenerator Random;
    SceneExtents Extents;
    float Aspect = 0.0f;
    float HueStep = 0.0f;
    bool Sized = false; // extents, aspect and viewport are known; frames may be drawn
};

// Seeds the show's generator and throws the first 20 values away.
void SeedScene(Scene& scene, std::uint32_t seed);

// Sizes the scene to a client area of width x height pixels: viewport, extents
// and aspect. An empty area leaves the scene unsized, and no frame is drawn.
// Needs the context current.
void SizeScene(Scene& scene, int width, int height);

// Everything the frames rely on, once the context is current and the modelview
// matrix is still the identity: the size (as SizeScene), depth test, culling,
// black clear colour, smooth lines, for spheres light 0, colour material and the
// sphere list, and the hue step.
void BuildScene(Scene& scene, int width, int height);

// Draws one frame into the current context; the host presents it.
void DrawFrame(Scene& scene);

} // namespace vessmark
