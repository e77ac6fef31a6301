#include "frame_report.h"

#include <cstdio>

namespace vessmark {

std::string FrameRateSummary(std::uint64_t frames, int width, int height, double seconds, const std::string& details)
{
    char summary[128];
    const double rate = seconds > 0.0 ? static_cast<double>(frames) / seconds : 0.0;
    std::snprintf(summary, sizeof summary, "%llu frames of %dx%d in %.3f s: %.1f frames per second (",
                  static_cast<unsigned long long>(frames), width, height, seconds, rate);
    return summary + details + ")";
}

} // namespace vessmark
