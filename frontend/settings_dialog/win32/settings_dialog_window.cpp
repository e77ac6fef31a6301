#include "settings_dialog_window.h"

#include <commdlg.h>
#include <objbase.h>
#include <shellapi.h>

#include <vector>

#include "dialog_layout.h"
#include "dialog_pictures.h"
#include "start_up.h"
#include "window_animation.h"

namespace vessmark {

namespace layout = dialog_layout;

namespace {
// BGM_Repeat's control id: any id but IDOK and IDCANCEL, which a dialog's
// keyboard sends for Enter and Esc.
constexpr int RepeatId = 1000;
// Long names come back whole from the open-file dialog, so that one the
// settings cannot keep is named in the message that refuses it.
constexpr DWORD FileNameBufferLength = 32768;
// The focus rectangle stands this far around the label it marks.
constexpr int FocusMarginTwips = 30;

// The dialog window's rectangle and the system's animated-rectangle call.
class Win32WindowAnimation final : public WindowAnimationPort {
public:
    explicit Win32WindowAnimation(HWND window) : window_(window) {}

    std::optional<ScreenRect> WindowRect() override
    {
        RECT rect{};
        if (!GetWindowRect(window_, &rect)) {
            return std::nullopt;
        }
        return ScreenRect{rect.left, rect.top, rect.right, rect.bottom};
    }

    void DrawAnimatedRects(int animation, const ScreenRect& from, const ScreenRect& to) override
    {
        const RECT start{from.Left, from.Top, from.Right, from.Bottom};
        const RECT end{to.Left, to.Top, to.Right, to.Bottom};
        ::DrawAnimatedRects(window_, animation, &start, &end);
    }

private:
    HWND window_;
};

// An icon from a picture with straight alpha, as icons keep it.
HICON MakeIcon(const PictureImage& image)
{
    void* bits = nullptr;
    HBITMAP colour = forms::CreateTopDownBitmap(image.Width, image.Height, 32, &bits);
    if (colour == nullptr) {
        return nullptr;
    }
    std::copy(image.Pixels.begin(), image.Pixels.end(), static_cast<std::uint32_t*>(bits));
    GdiFlush();
    // An empty mask: the alpha channel says what is seen.
    std::vector<std::uint8_t> maskBits(static_cast<std::size_t>((image.Width + 15) / 16 * 2 * image.Height), 0);
    HBITMAP mask = CreateBitmap(image.Width, image.Height, 1, 1, maskBits.data());
    ICONINFO icon{};
    icon.fIcon = TRUE;
    icon.hbmColor = colour;
    icon.hbmMask = mask;
    HICON made = mask != nullptr ? CreateIconIndirect(&icon) : nullptr;
    DeleteObject(colour);
    if (mask != nullptr) {
        DeleteObject(mask);
    }
    return made;
}

forms::Picture MarkPicture(bool selected)
{
    return {MarkPictureTwips, MarkPictureTwips,
            [selected](int width, int) { return DrawMarkPicture(selected, width).Pixels; }};
}

// Paints a band row by row onto a surface.
void PaintBand(forms::Surface& surface, int dpi, std::uint32_t (*rowColour)(int level))
{
    if (surface.Empty()) {
        return;
    }
    const std::vector<std::uint32_t> rows = BandRows(surface.Height(), dpi, rowColour);
    for (int y = 0; y < static_cast<int>(rows.size());) {
        int end = y + 1;
        while (end < static_cast<int>(rows.size()) && rows[static_cast<std::size_t>(end)] == rows[static_cast<std::size_t>(y)]) {
            ++end; // rows of one colour in one fill
        }
        const RECT band{0, y, surface.Width(), end};
        HBRUSH brush = CreateSolidBrush(rows[static_cast<std::size_t>(y)]);
        FillRect(surface.Dc(), &band, brush);
        DeleteObject(brush);
        y = end;
    }
}

void PlaceLabel(forms::Label& label, forms::Window& owner, const forms::TwipRect& bounds, const std::string& text,
                std::uint32_t colour = 0)
{
    label.SetBounds(bounds);
    label.SetCaption(text);
    label.SetFont(layout::DialogFont);
    label.SetForeColour(colour);
    // One line each, as designed; only the file name may take two.
    label.SetWordWrap(false);
    owner.AddWindowless(label);
}
} // namespace

// --- KindGroup and its focus rectangle ---------------------------------------------

LRESULT KindGroup::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_GETDLGCODE:
        return DLGC_WANTARROWS; // the arrows move the choice, not the focus
    case WM_KEYDOWN:
        if (wParam == VK_UP || wParam == VK_LEFT || wParam == VK_DOWN || wParam == VK_RIGHT) {
            if (Move) {
                Move(wParam == VK_UP || wParam == VK_LEFT ? -1 : +1);
            }
            return 0;
        }
        break;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
        if (FocusChanged) {
            FocusChanged(message == WM_SETFOCUS);
        }
        return 0;
    default:
        break;
    }
    return Control::HandleMessage(message, wParam, lParam);
}

