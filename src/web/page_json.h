#pragma once

#include <string>
#include <string_view>

#include "dialog/dialog_state.h"
#include "pages/panel_ops.h"

// What the browser page reads from the module, as JSON text: the dialog's description, which the
// page builds its controls and its panel from; the dialog's state after a command; and the
// drawings that command made, which the page's renderer plays onto its canvas.

namespace zev {

// Appends text as a JSON string, quotes included. Bytes of 0x80 and above pass through as they
// are: the page decodes the whole answer as UTF-8.
void appendJsonString(std::string& out, std::string_view text);

// One object per operation, in order: {"op":"fill"}, {"op":"pen","color":[r,g,b]},
// {"op":"line","x":..,"y":..,"x2":..,"y2":..}, {"op":"font","points":n,"pixels":n} (the
// character height at the panel's resolution),
// {"op":"textColors","color":[..],"background":[..]}, {"op":"text","x":..,"y":..,"tabStop":n,
// "text":".."}, {"op":"pause","ms":n}, {"op":"picture","name":"about","x":..,"y":..}.
std::string panelOpsJson(const PanelOps& ops);

// Names of the files the page offers for download.
struct DownloadNames {
  std::string pose;     // what the save dialog proposes
  std::string signals;  // the signals as CSV
  std::string page;     // the panel as a PNG picture
};

// What the page shows beside the dialog's own state.
struct PageFacts {
  std::string detail;          // the line under the status, which its tooltip also shows
  std::string fileName;        // the opened file's name, empty before any
  std::string_view shownPage;  // the name of the page the panel shows
  bool emptyState = false;     // the panel invites a first file
  DownloadNames names;
  std::size_t maxFileBytes = 0;  // the largest file the page reads
};

// The dialog's description (dialog_template.h) and what the page needs to lay it out and draw the
// panel: {"caption":..,"width":..,"height":.. (dialog units),"cell":{"width":..,"height":..} (the
// dialog font's cell in pixels),"unitsPerCell":{"x":..,"y":..},"font":{"face":..,"pixels":..},
// "colors":{"background":[r,g,b],"text":[..],"disabledText":[..]},"panel":{"width":..,"height":..,
// "tabOriginX":..,"fontFace":..},"openDialog":{"pattern":"*.bvh"},"controls":[{"id":..,"kind":"pushButton",..,"name":..,"text":..,
// "x":..,"y":..,"width":..,"height":..,"neverEnabled":..}, ..]}, the controls in the template's
// order, a number field with its spin's "min" and "max". The page cannot close the browser's tab,
// so it has no eXit.
std::string dialogDescriptionJson();

// The state the page shows: the status and the page's detail; for each control of the
// description, by name, whether it can be used, a radio button's or check box's "checked", a number
// field's "value"; the file title and the rest of the page's facts.
std::string dialogStateJson(const DialogState& state, const PageFacts& page);

// The name of a shell action, as the page's script switches over them: "none",
// "chooseFileToOpen", "chooseFileToSave", "closeDialog", "beep".
std::string_view shellActionName(ShellAction action);

}  // namespace zev
