#pragma once
// The OpenGL side of building the scene, the same on every host. The host
// creates the context and makes it current first.

#include <string>

#include "draw_path.h"
#include "gl_loader.h"
#include "scene.h"

namespace vessmark {

// Sizes the scene to a client area of width x height pixels: viewport, extents
// and aspect. An empty area leaves the scene unsized, and no frame is drawn.
void SizeScene(Scene& scene, int width, int height);

// Everything the frames rely on, while the modelview matrix is still the
// identity: the size (as SizeScene), depth test, culling, black clear colour,
// smooth lines, for spheres light 0, colour material and the sphere, drawn
// the way the driver's version and extensions allow (or the 1.1 way when
// `request` says so, or when the host has no `load`); then the objects
// (PopulateScene). False when the objects could not be allocated: the host
// must end the show rather than draw.
bool BuildScene(Scene& scene, int width, int height, const GlFunctionLoader& load = {},
                DrawPathRequest request = DrawPathRequest::Auto);

// The name of the OpenGL renderer of the current context, for reports.
std::string CurrentRendererName();

} // namespace vessmark
