#include "frame_renderer.h"

#include <cmath>

#include "gl_api.h"
#include "object_shape.h"

namespace vessmark {

namespace {
constexpr float LinkShade = 0.5f; // links are drawn at half the object's colour
constexpr float LinkWidth = 1.0f;

void SetUpCamera(const Scene& scene)
{
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(CameraFieldOfView, scene.Aspect, CameraNear, CameraFar);
    // The eye backs away along the projection, so lighting stays in the
    // untranslated scene coordinates.
    glTranslatef(0.0f, 0.0f, static_cast<float>(-2 * scene.Extents.HalfWidth));
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
}

void DrawLineOrPoint(const SceneObject& object, const RendererSettings& settings)
{
    const Vector3& p = object.Position;
    glColor3f(object.Colour.R, object.Colour.G, object.Colour.B);
    if (settings.TailLength != 0) {
        // A line of twice the tail length, centred on the object, along its motion.
        const auto t = static_cast<float>(settings.TailLength);
        const Vector3 u = DirectionOfMotion(object.Velocity).Unit;
        glLineWidth(LineWidthAt(p.Z, settings.ObjectSize));
        glBegin(GL_LINES);
        glVertex3f(p.X - t * u.X, p.Y - t * u.Y, p.Z - t * u.Z);
        glVertex3f(p.X + t * u.X, p.Y + t * u.Y, p.Z + t * u.Z);
        glEnd();
    } else {
        glPointSize(PointSizeAt(p.Z, settings.ObjectSize));
        glBegin(GL_POINTS);
        glVertex3f(p.X, p.Y, p.Z);
        glEnd();
    }
}

// Every follower's line to its leader, in one batch after the objects. With
// spheres the lighting stays on, as it always has for the links, with the
// normal the spheres leave behind.
void DrawLinks(std::span<const SceneObject> followers, std::span<const SceneObject> leaders)
{
    glLineWidth(LinkWidth);
    glBegin(GL_LINES);
    for (const SceneObject& follower : followers) {
        // A follower with no leader (an empty leader array) has nothing to link to.
        if (follower.Target < 0 || static_cast<std::size_t>(follower.Target) >= leaders.size()) {
            continue;
        }
        const SceneObject& leader = leaders[static_cast<std::size_t>(follower.Target)];
        glColor3f(follower.LinkColour.R, follower.LinkColour.G, follower.LinkColour.B);
        glVertex3f(follower.Position.X, follower.Position.Y, follower.Position.Z);
        glColor3f(leader.LinkColour.R, leader.LinkColour.G, leader.LinkColour.B);
        glVertex3f(leader.Position.X, leader.Position.Y, leader.Position.Z);
    }
    glEnd();
}
// Every sphere the camera may see, leaders first: the rest would change no
// pixel, and a software rasteriser shades every vertex and sets up every
// triangle it is given before it finds that out.
void DrawSpheres(Scene& scene)
{
    const ViewVolume view = CameraView(scene);
    const float radius = SphereRadius(scene.Settings.ObjectSize);
    scene.VisibleSpheres.clear();
    for (const auto kind : {scene.Leaders(), scene.Followers()}) {
        for (const SceneObject& object : kind) {
            const SpherePlacement placement =
                PlaceSphere(object.Position, DirectionOfMotion(object.Velocity), scene.Settings.TailLength);
            if (MaySeeSphere(placement, radius, view)) {
                scene.VisibleSpheres.push_back({placement, object.Colour});
            }
        }
    }
    scene.Spheres->Draw(scene.VisibleSpheres, {0.0f, 0.0f, view.EyeZ});
}
} // namespace

ViewVolume CameraView(const Scene& scene)
{
    const double pi = std::acos(-1.0);
    const double tanHalfHeight = std::tan(CameraFieldOfView * 0.5 * pi / 180.0);
    ViewVolume view;
    view.EyeZ = static_cast<float>(2 * scene.Extents.HalfWidth);
    view.Near = static_cast<float>(CameraNear);
    view.Far = static_cast<float>(CameraFar);
    view.TanHalfHeight = static_cast<float>(tanHalfHeight);
    view.TanHalfWidth = static_cast<float>(tanHalfHeight * scene.Aspect);
    return view;
}

void UpdateAndColour(Scene& scene, SceneObject& object, std::span<const SceneObject> leaders)
{
    UpdateObject(object, scene, leaders);
    object.Colour = HsvToRgb(object.Hue, object.Saturation, object.Value);
    object.LinkColour = {object.Colour.R * LinkShade, object.Colour.G * LinkShade, object.Colour.B * LinkShade};
}

void DrawFrame(Scene& scene)
{
    if (!scene.Sized) {
        return;
    }
    AdvanceFrameTime(scene);
    ++scene.FramesDrawn;
    SetUpCamera(scene);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    const std::span<const SceneObject> leaders = scene.Leaders();
    for (SceneObject& leader : scene.Leaders()) {
        UpdateAndColour(scene, leader, leaders);
    }
    for (SceneObject& follower : scene.Followers()) {
        UpdateAndColour(scene, follower, leaders);
    }

    const RendererSettings& settings = scene.Settings;
    const std::span<const SceneObject> followers = scene.Followers();
    if (settings.DrawSpheres == 1) {
        if (scene.Spheres) {
            DrawSpheres(scene);
        }
    } else {
        for (const auto kind : {leaders, followers}) {
            for (const SceneObject& object : kind) {
                DrawLineOrPoint(object, settings);
            }
        }
    }
    if (settings.ShowLinks == 1) {
        DrawLinks(followers, leaders);
    }
}

} // namespace vessmark
