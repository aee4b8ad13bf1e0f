// zev.exe driven from outside, as a user would drive it: a test program of its own that starts
// zev.exe, finds its windows, presses its buttons and arrows and reads its fields back. It runs
// under wine on a virtual X display (scripts/windows-ui-test), beside zev.exe and zev-convert.exe.
//
//   zev-ui-test.exe MOTION.bvh                  the tests
//   zev-ui-test.exe --show-graph FILE MOTION.bvh  leaves zev.exe showing the chest graph of a
//                                                 movie-mode analysis (after a round of the pages
//                                                 by clicks on the panel) and writes where the
//                                                 panel and the dialog are on the screen into FILE
//                                                 ("panelX panelY dialogX dialogY width height")
//   zev-ui-test.exe --close                     ends that zev.exe through eXit
//   zev-ui-test.exe --installed FOLDER MOTION.bvh  the programs as a user installed them in FOLDER:
//                                                 their version and icon, and zev.exe's first
//                                                 start on the motion (the tests above need
//                                                 the programs beside this one)

#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "analysis/effect_parameters.h"
#include "common/version.h"
#include "dialog/dialog_template.h"
#include "dialog/start_up.h"
#include "pages/report_pages.h"
#include "win32/resource_ids.h"
#include "win32/windows_api.h"

namespace zev {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

// The motion the tests open, from the command line.
fs::path motionFile;
// Where a user installed the programs (--installed); empty for the copies beside this program.
fs::path installedFolder;

fs::path programFolder() {
  std::wstring path(MAX_PATH, L'\0');
  path.resize(GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size())));
  return fs::path(path).parent_path();
}

std::wstring wide(std::string_view text) { return {text.begin(), text.end()}; }

std::wstring quoted(const fs::path& path) { return L"\"" + path.wstring() + L"\""; }

// Waits until check gives a value, for at most timeout; nothing if it never does.
template <typename T>
std::optional<T> waitFor(const std::function<std::optional<T>()>& check,
                         std::chrono::milliseconds timeout = 10s) {
  const auto end = std::chrono::steady_clock::now() + timeout;
  for (;;) {
    if (std::optional<T> value = check()) return value;
    if (std::chrono::steady_clock::now() > end) return std::nullopt;
    std::this_thread::sleep_for(20ms);
  }
}

// A program started by the tests; ended at the end of the test if it still runs.
class Program {
 public:
  explicit Program(const std::wstring& commandLine) {
    std::wstring line = commandLine;
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    started_ = CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                              &startup, &process_) != 0;
  }
  ~Program() {
    if (!started_) return;
    if (WaitForSingleObject(process_.hProcess, 0) == WAIT_TIMEOUT) {
      TerminateProcess(process_.hProcess, 99);
      WaitForSingleObject(process_.hProcess, 5000);
    }
    CloseHandle(process_.hThread);
    CloseHandle(process_.hProcess);
  }
  Program(const Program&) = delete;
  Program& operator=(const Program&) = delete;

  DWORD id() const { return process_.dwProcessId; }
  // The exit code once the program has ended within timeout; nothing while it runs.
  std::optional<DWORD> exitCode(std::chrono::milliseconds timeout = 10s) const {
    if (WaitForSingleObject(process_.hProcess, static_cast<DWORD>(timeout.count())) != 0) {
      return std::nullopt;
    }
    DWORD code = 0;
    GetExitCodeProcess(process_.hProcess, &code);
    return code;
  }

 private:
  PROCESS_INFORMATION process_{};
  bool started_ = false;
};

fs::path zevExe() { return programFolder() / "zev.exe"; }

// zev.exe from beside this program, as it ships.
std::unique_ptr<Program> startZev(const std::wstring& arguments = {}) {
  return std::make_unique<Program>(quoted(zevExe()) + L" " + arguments);
}

// A window's text as the window itself gives it; across processes GetWindowText would give only
// the text it was made with.
std::wstring windowText(HWND window) {
  std::wstring text(static_cast<std::size_t>(SendMessageW(window, WM_GETTEXTLENGTH, 0, 0)) + 1,
                    L'\0');
  text.resize(static_cast<std::size_t>(
      SendMessageW(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()))));
  return text;
}

