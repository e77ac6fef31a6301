#include "object_shape.h"

#include <gtest/gtest.h>

#include <array>
#include <algorithm>
#include <cmath>

namespace vessmark {
namespace {

TEST(SphereStretch, IsThreeTenthsOfTheSpeedButNeverBelowOne)
{
    for (const float speed : {0.0f, 1.0f, 3.0f, 10.0f, 100.0f, 400.0f}) {
        const MotionDirection motion = DirectionOfMotion({0.0f, speed, 0.0f});
        const float expected = std::max(1.0f, 0.3f * speed);
        EXPECT_NEAR(SphereStretch(150, motion.Length), expected, 1e-4f * expected) << "speed " << speed;
    }
}

TEST(SphereStretch, ALeaderAtFullSpeedOnEveryAxisIsStretchedAbout208Times)
{
    const MotionDirection motion = DirectionOfMotion({400.0f, 400.0f, 400.0f});
    const float stretch = SphereStretch(150, motion.Length);
    EXPECT_NEAR(stretch, 207.846f, 0.01f);
    // A sphere of radius 2 becomes a streak about 830 units long.
    EXPECT_NEAR(2.0f * 2.0f * stretch, 831.4f, 0.1f);
}

TEST(DirectionOfMotion, IsZeroAtRestAndAUnitVectorOtherwise)
{
    const MotionDirection rest = DirectionOfMotion({0, 0, 0});
    EXPECT_EQ(rest.Length, 0.0f);
    EXPECT_EQ(rest.Unit.X, 0.0f);
    EXPECT_EQ(rest.Unit.Y, 0.0f);
    EXPECT_EQ(rest.Unit.Z, 0.0f);
    EXPECT_EQ(SphereStretch(150, rest.Length), 1.0f) << "an object at rest is a round sphere";

    const MotionDirection moving = DirectionOfMotion({30.0f, 0.0f, -40.0f});
    EXPECT_FLOAT_EQ(moving.Length, 2.0f); // 50 units per second, scaled by 0.04
    EXPECT_FLOAT_EQ(moving.Unit.X, 0.6f);
    EXPECT_FLOAT_EQ(moving.Unit.Z, -0.8f);
}

// Where the sphere's own z axis ends up after glRotate(heading, y axis) and
// then glRotate(pitch, x axis), applied to the vertex in the reverse order.
std::array<double, 3> TurnedZAxis(float headingDegrees, float pitchDegrees)
{
    const double pi = std::acos(-1.0);
    const double heading = headingDegrees * pi / 180.0;
    const double pitch = pitchDegrees * pi / 180.0;
    // About x: (0, 0, 1) -> (0, -sin p, cos p).
    const double y = -std::sin(pitch);
    const double z = std::cos(pitch);
    // About y: (x, y, z) -> (x cos h + z sin h, y, -x sin h + z cos h).
    return {z * std::sin(heading), y, z * std::cos(heading)};
}

TEST(SphereRotation, TurnsTheSpheresAxisOntoTheLineOfMotion)
{
    const std::array<Vector3, 7> velocities = {
        Vector3{1, 0, 0}, Vector3{0, 1, 0}, Vector3{0, 0, -1}, Vector3{3, -4, 12},
        Vector3{-400, 400, 400}, Vector3{-5, -1, -2}, Vector3{0.5f, 0.25f, -3}};
    for (const Vector3& v : velocities) {
        const MotionDirection motion = DirectionOfMotion(v);
        const auto axis = TurnedZAxis(HeadingDegrees(motion.Unit), PitchDegrees(motion.Unit));
        const double along = axis[0] * motion.Unit.X + axis[1] * motion.Unit.Y + axis[2] * motion.Unit.Z;
        // The stretch is symmetric, so the axis may point either way along the line.
        EXPECT_NEAR(std::fabs(along), 1.0, 1e-5) << v.X << ", " << v.Y << ", " << v.Z;
    }
}

TEST(SphereRotation, UsesTheShowsDegreeFactor)
{
    EXPECT_FLOAT_EQ(PitchDegrees({0, 1, 0}), 90.0f);
    EXPECT_FLOAT_EQ(HeadingDegrees({1, 0, 0}), -90.0f);
    EXPECT_FLOAT_EQ(HeadingDegrees({0, 0, -1}), 0.0f);
    EXPECT_FLOAT_EQ(PitchDegrees({0, 1.0000001f, 0}), 90.0f) << "a hair past 1 is still straight up";
}

// A 4 x 4 matrix, column by column, as OpenGL keeps them.
using Matrix = std::array<double, 16>;

Matrix Multiply(const Matrix& a, const Matrix& b)
{
    Matrix product{};
    for (int column = 0; column < 4; ++column) {
        for (int row = 0; row < 4; ++row) {
            for (int k = 0; k < 4; ++k) {
                product[column * 4 + row] += a[k * 4 + row] * b[column * 4 + k];
            }
        }
    }
    return product;
}

// glTranslate, glRotate about a main axis, and glScale as OpenGL defines them.
Matrix Translation(const Vector3& p) { return {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, p.X, p.Y, p.Z, 1}; }
Matrix RotationAboutY(double degrees)
{
    const double r = degrees * std::acos(-1.0) / 180.0;
    return {std::cos(r), 0, -std::sin(r), 0, 0, 1, 0, 0, std::sin(r), 0, std::cos(r), 0, 0, 0, 0, 1};
}
Matrix RotationAboutX(double degrees)
{
    const double r = degrees * std::acos(-1.0) / 180.0;
    return {1, 0, 0, 0, 0, std::cos(r), std::sin(r), 0, 0, -std::sin(r), std::cos(r), 0, 0, 0, 0, 1};
}
Matrix ScaleZ(double z) { return {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, z, 0, 0, 0, 0, 1}; }

TEST(SpherePlacement, IsOneMatrixForTheTranslationTheTwoRotationsAndTheStretch)
{
    const Vector3 position{-120.5f, 33.0f, 150.25f};
    const std::array<Vector3, 6> velocities = {Vector3{400, 400, 400}, Vector3{0, 0, -1}, Vector3{3, -4, 12},
                                               Vector3{-5, -1, -2}, Vector3{0, 250, 0}, Vector3{0.5f, 0.25f, -3}};
    for (const Vector3& v : velocities) {
        const MotionDirection motion = DirectionOfMotion(v);
        const auto matrix = PlacementMatrix(PlaceSphere(position, motion, 150));
        const Matrix expected = Multiply(
            Multiply(Multiply(Translation(position), RotationAboutY(HeadingDegrees(motion.Unit))),
                     RotationAboutX(PitchDegrees(motion.Unit))),
            ScaleZ(SphereStretch(150, motion.Length)));
        for (std::size_t i = 0; i < 16; ++i) {
            EXPECT_NEAR(matrix[i], expected[i], 1e-4 * std::max(1.0, std::fabs(expected[i])))
                << "element " << i << " for " << v.X << ", " << v.Y << ", " << v.Z;
        }
        // The sphere's own z axis lies along the motion, stretched.
        const float along = matrix[8] * motion.Unit.X + matrix[9] * motion.Unit.Y + matrix[10] * motion.Unit.Z;
        EXPECT_NEAR(std::fabs(along), SphereStretch(150, motion.Length), 1e-3f);
    }
}

TEST(SpherePlacement, WithoutATailTheSphereIsOnlyMoved)
{
    const auto matrix = PlacementMatrix(PlaceSphere({1.0f, 2.0f, 3.0f}, DirectionOfMotion({300, -20, 5}), 0));
    const std::array<float, 16> moved = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 1, 2, 3, 1};
    EXPECT_EQ(matrix, moved);
}

TEST(SphereVisibility, OnlySpheresWhollyOutsideTheViewAreLeftOut)
{
    // The camera of a 1920 x 1080 show: 568 units before the centre, 80 degrees high.
    ViewVolume view;
    view.EyeZ = 568.0f;
    view.Near = 50.0f;
    view.Far = 2000.0f;
    view.TanHalfHeight = static_cast<float>(std::tan(40.0 * std::acos(-1.0) / 180.0));
    view.TanHalfWidth = view.TanHalfHeight * 1920.0f / 1080.0f;
    // At z = 0 the view reaches 847 units left and right and 477 up and down.
    struct Case {
        Vector3 Position;
        Vector3 Velocity; // stretch 0.3 x speed: 333.3 units per second make a streak 400 long
        bool Seen;
        const char* What;
    };
    const Case cases[] = {
        {{0, 0, 0}, {0, 0, 0}, true, "in the middle"},
        {{0, 0, 519}, {0, 0, 0}, true, "reaching past the near plane"},
        {{0, 0, 522}, {0, 0, 0}, false, "nearer than the near plane"},
        {{0, 0, 700}, {0, 0, 0}, false, "behind the eye"},
        {{0, 0, -1433}, {0, 0, 0}, true, "reaching the far plane"},
        {{0, 0, -1436}, {0, 0, 0}, false, "beyond the far plane"},
        {{0, 0, -1436}, {0, 0, 333.3f}, true, "beyond the far plane, reaching back into the view"},
        {{-849, 0, 0}, {0, 0, 0}, true, "touching the left edge"},
        {{-2000, 0, 0}, {0, 0, 0}, false, "far to the left"},
        {{-1000, 0, 0}, {333.3f, 0, 0}, true, "outside, streaking into the view"},
        {{-1000, 0, 0}, {0, 333.3f, 0}, false, "outside, streaking along the edge"},
        {{0, 600, 0}, {0, 0, 0}, false, "above the top"},
        {{0, -600, 0}, {333.3f, 0, 0}, false, "below the bottom, streaking across"},
    };
    for (const Case& c : cases) {
        const SpherePlacement placement = PlaceSphere(c.Position, DirectionOfMotion(c.Velocity), 150);
        EXPECT_EQ(MaySeeSphere(placement, SphereRadius(4), view), c.Seen) << c.What;
    }
}

TEST(FlatDrawing, NearerObjectsAreThicker)
{
    EXPECT_NEAR(LineWidthAt(160.0f, 4), 0.432f, 1e-6f);
    EXPECT_NEAR(LineWidthAt(-160.0f, 4), 0.688f, 1e-6f);
    EXPECT_NEAR(PointSizeAt(160.0f, 4), 2.16f, 1e-5f);
    EXPECT_NEAR(PointSizeAt(-160.0f, 4), 3.44f, 1e-5f);
}

} // namespace
} // namespace vessmark
