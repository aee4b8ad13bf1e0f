#pragma once

// The program's resources by number, for the resource script and the code alike, so plain
// preprocessor numbers. The controls' ids are those of ControlId.

#define ZEV_MAIN_DIALOG 102
#define ZEV_SPLASH_DIALOG 104
#define ZEV_ICON 128
#define ZEV_SPLASH_PICTURE 154
#define ZEV_ABOUT_PICTURE 157
