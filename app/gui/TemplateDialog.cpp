#include "app/gui/TemplateDialog.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QContextMenuEvent>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QShortcut>
#include <QSignalBlocker>
#include <QTimer>

#include "app/dialogs/DialogResources.h"
#include "app/dialogs/ResourceIds.h"
#include "app/gui/AppResources.h"
#include "app/gui/CBitmapButton.h"
#include "app/gui/DialogComboBox.h"
#include "app/gui/DialogFonts.h"
#include "app/gui/DialogListBox.h"
#include "app/gui/QuitRequest.h"

namespace {

bool gColorsSet = false;
QColor gBackground;
QColor gText;

Qt::WindowFlags FrameFlags(uint32_t style) {
  // A window of its own, not a dialog of some other window: task bars list
  // it, and it is nobody's transient.
  Qt::WindowFlags flags = ((style & kFrameAppWindow) ? Qt::Window : Qt::Dialog) | Qt::CustomizeWindowHint;
  if (!(style & kFrameCaption)) return flags | Qt::FramelessWindowHint;
  flags |= Qt::WindowTitleHint;
  if (style & kFrameSysMenu) flags |= Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
  if (style & kFrameMinimizeBox) flags |= Qt::WindowMinimizeButtonHint;
  return flags;
}

void CenterOnScreen(QWidget* window) {
  if (const QScreen* screen = window->screen() ? window->screen() : QGuiApplication::primaryScreen()) {
    QRect frame = window->frameGeometry();
    frame.moveCenter(screen->availableGeometry().center());
    window->move(frame.topLeft());
  }
}

// A message box that Qt would place over its owner, even while the owner is
// not shown yet (its initialisation is still running), which puts it in the
// corner of the screen. Such a box goes to the middle of the screen instead.
class OwnedMessageBox : public QMessageBox {
 public:
  using QMessageBox::QMessageBox;

 protected:
  void showEvent(QShowEvent* event) override {
    QMessageBox::showEvent(event);
    if (parentWidget() && !parentWidget()->isVisible()) CenterOnScreen(this);
  }
};

}  // namespace

TemplateDialog::TemplateDialog(DialogBehaviour& behaviour, QWidget* parent)
    : QDialog(parent),
      fBehaviour(behaviour),
      fTemplate(behaviour.Template()),
      fUnits(DialogFonts::UnitsFor(fTemplate)) {
  AppResources::Init();
  setObjectName(QStringLiteral("dialog%1").arg(fTemplate.id));
  setFont(DialogFonts::ForTemplate(fTemplate));
  setWindowFlags(FrameFlags(fTemplate.style));
  setWindowTitle(QString::fromStdString(fTemplate.title));
  ApplyColors();
  CreateControls();
  CreateSystemMenu();
  FitToControls();
  fBehaviour.Attach(this);
}

TemplateDialog::~TemplateDialog() {
  // The controls go after this; nothing they report may reach the behaviour.
  for (const auto& [id, widget] : fItems) widget->blockSignals(true);
  fBehaviour.Attach(nullptr);
}

void TemplateDialog::SetDialogColors(const QColor& background, const QColor& text) {
  gColorsSet = true;
  gBackground = background;
  gText = text;
  // Message boxes take the application's palette, not a dialog's.
  QPalette palette = QApplication::palette();
  palette.setColor(QPalette::Window, background);
  palette.setColor(QPalette::WindowText, text);
  QApplication::setPalette(palette);
}

void TemplateDialog::ApplyColors() {
  if (!gColorsSet) return;
  QPalette p = palette();
  p.setColor(QPalette::Window, gBackground);
  p.setColor(QPalette::WindowText, gText);
  // Disabled check boxes must stay readable on the dark background.
  p.setColor(QPalette::Disabled, QPalette::WindowText,
             QColor((gBackground.red() + 2 * gText.red()) / 3,
                    (gBackground.green() + gText.green()) / 2,
                    (gBackground.blue() + gText.blue()) / 2));
  setPalette(p);
  setAutoFillBackground(true);
}

void TemplateDialog::CreateControls() {
  for (const ControlTemplate& control : fTemplate.controls) {
    QWidget* widget = CreateControl(control);
    if (control.id == kNoControlId) continue;
    widget->setObjectName(QStringLiteral("control%1").arg(control.id));
    fItems[control.id] = widget;
    ConnectNotifications(control.id, widget);
  }
}

