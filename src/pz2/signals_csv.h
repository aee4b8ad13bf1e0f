#pragma once

#include "common/text_sink.h"
#include "store/motion_store.h"

// The per-frame signals as CSV, for checking a conversion outside Poser: a
// header line naming the fourteen signals, then one line per frame, each
// value in the shortest text that reads back to the same double. LF line ends, "." as point.

namespace zev {

void writeSignalsCsv(TextSink& sink, const MotionStore& store);

}  // namespace zev
