#include "show_runner.h"

#include <algorithm>
#include <cctype>

namespace vessmark {

MusicChoice ChooseMusic(std::int16_t bgmKind, const std::string& bgmFile)
{
    if (bgmKind == BgmKindCd) {
        return MusicChoice::Cd;
    }
    if (bgmKind != BgmKindFile) {
        return MusicChoice::None;
    }
    std::string ending = bgmFile.substr(bgmFile.size() - std::min<std::size_t>(3, bgmFile.size()));
    std::transform(ending.begin(), ending.end(), ending.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    if (ending == "WAV") {
        return MusicChoice::Wav;
    }
    if (ending == "MP3") {
        return MusicChoice::Mp3;
    }
    return MusicChoice::None;
}

std::string RendererPath(const std::string& programFolder)
{
    return programFolder + "\\" + RendererFileName;
}

bool RendererWatch::ShowIsOver(bool windowExists, bool processEnded, std::uint32_t nowMs)
{
    if (windowExists) {
        windowSeen_ = true;
        return false;
    }
    return windowSeen_ || processEnded || nowMs - startMs_ >= RendererStartGraceMs;
}

std::string RendererStartFailedMessage(const std::string& reason)
{
    return reason.empty() ? std::string(RendererStartFailedText) : RendererStartFailedText + ("\r\n" + reason);
}

bool ShowRunner::FormLoad(const std::string& programFolder)
{
    std::string reason;
    if (!platform_.StartRenderer(RendererPath(programFolder), reason)) {
        Timer3Enabled = false;
        if (switchLetter_ == 'S') {
            platform_.ShowCursor();
        }
        platform_.ShowMessage(RendererStartFailedMessage(reason));
        return false;
    }
    watch_.Start(platform_.NowMs());

    musicChoice_ = ChooseMusic(state_.BgmKind, state_.BgmFile);
    switch (musicChoice_) {
    case MusicChoice::Cd:
        music_.CdOpen();
        Timer2Enabled = true;
        break;
    case MusicChoice::Wav:
        music_.WavPlay(); // loops by itself
        break;
    case MusicChoice::Mp3:
        music_.Mp3Play();
        Timer1Enabled = true;
        break;
    case MusicChoice::None:
        break;
    }
    return true;
}

void ShowRunner::Timer1Tick()
{
    music_.Mp3Check();
}

void ShowRunner::Timer2Tick()
{
    music_.CdCheck();
    Timer2Enabled = state_.CdActive;
}

bool ShowRunner::Timer3Tick()
{
    if (!watch_.ShowIsOver(platform_.RendererWindowExists(), platform_.RendererEnded(), platform_.NowMs())) {
        return false;
    }
    Timer3Enabled = false;
    return true;
}

void ShowRunner::FormQueryUnload()
{
    if (Timer2Enabled) {
        Timer2Enabled = false;
        music_.CdStop();
    }
    if (musicChoice_ == MusicChoice::Wav) {
        music_.WavStop();
    }
    if (musicChoice_ == MusicChoice::Mp3) {
        music_.Mp3Stop();
    }
    if (switchLetter_ == 'S') {
        platform_.ShowCursor();
    }
}

} // namespace vessmark
