#include <emscripten/emscripten.h>

#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include "dialog/dialog_template.h"
#include "web/page_json.h"
#include "web/page_session.h"

// The functions the page's script calls. Each forwards to the one session of the page; the texts
// they return stay valid until the next call that returns one.

namespace {

zev::PageSession& session() {
  static zev::PageSession page("/motions");
  return page;
}

std::string& answer() {
  static std::string text;
  return text;
}

const char* give(std::string text) {
  answer() = std::move(text);
  return answer().c_str();
}

}  // namespace

extern "C" {

EMSCRIPTEN_KEEPALIVE const char* zev_dialog() { return give(zev::dialogDescriptionJson()); }
EMSCRIPTEN_KEEPALIVE const char* zev_state() { return give(session().stateJson()); }
EMSCRIPTEN_KEEPALIVE const char* zev_take_panel_ops() { return give(session().takePanelOpsJson()); }
// The pose file and the signals; their length is that of the last answer.
EMSCRIPTEN_KEEPALIVE const char* zev_pose_file() { return give(session().poseFile()); }
EMSCRIPTEN_KEEPALIVE const char* zev_signals_csv() { return give(session().signalsCsv()); }
EMSCRIPTEN_KEEPALIVE int zev_answer_size() { return static_cast<int>(answer().size()); }

EMSCRIPTEN_KEEPALIVE int zev_opens_dropped_file(int count, const char* firstName) {
  return zev::opensDroppedFile(count, firstName) ? 1 : 0;
}
EMSCRIPTEN_KEEPALIVE int zev_admits_file(const char* name, double size) {
  return session().admitsFile(name, size) ? 1 : 0;
}
EMSCRIPTEN_KEEPALIVE void zev_open_file(const char* name, const char* bytes, int size) {
  session().openFile(name, std::string_view(bytes, static_cast<std::size_t>(size)));
}
EMSCRIPTEN_KEEPALIVE void zev_open_unreadable(const char* name, const char* reason) {
  session().openUnreadable(name, reason);
}

EMSCRIPTEN_KEEPALIVE void zev_dialog_is_up() { session().dialogIsUp(); }
// A press of the control with that id; the name of what the page must then do itself.
EMSCRIPTEN_KEEPALIVE const char* zev_press(int id) {
  return give(std::string(zev::shellActionName(session().press(static_cast<zev::ControlId>(id)))));
}
// A dropped file, or the sample, is opened as Open opens a chosen one.
EMSCRIPTEN_KEEPALIVE void zev_begin_open() { session().beginOpen(); }
// One step of the spin whose field or arrows the control with that id is.
EMSCRIPTEN_KEEPALIVE void zev_step(int id, int up) {
  if (const std::optional<zev::Spin> spin = zev::spinOf(static_cast<zev::ControlId>(id))) {
    session().dialog().stepSpin(*spin, up != 0);
  }
}
// A typed value for that spin; 0 when it is refused.
EMSCRIPTEN_KEEPALIVE int zev_set_spin(int id, int value) {
  const std::optional<zev::Spin> spin = zev::spinOf(static_cast<zev::ControlId>(id));
  return spin && session().setSpin(*spin, value) ? 1 : 0;
}

}  // extern "C"