std::wstring caption(HWND window) {
  std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(window)) + 1, L'\0');
  text.resize(
      static_cast<std::size_t>(GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
  return text;
}

std::wstring className(HWND window) {
  std::wstring name(64, L'\0');
  name.resize(static_cast<std::size_t>(GetClassNameW(window, name.data(), 64)));
  return name;
}

// A visible dialog window of the process with that caption.
std::optional<HWND> dialogOf(DWORD process, const std::wstring& title) {
  struct Search {
    DWORD process;
    const std::wstring& title;
    HWND found = nullptr;
  } search{process, title};
  EnumWindows(
      [](HWND window, LPARAM data) -> BOOL {
        auto& search = *reinterpret_cast<Search*>(data);
        DWORD owner = 0;
        GetWindowThreadProcessId(window, &owner);
        if (owner != search.process || !IsWindowVisible(window) || className(window) != L"#32770" ||
            caption(window) != search.title) {
          return TRUE;
        }
        search.found = window;
        return FALSE;
      },
      reinterpret_cast<LPARAM>(&search));
  if (search.found == nullptr) return std::nullopt;
  return search.found;
}

std::optional<HWND> waitForDialog(const Program& program, const std::wstring& caption,
                                  std::chrono::milliseconds timeout = 20s) {
  return waitFor<HWND>([&] { return dialogOf(program.id(), caption); }, timeout);
}

const std::wstring MAIN_CAPTION = wide(MAIN_DIALOG_CAPTION);

// Closes the splash with a left double-click and returns the main dialog. On a busy machine the
// splash's own timer may have closed it first; then the main dialog is there already.
std::optional<HWND> passSplash(const Program& zev) {
  const std::optional<HWND> shown = waitFor<HWND>(
      [&] {
        const std::optional<HWND> splash = dialogOf(zev.id(), L"");
        return splash ? splash : dialogOf(zev.id(), MAIN_CAPTION);
      },
      20s);
  if (!shown) return std::nullopt;
  if (caption(*shown).empty()) {
    SendMessageW(*shown, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(10, 10));
  }
  return waitForDialog(zev, MAIN_CAPTION, 2s);
}

HWND item(HWND dialog, ControlId id) { return GetDlgItem(dialog, static_cast<int>(id)); }

std::wstring text(HWND dialog, ControlId id) { return windowText(item(dialog, id)); }

bool enabled(HWND dialog, ControlId id) { return IsWindowEnabled(item(dialog, id)) != 0; }

bool checked(HWND dialog, ControlId id) {
  return IsDlgButtonChecked(dialog, static_cast<int>(id)) == BST_CHECKED;
}

// A click that waits until the dialog has done what the button does.
void click(HWND dialog, ControlId id) { SendMessageW(item(dialog, id), BM_CLICK, 0, 0); }

// A click on a button that opens a dialog of its own, which would hold a waiting click.
void clickWithoutWaiting(HWND dialog, ControlId id) {
  PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(static_cast<int>(id), BN_CLICKED),
               reinterpret_cast<LPARAM>(item(dialog, id)));
}

// A click on one arrow of a spin.
void clickArrow(HWND dialog, ControlId spin, bool up) {
  RECT arrows{};
  GetClientRect(item(dialog, spin), &arrows);
  const LPARAM where = MAKELPARAM(arrows.right / 2, up ? arrows.bottom / 4 : arrows.bottom * 3 / 4);
  SendMessageW(item(dialog, spin), WM_LBUTTONDOWN, MK_LBUTTON, where);
  SendMessageW(item(dialog, spin), WM_LBUTTONUP, 0, where);
}

// Which of Save, Analyze and Graph can be pressed, as "SAG" with "-" for a disabled one.
std::string results(HWND dialog) {
  std::string out;
  out += enabled(dialog, ControlId::SaveButton) ? 'S' : '-';
  out += enabled(dialog, ControlId::AnalyzeButton) ? 'A' : '-';
  out += enabled(dialog, ControlId::GraphButton) ? 'G' : '-';
  return out;
}

// The name field of the system's file dialog (cmb13 in its template).
constexpr int FILE_NAME_FIELD = 0x047C;

// Presses button, which opens the file dialog of texts, and answers it with path as a user would:
// the name typed into its name field, then OK.
bool answerFileDialog(const Program& zev, HWND dialog, ControlId button,
                      const FileDialogTexts& texts, const std::wstring& path) {
  clickWithoutWaiting(dialog, button);
  const std::optional<HWND> fileDialog = waitForDialog(zev, wide(texts.title));
  if (!fileDialog) return false;
  // Across processes only the message carries the text.
  SendMessageW(GetDlgItem(*fileDialog, FILE_NAME_FIELD), WM_SETTEXT, 0,
               reinterpret_cast<LPARAM>(path.c_str()));
  PostMessageW(*fileDialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
               reinterpret_cast<LPARAM>(GetDlgItem(*fileDialog, IDOK)));
  return waitFor<bool>([&]() -> std::optional<bool> {
           if (!IsWindow(*fileDialog)) return true;
           return std::nullopt;
         })
      .has_value();
}

