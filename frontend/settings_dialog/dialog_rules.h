#pragma once
// The settings dialog's rules that need no window: where it opens, how its
// background is shaded, what the track box shows and saves, which controls a
// kind of music enables, the open and close effect's rectangles, which chosen
// paths the settings file can keep, and saving with nothing half-written.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "ansi_path.h"
#include "front_end_state.h"
#include "settings_file.h"

namespace vessmark {

inline constexpr char SaveFailedText[] = "設定を保存できませんでした。";
// Why a save whose writes all reported success still failed: the file did not
// hold what was written (a full disk can cut a value short).
inline constexpr char SavedValuesDifferReason[] = "書き込んだ値がファイルから同じに読み返せませんでした。";
inline constexpr char FileUnusableText[] = "このファイルは使えません。";
// The settings file keeps a music path of at most this many bytes in the ANSI
// code page; a longer choice (and a longer short form) is refused.
inline constexpr std::size_t MusicPathLimit = 255;
inline constexpr int TrackItemCount = 31; // the track box lists 0 (shown empty) to 30

// --- placement ---------------------------------------------------------------

struct TwipPoint {
    long Left = 0;
    long Top = 0;
};

// Centred across, one third of the free height from the top: each free
// distance (twips) is rounded to a whole number, then divided by 2 and by 3
// with the quotient truncated toward zero. The size stays as it is.
TwipPoint DialogPlacement(double screenWidth, double screenHeight, double windowWidth, double windowHeight);

// --- the painted background ------------------------------------------------------

// The brightness of row y (0 .. round(height), in the painter's units) of a
// band of the given height: |sin(y / k) x 220| rounded, k = height / 3.142.
// Dark at the top and bottom edges, brightest at mid-height.
int BandLevel(int y, double height);
// Colours as 0x00BBGGRR, red in the low byte.
std::uint32_t DialogRowColour(int level); // RGB(c, c, c + 30): dark blue to pale lavender
std::uint32_t PanelRowColour(int level);  // RGB(c + 30, c + 30, c + 30): greys

// The colour of every pixel row of a band painted one line per twip, from
// y = 0 to the height in twips (inclusive), each line in
// rowColour(BandLevel(y, height)): a row shows the last line that fell on it.
// The height is the painted area's client height in pixels at the resolution.
std::vector<std::uint32_t> BandRows(int heightPixels, int dpi, std::uint32_t (*rowColour)(int level));

// --- the track box -------------------------------------------------------------------

// The number as the box shows it ("##"): 0 is the empty text.
std::string TrackText(std::int16_t track);
// The box's items: 0 (empty) to 30.
std::vector<std::string> TrackItems();
// The track box's text (UTF-8) with full-width digits, sign and decimal point
// (what a Japanese input method gives) folded to their ASCII forms; the rest
// as it was.
std::string FoldFullWidthNumber(std::string_view text);
// What Set stores for the box's text: a number rounded to the nearest whole
// one, halves to even; text that is no number, or a number outside the
// 16-bit range, gives 0. Full-width digits count as digits.
std::int16_t TrackNumberFromText(std::string_view text);

// --- the kind of music -----------------------------------------------------------------

struct KindSelection {
    int SelectedMark = -1;     // index of the mark shown selected, -1 for none
    bool RepeatEnabled = false; // the track box: only for the audio CD
    bool BrowseEnabled = false; // "...": only for a music file
};

// Kinds outside 0..2 select nothing and enable neither control.
KindSelection SelectionFor(std::int16_t kind);

// Which control has the keyboard focus when a kind is pressed.
enum class FocusedControl { Other, TrackBox, Browse };
// Whether the press moves the focus to the group of kinds: only when the
// control that has it is about to be switched off. Otherwise the focus, and
// the look it gives a button, stay where they are.
bool KindPressMovesFocus(FocusedControl focused, std::int16_t kind);

// The kinds in the order their rows stand on screen: audio CD, none, file.
// The kind an arrow key moves to (direction -1 up, +1 down), without
// wrapping: nothing at either end. With no kind selected, down selects the
// top row and up the bottom one.
std::optional<std::int16_t> NeighbourKind(std::int16_t kind, int direction);

// --- the open and close effect ------------------------------------------------------------

struct ScreenRect {
    long Left = 0;
    long Top = 0;
    long Right = 0;
    long Bottom = 0;
    bool operator==(const ScreenRect&) const = default;
};

struct CursorPosition {
    std::int16_t X = 0;
    std::int16_t Y = 0;
};

// The pointer position the dialog keeps: (0, 0) when it could not be read or
// does not fit 16 bits.
CursorPosition RecordCursor(std::optional<std::pair<long, long>> pointer);

struct AnimationRects {
    ScreenRect From;
    ScreenRect To;
};

// Opening grows the window out of the pointer's point; closing shrinks it from
// where the window is now back into the point recorded at opening.
AnimationRects OpenAnimation(CursorPosition cursor, const ScreenRect& window);
AnimationRects CloseAnimation(CursorPosition cursor, const ScreenRect& window);

// --- paths and saving ---------------------------------------------------------------------------

// The chosen music file as the settings file can keep it: the path itself
// when the ANSI code page holds it, else its short form, and in either case
// no longer than MusicPathLimit bytes; nothing when neither will do.
std::optional<std::string> StorablePath(const std::wstring& path, PathPort& port);

// The message for a file that cannot be kept: the fixed text and the path.
std::string FileUnusableMessage(const std::string& pathUtf8);
// The message for settings that could not be saved: the fixed text, the
// file's path and the system's reason, each on its own line.
std::string SaveFailedMessage(const std::string& settingsPathUtf8, const std::string& reason);

struct SaveOutcome {
    bool Saved = true;
    std::string Reason; // the system's reason when not saved
};

// Writes the kind, the track and the file in the file's key order, then reads
// them back. When a write fails, or the file does not hold what was written,
// the keys already written are put back as they were (or removed again when
// they were not there), so that the file is never half-saved.
SaveOutcome SaveSettingsWhole(const FrontEndState& state, ProfilePort& profile, const std::string& settingsPath);

} // namespace vessmark
