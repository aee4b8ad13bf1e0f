#include "desktop/file_dialogs.h"

#include <QFile>
#include <QFileDialog>
#include <QFileInfo>

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
                                         QString& folder) {
  QFileDialog dialog(owner, QString::fromLatin1(setup.title), folder);
  dialog.setOption(QFileDialog::DontUseNativeDialog);
  dialog.setNameFilter(QString::fromLatin1(setup.filter));
  dialog.setDefaultSuffix(QString::fromLatin1(setup.defaultSuffix));
  dialog.setAcceptMode(setup.acceptMode);
  dialog.setFileMode(setup.fileMode);
  dialog.selectFile(setup.initialName);
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
  const QString chosen = dialog.selectedFiles().constFirst();
  folder = QFileInfo(chosen).absolutePath();
  return QFile::encodeName(chosen).toStdString();
}

}  // namespace

std::optional<std::string> QtFileDialogs::chooseOpenPath(QWidget* owner) {
  return runFileDialog(owner,
                       {OPEN_DIALOG_TITLE, OPEN_DIALOG_FILTER, "bvh", QStringLiteral("*.bvh"),
                        QFileDialog::AcceptOpen, QFileDialog::ExistingFile},
                       folder_);
}

std::optional<std::string> QtFileDialogs::chooseSavePath(QWidget* owner,
                                                         const std::string& proposedName) {
  return runFileDialog(
      owner,
      {SAVE_DIALOG_TITLE, SAVE_DIALOG_FILTER, "pz2", QFile::decodeName(proposedName.c_str()),
       QFileDialog::AcceptSave, QFileDialog::AnyFile},
      folder_);
}

}  // namespace zev
