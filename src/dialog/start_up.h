#pragma once

#include <string_view>

// How the program starts, whatever draws its windows: one copy at a time, known to the others by
// the name of its lock; a warning for a second copy, which then ends; the splash for a while; then
// the main dialog. All of the program's dialogs share one pair of colours.

namespace zev {

// The name by which a running copy is known to the next one.
inline constexpr std::string_view SINGLE_INSTANCE_NAME = "KORVA POSER TREMOLO";
// The box a second copy shows, with one OK button and no icon, before it ends.
inline constexpr std::string_view ALREADY_RUNNING_CAPTION = "WARNING";
inline constexpr std::string_view ALREADY_RUNNING_TEXT = "Z.E.V ALREADY EXISTS.";

// How long the splash stays, unless a left double-click closes it first.
inline constexpr int SPLASH_MILLISECONDS = 2500;

struct DialogColor {
  int red;
  int green;
  int blue;
};
// The background of the dialogs, and the text and background of their labels, check boxes, radio
// buttons, group frames and read-only fields; the text of a control that cannot be used, where a
// shell draws it itself, still reads on that background.
inline constexpr DialogColor DIALOG_BACKGROUND{192, 192, 192};
inline constexpr DialogColor DIALOG_TEXT{0, 0, 80};
inline constexpr DialogColor DIALOG_DISABLED_TEXT{128, 128, 128};

}  // namespace zev
