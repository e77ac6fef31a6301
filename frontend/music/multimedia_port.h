#pragma once
// The multimedia functions the music needs, as the platform offers them.
// Windows binds mciSendStringA, mciGetErrorStringA, waveOutGetNumDevs and
// PlaySoundA; tests bind a scripted fake that records every command.

#include <cstdint>

namespace vessmark {

class MultimediaPort {
public:
    virtual ~MultimediaPort() = default;
    // Sends an MCI command string; the answer (NUL-terminated, at most
    // length - 1 bytes) goes to answer when length > 0. Returns 0 or an MCI
    // error code.
    virtual std::uint32_t SendString(const char* command, char* answer, std::uint32_t length) = 0;
    // The text of an MCI error code; false when the system has none.
    virtual bool ErrorString(std::uint32_t code, char* text, std::uint32_t length) = 0;
    virtual std::uint32_t WaveOutDeviceCount() = 0;
    // PlaySound with a sound name (or none), no module handle and the flags.
    virtual std::int32_t PlaySoundName(const char* sound, std::uint32_t flags) = 0;
};

} // namespace vessmark
