#pragma once
// The show's colour model: a hue on the colour circle turned into red, green
// and blue channels.

namespace vessmark {

struct RgbColour {
    float R = 0.0f;
    float G = 0.0f;
    float B = 0.0f;
};

// Six sectors with six-digit boundaries, then saturation and value. Nothing is
// clamped: a hue a little outside 0..1 gives channels a little outside 0..1,
// and OpenGL clamps them where it needs to.
RgbColour HsvToRgb(float h, float s, float v);

} // namespace vessmark
