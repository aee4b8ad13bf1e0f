#include "web/page_session.h"

#include <array>
#include <cstdio>
#include <optional>
#include <string>
#include <system_error>

#include "common/text_sink.h"
#include "files/file_system.h"
#include "pages/panel_state.h"
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

// The graph pages come before the report page among the pages' names.
constexpr int GRAPH_PAGE_COUNT = static_cast<int>(PAGE_PICTURE_NAMES.size()) - 1;
constexpr std::string_view REPORT_PAGE_NAME = PAGE_PICTURE_NAMES[GRAPH_PAGE_COUNT];

// The graph page drawn last: the one before the page the panel draws next.
std::string_view graphPageShown(const PanelState& panel) {
  return PAGE_PICTURE_NAMES[(panel.graphPage + GRAPH_PAGE_COUNT - 1) % GRAPH_PAGE_COUNT];
}

}  // namespace

PageSession::PageSession(std::filesystem::path folder) : folder_(std::move(folder)) {
  // A folder that cannot be made shows when the first file cannot be kept in it.
  std::error_code ignored;
  std::filesystem::create_directories(folder_, ignored);
}

PageSession::~PageSession() = default;

ShellAction PageSession::press(ControlId id) {
  if (!dialog_.enabled(id)) return ShellAction::None;
  const PanelMode clickShows = dialog_.panel().panelMode;
  const ShellAction action = dialog_.press(id);
  switch (id) {
    case ControlId::OpenButton:
    case ControlId::ClearButton:
      shownPage_ = BLANK_PAGE_NAME;
      break;
    case ControlId::SaveButton:
      // The dialog clears the panel that its save dialog would cover; a download covers nothing.
      dialog_.takePanelOps();
      break;
    case ControlId::AnalyzeButton:
      passDone();
      break;
    case ControlId::GraphButton:
      shownPage_ = graphPageShown(dialog_.panel());
      break;
    case ControlId::InfoButton:
      shownPage_ = REPORT_PAGE_NAME;
      break;
    case ControlId::DisplayPanel:
      if (clickShows == PanelMode::Graph) shownPage_ = graphPageShown(dialog_.panel());
      if (clickShows == PanelMode::Report) shownPage_ = REPORT_PAGE_NAME;
      break;
    default:
      break;
  }
  return action;
}

void PageSession::dialogIsUp() {
  dialog_.dialogIsUp(std::nullopt);
  shownPage_ = ABOUT_PAGE_NAME;
}

void PageSession::beginOpen() {
  dialog_.beginOpen();
  shownPage_ = BLANK_PAGE_NAME;
}

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
  passDone();
}

void PageSession::openUnreadable(std::string_view name, std::string_view reason) {
  dialog_.openUnreadable((folder_ / std::filesystem::path(name).filename()).string(), reason);
  passSummary_.clear();
}

bool PageSession::setSpin(Spin spin, int value) {
  const ParameterRange& range = PARAMETER_TABLE[static_cast<int>(spin)].range;
  if (value < range.minimum || value > range.maximum || !dialog_.spinEnabled(spin)) return false;
  // Towards value without passing either end, so no step wraps around.
  while (dialog_.position(spin) != value) dialog_.stepSpin(spin, value > dialog_.position(spin));
  return true;
}

void PageSession::passDone() {
  // Every failure of the pass shows a message of the reader's; one that worked ends with
  // "COMPLETE..." in still mode and with nothing in movie mode.
  const std::string& status = dialog_.status();
  if (status != COMPLETE_MESSAGE && !status.empty()) {
    passSummary_.clear();
    return;
  }
  passSummary_ = std::to_string(dialog_.store().motion.frameCount) + " frames analysed, " +
                 (dialog_.stillMode() ? "still mode" : "movie mode");
  // The dialog's pages go on from where they were; the page starts them at Chest. The pages
  // before it are drawn and dropped, and the Chest page covers the pass's black panel.
  while (dialog_.panel().graphPage != 0) dialog_.showGraph();
  dialog_.takePanelOps();
  dialog_.showGraph();
  shownPage_ = graphPageShown(dialog_.panel());
}

std::string PageSession::detail() const {
  const std::string& dialogDetail = dialog_.statusDetail();
  if (passSummary_.empty()) return dialogDetail;
  return dialogDetail.empty() ? passSummary_ : passSummary_ + "; " + dialogDetail;
}

bool PageSession::showsEmptyState() const {
  return dialog_.bvhFilePath().empty() &&
         (shownPage_ == ABOUT_PAGE_NAME || shownPage_ == BLANK_PAGE_NAME);
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
  const std::string& path = dialog_.bvhFilePath();
  const std::string fileName = path.substr(fileNameOffset(path));
  const DownloadNames names{dialog_.proposedSaveName(), title + "-signals.csv",
                            title + "-" + std::string(shownPage_) + ".png"};
  return dialogStateJson(
      dialog_, {detail(), fileName, shownPage_, showsEmptyState(), names, MAX_PAGE_FILE_BYTES});
}

std::string PageSession::takePanelOpsJson() { return panelOpsJson(dialog_.takePanelOps()); }

}  // namespace zev
