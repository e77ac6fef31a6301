// The audio CD: opened at the start of a show, then polled every 200 ms. The
// poll starts the disc, restarts it when it stops, or keeps one track
// repeating; it reports through CdActive whether polling should go on.

#include "background_music.h"

#include <algorithm>
#include <cctype>
#include <cstring>

#include "number_text.h"

namespace vessmark {

namespace {
constexpr char CdStopped[] = "stopped";
constexpr std::size_t ModeCompareLength = 7;

std::string UpperCase(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return text;
}

bool Refused(const std::string& upperAnswer)
{
    return upperAnswer.find("ERR") != std::string::npos;
}
} // namespace

void BackgroundMusic::SendCd(const char* command)
{
    state_.ApiResult = static_cast<std::int32_t>(port_.SendString(command, nullptr, 0));
}

void BackgroundMusic::CdOpen()
{
    SendCd("open cdaudio");
    SendCd("set cdaudio time format tmsf");
}

void BackgroundMusic::CdCheck()
{
    state_.CdActive = true;
    const std::string track = UpperCase(MciResult("status cdaudio current track"));
    if (Refused(track)) {
        state_.CdActive = false;
        return;
    }
    // The count is not used: the answer only proves that a disc with tracks is in.
    if (Refused(UpperCase(MciResult("status cdaudio number of tracks")))) {
        state_.CdActive = false;
        return;
    }
    state_.ApiResult = static_cast<std::int32_t>(
        port_.SendString("status cdaudio mode", cdMode_.data(), static_cast<std::uint32_t>(cdMode_.size())));
    const bool stopped = std::strncmp(cdMode_.data(), CdStopped, ModeCompareLength) == 0;

    if (state_.BgmRepeat != 0) {
        // The track must read as a number whatever the mode: an answer that
        // does not ends CD polling.
        const std::optional<double> current = ParseNumber(track);
        if (!current) {
            state_.CdActive = false;
            return;
        }
        if (stopped || *current != static_cast<double>(state_.BgmRepeat)) {
            // The position is the device's own text, passed back unparsed;
            // a refused query's "Error:" text goes on and fails in turn.
            const std::string start = MciResult("status cdaudio position track " + std::to_string(state_.BgmRepeat));
            MciPlay("cdaudio", start, "");
        }
    } else if (stopped) {
        MciPlay("cdaudio", "", "");
    }
}

void BackgroundMusic::CdStop()
{
    SendCd("stop cdaudio");
    SendCd("close cdaudio");
}

} // namespace vessmark
