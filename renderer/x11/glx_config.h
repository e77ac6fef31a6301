#pragma once
// Which GLX framebuffer configuration the show draws with. The host reads a
// few attributes of every configuration the display offers and lets the
// core's pixel-format score pick, exactly as the Windows host does with the
// formats of its device context.

#include <cstddef>
#include <optional>
#include <vector>

#include "pixel_format.h"

namespace vessmark {

// The attributes the choice looks at, as glXGetFBConfigAttrib gives them.
struct GlxConfigTraits {
    unsigned long VisualId = 0;  // GLX_VISUAL_ID; 0: no X visual, no window can use it
    bool WindowDrawable = false; // GLX_DRAWABLE_TYPE has GLX_WINDOW_BIT
    bool Rgba = false;           // GLX_RENDER_TYPE has GLX_RGBA_BIT
    bool DoubleBuffer = false;   // GLX_DOUBLEBUFFER
    int BufferSize = 0;          // GLX_BUFFER_SIZE: colour bits with alpha, as Windows counts a format's colour bits
    int DepthSize = 0;           // GLX_DEPTH_SIZE
    int Samples = 0;             // GLX_SAMPLES
    bool Slow = false;           // GLX_CONFIG_CAVEAT is GLX_SLOW_CONFIG
};

// The configuration as the pixel-format score sees it. A configuration the
// Windows host would never be offered (multisampled: those are not among a
// device context's described formats) or one that cannot draw into the
// window at hand (another visual than `requiredVisual`) gets no flags, so
// that it never qualifies. A slow configuration counts as the generic
// software format, any other as the driver's own.
PixelFormatTraits ToPixelFormat(const GlxConfigTraits& config, std::optional<unsigned long> requiredVisual);

// The index (from 0) of the configuration to draw with, or nothing when none
// qualifies and the host must fall back to asking GLX for one.
std::optional<std::size_t> ChooseGlxConfig(const std::vector<GlxConfigTraits>& configs,
                                           std::optional<unsigned long> requiredVisual);

} // namespace vessmark