void TemplateDialog::ConnectNotifications(int id, QWidget* widget) {
  using Notify = DialogBehaviour::Notify;
  if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
    connect(button, &QAbstractButton::clicked, this, [this, id] { fBehaviour.OnCommand(id, Notify::kClicked); });
  } else if (auto* combo = qobject_cast<DialogComboBox*>(widget)) {
    // activated comes from the user only.
    connect(combo, &QComboBox::activated, this, [this, id] { fBehaviour.OnCommand(id, Notify::kSelChange); });
    connect(combo, &DialogComboBox::focusLeft, this, [this, id] { fBehaviour.OnCommand(id, Notify::kKillFocus); });
  } else if (auto* list = qobject_cast<DialogListBox*>(widget)) {
    // The program's own selections are made with the list's signals blocked.
    connect(list, &DialogListBox::selChange, this, [this, id] { fBehaviour.OnCommand(id, Notify::kSelChange); });
  }
}

QWidget* TemplateDialog::CreateControl(const ControlTemplate& control) {
  const QString caption = QString::fromStdString(control.caption);
  const QRect rect = fUnits.ToPixels(control.x, control.y, control.cx, control.cy);
  switch (control.kind) {
    case ControlKind::kListBox: {
      auto* list = new DialogListBox(this);
      list->setGeometry(rect);
      list->setVerticalScrollBarPolicy((control.style & kStyleVScroll) ? Qt::ScrollBarAsNeeded
                                                                        : Qt::ScrollBarAlwaysOff);
      list->setHorizontalScrollBarPolicy((control.style & kStyleHScroll) ? Qt::ScrollBarAsNeeded
                                                                          : Qt::ScrollBarAlwaysOff);
      list->setFrameShape((control.style & kStyleBorder) ? QFrame::StyledPanel : QFrame::NoFrame);
      return list;
    }
    case ControlKind::kComboBox: {
      auto* combo = new DialogComboBox(this);
      const int editHeight = combo->sizeHint().height();
      combo->setGeometry(rect.x(), rect.y(), rect.width(), editHeight);
      // The template height covers the edit field and the dropped-down list.
      const int itemHeight = std::max(1, combo->fontMetrics().height() + 2);
      combo->setMaxVisibleItems(std::max(1, (rect.height() - editHeight) / itemHeight));
      return combo;
    }
    case ControlKind::kStaticText: {
      auto* label = new QLabel(caption, this);
      label->setTextFormat(Qt::PlainText);
      label->setAlignment(((control.style & kStyleCenter) ? Qt::AlignHCenter : Qt::AlignLeft) |
                          Qt::AlignTop);
      // A one-line label is sized for the original font; when the substitute
      // runs wider, the label grows to the right instead of wrapping its text
      // into a second line that it has no room to show.
      const QFontMetrics metrics = label->fontMetrics();
      const bool oneLine = rect.height() < 2 * metrics.height() && !caption.contains('\n');
      label->setWordWrap(!oneLine);
      QRect bounds = rect;
      if (oneLine) bounds.setWidth(std::max(rect.width(), metrics.horizontalAdvance(caption) + 1));
      label->setGeometry(bounds);
      return label;
    }
    case ControlKind::kPicture: {
      auto* picture = new QLabel(this);
      const QPixmap bitmap = AppResources::Bitmap(std::atoi(control.caption.c_str()));
      picture->setPixmap(bitmap);
      picture->setGeometry(QRect(rect.topLeft(), bitmap.isNull() ? rect.size() : bitmap.size()));
      return picture;
    }
    case ControlKind::kCheckBox: {
      auto* check = new QCheckBox(caption, this);
      // As for labels: never cut the caption short.
      check->setGeometry(rect.x(), rect.y(), std::max(rect.width(), check->sizeHint().width()),
                         rect.height());
      return check;
    }
    case ControlKind::kBitmapButton: {
      // Owner-drawn with the four images named after the caption, and as
      // large as they are; the template gives the position.
      auto* button = new CBitmapButton(this);
      button->setGeometry(rect);
      button->LoadBitmaps(caption);
      button->SizeToContent();
      return button;
    }
  }
  return new QWidget(this);
}