std::string readBytes(const fs::path& path) {
  std::ifstream file(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

// Waits until the status field shows text.
bool statusBecomes(HWND dialog, const std::wstring& status) {
  return waitFor<bool>([&]() -> std::optional<bool> {
           if (text(dialog, ControlId::StatusField) == status) return true;
           return std::nullopt;
         })
      .has_value();
}

// The motion zev.exe was started with is opened once its dialog is up; a still-mode pass ends
// with this message.
const std::wstring OPENED = L"COMPLETE...";

// A second copy, started while zev runs, shows only the warning, and ends once it is confirmed.
void expectSecondCopyOnlyWarns() {
  const std::unique_ptr<Program> second = startZev(quoted(motionFile));
  const std::optional<HWND> warning = waitForDialog(*second, wide(ALREADY_RUNNING_CAPTION));
  ASSERT_TRUE(warning);
  // A message box's text is its static control 0xFFFF.
  EXPECT_EQ(windowText(GetDlgItem(*warning, 0xFFFF)), wide(ALREADY_RUNNING_TEXT));
  EXPECT_FALSE(dialogOf(second->id(), MAIN_CAPTION));
  PostMessageW(*warning, WM_COMMAND, IDOK, 0);
  EXPECT_EQ(second->exitCode(), 0u);
}

// One zev.exe, started on the motion, for all the tests of the suite, which follow each other.
class ZevExe : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    zev_ = startZev(quoted(motionFile));
    if (const std::optional<HWND> dialog = passSplash(*zev_)) dialog_ = *dialog;
  }
  static void TearDownTestSuite() { zev_.reset(); }
  void SetUp() override { ASSERT_NE(dialog_, nullptr) << "zev.exe showed no main dialog"; }

  inline static std::unique_ptr<Program> zev_;
  inline static HWND dialog_ = nullptr;
};

TEST_F(ZevExe, OpensTheMotionItWasStartedWith) {
  ASSERT_TRUE(statusBecomes(dialog_, OPENED));
  EXPECT_EQ(results(dialog_), "SAG");
}

TEST_F(ZevExe, ASecondCopyOnlyWarns) { expectSecondCopyOnlyWarns(); }

TEST_F(ZevExe, SpinStepsMarkTheResultsStaleExceptGFusion) {
  const struct {
    ControlId spin;
    ControlId field;
    bool up;
    const wchar_t* value;  // from the default
    const char* results;
  } cases[] = {
      // Wrapping around at both ends as well.
      {ControlId::GCoefficientSpin, ControlId::GCoefficientField, true, L"11", "-A-"},
      {ControlId::DelayTimeSpin, ControlId::DelayTimeField, false, L"4", "-A-"},
      {ControlId::InertiaRateSpin, ControlId::InertiaRateField, true, L"11", "-A-"},
      {ControlId::AccelRateSpin, ControlId::AccelRateField, false, L"9", "-A-"},
      {ControlId::GFusionSpin, ControlId::GFusionField, true, L"36", "SAG"},
  };
  click(dialog_, ControlId::MovieModeRadio);
  for (const auto& c : cases) {
    SCOPED_TRACE(static_cast<int>(c.spin));
    click(dialog_, ControlId::DefaultButton);
    click(dialog_, ControlId::AnalyzeButton);
    ASSERT_EQ(results(dialog_), "SAG");
    clickArrow(dialog_, c.spin, c.up);
    EXPECT_EQ(text(dialog_, c.field), c.value);
    EXPECT_EQ(results(dialog_), c.results);
  }
  // Loop is a movie-mode setting too: a click checks it and makes the results stale, DEFAULT
  // unchecks it, and still mode disables it.
  click(dialog_, ControlId::DefaultButton);
  click(dialog_, ControlId::AnalyzeButton);
  click(dialog_, ControlId::LoopCheck);
  EXPECT_TRUE(checked(dialog_, ControlId::LoopCheck));
  EXPECT_EQ(results(dialog_), "-A-");
  click(dialog_, ControlId::DefaultButton);
  EXPECT_FALSE(checked(dialog_, ControlId::LoopCheck));
  click(dialog_, ControlId::StillModeRadio);
  EXPECT_FALSE(enabled(dialog_, ControlId::LoopCheck));
  click(dialog_, ControlId::MovieModeRadio);

  click(dialog_, ControlId::DefaultButton);
  // Stepping past either end of a range wraps around.
  clickArrow(dialog_, ControlId::DelayTimeSpin, true);
  for (int i = 0; i < DELAY_TIME_RANGE.maximum - DELAY_TIME_RANGE.defaultValue; ++i) {
    clickArrow(dialog_, ControlId::DelayTimeSpin, true);
  }
  EXPECT_EQ(text(dialog_, ControlId::DelayTimeField), L"0");
  clickArrow(dialog_, ControlId::DelayTimeSpin, false);
  EXPECT_EQ(text(dialog_, ControlId::DelayTimeField), L"10");
}

