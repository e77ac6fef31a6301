// gallery.exe: gradient buttons in each of their looks on one form, for the
// end-to-end scenarios and for pictures. Built with the tests, never shipped.
//
// On start it prints, one "key=value" a line: the form's window handle, its
// resolution (dpi), its rectangle and client area on the screen, then for
// each button its window handle and
// its rectangle on the screen, and "ready=1" once all are shown. Each Click
// prints "click=NAME". Closing the form ends the program with 0.

#include <windows.h>

#include <fcntl.h>
#include <io.h>

#include <cstdarg>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "command_button.h"
#include "forms/form.h"

namespace {

using vessmark::CommandButton;
using vessmark::forms::FontDescription;
using vessmark::forms::PropertyValue;
using vessmark::forms::StoredProperties;
using vessmark::forms::TwipRect;

constexpr char Caption[] = "Vessmark button gallery";
constexpr int ClientWidthTwips = 6300;
constexpr int ClientHeightTwips = 2580;
constexpr COLORREF Background = RGB(200, 200, 230);

// The settings dialog's caption font.
const FontDescription DialogFont{"ＭＳ Ｐゴシック", 9.75, 400, false, false, false, SHIFTJIS_CHARSET};

void Out(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    std::vprintf(format, args);
    va_end(args);
    std::fflush(stdout); // read while we run
}

struct Definition {
    const char* Name;
    TwipRect Bounds;
    StoredProperties Stored;
};

class Gallery final : public vessmark::forms::Form {
public:
    Gallery() : brush_(CreateSolidBrush(Background)) {}
    ~Gallery() override
    {
        buttons_.clear(); // the buttons go before their form's window
        DeleteObject(brush_);
    }

    bool Open()
    {
        if (!CreateWithClientSize(Caption, WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU, 0, nullptr, ClientWidthTwips,
                                  ClientHeightTwips)) {
            return false;
        }
        SetWindowPos(Handle(), nullptr, 40, 40, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
        // In tab order. The first row is what the scenarios drive; the rest
        // shows the dialog's buttons and the caption-only look.
        std::vector<Definition> definitions;
        definitions.push_back({"plain", {240, 240, 1050, 390}, {{"Caption", std::string("Command")}}});
        definitions.push_back({"second", {1500, 240, 1050, 390}, {{"Caption", std::string("Second")}}});
        definitions.push_back({"disabled", {2760, 240, 1050, 390},
                               {{"Caption", std::string("Disabled")}, {"Enabled", false}}});
        definitions.push_back({"exact", {4020, 240, 1755, 420}, {{"Caption", std::string("Twips 1755 x 420")}}});
        definitions.push_back({"set", {240, 1020, 1095, 375}, {{"Caption", std::string("設定")}, {"Font", DialogFont}}});
        definitions.push_back({"cancel", {1500, 1020, 1035, 375},
                               {{"Caption", std::string("ｷｬﾝｾﾙ")}, {"Font", DialogFont}}});
        definitions.push_back({"other", {2760, 1020, 1875, 375},
                               {{"Caption", std::string("その他の作品")}, {"Font", DialogFont}}});
        definitions.push_back({"browse", {4800, 1050, 435, 315}, {{"Caption", std::string("...")}, {"Font", DialogFont}}});
        definitions.push_back({"caption_only", {240, 1800, 1755, 420},
                               {{"Caption", std::string("Caption only")}, {"Visible", std::int64_t{0}}}});
        definitions.push_back({"red_caption", {2160, 1800, 1755, 420},
                               {{"Caption", std::string("Red caption")}, {"FontColour", std::int64_t{0x0000C0}}}});

        for (Definition& definition : definitions) {
            auto button = std::make_unique<CommandButton>();
            if (!button->Load(*this, definition.Bounds, definition.Stored)) {
                return false;
            }
            const std::string name = definition.Name;
            button->OnClick([name] { Out("click=%s\n", name.c_str()); });
            names_.push_back(name);
            buttons_.push_back(std::move(button));
        }
        // What a host does once its buttons are loaded.
        for (auto& button : buttons_) {
            button->Initialize();
        }
        return true;
    }

    void Report() const
    {
        Out("form.hwnd=0x%llx\n", static_cast<unsigned long long>(reinterpret_cast<UINT_PTR>(Handle())));
        Out("dpi=%d\n", Dpi());
        RECT window{};
        GetWindowRect(Handle(), &window);
        Out("form.rect=%ld,%ld,%ld,%ld\n", window.left, window.top, window.right, window.bottom);
        RECT client{};
        GetClientRect(Handle(), &client);
        MapWindowPoints(Handle(), nullptr, reinterpret_cast<POINT*>(&client), 2);
        Out("client=%ld,%ld,%ld,%ld\n", client.left, client.top, client.right, client.bottom);
        for (std::size_t i = 0; i < buttons_.size(); ++i) {
            RECT rect{};
            GetWindowRect(buttons_[i]->Handle(), &rect);
            Out("button.%s.hwnd=0x%llx\n", names_[i].c_str(),
                static_cast<unsigned long long>(reinterpret_cast<UINT_PTR>(buttons_[i]->Handle())));
            Out("button.%s.rect=%ld,%ld,%ld,%ld\n", names_[i].c_str(), rect.left, rect.top, rect.right, rect.bottom);
        }
    }

protected:
    HBRUSH BackgroundBrush() const override { return brush_; }
    void OnDestroy() override { Out("closed=1\n"); }

private:
    HBRUSH brush_;
    std::vector<std::unique_ptr<CommandButton>> buttons_;
    std::vector<std::string> names_;
};

} // namespace

int main()
{
    // Plain "\n" line ends: the scenarios read this output on Linux.
    _setmode(_fileno(stdout), _O_BINARY);
    Gallery gallery;
    if (!gallery.Open()) {
        Out("error=the gallery could not be made (%lu)\n", GetLastError());
        return 1;
    }
    gallery.Report();
    ShowWindow(gallery.Handle(), SW_SHOW);
    SetForegroundWindow(gallery.Handle());
    UpdateWindow(gallery.Handle());
    Out("ready=1\n");
    gallery.ShowModal(nullptr);
    return 0;
}
