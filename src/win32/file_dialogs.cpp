#include "win32/file_dialogs.h"

#include "dialog/dialog_template.h"
#include "win32/utf16.h"
#include "win32/windows_api.h"

namespace zev {

namespace {

// Room for the longest path Windows takes.
constexpr std::size_t PATH_ROOM = 32768;

// The filter as the dialogs take it: the name, the pattern, each ended by a zero, and a zero.
std::wstring filterOf(const FileDialogTexts& texts) {
  std::wstring filter = toUtf16(texts.filterName);
  filter += L'\0';
  filter += toUtf16(texts.pattern);
  filter += L'\0';
  return filter;
}

// What both dialogs share; file holds the name first proposed and takes the chosen path.
struct Request {
  Request(HWND owner, const FileDialogTexts& texts, const std::filesystem::path& folder,
          std::string_view name, DWORD flags)
      : title(toUtf16(texts.title)),
        filter(filterOf(texts)),
        extension(toUtf16(texts.defaultExtension)),
        startFolder(folder.wstring()),
        file(toUtf16(name)) {
    file.resize(PATH_ROOM, L'\0');
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = owner;
    dialog.lpstrFilter = filter.c_str();
    dialog.lpstrFile = file.data();
    dialog.nMaxFile = static_cast<DWORD>(file.size());
    dialog.lpstrInitialDir = startFolder.empty() ? nullptr : startFolder.c_str();
    dialog.lpstrTitle = title.c_str();
    dialog.lpstrDefExt = extension.c_str();
    // The working folder stays as it is: a motion given by a relative name is read again from
    // there.
    dialog.Flags = OFN_EXPLORER | OFN_HIDEREADONLY | OFN_PATHMUSTEXIST | OFN_NOCHANGEDIR | flags;
  }

  std::wstring title;
  std::wstring filter;
  std::wstring extension;
  std::wstring startFolder;
  std::wstring file;
  OPENFILENAMEW dialog{};
};

}  // namespace

std::optional<std::string> FileDialogs::chooseOpenPath(HWND owner,
                                                       const std::filesystem::path& folder) {
  Request request(owner, OPEN_DIALOG_TEXTS, folder, OPEN_DIALOG_TEXTS.initialName,
                  OFN_FILEMUSTEXIST);
  if (!GetOpenFileNameW(&request.dialog)) return std::nullopt;
  return toUtf8(request.dialog.lpstrFile);
}

std::optional<std::string> FileDialogs::chooseSavePath(HWND owner,
                                                       const std::filesystem::path& folder,
                                                       std::string_view proposedName) {
  Request request(owner, SAVE_DIALOG_TEXTS, folder, proposedName, OFN_OVERWRITEPROMPT);
  if (!GetSaveFileNameW(&request.dialog)) return std::nullopt;
  return toUtf8(request.dialog.lpstrFile);
}

}  // namespace zev
