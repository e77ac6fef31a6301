#pragma once
// The settings dialog's open and close effect: the window grows out of the
// pointer's position as the dialog opens and shrinks back into it as it
// closes, drawn by the system's animated-rectangle call. The call and the
// window rectangle come through a port, so that what is drawn can be checked
// without a screen (and Wine draws nothing for it anyway).

#include <optional>

#include "dialog_rules.h"

namespace vessmark {

// The system's caption animation (IDANI_CAPTION).
inline constexpr int AnimationCaption = 3;

// One window's rectangle and the animated-rectangle call for it.
class WindowAnimationPort {
public:
    virtual ~WindowAnimationPort() = default;
    // The window's rectangle on the screen now; nothing when it cannot be taken.
    virtual std::optional<ScreenRect> WindowRect() = 0;
    virtual void DrawAnimatedRects(int animation, const ScreenRect& from, const ScreenRect& to) = 0;
};

// From the point rectangle at the recorded pointer position to the window.
void AnimateOpen(WindowAnimationPort& window, CursorPosition cursor);
// From the window where it is now to the point recorded when it opened.
void AnimateClose(WindowAnimationPort& window, CursorPosition cursor);

} // namespace vessmark
