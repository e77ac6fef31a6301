#pragma once
// vessmark-show --add-to-xscreensaver: puts the show into the list of
// display modes in the user's ~/.xscreensaver, which xscreensaver-settings
// shows and the XScreenSaver daemon reads each time it starts a mode.

#include <ostream>

namespace vessmark {

// Where Debian's XScreenSaver looks for its hacks; a program there is named
// by its name alone, as XScreenSaver's own entries are.
inline constexpr const char* XScreenSaverHackFolder = "/usr/libexec/xscreensaver";
// XScreenSaver's defaults, its default list of display modes among them.
inline constexpr const char* XScreenSaverDefaultsFile = "/etc/X11/app-defaults/XScreenSaver";
// The file as it was before the show's entry came, beside it.
inline constexpr const char* XScreenSaverBackupSuffix = ".before-vessmark";

// Edits the file, reports on `out`, complains on `err`; returns the exit
// code: 0 when the entry is there afterwards, 1 when the file was left as
// it was because it could not be read, understood or written.
int AddToXScreenSaver(std::ostream& out, std::ostream& err);

} // namespace vessmark
