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
#include "pages/panel_ops.h"
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

// The built-in font stands in for the dialog's font as for the pages'.
static_assert(MAIN_DIALOG_FONT == PANEL_FONT_FACE);

namespace {

// Rounds toward zero, which puts the panel at the pages' size at 96 dots per inch.
int unitsToPixels(int units, int cellPixels, int unitsPerCell, double dotsPerInch) {
  return static_cast<int>(units * cellPixels * dotsPerInch / (96.0 * unitsPerCell));
}

int horizontalPixels(int units, double dotsPerInch) {
  return unitsToPixels(units, DIALOG_FONT_CELL_WIDTH, UNITS_PER_CELL_X, dotsPerInch);
}

int verticalPixels(int units, double dotsPerInch) {
  return unitsToPixels(units, DIALOG_FONT_CELL_HEIGHT, UNITS_PER_CELL_Y, dotsPerInch);
}

QRect toQRect(const DialogUnits& units) {
  return QRect(units.x, units.y, units.width, units.height);
}

QString fromLocal(const std::string& text) { return QString::fromLocal8Bit(text); }

QString fromLatin1(std::string_view text) {
  return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

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
  setWindowTitle(fromLatin1(MAIN_DIALOG_CAPTION));
  setWindowIcon(applicationIcon());
  useBuiltInFont();
  QFont font(fromLatin1(MAIN_DIALOG_FONT));
  font.setPointSize(MAIN_DIALOG_FONT_POINTS);
  font.setHintingPreference(QFont::PreferVerticalHinting);
  setFont(font);
  setAcceptDrops(true);

  const double dotsPerInch = logicalDpiX();
  setFixedSize(dialogUnitsToPixels(toQRect(MAIN_DIALOG_UNITS), dotsPerInch).size());
  buildControls(dotsPerInch);
  connectControls();
  showState();
  placeNearMousePointer();

  // Keys reach the focused control first; Enter, Escape, F3 and the spins' arrow keys are decided
  // before it sees them.
  qApp->installEventFilter(this);

  QTimer::singleShot(1, this, [this] {
    state_.dialogIsUp(std::exchange(startFile_, std::nullopt));
    showState();
  });
}

MainDialog::~MainDialog() { qApp->removeEventFilter(this); }

QWidget* MainDialog::addControl(const ControlTemplate& row, double dotsPerInch) {
  const QRect place = dialogUnitsToPixels(toQRect(row.units), dotsPerInch);
  const QString text = fromLatin1(row.text);
  QWidget* control = nullptr;
  switch (row.kind) {
    case ControlKind::PushButton: {
      auto* button = new QPushButton(text, this);
      button->setAutoDefault(false);
      control = button;
      break;
    }
    case ControlKind::RadioButton:
      control = new QRadioButton(text, this);
      break;
    case ControlKind::CheckBox:
      control = new QCheckBox(text, this);
      break;
    case ControlKind::Label: {
      auto* label = new QLabel(text, this);
      label->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
      control = label;
      break;
    }
    case ControlKind::NumberField:
    case ControlKind::StatusField: {
      auto* field = new QLineEdit(this);
      field->setReadOnly(true);
      field->setAcceptDrops(false);
      if (row.kind == ControlKind::NumberField) {
        fields_[static_cast<int>(*spinOf(row.id))] = field;
      } else {
        // Nothing in it can be changed; its text can still be selected with the mouse and copied.
        field->setFocusPolicy(Qt::NoFocus);
      }
      control = field;
      break;
    }
    case ControlKind::Spin: {
      // Like the platform's up-down control, the arrows attach to the right side of the field
      // before them and take their width from that field.
      const Spin spin = *spinOf(row.id);
      QLineEdit* field = fields_[static_cast<int>(spin)];
      const QRect fieldRect = field->geometry();
      const int spinWidth = horizontalPixels(row.units.width, dotsPerInch);
      field->setGeometry(fieldRect.adjusted(0, 0, -spinWidth, 0));
      auto* arrows = new SpinArrows(
          [this, spin, field](bool up) {
            state_.stepSpin(spin, up);
            showState();
            field->setFocus();
          },
          this);
      arrows->setGeometry(fieldRect.right() + 1 - spinWidth, fieldRect.y(), spinWidth,
                          fieldRect.height());
      spins_[static_cast<int>(spin)] = arrows;
      controls_.insert(static_cast<int>(row.id), arrows);
      return arrows;
    }
    case ControlKind::DisplayPanel: {
      // The panel draws at its own fixed size; a sunken edge surrounds it.
      auto* edge = new QFrame(this);
      edge->setFrameStyle(QFrame::Panel | QFrame::Sunken);
      edge->setLineWidth(1);
      panel_ = new PanelWidget(edge);
      panel_->move(edge->frameWidth(), edge->frameWidth());
      edge->setGeometry(QRect(place.topLeft(), panel_->size())
                            .adjusted(0, 0, 2 * edge->frameWidth(), 2 * edge->frameWidth()));
      controls_.insert(static_cast<int>(row.id), panel_);
      return panel_;
    }
    case ControlKind::GroupFrame:
      control = new QGroupBox(this);
      // Beneath the controls it surrounds.
      control->lower();
      break;
  }
  control->setGeometry(place);
  control->setEnabled(!row.neverEnabled);
  if (row.id != ControlId::None) controls_.insert(static_cast<int>(row.id), control);
  return control;
}

void MainDialog::buildControls(double dotsPerInch) {
  QButtonGroup* radios = nullptr;
  for (const ControlTemplate& row : MAIN_DIALOG_CONTROLS) {
    QWidget* widget = addControl(row, dotsPerInch);
    // The radio buttons that follow each other are one group.
    if (row.kind != ControlKind::RadioButton) {
      radios = nullptr;
      continue;
    }
    if (radios == nullptr) radios = new QButtonGroup(this);
    radios->addButton(static_cast<QRadioButton*>(widget));
  }
}

void MainDialog::connectControls() {
  // Every click counts, also on the radio button already checked.
  for (const ControlTemplate& row : MAIN_DIALOG_CONTROLS) {
    if (auto* button = qobject_cast<QAbstractButton*>(control(row.id))) {
      connect(button, &QAbstractButton::clicked, this,
              [this, id = row.id] { perform(state_.press(id)); });
    }
  }
  connect(panel_, &PanelWidget::clicked, this,
          [this] { perform(state_.press(ControlId::DisplayPanel)); });
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

void MainDialog::perform(ShellAction action) {
  switch (action) {
    case ShellAction::None:
      break;
    case ShellAction::ChooseFileToOpen:
      // The cleared panel shows while the file dialog is up.
      showState();
      if (const std::optional<std::string> path =
              fileDialogs_.chooseOpenPath(this, fileDialogFolder())) {
        state_.openFile(*path);
      }
      break;
    case ShellAction::ChooseFileToSave:
      showState();
      if (const std::optional<std::string> path =
              fileDialogs_.chooseSavePath(this, fileDialogFolder(), state_.proposedSaveName())) {
        state_.saveTo(*path);
      }
      break;
    case ShellAction::CloseDialog:
      close();
      return;
    case ShellAction::Beep:
      // Qt offers the desktop's own alert sound only, at its pitch.
      QApplication::beep();
      break;
  }
  showState();
}

void MainDialog::showState() {
  for (const ControlTemplate& row : MAIN_DIALOG_CONTROLS) {
    QWidget* widget = control(row.id);
    if (widget == nullptr) continue;
    const bool enabled = state_.enabled(row.id);
    switch (row.kind) {
      case ControlKind::PushButton:
      case ControlKind::Spin:
        widget->setEnabled(enabled);
        break;
      case ControlKind::RadioButton:
        widget->setEnabled(enabled);
        // Its group is exclusive: checking one unchecks the others.
        if (state_.checked(row.id)) static_cast<QAbstractButton*>(widget)->setChecked(true);
        break;
      case ControlKind::CheckBox:
        widget->setEnabled(enabled);
        static_cast<QAbstractButton*>(widget)->setChecked(state_.checked(row.id));
        break;
      case ControlKind::NumberField: {
        auto* field = static_cast<QLineEdit*>(widget);
        // A field takes the focus only while its arrows, and so the arrow keys, can change it.
        field->setFocusPolicy(enabled ? Qt::StrongFocus : Qt::NoFocus);
        field->setText(QString::number(state_.position(*spinOf(row.id))));
        break;
      }
      case ControlKind::StatusField: {
        auto* status = static_cast<QLineEdit*>(widget);
        status->setText(fromLocal(state_.status()));
        status->setToolTip(fromLocal(state_.statusDetail()));
        break;
      }
      case ControlKind::DisplayPanel:
        panel_->play(state_.takePanelOps());
        break;
      case ControlKind::Label:
      case ControlKind::GroupFrame:
        break;
    }
  }
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

namespace {

DialogKey dialogKeyOf(int key) {
  switch (key) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
      return DialogKey::Enter;
    case Qt::Key_Escape:
      return DialogKey::Escape;
    case Qt::Key_F3:
      return DialogKey::F3;
    default:
      return DialogKey::Other;
  }
}

}  // namespace

bool MainDialog::handleKey(QWidget* target, int key) {
  if (const std::optional<ShellAction> action = respondToKey(dialogKeyOf(key))) {
    perform(*action);
    return true;
  }
  // The arrow keys move a spin while its field or its arrows have the focus, as the platform's
  // up-down control does.
  switch (key) {
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
  state_.openGivenFile(QFile::encodeName(*path).toStdString());
  showState();
}

}  // namespace zev
