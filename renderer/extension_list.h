#pragma once
// The lists of extension names that OpenGL and the window systems give: one
// string, names separated by blanks.

#include <string_view>

namespace vessmark {

// `name` is one whole name of the list: a name that merely begins with it
// (GLX_EXT_swap_control_tear for GLX_EXT_swap_control) does not count.
bool HasExtension(std::string_view list, std::string_view name);

} // namespace vessmark
