#pragma once
// Command, the front end's gradient push button, as behaviour: hover, focus,
// press and enabled state, which face each event shows, when Click is
// raised, and the settings it keeps in its host's property storage. The
// window (command_button/win32) turns messages into these calls and paints
// what they ask for through CommandSurface.

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "button_painting.h"
#include "forms/property_storage.h"

namespace vessmark {

enum class MouseButton { Left, Right, Middle };

// Where the pointer watch found the pointer.
enum class PointerPlace { OwnWindow, ParentWindow, Elsewhere };

enum class ButtonKey { Space, Enter };

// What the button asks of its window.
class CommandSurface {
public:
    virtual ~CommandSurface() = default;
    // Paints the whole face with the skin picture and the gradient in the
    // given direction, lays out the caption and shows the result.
    virtual void DrawFace(Skin skin, bool gradientReversed) = 0;
    // The caption (text, font, colour, enabled look) or the face's opacity
    // changed: show the surface again.
    virtual void Refresh() = 0;
    // Starts the pointer watch: PointerWatchTick every intervalMs from now on.
    virtual void StartPointerWatch(std::uint32_t intervalMs) = 0;
    // Whether the window takes mouse, keyboard and focus at all. Called
    // before a switch-off takes effect, so a focus loss it causes is still
    // handled as one.
    virtual void AcceptInput(bool accept) = 0;
    // A stored property changed, so a designer would save the form again.
    // Nothing happens at run time.
    virtual void PropertyChanged(std::string_view /*name*/) {}
};

class Command {
public:
    static constexpr std::uint32_t PointerWatchInterval = 100; // ms
    static constexpr char DesignCaption[] = "Command";
    static constexpr std::uint8_t VisibleOpaque = 255;

    explicit Command(CommandSurface& surface) : surface_(surface) {}
    Command(const Command&) = delete;
    Command& operator=(const Command&) = delete;

    // --- what the host uses --------------------------------------------------
    const std::string& Caption() const { return caption_; }
    void SetCaption(const std::string& caption);
    const forms::FontDescription& Font() const { return font_; }
    void SetFont(const forms::FontDescription& New_Font);
    // The caption colour (0x00BBGGRR); reading it also repaints the Normal face.
    std::uint32_t FontColour();
    void SetFontColour(std::uint32_t New_FontColour);
    // Reading switches a button whose first-run defaults were never applied on.
    bool Enabled();
    void SetEnabled(bool New_Enabled);
    // 255 for the painted face, 0 for the caption alone.
    std::uint8_t Visible();
    void SetVisible(std::uint8_t New_Visible);
    // Once, after loading: the button starts following hover and focus.
    void Initialize();
    std::function<void()> Click;

    // The host's property storage; ambientFont is the host's own font.
    void ReadProperties(forms::PropertyBag& bag, const forms::FontDescription& ambientFont);
    void WriteProperties(forms::PropertyBag& bag, const forms::FontDescription& ambientFont);

    // --- what the window reports ---------------------------------------------
    void GotFocus();
    void LostFocus();
    void MouseDown(MouseButton button);
    void MouseMove();
    void MouseUp(MouseButton button);
    void KeyDown(ButtonKey key);
    void KeyUp(ButtonKey key);
    void Resize();
    // The window's resolution changed (and with it its size): the face it
    // shows is painted again, where a plain resize paints the resting one.
    void Rescaled();
    // The pointer capture was taken away during a press (another window
    // came up): the press ends without a release and without a click.
    void CaptureLost();
    void PointerWatchTick(PointerPlace place);

    // --- state, read without side effects ------------------------------------
    std::uint8_t SkinState() const { return skinState_; }
    bool ButtonHeld() const { return buttonHeld_; }
    bool GradientReversed() const { return gradientReversed_; }
    bool EnabledFlag() const { return enabled_; }
    std::uint8_t FirstRun() const { return firstRun_; }
    bool Opaque() const { return backgroundStyle_ != 0; }
    std::uint32_t CaptionColour() const { return captionColour_; }
    bool CaptionEnabled() const { return captionEnabled_; }

private:
    void DrawSkin(Skin skin);
    void LeaveHover();
    void ApplyEnabled();
    void ApplyNormal();
    void StoreEnabledFlag(bool enabled);
    Skin RestingSkin() const;
    void RaiseClick();

    CommandSurface& surface_;
    bool enabled_ = false;
    std::uint8_t firstRun_ = 0;
    std::uint8_t skinState_ = SkinNotStarted;
    bool buttonHeld_ = false;
    bool spaceHeld_ = false;
    bool gradientReversed_ = false;
    std::int16_t backgroundStyle_ = 1; // 1 opaque, 0 caption only
    Skin shown_ = Skin::Disable;        // the face painted last; a new button is off

    // The caption label's own properties.
    std::string caption_ = DesignCaption;
    forms::FontDescription font_;
    std::uint32_t captionColour_ = 0;
    bool captionEnabled_ = true;
};

} // namespace vessmark
