#include "win32/main_dialog.h"

#include <array>
#include <cstdlib>
#include <string_view>
#include <utility>

#include "analysis/effect_parameters.h"
#include "files/file_system.h"
#include "win32/resource_ids.h"
#include "win32/test_hook.h"
#include "win32/utf16.h"
#include "win32/windows_api.h"

namespace zev {

namespace {

// The first timer event draws the about page, as soon as the dialog is up.
constexpr UINT_PTR START_TIMER = 1;
// The window property under which the dialog's window knows its MainDialog.
constexpr const wchar_t* DIALOG_PROPERTY = L"zev.MainDialog";

int idOf(ControlId id) { return static_cast<int>(id); }

// The spin whose field or arrows a control is; none for any other control.
std::optional<Spin> spinOf(int id) {
  for (int i = 0; i < SPIN_COUNT; ++i) {
    if (idOf(SPIN_CONTROLS[i].field) == id || idOf(SPIN_CONTROLS[i].spin) == id) {
      return static_cast<Spin>(i);
    }
  }
  return std::nullopt;
}

DialogKey dialogKeyOf(WPARAM key) {
  switch (key) {
    case VK_RETURN:
      return DialogKey::Enter;
    case VK_ESCAPE:
      return DialogKey::Escape;
    case VK_F3:
      return DialogKey::F3;
    default:
      return DialogKey::Other;
  }
}

// A dialog procedure's answer to a message with a result of its own.
INT_PTR answerWith(HWND dialog, LRESULT result) {
  SetWindowLongPtrW(dialog, DWLP_MSGRESULT, result);
  return TRUE;
}

}  // namespace

MainDialog::MainDialog(HINSTANCE instance, const DialogColours& colours, FileDialogs& fileDialogs,
                       std::optional<std::string> startFile)
    : instance_(instance),
      colours_(colours),
      fileDialogs_(fileDialogs),
      startFile_(std::move(startFile)) {}

void MainDialog::run() {
  DialogBoxParamW(instance_, MAKEINTRESOURCEW(ZEV_MAIN_DIALOG), nullptr, procedure,
                  reinterpret_cast<LPARAM>(this));
}

INT_PTR CALLBACK MainDialog::procedure(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_INITDIALOG) {
    auto* self = reinterpret_cast<MainDialog*>(lParam);
    SetPropW(dialog, DIALOG_PROPERTY, self);
    self->dialog_ = dialog;
    self->initialise();
    return TRUE;
  }
  auto* self = static_cast<MainDialog*>(GetPropW(dialog, DIALOG_PROPERTY));
  return self != nullptr ? self->handle(message, wParam, lParam) : FALSE;
}

LRESULT CALLBACK MainDialog::filterKeys(int code, WPARAM wParam, LPARAM lParam) {
  const MSG& message = *reinterpret_cast<const MSG*>(lParam);
  // Only keys meant for this dialog: the file dialogs it opens have keys of their own.
  if (code == MSGF_DIALOGBOX && message.hwnd != nullptr) {
    auto* self =
        static_cast<MainDialog*>(GetPropW(GetAncestor(message.hwnd, GA_ROOT), DIALOG_PROPERTY));
    if (self != nullptr && self->answerKey(message)) return TRUE;
  }
  return CallNextHookEx(nullptr, code, wParam, lParam);
}

INT_PTR MainDialog::handle(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_TIMER:
      if (wParam != START_TIMER) return FALSE;
      KillTimer(dialog_, START_TIMER);
      state_.dialogIsUp(std::exchange(startFile_, std::nullopt));
      showState();
      return TRUE;
    case WM_COMMAND:
      command(static_cast<ControlId>(LOWORD(wParam)), HIWORD(wParam));
      return TRUE;
    case WM_NOTIFY: {
      const auto& notice = *reinterpret_cast<const NMHDR*>(lParam);
      if (notice.code != UDN_DELTAPOS) return FALSE;
      const std::optional<Spin> spin = spinOf(static_cast<int>(notice.idFrom));
      if (!spin) return FALSE;
      // The spin's position is the state's: the control's own step (and wrap) is refused, and the
      // state's shown instead.
      state_.stepSpin(*spin, reinterpret_cast<const NMUPDOWN*>(lParam)->iDelta > 0);
      showState();
      return answerWith(dialog_, TRUE);
    }
    case WM_DROPFILES:
      dropFiles(reinterpret_cast<HDROP>(wParam));
      return TRUE;
    case WM_COPYDATA:
      return takeTestAnswer(*reinterpret_cast<const COPYDATASTRUCT*>(lParam))
                 ? answerWith(dialog_, TRUE)
                 : FALSE;
    case WM_CLOSE:
      close();
      return TRUE;
    case WM_DESTROY:
      UnhookWindowsHookEx(keyFilter_);
      panel_.reset();
      RemovePropW(dialog_, DIALOG_PROPERTY);
      return TRUE;
    default:
      return colours_.answer(message, wParam);
  }
}

