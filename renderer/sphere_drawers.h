#pragma once
// The two ways of drawing the spheres (draw_path.h), each behind the same
// SphereDrawer::Draw. Both need the context current while they are made.

#include <cstddef>
#include <memory>

#include "gl_loader.h"
#include "sphere_drawer.h"
#include "sphere_mesh.h"

namespace vessmark {

// OpenGL 1.1: the mesh compiled into the display list SphereList, and per
// object one colour, one matrix load and one call of the list.
std::unique_ptr<SphereDrawer> MakeFixedSphereDrawer(const SphereMesh& mesh);

// The mesh in buffers, every object's placement and colour in one more
// buffer each frame, all objects in one instanced draw lit by a vertex
// shader. Nothing when a function is missing or the shader cannot be built
// on this driver: the caller then draws the 1.1 way.
std::unique_ptr<SphereDrawer> MakeInstancedSphereDrawer(const SphereMesh& mesh, const GlFunctionLoader& load,
                                                        bool arbInstancing, std::size_t objectCount);

} // namespace vessmark
