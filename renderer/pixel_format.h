#pragma once
// Choosing the window's pixel format: every format the device offers is scored
// and the best one wins. The rules are portable so that they can be checked
// without a display driver.

#include <cstdint>
#include <functional>
#include <optional>

namespace vessmark {

// The flag and type values of a pixel-format descriptor, as Windows numbers them.
inline constexpr std::uint32_t PfdDoubleBuffer = 0x00000001;
inline constexpr std::uint32_t PfdDrawToWindow = 0x00000004;
inline constexpr std::uint32_t PfdSupportOpenGL = 0x00000020;
inline constexpr std::uint32_t PfdGenericFormat = 0x00000040;
inline constexpr std::uint32_t PfdGenericAccelerated = 0x00001000;
inline constexpr std::uint8_t PfdTypeRgba = 0;

// The few descriptor fields that the choice looks at.
struct PixelFormatTraits {
    std::uint32_t Flags = 0;
    std::uint8_t PixelType = 0;
    std::uint8_t ColorBits = 0;
    std::uint8_t DepthBits = 0;
};

// Score of one format, or nothing when it cannot serve a double-buffered
// RGBA OpenGL window.
std::optional<int> ScorePixelFormat(const PixelFormatTraits& format);

// Walks formats 1, 2, 3, ... while describe(i) yields one, and returns the index
// of the best (the lowest index among equal scores), or 0 when none qualifies.
int ChooseBestPixelFormat(const std::function<std::optional<PixelFormatTraits>(int)>& describe);

// The request made to the system's own chooser when no format qualifies:
// double-buffered RGBA for a window, 24-bit colour, 24-bit depth.
inline constexpr PixelFormatTraits FallbackPixelFormat{
    PfdDrawToWindow | PfdSupportOpenGL | PfdDoubleBuffer, PfdTypeRgba, 24, 24};

} // namespace vessmark