void MainDialog::initialise() {
  const auto icon = [this](int widthMetric, int heightMetric) {
    return reinterpret_cast<LPARAM>(LoadImageW(instance_, MAKEINTRESOURCEW(ZEV_ICON), IMAGE_ICON,
                                               GetSystemMetrics(widthMetric),
                                               GetSystemMetrics(heightMetric), LR_SHARED));
  };
  SendMessageW(dialog_, WM_SETICON, ICON_BIG, icon(SM_CXICON, SM_CYICON));
  SendMessageW(dialog_, WM_SETICON, ICON_SMALL, icon(SM_CXSMICON, SM_CYSMICON));
  for (int i = 0; i < SPIN_COUNT; ++i) {
    const ParameterRange& range = PARAMETER_TABLE[i].range;
    SendMessageW(item(SPIN_CONTROLS[i].spin), UDM_SETRANGE32, range.minimum, range.maximum);
  }
  panel_ = std::make_unique<DisplayPanel>(item(ControlId::DisplayPanel), instance_);
  growToHoldPanel();
  addStatusTooltip();
  DragAcceptFiles(dialog_, TRUE);
  keyFilter_ = SetWindowsHookExW(WH_MSGFILTER, filterKeys, nullptr, GetCurrentThreadId());
  showState();
  SetTimer(dialog_, START_TIMER, 1, nullptr);
}

