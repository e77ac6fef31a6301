#pragma once
// The one line in which a show reports how fast it drew, the same on both
// hosts, so that their figures can be set side by side.

#include <cstdint>
#include <string>

namespace vessmark {

// "N frames of WxH in S s: F frames per second (DETAILS)".
std::string FrameRateSummary(std::uint64_t frames, int width, int height, double seconds, const std::string& details);

} // namespace vessmark
