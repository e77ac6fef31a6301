#pragma once
// The off-screen mode of vessmark-show: the show drawn into memory for a set
// number of frames, the last one written as a PNG.

#include <ostream>

#include "show_options.h"

namespace vessmark {

// Runs the show as the options say, reports on `out` and complains on `err`;
// returns the program's exit code.
int RunOffscreenShow(const ShowOptions& options, std::ostream& out, std::ostream& err);

} // namespace vessmark
