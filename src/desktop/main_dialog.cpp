#include "desktop/main_dialog.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QCursor>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QFileInfo>
#include <QFrame>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>
#include <functional>
#include <optional>
#include <utility>

#include "desktop/file_dialogs.h"
#include "desktop/panel_widget.h"
#include "pictures/pictures.h"

namespace zev {

// The up and down arrows beside a number field. The value itself lives in DialogState and shows in
// the field; the arrows only report a step. Holding an arrow repeats it.
class SpinArrows final : public QWidget {
 public:
  SpinArrows(std::function<void(bool up)> step, QWidget* parent) : QWidget(parent) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    for (const bool up : {true, false}) {
      auto* arrow = new QToolButton(this);
      arrow->setArrowType(up ? Qt::UpArrow : Qt::DownArrow);
      arrow->setAutoRepeat(true);
      arrow->setFocusPolicy(Qt::NoFocus);
      arrow->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
      connect(arrow, &QToolButton::clicked, this, [step, up] { step(up); });
      layout->addWidget(arrow);
    }
  }
};

namespace {

struct ButtonRow {
  ControlId id;
  const char* text;
  QRect units;
};

// A horizontal unit is a quarter of the cell's width, a vertical one an eighth of its height.
constexpr int UNITS_PER_CELL_X = 4;
constexpr int UNITS_PER_CELL_Y = 8;

// Rounds toward zero, which puts the panel at 346 x 311 pixels at 96 dots per inch.
int unitsToPixels(int units, int baseUnit, int unitsPerCell, double dotsPerInch) {
  return static_cast<int>(units * baseUnit * dotsPerInch / (96.0 * unitsPerCell));
}

int horizontalPixels(int units, double dotsPerInch) {
  return unitsToPixels(units, DIALOG_BASE_UNIT_X, UNITS_PER_CELL_X, dotsPerInch);
}

int verticalPixels(int units, double dotsPerInch) {
  return unitsToPixels(units, DIALOG_BASE_UNIT_Y, UNITS_PER_CELL_Y, dotsPerInch);
}

// The label of each spin is its parameter's name.
struct SpinRow {
  Spin spin;
  QRect labelUnits;
  ControlId field;
  QRect fieldUnits;
  ControlId spinId;
};

// The spin's own template rectangle lies under its field; like the platform's up-down control it
// attaches to the field's right edge and takes its width from the field.
constexpr int SPIN_WIDTH_UNITS = 10;

constexpr std::array<SpinRow, SPIN_COUNT> SPIN_ROWS{{
    {Spin::GCoefficient,
     {64, 41, 43, 8},
     ControlId::GCoefficientField,
     {110, 39, 30, 14},
     ControlId::GCoefficientSpin},
    {Spin::DelayTime,
     {70, 77, 34, 8},
     ControlId::DelayTimeField,
     {110, 74, 30, 14},
     ControlId::DelayTimeSpin},
    {Spin::InertiaRate,
     {69, 96, 35, 8},
     ControlId::InertiaRateField,
     {110, 93, 30, 14},
     ControlId::InertiaRateSpin},
    {Spin::AccelRate,
     {69, 115, 35, 8},
     ControlId::AccelRateField,
     {110, 112, 30, 14},
     ControlId::AccelRateSpin},
    {Spin::GFusion,
     {73, 134, 31, 8},
     ControlId::GFusionField,
     {110, 131, 30, 14},
     ControlId::GFusionSpin},
}};

constexpr QRect DIALOG_UNITS{0, 0, 381, 189};
constexpr QRect PANEL_UNITS{146, 4, 231, 178};

QString fromLocal(const std::string& text) { return QString::fromLocal8Bit(text); }

}  // namespace

QRect dialogUnitsToPixels(const QRect& units, double dotsPerInch) {
  return QRect(horizontalPixels(units.x(), dotsPerInch), verticalPixels(units.y(), dotsPerInch),
               horizontalPixels(units.width(), dotsPerInch),
               verticalPixels(units.height(), dotsPerInch));
}

