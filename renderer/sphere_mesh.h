#pragma once
// The sphere every object is drawn with, as one indexed list of triangles.
// It is the sphere the show has always drawn: the same vertices and normals,
// the same facets and the same diagonal through every four-sided facet, so
// that the smooth shading across each facet is the same too.

#include <cstddef>
#include <cstdint>
#include <vector>

#include "scene_object.h"

namespace vessmark {

struct SphereVertex {
    Vector3 Position;
    Vector3 Normal; // unit length, pointing away from the centre
};

// The plane of one triangle: its outward unit normal, and that normal's
// product with any of its corners.
struct FacetPlane {
    Vector3 Normal;
    float Offset = 0.0f;
};

// A run of neighbouring columns of the sphere (below), from First on, round
// past the last one to the first; Count 0 is none.
struct ColumnRun {
    int First = 0;
    int Count = 0;
};

struct SphereMesh {
    std::vector<SphereVertex> Vertices;
    std::vector<std::uint16_t> Indices; // three per triangle, counterclockwise seen from outside

    // The same triangles by columns, a column being every triangle between
    // two neighbouring slices from pole to pole: column after column, and
    // then every column but the last once more, so that any run of columns
    // is one stretch of indices.
    int Slices = 0;
    std::size_t IndicesPerColumn = 0;
    std::vector<std::uint16_t> ColumnIndices;
    std::vector<FacetPlane> ColumnPlanes; // one per triangle of the first pass of ColumnIndices

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

// The shortest run of columns that holds every triangle of `mesh` whose
// front may face an eye at `eye`, given in the sphere's own coordinates
// (before any stretch): every column for an eye above a pole, about half of
// them for an eye to the side, none for an eye inside. A triangle counts as
// facing it unless the eye lies plainly behind its plane, so that the
// rasteriser, which decides on the rounded corners it is given, can never
// find a front among the triangles left out.
ColumnRun FacingColumns(const SphereMesh& mesh, const Vector3& eye);

} // namespace vessmark
