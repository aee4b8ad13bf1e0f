#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>
#include <windows.h>

#include <cerrno>
#include <cstring>
#include <string>

#include "files/file_system.h"

// The Windows implementation: files opened by their UTF-16 names, reasons in the words the C
// library uses on every system.

namespace zev {

namespace fs = std::filesystem;

namespace {

// Another program may hold a file for a moment: a virus scanner, an indexer, or another save that
// replaces it. Windows then refuses with a sharing violation or access denied, and a later try
// succeeds, as version-control tools found. About a second, in ten tries.
constexpr int HOLD_TRIES = 10;
constexpr DWORD HOLD_PAUSE_MS = 110;

bool heldByAnother(DWORD code) {
  return code == ERROR_SHARING_VIOLATION || code == ERROR_LOCK_VIOLATION ||
         code == ERROR_ACCESS_DENIED;
}

// Runs attempt, which gives ERROR_SUCCESS or the reason it failed, until it succeeds, fails for
// another reason, or the file stays held; then the last reason.
template <typename Attempt>
DWORD retriedWhileHeld(Attempt attempt) {
  for (int tries = 1;; ++tries) {
    const DWORD code = attempt();
    if (!heldByAnother(code) || tries == HOLD_TRIES) return code;
    Sleep(HOLD_PAUSE_MS);
  }
}

// A reason Windows gives, as the C library's error number where there is one, so that a message
// reads as it does on other systems.
std::error_code windowsError(DWORD code) {
  const std::error_code error(static_cast<int>(code), std::system_category());
  const std::error_condition condition = error.default_error_condition();
  if (condition.category() == std::generic_category()) {
    return {condition.value(), std::generic_category()};
  }
  return error;
}

// A file still held after the tries: the other program's hold, in plain words. Access denied
// stays what it says, since the file's or the folder's rights may deny it for good.
std::error_code heldFileError(DWORD code) {
  if (code == ERROR_SHARING_VIOLATION || code == ERROR_LOCK_VIOLATION) return FileProblem::inUse;
  return windowsError(code);
}

// Text in capitals, as NTFS compares names (through a table of capitals, which the invariant
// locale's gives for every name a user types).
std::wstring inCapitals(std::wstring text) {
  if (text.empty()) return text;
  std::wstring capitals(text.size(), L'\0');
  const int length = static_cast<int>(text.size());
  if (LCMapStringW(LOCALE_INVARIANT, LCMAP_UPPERCASE, text.data(), length, capitals.data(),
                   length) == length) {
    return capitals;
  }
  return text;
}

std::wstring upperCaseName(const fs::path& path) { return inCapitals(path.filename().wstring()); }

}  // namespace

std::filesystem::path pathFromUtf8(std::string_view name) {
  return std::u8string_view(reinterpret_cast<const char8_t*>(name.data()), name.size());
}

fs::path nameAsCompared(const fs::path& path) { return inCapitals(path.wstring()); }

std::size_t fileNameOffset(std::string_view path) {
  const std::size_t separator = path.find_last_of("/\\:");
  return separator == std::string_view::npos ? 0 : separator + 1;
}

std::FILE* openFile(const std::filesystem::path& path, const char* mode) {
  const std::wstring wideMode(mode, mode + std::strlen(mode));
  return _wfopen(path.c_str(), wideMode.c_str());
}

// The C library ignores fopen's "x" and would empty a file that is there; CREATE_NEW does not.
// Others may delete the file while it is open, so that a stopped run can remove the temporary
// file that a save is still writing.
std::FILE* createNewFile(const std::filesystem::path& path) {
  const HANDLE handle = CreateFileW(path.c_str(), GENERIC_WRITE,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                    CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle == INVALID_HANDLE_VALUE) {
    const std::error_code reason = windowsError(GetLastError());
    errno = reason.category() == std::generic_category() ? reason.value() : EIO;
    return nullptr;
  }
  const int descriptor = _open_osfhandle(reinterpret_cast<intptr_t>(handle), _O_WRONLY | _O_BINARY);
  if (descriptor < 0) {
    CloseHandle(handle);
    return nullptr;
  }
  std::FILE* file = _fdopen(descriptor, "wb");
  if (file == nullptr) {
    const int reason = errno;
    _close(descriptor);
    errno = reason;
  }
  return file;
}

std::FILE* openDescriptor(int descriptor) {
  const int duplicate = _dup(descriptor);
  if (duplicate < 0) return nullptr;
  std::FILE* file = _fdopen(duplicate, "wb");
  if (file == nullptr) {
    const int reason = errno;
    _close(duplicate);
    errno = reason;
  }
  return file;
}

std::error_code lastSystemError() { return {errno, std::generic_category()}; }

// A read-only file keeps its content whoever asks. Wine, run by the system's administrator, would
// open it for writing and let the save replace it; Windows itself refuses both. Opened for
// writing, as a save would, and closed at once: nothing changes.
std::error_code writeAccess(const std::filesystem::path& path) {
  const DWORD attributes = GetFileAttributesW(path.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) != 0) {
    return FileProblem::readOnly;
  }
  const DWORD code = retriedWhileHeld([&path] {
    const HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return GetLastError();
    CloseHandle(file);
    return DWORD{ERROR_SUCCESS};
  });
  return code == ERROR_SUCCESS ? std::error_code() : heldFileError(code);
}