void TemplateDialog::CreateSystemMenu() {
  if (!(fTemplate.style & kFrameSysMenu)) return;
  fSystemMenu = new QMenu(this);
  if (fTemplate.style & kFrameMinimizeBox) {
    fSystemMenu->addAction(tr("Mi&nimize"))->setData(kCommandMinimize);
  }
  fSystemMenu->addAction(tr("&Close"))->setData(kCommandClose);
  connect(fSystemMenu, &QMenu::triggered, this, [this](QAction* action) {
    const unsigned command = action->data().toUInt();
    if (!fBehaviour.OnSysCommand(command)) DefaultSysCommand(command);
  });
  // The window manager keeps the real window menu for itself (its mouse
  // button and, often, Alt+Space); these keys reach the dialog's own.
  for (const QKeySequence& keys : {QKeySequence(Qt::ALT | Qt::Key_Space), QKeySequence(Qt::Key_Menu),
                                   QKeySequence(Qt::SHIFT | Qt::Key_F10)}) {
    connect(new QShortcut(keys, this), &QShortcut::activated, this, &TemplateDialog::ShowSystemMenu);
  }
}

void TemplateDialog::ShowSystemMenu() {
  if (fSystemMenu) fSystemMenu->popup(mapToGlobal(QPoint(0, 0)));
}

void TemplateDialog::DefaultSysCommand(unsigned commandId) {
  switch (commandId & 0xFFF0) {
    case kCommandMinimize:
      showMinimized();
      break;
    case kCommandClose:
      close();
      break;
    default:
      break;
  }
}

void TemplateDialog::FitToControls() {
  if (const QWidget* item = Item(fFitItem)) {
    setFixedSize(QRect(QPoint(0, 0), item->geometry().bottomRight()).size());
    return;
  }
  // Bitmap buttons and pictures take the size of their images, which may reach
  // past the template's frame with the substitute fonts; grow the frame instead
  // of cutting them off.
  QRect client(QPoint(0, 0), fUnits.ToPixels(fTemplate.cx, fTemplate.cy));
  for (const QObject* child : children()) {
    const auto* widget = qobject_cast<const QWidget*>(child);
    if (widget && !widget->isWindow()) client = client.united(widget->geometry());
  }
  setFixedSize(client.size());
}

QWidget* TemplateDialog::Item(int controlId) const {
  const auto found = fItems.find(controlId);
  return found == fItems.end() ? nullptr : found->second;
}

QListWidget* TemplateDialog::ListBox(int controlId) const {
  return qobject_cast<QListWidget*>(Item(controlId));
}

QComboBox* TemplateDialog::ComboBox(int controlId) const {
  return qobject_cast<QComboBox*>(Item(controlId));
}

QCheckBox* TemplateDialog::CheckBox(int controlId) const {
  return qobject_cast<QCheckBox*>(Item(controlId));
}

CBitmapButton* TemplateDialog::BitmapButton(int controlId) const {
  return qobject_cast<CBitmapButton*>(Item(controlId));
}

QTimer* TemplateDialog::Timer(int timerId) const {
  const auto found = fTimers.find(timerId);
  return found == fTimers.end() ? nullptr : found->second;
}

int TemplateDialog::DoModal() {
  if (QuitRequest::Pending()) return -1;
  if (!fInitialized) {
    fInitialized = true;
    fBehaviour.OnInitDialog();
  }
  FitToControls();
  if (fTemplate.style & kFrameCentered) {
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
      move(screen->availableGeometry().center() - rect().center());
    }
  }
  const int result = exec();
  return QuitRequest::Pending() ? -1 : result;
}

void TemplateDialog::done(int result) {
  // Timers belong to the window; none may fire into a later run.
  for (const auto& [id, timer] : fTimers) timer->stop();
  QDialog::done(result);
}

void TemplateDialog::ListReset(int id) {
  if (QListWidget* list = ListBox(id)) {
    const QSignalBlocker quiet(list);
    list->clear();
  }
}

void TemplateDialog::ListAddString(int id, const std::string& text) {
  if (QListWidget* list = ListBox(id)) list->addItem(QString::fromStdString(text));
}

int TemplateDialog::ListGetCurSel(int id) const {
  const QListWidget* list = ListBox(id);
  return list ? list->currentRow() : -1;
}

void TemplateDialog::ListSetCurSel(int id, int index) {
  if (QListWidget* list = ListBox(id)) {
    const QSignalBlocker quiet(list);
    list->setCurrentRow(index);
  }
}

void TemplateDialog::ComboReset(int id) {
  if (QComboBox* combo = ComboBox(id)) {
    const QSignalBlocker quiet(combo);
    combo->clear();
  }
}

void TemplateDialog::ComboAddString(int id, const std::string& text) {
  if (QComboBox* combo = ComboBox(id)) {
    const QSignalBlocker quiet(combo);
    combo->addItem(QString::fromStdString(text));
  }
}

