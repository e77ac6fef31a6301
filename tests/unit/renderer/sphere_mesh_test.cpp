#include "sphere_mesh.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <map>
#include <set>
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

using Triangle = std::array<std::uint16_t, 3>;

// A triangle the same whichever corner it is read from.
Triangle Canonical(const std::uint16_t* corners)
{
    Triangle t{corners[0], corners[1], corners[2]};
    while (t[0] != std::min({t[0], t[1], t[2]})) {
        std::rotate(t.begin(), t.begin() + 1, t.end());
    }
    return t;
}

TEST(SphereMesh, ItsColumnsHoldEveryTriangleOnceAndThenAgainForRunsPastTheLast)
{
    const SphereMesh mesh = BuildSphereMesh(2.0f, 12, 11);
    const std::size_t perColumn = mesh.IndicesPerColumn;
    ASSERT_EQ(perColumn, 3u * 20u) << "two fan triangles and nine facets of two";
    ASSERT_EQ(mesh.ColumnIndices.size(), perColumn * 23u);
    std::multiset<Triangle> all;
    std::multiset<Triangle> columns;
    for (std::size_t i = 0; i < mesh.Indices.size(); i += 3) {
        all.insert(Canonical(&mesh.Indices[i]));
    }
    for (std::size_t i = 0; i < perColumn * 12u; i += 3) {
        columns.insert(Canonical(&mesh.ColumnIndices[i]));
        // A column lies between two neighbouring slices.
        const int column = static_cast<int>(i / perColumn);
        for (int k = 0; k < 3; ++k) {
            const std::uint16_t corner = mesh.ColumnIndices[i + static_cast<std::size_t>(k)];
            if (corner >= 2) {
                const int slice = (corner - 2) % 12;
                EXPECT_TRUE(slice == column || slice == (column + 1) % 12) << "triangle " << i / 3;
            }
        }
    }
    EXPECT_EQ(columns, all);
    EXPECT_TRUE(std::equal(mesh.ColumnIndices.begin() + static_cast<std::ptrdiff_t>(perColumn * 12u),
                           mesh.ColumnIndices.end(), mesh.ColumnIndices.begin()));
}

TEST(SphereMesh, TheColumnsFacingAnEyeHoldEveryTriangleThatFacesIt)
{
    const SphereMesh mesh = BuildSphereMesh(2.0f, 12, 11);
    const double pi = std::acos(-1.0);
    // Eyes all round, near (just outside the sphere) and far.
    for (double distance : {2.3, 3.0, 10.0, 1000.0}) {
        for (int polar = 0; polar <= 24; ++polar) {
            for (int around = 0; around < 37; ++around) {
                const double p = pi * polar / 24.0;
                const double a = 2.0 * pi * around / 37.0;
                const Vector3 eye{static_cast<float>(distance * std::sin(p) * std::cos(a)),
                                  static_cast<float>(distance * std::sin(p) * std::sin(a)),
                                  static_cast<float>(distance * std::cos(p))};
                const ColumnRun run = FacingColumns(mesh, eye);
                if (distance > 5.0 && polar == 12) {
                    // Where the eye of a streak lies in the sphere's own
                    // coordinates: its stretch squeezes the eye's height.
                    EXPECT_LE(run.Count, 7) << "a far eye level with the equator sees about half";
                }
                for (std::size_t i = 0; i < mesh.IndicesPerColumn * 12u; i += 3) {
                    const Vector3& a0 = mesh.Vertices[mesh.ColumnIndices[i]].Position;
                    const Vector3& b0 = mesh.Vertices[mesh.ColumnIndices[i + 1]].Position;
                    const Vector3& c0 = mesh.Vertices[mesh.ColumnIndices[i + 2]].Position;
                    if (Dot(Cross(Minus(b0, a0), Minus(c0, a0)), Minus(eye, a0)) <= 0.0f) {
                        continue; // faces away
                    }
                    const int column = static_cast<int>(i / mesh.IndicesPerColumn);
                    EXPECT_LT((column - run.First + 12) % 12, run.Count)
                        << "column " << column << " faces an eye at " << eye.X << ", " << eye.Y << ", " << eye.Z;
                }
            }
        }
    }
    EXPECT_EQ(FacingColumns(mesh, {0.0f, 0.0f, 50.0f}).Count, 12) << "above a pole: all of them";
    EXPECT_EQ(FacingColumns(mesh, {0.0f, 0.0f, 0.0f}).Count, 0) << "inside: none";
    EXPECT_EQ(FacingColumns(mesh, {500.0f, 0.0f, 0.0f}).Count, 6) << "beside it, far: half";
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
