#pragma once
// Tavisk_P as stored: the window's caption and size, every control's place
// (twips, in its parent's client area), its text and font, and the stored
// definitions of its four gradient buttons. Controls are listed in tab order.

#include <array>
#include <cstdint>
#include <string>

#include "forms/property_storage.h"
#include "forms/twips.h"
#include "version.h"

namespace vessmark::dialog_layout {

using forms::TwipRect;

inline constexpr int ClientWidth = 7185;
inline constexpr int ClientHeight = 3780;

// Every text of the dialog is in this font unless said otherwise. Where the
// face is missing, the font mapper picks the system's Japanese UI font.
inline const forms::FontDescription DialogFont{"ＭＳ Ｐゴシック", 9.75, 400, false, false, false, 128};

// The credit line, white, at the bottom left: lbl(7).
inline const std::string CreditText = std::string("Vessmark  Ver.") + ProgramVersion;
inline constexpr TwipRect Credit{180, 2940, 2475, 195};
inline constexpr std::uint32_t CreditColour = 0xFFFFFF;

// Pic_C(0), the panel of the music group, and what stands on it.
inline constexpr TwipRect Panel{180, 240, 6795, 2535};
inline constexpr TwipRect Repeat{1380, 780, 615, 300};   // BGM_Repeat
inline constexpr TwipRect FileName{1020, 1740, 5355, 435}; // lbl_Fname
// lbl_BGM(kind) and Img_BGM(kind), indexed by the kind they stand for.
inline constexpr std::array<TwipRect, 3> KindLabels{{{540, 1140, 345, 195}, {540, 840, 645, 195}, {540, 1440, 900, 195}}};
inline constexpr std::array<const char*, 3> KindTexts{"無し", "音楽CD", "MP3、WAV"};
inline constexpr std::array<TwipRect, 3> Marks{{{300, 1140, 195, 195}, {300, 840, 195, 195}, {300, 1440, 195, 195}}};
inline constexpr TwipRect RepeatLabel{2040, 840, 990, 195}; // lbl(14)
inline constexpr char RepeatText[] = "曲目をﾘﾋﾟｰﾄ";
inline constexpr TwipRect Heading{300, 360, 1665, 195};      // lbl(15), centred
inline constexpr char HeadingText[] = "BGM";
inline constexpr TwipRect HeadingFrame{300, 300, 1695, 315}; // Shape3(3)
inline constexpr TwipRect Browse{540, 1740, 435, 315};       // Cmd_BGM

// On the dialog.
inline constexpr TwipRect Set{4800, 3000, 1095, 375};    // Cmd_Set
inline constexpr TwipRect Cancel{5940, 3000, 1035, 375}; // Cmd_Can
inline constexpr TwipRect Other{2880, 3000, 1875, 375};  // Cmd_Etc
// Img_Ra(0) and Img_Ra(1): beyond the right edge, never seen; they only hold
// the unselected and the selected mark.
inline constexpr std::array<TwipRect, 2> MarkStores{{{8040, 300, 180, 180}, {8040, 600, 180, 180}}};

// A gradient button as the dialog stores it: its caption and font; every
// other key at its default.
inline forms::StoredProperties StoredButton(const char* caption)
{
    return {{"Caption", std::string(caption)}, {"Font", DialogFont}};
}

inline constexpr char BrowseCaption[] = "...";
inline constexpr char SetCaption[] = "設定";
inline constexpr char CancelCaption[] = "ｷｬﾝｾﾙ";
inline constexpr char OtherCaption[] = "その他の作品";

} // namespace vessmark::dialog_layout
