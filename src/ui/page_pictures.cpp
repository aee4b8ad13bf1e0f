#include "ui/page_pictures.h"

#include <QGuiApplication>
#include <QImage>
#include <QString>
#include <array>
#include <cstdio>
#include <filesystem>
#include <system_error>

#include "store/motion_store.h"
#include "ui/graph_view.h"
#include "ui/panel_renderer.h"
#include "ui/report_pages.h"

namespace zev {

namespace {

QImage renderPage(const PanelOps& ops) {
  QImage image(PANEL_WIDTH, PANEL_HEIGHT, QImage::Format_RGB32);
  image.fill(Qt::black);
  PanelRenderer(image, PANEL_DOTS_PER_INCH).play(ops);
  return image;
}

bool fail(std::string* error, const std::string& reason) {
  if (error != nullptr) *error = reason;
  return false;
}

}  // namespace

PictureSession::PictureSession() {
  if (QCoreApplication::instance() != nullptr) return;
  // A tool without a window has nothing to tell about the platform (a missing runtime folder on a
  // headless machine, say); only Qt's real failures reach its error output.
  qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString& message) {
    if (type == QtCriticalMsg || type == QtFatalMsg)
      std::fprintf(stderr, "%s\n", qPrintable(message));
  });
  application_ = std::make_unique<QGuiApplication>(argc_, argv_);
}

PictureSession::~PictureSession() = default;

bool writePagePictures(const std::string& dir, const std::string& title, bool stillMode,
                       int gCoefficient, std::string* error) {
  if (qobject_cast<QGuiApplication*>(QCoreApplication::instance()) == nullptr) {
    return fail(error, "pictures need a Qt GUI application (create a PictureSession first)");
  }
  std::error_code made;
  std::filesystem::create_directories(dir, made);
  if (made) return fail(error, "cannot create folder " + dir + ": " + made.message());

  MotionStore& store = motionStore();
  const int panelMode = store.panelMode;
  const int graphPage = store.graphPage;

  struct Page {
    const char* suffix;
    QImage image;
  };
  std::array<Page, 4> pages{
      {{"-chest.png", {}}, {"-hair.png", {}}, {"-ring.png", {}}, {"-report.png", {}}}};
  store.graphPage = 0;
  for (int i = 0; i < 3; ++i) pages[i].image = renderPage(showGraphPage(stillMode));
  pages[3].image = renderPage(showReportPage(title, gCoefficient));
  store.panelMode = panelMode;
  store.graphPage = graphPage;

  for (const Page& page : pages) {
    const std::filesystem::path path = std::filesystem::path(dir) / (title + page.suffix);
    if (!page.image.save(QString::fromStdString(path.string()), "PNG")) {
      return fail(error, "cannot write " + path.string());
    }
  }
  return true;
}

}  // namespace zev