void MainDialog::growToHoldPanel() {
  // The room the template leaves right of the panel and below it stays, in the dialog's units.
  constexpr DialogUnits units = unitsOf(ControlId::DisplayPanel);
  RECT margin{0, 0, MAIN_DIALOG_UNITS.width - units.x - units.width,
              MAIN_DIALOG_UNITS.height - units.y - units.height};
  MapDialogRect(dialog_, &margin);
  RECT panel{};
  GetWindowRect(item(ControlId::DisplayPanel), &panel);
  MapWindowPoints(nullptr, dialog_, reinterpret_cast<POINT*>(&panel), 2);
  RECT client{};
  GetClientRect(dialog_, &client);
  const LONG wider = std::max<LONG>(0, panel.right + margin.right - client.right);
  const LONG taller = std::max<LONG>(0, panel.bottom + margin.bottom - client.bottom);
  if (wider == 0 && taller == 0) return;
  RECT window{};
  GetWindowRect(dialog_, &window);
  SetWindowPos(dialog_, nullptr, 0, 0, window.right - window.left + wider,
               window.bottom - window.top + taller, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void MainDialog::addStatusTooltip() {
  tooltip_ = CreateWindowExW(0, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_NOPREFIX | TTS_ALWAYSTIP,
                             CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, dialog_,
                             nullptr, instance_, nullptr);
  TOOLINFOW tool{};
  tool.cbSize = sizeof tool;
  tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
  tool.hwnd = dialog_;
  tool.uId = reinterpret_cast<UINT_PTR>(item(ControlId::StatusField));
  tool.lpszText = const_cast<wchar_t*>(L"");
  SendMessageW(tooltip_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
  // A long path breaks into lines instead of running off the screen.
  SendMessageW(tooltip_, TTM_SETMAXTIPWIDTH, 0, 600);
}

void MainDialog::command(ControlId id, int code) {
  if (id == ControlId::DisplayPanel) {
    // The second press of a double-click comes as a double-click of its own; it must not count
    // as a second click, which would skip a graph page or play the report page twice.
    if (code != STN_CLICKED) return;
    state_.panelClicked();
  } else {
    if (code != BN_CLICKED) return;
    switch (id) {
      case ControlId::OpenButton:
        open();
        break;
      case ControlId::SaveButton:
        save();
        break;
      case ControlId::AnalyzeButton:
        state_.analyze();
        break;
      case ControlId::GraphButton:
        state_.showGraph();
        break;
      case ControlId::InfoButton:
        state_.showInfo();
        break;
      case ControlId::ClearButton:
        state_.clearPanel();
        break;
      case ControlId::ExitButton:
        close();
        return;
      case ControlId::DefaultButton:
        state_.restoreDefaults();
        break;
      // Every click counts, also on the mode already checked.
      case ControlId::StillModeRadio:
        state_.selectStillMode();
        break;
      case ControlId::MovieModeRadio:
        state_.selectMovieMode();
        break;
      default:
        return;
    }
  }
  showState();
}

bool MainDialog::answerKey(const MSG& message) {
  if (message.message != WM_KEYDOWN) return false;
  switch (respondToKey(dialogKeyOf(message.wParam))) {
    case KeyResponse::Beep:
      Beep(KEY_BEEP_HERTZ, KEY_BEEP_MILLISECONDS);
      return true;
    case KeyResponse::CloseDialog:
      close();
      return true;
    case KeyResponse::Usual:
      return false;
  }
  return false;
}

void MainDialog::dropFiles(HDROP drop) {
  const UINT count = DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
  std::wstring first;
  if (count > 0) {
    first.resize(DragQueryFileW(drop, 0, nullptr, 0));
    DragQueryFileW(drop, 0, first.data(), static_cast<UINT>(first.size() + 1));
  }
  DragFinish(drop);
  const std::string path = toUtf8(first);
  if (!opensDroppedFile(static_cast<int>(count),
                        std::string_view(path).substr(fileNameOffset(path)))) {
    return;
  }
  state_.openGivenFile(path);
  showState();
}

bool MainDialog::takeTestAnswer(const COPYDATASTRUCT& data) {
  if (!fileDialogs_.takesTestAnswers() || data.dwData != ANSWER_NEXT_FILE_DIALOG) return false;
  fileDialogs_.answerNextWith(
      std::wstring(static_cast<const wchar_t*>(data.lpData), data.cbData / sizeof(wchar_t)));
  return true;
}

void MainDialog::open() {
  state_.beginOpen();
  showState();
  if (const std::optional<std::string> path =
          fileDialogs_.chooseOpenPath(dialog_, fileDialogFolder())) {
    state_.openFile(*path);
  }
}

void MainDialog::save() {
  state_.beginSave();
  showState();
  if (const std::optional<std::string> path =
          fileDialogs_.chooseSavePath(dialog_, fileDialogFolder(), state_.proposedSaveName())) {
    state_.saveTo(*path);
  }
}

std::filesystem::path MainDialog::fileDialogFolder() const {
  // Before any file was chosen: the working folder, then the user's own.
  std::error_code error;
  std::array<std::filesystem::path, 2> fallbacks{std::filesystem::current_path(error)};
  if (const wchar_t* profile = _wgetenv(L"USERPROFILE")) fallbacks[1] = profile;
  return state_.fileDialogFolder(fallbacks);
}

void MainDialog::close() { EndDialog(dialog_, 0); }

void MainDialog::showState() {
  enable(ControlId::SaveButton, state_.buttonEnabled(PassButton::Save));
  enable(ControlId::AnalyzeButton, state_.buttonEnabled(PassButton::Analyze));
  enable(ControlId::GraphButton, state_.buttonEnabled(PassButton::Graph));
  for (int i = 0; i < SPIN_COUNT; ++i) {
    const Spin spin = static_cast<Spin>(i);
    enable(SPIN_CONTROLS[i].spin, state_.spinEnabled(spin));
    SendMessageW(item(SPIN_CONTROLS[i].spin), UDM_SETPOS32, 0, state_.position(spin));
    SetDlgItemInt(dialog_, idOf(SPIN_CONTROLS[i].field), static_cast<UINT>(state_.position(spin)),
                  TRUE);
  }
  CheckRadioButton(
      dialog_, idOf(ControlId::StillModeRadio), idOf(ControlId::MovieModeRadio),
      idOf(state_.stillMode() ? ControlId::StillModeRadio : ControlId::MovieModeRadio));
  CheckDlgButton(dialog_, idOf(ControlId::LimitCheck),
                 state_.limitOn() ? BST_CHECKED : BST_UNCHECKED);
  SetDlgItemTextW(dialog_, idOf(ControlId::StatusField), toUtf16(state_.status()).c_str());
  std::wstring detail = toUtf16(state_.statusDetail());
  TOOLINFOW tool{};
  tool.cbSize = sizeof tool;
  tool.hwnd = dialog_;
  tool.uId = reinterpret_cast<UINT_PTR>(item(ControlId::StatusField));
  tool.lpszText = detail.data();
  SendMessageW(tooltip_, TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&tool));
  panel_->play(state_.takePanelOps());
}

void MainDialog::enable(ControlId id, bool enabled) {
  const HWND control = item(id);
  // A control that loses its use hands the focus on, so that the keyboard keeps working.
  if (!enabled && GetFocus() == control) SendMessageW(dialog_, WM_NEXTDLGCTL, 0, FALSE);
  EnableWindow(control, enabled);
}

HWND MainDialog::item(ControlId id) const { return GetDlgItem(dialog_, idOf(id)); }

}  // namespace zev
