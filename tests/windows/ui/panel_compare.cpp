// Compares the display panel of zev.exe, as a screenshot taken under wine shows it, with the
// converter's picture of the same page: every pixel must be the same, except in the cells of the
// page's texts, which the system draws with its own font rasterizer. A native program: it takes
// the texts' cells from the page's drawing list, played by the desktop's renderer.
//
//   zev-panel-compare SCREENSHOT.png LEFT TOP PAGE.png MOTION.bvh
//
// SCREENSHOT shows the panel's client area with its top-left corner at (LEFT, TOP), showing the
// chest graph of a movie-mode analysis of MOTION; PAGE is that page as `zev-convert --movie
// --graphs` draws it.

#include <QGuiApplication>
#include <QImage>
#include <QRect>
#include <QString>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "dialog/dialog_state.h"
#include "pages/panel_ops.h"
#include "pictures/panel_renderer.h"

namespace {

// How far the system's text may reach beyond the cell the desktop's renderer gives it.
constexpr int TEXT_SLACK = 4;
// The page's background where a text's cell is looked for.
const QColor MARKER(255, 0, 255);

QImage play(const zev::PanelOps& ops, const QColor& background) {
  QImage image(zev::PANEL_WIDTH, zev::PANEL_HEIGHT, QImage::Format_RGB32);
  image.fill(background);
  zev::PanelRenderer(image, zev::PANEL_DOTS_PER_INCH).play(ops);
  return image;
}

// The ops of the page as zev.exe draws them: open the motion, movie mode, Analyze, Graph.
zev::PanelOps chestPageOfMovieMode(const char* motion) {
  zev::DialogState state;
  state.openFile(motion);
  state.selectMovieMode();
  state.analyze();
  state.takePanelOps();
  state.showGraph();
  return state.takePanelOps();
}

// The cells of the page's texts, each grown by TEXT_SLACK: the page is played with one text
// alone, on a marker background that the page's own black fill would hide, so that what differs
// from the page without texts is that text's cell.
std::vector<QRect> textCells(const zev::PanelOps& page) {
  zev::PanelOps withoutTexts;
  for (const zev::PanelOp& op : page) {
    if (op.kind != zev::PanelOpKind::DrawText && op.kind != zev::PanelOpKind::FillBlack) {
      withoutTexts.push_back(op);
    }
  }
  const QImage bare = play(withoutTexts, MARKER);
  std::vector<QRect> cells;
  for (std::size_t text = 0; text < page.size(); ++text) {
    if (page[text].kind != zev::PanelOpKind::DrawText) continue;
    zev::PanelOps one;
    for (std::size_t i = 0; i < page.size(); ++i) {
      const zev::PanelOp& op = page[i];
      if (op.kind != zev::PanelOpKind::FillBlack &&
          (op.kind != zev::PanelOpKind::DrawText || i == text)) {
        one.push_back(op);
      }
    }
    const QImage drawn = play(one, MARKER);
    QRect cell;
    for (int y = 0; y < drawn.height(); ++y) {
      for (int x = 0; x < drawn.width(); ++x) {
        if (drawn.pixel(x, y) != bare.pixel(x, y)) cell |= QRect(x, y, 1, 1);
      }
    }
    cells.push_back(cell.adjusted(-TEXT_SLACK, -TEXT_SLACK, TEXT_SLACK, TEXT_SLACK));
  }
  return cells;
}

}  // namespace

int main(int argc, char* argv[]) {
  if (argc != 6) {
    std::fprintf(stderr, "usage: zev-panel-compare SCREENSHOT.png LEFT TOP PAGE.png MOTION.bvh\n");
    return 2;
  }
  qputenv("QT_QPA_PLATFORM", "offscreen");
  const QGuiApplication application(argc, argv);
  const QImage screen =
      QImage(QString::fromLocal8Bit(argv[1])).convertToFormat(QImage::Format_RGB32);
  const QPoint corner(std::atoi(argv[2]), std::atoi(argv[3]));
  const QImage page = QImage(QString::fromLocal8Bit(argv[4])).convertToFormat(QImage::Format_RGB32);
  if (screen.isNull() || page.size() != QSize(zev::PANEL_WIDTH, zev::PANEL_HEIGHT) ||
      !screen.rect().contains(QRect(corner, page.size()))) {
    std::fprintf(stderr, "zev-panel-compare: no panel-sized page on the screenshot there\n");
    return 2;
  }
  const std::vector<QRect> cells = textCells(chestPageOfMovieMode(argv[5]));
  int compared = 0;
  int differing = 0;
  for (int y = 0; y < page.height(); ++y) {
    for (int x = 0; x < page.width(); ++x) {
      const QPoint point(x, y);
      bool inText = false;
      for (const QRect& cell : cells) inText = inText || cell.contains(point);
      if (inText) continue;
      ++compared;
      if (screen.pixel(corner + point) == page.pixel(point)) continue;
      if (++differing <= 10) {
        std::fprintf(stderr, "  at %d,%d: %06x on the screen, %06x on the page\n", x, y,
                     screen.pixel(corner + point) & 0xFFFFFFu, page.pixel(point) & 0xFFFFFFu);
      }
    }
  }
  std::printf("panel: %d of %d pixels outside %zu text cells differ from the page\n", differing,
              compared, cells.size());
  return differing == 0 ? 0 : 1;
}
