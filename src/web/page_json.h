#pragma once

#include <string>
#include <string_view>

#include "dialog/dialog_state.h"
#include "pages/panel_ops.h"

// What the browser page reads from the module, as JSON text: the dialog's state after a command,
// and the drawings that command made, which the page's renderer plays onto its canvas.

namespace zev {

// Appends text as a JSON string, quotes included. Bytes of 0x80 and above pass through as they
// are: the page decodes the whole answer as UTF-8.
void appendJsonString(std::string& out, std::string_view text);

// One object per operation, in order: {"op":"fill"}, {"op":"pen","color":[r,g,b]},
// {"op":"line","x":..,"y":..,"x2":..,"y2":..}, {"op":"font","points":n},
// {"op":"textColors","color":[..],"background":[..]}, {"op":"text","x":..,"y":..,"tabStop":n,
// "text":".."}, {"op":"pause","ms":n}, {"op":"picture","name":"about","x":..,"y":..}.
std::string panelOpsJson(const PanelOps& ops);

// Names of the files the page offers for download.
struct DownloadNames {
  std::string pose;     // what the save dialog proposes
  std::string signals;  // the signals as CSV
  std::string page;     // the panel as a PNG picture
};

// The state the page shows: status and its detail, mode, limit, the three pass buttons, the five
// spins with their labels, ranges and positions, the file title, the download names and the
// largest file the page reads.
std::string dialogStateJson(const DialogState& state, const DownloadNames& names,
                            std::size_t maxFileBytes);

}  // namespace zev
