#include "window_animation.h"

namespace vessmark {

void AnimateOpen(WindowAnimationPort& window, CursorPosition cursor)
{
    // Without the window's rectangle there is nothing to grow into: no effect.
    if (const auto rect = window.WindowRect()) {
        const AnimationRects rects = OpenAnimation(cursor, *rect);
        window.DrawAnimatedRects(AnimationCaption, rects.From, rects.To);
    }
}

void AnimateClose(WindowAnimationPort& window, CursorPosition cursor)
{
    if (const auto rect = window.WindowRect()) {
        const AnimationRects rects = CloseAnimation(cursor, *rect);
        window.DrawAnimatedRects(AnimationCaption, rects.From, rects.To);
    }
}

} // namespace vessmark
