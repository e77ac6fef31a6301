#include "state_dump.h"

#include <cstdio>

namespace vessmark {

namespace {
void WriteFloat(std::ostream& out, float value)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.9g", static_cast<double>(value));
    out << text;
}

void WriteObject(std::ostream& out, int index, const SceneObject& object)
{
    out << index << ',' << (object.Kind == Leader ? "leader" : "follower");
    for (const float value : {object.Position.X, object.Position.Y, object.Position.Z, object.Velocity.X,
                              object.Velocity.Y, object.Velocity.Z, object.Hue}) {
        out << ',';
        WriteFloat(out, value);
    }
    out << ',';
    if (object.Kind == Follower) {
        out << object.Target;
    }
    out << '\n';
}
} // namespace

void WriteStateCsv(std::ostream& out, Scene& scene)
{
    out << "index,kind,x,y,z,vx,vy,vz,hue,target\n";
    int index = 0;
    for (const SceneObject& leader : scene.Leaders()) {
        WriteObject(out, index++, leader);
    }
    index = 0;
    for (const SceneObject& follower : scene.Followers()) {
        WriteObject(out, index++, follower);
    }
}

} // namespace vessmark
