// The spheres the OpenGL 1.1 way, as fast as 1.1 goes: the sphere is a list
// of triangles in a display list, and each object costs one colour, one
// matrix load (its whole placement worked out here) and one call of a list:
// the whole sphere, or only the run of its columns that may face the eye,
// about half of its triangles.

#include "sphere_drawers.h"

#include <span>

#include "gl_api.h"
#include "object_shape.h"
#include "scene.h"

namespace vessmark {

namespace {
void CompileTriangles(GLuint list, const SphereMesh& mesh, std::span<const std::uint16_t> indices)
{
    glNewList(list, GL_COMPILE);
    glBegin(GL_TRIANGLES);
    for (const std::uint16_t index : indices) {
        const SphereVertex& v = mesh.Vertices[index];
        glNormal3f(v.Normal.X, v.Normal.Y, v.Normal.Z);
        glVertex3f(v.Position.X, v.Position.Y, v.Position.Z);
    }
    glEnd();
    glEndList();
}

class FixedSphereDrawer final : public SphereDrawer {
public:
    explicit FixedSphereDrawer(const SphereMesh& mesh) : mesh_(mesh), slices_(mesh.Slices)
    {
        CompileTriangles(SphereList, mesh, mesh.Indices);
        // Every shorter run of columns in a list of its own: a first column
        // and a count below all of them.
        const int runs = slices_ * (slices_ - 1);
        runLists_ = runs > 0 ? glGenLists(runs) : 0;
        if (runLists_ == 0) {
            return; // the whole sphere, then, for every object
        }
        const std::span<const std::uint16_t> columns = mesh.ColumnIndices;
        for (int first = 0; first < slices_; ++first) {
            for (int count = 1; count < slices_; ++count) {
                CompileTriangles(RunList({first, count}), mesh,
                                 columns.subspan(static_cast<std::size_t>(first) * mesh.IndicesPerColumn,
                                                 static_cast<std::size_t>(count) * mesh.IndicesPerColumn));
            }
        }
    }

    void Draw(std::span<const SphereInstance> spheres, const Vector3& eye) override
    {
        for (const SphereInstance& sphere : spheres) {
            // The back of the sphere would be culled, but not before every
            // vertex of it was lit: OpenGL 1.1 lights what it is given.
            const ColumnRun run = FacingColumns(mesh_, SphereSpacePoint(sphere.Placement, eye));
            if (run.Count == 0) {
                continue; // the eye is inside: nothing of it faces the eye
            }
            const auto matrix = PlacementMatrix(sphere.Placement);
            glColor3f(sphere.Colour.R, sphere.Colour.G, sphere.Colour.B);
            glLoadMatrixf(matrix.data());
            glCallList(runLists_ != 0 && run.Count < slices_ ? RunList(run) : SphereList);
        }
        glLoadIdentity();
        glNormal3f(mesh_.TrailingNormal.X, mesh_.TrailingNormal.Y, mesh_.TrailingNormal.Z);
    }

private:
    GLuint RunList(const ColumnRun& run) const
    {
        return runLists_ + static_cast<GLuint>(run.First * (slices_ - 1) + run.Count - 1);
    }

    SphereMesh mesh_; // for the facing columns of each sphere
    int slices_ = 0;
    GLuint runLists_ = 0; // the first of the lists of shorter runs, or none
};
} // namespace

std::unique_ptr<SphereDrawer> MakeFixedSphereDrawer(const SphereMesh& mesh)
{
    return std::make_unique<FixedSphereDrawer>(mesh);
}

} // namespace vessmark