void FocusFrame::Paint(HDC dc, int dpi)
{
    const RECT rect = PixelBounds(dpi);
    const COLORREF oldText = SetTextColor(dc, RGB(0, 0, 0));
    const COLORREF oldBack = SetBkColor(dc, RGB(255, 255, 255));
    DrawFocusRect(dc, &rect);
    SetBkColor(dc, oldBack);
    SetTextColor(dc, oldText);
}

void InitCommandButtons(HWND frame, bool initialise, bool enable)
{
    struct Flags {
        bool Initialise;
        bool Enable;
    } flags{initialise, enable};
    EnumChildWindows(
        frame,
        [](HWND child, LPARAM parameter) -> BOOL {
            const auto* f = reinterpret_cast<const Flags*>(parameter);
            if (auto* button = dynamic_cast<CommandButton*>(forms::Window::FromHandle(child))) {
                if (f->Initialise) {
                    button->Initialize();
                } else {
                    button->SetEnabled(f->Enable);
                }
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&flags));
}

// --- the dialog ------------------------------------------------------------------

SettingsDialogWindow::SettingsDialogWindow(FrontEndState& state, ProfilePort& profile, PathPort& paths,
                                           SettingsLocation location)
    : state_(state), dialog_(*this, state, profile, paths, std::move(location))
{
}

SettingsDialogWindow::~SettingsDialogWindow()
{
    for (HICON icon : {bigIcon_, smallIcon_}) {
        if (icon != nullptr) {
            DestroyIcon(icon);
        }
    }
}

void SettingsDialogWindow::MakeIcons()
{
    // The system's sizes are for its own resolution; this window's may differ.
    const int dpi = Dpi();
    HICON big = MakeIcon(DrawDialogIcon(MulDiv(DialogIconSize, dpi, forms::StandardDpi)));
    HICON small = MakeIcon(DrawDialogIcon(MulDiv(GetSystemMetrics(SM_CXSMICON), dpi, forms::SystemDpi())));
    SendMessageW(Handle(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(big));
    SendMessageW(Handle(), WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(small));
    for (HICON old : {bigIcon_, smallIcon_}) {
        if (old != nullptr) {
            DestroyIcon(old);
        }
    }
    bigIcon_ = big;
    smallIcon_ = small;
}

void SettingsDialogWindow::OnDpiChanged()
{
    // The controls of the form layer have placed themselves; the system's
    // combo box, the icons and the painted backgrounds are made again here.
    repeat_.Rescale();
    MakeIcons();
    PaintBackground();
    PaintPanel();
}

bool SettingsDialogWindow::Make()
{
    // A fixed frame with only the close box: no minimize, no maximize.
    if (!CreateWithClientSize(SettingsDialogCaption, WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN, 0,
                              nullptr, layout::ClientWidth, layout::ClientHeight)) {
        return false;
    }
    SetFont(layout::DialogFont);
    MakeIcons();

    for (std::size_t i = 0; i < markStores_.size(); ++i) {
        markStores_[i].SetBounds(layout::MarkStores[i]);
        markStores_[i].SetPicture(MarkPicture(i == 1));
        AddWindowless(markStores_[i]);
    }
    PlaceLabel(credit_, *this, layout::Credit, layout::CreditText, layout::CreditColour);

    // The panel, and on it (in tab order) the group of kinds, the track box
    // and "...".
    panel_.Resized = [this] { PaintPanel(); };
    if (!panel_.Load(*this, layout::Panel)) {
        return false;
    }
    panel_.SetFont(layout::DialogFont);
    const forms::TwipRect firstRow = layout::Marks[BgmKindCd];
    if (!kindGroup_.CreateControl(panel_, {firstRow.Left, firstRow.Top, 0, 0}, WS_VISIBLE | WS_TABSTOP)) {
        return false;
    }
    kindGroup_.Move = [this](int direction) {
        dialog_.MoveKind(direction);
        ShowFocus(true);
    };
    kindGroup_.FocusChanged = [this](bool focused) { ShowFocus(focused); };
    if (!repeat_.Create(panel_, layout::Repeat, RepeatId, layout::DialogFont)) {
        return false;
    }
    forms::StoredProperties browseStored = layout::StoredButton(layout::BrowseCaption);
    if (!browse_.Load(panel_, layout::Browse, browseStored)) {
        return false;
    }
    headingFrame_.SetBounds(layout::HeadingFrame);
    panel_.AddWindowless(headingFrame_);
    PlaceLabel(heading_, panel_, layout::Heading, layout::HeadingText);
    heading_.SetAlignment(forms::Alignment::Centre);
    PlaceLabel(repeatLabel_, panel_, layout::RepeatLabel, layout::RepeatText);
    for (std::int16_t kind = 0; kind < static_cast<std::int16_t>(marks_.size()); ++kind) {
        const auto index = static_cast<std::size_t>(kind);
        PlaceLabel(kindLabels_[index], panel_, layout::KindLabels[index], layout::KindTexts[index]);
        marks_[index].SetBounds(layout::Marks[index]);
        panel_.AddWindowless(marks_[index]);
        // Any mouse button, on the mark or on its label.
        kindLabels_[index].MouseDown = marks_[index].MouseDown = [this, kind](const forms::MouseEvent&) {
            KindPressed(kind);
        };
    }
    PlaceLabel(fileName_, panel_, layout::FileName, "");
    fileName_.SetWordWrap(true);
    fileName_.SetBorder(true);
    fileName_.SetBreakLongWords(true);
    focusFrame_.SetVisible(false);
    panel_.AddWindowless(focusFrame_);

    forms::StoredProperties setStored = layout::StoredButton(layout::SetCaption);
    forms::StoredProperties cancelStored = layout::StoredButton(layout::CancelCaption);
    forms::StoredProperties otherStored = layout::StoredButton(layout::OtherCaption);
    if (!set_.Load(*this, layout::Set, setStored) || !cancel_.Load(*this, layout::Cancel, cancelStored) ||
        !other_.Load(*this, layout::Other, otherStored)) {
        return false;
    }
    browse_.OnClick([this] { dialog_.ChooseFile(); });
    set_.OnClick([this] { dialog_.Save(); });
    cancel_.OnClick([this] { dialog_.Cancel(); });
    other_.OnClick([this] { dialog_.OpenOtherWorks(); });
    return true;
}

bool SettingsDialogWindow::ShowDialog()
{
    // The shell's page opening and the open-file dialog want COM, in a
    // single-threaded apartment, on the thread that calls them.
    const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
    const bool made = Make();
    if (made) {
        dialog_.Load();
        ShowWindow(Handle(), SW_SHOW);
        SetForegroundWindow(Handle());
        ShowModal(nullptr);
    }
    if (SUCCEEDED(com)) {
        CoUninitialize();
    }
    return made;
}

void SettingsDialogWindow::KindPressed(std::int16_t kind)
{
    // The focus moves to the group only from a control this press switches
    // off, before it goes off.
    const HWND focus = GetFocus();
    FocusedControl focused = FocusedControl::Other;
    if (focus != nullptr && (focus == repeat_.Handle() || IsChild(repeat_.Handle(), focus))) {
        focused = FocusedControl::TrackBox; // its edit field has the caret
    } else if (focus != nullptr && focus == browse_.Handle()) {
        focused = FocusedControl::Browse;
    }
    if (KindPressMovesFocus(focused, kind)) {
        SetFocus(kindGroup_.Handle());
    }
    dialog_.ChooseKind(kind);
    ShowFocus(GetFocus() == kindGroup_.Handle());
}

void SettingsDialogWindow::ShowFocus(bool focused)
{
    // Around the chosen kind's label; with none chosen, around the top row's.
    const std::int16_t kind = SelectionFor(state_.BgmKind).SelectedMark >= 0 ? state_.BgmKind : BgmKindCd;
    const forms::TwipRect label = layout::KindLabels[static_cast<std::size_t>(kind)];
    focusFrame_.SetBounds({label.Left - FocusMarginTwips, label.Top - FocusMarginTwips,
                           label.Width + 2 * FocusMarginTwips, label.Height + 2 * FocusMarginTwips});
    focusFrame_.SetVisible(focused);
}

LRESULT SettingsDialogWindow::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_SIZE:
        // The background is painted once for each size and shown on every paint.
        background_.Resize(LOWORD(lParam), HIWORD(lParam));
        PaintBackground();
        Invalidate();
        return 0;
    case WM_ACTIVATE:
        // As a dialog: the focus leaves with the window and comes back to
        // where it was, or at first to the first control that takes it.
        if (LOWORD(wParam) == WA_INACTIVE) {
            if (HWND focus = GetFocus(); focus != nullptr && IsChild(Handle(), focus)) {
                lastFocus_ = focus;
            }
        } else {
            HWND focus = lastFocus_;
            if (focus == nullptr || !IsWindow(focus) || !IsWindowEnabled(focus) || !IsWindowVisible(focus)) {
                focus = GetNextDlgTabItem(Handle(), nullptr, FALSE);
            }
            if (focus != nullptr) {
                SetFocus(focus);
            }
        }
        return 0;
    case WM_COMMAND:
        // The dialog keyboard's Esc; its Enter (IDOK) does nothing, as there
        // is no default button.
        if (LOWORD(wParam) == IDCANCEL) {
            dialog_.Cancel();
        }
        return 0;
    case WM_CLOSE:
        dialog_.Unload();
        return 0;
    case WM_SETCURSOR:
        // Every window of the dialog passes this here first: while a page
        // opens, the hourglass stays whatever the pointer moves over.
        if (dialog_.Pointer() == MousePointer::Hourglass) {
            SetMousePointer(MousePointer::Hourglass);
            return TRUE;
        }
        break;
    default:
        break;
    }
    return Form::HandleMessage(message, wParam, lParam);
}