MainDialog::MainDialog(FileDialogs& fileDialogs, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                          Qt::WindowCloseButtonHint),
      fileDialogs_(fileDialogs) {
  setWindowTitle(QString::fromLatin1(MAIN_DIALOG_CAPTION));
  setWindowIcon(applicationIcon());
  useBuiltInFont();
  QFont font(QStringLiteral("Arial"));
  font.setPointSize(8);
  font.setHintingPreference(QFont::PreferVerticalHinting);
  setFont(font);
  setAcceptDrops(true);

  const double dotsPerInch = logicalDpiX();
  setFixedSize(dialogUnitsToPixels(DIALOG_UNITS, dotsPerInch).size());
  buildControls(dotsPerInch);
  showState();
  placeNearMousePointer();

  // Keys reach the focused control first; Enter, Escape, F3 and the spins' arrow keys are decided
  // before it sees them.
  qApp->installEventFilter(this);

  // The about page as soon as the dialog is up, then the motion given at start.
  QTimer::singleShot(1, this, [this] {
    state_.showAbout();
    showState();
    if (startFile_) openChosen(*std::exchange(startFile_, std::nullopt));
  });
}

MainDialog::~MainDialog() { qApp->removeEventFilter(this); }

template <typename Control>
Control* MainDialog::addControl(ControlId id, Control* control, const QRect& units,
                                double dotsPerInch) {
  control->setGeometry(dialogUnitsToPixels(units, dotsPerInch));
  controls_.insert(static_cast<int>(id), control);
  return control;
}

