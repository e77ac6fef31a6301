#include "frame_renderer.h"

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

void DrawSphere(const SceneObject& object, const MotionDirection& motion, int tailLength)
{
    const Vector3& p = object.Position;
    glPushMatrix();
    glTranslatef(p.X, p.Y, p.Z);
    if (tailLength != 0) {
        const float stretch = SphereStretch(tailLength, motion.Length);
        glRotatef(HeadingDegrees(motion.Unit), 0.0f, 1.0f, 0.0f);
        glRotatef(PitchDegrees(motion.Unit), 1.0f, 0.0f, 0.0f);
        glScalef(1.0f, 1.0f, stretch);
    }
    glCallList(SphereList);
    glPopMatrix();
}

void DrawLineOrPoint(const SceneObject& object, const MotionDirection& motion, const RendererSettings& settings)
{
    const Vector3& p = object.Position;
    if (settings.TailLength != 0) {
        // A line of twice the tail length, centred on the object, along its motion.
        const auto t = static_cast<float>(settings.TailLength);
        const Vector3& u = motion.Unit;
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

void DrawLink(const SceneObject& follower, const SceneObject& leader)
{
    glLineWidth(LinkWidth);
    glBegin(GL_LINES);
    glColor3f(follower.LinkColour.R, follower.LinkColour.G, follower.LinkColour.B);
    glVertex3f(follower.Position.X, follower.Position.Y, follower.Position.Z);
    glColor3f(leader.LinkColour.R, leader.LinkColour.G, leader.LinkColour.B);
    glVertex3f(leader.Position.X, leader.Position.Y, leader.Position.Z);
    glEnd();
}
} // namespace

void UpdateAndDraw(Scene& scene, SceneObject& object, std::span<const SceneObject> leaders)
{
    const RendererSettings& settings = scene.Settings;
    UpdateObject(object, scene, leaders);

    MotionDirection motion;
    if (settings.TailLength != 0) {
        motion = DirectionOfMotion(object.Velocity);
    }

    object.Colour = HsvToRgb(object.Hue, object.Saturation, object.Value);
    object.LinkColour = {object.Colour.R * LinkShade, object.Colour.G * LinkShade, object.Colour.B * LinkShade};
    glColor3f(object.Colour.R, object.Colour.G, object.Colour.B);

    if (settings.DrawSpheres == 1) {
        DrawSphere(object, motion, settings.TailLength);
    } else {
        DrawLineOrPoint(object, motion, settings);
    }

    // A follower with no leader (an empty leader array) has nothing to link to.
    if (settings.ShowLinks == 1 && object.Kind == Follower && object.Target >= 0
        && static_cast<std::size_t>(object.Target) < leaders.size()) {
        DrawLink(object, leaders[static_cast<std::size_t>(object.Target)]);
    }
}

void DrawFrame(Scene& scene)
{
    if (!scene.Sized) {
        return;
    }
    AdvanceFrameTime(scene);
    SetUpCamera(scene);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    const std::span<const SceneObject> leaders = scene.Leaders();
    for (SceneObject& leader : scene.Leaders()) {
        UpdateAndDraw(scene, leader, leaders);
    }
    for (SceneObject& follower : scene.Followers()) {
        UpdateAndDraw(scene, follower, leaders);
    }
}

} // namespace vessmark
