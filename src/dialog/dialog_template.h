#pragma once

#include <array>
#include <optional>
#include <string_view>

#include "analysis/effect_parameters.h"

// The main dialog as its template lays it out, the one description every shell plays: each control
// with its id, kind, text, place in dialog units and name, in the template's order (which is also
// the order Tab goes round and the order in which each spin finds its field: the control just
// before it). The Qt dialog builds its controls from it as it starts, zev.exe's resource script is
// written from it when the program is built, and the web page builds its controls from its JSON
// export. Dialog units are fractions of the dialog font's average character cell, a quarter of its
// width and an eighth of its height; each window system turns them into pixels with its own font.
// The texts of the file dialogs that Open and Save show belong here too. What a control does is
// DialogState's affair.

namespace zev {

enum class ControlId : int {
  None = -1,  // labels and group frames, which nothing addresses
  StatusField = 1000,
  OpenButton = 1004,
  SaveButton = 1005,
  AnalyzeButton = 1012,
  LimitCheck = 1015,
  ExitButton = 1018,
  DisplayPanel = 1019,
  GraphButton = 1020,
  InfoButton = 1028,
  DefaultButton = 1033,
  ClearButton = 1034,
  StillModeRadio = 1041,
  MovieModeRadio = 1042,
  InertiaRateField = 1044,
  AccelRateField = 1046,
  GFusionField = 1047,
  DelayTimeField = 1048,
  GCoefficientField = 1050,
  GCoefficientSpin = 1052,
  DelayTimeSpin = 1053,
  InertiaRateSpin = 1054,
  AccelRateSpin = 1055,
  GFusionSpin = 1056,
  LoopCheck = 1057,
};

enum class ControlKind {
  PushButton,    // pressed
  RadioButton,   // pressed; the radio buttons that follow each other are one group
  CheckBox,      // pressed
  Label,         // left-aligned, centred vertically in its box
  NumberField,   // read-only; its spin writes the number
  Spin,          // up and down arrows on the right side of the field before it, wrapping around
  StatusField,   // read-only text with a thin sunken edge
  DisplayPanel,  // black, with a sunken edge; a click on it is a press
  GroupFrame,    // without text, beneath the controls it surrounds
};

struct DialogUnits {
  int x = 0;
  int y = 0;
  int width = 0;
  int height = 0;
  bool operator==(const DialogUnits&) const = default;
};

struct ControlTemplate {
  ControlId id;
  ControlKind kind;
  // A "&" marks the letter that the keyboard reaches the control by.
  std::string_view text;
  DialogUnits units;
  // Unique among the controls with an id; shells that address controls by name (the web page's
  // elements) use it.
  std::string_view name = {};
  // Limit ON is shown checked and can never be changed.
  bool neverEnabled = false;
};

inline constexpr std::string_view MAIN_DIALOG_CAPTION = "Z.E.V ";
inline constexpr DialogUnits MAIN_DIALOG_UNITS{0, 0, 381, 200};
// The dialog font, whose average character cell the dialog units measure, and that cell as
// Arial of that size measures it at 96 dots per inch, in pixels: where a shell sizes the dialog
// itself, the panel's units then give exactly the pages' size.
inline constexpr std::string_view MAIN_DIALOG_FONT = "Arial";
inline constexpr int MAIN_DIALOG_FONT_POINTS = 8;
inline constexpr int DIALOG_FONT_CELL_WIDTH = 6;
inline constexpr int DIALOG_FONT_CELL_HEIGHT = 14;
// A horizontal unit is a quarter of the cell's width, a vertical one an eighth of its height.
inline constexpr int UNITS_PER_CELL_X = 4;
inline constexpr int UNITS_PER_CELL_Y = 8;

// The spins in the order of PARAMETER_TABLE.
enum class Spin { GCoefficient, DelayTime, InertiaRate, AccelRate, GFusion };
inline constexpr int SPIN_COUNT = static_cast<int>(PARAMETER_TABLE.size());

inline constexpr auto MAIN_DIALOG_CONTROLS = std::to_array<ControlTemplate>({
    {ControlId::OpenButton, ControlKind::PushButton, "&Open", {12, 9, 37, 13}, "open"},
    {ControlId::SaveButton, ControlKind::PushButton, "&Save", {12, 24, 37, 13}, "save"},
    {ControlId::AnalyzeButton, ControlKind::PushButton, "&Analyze", {12, 44, 37, 13}, "analyze"},
    {ControlId::GraphButton, ControlKind::PushButton, "&Graph", {12, 64, 37, 13}, "graph"},
    {ControlId::InfoButton, ControlKind::PushButton, "&Info", {12, 79, 37, 13}, "info"},
    {ControlId::ClearButton, ControlKind::PushButton, "&CLEAR", {12, 93, 37, 13}, "clear"},
    {ControlId::ExitButton, ControlKind::PushButton, "e&Xit", {12, 144, 37, 13}, "exit"},
    {ControlId::DefaultButton, ControlKind::PushButton, "DEFAULT", {62, 9, 75, 12}, "default"},
    {ControlId::StillModeRadio, ControlKind::RadioButton, "Still Mode", {61, 27, 46, 10}, "still"},
    {ControlId::MovieModeRadio, ControlKind::RadioButton, "Movie  Mode", {61, 62, 56, 10}, "movie"},
    {ControlId::None, ControlKind::Label, PARAMETER_TABLE[0].label, {64, 41, 43, 8}},
    {ControlId::GCoefficientField, ControlKind::NumberField, "", {110, 39, 30, 14}, "g"},
    {ControlId::GCoefficientSpin, ControlKind::Spin, "", {106, 39, 10, 14}, "g-spin"},
    {ControlId::None, ControlKind::Label, PARAMETER_TABLE[1].label, {70, 77, 34, 8}},
    {ControlId::DelayTimeField, ControlKind::NumberField, "", {110, 74, 30, 14}, "delay"},
    {ControlId::DelayTimeSpin, ControlKind::Spin, "", {106, 74, 10, 14}, "delay-spin"},
    {ControlId::None, ControlKind::Label, PARAMETER_TABLE[2].label, {69, 96, 35, 8}},
    {ControlId::InertiaRateField, ControlKind::NumberField, "", {110, 93, 30, 14}, "inertia"},
    {ControlId::InertiaRateSpin, ControlKind::Spin, "", {106, 93, 10, 14}, "inertia-spin"},
    {ControlId::None, ControlKind::Label, PARAMETER_TABLE[3].label, {69, 115, 35, 8}},
    {ControlId::AccelRateField, ControlKind::NumberField, "", {110, 112, 30, 14}, "accel"},
    {ControlId::AccelRateSpin, ControlKind::Spin, "", {106, 112, 10, 14}, "accel-spin"},
    {ControlId::None, ControlKind::Label, PARAMETER_TABLE[4].label, {73, 134, 31, 8}},
    {ControlId::GFusionField, ControlKind::NumberField, "", {110, 131, 30, 14}, "fusion"},
    {ControlId::GFusionSpin, ControlKind::Spin, "", {106, 131, 10, 14}, "fusion-spin"},
    {ControlId::LimitCheck, ControlKind::CheckBox, "Limit ON", {77, 149, 42, 9}, "limit", true},
    // Loop mode joins the movie-mode settings below the limit; the frames and the status field
    // make room for it.
    {ControlId::LoopCheck, ControlKind::CheckBox, "&Loop", {77, 160, 42, 9}, "loop"},
    {ControlId::StatusField, ControlKind::StatusField, "", {7, 180, 136, 13}, "status"},
    {ControlId::DisplayPanel, ControlKind::DisplayPanel, "", {146, 4, 231, 178}, "panel"},
    {ControlId::None, ControlKind::GroupFrame, "", {56, 0, 87, 174}},
    {ControlId::None, ControlKind::GroupFrame, "", {7, 0, 46, 174}},
});

// The row of the control with that id; nothing for an id the template does not hold.
constexpr const ControlTemplate* controlOf(ControlId id) {
  for (const ControlTemplate& row : MAIN_DIALOG_CONTROLS) {
    if (row.id == id && id != ControlId::None) return &row;
  }
  return nullptr;
}

// The place of the control with that id in the template; nothing for an id it does not hold.
constexpr DialogUnits unitsOf(ControlId id) {
  const ControlTemplate* row = controlOf(id);
  return row != nullptr ? row->units : DialogUnits{};
}

// The field and the spin of each parameter, in the order of Spin.
struct SpinControls {
  ControlId field;
  ControlId spin;
};
inline constexpr std::array<SpinControls, SPIN_COUNT> SPIN_CONTROLS{{
    {ControlId::GCoefficientField, ControlId::GCoefficientSpin},
    {ControlId::DelayTimeField, ControlId::DelayTimeSpin},
    {ControlId::InertiaRateField, ControlId::InertiaRateSpin},
    {ControlId::AccelRateField, ControlId::AccelRateSpin},
    {ControlId::GFusionField, ControlId::GFusionSpin},
}};

// The spin whose field or arrows a control is; nothing for any other control.
constexpr std::optional<Spin> spinOf(ControlId id) {
  for (int i = 0; i < SPIN_COUNT; ++i) {
    if (SPIN_CONTROLS[i].field == id || SPIN_CONTROLS[i].spin == id) return static_cast<Spin>(i);
  }
  return std::nullopt;
}

// What the open and save dialogs show: title, the one filter's name and pattern, the extension a
// name typed without one gets, and the name first proposed (Save proposes the motion's title).
struct FileDialogTexts {
  std::string_view title;
  std::string_view filterName;
  std::string_view pattern;
  std::string_view defaultExtension;
  std::string_view initialName;
};

inline constexpr FileDialogTexts OPEN_DIALOG_TEXTS{
    " OPEN BVH FORMAT (POSER ONLY)", "BioVision Format(*.bvh)", "*.bvh", "bvh", "*.bvh"};
inline constexpr FileDialogTexts SAVE_DIALOG_TEXTS{" SAVE PZ2 FORMAT (POSER ONLY)",
                                                   "POSER Posing File (*.pz2)", "*.pz2", "pz2", ""};

}  // namespace zev