int TemplateDialog::ComboGetCurSel(int id) const {
  const QComboBox* combo = ComboBox(id);
  return combo ? combo->currentIndex() : -1;
}

void TemplateDialog::ComboSetCurSel(int id, int index) {
  QComboBox* combo = ComboBox(id);
  if (!combo) return;
  const QSignalBlocker quiet(combo);
  combo->setCurrentIndex(index);
  // Also when the index stays: the edit field drops whatever was typed.
  if (QLineEdit* edit = combo->lineEdit()) edit->setText(combo->itemText(combo->currentIndex()));
}

bool TemplateDialog::IsChecked(int id) const {
  const QCheckBox* check = CheckBox(id);
  return check && check->isChecked();
}

void TemplateDialog::SetCheck(int id, bool checked) {
  if (QCheckBox* check = CheckBox(id)) check->setChecked(checked);
}

void TemplateDialog::EnableItem(int id, bool enabled) {
  if (QWidget* item = Item(id)) item->setEnabled(enabled);
}

void TemplateDialog::SetTitle(const std::string& text) { setWindowTitle(QString::fromStdString(text)); }

std::string TemplateDialog::ResourceString(int stringId) const { return DialogResources::String(stringId); }

void TemplateDialog::SetIcon(int iconId) { setWindowIcon(AppResources::Icon(iconId)); }

void TemplateDialog::FitToItem(int id) {
  fFitItem = id;
  FitToControls();
}

void TemplateDialog::AppendWindowMenuSeparator() {
  if (fSystemMenu) fSystemMenu->addSeparator();
}

void TemplateDialog::AppendWindowMenuItem(unsigned command, const std::string& text) {
  if (fSystemMenu) fSystemMenu->addAction(QString::fromStdString(text))->setData(command);
}

void TemplateDialog::StartTimer(int timerId, int periodMs) {
  QTimer*& timer = fTimers[timerId];
  if (!timer) {
    timer = new QTimer(this);
    connect(timer, &QTimer::timeout, this, [this, timerId] { fBehaviour.OnTimer(timerId); });
  }
  timer->start(periodMs);
}

void TemplateDialog::StopTimer(int timerId) {
  const auto found = fTimers.find(timerId);
  if (found != fTimers.end()) found->second->stop();
}

void TemplateDialog::EndDialog(int result) { done(result); }

void TemplateDialog::ShowMessage(const std::string& text, const std::string& caption) {
  OwnedMessageBox box(QMessageBox::NoIcon, QString::fromStdString(caption), QString::fromStdString(text),
                      QMessageBox::Ok, this);
  // The program's look: the dialog's font and colours, and a plain OK
  // button rather than the desktop's stock one with its icon.
  box.setFont(font());
  box.setPalette(palette());
  if (QAbstractButton* ok = box.button(QMessageBox::Ok)) {
    ok->setIcon(QIcon());
    ok->setText(QStringLiteral("OK"));
  }
  box.exec();
}

int TemplateDialog::RunModal(DialogBehaviour& dialog) {
  TemplateDialog window(dialog, this);
  return window.DoModal();
}

void TemplateDialog::PostQuit(int exitCode) { QuitRequest::Post(exitCode); }

void TemplateDialog::keyPressEvent(QKeyEvent* event) {
  const Qt::KeyboardModifiers modifiers = event->modifiers() & ~Qt::KeypadModifier;
  if (modifiers == Qt::NoModifier) {
    switch (event->key()) {
      case Qt::Key_Return:
      case Qt::Key_Enter:
        fBehaviour.OnCommand(kIdOk, DialogBehaviour::Notify::kClicked);
        return;
      case Qt::Key_Escape:
        fBehaviour.OnCommand(kIdCancel, DialogBehaviour::Notify::kClicked);
        return;
      default:
        break;
    }
  }
  QDialog::keyPressEvent(event);
}

void TemplateDialog::closeEvent(QCloseEvent* event) {
  event->ignore();
  if (isVisible()) fBehaviour.OnClose();
}

void TemplateDialog::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton) {
    fBehaviour.OnLButtonUp();
    return;
  }
  QDialog::mouseReleaseEvent(event);
}

void TemplateDialog::contextMenuEvent(QContextMenuEvent* event) {
  // The window manager owns the real window menu, so the dialog's own is
  // offered on its background (and on its static texts and pictures).
  QWidget* child = childAt(event->pos());
  if (fSystemMenu && (!child || qobject_cast<QLabel*>(child))) {
    fSystemMenu->popup(event->globalPos());
    return;
  }
  QDialog::contextMenuEvent(event);
}
