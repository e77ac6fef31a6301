#include "dialog_rules.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>

#include "forms/twips.h"
#include "number_text.h"

namespace vessmark {

namespace {
constexpr double BandPeriodDivisor = 3.142;
constexpr double BandBrightness = 220.0;
constexpr int BlueLift = 30;
constexpr int GreyLift = 30;

// The kinds in the order their rows stand on screen.
constexpr std::array<std::int16_t, 3> KindRows = {BgmKindCd, BgmKindNone, BgmKindFile};

std::uint32_t Rgb(int red, int green, int blue)
{
    return static_cast<std::uint32_t>(red) | static_cast<std::uint32_t>(green) << 8 |
           static_cast<std::uint32_t>(blue) << 16;
}

ScreenRect PointRect(CursorPosition cursor)
{
    return {cursor.X, cursor.Y, cursor.X, cursor.Y};
}

bool Fits16(long value)
{
    return value >= std::numeric_limits<std::int16_t>::min() && value <= std::numeric_limits<std::int16_t>::max();
}
} // namespace

TwipPoint DialogPlacement(double screenWidth, double screenHeight, double windowWidth, double windowHeight)
{
    // nearbyint rounds halves to even, as the conversion to a whole number does.
    const auto freeWidth = static_cast<long>(std::nearbyint(screenWidth - windowWidth));
    const auto freeHeight = static_cast<long>(std::nearbyint(screenHeight - windowHeight));
    return {freeWidth / 2, freeHeight / 3};
}

int BandLevel(int y, double height)
{
    const double k = height / BandPeriodDivisor;
    if (k == 0.0) {
        return 0;
    }
    return static_cast<int>(std::nearbyint(std::fabs(std::sin(y / k) * BandBrightness)));
}

std::uint32_t DialogRowColour(int level)
{
    return Rgb(level, level, level + BlueLift);
}

std::uint32_t PanelRowColour(int level)
{
    return Rgb(level + GreyLift, level + GreyLift, level + GreyLift);
}

std::vector<std::uint32_t> BandRows(int heightPixels, int dpi, std::uint32_t (*rowColour)(int level))
{
    std::vector<std::uint32_t> rows(static_cast<std::size_t>(std::max(heightPixels, 0)), rowColour(0));
    const int heightTwips = forms::PixelsToTwips(heightPixels, dpi);
    for (int y = 0; y <= heightTwips; ++y) {
        const int row = forms::TwipsToPixels(y, dpi);
        if (row >= 0 && row < heightPixels) {
            rows[static_cast<std::size_t>(row)] = rowColour(BandLevel(y, heightTwips));
        }
    }
    return rows;
}

std::string TrackText(std::int16_t track)
{
    return track == 0 ? std::string() : std::to_string(track);
}

std::vector<std::string> TrackItems()
{
    std::vector<std::string> items;
    for (int track = 0; track < TrackItemCount; ++track) {
        items.push_back(TrackText(static_cast<std::int16_t>(track)));
    }
    return items;
}

std::string FoldFullWidthNumber(std::string_view text)
{
    // U+FF0B "＋", U+FF0D "－", U+FF0E "．" and U+FF10..U+FF19 "０".."９" are
    // EF BC 8B, 8D, 8E and 90..99 in UTF-8: the ASCII character 0xE0 lower.
    std::string folded;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const bool fullWidth = i + 2 < text.size() && text[i] == '\xEF' && text[i + 1] == '\xBC';
        const auto third = fullWidth ? static_cast<unsigned char>(text[i + 2]) : 0u;
        if (third == 0x8B || third == 0x8D || third == 0x8E || (third >= 0x90 && third <= 0x99)) {
            folded += static_cast<char>(third - 0x60);
            i += 2;
        } else {
            folded += text[i];
        }
    }
    return folded;
}

