#include "object_shape.h"

#include <cmath>

namespace vessmark {

namespace {
constexpr float StretchPerLength = 0.05f;
// Thickness falls off linearly with depth and reaches nothing at z = 700.
constexpr float ThicknessDepth = 700.0f;
constexpr float LineWidthFactor = 0.0002f;
constexpr float PointSizeFactor = 0.001f;

float Thickness(float z, int objectSize) { return (ThicknessDepth - z) * static_cast<float>(objectSize); }
} // namespace

MotionDirection DirectionOfMotion(const Vector3& velocity)
{
    const Vector3 d{velocity.X * VelocityToTail, velocity.Y * VelocityToTail, velocity.Z * VelocityToTail};
    const float lengthSquared = d.X * d.X + d.Y * d.Y + d.Z * d.Z;
    if (!(lengthSquared > 0.0f)) {
        return {};
    }
    const float length = std::sqrt(lengthSquared);
    return {{d.X / length, d.Y / length, d.Z / length}, length};
}

float SphereStretch(int tailLength, float length)
{
    const float stretch = static_cast<float>(tailLength) * length * StretchPerLength;
    return stretch < 1.0f ? 1.0f : stretch;
}

float HeadingDegrees(const Vector3& unit)
{
    return static_cast<float>(std::atan2(static_cast<double>(-unit.X), static_cast<double>(-unit.Z)))
           * DegreesPerRadian;
}

float PitchDegrees(const Vector3& unit)
{
    // A velocity so small that its square is denormal can give a "unit" y a
    // hair beyond 1; asin would answer NaN and the object would vanish.
    double y = unit.Y;
    y = y > 1.0 ? 1.0 : (y < -1.0 ? -1.0 : y);
    return static_cast<float>(std::asin(y)) * DegreesPerRadian;
}

SpherePlacement PlaceSphere(const Vector3& position, const MotionDirection& motion, int tailLength)
{
    SpherePlacement placement;
    placement.Position = position;
    if (tailLength == 0) {
        return placement;
    }
    placement.Stretch = SphereStretch(tailLength, motion.Length);
    // The angles go back to radians the way OpenGL's own rotation takes its
    // degrees, so that the turn is the one the show has always drawn.
    const double pi = std::acos(-1.0);
    const double heading = static_cast<double>(HeadingDegrees(motion.Unit)) * pi / 180.0;
    const double pitch = static_cast<double>(PitchDegrees(motion.Unit)) * pi / 180.0;
    const auto ch = static_cast<float>(std::cos(heading));
    const auto sh = static_cast<float>(std::sin(heading));
    const auto cp = static_cast<float>(std::cos(pitch));
    const auto sp = static_cast<float>(std::sin(pitch));
    // About y by the heading, then about x by the pitch.
    placement.Turn = {ch, sh * sp, sh * cp, //
                      0.0f, cp, -sp,        //
                      -sh, ch * sp, ch * cp};
    return placement;
}

Vector3 SphereSpacePoint(const SpherePlacement& placement, const Vector3& point)
{
    // The turn is a rotation: its transpose turns back.
    const auto& t = placement.Turn;
    const Vector3 d{point.X - placement.Position.X, point.Y - placement.Position.Y, point.Z - placement.Position.Z};
    return {t[0] * d.X + t[3] * d.Y + t[6] * d.Z, t[1] * d.X + t[4] * d.Y + t[7] * d.Z,
            (t[2] * d.X + t[5] * d.Y + t[8] * d.Z) / placement.Stretch};
}

std::array<float, 16> PlacementMatrix(const SpherePlacement& placement)
{
    const auto& t = placement.Turn;
    const float s = placement.Stretch;
    const Vector3& p = placement.Position;
    return {t[0], t[3], t[6], 0.0f,         //
            t[1], t[4], t[7], 0.0f,         //
            t[2] * s, t[5] * s, t[8] * s, 0.0f, //
            p.X, p.Y, p.Z, 1.0f};
}

float SphereRadius(int objectSize) { return static_cast<float>(objectSize) * 0.5f; }

bool MaySeeSphere(const SpherePlacement& placement, float radius, const ViewVolume& view)
{
    // Each side of the view as a plane, inside where a x + b y + c z + d >= 0.
    const float tw = view.TanHalfWidth;
    const float th = view.TanHalfHeight;
    const float e = view.EyeZ;
    const float planes[6][4] = {
        {0.0f, 0.0f, -1.0f, e - view.Near}, {0.0f, 0.0f, 1.0f, view.Far - e},
        {-1.0f, 0.0f, -tw, tw * e},         {1.0f, 0.0f, -tw, tw * e},
        {0.0f, -1.0f, -th, th * e},         {0.0f, 1.0f, -th, th * e},
    };
    const auto& t = placement.Turn;
    const Vector3& p = placement.Position;
    // The box's half sides: the turned axes of the sphere, the third stretched.
    const float halfSides[3][3] = {{t[0] * radius, t[3] * radius, t[6] * radius},
                                   {t[1] * radius, t[4] * radius, t[7] * radius},
                                   {t[2] * radius * placement.Stretch, t[5] * radius * placement.Stretch,
                                    t[8] * radius * placement.Stretch}};
    constexpr float Spare = 1.0f; // scene units
    for (const auto& plane : planes) {
        float reach = plane[0] * p.X + plane[1] * p.Y + plane[2] * p.Z + plane[3];
        for (const auto& side : halfSides) {
            reach += std::fabs(plane[0] * side[0] + plane[1] * side[1] + plane[2] * side[2]);
        }
        const float length = std::sqrt(plane[0] * plane[0] + plane[1] * plane[1] + plane[2] * plane[2]);
        if (reach < -Spare * length) {
            return false;
        }
    }
    return true;
}

float LineWidthAt(float z, int objectSize) { return Thickness(z, objectSize) * LineWidthFactor; }

float PointSizeAt(float z, int objectSize) { return Thickness(z, objectSize) * PointSizeFactor; }

} // namespace vessmark
