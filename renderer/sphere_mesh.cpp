#include "sphere_mesh.h"

#include <cmath>
#include <limits>

namespace vessmark {

namespace {
// Vertex of the ring `stack` (1 .. stacks - 1, from the +z pole) at slice
// `slice`. Slice 0 lies toward +y and the slices go round toward -x.
SphereVertex RingVertex(float radius, int slices, int stacks, int stack, int slice)
{
    const double pi = std::acos(-1.0);
    const double polar = pi * stack / stacks;
    const double around = 2.0 * pi * (slice % slices) / slices;
    const auto ring = std::sin(polar);
    const Vector3 normal{static_cast<float>(-std::sin(around) * ring), static_cast<float>(std::cos(around) * ring),
                         static_cast<float>(std::cos(polar))};
    return {{normal.X * radius, normal.Y * radius, normal.Z * radius}, normal};
}
} // namespace

SphereMesh BuildSphereMesh(float radius, int slices, int stacks)
{
    SphereMesh mesh;
    const long long vertexCount = static_cast<long long>(slices) * (stacks - 1) + 2;
    if (slices < 3 || stacks < 2 || vertexCount > std::numeric_limits<std::uint16_t>::max()) {
        return mesh;
    }
    // Vertex 0 is the +z pole, 1 the -z pole, then ring after ring from +z.
    mesh.Vertices.push_back({{0.0f, 0.0f, radius}, {0.0f, 0.0f, 1.0f}});
    mesh.Vertices.push_back({{0.0f, 0.0f, -radius}, {0.0f, 0.0f, -1.0f}});
    for (int stack = 1; stack < stacks; ++stack) {
        for (int slice = 0; slice < slices; ++slice) {
            mesh.Vertices.push_back(RingVertex(radius, slices, stacks, stack, slice));
        }
    }
    const auto at = [slices](int stack, int slice) {
        return static_cast<std::uint16_t>(2 + (stack - 1) * slices + (slice % slices));
    };
    const auto triangle = [&mesh](std::uint16_t a, std::uint16_t b, std::uint16_t c) {
        mesh.Indices.insert(mesh.Indices.end(), {a, b, c});
    };

    for (int slice = 0; slice < slices; ++slice) {
        triangle(0, at(1, slice), at(1, slice + 1));
    }
    for (int step = 0; step < slices; ++step) {
        const int slice = (slices - step) % slices;
        triangle(1, at(stacks - 1, slice), at(stacks - 1, slice + slices - 1));
    }
    // Between two rings the facets go round from the last slice back to the
    // first; each is cut along the diagonal from its upper ring's first
    // corner to its lower ring's second.
    for (int stack = 1; stack + 1 < stacks; ++stack) {
        for (int slice = slices - 1; slice >= 0; --slice) {
            triangle(at(stack + 1, slice), at(stack + 1, slice + 1), at(stack, slice));
            triangle(at(stack + 1, slice + 1), at(stack, slice + 1), at(stack, slice));
        }
    }
    mesh.TrailingNormal = RingVertex(radius, slices, stacks, stacks - 1, 0).Normal;
    return mesh;
}

} // namespace vessmark
