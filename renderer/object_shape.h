#pragma once
// How an object looks in a frame, worked out without OpenGL: the direction of
// its motion, how far its sphere is stretched along it and how the sphere is
// turned onto it, and the line width or point size of the flat drawing modes.

#include <array>

#include "scene_object.h"

namespace vessmark {

// Radians to degrees, as the show has always written the factor.
inline constexpr float DegreesPerRadian = 57.29578f;

struct MotionDirection {
    Vector3 Unit;        // unit direction of motion, or zero at rest
    float Length = 0.0f; // length of the velocity scaled by VelocityToTail
};

// The velocity is first scaled to a tail's worth of motion.
inline constexpr float VelocityToTail = 0.04f;

MotionDirection DirectionOfMotion(const Vector3& velocity);

// How many times the sphere is lengthened along its motion: at least 1 (a
// round sphere), otherwise TailLength x length x 0.05, which with the usual
// tail of 150 is 0.3 x speed.
float SphereStretch(int tailLength, float length);

// The two rotations, in degrees, that turn the sphere's own z axis onto the
// line of motion: first about y, then about x.
float HeadingDegrees(const Vector3& unit);
float PitchDegrees(const Vector3& unit);

// Where an object's sphere goes: turned by the two rotations above, stretched
// along its own z axis, and moved to the object's position.
struct SpherePlacement {
    std::array<float, 9> Turn{1, 0, 0, 0, 1, 0, 0, 0, 1}; // rows of the rotation
    Vector3 Position;
    float Stretch = 1.0f;
};

// The placement for an object moving along `motion`; with no tail the sphere
// stays round and unturned.
SpherePlacement PlaceSphere(const Vector3& position, const MotionDirection& motion, int tailLength);

// Where a point of the scene lies in the sphere's own coordinates, before
// its stretch: what the sphere's mesh is made in.
Vector3 SphereSpacePoint(const SpherePlacement& placement, const Vector3& point);

// The whole placement as one 4 x 4 matrix, column by column (as OpenGL loads
// it): translation x turn x stretch.
std::array<float, 16> PlacementMatrix(const SpherePlacement& placement);

// The radius of every object's sphere.
float SphereRadius(int objectSize);

// What the camera sees: from an eye on the z axis looking toward negative z,
// the points between the near and the far distance within the field of view.
struct ViewVolume {
    float EyeZ = 0.0f;
    float Near = 0.0f;
    float Far = 0.0f;
    float TanHalfHeight = 0.0f; // tangent of half the vertical field of view
    float TanHalfWidth = 0.0f;  // the same across: times the aspect
};

// False only when the box round a sphere of `radius` placed as `placement`
// says lies wholly outside the view, with a unit to spare: such a sphere
// would leave every pixel as it was, and drawing it is work for nothing.
bool MaySeeSphere(const SpherePlacement& placement, float radius, const ViewVolume& view);

// Nearer objects are drawn thicker.
float LineWidthAt(float z, int objectSize);
float PointSizeAt(float z, int objectSize);

} // namespace vessmark
