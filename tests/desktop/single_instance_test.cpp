#include "desktop/single_instance.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QCoreApplication>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <memory>
#include <string>

#include "support/qt_test_main.h"
#include "support/test_support.h"

namespace zev {
namespace {

// Set in the environment of the copy of this program that plays the first running instance.
constexpr const char* HOLD_LOCK_VARIABLE = "ZEV_TEST_HOLD_LOCK_IN";
constexpr const char* HOLDING = "holding";

// The first instance: takes the lock, says so and keeps it until its input closes.
int holdLock(const char* folder) {
  SingleInstanceLock lock(QString::fromLocal8Bit(folder));
  if (lock.acquire() != InstanceLock::Acquired) return 2;
  std::cout << HOLDING << std::endl;
  std::string ignored;
  while (std::getline(std::cin, ignored)) {
  }
  return 0;
}

class FirstInstance {
 public:
  explicit FirstInstance(const std::filesystem::path& folder) {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QString::fromLatin1(HOLD_LOCK_VARIABLE),
                       QString::fromStdString(folder.string()));
    process_.setProcessEnvironment(environment);
    process_.start(QCoreApplication::applicationFilePath(), {});
  }
  ~FirstInstance() {
    if (process_.state() != QProcess::NotRunning) {
      process_.kill();
      process_.waitForFinished();
    }
  }

  bool holding() {
    while (!process_.canReadLine()) {
      if (!process_.waitForReadyRead(10000)) return false;
    }
    return process_.readLine().trimmed() == HOLDING;
  }
  bool endNormally() {
    process_.closeWriteChannel();
    return process_.waitForFinished(10000) && process_.exitCode() == 0;
  }
  void crash() {
    process_.kill();
    process_.waitForFinished();
  }

 private:
  QProcess process_;
};

TEST(SingleInstanceLock, ASecondCopyIsRefusedWhileTheFirstRuns) {
  const test::TempDir folder;
  FirstInstance first(folder.path());
  ASSERT_TRUE(first.holding());

  EXPECT_EQ(SingleInstanceLock(QString::fromStdString(folder.path().string())).acquire(),
            InstanceLock::HeldByAnotherCopy);
  ASSERT_TRUE(first.endNormally());
  EXPECT_EQ(SingleInstanceLock(QString::fromStdString(folder.path().string())).acquire(),
            InstanceLock::Acquired);
}

TEST(SingleInstanceLock, ACopyThatWasKilledDoesNotBlockTheNextLaunch) {
  const test::TempDir folder;
  FirstInstance first(folder.path());
  ASSERT_TRUE(first.holding());
  first.crash();
  EXPECT_EQ(SingleInstanceLock(QString::fromStdString(folder.path().string())).acquire(),
            InstanceLock::Acquired);
}

TEST(SingleInstanceLock, IsFreedWhenTheOwnerEnds) {
  const test::TempDir folder;
  const QString path = QString::fromStdString(folder.path().string());
  {
    SingleInstanceLock first(path);
    ASSERT_EQ(first.acquire(), InstanceLock::Acquired);
  }
  SingleInstanceLock next(path);
  EXPECT_EQ(next.acquire(), InstanceLock::Acquired);
}

TEST(SingleInstanceLock, AFolderThatCannotHoldTheLockLetsTheProgramRun) {
  const test::TempDir folder;
  SingleInstanceLock lock(QString::fromStdString((folder.path() / "missing").string()));
  EXPECT_EQ(lock.acquire(), InstanceLock::Unavailable);
}

TEST(SingleInstanceLock, TheWarningHasOnlyTextCaptionAndOk) {
  const std::unique_ptr<QMessageBox> box = makeAlreadyRunningMessage();
  EXPECT_EQ(box->text(), "Z.E.V ALREADY EXISTS.");
  EXPECT_EQ(box->windowTitle(), "WARNING");
  EXPECT_EQ(box->icon(), QMessageBox::NoIcon);
  EXPECT_EQ(box->parentWidget(), nullptr);
  ASSERT_EQ(box->buttons().size(), 1);
  EXPECT_EQ(box->standardButton(box->buttons().constFirst()), QMessageBox::Ok);
}

}  // namespace
}  // namespace zev

int main(int argc, char** argv) {
  if (const char* folder = std::getenv(zev::HOLD_LOCK_VARIABLE)) {
    QCoreApplication application(argc, argv);
    return zev::holdLock(folder);
  }
  return zev::test::runQtTests<QApplication>(argc, argv);
}
