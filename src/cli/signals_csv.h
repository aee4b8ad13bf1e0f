#pragma once

#include "pz2/pz2_writer.h"

// The per-frame signals of the motion store as CSV, for checking a conversion outside Poser: a
// header line naming the fourteen signals in slot-number order, then one line per frame, each
// value in the shortest text that reads back to the same double. LF line ends, "." as point.

namespace zev {

void writeSignalsCsv(Pz2Sink& sink);

}  // namespace zev
