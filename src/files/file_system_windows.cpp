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

namespace {

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

}  // namespace

std::filesystem::path pathFromUtf8(std::string_view name) {
  return std::u8string_view(reinterpret_cast<const char8_t*>(name.data()), name.size());
}

std::size_t fileNameOffset(std::string_view path) {
  const std::size_t separator = path.find_last_of("/\\:");
  return separator == std::string_view::npos ? 0 : separator + 1;
}

std::FILE* openFile(const std::filesystem::path& path, const char* mode) {
  const std::wstring wideMode(mode, mode + std::strlen(mode));
  return _wfopen(path.c_str(), wideMode.c_str());
}

// The C library ignores fopen's "x" and would empty a file that is there; _O_EXCL does not.
std::FILE* createNewFile(const std::filesystem::path& path) {
  const int descriptor =
      _wopen(path.c_str(), _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY, _S_IREAD | _S_IWRITE);
  if (descriptor < 0) return nullptr;
  std::FILE* file = _fdopen(descriptor, "wb");
  if (file == nullptr) {
    const int reason = errno;
    _close(descriptor);
    errno = reason;
  }
  return file;
}

std::error_code lastSystemError() { return {errno, std::generic_category()}; }

// A read-only file keeps its content whoever asks. Wine, run by the system's administrator, would
// open it for writing and let the save replace it; Windows itself refuses both.
std::error_code writeAccess(const std::filesystem::path& path) {
  const DWORD attributes = GetFileAttributesW(path.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) != 0) {
    return std::make_error_code(std::errc::permission_denied);
  }
  std::FILE* probe = openFile(path, "ab");
  if (probe == nullptr) return lastSystemError();
  std::fclose(probe);
  return {};
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

// std::rename fails on Windows whenever `to` exists. The move is on the disk when this returns.
std::error_code replaceFile(const std::filesystem::path& from, const std::filesystem::path& to) {
  if (MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    return {};
  }
  return windowsError(GetLastError());
}

// In text mode the C library would put a carriage return before every line feed.
void prepareStandardOutput() { _setmode(_fileno(stdout), _O_BINARY); }

}  // namespace zev
