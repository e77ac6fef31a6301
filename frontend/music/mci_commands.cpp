// The general MCI command functions that the MP3 and CD music build on.

#include "background_music.h"

#include <algorithm>

namespace vessmark {

namespace {
// MCI texts end at their first NUL, or at the end of the buffer.
template <std::size_t Size>
std::string UpToNul(const std::array<char, Size>& buffer)
{
    return std::string(buffer.begin(), std::find(buffer.begin(), buffer.end(), '\0'));
}
} // namespace

std::int32_t BackgroundMusic::MciSend(const std::string& command, std::string& message)
{
    if (command.empty()) {
        message = MciNoCommandMessage;
        return -1;
    }
    answer_.fill('\0');
    const auto code = static_cast<std::int32_t>(
        port_.SendString(command.c_str(), answer_.data(), static_cast<std::uint32_t>(answer_.size())));
    state_.ApiResult = code;
    if (code != 0) {
        errorText_.fill('\0');
        if (!port_.ErrorString(static_cast<std::uint32_t>(code), errorText_.data(),
                               static_cast<std::uint32_t>(errorText_.size()))) {
            message = MciNoErrorTextMessage;
        } else {
            message = UpToNul(errorText_);
        }
        return code;
    }
    message = UpToNul(answer_);
    return 0;
}

std::string BackgroundMusic::MciResult(const std::string& command)
{
    const std::int32_t code = MciSend(command, MciMessage);
    state_.ApiResult = code;
    if (code != 0) {
        // Callers look for "ERR" in the upper-cased answer.
        return "Error:" + std::to_string(code);
    }
    return MciMessage;
}

std::int32_t BackgroundMusic::MciPlay(const std::string& device, const std::string& from, const std::string& to)
{
    std::string command = "play " + device;
    if (!from.empty()) {
        command += " from " + from;
    }
    if (!to.empty()) {
        command += " to " + to;
    }
    return MciSend(command, MciMessage);
}

} // namespace vessmark
