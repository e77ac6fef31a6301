#pragma once
// The hidden show window. Its caption marks a running show for other
// instances; its timers drive the music and the watch on the renderer.

#include <windows.h>

#include <string>

#include "forms/form.h"
#include "show_runner.h"

namespace vessmark {

inline constexpr char ShowWindowCaption[] = "Tavisk_Main";

// The renderer as a process of its own, found again through its caption.
class Win32ShowPlatform final : public ShowPlatform {
public:
    ~Win32ShowPlatform() override;
    bool StartRenderer(const std::string& path) override;
    bool RendererEnded() override;
    bool RendererWindowExists() override;
    void ShowCursor() override;
    std::uint32_t NowMs() override;

private:
    HANDLE process_ = nullptr;
};

class ShowWindow final : public forms::Form {
public:
    ShowWindow(FrontEndState& state, BackgroundMusic& music, char switchLetter);

    // Creates the hidden window, starts the renderer and the music, and starts
    // watching. The program then runs on its message loop until the show ends.
    bool Load(const std::string& programFolder);

protected:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    void SyncTimers();
    [[noreturn]] void Unload();

    Win32ShowPlatform platform_;
    ShowRunner runner_;
    forms::Timer timer1_;
    forms::Timer timer2_;
    forms::Timer timer3_;
};

} // namespace vessmark
