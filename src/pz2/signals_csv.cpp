#include "pz2/signals_csv.h"

#include <algorithm>
#include <array>
#include <charconv>

#include "common/number_format.h"

namespace zev {

namespace {

constexpr std::array<Slot, 14> CSV_SLOTS{
    Slot::twistSum,    Slot::lThighBend, Slot::rThighBend, Slot::earringZrot, Slot::earringSway,
    Slot::earringXrot, Slot::headFront,  Slot::hairSwing,  Slot::headSide,    Slot::headUp,
    Slot::hipUp,       Slot::chestFront, Slot::chestSide,  Slot::chestUp};

}  // namespace

void writeSignalsCsv(TextSink& sink, const MotionStore& store) {
  sink.write(
      "frame,twistSum,lThighBend,rThighBend,earringZrot,earringSway,earringXrot,headFront,"
      "hairSwing,headSide,headUp,hipUp,chestFront,chestSide,chestUp\n");
  std::array<char, 512> line;
  for (int frame = 0; frame < store.motion.frameCount; ++frame) {
    char* p = std::to_chars(line.data(), line.data() + line.size(), frame).ptr;
    for (Slot slot : CSV_SLOTS) {
      *p++ = ',';
      const NumberText value = formatShortest(store.signals[slot][static_cast<std::size_t>(frame)]);
      p = std::copy(value.view().begin(), value.view().end(), p);
    }
    *p++ = '\n';
    sink.write({line.data(), static_cast<std::size_t>(p - line.data())});
  }
}

}  // namespace zev
