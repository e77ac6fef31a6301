#include "swap_control.h"

#include "extension_list.h"

namespace vessmark {

SwapControlCall ChooseSwapControl(std::string_view extensions)
{
    if (HasExtension(extensions, "WGL_EXT_swap_control")) {
        return SwapControlCall::WglSwapIntervalExt;
    }
    if (HasExtension(extensions, "GLX_EXT_swap_control")) {
        return SwapControlCall::GlxSwapIntervalExt;
    }
    if (HasExtension(extensions, "GLX_MESA_swap_control")) {
        return SwapControlCall::GlxSwapIntervalMesa;
    }
    return SwapControlCall::NotOffered;
}

} // namespace vessmark
