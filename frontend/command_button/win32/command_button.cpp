#include "command_button.h"

#include <cmath>

#include "skin_pictures.h"

namespace vessmark {

namespace {
constexpr UINT_PTR PointerWatchId = 1;

// Behind the face while it is drawn; the frame and the gradient cover it all.
constexpr COLORREF ClearColour = RGB(245, 244, 234);

// A skin picture as a 24-bit bitmap, rows top to bottom, each row padded to
// four bytes.
HBITMAP MakeSkinBitmap(const SkinPicture& picture)
{
    void* bits = nullptr;
    HBITMAP bitmap = forms::CreateTopDownBitmap(SkinPictureWidth, SkinPictureHeight, 24, &bits);
    if (bitmap == nullptr) {
        return nullptr;
    }
    constexpr int Stride = (SkinPictureWidth * 3 + 3) & ~3;
    auto* rows = static_cast<std::uint8_t*>(bits);
    for (int y = 0; y < SkinPictureHeight; ++y) {
        for (int x = 0; x < SkinPictureWidth; ++x) {
            const Rgb colour = picture.At(x, y);
            std::uint8_t* pixel = rows + y * Stride + x * 3;
            pixel[0] = colour.Blue;
            pixel[1] = colour.Green;
            pixel[2] = colour.Red;
        }
    }
    GdiFlush();
    return bitmap;
}

MouseButton ButtonOf(const forms::MouseEvent& event)
{
    return event.Button == forms::LeftButton    ? MouseButton::Left
           : event.Button == forms::RightButton ? MouseButton::Right
                                                : MouseButton::Middle;
}
} // namespace

CommandButton::CommandButton()
    : core_(*this), pointerWatch_(*this, PointerWatchId, Command::PointerWatchInterval, [this] { WatchPointer(); })
{
    for (const Skin skin :
         {Skin::Normal, Skin::HighLight, Skin::Selected, Skin::HighLightSelect, Skin::Pressed, Skin::Disable}) {
        skins_[static_cast<std::size_t>(skin)] = MakeSkinBitmap(DrawSkinPicture(skin));
    }
    skinDc_ = CreateCompatibleDC(nullptr);
    if (skinDc_ != nullptr) {
        skinDcBitmap_ = GetCurrentObject(skinDc_, OBJ_BITMAP);
    }
    captionLabel_.SetAlignment(forms::Alignment::Centre);
    // The caption's mouse events are the button's own, with the same button,
    // keys and coordinates.
    captionLabel_.MouseDown = [this](const forms::MouseEvent& e) { OnMouseDown(e); };
    captionLabel_.MouseMove = [this](const forms::MouseEvent& e) { OnMouseMove(e); };
    captionLabel_.MouseUp = [this](const forms::MouseEvent& e) { OnMouseUp(e); };
}

CommandButton::~CommandButton()
{
    if (skinDc_ != nullptr) {
        SelectObject(skinDc_, skinDcBitmap_);
        DeleteDC(skinDc_);
    }
    for (HBITMAP skin : skins_) {
        if (skin != nullptr) {
            DeleteObject(skin);
        }
    }
}

bool CommandButton::Load(forms::Window& host, const forms::TwipRect& bounds, forms::PropertyStorage& stored)
{
    // Made disabled: the flag is off until the stored properties say otherwise.
    if (!CreateControl(host, {bounds.Left, bounds.Top, 0, 0}, WS_VISIBLE | WS_TABSTOP | WS_DISABLED,
                       Command::DesignCaption)) {
        return false;
    }
    host_ = &host;
    AddWindowless(captionLabel_);
    forms::PropertyBag bag(stored);
    core_.ReadProperties(bag, host.Font());
    Move(bounds); // the host's first sizing paints the face
    return true;
}

void CommandButton::Save(forms::PropertyStorage& stored)
{
    forms::PropertyBag bag(stored);
    core_.WriteProperties(bag, host_ != nullptr ? host_->Font() : forms::Window::Font());
}

LRESULT CommandButton::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_SIZE:
        if (!rescaling_) {
            surface_.Resize(LOWORD(lParam), HIWORD(lParam));
            core_.Resize();
        }
        return 0;
    case WM_SETFOCUS:
        core_.GotFocus();
        return 0;
    case WM_KILLFOCUS:
        core_.LostFocus();
        return 0;
    case WM_GETDLGCODE: {
        // Enter comes to the button itself, not to the form's default action.
        const MSG* pending = reinterpret_cast<const MSG*>(lParam);
        if (pending != nullptr && pending->message == WM_KEYDOWN && pending->wParam == VK_RETURN) {
            return DLGC_WANTMESSAGE;
        }
        return 0;
    }
    case WM_KEYDOWN: {
        const bool repeat = (lParam & (1 << 30)) != 0;
        if (wParam == VK_SPACE) {
            core_.KeyDown(ButtonKey::Space);
            return 0;
        }
        if (wParam == VK_RETURN) {
            if (!repeat) {
                core_.KeyDown(ButtonKey::Enter);
            }
            return 0;
        }
        break;
    }
    case WM_KEYUP:
        if (wParam == VK_SPACE) {
            core_.KeyUp(ButtonKey::Space);
            return 0;
        }
        break;
    default:
        break;
    }
    return Control::HandleMessage(message, wParam, lParam);
}

