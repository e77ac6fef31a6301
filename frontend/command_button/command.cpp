#include "command.h"

#include <limits>

namespace vessmark {

namespace {
// Stored keys and their defaults: reader and writer share them.
constexpr char KeyEnabled[] = "Enabled";
constexpr char KeyCaption[] = "Caption";
constexpr char KeyFont[] = "Font";
constexpr char KeyFirstRun[] = "FirstRun";
constexpr char KeyFontColour[] = "FontColour";
constexpr char KeyVisible[] = "Visible";
constexpr bool DefaultEnabled = true;
constexpr std::int64_t DefaultFirstRun = 1;
constexpr std::int64_t DefaultFontColour = 0;
constexpr std::int64_t DefaultVisible = 1;
constexpr std::uint32_t Black = 0;

bool Within(std::int64_t value, std::int64_t low, std::int64_t high)
{
    return value >= low && value <= high;
}
} // namespace

// --- painting ------------------------------------------------------------------

void Command::DrawSkin(Skin skin)
{
    gradientReversed_ = GradientReversedFor(skinState_, gradientReversed_);
    shown_ = skin;
    surface_.DrawFace(skin, gradientReversed_);
}

Skin Command::RestingSkin() const
{
    switch (skinState_) {
    case SkinHighLight:
        return Skin::HighLight;
    case SkinSelected:
        return Skin::Selected;
    case SkinHighLightSelect:
        return Skin::HighLightSelect;
    default:
        return Skin::Normal;
    }
}

void Command::ApplyEnabled()
{
    if (enabled_) {
        DrawSkin(Skin::Normal);
        captionEnabled_ = true;
    } else {
        DrawSkin(Skin::Disable);
        captionEnabled_ = false;
    }
    surface_.Refresh();
}

void Command::ApplyNormal()
{
    if (!enabled_) {
        return;
    }
    captionEnabled_ = true;
    if (firstRun_ == 0) {
        captionColour_ = Black;
    }
    DrawSkin(Skin::Normal);
    surface_.Refresh();
}

void Command::LeaveHover()
{
    if (!enabled_) {
        return;
    }
    if (skinState_ == SkinHighLight) {
        skinState_ = SkinNormal;
        DrawSkin(Skin::Normal);
    } else if (skinState_ == SkinHighLightSelect) {
        skinState_ = SkinSelected;
        DrawSkin(Skin::Selected);
    }
}

void Command::StoreEnabledFlag(bool enabled)
{
    if (!enabled) {
        surface_.AcceptInput(false);
        // A press under way ends with the switch-off: a Space release no
        // longer clicks once the button is switched on again, and a mouse
        // button held through it no longer keeps the focused button from
        // highlighting.
        buttonHeld_ = false;
        spaceHeld_ = false;
    }
    enabled_ = enabled;
    if (enabled) {
        surface_.AcceptInput(true);
    }
}

void Command::RaiseClick()
{
    if (Click) {
        Click(); // the last step: the handler may close the whole form
    }
}

// --- members -------------------------------------------------------------------

void Command::SetCaption(const std::string& caption)
{
    caption_ = caption;
    surface_.PropertyChanged(KeyCaption);
    surface_.Refresh();
}

void Command::SetFont(const forms::FontDescription& New_Font)
{
    font_ = New_Font;
    surface_.PropertyChanged(KeyFont);
    surface_.Refresh();
}

std::uint32_t Command::FontColour()
{
    const std::uint32_t colour = captionColour_;
    ApplyNormal();
    return colour;
}

void Command::SetFontColour(std::uint32_t New_FontColour)
{
    captionColour_ = New_FontColour;
    ApplyNormal();
    surface_.PropertyChanged(KeyFontColour);
    surface_.Refresh();
}

bool Command::Enabled()
{
    if (firstRun_ == 0) {
        ApplyNormal();
        firstRun_ = 1;
        StoreEnabledFlag(true);
    }
    const bool enabled = enabled_;
    ApplyEnabled();
    return enabled;
}

void Command::SetEnabled(bool New_Enabled)
{
    StoreEnabledFlag(New_Enabled);
    surface_.PropertyChanged(KeyEnabled);
    ApplyEnabled();
}

std::uint8_t Command::Visible()
{
    if (backgroundStyle_ == 0) {
        return 0;
    }
    ApplyNormal();
    return VisibleOpaque;
}

void Command::SetVisible(std::uint8_t New_Visible)
{
    if (New_Visible == 0) {
        backgroundStyle_ = 0;
    } else {
        backgroundStyle_ = 1;
        ApplyNormal();
    }
    surface_.PropertyChanged(KeyVisible);
    surface_.Refresh();
}

void Command::Initialize()
{
    skinState_ = SkinNormal;
    surface_.StartPointerWatch(PointerWatchInterval);
}

// --- persistence -----------------------------------------------------------------

void Command::ReadProperties(forms::PropertyBag& bag, const forms::FontDescription& ambientFont)
{
    // A value that cannot be read leaves its setting as it is.
    if (const auto enabled = bag.ReadBool(KeyEnabled, DefaultEnabled)) {
        StoreEnabledFlag(*enabled);
    }
    if (const auto caption = bag.ReadText(KeyCaption, DesignCaption)) {
        caption_ = *caption;
    }
    if (const auto font = bag.ReadFont(KeyFont, ambientFont)) {
        font_ = *font;
    }
    if (const auto firstRun = bag.ReadInteger(KeyFirstRun, DefaultFirstRun); firstRun && Within(*firstRun, 0, 255)) {
        firstRun_ = static_cast<std::uint8_t>(*firstRun);
    }
    // A colour is a 32-bit pattern, written signed or unsigned.
    if (const auto colour = bag.ReadInteger(KeyFontColour, DefaultFontColour);
        colour && Within(*colour, std::numeric_limits<std::int32_t>::min(), std::numeric_limits<std::uint32_t>::max())) {
        captionColour_ = static_cast<std::uint32_t>(*colour);
    }
    if (const auto style = bag.ReadInteger(KeyVisible, DefaultVisible);
        style && Within(*style, std::numeric_limits<std::int16_t>::min(), std::numeric_limits<std::int16_t>::max())) {
        backgroundStyle_ = static_cast<std::int16_t>(*style);
    }
    ApplyNormal();
    surface_.Refresh();
}

void Command::WriteProperties(forms::PropertyBag& bag, const forms::FontDescription& ambientFont)
{
    bag.Write(KeyEnabled, enabled_, DefaultEnabled);
    bag.Write(KeyCaption, caption_, std::string(DesignCaption));
    bag.Write(KeyFirstRun, std::int64_t{firstRun_}, DefaultFirstRun);
    bag.Write(KeyFont, font_, ambientFont);
    bag.Write(KeyFontColour, std::int64_t{static_cast<std::int32_t>(captionColour_)}, DefaultFontColour);
    bag.Write(KeyVisible, std::int64_t{backgroundStyle_}, DefaultVisible);
    ApplyNormal();
}

// --- events ------------------------------------------------------------------------

void Command::GotFocus()
{
    if (!enabled_) {
        return;
    }
    if (skinState_ == SkinHighLight) {
        skinState_ = SkinHighLightSelect;
        DrawSkin(Skin::Pressed);
    } else {
        skinState_ = SkinSelected;
        DrawSkin(Skin::Selected);
    }
}

void Command::LostFocus()
{
    if (!enabled_) {
        return;
    }
    spaceHeld_ = false; // a Space press ends without a click when the focus goes
    if (skinState_ != SkinNormal) {
        skinState_ = SkinNormal;
        DrawSkin(Skin::Normal);
    }
}

void Command::MouseDown(MouseButton button)
{
    if (!enabled_ || button != MouseButton::Left) {
        return;
    }
    buttonHeld_ = true;
    DrawSkin(Skin::Pressed);
}

void Command::MouseMove()
{
    if (!enabled_) {
        return;
    }
    if (skinState_ == SkinNormal) {
        skinState_ = SkinHighLight;
        DrawSkin(Skin::HighLight);
    }
    if (skinState_ == SkinSelected && !buttonHeld_) {
        skinState_ = SkinHighLightSelect;
        DrawSkin(Skin::HighLightSelect);
    }
}

void Command::MouseUp(MouseButton button)
{
    if (!enabled_) {
        return;
    }
    if (button == MouseButton::Left) {
        buttonHeld_ = false;
        if (skinState_ == SkinHighLight) {
            DrawSkin(Skin::Normal);
        } else if (skinState_ == SkinHighLightSelect) {
            DrawSkin(Skin::HighLightSelect);
        }
    }
    // A press that was dragged off the focused button has left it in
    // Selected: letting go there is no click.
    if (skinState_ != SkinSelected) {
        RaiseClick();
    }
}

void Command::KeyDown(ButtonKey key)
{
    if (!enabled_) {
        return;
    }
    if (key == ButtonKey::Enter) {
        RaiseClick();
    } else if (!spaceHeld_) {
        spaceHeld_ = true;
        DrawSkin(Skin::Pressed);
    }
}

void Command::KeyUp(ButtonKey key)
{
    if (!enabled_ || key != ButtonKey::Space || !spaceHeld_) {
        return;
    }
    spaceHeld_ = false;
    DrawSkin(RestingSkin());
    RaiseClick();
}

void Command::Resize()
{
    ApplyEnabled();
}

void Command::Rescaled()
{
    DrawSkin(shown_);
    surface_.Refresh();
}

void Command::CaptureLost()
{
    if (!enabled_ || !buttonHeld_) {
        return;
    }
    buttonHeld_ = false;
    DrawSkin(RestingSkin());
}

void Command::PointerWatchTick(PointerPlace place)
{
    // The caption has no window of its own: over it, the pointer is over ours.
    if (place != PointerPlace::OwnWindow) {
        LeaveHover();
    }
}

} // namespace vessmark
