#include "win32/main_dialog.h"

#include <array>
#include <cstdlib>
#include <string_view>
#include <utility>

#include "analysis/effect_parameters.h"
#include "files/file_system.h"
#include "win32/resource_ids.h"
#include "win32/utf16.h"
#include "win32/windows_api.h"

namespace zev {

namespace {

// The first timer event draws the about page, as soon as the dialog is up.
constexpr UINT_PTR START_TIMER = 1;
// The window property under which the dialog's window knows its MainDialog.
constexpr const wchar_t* DIALOG_PROPERTY = L"zev.MainDialog";

int idOf(ControlId id) { return static_cast<int>(id); }

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
      const std::optional<Spin> spin = spinOf(static_cast<ControlId>(notice.idFrom));
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
  // Only a click presses, also on the radio button already checked. The second press of a
  // double-click on the panel comes as a double-click of its own; it must not count as a second
  // click, which would skip a graph page or play the report page twice.
  if (code != (id == ControlId::DisplayPanel ? STN_CLICKED : BN_CLICKED)) return;
  perform(state_.press(id));
}

bool MainDialog::answerKey(const MSG& message) {
  if (message.message != WM_KEYDOWN) return false;
  const std::optional<ShellAction> action = respondToKey(dialogKeyOf(message.wParam));
  if (!action) return false;
  perform(*action);
  return true;
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

void MainDialog::perform(ShellAction action) {
  switch (action) {
    case ShellAction::None:
      break;
    case ShellAction::ChooseFileToOpen:
      // The cleared panel shows while the file dialog is up.
      showState();
      if (const std::optional<std::string> path =
              fileDialogs_.chooseOpenPath(dialog_, fileDialogFolder())) {
        state_.openFile(*path);
      }
      break;
    case ShellAction::ChooseFileToSave:
      showState();
      if (const std::optional<std::string> path =
              fileDialogs_.chooseSavePath(dialog_, fileDialogFolder(), state_.proposedSaveName())) {
        state_.saveTo(*path);
      }
      break;
    case ShellAction::CloseDialog:
      close();
      return;
    case ShellAction::Beep:
      Beep(KEY_BEEP_HERTZ, KEY_BEEP_MILLISECONDS);
      break;
  }
  showState();
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
  for (const ControlTemplate& row : MAIN_DIALOG_CONTROLS) {
    if (row.id == ControlId::None) continue;
    switch (row.kind) {
      case ControlKind::PushButton:
        enable(row.id, state_.enabled(row.id));
        break;
      case ControlKind::RadioButton:
      case ControlKind::CheckBox:
        enable(row.id, state_.enabled(row.id));
        CheckDlgButton(dialog_, idOf(row.id), state_.checked(row.id) ? BST_CHECKED : BST_UNCHECKED);
        break;
      case ControlKind::Spin:
        enable(row.id, state_.enabled(row.id));
        SendMessageW(item(row.id), UDM_SETPOS32, 0, state_.position(*spinOf(row.id)));
        break;
      case ControlKind::NumberField:
        // Always usable, so that its number reads as black; only its spin follows the mode.
        SetDlgItemInt(dialog_, idOf(row.id), static_cast<UINT>(state_.position(*spinOf(row.id))),
                      TRUE);
        break;
      case ControlKind::StatusField:
        showStatus(row.id);
        break;
      case ControlKind::DisplayPanel:
        panel_->play(state_.takePanelOps());
        break;
      case ControlKind::Label:
      case ControlKind::GroupFrame:
        break;
    }
  }
}

void MainDialog::showStatus(ControlId field) {
  SetDlgItemTextW(dialog_, idOf(field), toUtf16(state_.status()).c_str());
  std::wstring detail = toUtf16(state_.statusDetail());
  TOOLINFOW tool{};
  tool.cbSize = sizeof tool;
  tool.hwnd = dialog_;
  tool.uId = reinterpret_cast<UINT_PTR>(item(field));
  tool.lpszText = detail.data();
  SendMessageW(tooltip_, TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&tool));
}

void MainDialog::enable(ControlId id, bool enabled) {
  const HWND control = item(id);
  // A control that loses its use hands the focus on, so that the keyboard keeps working.
  if (!enabled && GetFocus() == control) SendMessageW(dialog_, WM_NEXTDLGCTL, 0, FALSE);
  EnableWindow(control, enabled);
}

HWND MainDialog::item(ControlId id) const { return GetDlgItem(dialog_, idOf(id)); }

}  // namespace zev
