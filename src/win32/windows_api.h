#pragma once

// The Windows API as the shell uses it, without the macros that would stand in for the standard
// library's std::min and std::max and for the panel's DrawText operation.
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
// These take their types from windows.h, so they come after it.
#include <commctrl.h>
#include <commdlg.h>
#include <shellapi.h>
#undef DrawText
