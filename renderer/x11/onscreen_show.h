#pragma once
// The show on an X display: full screen and ended by input, or as an
// XScreenSaver hack inside a window that another program owns.

#include <ostream>

#include "show_options.h"

namespace vessmark {

// Runs the show as the options say (a mode other than off-screen), reports
// on `out` and complains on `err`; returns the program's exit code.
int RunOnscreenShow(const ShowOptions& options, std::ostream& out, std::ostream& err);

} // namespace vessmark
