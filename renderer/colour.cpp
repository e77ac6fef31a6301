#include "colour.h"

namespace vessmark {

namespace {
// The sector boundaries as the show has always written them; h = 1.0 therefore
// lands a hair past the end of the last sector and gives b = -0.000002.
constexpr float SectorYellow = 0.166667f;
constexpr float SectorGreen = 0.333333f;
constexpr float SectorCyan = 0.5f;
constexpr float SectorBlue = 0.666667f;
constexpr float SectorMagenta = 0.833333f;
constexpr float SectorsPerCircle = 6.0f;

float Saturate(float channel, float s) { return 1.0f - s * (1.0f - channel); }
} // namespace

RgbColour HsvToRgb(float h, float s, float v)
{
    RgbColour c;
    if (h < SectorYellow) {
        c = {1.0f, SectorsPerCircle * h, 0.0f};
    } else if (h < SectorGreen) {
        c = {1.0f - SectorsPerCircle * (h - SectorYellow), 1.0f, 0.0f};
    } else if (h < SectorCyan) {
        c = {0.0f, 1.0f, SectorsPerCircle * (h - SectorGreen)};
    } else if (h < SectorBlue) {
        c = {0.0f, 1.0f - SectorsPerCircle * (h - SectorCyan), 1.0f};
    } else if (h < SectorMagenta) {
        c = {SectorsPerCircle * (h - SectorBlue), 0.0f, 1.0f};
    } else {
        c = {1.0f, 0.0f, 1.0f - SectorsPerCircle * (h - SectorMagenta)};
    }
    return {Saturate(c.R, s) * v, Saturate(c.G, s) * v, Saturate(c.B, s) * v};
}

} // namespace vessmark
