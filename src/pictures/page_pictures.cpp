#include "pictures/page_pictures.h"

#include <QBuffer>
#include <QByteArray>
#include <QGuiApplication>
#include <QImage>
#include <QString>
#include <cstdio>

#include "pages/graph_view.h"
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

PagePictures drawPagePictures(const PagePictureRequest& request) {
  PagePictures pictures;
  // Text needs the application object; without one no page is drawn (a fault of the program).
  if (qobject_cast<QGuiApplication*>(QCoreApplication::instance()) == nullptr) return pictures;
  PanelState panel;
  for (std::size_t page = 0; page < pictures.size(); ++page) {
    const bool report = PAGE_PICTURE_NAMES[page] == "report";
    const QByteArray png = encodePng(renderPage(
        report ? showReportPage(panel, request.store, request.title, request.gCoefficient)
               : showGraphPage(panel, request.store, request.stillMode)));
    pictures[page].assign(png.constData(), static_cast<std::size_t>(png.size()));
  }
  return pictures;
}

}  // namespace zev
