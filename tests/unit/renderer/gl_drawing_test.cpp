// The drawing paths against a real OpenGL: Mesa, off-screen.

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "frame_renderer.h"
#include "gl_api.h"
#include "gl_setup.h"
#include "offscreen_surface.h"
#include "shader_functions.h"
#include "sphere_mesh.h"

namespace vessmark {
namespace {

std::unique_ptr<OffscreenSurface> Surface(int width, int height)
{
    std::string error;
    auto surface = OffscreenSurface::Create(width, height, error);
    EXPECT_TRUE(surface) << error;
    return surface;
}

// The triangles gluSphere draws, as OpenGL's feedback mode hands them back:
// object coordinates, three vertices each, in the order they were drawn.
std::vector<float> GluSphereTriangles(double radius, int slices, int stacks)
{
    // A projection that maps object coordinates within +-4 onto the window
    // 0..2 in x and y and 0..1 in depth, undone below.
    glViewport(0, 0, 2, 2);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(-4, 4, -4, 4, -4, 4);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glDisable(GL_CULL_FACE);
    std::vector<GLfloat> feedback(100000);
    glFeedbackBuffer(static_cast<GLsizei>(feedback.size()), GL_3D, feedback.data());
    glRenderMode(GL_FEEDBACK);
    GLUquadric* quadric = gluNewQuadric();
    gluSphere(quadric, radius, slices, stacks);
    gluDeleteQuadric(quadric);
    const GLint count = glRenderMode(GL_RENDER);
    std::vector<float> triangles;
    for (GLint i = 0; i < count;) {
        EXPECT_EQ(feedback[static_cast<std::size_t>(i)], GL_POLYGON_TOKEN);
        const int corners = static_cast<int>(feedback[static_cast<std::size_t>(i + 1)]);
        EXPECT_EQ(corners, 3);
        i += 2;
        for (int corner = 0; corner < corners; ++corner, i += 3) {
            const float* v = &feedback[static_cast<std::size_t>(i)];
            triangles.insert(triangles.end(), {(v[0] - 1.0f) * 4.0f, (v[1] - 1.0f) * 4.0f, (1.0f - 2.0f * v[2]) * 4.0f});
        }
    }
    return triangles;
}

TEST(SphereMeshOnOpenGl, IsTheSphereTheShowHasAlwaysDrawn)
{
    // GLU's sphere, cut into triangles by OpenGL as it draws it: the same
    // corners, and the same diagonal through every four-sided facet (the
    // diagonal decides how the colours blend across the facet).
    const auto surface = Surface(8, 8);
    ASSERT_TRUE(surface);
    const std::vector<float> glu = GluSphereTriangles(2.0, 12, 11);
    const SphereMesh mesh = BuildSphereMesh(2.0f, 12, 11);
    ASSERT_EQ(glu.size(), mesh.Indices.size() * 3);
    for (std::size_t i = 0; i < mesh.Indices.size(); ++i) {
        const Vector3& p = mesh.Vertices[mesh.Indices[i]].Position;
        EXPECT_NEAR(p.X, glu[i * 3], 1e-4f) << "corner " << i;
        EXPECT_NEAR(p.Y, glu[i * 3 + 1], 1e-4f) << "corner " << i;
        EXPECT_NEAR(p.Z, glu[i * 3 + 2], 1e-4f) << "corner " << i;
    }
}

// The show's swarm after `frames` frames of 40 ms, drawn the way asked for.
struct DrawnShow {
    DrawPath Path = DrawPath::Fixed;
    std::vector<std::uint8_t> Pixels;
};

DrawnShow DrawShow(DrawPathRequest request, int width, int height, int frames, int showLinks)
{
    DrawnShow drawn;
    const auto surface = Surface(width, height);
    if (!surface) {
        return drawn;
    }
    auto scene = std::make_unique<Scene>();
    ApplyDefaultSettings(scene->Settings);
    scene->Settings.ShowLinks = showLinks;
    SeedScene(*scene, 11);
    std::uint32_t now = 0;
    scene->Clock = [&now] { return now; };
    EXPECT_TRUE(BuildScene(*scene, width, height, OffscreenSurface::Loader(), request));
    for (int frame = 0; frame < frames; ++frame, now += 40) {
        DrawFrame(*scene);
    }
    drawn.Path = scene->Path;
    drawn.Pixels = surface->ReadPicture().Pixels;
    // What follows the spheres (the frame rate, on the screen) is drawn by
    // the fixed functions: no program may be left in use.
    GLint program = -1;
    glGetIntegerv(GL_CURRENT_PROGRAM, &program);
    EXPECT_EQ(program, 0);
    return drawn;
}

TEST(DrawPaths, MesaDrawsInstancedAndBothPathsDrawTheSamePicture)
{
    // With the links, which follow the spheres and are lit by what they leave.
    const DrawnShow instanced = DrawShow(DrawPathRequest::Auto, 640, 480, 80, 1);
    const DrawnShow fixed = DrawShow(DrawPathRequest::Fixed, 640, 480, 80, 1);
    EXPECT_EQ(instanced.Path, DrawPath::Instanced) << "Mesa offers OpenGL 4.5";
    EXPECT_EQ(fixed.Path, DrawPath::Fixed);
    ASSERT_EQ(instanced.Pixels.size(), fixed.Pixels.size());
    // Rounding may move an edge by a pixel or a colour by a step; a wrong
    // light, normal or placement changes thousands of pixels.
    long lit = 0;
    long different = 0;
    for (std::size_t i = 0; i < fixed.Pixels.size(); ++i) {
        lit += fixed.Pixels[i] > 0 ? 1 : 0;
        different += std::abs(instanced.Pixels[i] - fixed.Pixels[i]) > 2 ? 1 : 0;
    }
    EXPECT_GT(lit, 640 * 480 / 20) << "the swarm is in the picture";
    EXPECT_LT(different, 50) << "of " << lit << " lit channels";
}

TEST(ShaderFunctions, AreLookedUpByTheNamesTheDriverOffersAndAllOrNothing)
{
    std::set<std::string> asked;
    std::string missing;
    const GlFunctionLoader load = [&](const char* name) -> GlFunctionAddress {
        asked.insert(name);
        return name == missing ? nullptr : reinterpret_cast<GlFunctionAddress>(&std::abort);
    };
    ShaderFunctions functions;
    EXPECT_TRUE(LoadShaderFunctions(load, false, functions));
    EXPECT_TRUE(asked.count("glVertexAttribDivisor") && asked.count("glDrawElementsInstanced"));
    EXPECT_FALSE(asked.count("glVertexAttribDivisorARB"));

    asked.clear();
    EXPECT_TRUE(LoadShaderFunctions(load, true, functions));
    EXPECT_TRUE(asked.count("glVertexAttribDivisorARB") && asked.count("glDrawElementsInstancedARB"));
    EXPECT_FALSE(asked.count("glVertexAttribDivisor"));

    missing = "glBindAttribLocation";
    EXPECT_FALSE(LoadShaderFunctions(load, false, functions));
    EXPECT_FALSE(LoadShaderFunctions({}, false, functions)) << "a host without a lookup";
}

} // namespace
} // namespace vessmark
