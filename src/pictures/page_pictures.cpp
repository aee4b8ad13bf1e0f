#include "pictures/page_pictures.h"

#include <QBuffer>
#include <QByteArray>
#include <QGuiApplication>
#include <QImage>
#include <QString>
#include <array>
#include <cstdio>
#include <system_error>

#include "pages/graph_view.h"
#include "pages/panel_state.h"
#include "pages/report_pages.h"
#include "pictures/panel_renderer.h"

namespace zev {

namespace {

QImage renderPage(const PanelOps& ops) {
  QImage image(PANEL_WIDTH, PANEL_HEIGHT, QImage::Format_RGB32);
  image.fill(Qt::black);
  PanelRenderer(image, PANEL_DOTS_PER_INCH).play(ops);
  return image;
}

// Empty when the picture could not be encoded.
QByteArray encodePng(const QImage& image) {
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  if (!image.save(&buffer, "PNG")) bytes.clear();
  return bytes;
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

SaveResult writePagePictures(const std::filesystem::path& dir, const std::string& title,
                             const MotionStore& store, bool stillMode, int gCoefficient) {
  if (qobject_cast<QGuiApplication*>(QCoreApplication::instance()) == nullptr) {
    // A programming error of the tool, not of the user: no picture can be drawn at all.
    return {std::make_error_code(std::errc::operation_not_supported), dir.string()};
  }
  std::error_code made;
  std::filesystem::create_directories(dir, made);
  if (made) return {made, dir.string()};

  struct Page {
    const char* suffix;
    QImage image;
  };
  std::array<Page, 4> pages{
      {{"-chest.png", {}}, {"-hair.png", {}}, {"-ring.png", {}}, {"-report.png", {}}}};
  PanelState panel;
  for (int i = 0; i < 3; ++i) pages[i].image = renderPage(showGraphPage(panel, store, stillMode));
  pages[3].image = renderPage(showReportPage(panel, store, title, gCoefficient));

  for (const Page& page : pages) {
    const std::filesystem::path path = dir / (title + page.suffix);
    const QByteArray png = encodePng(page.image);
    if (png.isEmpty()) return {std::make_error_code(std::errc::io_error), path.string()};
    const SaveResult saved = saveThroughTemporaryFile(path, [&png](TextSink& sink) {
      sink.write(std::string_view(png.constData(), static_cast<std::size_t>(png.size())));
    });
    if (!saved.ok()) return saved;
  }
  return {};
}

}  // namespace zev
