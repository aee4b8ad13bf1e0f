#pragma once

#include <QString>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>

class QWidget;

// How the main dialog asks the user for a file: the open dialog for the motion and the save dialog
// for the pose file. The dialog reaches them through this interface so that tests can answer in
// place of the user.

namespace zev {

class FileDialogs {
 public:
  virtual ~FileDialogs() = default;
  // The full path of an existing motion file, or nothing when the user cancels. The dialog starts
  // in startFolder.
  virtual std::optional<std::string> chooseOpenPath(QWidget* owner,
                                                    const std::filesystem::path& startFolder) = 0;
  // The full path to write the pose file to, proposing proposedName in startFolder; an existing
  // file only after the user confirmed overwriting it. Nothing when the user cancels.
  virtual std::optional<std::string> chooseSavePath(QWidget* owner,
                                                    const std::filesystem::path& startFolder,
                                                    const std::string& proposedName) = 0;
};

// The platform's file dialogs where it offers them (on a Linux desktop those its portal shows),
// Qt's own otherwise, with the titles and filters of OPEN_DIALOG_TEXTS and SAVE_DIALOG_TEXTS. A
// pose file's name typed without an extension gets ".pz2", and replacing an existing file is always
// asked first.
class QtFileDialogs final : public FileDialogs {
 public:
  std::optional<std::string> chooseOpenPath(QWidget* owner,
                                            const std::filesystem::path& startFolder) override;
  std::optional<std::string> chooseSavePath(QWidget* owner,
                                            const std::filesystem::path& startFolder,
                                            const std::string& proposedName) override;
};

// Asks for the pose file's path with askForName (a save dialog that starts in folder, proposing
// name; nothing when cancelled). A name chosen without an extension gets ".pz2" only afterwards, so
// a platform's dialog never asked about replacing that file: askToReplace does, and when it is
// not to be replaced, the dialog comes again where the user was.
using AskForName =
    std::function<std::optional<QString>(const QString& folder, const QString& name)>;
using AskToReplace = std::function<bool(const QString& path)>;
std::optional<QString> choosePoseFilePath(QString folder, QString name,
                                          const AskForName& askForName,
                                          const AskToReplace& askToReplace);

}  // namespace zev
