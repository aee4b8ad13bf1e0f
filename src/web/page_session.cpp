#include "web/page_session.h"

#include <array>
#include <cstdio>
#include <system_error>

#include "common/text_sink.h"
#include "files/file_system.h"
#include "pz2/pz2_writer.h"
#include "pz2/signals_csv.h"
#include "web/page_json.h"

namespace zev {

namespace {

// Writes bytes to a new file at path; the system's reason when it could not, and then no file.
std::error_code writeBytes(const std::filesystem::path& path, std::string_view bytes) {
  std::FILE* file = openFile(path, "wb");
  if (file == nullptr) return lastSystemError();
  FileSink sink(file);
  sink.write(bytes);
  std::error_code error = sink.error();
  if (std::fclose(file) != 0 && !error) error = lastSystemError();
  if (error) {
    std::error_code ignored;
    std::filesystem::remove(path, ignored);
  }
  return error;
}

}  // namespace

PageSession::PageSession(std::filesystem::path folder) : folder_(std::move(folder)) {
  // A folder that cannot be made shows when the first file cannot be kept in it.
  std::error_code ignored;
  std::filesystem::create_directories(folder_, ignored);
}

PageSession::~PageSession() = default;

bool PageSession::admitsFile(std::string_view name, double size) {
  if (!(size > static_cast<double>(MAX_PAGE_FILE_BYTES))) return true;
  constexpr double MEGABYTE = 1 << 20;
  std::array<char, 96> sizes{};
  std::snprintf(sizes.data(), sizes.size(), ": %.1f MB, more than the %.0f MB the page reads",
                size / MEGABYTE, static_cast<double>(MAX_PAGE_FILE_BYTES) / MEGABYTE);
  openUnreadable(name, std::string(name) + sizes.data());
  return false;
}

void PageSession::openFile(std::string_view name, std::string_view bytes) {
  // Only the file opened last is kept: the page's memory holds nothing it no longer needs.
  if (!keptFile_.empty()) {
    std::error_code ignored;
    std::filesystem::remove(keptFile_, ignored);
    keptFile_.clear();
  }
  const std::filesystem::path path = folder_ / std::filesystem::path(name).filename();
  if (const std::error_code error = writeBytes(path, bytes)) {
    openUnreadable(name, std::string(name) + ": " + error.message());
    return;
  }
  keptFile_ = path;
  dialog_.openFile(path.string());
}

void PageSession::openUnreadable(std::string_view name, std::string_view reason) {
  dialog_.openUnreadable((folder_ / std::filesystem::path(name).filename()).string(), reason);
}

std::string PageSession::poseFile() const {
  std::string text;
  StringSink sink(text);
  writePz2File(sink, dialog_.store());
  return text;
}

std::string PageSession::signalsCsv() const {
  std::string text;
  StringSink sink(text);
  writeSignalsCsv(sink, dialog_.store());
  return text;
}

std::string PageSession::stateJson() const {
  // Before any file is opened the title is a placeholder, not a name for a file.
  const std::string title = dialog_.bvhFilePath().empty() ? "zev" : dialog_.bvhFileTitle();
  return dialogStateJson(dialog_,
                         {dialog_.proposedSaveName(), title + "-signals.csv", title + "-page.png"},
                         MAX_PAGE_FILE_BYTES);
}

std::string PageSession::takePanelOpsJson() { return panelOpsJson(dialog_.takePanelOps()); }

}  // namespace zev
