#include "desktop/file_dialogs.h"

#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>

namespace zev {
namespace {

struct FileDialogSetup {
  const char* title;
  const char* filter;
  // Added to a name typed without an extension; null where the caller adds it itself.
  const char* defaultSuffix;
  QFileDialog::AcceptMode acceptMode;
  QFileDialog::FileMode fileMode;
};

// The platform's own dialog where it offers one (Qt asks the desktop's portal or theme), Qt's
// dialog otherwise.
std::optional<QString> runFileDialog(QWidget* owner, const FileDialogSetup& setup,
                                     const QString& startFolder, const QString& initialName) {
  QFileDialog dialog(owner, QString::fromLatin1(setup.title), startFolder);
  dialog.setNameFilter(QString::fromLatin1(setup.filter));
  if (setup.defaultSuffix != nullptr) {
    dialog.setDefaultSuffix(QString::fromLatin1(setup.defaultSuffix));
  }
  dialog.setAcceptMode(setup.acceptMode);
  dialog.setFileMode(setup.fileMode);
  dialog.selectFile(initialName);
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
  return dialog.selectedFiles().constFirst();
}

// Paths go to the core as the file system spells them, not as Unicode text.
std::string toPath(const QString& path) { return QFile::encodeName(path).toStdString(); }

bool confirmOverwrite(QWidget* owner, const QString& path) {
  return QMessageBox::question(owner, QString::fromLatin1(SAVE_DIALOG_TITLE),
                               QFileDialog::tr("%1 already exists.\nDo you want to replace it?")
                                   .arg(QFileInfo(path).fileName()),
                               QMessageBox::Yes | QMessageBox::No,
                               QMessageBox::No) == QMessageBox::Yes;
}

}  // namespace

std::optional<std::string> QtFileDialogs::chooseOpenPath(QWidget* owner,
                                                         const std::filesystem::path& startFolder) {
  const std::optional<QString> chosen =
      runFileDialog(owner,
                    {OPEN_DIALOG_TITLE, OPEN_DIALOG_FILTER, "bvh", QFileDialog::AcceptOpen,
                     QFileDialog::ExistingFile},
                    QFile::decodeName(startFolder.c_str()), QStringLiteral("*.bvh"));
  if (!chosen) return std::nullopt;
  return toPath(*chosen);
}

std::optional<std::string> QtFileDialogs::chooseSavePath(QWidget* owner,
                                                         const std::filesystem::path& startFolder,
                                                         const std::string& proposedName) {
  // A platform's dialog asks about replacing the name the user typed, before Qt would add the
  // extension; so the extension is added here, and the question about that file asked here.
  QString folder = QFile::decodeName(startFolder.c_str());
  QString name = QFile::decodeName(proposedName.c_str());
  for (;;) {
    const std::optional<QString> chosen =
        runFileDialog(owner,
                      {SAVE_DIALOG_TITLE, SAVE_DIALOG_FILTER, nullptr, QFileDialog::AcceptSave,
                       QFileDialog::AnyFile},
                      folder, name);
    if (!chosen) return std::nullopt;
    if (!QFileInfo(*chosen).suffix().isEmpty()) return toPath(*chosen);
    const QFileInfo withExtension(*chosen + QStringLiteral(".pz2"));
    if (!withExtension.exists() || confirmOverwrite(owner, withExtension.filePath())) {
      return toPath(withExtension.filePath());
    }
    // Not to be replaced: the dialog again where the user was, to choose another name.
    folder = withExtension.absolutePath();
    name = withExtension.fileName();
  }
}

}  // namespace zev
