#include <emscripten/emscripten.h>

#include <string>
#include <string_view>
#include <utility>

#include "web/page_session.h"

// The functions the page's script calls, one per action of the dialog. Each forwards to the one
// session of the page; the texts they return stay valid until the next call that returns one.

namespace {

zev::PageSession& session() {
  static zev::PageSession page("/motions");
  return page;
}

zev::DialogState& dialog() { return session().dialog(); }

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

EMSCRIPTEN_KEEPALIVE void zev_begin_open() { dialog().beginOpen(); }
EMSCRIPTEN_KEEPALIVE void zev_begin_save() { dialog().beginSave(); }
EMSCRIPTEN_KEEPALIVE void zev_analyze() { dialog().analyze(); }
EMSCRIPTEN_KEEPALIVE void zev_show_graph() { dialog().showGraph(); }
EMSCRIPTEN_KEEPALIVE void zev_show_info() { dialog().showInfo(); }
EMSCRIPTEN_KEEPALIVE void zev_show_about() { dialog().showAbout(); }
EMSCRIPTEN_KEEPALIVE void zev_clear_panel() { dialog().clearPanel(); }
EMSCRIPTEN_KEEPALIVE void zev_panel_clicked() { dialog().panelClicked(); }
EMSCRIPTEN_KEEPALIVE void zev_select_still_mode() { dialog().selectStillMode(); }
EMSCRIPTEN_KEEPALIVE void zev_select_movie_mode() { dialog().selectMovieMode(); }
EMSCRIPTEN_KEEPALIVE void zev_restore_defaults() { dialog().restoreDefaults(); }
EMSCRIPTEN_KEEPALIVE void zev_step_spin(int spin, int up) {
  if (spin >= 0 && spin < zev::SPIN_COUNT) dialog().stepSpin(static_cast<zev::Spin>(spin), up != 0);
}

}  // extern "C"
