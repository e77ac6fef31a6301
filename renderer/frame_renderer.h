#pragma once
// Drawing one frame of the show into the current context. The host presents
// it (a buffer swap, or a read-back off-screen).

#include <span>

#include "object_shape.h"
#include "scene.h"

namespace vessmark {

// Field of view and depth range of the camera, which sits 2 x HalfWidth in
// front of the scene's centre looking toward negative z.
inline constexpr double CameraFieldOfView = 80.0;
inline constexpr double CameraNear = 50.0;
inline constexpr double CameraFar = 2000.0;

// What the camera of a sized scene sees: the eye 2 x HalfWidth in front of
// the scene's centre, the field of view and the depth range above.
ViewVolume CameraView(const Scene& scene);

// The frame's time step, the camera, a cleared picture, every object steered,
// moved and coloured (the leaders first, so that the followers chase where
// their leaders are in this frame), then every object drawn, then the links.
// Nothing happens in an unsized scene.
void DrawFrame(Scene& scene);

// Steers, moves and colours one object; followers need the leaders for their
// search and their chase.
void UpdateAndColour(Scene& scene, SceneObject& object, std::span<const SceneObject> leaders);

} // namespace vessmark
