#include "cli/signals_csv.h"

#include <array>
#include <charconv>

#include "store/motion_store.h"

namespace zev {

namespace {

constexpr std::array<SlotNumber, 14> CSV_SLOTS{
    twistSum,  lThighBend, rThighBend, earringZrot, earringSway, earringXrot, headFront,
    hairSwing, headSide,   headUp,     hipUp,       chestFront,  chestSide,   chestUp};

}  // namespace

void writeSignalsCsv(Pz2Sink& sink) {
  sink.write(
      "frame,twistSum,lThighBend,rThighBend,earringZrot,earringSway,earringXrot,headFront,"
      "hairSwing,headSide,headUp,hipUp,chestFront,chestSide,chestUp\n");
  const MotionStore& store = motionStore();
  std::array<char, 512> line;
  for (int frame = 0; frame < store.frameCount; ++frame) {
    char* end = line.data() + line.size();
    char* p = std::to_chars(line.data(), end, frame).ptr;
    for (SlotNumber slot : CSV_SLOTS) {
      *p++ = ',';
      p = std::to_chars(p, end, store.slots[slot][static_cast<std::size_t>(frame)]).ptr;
    }
    *p++ = '\n';
    sink.write({line.data(), static_cast<std::size_t>(p - line.data())});
  }
}

}  // namespace zev