// Windows has its devices in every folder: NUL, nul and \\.\NUL are one.
bool isNullDevice(const fs::path& path) { return upperCaseName(path) == L"NUL"; }

// The console: what standard output is in a console window.
std::optional<int> ownStreamOf(const fs::path& path) {
  const std::wstring name = upperCaseName(path);
  if (name == L"CON" || name == L"CONOUT$") return 1;
  return std::nullopt;
}

// The volume and the file's index on it; the C library's stat gives every file the number 0.
std::optional<FileIdentity> fileIdentity(const std::filesystem::path& path) {
  // Opened for no access, which every file grants; a folder needs the backup flag to be opened.
  const HANDLE file =
      CreateFileW(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                  OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (file == INVALID_HANDLE_VALUE) return std::nullopt;
  BY_HANDLE_FILE_INFORMATION information;
  const bool known = GetFileInformationByHandle(file, &information) != 0;
  CloseHandle(file);
  if (!known) return std::nullopt;
  return FileIdentity{
      information.dwVolumeSerialNumber,
      (std::uintmax_t{information.nFileIndexHigh} << 32) | information.nFileIndexLow};
}

std::uintmax_t linkCount(const fs::path& path) {
  const HANDLE file =
      CreateFileW(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                  OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (file == INVALID_HANDLE_VALUE) return 1;
  BY_HANDLE_FILE_INFORMATION information;
  const bool known = GetFileInformationByHandle(file, &information) != 0;
  CloseHandle(file);
  return known ? information.nNumberOfLinks : 1;
}

// A new file takes its folder's access rules, as one that any program saves there; a read-only
// file, the one mode of its own a file has here, is never replaced.
void takeOwnerAndMode(std::FILE*, const fs::path&) {}

std::error_code flushToDisk(std::FILE* file) {
  if (std::fflush(file) != 0) return lastSystemError();
  if (!FlushFileBuffers(reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(file))))) {
    return windowsError(GetLastError());
  }
  return {};
}

// The move that put a file in place went to the disk with its folder (MOVEFILE_WRITE_THROUGH).
std::error_code flushFolderToDisk(const fs::path&) { return {}; }

// std::rename fails on Windows whenever `to` exists. The move is on the disk when this returns.
std::error_code replaceFile(const std::filesystem::path& from, const std::filesystem::path& to) {
  const DWORD code = retriedWhileHeld([&] {
    return MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)
               ? DWORD{ERROR_SUCCESS}
               : GetLastError();
  });
  return code == ERROR_SUCCESS ? std::error_code() : heldFileError(code);
}

// In text mode the C library would put a carriage return before every line feed.
void prepareStandardOutput() { _setmode(_fileno(stdout), _O_BINARY); }

}  // namespace zev
