// The settings dialog's two rules that take what a person typed or chose:
// the track box's text as Set stores it, and which music file paths the
// settings file can keep. Invariants: the track is the text's number rounded
// halves-to-even when that fits 16 bits and 0 otherwise (full-width digits,
// sign and point count as theirs); a kept path is the chosen one or its short
// form, in the code page, never longer than the buffer, and nothing is kept
// when neither form will do.

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "dialog_rules.h"
#include "fakes.h"
#include "fuzz_input.h"
#include "number_text.h"

namespace {

using vessmark::fuzz::Check;

void CheckTrack(std::string_view text)
{
    const std::int16_t track = vessmark::TrackNumberFromText(text);
    const std::optional<double> number = vessmark::ParseNumber(vessmark::FoldFullWidthNumber(text));
    if (!number) {
        Check(track == 0);
        return;
    }
    const double nearest = std::nearbyint(*number);
    if (nearest >= -32768.0 && nearest <= 32767.0) {
        Check(track == static_cast<std::int16_t>(nearest));
    } else {
        Check(track == 0);
    }
}

// Bytes as a wide path: pairs of bytes are characters, so any character of
// the basic plane can appear, the code page's and others.
std::wstring WidePath(std::string_view bytes)
{
    std::wstring path;
    for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
        const wchar_t c = static_cast<wchar_t>(static_cast<unsigned char>(bytes[i]) |
                                               static_cast<unsigned char>(bytes[i + 1]) << 8);
        path += c == 0 ? L'_' : c;
    }
    return path;
}

void CheckPath(std::string_view bytes, bool withShortName, std::size_t shortLength)
{
    vessmark::testing::FakePaths paths;
    const std::wstring path = WidePath(bytes);
    std::wstring shortForm;
    if (withShortName) {
        shortForm = L"C:\\" + std::wstring(shortLength, L'S');
        paths.ShortNames[path] = shortForm;
    }
    const std::optional<std::string> kept = vessmark::StorablePath(path, paths);
    const std::optional<std::string> longAnsi = paths.ToAnsi(path);
    const bool longFits = longAnsi && longAnsi->size() <= vessmark::MusicPathLimit;
    const bool shortFits = withShortName && shortForm.size() <= vessmark::MusicPathLimit;
    if (!kept) {
        Check(!longFits && !shortFits);
        return;
    }
    Check(kept->size() <= vessmark::MusicPathLimit);
    if (longFits) {
        Check(*kept == *longAnsi); // the path itself wins when it will do
    } else {
        Check(shortFits && *kept == *paths.ToAnsi(shortForm));
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0) {
        return 0;
    }
    const std::string_view rest(reinterpret_cast<const char*>(data + 1), size - 1);
    CheckTrack(rest);
    CheckPath(rest, data[0] & 1, static_cast<std::size_t>(data[0] >> 1) * 3);
    return 0;
}
