#include "renderer_settings.h"

namespace vessmark {

void ApplyDefaultSettings(RendererSettings& settings)
{
    settings.FollowerCount = 400;
    settings.LeaderCount = 10;
    settings.SphereDetail = 10;
    settings.DrawSpheres = 1;
    settings.ObjectSize = 4;
    settings.SpeedScale = 50;
    settings.TailLength = 150;
    settings.HueFollowRate = 30;
    settings.DepthColouring = 0;
    settings.ShowLinks = 0;
    settings.PriorityLevel = 2;
}

std::optional<int> ThreadPriorityFor(int priorityLevel)
{
    switch (priorityLevel) {
    case 0: return ThreadPriorityLowest;
    case 1: return ThreadPriorityBelowNormal;
    case 2: return ThreadPriorityNormal;
    default: return std::nullopt;
    }
}

} // namespace vessmark
