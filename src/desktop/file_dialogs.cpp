#include "desktop/file_dialogs.h"

#include <QFile>
#include <QFileDialog>

namespace zev {
namespace {

struct FileDialogSetup {
  const char* title;
  const char* filter;
  const char* defaultSuffix;
  QString initialName;
  QFileDialog::AcceptMode acceptMode;
  QFileDialog::FileMode fileMode;
};

// Paths go to the core as the file system spells them, not as Unicode text.
std::optional<std::string> runFileDialog(QWidget* owner, const FileDialogSetup& setup,
                                         const std::filesystem::path& startFolder) {
  QFileDialog dialog(owner, QString::fromLatin1(setup.title),
                     QFile::decodeName(startFolder.c_str()));
  dialog.setOption(QFileDialog::DontUseNativeDialog);
  dialog.setNameFilter(QString::fromLatin1(setup.filter));
  dialog.setDefaultSuffix(QString::fromLatin1(setup.defaultSuffix));
  dialog.setAcceptMode(setup.acceptMode);
  dialog.setFileMode(setup.fileMode);
  dialog.selectFile(setup.initialName);
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
  return QFile::encodeName(dialog.selectedFiles().constFirst()).toStdString();
}

}  // namespace

std::optional<std::string> QtFileDialogs::chooseOpenPath(QWidget* owner,
                                                         const std::filesystem::path& startFolder) {
  return runFileDialog(owner,
                       {OPEN_DIALOG_TITLE, OPEN_DIALOG_FILTER, "bvh", QStringLiteral("*.bvh"),
                        QFileDialog::AcceptOpen, QFileDialog::ExistingFile},
                       startFolder);
}

std::optional<std::string> QtFileDialogs::chooseSavePath(QWidget* owner,
                                                         const std::filesystem::path& startFolder,
                                                         const std::string& proposedName) {
  return runFileDialog(
      owner,
      {SAVE_DIALOG_TITLE, SAVE_DIALOG_FILTER, "pz2", QFile::decodeName(proposedName.c_str()),
       QFileDialog::AcceptSave, QFileDialog::AnyFile},
      startFolder);
}

}  // namespace zev