void CommandButton::OnMouseDown(const forms::MouseEvent& event)
{
    if (event.Button == forms::LeftButton && GetFocus() != Handle() && IsWindowEnabled(Handle())) {
        SetFocus(Handle()); // as any push button: the press takes the focus
    }
    core_.MouseDown(ButtonOf(event));
}

void CommandButton::OnMouseMove(const forms::MouseEvent&)
{
    core_.MouseMove();
}

void CommandButton::OnMouseUp(const forms::MouseEvent& event)
{
    core_.MouseUp(ButtonOf(event));
}

void CommandButton::OnDpiChanged()
{
    rescaling_ = true;
    Control::OnDpiChanged(); // the new size, from the twips
    rescaling_ = false;
    RECT client{};
    GetClientRect(Handle(), &client);
    surface_.Resize(client.right, client.bottom);
    core_.Rescaled();
}

void CommandButton::WatchPointer()
{
    POINT pointer{};
    if (!GetCursorPos(&pointer)) {
        return;
    }
    HWND under = WindowFromPoint(pointer);
    const PointerPlace place = under == Handle()              ? PointerPlace::OwnWindow
                               : under == GetParent(Handle()) ? PointerPlace::ParentWindow
                                                              : PointerPlace::Elsewhere;
    core_.PointerWatchTick(place);
}

void CommandButton::StartPointerWatch(std::uint32_t intervalMs)
{
    pointerWatch_.SetInterval(intervalMs);
    pointerWatch_.SetEnabled(true);
}

void CommandButton::AcceptInput(bool accept)
{
    if (Handle() != nullptr) {
        EnableWindow(Handle(), accept ? TRUE : FALSE);
    }
}

void CommandButton::Refresh()
{
    captionLabel_.SetCaption(core_.Caption());
    captionLabel_.SetFont(core_.Font());
    captionLabel_.SetForeColour(core_.CaptionColour());
    captionLabel_.SetEnabled(core_.CaptionEnabled());
    if (Handle() != nullptr) {
        // The window's text is the caption, so screen readers name the button.
        const std::wstring caption = forms::Widen(core_.Caption());
        if (forms::WindowText(Handle()) != caption) {
            SetWindowTextW(Handle(), caption.c_str());
        }
    }
    Invalidate();
}

void CommandButton::DrawFace(Skin skin, bool gradientReversed)
{
    if (surface_.Empty()) {
        return; // not placed yet: the first sizing paints
    }
    const int dpi = Dpi();
    const int widthTwips = forms::PixelsToTwips(surface_.Width(), dpi);
    const int heightTwips = forms::PixelsToTwips(surface_.Height(), dpi);
    surface_.Clear(ClearColour);
    DrawGradient(gradientReversed);
    HBITMAP picture = skins_[static_cast<std::size_t>(skin)];
    if (picture != nullptr && skinDc_ != nullptr) {
        SelectObject(skinDc_, picture);
        SetStretchBltMode(surface_.Dc(), COLORONCOLOR);
        for (const FramePiece& piece : FramePieces(widthTwips, heightTwips)) {
            const PixelPiece p = PiecePixels(piece, dpi);
            if (p.Destination.Width <= 0 || p.Destination.Height <= 0) {
                continue; // a button too small for its frame
            }
            StretchBlt(surface_.Dc(), p.Destination.Left, p.Destination.Top, p.Destination.Width,
                       p.Destination.Height, skinDc_, p.Source.Left, p.Source.Top, p.Source.Width, p.Source.Height,
                       SRCCOPY);
        }
        SelectObject(skinDc_, skinDcBitmap_);
    }
    LayOutCaption();
    Invalidate();
}

void CommandButton::DrawGradient(bool reversed)
{
    const auto vertices = GradientVertices(surface_.Width(), surface_.Height(), reversed);
    if (!vertices) {
        return; // the cleared surface shows through
    }
    std::array<TRIVERTEX, 2> fill{};
    for (std::size_t i = 0; i < fill.size(); ++i) {
        const GradientVertex& v = (*vertices)[i];
        fill[i] = {v.X, v.Y, v.Colour.Red, v.Colour.Green, v.Colour.Blue, v.Alpha};
    }
    GRADIENT_RECT rect{0, 1};
    GradientFill(surface_.Dc(), fill.data(), static_cast<ULONG>(fill.size()), &rect, 1, GRADIENT_FILL_RECT_V);
}

void CommandButton::LayOutCaption()
{
    const int dpi = Dpi();
    const int widthTwips = forms::PixelsToTwips(surface_.Width(), dpi);
    const int heightTwips = forms::PixelsToTwips(surface_.Height(), dpi);
    const int top = static_cast<int>(std::lround(CaptionTopTwips(heightTwips)));
    captionLabel_.SetBounds({0, top, widthTwips, CaptionLabelHeightTwips});
}

void CommandButton::PaintContent(HDC dc, const RECT&)
{
    if (core_.Opaque()) {
        surface_.ShowOn(dc);
    } else {
        PaintParentBackground(dc); // only the caption shows
    }
}

} // namespace vessmark
