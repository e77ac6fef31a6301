#pragma once
// Presenting no more frames than the display shows. Where the window system
// lets a program wait for the display's refresh at each buffer swap, the
// show asks for exactly one refresh per frame; a fast graphics card then
// draws 60 frames a second on a 60 Hz screen instead of thousands, and the
// followers' searches (one chance in ten per frame) keep the pace they have
// on an ordinary machine.

#include <string_view>

namespace vessmark {

// The call that sets the swap interval, as a window system's extension list
// offers it.
enum class SwapControlCall {
    NotOffered, // frames follow one another as fast as they are drawn
    WglSwapIntervalExt, // wglSwapIntervalEXT(interval), WGL_EXT_swap_control
    GlxSwapIntervalExt, // glXSwapIntervalEXT(display, drawable, interval), GLX_EXT_swap_control
    GlxSwapIntervalMesa, // glXSwapIntervalMESA(interval), GLX_MESA_swap_control
};

// Display refreshes per presented frame.
inline constexpr int SwapIntervalRefreshes = 1;

// The call for the window system's extension list (wglGetExtensionsString…,
// glXQueryExtensionsString). Of the two GLX calls the one that names the
// drawable is preferred.
SwapControlCall ChooseSwapControl(std::string_view extensions);

} // namespace vessmark