TEST_F(ZevExe, SavesTheBytesTheConverterWrites) {
  const fs::path folder = fs::temp_directory_path() / "zev-ui-test";
  fs::remove_all(folder);
  fs::create_directories(folder);
  // Movie mode, Delay time 3 and G Fusion 36.
  click(dialog_, ControlId::MovieModeRadio);
  click(dialog_, ControlId::DefaultButton);
  clickArrow(dialog_, ControlId::DelayTimeSpin, false);
  clickArrow(dialog_, ControlId::DelayTimeSpin, false);
  clickArrow(dialog_, ControlId::GFusionSpin, true);
  click(dialog_, ControlId::AnalyzeButton);
  ASSERT_EQ(results(dialog_), "SAG");

  ASSERT_TRUE(answerFileDialog(*zev_, dialog_, ControlId::SaveButton, SAVE_DIALOG_TEXTS,
                               (folder / "dialog.pz2").wstring()));
  ASSERT_TRUE(waitFor<bool>([&]() -> std::optional<bool> {
    if (fs::exists(folder / "dialog.pz2")) return true;
    return std::nullopt;
  }));
  const Program converter(quoted(programFolder() / "zev-convert.exe") +
                          L" --movie --delay 3 --fusion 36 -o " + quoted(folder / "converter.pz2") +
                          L" " + quoted(motionFile));
  ASSERT_EQ(converter.exitCode(), 0u);
  const std::string saved = readBytes(folder / "dialog.pz2");
  const std::string converted = readBytes(folder / "converter.pz2");
  EXPECT_FALSE(saved.empty());
  EXPECT_TRUE(saved == converted) << saved.size() << " bytes saved, " << converted.size()
                                  << " converted";
  fs::remove_all(folder);
}

TEST_F(ZevExe, FileDialogsAskWithTheirTitlesAndNames) {
  const struct {
    ControlId button;
    const FileDialogTexts& texts;
    const wchar_t* name;
  } cases[] = {
      {ControlId::OpenButton, OPEN_DIALOG_TEXTS, L"*.bvh"},
      {ControlId::SaveButton, SAVE_DIALOG_TEXTS, L"walk.pz2"},
  };
  const std::wstring status = text(dialog_, ControlId::StatusField);
  for (const auto& c : cases) {
    SCOPED_TRACE(static_cast<int>(c.button));
    clickWithoutWaiting(dialog_, c.button);
    const std::optional<HWND> fileDialog = waitForDialog(*zev_, wide(c.texts.title));
    ASSERT_TRUE(fileDialog);
    EXPECT_EQ(GetWindow(*fileDialog, GW_OWNER), dialog_);
    EXPECT_EQ(windowText(GetDlgItem(*fileDialog, FILE_NAME_FIELD)), c.name);
    PostMessageW(*fileDialog, WM_COMMAND, IDCANCEL, 0);
    EXPECT_TRUE(waitFor<bool>([&]() -> std::optional<bool> {
      if (!IsWindow(*fileDialog)) return true;
      return std::nullopt;
    }));
  }
  // Cancelled: nothing changed.
  EXPECT_EQ(text(dialog_, ControlId::StatusField), status);
}

TEST_F(ZevExe, EnterAndEscapeNeitherPressNorClose) {
  // Enter on a focused button would press it.
  SendMessageW(dialog_, WM_NEXTDLGCTL,
               reinterpret_cast<WPARAM>(item(dialog_, ControlId::OpenButton)), TRUE);
  for (const WPARAM key : {VK_RETURN, VK_ESCAPE}) {
    SCOPED_TRACE(key);
    PostMessageW(item(dialog_, ControlId::OpenButton), WM_KEYDOWN, key, 0);
    PostMessageW(item(dialog_, ControlId::OpenButton), WM_KEYUP, key, 0);
    std::this_thread::sleep_for(500ms);
    EXPECT_FALSE(dialogOf(zev_->id(), wide(OPEN_DIALOG_TEXTS.title)));
    EXPECT_TRUE(IsWindowVisible(dialog_));
  }
}

// Last of the suite.
TEST_F(ZevExe, F3EndsTheProgram) {
  PostMessageW(item(dialog_, ControlId::InfoButton), WM_KEYDOWN, VK_F3, 0);
  EXPECT_EQ(zev_->exitCode(), 0u);
}

