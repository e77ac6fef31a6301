#include "gl_setup.h"

#include "gl_api.h"

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

void CompileSphereList(const RendererSettings& settings)
{
    glNewList(SphereList, GL_COMPILE);
    GLUquadric* quadric = gluNewQuadric();
    gluSphere(quadric, settings.ObjectSize * 0.5, settings.SphereDetail + 2, settings.SphereDetail + 1);
    gluDeleteQuadric(quadric);
    glEndList();
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

bool BuildScene(Scene& scene, int width, int height)
{
    SizeScene(scene, width, height);
    glEnable(GL_DEPTH_TEST);
    glFrontFace(GL_CCW);
    glEnable(GL_CULL_FACE);
    glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
    glEnable(GL_LINE_SMOOTH);
    glHint(GL_LINE_SMOOTH_HINT, GL_NICEST);
    if (scene.Settings.DrawSpheres == 1) {
        SetUpLight();
        SetUpMaterial();
        CompileSphereList(scene.Settings);
    }
    return PopulateScene(scene);
}

} // namespace vessmark