void SettingsDialogWindow::PaintContent(HDC dc, const RECT&)
{
    background_.ShowOn(dc);
}

void SettingsDialogWindow::PaintBackground()
{
    PaintBand(background_, Dpi(), DialogRowColour);
}

void SettingsDialogWindow::PaintPanel()
{
    PaintBand(panel_.Picture(), panel_.Dpi(), PanelRowColour);
}

// --- what the dialog asks of its window ---------------------------------------------

std::pair<double, double> SettingsDialogWindow::ScreenSize()
{
    const double twipsPerPixel = static_cast<double>(forms::TwipsPerInch) / Dpi();
    return {GetSystemMetrics(SM_CXSCREEN) * twipsPerPixel, GetSystemMetrics(SM_CYSCREEN) * twipsPerPixel};
}

std::pair<double, double> SettingsDialogWindow::WindowSize()
{
    RECT rect{};
    GetWindowRect(Handle(), &rect);
    const double twipsPerPixel = static_cast<double>(forms::TwipsPerInch) / Dpi();
    return {(rect.right - rect.left) * twipsPerPixel, (rect.bottom - rect.top) * twipsPerPixel};
}

void SettingsDialogWindow::MoveWindow(TwipPoint position)
{
    const int dpi = Dpi();
    SetWindowPos(Handle(), nullptr, forms::TwipsToPixels(static_cast<int>(position.Left), dpi),
                 forms::TwipsToPixels(static_cast<int>(position.Top), dpi), 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void SettingsDialogWindow::InitCommandButtons(bool initialise, bool enable)
{
    vessmark::InitCommandButtons(Handle(), initialise, enable);
}

void SettingsDialogWindow::SetMark(int kind, bool selected)
{
    marks_[static_cast<std::size_t>(kind)].SetPicture(markStores_[selected ? 1 : 0].GetPicture());
}

void SettingsDialogWindow::SetRepeatEnabled(bool enabled)
{
    repeat_.SetEnabled(enabled);
}

void SettingsDialogWindow::SetBrowseEnabled(bool enabled)
{
    browse_.SetEnabled(enabled);
}

void SettingsDialogWindow::SetTrackText(const std::string& text)
{
    repeat_.SetText(text);
}

std::string SettingsDialogWindow::TrackText()
{
    return repeat_.Text();
}

void SettingsDialogWindow::AddTrackItem(const std::string& item)
{
    repeat_.AddItem(item);
}

void SettingsDialogWindow::SetFileCaption(const std::string& ansiPath)
{
    fileName_.SetCaption(forms::Utf8(forms::Widen(ansiPath, CP_ACP)));
}

std::optional<std::pair<long, long>> SettingsDialogWindow::CursorPosition()
{
    POINT pointer{};
    if (!GetCursorPos(&pointer)) {
        return std::nullopt;
    }
    return std::pair<long, long>{pointer.x, pointer.y};
}

void SettingsDialogWindow::AnimateOpen(vessmark::CursorPosition cursor)
{
    Win32WindowAnimation window(Handle());
    vessmark::AnimateOpen(window, cursor);
}

void SettingsDialogWindow::AnimateClose(vessmark::CursorPosition cursor)
{
    Win32WindowAnimation window(Handle());
    vessmark::AnimateClose(window, cursor);
}

void SettingsDialogWindow::SetMousePointer(MousePointer pointer)
{
    SetCursor(LoadCursorW(nullptr, MAKEINTRESOURCEW(pointer == MousePointer::Hourglass ? 32514 : 32512))); // IDC_WAIT, IDC_ARROW
}

ChosenFile SettingsDialogWindow::ChooseMusicFile()
{
    // One pair: the description and the pattern, each ended by a NUL, and
    // the list ended by another.
    std::wstring filter = forms::Widen(MusicFilterName);
    filter.push_back(L'\0');
    filter += forms::Widen(MusicFilterPattern);
    filter.push_back(L'\0');
    filter.push_back(L'\0');
    const std::wstring title = forms::Widen(OpenFileTitle);
    std::vector<wchar_t> file(FileNameBufferLength, L'\0');
    std::vector<wchar_t> fileTitle(MAX_PATH, L'\0');

    OPENFILENAMEW request{};
    request.lStructSize = sizeof(request);
    request.hwndOwner = Handle();
    request.hInstance = GetModuleHandleW(nullptr);
    request.lpstrFilter = filter.c_str();
    request.nFilterIndex = 0;
    request.lpstrFile = file.data();
    request.nMaxFile = static_cast<DWORD>(file.size());
    request.lpstrFileTitle = fileTitle.data();
    request.nMaxFileTitle = static_cast<DWORD>(fileTitle.size());
    request.lpstrTitle = title.c_str();
    request.Flags = 0; // the read-only box shows, and the file need not exist
    ChosenFile chosen;
    chosen.Result = GetOpenFileNameW(&request);
    if (chosen.Result > 0) {
        chosen.Path = file.data();
        chosen.PathUtf8 = forms::Utf8(chosen.Path);
    }
    return chosen;
}

void SettingsDialogWindow::OpenAddress(const std::string& address)
{
    ShellExecuteW(Handle(), L"open", forms::Widen(address).c_str(), L"", L"", SW_SHOWNORMAL);
}

void SettingsDialogWindow::ShowWarning(const std::string& text)
{
    MessageBoxW(Handle(), forms::Widen(text).c_str(), forms::Widen(ApplicationTitle).c_str(),
                MB_OK | MB_ICONWARNING);
}

void SettingsDialogWindow::Close()
{
    DestroyWindow(Handle());
}

} // namespace vessmark
