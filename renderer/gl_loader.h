#pragma once
// Where the OpenGL functions newer than 1.1 come from. Only the window system
// knows (wglGetProcAddress, glXGetProcAddressARB, eglGetProcAddress), and the
// core includes none, so each host hands it its own lookup. A host without
// one hands nothing, and the show draws with OpenGL 1.1 alone.

#include <functional>

namespace vessmark {

using GlFunctionAddress = void (*)();

// The address of the named function for the current context, or null.
using GlFunctionLoader = std::function<GlFunctionAddress(const char* name)>;

} // namespace vessmark
