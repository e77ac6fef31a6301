#pragma once
// The sphere every object is drawn with, as one indexed list of triangles.
// It is the sphere the show has always drawn: the same vertices and normals,
// the same facets and the same diagonal through every four-sided facet, so
// that the smooth shading across each facet is the same too.

#include <cstdint>
#include <vector>

#include "scene_object.h"

namespace vessmark {

struct SphereVertex {
    Vector3 Position;
    Vector3 Normal; // unit length, pointing away from the centre
};

struct SphereMesh {
    std::vector<SphereVertex> Vertices;
    std::vector<std::uint16_t> Indices; // three per triangle, counterclockwise seen from outside
    // The normal of the last vertex the show's sphere was ever drawn with: it
    // stays the current normal after a sphere, so the follower links were
    // always lit with it (it faces away from the light).
    Vector3 TrailingNormal;
};

// A sphere of `radius` cut around its z axis into `slices` and along it into
// `stacks`: a fan of triangles round each pole and two triangles for every
// facet between. Needs at least 3 slices and 2 stacks, and few enough facets
// for 16-bit indices; otherwise the mesh is empty.
SphereMesh BuildSphereMesh(float radius, int slices, int stacks);

} // namespace vessmark
