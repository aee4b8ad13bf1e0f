#include "desktop/file_dialogs.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QFileDialog>
#include <QLineEdit>
#include <QListView>
#include <QMessageBox>
#include <QPointer>
#include <QTest>
#include <QTimer>
#include <deque>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>

#include "support/qt_test_main.h"
#include "support/test_support.h"

namespace zev {
namespace {

using Answer = std::function<void(QWidget* modal)>;

// Answers the modal windows that come up, in order, one answer each, in place of the user.
class User {
 public:
  explicit User(std::deque<Answer> answers) : answers_(std::move(answers)) {
    QObject::connect(&timer_, &QTimer::timeout, [this] { answerNext(); });
    timer_.start(10);
  }
  bool answeredAll() const { return answers_.empty(); }

 private:
  void answerNext() {
    QWidget* modal = QApplication::activeModalWidget();
    if (modal == nullptr || modal == answered_) return;
    answered_ = modal;
    // A window nobody expected is closed, so that a failing test ends instead of waiting.
    if (answers_.empty()) {
      ADD_FAILURE() << "unexpected " << modal->metaObject()->className();
      modal->close();
      return;
    }
    const Answer answer = answers_.front();
    answers_.pop_front();
    answer(modal);
  }

  std::deque<Answer> answers_;
  QPointer<QWidget> answered_;
  QTimer timer_;
};

struct Seen {
  QString title;
  QString folder;
  QString name;
};

// Takes note of what the file dialog shows, then chooses name in its folder (or cancels when name
// is empty).
Answer choose(const QString& name, Seen* seen = nullptr) {
  return [name, seen](QWidget* modal) {
    auto* dialog = qobject_cast<QFileDialog*>(modal);
    if (dialog == nullptr) {
      ADD_FAILURE() << "a file dialog expected, not " << modal->metaObject()->className();
      modal->close();
      return;
    }
    if (seen != nullptr) {
      *seen = {dialog->windowTitle(), dialog->directory().absolutePath(),
               QFileInfo(dialog->selectedFiles().value(0)).fileName()};
    }
    if (name.isEmpty()) {
      dialog->reject();
      return;
    }
    auto* field = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
    auto* list = dialog->findChild<QListView*>(QStringLiteral("listView"));
    if (field == nullptr || list == nullptr) {
      ADD_FAILURE() << "Qt's file dialog expected, with its name field and list";
      dialog->close();
      return;
    }
    // The dialog reads its folder in the background and then selects the proposed file if it
    // exists; a user sees that before typing.
    if (QFileInfo::exists(dialog->selectedFiles().value(0))) {
      EXPECT_TRUE(QTest::qWaitFor([list] { return list->selectionModel()->hasSelection(); }, 5000));
    }
    QCoreApplication::processEvents();
    // Typed into the name field, as the user would; then OK, once this answer has returned, so
    // that a question OK brings up is answered too.
    field->selectAll();
    QTest::keyClicks(field, name);
    QMetaObject::invokeMethod(dialog, "accept", Qt::QueuedConnection);
  };
}

Answer press(QMessageBox::StandardButton button) {
  return [button](QWidget* modal) {
    auto* box = qobject_cast<QMessageBox*>(modal);
    if (box == nullptr) {
      ADD_FAILURE() << "a question expected, not " << modal->metaObject()->className();
      modal->close();
      return;
    }
    box->button(button)->click();
  };
}

TEST(QtFileDialogs, OpenStartsInTheGivenFolderAndGivesTheChosenFile) {
  const test::TempDir dir;
  const std::string motion = dir.write("walk.bvh", "HIERARCHY\n");
  Seen seen;
  User user({choose(QStringLiteral("walk.bvh"), &seen)});
  QtFileDialogs dialogs;
  EXPECT_EQ(dialogs.chooseOpenPath(nullptr, dir.path()), motion);
  EXPECT_EQ(seen.title, OPEN_DIALOG_TITLE);
  EXPECT_EQ(seen.folder.toStdString(), dir.path().string());
}

TEST(QtFileDialogs, SaveAddsTheExtensionAndAsksBeforeReplacingAFile) {
  const test::TempDir dir;
  const std::string existing = dir.write("dance.pz2", "kept");
  const std::string fresh = (dir.path() / "walk.pz2").string();
  struct Case {
    const char* name;
    std::deque<Answer> answers;
    std::optional<std::string> chosen;
  };
  const QString typed = QStringLiteral("dance");
  std::deque<Case> cases;
  cases.push_back({"a new name", {choose(QStringLiteral("walk"))}, fresh});
  cases.push_back({"replace", {choose(typed), press(QMessageBox::Yes)}, existing});
  // Not replaced: the dialog comes again, and cancelling it chooses nothing.
  cases.push_back({"keep", {choose(typed), press(QMessageBox::No), choose({})}, std::nullopt});
  cases.push_back({"keep, then a new name",
                   {choose(typed), press(QMessageBox::No), choose(QStringLiteral("walk.pz2"))},
                   fresh});
  for (Case& c : cases) {
    SCOPED_TRACE(c.name);
    User user(std::move(c.answers));
    QtFileDialogs dialogs;
    EXPECT_EQ(dialogs.chooseSavePath(nullptr, dir.path(), "dance.pz2"), c.chosen);
    EXPECT_TRUE(user.answeredAll());
  }
  EXPECT_EQ(test::readWholeFile(existing), "kept");
}

TEST(QtFileDialogs, SaveProposesTheNameInTheGivenFolder) {
  const test::TempDir dir;
  Seen seen;
  User user({choose({}, &seen)});
  QtFileDialogs dialogs;
  EXPECT_EQ(dialogs.chooseSavePath(nullptr, dir.path(), "dance.pz2"), std::nullopt);
  EXPECT_EQ(seen.title, SAVE_DIALOG_TITLE);
  EXPECT_EQ(seen.folder.toStdString(), dir.path().string());
  EXPECT_EQ(seen.name, "dance.pz2");
}

}  // namespace
}  // namespace zev

int main(int argc, char** argv) { return zev::test::runQtTests<QApplication>(argc, argv); }
