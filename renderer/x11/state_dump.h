#pragma once
// Every object's state as CSV, so that tools and tests can check the
// simulation without looking at pixels.

#include <ostream>

#include "scene.h"

namespace vessmark {

// One header line, then one line per object: leaders first, each array in
// index order. Floats carry nine significant digits, enough to give back the
// exact value; a leader has no target and leaves that column empty.
void WriteStateCsv(std::ostream& out, Scene& scene);

} // namespace vessmark
