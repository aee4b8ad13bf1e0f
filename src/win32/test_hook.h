#pragma once

#include "win32/windows_api.h"

// What a test driver may ask of a running zev.exe, and only when it started the program with the
// environment variable UI_TEST_VARIABLE set: to answer the next open or save dialog in place of
// the user, so that a test reaches the file without the dialog. The driver sends WM_COPYDATA with
// the tag below and the path in UTF-16 without its terminating zero; no path answers Cancel.

namespace zev {

inline constexpr const wchar_t* UI_TEST_VARIABLE = L"ZEV_UI_TEST";
inline constexpr ULONG_PTR ANSWER_NEXT_FILE_DIALOG = 0x5A455646;

}  // namespace zev
