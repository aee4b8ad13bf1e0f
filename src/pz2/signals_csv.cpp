#include "pz2/signals_csv.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <string_view>

#include "common/number_format.h"

namespace zev {

namespace {

struct CsvColumn {
  std::string_view name;
  Slot slot;
};

// The columns in file order; readers of the CSV rely on this order and these names, whatever the
// slots' numbers are.
constexpr std::array<CsvColumn, 14> CSV_COLUMNS{{
    {"twistSum", Slot::twistSum},
    {"lThighBend", Slot::lThighBend},
    {"rThighBend", Slot::rThighBend},
    {"earringZrot", Slot::earringZrot},
    {"earringSway", Slot::earringSway},
    {"earringXrot", Slot::earringXrot},
    {"headFront", Slot::headFront},
    {"hairSwing", Slot::hairSwing},
    {"headSide", Slot::headSide},
    {"headUp", Slot::headUp},
    {"hipUp", Slot::hipUp},
    {"chestFront", Slot::chestFront},
    {"chestSide", Slot::chestSide},
    {"chestUp", Slot::chestUp},
}};

}  // namespace

void writeSignalsCsv(TextSink& sink, const MotionStore& store) {
  sink.write("frame");
  for (const CsvColumn& column : CSV_COLUMNS) {
    sink.write(",");
    sink.write(column.name);
  }
  sink.write("\n");
  std::array<char, 512> line;
  for (int frame = 0; frame < store.motion.frameCount; ++frame) {
    char* p = std::to_chars(line.data(), line.data() + line.size(), frame).ptr;
    for (const CsvColumn& column : CSV_COLUMNS) {
      *p++ = ',';
      const NumberText value =
          formatShortest(store.signals[column.slot][static_cast<std::size_t>(frame)]);
      p = std::copy(value.view().begin(), value.view().end(), p);
    }
    *p++ = '\n';
    sink.write({line.data(), static_cast<std::size_t>(p - line.data())});
  }
}

}  // namespace zev
