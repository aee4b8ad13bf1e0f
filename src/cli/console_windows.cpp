#include "cli/console_windows.h"

#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <string_view>

#include "files/file_system.h"

namespace zev {

namespace {

std::string utf8Of(std::wstring_view text) {
  if (text.empty()) return {};
  const int length = static_cast<int>(text.size());
  const int size =
      WideCharToMultiByte(CP_UTF8, 0, text.data(), length, nullptr, 0, nullptr, nullptr);
  std::string utf8(static_cast<std::size_t>(size), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.data(), length, utf8.data(), size, nullptr, nullptr);
  return utf8;
}

std::wstring utf16Of(std::string_view text) {
  if (text.empty()) return {};
  const int length = static_cast<int>(text.size());
  const int size = MultiByteToWideChar(CP_UTF8, 0, text.data(), length, nullptr, 0);
  std::wstring utf16(static_cast<std::size_t>(size), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, text.data(), length, utf16.data(), size);
  return utf16;
}

// The console the stream shows on, if it goes to one.
void* consoleOf(std::FILE* stream) {
  const auto handle = reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(stream)));
  DWORD mode = 0;
  return handle != INVALID_HANDLE_VALUE && GetConsoleMode(handle, &mode) ? handle : nullptr;
}

bool writeToConsole(void* console, std::string_view text) {
  const std::wstring utf16 = utf16Of(text);
  std::size_t done = 0;
  while (done < utf16.size()) {
    DWORD written = 0;
    if (!WriteConsoleW(console, utf16.data() + done, static_cast<DWORD>(utf16.size() - done),
                       &written, nullptr) ||
        written == 0) {
      return false;
    }
    done += written;
  }
  return true;
}

// A pipe whose reader has gone: the C library calls that "Invalid argument", and keeps Windows'
// own reason beside it (wine's is "not connected").
bool readerGone() {
  return _doserrno == ERROR_NO_DATA || _doserrno == ERROR_BROKEN_PIPE ||
         _doserrno == ERROR_PIPE_NOT_CONNECTED;
}

}  // namespace

std::vector<std::string> namesMatching(const std::string& name) {
  const std::size_t fileName = fileNameOffset(name);
  if (name.find_first_of("*?", fileName) == std::string::npos) return {name};
  std::vector<std::string> matches;
  WIN32_FIND_DATAW found;
  const HANDLE search = FindFirstFileExW(utf16Of(name).c_str(), FindExInfoBasic, &found,
                                         FindExSearchNameMatch, nullptr, 0);
  if (search == INVALID_HANDLE_VALUE) return {name};
  do {
    const std::wstring_view match = found.cFileName;
    if (match != L"." && match != L"..") {
      matches.push_back(name.substr(0, fileName) + utf8Of(match));
    }
  } while (FindNextFileW(search, &found));
  FindClose(search);
  if (matches.empty()) return {name};
  std::sort(matches.begin(), matches.end());
  return matches;
}

std::vector<std::string> utf8Arguments(int argc, const wchar_t* const* argv) {
  std::vector<std::string> arguments;
  arguments.reserve(static_cast<std::size_t>(argc));
  for (int i = 0; i < argc; ++i) arguments.push_back(utf8Of(argv[i]));
  return arguments;
}

StandardStreamBuffer::StandardStreamBuffer(std::FILE* stream)
    : stream_(stream), console_(consoleOf(stream)) {
  _setmode(_fileno(stream), _O_BINARY);
}

StandardStreamBuffer::int_type StandardStreamBuffer::overflow(int_type character) {
  if (!traits_type::eq_int_type(character, traits_type::eof())) {
    pending_.push_back(traits_type::to_char_type(character));
  }
  return traits_type::not_eof(character);
}

std::streamsize StandardStreamBuffer::xsputn(const char* text, std::streamsize count) {
  pending_.append(text, static_cast<std::size_t>(count));
  return count;
}

int StandardStreamBuffer::sync() {
  bool written = false;
  if (console_ != nullptr) {
    written = writeToConsole(console_, pending_);
  } else {
    written = std::fwrite(pending_.data(), 1, pending_.size(), stream_) == pending_.size() &&
              std::fflush(stream_) == 0;
    if (!written && readerGone()) errno = EPIPE;
  }
  pending_.clear();
  return written ? 0 : -1;
}

}  // namespace zev