void MainDialog::buildControls(double dotsPerInch) {
  // The frames first, so that they lie beneath the controls they surround.
  for (const QRect units : {QRect(56, 0, 87, 163), QRect(7, 0, 46, 163)}) {
    auto* frame = new QGroupBox(this);
    frame->setGeometry(dialogUnitsToPixels(units, dotsPerInch));
  }

  const std::array<ButtonRow, 8> buttons{{
      {ControlId::OpenButton, "&Open", {12, 9, 37, 13}},
      {ControlId::SaveButton, "&Save", {12, 24, 37, 13}},
      {ControlId::AnalyzeButton, "&Analyze", {12, 44, 37, 13}},
      {ControlId::GraphButton, "&Graph", {12, 64, 37, 13}},
      {ControlId::InfoButton, "&Info", {12, 79, 37, 13}},
      {ControlId::ClearButton, "&CLEAR", {12, 93, 37, 13}},
      {ControlId::ExitButton, "e&Xit", {12, 144, 37, 13}},
      {ControlId::DefaultButton, "DEFAULT", {62, 9, 75, 12}},
  }};
  for (const ButtonRow& row : buttons) {
    auto* button = addControl(row.id, new QPushButton(QString::fromLatin1(row.text), this),
                              row.units, dotsPerInch);
    button->setAutoDefault(false);
  }

  auto* still =
      addControl(ControlId::StillModeRadio, new QRadioButton(QStringLiteral("Still Mode"), this),
                 {61, 27, 46, 10}, dotsPerInch);
  auto* movie =
      addControl(ControlId::MovieModeRadio, new QRadioButton(QStringLiteral("Movie  Mode"), this),
                 {61, 62, 56, 10}, dotsPerInch);
  auto* modes = new QButtonGroup(this);
  modes->addButton(still);
  modes->addButton(movie);

  for (const SpinRow& row : SPIN_ROWS) {
    const std::string_view name = PARAMETER_TABLE[static_cast<int>(row.spin)].label;
    auto* label =
        new QLabel(QString::fromLatin1(name.data(), static_cast<qsizetype>(name.size())), this);
    label->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    label->setGeometry(dialogUnitsToPixels(row.labelUnits, dotsPerInch));

    const QRect fieldRect = dialogUnitsToPixels(row.fieldUnits, dotsPerInch);
    const int spinWidth = horizontalPixels(SPIN_WIDTH_UNITS, dotsPerInch);
    auto* field = new QLineEdit(this);
    field->setReadOnly(true);
    field->setAcceptDrops(false);
    field->setGeometry(fieldRect.adjusted(0, 0, -spinWidth, 0));
    controls_.insert(static_cast<int>(row.field), field);

    const Spin spin = row.spin;
    auto* arrows = new SpinArrows(
        [this, spin, field](bool up) {
          state_.stepSpin(spin, up);
          showState();
          field->setFocus();
        },
        this);
    arrows->setGeometry(fieldRect.right() + 1 - spinWidth, fieldRect.y(), spinWidth,
                        fieldRect.height());
    controls_.insert(static_cast<int>(row.spinId), arrows);

    fields_[static_cast<int>(spin)] = field;
    spins_[static_cast<int>(spin)] = arrows;
  }

  auto* limit = addControl(ControlId::LimitCheck, new QCheckBox(QStringLiteral("Limit ON"), this),
                           {77, 149, 42, 9}, dotsPerInch);
  limit->setEnabled(false);

  auto* status =
      addControl(ControlId::StatusField, new QLineEdit(this), {7, 169, 136, 13}, dotsPerInch);
  status->setReadOnly(true);
  status->setAcceptDrops(false);
  // Nothing in it can be changed; its text can still be selected with the mouse and copied.
  status->setFocusPolicy(Qt::NoFocus);

  // The panel draws at its own fixed size; a sunken edge surrounds it.
  const QRect panelRect = dialogUnitsToPixels(PANEL_UNITS, dotsPerInch);
  auto* edge = new QFrame(this);
  edge->setFrameStyle(QFrame::Panel | QFrame::Sunken);
  edge->setLineWidth(1);
  panel_ = new PanelWidget(edge);
  panel_->move(edge->frameWidth(), edge->frameWidth());
  edge->setGeometry(QRect(panelRect.topLeft(), panel_->size())
                        .adjusted(0, 0, 2 * edge->frameWidth(), 2 * edge->frameWidth()));
  controls_.insert(static_cast<int>(ControlId::DisplayPanel), panel_);

  const auto onClick = [this](ControlId id, auto action) {
    // Every click counts, also on the mode button already checked.
    connect(static_cast<QAbstractButton*>(control(id)), &QAbstractButton::clicked, this,
            [this, action] {
              action();
              showState();
            });
  };
  onClick(ControlId::OpenButton, [this] { open(); });
  onClick(ControlId::SaveButton, [this] { save(); });
  onClick(ControlId::AnalyzeButton, [this] { state_.analyze(); });
  onClick(ControlId::GraphButton, [this] { state_.showGraph(); });
  onClick(ControlId::InfoButton, [this] { state_.showInfo(); });
  onClick(ControlId::ClearButton, [this] { state_.clearPanel(); });
  onClick(ControlId::ExitButton, [this] { close(); });
  onClick(ControlId::DefaultButton, [this] { state_.restoreDefaults(); });
  onClick(ControlId::StillModeRadio, [this] { state_.selectStillMode(); });
  onClick(ControlId::MovieModeRadio, [this] { state_.selectMovieMode(); });
  connect(panel_, &PanelWidget::clicked, this, [this] {
    state_.panelClicked();
    showState();
  });
}

void MainDialog::placeNearMousePointer() {
  const QPoint pointer = QCursor::pos();
  QScreen* screen = QGuiApplication::screenAt(pointer);
  if (screen == nullptr) screen = QGuiApplication::primaryScreen();
  if (screen == nullptr) return;
  QRect frame(QPoint(0, 0), size());
  frame.moveCenter(pointer);
  const QRect available = screen->availableGeometry();
  frame.moveLeft(std::clamp(frame.left(), available.left(),
                            std::max(available.left(), available.right() + 1 - frame.width())));
  frame.moveTop(std::clamp(frame.top(), available.top(),
                           std::max(available.top(), available.bottom() + 1 - frame.height())));
  move(frame.topLeft());
}

void MainDialog::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  // The focused button shows its focus ring from the start, not only after the first Tab.
  setAttribute(Qt::WA_KeyboardFocusChange);
  raise();
  activateWindow();
}

std::filesystem::path MainDialog::fileDialogFolder() const {
  const auto path = [](const QString& folder) {
    return std::filesystem::path(QFile::encodeName(folder).toStdString());
  };
  const std::array<std::filesystem::path, 3> fallbacks{
      path(QDir::currentPath()), path(QDir::homePath()), path(QDir::rootPath())};
  return state_.fileDialogFolder(fallbacks);
}

