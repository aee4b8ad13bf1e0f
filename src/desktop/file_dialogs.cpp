#include "desktop/file_dialogs.h"

#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>

#include "dialog/dialog_template.h"

namespace zev {
namespace {

QString fromLatin1(std::string_view text) {
  return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

struct FileDialogSetup {
  const FileDialogTexts& texts;
  // Whether a name typed without an extension gets the default one; not where the caller adds it
  // itself.
  bool addsExtension;
  QFileDialog::AcceptMode acceptMode;
  QFileDialog::FileMode fileMode;
};

// The platform's own dialog where it offers one (Qt asks the desktop's portal or theme), Qt's
// dialog otherwise.
std::optional<QString> runFileDialog(QWidget* owner, const FileDialogSetup& setup,
                                     const QString& startFolder, const QString& initialName) {
  QFileDialog dialog(owner, fromLatin1(setup.texts.title), startFolder);
  // Qt takes the pattern from the parentheses of the filter's name.
  dialog.setNameFilter(fromLatin1(setup.texts.filterName));
  if (setup.addsExtension) dialog.setDefaultSuffix(fromLatin1(setup.texts.defaultExtension));
  dialog.setAcceptMode(setup.acceptMode);
  dialog.setFileMode(setup.fileMode);
  dialog.selectFile(initialName);
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
  return dialog.selectedFiles().constFirst();
}

// Paths go to the core as the file system spells them, not as Unicode text.
std::optional<std::string> toPath(const std::optional<QString>& path) {
  if (!path) return std::nullopt;
  return QFile::encodeName(*path).toStdString();
}

bool confirmOverwrite(QWidget* owner, const QString& path) {
  return QMessageBox::question(owner, fromLatin1(SAVE_DIALOG_TEXTS.title),
                               QFileDialog::tr("%1 already exists.\nDo you want to replace it?")
                                   .arg(QFileInfo(path).fileName()),
                               QMessageBox::Yes | QMessageBox::No,
                               QMessageBox::No) == QMessageBox::Yes;
}

}  // namespace

std::optional<std::string> QtFileDialogs::chooseOpenPath(QWidget* owner,
                                                         const std::filesystem::path& startFolder) {
  return toPath(runFileDialog(
      owner, {OPEN_DIALOG_TEXTS, true, QFileDialog::AcceptOpen, QFileDialog::ExistingFile},
      QFile::decodeName(startFolder.c_str()), fromLatin1(OPEN_DIALOG_TEXTS.initialName)));
}

std::optional<std::string> QtFileDialogs::chooseSavePath(QWidget* owner,
                                                         const std::filesystem::path& startFolder,
                                                         const std::string& proposedName) {
  return toPath(choosePoseFilePath(
      QFile::decodeName(startFolder.c_str()), QFile::decodeName(proposedName.c_str()),
      [owner](const QString& folder, const QString& name) {
        return runFileDialog(
            owner, {SAVE_DIALOG_TEXTS, false, QFileDialog::AcceptSave, QFileDialog::AnyFile},
            folder, name);
      },
      [owner](const QString& path) { return confirmOverwrite(owner, path); }));
}

std::optional<QString> choosePoseFilePath(QString folder, QString name,
                                          const AskForName& askForName,
                                          const AskToReplace& askToReplace) {
  for (;;) {
    const std::optional<QString> chosen = askForName(folder, name);
    if (!chosen || !QFileInfo(*chosen).suffix().isEmpty()) return chosen;
    const QFileInfo withExtension(*chosen + QStringLiteral(".pz2"));
    if (!withExtension.exists() || askToReplace(withExtension.filePath())) {
      return withExtension.filePath();
    }
    folder = withExtension.absolutePath();
    name = withExtension.fileName();
  }
}

}  // namespace zev
