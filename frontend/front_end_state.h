#pragma once
// What the front end treats as program-wide: the music settings read from the
// settings file, the last platform result and the CD poll's verdict. One
// instance, owned by the program's entry point and passed by reference.

#include <cstdint>
#include <string>

namespace vessmark {

// Kinds of background music as the settings file stores them.
inline constexpr std::int16_t BgmKindNone = 0;
inline constexpr std::int16_t BgmKindCd = 1;
inline constexpr std::int16_t BgmKindFile = 2;

struct FrontEndState {
    std::int16_t BgmKind = BgmKindNone; // 0 none, 1 audio CD, 2 music file; others play nothing
    std::int16_t BgmRepeat = 0;         // CD track to repeat; 0 plays the whole disc
    std::string BgmFile;                // full path of the music file (ANSI), or empty
    std::int32_t ApiResult = 0;         // result of the last platform call that keeps one
    bool CdActive = false;              // the CD poll should go on
};

} // namespace vessmark
