#include "sphere_mesh.h"

#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <utility>

namespace vessmark {
namespace {

Vector3 Minus(const Vector3& a, const Vector3& b) { return {a.X - b.X, a.Y - b.Y, a.Z - b.Z}; }
float Dot(const Vector3& a, const Vector3& b) { return a.X * b.X + a.Y * b.Y + a.Z * b.Z; }
Vector3 Cross(const Vector3& a, const Vector3& b)
{
    return {a.Y * b.Z - a.Z * b.Y, a.Z * b.X - a.X * b.Z, a.X * b.Y - a.Y * b.X};
}

TEST(SphereMesh, TheShowsSphereIsAClosedSurfaceOfOutwardFacingTriangles)
{
    const SphereMesh mesh = BuildSphereMesh(2.0f, 12, 11);
    ASSERT_EQ(mesh.Vertices.size(), 12u * 10u + 2u) << "two poles and ten rings of twelve";
    ASSERT_EQ(mesh.Indices.size(), 3u * (2u * 12u + 2u * 12u * 9u)) << "two fans and nine bands of twelve facets";

    for (const SphereVertex& v : mesh.Vertices) {
        EXPECT_NEAR(std::sqrt(Dot(v.Position, v.Position)), 2.0f, 1e-5f);
        EXPECT_NEAR(v.Normal.X * 2.0f, v.Position.X, 1e-5f);
        EXPECT_NEAR(v.Normal.Y * 2.0f, v.Position.Y, 1e-5f);
        EXPECT_NEAR(v.Normal.Z * 2.0f, v.Position.Z, 1e-5f);
    }
    // Counterclockwise seen from outside, or culling would drop the side
    // that faces the viewer; and no triangle without an area.
    std::map<std::pair<int, int>, int> edges;
    for (std::size_t i = 0; i < mesh.Indices.size(); i += 3) {
        const Vector3& a = mesh.Vertices[mesh.Indices[i]].Position;
        const Vector3& b = mesh.Vertices[mesh.Indices[i + 1]].Position;
        const Vector3& c = mesh.Vertices[mesh.Indices[i + 2]].Position;
        const Vector3 centre{(a.X + b.X + c.X) / 3, (a.Y + b.Y + c.Y) / 3, (a.Z + b.Z + c.Z) / 3};
        EXPECT_GT(Dot(Cross(Minus(b, a), Minus(c, a)), centre), 1e-3f) << "triangle " << i / 3;
        for (int k = 0; k < 3; ++k) {
            const int from = mesh.Indices[i + static_cast<std::size_t>(k)];
            const int to = mesh.Indices[i + static_cast<std::size_t>((k + 1) % 3)];
            ++edges[{std::min(from, to), std::max(from, to)}];
        }
    }
    // Every edge between exactly two triangles: no hole, no facet twice.
    for (const auto& [edge, count] : edges) {
        EXPECT_EQ(count, 2) << "edge " << edge.first << "-" << edge.second;
    }
}

TEST(SphereMesh, ImpossibleCutsGiveNoMesh)
{
    EXPECT_TRUE(BuildSphereMesh(2.0f, 2, 11).Indices.empty());
    EXPECT_TRUE(BuildSphereMesh(2.0f, 12, 1).Indices.empty());
    EXPECT_TRUE(BuildSphereMesh(2.0f, 1000, 1000).Indices.empty()) << "more vertices than 16-bit indices reach";
    EXPECT_EQ(BuildSphereMesh(1.0f, 3, 2).Indices.size(), 3u * 6u) << "the smallest: two fans of three";
}

} // namespace
} // namespace vessmark
