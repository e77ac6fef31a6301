#include "sphere_mesh.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace vessmark {

namespace {
float Dot(const Vector3& a, const Vector3& b) { return a.X * b.X + a.Y * b.Y + a.Z * b.Z; }
Vector3 Cross(const Vector3& a, const Vector3& b)
{
    return {a.Y * b.Z - a.Z * b.Y, a.Z * b.X - a.X * b.Z, a.X * b.Y - a.Y * b.X};
}

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
    // Each triangle also goes into the column between its slice and the next.
    std::vector<std::vector<std::uint16_t>> columns(static_cast<std::size_t>(slices));
    const auto triangle = [&](int column, std::uint16_t a, std::uint16_t b, std::uint16_t c) {
        mesh.Indices.insert(mesh.Indices.end(), {a, b, c});
        columns[static_cast<std::size_t>(column)].insert(columns[static_cast<std::size_t>(column)].end(), {a, b, c});
    };

    for (int slice = 0; slice < slices; ++slice) {
        triangle(slice, 0, at(1, slice), at(1, slice + 1));
    }
    for (int step = 0; step < slices; ++step) {
        const int slice = (slices - step) % slices;
        triangle((slice + slices - 1) % slices, 1, at(stacks - 1, slice), at(stacks - 1, slice + slices - 1));
    }
    // Between two rings the facets go round from the last slice back to the
    // first; each is cut along the diagonal from its upper ring's first
    // corner to its lower ring's second.
    for (int stack = 1; stack + 1 < stacks; ++stack) {
        for (int slice = slices - 1; slice >= 0; --slice) {
            triangle(slice, at(stack + 1, slice), at(stack + 1, slice + 1), at(stack, slice));
            triangle(slice, at(stack + 1, slice + 1), at(stack, slice + 1), at(stack, slice));
        }
    }
    mesh.TrailingNormal = RingVertex(radius, slices, stacks, stacks - 1, 0).Normal;

    mesh.Slices = slices;
    mesh.IndicesPerColumn = columns.front().size();
    for (int pass = 0; pass < 2; ++pass) {
        for (int column = 0; column < (pass == 0 ? slices : slices - 1); ++column) {
            const auto& indices = columns[static_cast<std::size_t>(column)];
            mesh.ColumnIndices.insert(mesh.ColumnIndices.end(), indices.begin(), indices.end());
        }
    }
    for (std::size_t i = 0; i < mesh.IndicesPerColumn * static_cast<std::size_t>(slices); i += 3) {
        const Vector3& a = mesh.Vertices[mesh.ColumnIndices[i]].Position;
        const Vector3& b = mesh.Vertices[mesh.ColumnIndices[i + 1]].Position;
        const Vector3& c = mesh.Vertices[mesh.ColumnIndices[i + 2]].Position;
        const Vector3 n = Cross({b.X - a.X, b.Y - a.Y, b.Z - a.Z}, {c.X - a.X, c.Y - a.Y, c.Z - a.Z});
        const float length = std::sqrt(Dot(n, n));
        const Vector3 unit{n.X / length, n.Y / length, n.Z / length};
        mesh.ColumnPlanes.push_back({unit, Dot(unit, a)});
    }
    return mesh;
}

ColumnRun FacingColumns(const SphereMesh& mesh, const Vector3& eye)
{
    const int slices = mesh.Slices;
    if (slices == 0) {
        return {};
    }
    if (slices > 31) {
        return {0, slices}; // more columns than the mask below holds: all of them
    }
    // Behind by more than this share of the eye's distance: plainly behind.
    constexpr float Slack = 1e-3f;
    const float reach = Slack * (std::sqrt(Dot(eye, eye)) + 1.0f);
    const std::size_t perColumn = mesh.IndicesPerColumn / 3;
    unsigned facing = 0;
    for (int column = 0; column < slices; ++column) {
        for (std::size_t k = 0; k < perColumn; ++k) {
            const FacetPlane& plane = mesh.ColumnPlanes[static_cast<std::size_t>(column) * perColumn + k];
            if (Dot(plane.Normal, eye) - plane.Offset > -reach) {
                facing |= 1u << column;
                break;
            }
        }
    }
    const unsigned every = (1u << slices) - 1u;
    if (facing == 0 || facing == every) {
        return {0, facing == 0 ? 0 : slices};
    }
    // The shortest run that starts at a facing column after one that is not
    // and reaches every facing column.
    ColumnRun best{0, slices};
    for (int first = 0; first < slices; ++first) {
        const bool starts = (facing >> first & 1u) != 0 && (facing >> ((first + slices - 1) % slices) & 1u) == 0;
        if (!starts) {
            continue;
        }
        int count = 0;
        for (int column = 0; column < slices; ++column) {
            if ((facing >> column & 1u) != 0) {
                count = std::max(count, (column - first + slices) % slices + 1);
            }
        }
        if (count < best.Count) {
            best = {first, count};
        }
    }
    return best;
}

} // namespace vessmark
