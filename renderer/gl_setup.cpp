#include "gl_setup.h"

#include <algorithm>
#include <string_view>

#include "gl_api.h"
#include "object_shape.h"
#include "sphere_drawers.h"

namespace vessmark {

namespace {
void SetUpLight()
{
    const GLfloat ambient[] = {0.25f, 0.25f, 0.25f, 0.0f};
    const GLfloat diffuse[] = {1.0f, 1.0f, 1.0f, 0.0f};
    const GLfloat specular[] = {1.0f, 1.0f, 1.0f, 0.0f};
    // w = 0: a directional light from (1, 1, 1): right, above, the viewer's side.
    const GLfloat position[] = {500.0f, 500.0f, 500.0f, 0.0f};
    glEnable(GL_LIGHTING);
    glEnable(GL_LIGHT0);
    glLightfv(GL_LIGHT0, GL_AMBIENT, ambient);
    glLightfv(GL_LIGHT0, GL_DIFFUSE, diffuse);
    glLightfv(GL_LIGHT0, GL_SPECULAR, specular);
    glLightfv(GL_LIGHT0, GL_POSITION, position);
}

void SetUpMaterial()
{
    glEnable(GL_COLOR_MATERIAL);
    glMaterialf(GL_FRONT, GL_SHININESS, 10.0f);
    // Colour material makes the front specular reflectance a 0.7 grey, then
    // hands every later glColor to ambient and diffuse.
    glColorMaterial(GL_FRONT, GL_SPECULAR);
    glColor3f(0.7f, 0.7f, 0.7f);
    glColorMaterial(GL_FRONT, GL_AMBIENT_AND_DIFFUSE);
}

std::string_view GlText(GLenum name)
{
    const auto* text = reinterpret_cast<const char*>(glGetString(name));
    return text != nullptr ? std::string_view(text) : std::string_view();
}

// The sphere every object is drawn with, and the drawer for it: instanced
// where the driver allows and the drawer can be made, the 1.1 way otherwise.
void PrepareSpheres(Scene& scene, const DrawPathChoice& choice, const GlFunctionLoader& load)
{
    const RendererSettings& settings = scene.Settings;
    const SphereMesh mesh = BuildSphereMesh(SphereRadius(settings.ObjectSize), settings.SphereDetail + 2,
                                            settings.SphereDetail + 1);
    const auto objects = static_cast<std::size_t>(std::max(settings.LeaderCount, 0))
                         + static_cast<std::size_t>(std::max(settings.FollowerCount, 0));
    scene.VisibleSpheres.reserve(objects);
    if (choice.Path == DrawPath::Instanced) {
        scene.Spheres = MakeInstancedSphereDrawer(mesh, load, choice.ArbInstancing, objects);
    }
    if (!scene.Spheres) {
        scene.Path = DrawPath::Fixed;
        scene.Spheres = MakeFixedSphereDrawer(mesh);
    }
}
} // namespace

void SizeScene(Scene& scene, int width, int height)
{
    const auto extents = ComputeSceneExtents(width, height);
    const auto aspect = ComputeAspect(width, height);
    if (!extents || !aspect) {
        scene.Sized = false;
        return;
    }
    scene.Aspect = *aspect;
    glViewport(0, 0, width, height);
    scene.Extents = *extents;
    scene.Sized = true;
}

bool BuildScene(Scene& scene, int width, int height, const GlFunctionLoader& load, DrawPathRequest request)
{
    SizeScene(scene, width, height);
    glEnable(GL_DEPTH_TEST);
    glFrontFace(GL_CCW);
    glEnable(GL_CULL_FACE);
    glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
    glEnable(GL_LINE_SMOOTH);
    glHint(GL_LINE_SMOOTH_HINT, GL_NICEST);
    // Lines and points are drawn alike on both paths; the choice is kept for
    // the reports all the same.
    const DrawPathChoice choice = ChooseDrawPath(GlText(GL_VERSION), GlText(GL_EXTENSIONS), request);
    scene.Path = choice.Path;
    scene.Spheres.reset();
    if (scene.Settings.DrawSpheres == 1) {
        SetUpLight();
        SetUpMaterial();
        PrepareSpheres(scene, choice, load);
    }
    return PopulateScene(scene);
}

std::string CurrentRendererName()
{
    const std::string_view name = GlText(GL_RENDERER);
    return name.empty() ? "unknown" : std::string(name);
}

} // namespace vessmark