// A place on the dialog in pixels: left, top, width and height.
struct Place {
  LONG left;
  LONG top;
  LONG width;
  LONG height;
  bool operator==(const Place&) const = default;
};

void PrintTo(const Place& place, std::ostream* out) {
  *out << place.left << "," << place.top << " " << place.width << "x" << place.height;
}

// The dialog font's average character cell, as the dialog manager measures it; dialog units are
// a quarter of its width and an eighth of its height.
SIZE dialogFontCell() {
  const HDC screen = GetDC(nullptr);
  LOGFONTW font{};
  font.lfHeight = -MulDiv(MAIN_DIALOG_FONT_POINTS, GetDeviceCaps(screen, LOGPIXELSY), 72);
  lstrcpyW(font.lfFaceName, wide(MAIN_DIALOG_FONT).c_str());
  const HFONT created = CreateFontIndirectW(&font);
  const HGDIOBJ original = SelectObject(screen, created);
  constexpr std::wstring_view LETTERS = L"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
  SIZE letters{};
  GetTextExtentPoint32W(screen, LETTERS.data(), static_cast<int>(LETTERS.size()), &letters);
  TEXTMETRICW metrics{};
  GetTextMetricsW(screen, &metrics);
  SelectObject(screen, original);
  DeleteObject(created);
  ReleaseDC(nullptr, screen);
  return {(letters.cx / 26 + 1) / 2, metrics.tmHeight};
}

// Where the dialog manager puts a control of the template: each measure scaled on its own.
Place pixelsOf(const DialogUnits& units) {
  static const SIZE cell = dialogFontCell();
  return {MulDiv(units.x, cell.cx, 4), MulDiv(units.y, cell.cy, 8), MulDiv(units.width, cell.cx, 4),
          MulDiv(units.height, cell.cy, 8)};
}

Place placeOf(HWND dialog, HWND control) {
  RECT rect{};
  GetWindowRect(control, &rect);
  MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&rect), 2);
  return {rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top};
}

// The class of a kind of control and the style bits that make it that kind.
struct ControlLook {
  const wchar_t* className;
  LONG mask;
  LONG style;
};

ControlLook lookOf(ControlKind kind) {
  switch (kind) {
    case ControlKind::PushButton:
      return {L"Button", BS_TYPEMASK | WS_TABSTOP, BS_PUSHBUTTON | WS_TABSTOP};
    case ControlKind::RadioButton:
      return {L"Button", BS_TYPEMASK, BS_AUTORADIOBUTTON};
    case ControlKind::CheckBox:
      return {L"Button", BS_TYPEMASK, BS_AUTOCHECKBOX};
    case ControlKind::Label:
      return {L"Static", SS_TYPEMASK | SS_CENTERIMAGE, SS_LEFT | SS_CENTERIMAGE};
    case ControlKind::NumberField:
    case ControlKind::StatusField:
      return {L"Edit", ES_READONLY, ES_READONLY};
    case ControlKind::Spin: {
      constexpr LONG spin = UDS_WRAP | UDS_SETBUDDYINT | UDS_ALIGNRIGHT | UDS_ARROWKEYS;
      return {L"msctls_updown32", spin, spin};
    }
    case ControlKind::DisplayPanel:
      return {L"Static", SS_TYPEMASK | SS_NOTIFY | SS_SUNKEN, SS_BLACKRECT | SS_NOTIFY | SS_SUNKEN};
    case ControlKind::GroupFrame:
      return {L"Button", BS_TYPEMASK, BS_GROUPBOX};
  }
  return {};
}

// The 32-bit pixels of a bitmap, row by row from the top; none when they cannot be read.
std::vector<std::uint32_t> pixelsOf(HDC dc, HBITMAP bitmap, LONG width, LONG height) {
  BITMAPINFO format{};
  format.bmiHeader.biSize = sizeof format.bmiHeader;
  format.bmiHeader.biWidth = width;
  format.bmiHeader.biHeight = -height;
  format.bmiHeader.biPlanes = 1;
  format.bmiHeader.biBitCount = 32;
  format.bmiHeader.biCompression = BI_RGB;
  std::vector<std::uint32_t> pixels(static_cast<std::size_t>(width * height));
  if (GetDIBits(dc, bitmap, 0, static_cast<UINT>(height), pixels.data(), &format, DIB_RGB_COLORS) !=
      height) {
    return {};
  }
  return pixels;
}

