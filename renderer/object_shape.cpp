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

float LineWidthAt(float z, int objectSize) { return Thickness(z, objectSize) * LineWidthFactor; }

float PointSizeAt(float z, int objectSize) { return Thickness(z, objectSize) * PointSizeFactor; }

} // namespace vessmark