void MainDialog::open() {
  state_.beginOpen();
  showState();
  if (const std::optional<std::string> path =
          fileDialogs_.chooseOpenPath(this, fileDialogFolder())) {
    state_.openFile(*path);
  }
}

void MainDialog::openChosen(const std::string& path) {
  // What Open does with a chosen file, without asking for one.
  state_.beginOpen();
  state_.openFile(path);
  showState();
}

void MainDialog::save() {
  state_.beginSave();
  showState();
  if (const std::optional<std::string> path =
          fileDialogs_.chooseSavePath(this, fileDialogFolder(), state_.proposedSaveName())) {
    state_.saveTo(*path);
  }
}

void MainDialog::showState() {
  static_cast<QPushButton*>(control(ControlId::SaveButton))
      ->setEnabled(state_.buttonEnabled(PassButton::Save));
  static_cast<QPushButton*>(control(ControlId::AnalyzeButton))
      ->setEnabled(state_.buttonEnabled(PassButton::Analyze));
  static_cast<QPushButton*>(control(ControlId::GraphButton))
      ->setEnabled(state_.buttonEnabled(PassButton::Graph));
  for (int i = 0; i < SPIN_COUNT; ++i) {
    const Spin spin = static_cast<Spin>(i);
    spins_[i]->setEnabled(state_.spinEnabled(spin));
    // A field takes the focus only while its arrows, and so the arrow keys, can change it.
    fields_[i]->setFocusPolicy(state_.spinEnabled(spin) ? Qt::StrongFocus : Qt::NoFocus);
    fields_[i]->setText(QString::number(state_.position(spin)));
  }
  static_cast<QRadioButton*>(
      control(state_.stillMode() ? ControlId::StillModeRadio : ControlId::MovieModeRadio))
      ->setChecked(true);
  static_cast<QCheckBox*>(control(ControlId::LimitCheck))->setChecked(state_.limitOn());
  auto* status = static_cast<QLineEdit*>(control(ControlId::StatusField));
  status->setText(fromLocal(state_.status()));
  status->setToolTip(fromLocal(state_.statusDetail()));
  panel_->play(state_.takePanelOps());
}

bool MainDialog::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::KeyPress && watched->isWidgetType()) {
    auto* target = static_cast<QWidget*>(watched);
    if (target == this || isAncestorOf(target)) {
      return handleKey(target, static_cast<QKeyEvent*>(event)->key());
    }
  }
  return QDialog::eventFilter(watched, event);
}

bool MainDialog::handleKey(QWidget* target, int key) {
  switch (key) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Escape:
      // Neither presses a button nor closes the dialog: a stray Enter must not open or save.
      QApplication::beep();
      return true;
    case Qt::Key_F3:
      close();
      return true;
    case Qt::Key_Up:
    case Qt::Key_Down:
      for (int i = 0; i < SPIN_COUNT; ++i) {
        if (target == fields_[i] || target == spins_[i]) {
          state_.stepSpin(static_cast<Spin>(i), key == Qt::Key_Up);
          showState();
          return true;
        }
      }
      return false;
    default:
      return false;
  }
}

namespace {

// The local file that a drop would open, when the dialog's state takes the drop.
std::optional<QString> droppedMotionFile(const QMimeData* data) {
  if (data == nullptr || data->urls().isEmpty()) return std::nullopt;
  const QUrl& url = data->urls().constFirst();
  if (!url.isLocalFile()) return std::nullopt;
  const QString path = url.toLocalFile();
  if (!opensDroppedFile(static_cast<int>(data->urls().size()),
                        QFile::encodeName(QFileInfo(path).fileName()).toStdString())) {
    return std::nullopt;
  }
  return path;
}

}  // namespace

void MainDialog::dragEnterEvent(QDragEnterEvent* event) {
  if (droppedMotionFile(event->mimeData())) event->acceptProposedAction();
}

void MainDialog::dropEvent(QDropEvent* event) {
  const std::optional<QString> path = droppedMotionFile(event->mimeData());
  if (!path) return;
  event->acceptProposedAction();
  openChosen(QFile::encodeName(*path).toStdString());
}

}  // namespace zev
