// The spheres the OpenGL 1.1 way, as fast as 1.1 goes: the sphere is one
// list of triangles in a display list, and each object costs one colour, one
// matrix load (its whole placement worked out here) and one call of the list.

#include "sphere_drawers.h"

#include "gl_api.h"
#include "object_shape.h"
#include "scene.h"

namespace vessmark {

namespace {
class FixedSphereDrawer final : public SphereDrawer {
public:
    explicit FixedSphereDrawer(const SphereMesh& mesh) : trailingNormal_(mesh.TrailingNormal)
    {
        glNewList(SphereList, GL_COMPILE);
        glBegin(GL_TRIANGLES);
        for (const std::uint16_t index : mesh.Indices) {
            const SphereVertex& v = mesh.Vertices[index];
            glNormal3f(v.Normal.X, v.Normal.Y, v.Normal.Z);
            glVertex3f(v.Position.X, v.Position.Y, v.Position.Z);
        }
        glEnd();
        glEndList();
    }

    void Draw(std::span<const SphereInstance> spheres) override
    {
        for (const SphereInstance& sphere : spheres) {
            const auto matrix = PlacementMatrix(sphere.Placement);
            glColor3f(sphere.Colour.R, sphere.Colour.G, sphere.Colour.B);
            glLoadMatrixf(matrix.data());
            glCallList(SphereList);
        }
        glLoadIdentity();
        glNormal3f(trailingNormal_.X, trailingNormal_.Y, trailingNormal_.Z);
    }

private:
    Vector3 trailingNormal_;
};
} // namespace

std::unique_ptr<SphereDrawer> MakeFixedSphereDrawer(const SphereMesh& mesh)
{
    return std::make_unique<FixedSphereDrawer>(mesh);
}

} // namespace vessmark