std::int16_t TrackNumberFromText(std::string_view text)
{
    const std::optional<double> number = ParseNumber(FoldFullWidthNumber(text));
    if (!number) {
        return 0;
    }
    const double whole = std::nearbyint(*number); // halves to even: 2.5 -> 2, 3.5 -> 4
    if (whole < std::numeric_limits<std::int16_t>::min() || whole > std::numeric_limits<std::int16_t>::max()) {
        return 0; // a number the setting cannot hold counts as no number
    }
    return static_cast<std::int16_t>(whole);
}

KindSelection SelectionFor(std::int16_t kind)
{
    KindSelection selection;
    if (kind >= BgmKindNone && kind <= BgmKindFile) {
        selection.SelectedMark = kind;
    }
    selection.RepeatEnabled = kind == BgmKindCd;
    selection.BrowseEnabled = kind == BgmKindFile;
    return selection;
}

bool KindPressMovesFocus(FocusedControl focused, std::int16_t kind)
{
    const KindSelection selection = SelectionFor(kind);
    return (focused == FocusedControl::TrackBox && !selection.RepeatEnabled) ||
           (focused == FocusedControl::Browse && !selection.BrowseEnabled);
}

std::optional<std::int16_t> NeighbourKind(std::int16_t kind, int direction)
{
    const auto row = std::find(KindRows.begin(), KindRows.end(), kind);
    if (row == KindRows.end()) {
        return direction > 0 ? KindRows.front() : KindRows.back();
    }
    const long index = (row - KindRows.begin()) + (direction > 0 ? 1 : -1);
    if (index < 0 || index >= static_cast<long>(KindRows.size())) {
        return std::nullopt;
    }
    return KindRows[static_cast<std::size_t>(index)];
}

CursorPosition RecordCursor(std::optional<std::pair<long, long>> pointer)
{
    if (!pointer || !Fits16(pointer->first) || !Fits16(pointer->second)) {
        return {};
    }
    return {static_cast<std::int16_t>(pointer->first), static_cast<std::int16_t>(pointer->second)};
}

AnimationRects OpenAnimation(CursorPosition cursor, const ScreenRect& window)
{
    return {PointRect(cursor), window};
}

AnimationRects CloseAnimation(CursorPosition cursor, const ScreenRect& window)
{
    return {window, PointRect(cursor)};
}

std::optional<std::string> StorablePath(const std::wstring& path, PathPort& port)
{
    return AnsiPathFor(path, port, MusicPathLimit);
}

std::string FileUnusableMessage(const std::string& pathUtf8)
{
    return std::string(FileUnusableText) + "\r\n" + pathUtf8;
}

std::string SaveFailedMessage(const std::string& settingsPathUtf8, const std::string& reason)
{
    std::string message = std::string(SaveFailedText) + "\r\n" + settingsPathUtf8;
    if (!reason.empty()) {
        message += "\r\n" + reason;
    }
    return message;
}

SaveOutcome SaveSettingsWhole(const FrontEndState& state, ProfilePort& profile, const std::string& settingsPath)
{
    const auto entries = StoredSettings(state);
    std::array<std::optional<std::string>, entries.size()> before;
    for (std::size_t i = 0; i < entries.size(); ++i) {
        before[i] = ReadIniKey(profile, IniSection, entries[i].Key, settingsPath);
    }
    // Put back what this save changed, newest first.
    const auto undo = [&](std::size_t changed, SaveOutcome outcome) {
        while (changed-- > 0) {
            profile.WriteString(IniSection, entries[changed].Key,
                                before[changed] ? before[changed]->c_str() : nullptr, settingsPath.c_str());
        }
        return outcome;
    };
    for (std::size_t written = 0; written < entries.size(); ++written) {
        if (!profile.WriteString(IniSection, entries[written].Key, entries[written].Value.c_str(),
                                 settingsPath.c_str())) {
            return undo(written, {false, profile.LastErrorText()});
        }
    }
    // A write can report success and leave the value cut short (a full disk):
    // only what reads back as written counts as saved.
    for (const StoredSetting& entry : entries) {
        if (ReadIniKey(profile, IniSection, entry.Key, settingsPath) != entry.Value) {
            return undo(entries.size(), {false, SavedValuesDifferReason});
        }
    }
    return {};
}

} // namespace vessmark