// Whether the panel shows zev.exe's own about picture where the about page puts it: a picture the
// program fails to load leaves the page without it, and says so nowhere else.
bool panelShowsAboutPicture(HWND panel) {
  POINT at{};
  for (const PanelOp& op : showAboutPage()) {
    if (op.kind == PanelOpKind::CopyPicture) at = {op.x, op.y};
  }
  const HMODULE program = LoadLibraryExW(zevExe().c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  if (program == nullptr) return false;
  const auto picture = static_cast<HBITMAP>(
      LoadImageW(program, MAKEINTRESOURCEW(ZEV_ABOUT_PICTURE), IMAGE_BITMAP, 0, 0, 0));
  FreeLibrary(program);
  if (picture == nullptr) return false;
  BITMAP size{};
  GetObjectW(picture, sizeof size, &size);
  POINT corner{at.x, at.y};
  ClientToScreen(panel, &corner);
  const HDC screen = GetDC(nullptr);
  const HDC copy = CreateCompatibleDC(screen);
  const HBITMAP shown = CreateCompatibleBitmap(screen, size.bmWidth, size.bmHeight);
  const HGDIOBJ original = SelectObject(copy, shown);
  BitBlt(copy, 0, 0, size.bmWidth, size.bmHeight, screen, corner.x, corner.y, SRCCOPY);
  SelectObject(copy, original);
  const std::vector<std::uint32_t> want = pixelsOf(copy, picture, size.bmWidth, size.bmHeight);
  const bool same = !want.empty() && pixelsOf(copy, shown, size.bmWidth, size.bmHeight) == want;
  DeleteObject(shown);
  DeleteObject(picture);
  DeleteDC(copy);
  ReleaseDC(nullptr, screen);
  return same;
}

// The up-down control lays itself over its field's border on the field's right side.
constexpr LONG SPIN_JOIN = 2;

// A zev.exe started without a motion: its splash, then the dialog as it starts.
TEST(ZevExeStart, SplashThenTheDialogAsTheTemplateHasIt) {
  const std::unique_ptr<Program> zev = startZev();
  const std::optional<HWND> splash = waitForDialog(*zev, L"");
  ASSERT_TRUE(splash);
  const HWND picture = GetWindow(*splash, GW_CHILD);
  EXPECT_EQ(GetWindowLongW(picture, GWL_STYLE) & SS_TYPEMASK, SS_BITMAP);
  EXPECT_NE(SendMessageW(picture, STM_GETIMAGE, IMAGE_BITMAP, 0), 0);
  expectSecondCopyOnlyWarns();
  // The double-click is handled before passSplash goes on; how soon the dialog follows is the
  // machine's speed, not the program's.
  const std::optional<HWND> dialog = passSplash(*zev);
  ASSERT_TRUE(dialog) << "no main dialog soon after a double-click on the splash";

  // Every control at its place with its id, class, text and style, in the template's order.
  std::vector<HWND> shownOrder;
  for (HWND child = GetWindow(*dialog, GW_CHILD); child != nullptr;
       child = GetWindow(child, GW_HWNDNEXT)) {
    shownOrder.push_back(child);
  }
  ASSERT_EQ(shownOrder.size(), MAIN_DIALOG_CONTROLS.size());
  for (std::size_t i = 0; i < MAIN_DIALOG_CONTROLS.size(); ++i) {
    const ControlTemplate& row = MAIN_DIALOG_CONTROLS[i];
    const HWND control = shownOrder[i];
    SCOPED_TRACE(std::string(row.text) + " " + std::to_string(static_cast<int>(row.id)));
    EXPECT_EQ(static_cast<short>(GetDlgCtrlID(control)), static_cast<short>(row.id));
    const ControlLook look = lookOf(row.kind);
    EXPECT_EQ(className(control), look.className);
    EXPECT_EQ(GetWindowLongW(control, GWL_STYLE) & look.mask, look.style);
    // The fields show numbers, the spins nothing.
    if (row.kind != ControlKind::Spin && row.kind != ControlKind::NumberField) {
      EXPECT_EQ(windowText(control), wide(row.text));
    }
    const Place place = placeOf(*dialog, control);
    const Place units = pixelsOf(row.units);
    switch (row.kind) {
      case ControlKind::NumberField: {
        // Its spin has taken the right side of it.
        const Place spin = placeOf(*dialog, shownOrder[i + 1]);
        EXPECT_EQ((Place{place.left, place.top, units.width, place.height}), units);
        EXPECT_NEAR(place.left + place.width, spin.left + SPIN_JOIN, SPIN_JOIN);
        break;
      }
      case ControlKind::Spin: {
        const Place field = pixelsOf(MAIN_DIALOG_CONTROLS[i - 1].units);
        EXPECT_EQ(reinterpret_cast<HWND>(SendMessageW(control, UDM_GETBUDDY, 0, 0)),
                  shownOrder[i - 1]);
        EXPECT_NEAR(place.left + place.width, field.left + field.width, SPIN_JOIN);
        EXPECT_EQ(place.top, field.top);
        EXPECT_EQ(place.height, field.height);
        break;
      }
      case ControlKind::DisplayPanel: {
        // It keeps the pages' size inside its edge, from the template's corner.
        RECT client{};
        GetClientRect(control, &client);
        EXPECT_EQ(client.right, PANEL_WIDTH);
        EXPECT_EQ(client.bottom, PANEL_HEIGHT);
        EXPECT_EQ(place.left, units.left);
        EXPECT_EQ(place.top, units.top);
        break;
      }
      default:
        EXPECT_EQ(place, units);
    }
  }

  // Once up, the about page, with the program's picture.
  EXPECT_TRUE(waitFor<bool>([&]() -> std::optional<bool> {
    if (panelShowsAboutPicture(item(*dialog, ControlId::DisplayPanel))) return true;
    return std::nullopt;
  })) << "the about page lacks the about picture";

  // As the dialog starts: still mode, default values, Limit ON checked for good, and nothing to
  // save, analyse or graph.
  EXPECT_TRUE(checked(*dialog, ControlId::StillModeRadio));
  EXPECT_FALSE(checked(*dialog, ControlId::MovieModeRadio));
  EXPECT_TRUE(checked(*dialog, ControlId::LimitCheck));
  EXPECT_FALSE(enabled(*dialog, ControlId::LimitCheck));
  EXPECT_EQ(results(*dialog), "---");
  for (std::size_t i = 0; i < SPIN_CONTROLS.size(); ++i) {
    EXPECT_EQ(text(*dialog, SPIN_CONTROLS[i].field),
              std::to_wstring(PARAMETER_TABLE[i].range.defaultValue));
    EXPECT_EQ(enabled(*dialog, SPIN_CONTROLS[i].spin), !PARAMETER_TABLE[i].movieOnly);
  }
  EXPECT_EQ(text(*dialog, ControlId::StatusField), L"");

  click(*dialog, ControlId::ExitButton);
  EXPECT_EQ(zev->exitCode(), 0u);
}

// A text of a program's version resource, as Explorer's Properties show it; empty if it has none.
std::wstring versionText(const fs::path& program, const std::wstring& name) {
  std::vector<char> resource(GetFileVersionInfoSizeW(program.c_str(), nullptr));
  if (resource.empty() ||
      !GetFileVersionInfoW(program.c_str(), 0, static_cast<DWORD>(resource.size()),
                           resource.data())) {
    return {};
  }
  void* text = nullptr;
  UINT length = 0;
  const std::wstring key = L"\\StringFileInfo\\040904B0\\" + name;
  if (!VerQueryValueW(resource.data(), key.c_str(), &text, &length) || length == 0) return {};
  return static_cast<const wchar_t*>(text);
}

// Both programs, as installed or beside this program, say what they are, their version and
// copyright, and carry the program's icon.
TEST(ZevPrograms, CarryTheirVersionAndIcon) {
  const fs::path folder = installedFolder.empty() ? programFolder() : installedFolder;
  for (const wchar_t* name : {L"zev.exe", L"zev-convert.exe"}) {
    const fs::path program = folder / name;
    SCOPED_TRACE(program.string());
    EXPECT_EQ(versionText(program, L"ProductName"), L"Z.E.V");
    EXPECT_EQ(versionText(program, L"ProductVersion"), wide(ZEV_VERSION));
    EXPECT_EQ(versionText(program, L"FileVersion"), wide(ZEV_VERSION));
    EXPECT_EQ(versionText(program, L"OriginalFilename"), name);
    EXPECT_NE(versionText(program, L"FileDescription"), L"");
    EXPECT_TRUE(versionText(program, L"LegalCopyright").starts_with(L"Copyright (c) "));
    EXPECT_GT(ExtractIconExW(program.c_str(), -1, nullptr, nullptr, 0), 0u);
  }
}

// The first start as from Explorer's "Open with": the splash, then by itself the dialog with the
// motion opened, and F3 ends the program.
TEST(ZevExeAsInstalled, FirstStartShowsTheSplashThenTheMotion) {
  if (installedFolder.empty()) GTEST_SKIP() << "for the programs a user installed (--installed)";
  Program zev(quoted(installedFolder / L"zev.exe") + L" " + quoted(motionFile));
  ASSERT_TRUE(waitForDialog(zev, L"")) << "no splash";
  const std::optional<HWND> dialog =
      waitForDialog(zev, MAIN_CAPTION, std::chrono::milliseconds(SPLASH_MILLISECONDS) + 10s);
  ASSERT_TRUE(dialog) << "no main dialog after the splash";
  EXPECT_TRUE(statusBecomes(*dialog, OPENED));
  EXPECT_EQ(results(*dialog), "SAG");
  PostMessageW(item(*dialog, ControlId::InfoButton), WM_KEYDOWN, VK_F3, 0);
  EXPECT_EQ(zev.exitCode(), 0u);
}

// --show-graph FILE MOTION: zev.exe left showing the chest graph of a movie-mode analysis.
int showGraph(const fs::path& placeFile) {
  std::unique_ptr<Program> zev = startZev(quoted(motionFile));
  const std::optional<HWND> dialog = passSplash(*zev);
  if (!dialog || !statusBecomes(*dialog, OPENED)) return 1;
  for (const ControlId button :
       {ControlId::MovieModeRadio, ControlId::AnalyzeButton, ControlId::GraphButton}) {
    click(*dialog, button);
  }
  // Graph shows the chest page; clicks on the panel go on through the pages, and a double-click
  // is one click: hair, ring, then chest again. Were the double-click two, the hair page would
  // show.
  const HWND panel = item(*dialog, ControlId::DisplayPanel);
  const auto press = [panel](UINT message) {
    SendMessageW(panel, message, MK_LBUTTON, MAKELPARAM(100, 100));
    SendMessageW(panel, WM_LBUTTONUP, 0, MAKELPARAM(100, 100));
  };
  for (const UINT message : {WM_LBUTTONDOWN, WM_LBUTTONDBLCLK, WM_LBUTTONDOWN, WM_LBUTTONDOWN}) {
    press(message);
  }
  POINT corner{0, 0};
  ClientToScreen(panel, &corner);
  // The page is on the screen once its vertical axis is: grey where the axis meets the top
  // baseline.
  const HDC screen = GetDC(nullptr);
  const auto pageShown = [&]() -> std::optional<bool> {
    if (GetPixel(screen, corner.x + 50, corner.y + 50) == RGB(155, 155, 155)) return true;
    return std::nullopt;
  };
  const bool drawn = waitFor<bool>(pageShown).has_value();
  // The picture is of the page as a repaint of the whole dialog brings it back.
  RedrawWindow(*dialog, nullptr, nullptr,
               RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
  std::this_thread::sleep_for(300ms);
  const bool shown = drawn && waitFor<bool>(pageShown).has_value();
  ReleaseDC(nullptr, screen);
  if (!shown) return 1;
  RECT frame{};
  GetWindowRect(*dialog, &frame);
  std::ofstream(placeFile) << corner.x << " " << corner.y << " " << frame.left << " " << frame.top
                           << " " << frame.right - frame.left << " " << frame.bottom - frame.top
                           << "\n";
  // Left running for the picture.
  zev.release();
  return 0;
}

int closeShown() {
  const HWND dialog = FindWindowW(L"#32770", MAIN_CAPTION.c_str());
  if (dialog == nullptr) return 1;
  DWORD process = 0;
  GetWindowThreadProcessId(dialog, &process);
  const HANDLE zev = OpenProcess(SYNCHRONIZE, FALSE, process);
  click(dialog, ControlId::ExitButton);
  const bool ended = WaitForSingleObject(zev, 10000) == WAIT_OBJECT_0;
  CloseHandle(zev);
  return ended ? 0 : 1;
}

}  // namespace
}  // namespace zev

int wmain(int argc, wchar_t** argv) {
  namespace fs = std::filesystem;
  if (argc == 4 && std::wstring(argv[1]) == L"--show-graph") {
    zev::motionFile = fs::absolute(argv[3]);
    return zev::showGraph(argv[2]);
  }
  if (argc == 2 && std::wstring(argv[1]) == L"--close") return zev::closeShown();
  ::testing::InitGoogleTest(&argc, argv);
  if (argc == 4 && std::wstring(argv[1]) == L"--installed") {
    zev::installedFolder = argv[2];
    zev::motionFile = fs::absolute(argv[3]);
    GTEST_FLAG_SET(filter, "ZevPrograms.*:ZevExeAsInstalled.*");
    return RUN_ALL_TESTS();
  }
  if (argc != 2) {
    std::fprintf(stderr,
                 "usage: zev-ui-test MOTION.bvh | --show-graph FILE MOTION.bvh | --close"
                 " | --installed FOLDER MOTION.bvh\n");
    return 2;
  }
  zev::motionFile = fs::absolute(argv[1]);
  return RUN_ALL_TESTS();
}
