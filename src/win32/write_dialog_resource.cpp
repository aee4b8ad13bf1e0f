// Writes zev.exe's main dialog template, as a resource script that zev.rc includes, from the
// dialog's description: the build runs it on the build machine before it compiles the resources.
//   write-dialog-resource OUTPUT.rc

#include <cstdio>
#include <fstream>
#include <iostream>
#include <string>
#include <string_view>

#include "dialog/dialog_template.h"

namespace {

using zev::ControlKind;
using zev::ControlTemplate;

// A quoted string of the resource script, which doubles its quotes. The script is read in the
// system's code page, so only ASCII keeps its meaning everywhere.
bool appendQuoted(std::string& out, std::string_view text) {
  out += '"';
  for (const char c : text) {
    if (static_cast<unsigned char>(c) >= 0x80 || c < 0x20) return false;
    if (c == '"') out += '"';
    out += c;
  }
  out += '"';
  return true;
}

std::string place(const zev::DialogUnits& units) {
  return std::to_string(units.x) + ", " + std::to_string(units.y) + ", " +
         std::to_string(units.width) + ", " + std::to_string(units.height);
}

// The window class and style of each kind of control, as the dialog manager makes it.
struct ControlLook {
  std::string_view windowClass;
  std::string style;
  std::string_view extendedStyle = {};
};

ControlLook lookOf(const ControlTemplate& row, bool startsRadioGroup) {
  const std::string disabled = row.neverEnabled ? " | WS_DISABLED" : "";
  switch (row.kind) {
    case ControlKind::PushButton:
      return {"Button", "BS_PUSHBUTTON | WS_TABSTOP" + disabled};
    case ControlKind::RadioButton:
      // The first of the radio buttons that follow each other starts their group, which Tab
      // reaches once and the arrow keys go round.
      return {"Button", "BS_AUTORADIOBUTTON" +
                            std::string(startsRadioGroup ? " | WS_GROUP | WS_TABSTOP" : "") +
                            disabled};
    case ControlKind::CheckBox:
      return {"Button", "BS_AUTOCHECKBOX | WS_TABSTOP" + disabled};
    case ControlKind::Label:
      // Also the end of a group of radio buttons before it.
      return {"Static", "SS_LEFT | SS_CENTERIMAGE | WS_GROUP"};
    case ControlKind::NumberField:
      return {"Edit", "ES_READONLY | ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP"};
    case ControlKind::Spin:
      // UDS_AUTOBUDDY: its field is the control before it.
      return {"msctls_updown32",
              "UDS_SETBUDDYINT | UDS_WRAP | UDS_ALIGNRIGHT | UDS_AUTOBUDDY | "
              "UDS_ARROWKEYS" +
                  disabled};
    case ControlKind::StatusField:
      return {"Edit", "ES_READONLY | ES_AUTOHSCROLL", "WS_EX_STATICEDGE"};
    case ControlKind::DisplayPanel:
      return {"Static", "SS_BLACKRECT | SS_NOTIFY | SS_SUNKEN"};
    case ControlKind::GroupFrame:
      return {"Button", "BS_GROUPBOX"};
  }
  return {};
}

// The template, or an empty text when a text of the description cannot be written.
std::string mainDialogResource() {
  std::string out =
      "// Made by the build from the dialog's description (src/dialog/dialog_template.h).\n"
      "ZEV_MAIN_DIALOG DIALOGEX " +
      place(zev::MAIN_DIALOG_UNITS) +
      "\n"
      "STYLE DS_MODALFRAME | DS_CENTERMOUSE | DS_SETFOREGROUND | WS_POPUP | WS_CAPTION | "
      "WS_SYSMENU | WS_MINIMIZEBOX\n"
      "EXSTYLE WS_EX_CLIENTEDGE | WS_EX_APPWINDOW\n"
      "CAPTION ";
  bool written = appendQuoted(out, zev::MAIN_DIALOG_CAPTION);
  out += "\nFONT " + std::to_string(zev::MAIN_DIALOG_FONT_POINTS) + ", ";
  written = appendQuoted(out, zev::MAIN_DIALOG_FONT) && written;
  out += ", 400, 0, 0x0\nBEGIN\n";
  bool afterRadio = false;
  for (const ControlTemplate& row : zev::MAIN_DIALOG_CONTROLS) {
    const bool radio = row.kind == ControlKind::RadioButton;
    const ControlLook look = lookOf(row, radio && !afterRadio);
    afterRadio = radio;
    // Every control as CONTROL text, id, class, style, place[, extended style]; WS_VISIBLE and
    // WS_CHILD are the statement's own.
    out += "  CONTROL ";
    written = appendQuoted(out, row.text) && written;
    out += ", " + std::to_string(static_cast<int>(row.id)) + ", ";
    written = appendQuoted(out, look.windowClass) && written;
    out += ", " + look.style + ", " + place(row.units);
    if (!look.extendedStyle.empty()) out.append(", ").append(look.extendedStyle);
    out += '\n';
  }
  out += "END\n";
  return written ? out : std::string();
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::cerr << "usage: write-dialog-resource OUTPUT.rc\n";
    return 2;
  }
  const std::string script = mainDialogResource();
  if (script.empty()) {
    std::cerr << "write-dialog-resource: a text of the dialog's description is not plain ASCII\n";
    return 1;
  }
  std::ofstream file(argv[1], std::ios::binary);
  file << script;
  file.close();
  if (!file) {
    std::perror(argv[1]);
    return 1;
  }
  return 0;
}
