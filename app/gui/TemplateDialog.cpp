#include "app/gui/TemplateDialog.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QScreen>
#include <QSignalBlocker>

#include "app/gui/AppResources.h"
#include "app/gui/CBitmapButton.h"
#include "app/gui/DialogFonts.h"
#include "app/gui/DialogResources.h"
#include "app/gui/QuitRequest.h"
#include "app/gui/ResourceIds.h"

namespace {

bool gColorsSet = false;
QColor gBackground;
QColor gText;

Qt::WindowFlags FrameFlags(uint32_t style) {
  Qt::WindowFlags flags = Qt::Dialog | Qt::CustomizeWindowHint;
  if (!(style & kFrameCaption)) return flags | Qt::FramelessWindowHint;
  flags |= Qt::WindowTitleHint;
  if (style & kFrameSysMenu) flags |= Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
  if (style & kFrameMinimizeBox) flags |= Qt::WindowMinimizeButtonHint;
  return flags;
}

}  // namespace

TemplateDialog::TemplateDialog(int templateId, QWidget* parent)
    : QDialog(parent),
      fTemplate(DialogResources::Find(templateId)),
      fUnits(DialogFonts::UnitsFor(fTemplate)) {
  AppResources::Init();
  setObjectName(QStringLiteral("dialog%1").arg(templateId));
  setFont(DialogFonts::ForTemplate(fTemplate));
  setWindowFlags(FrameFlags(fTemplate.style));
  setWindowTitle(QString::fromStdString(fTemplate.title));
  ApplyColors();
  CreateControls();
  CreateSystemMenu();
  FitToControls();
}

TemplateDialog::~TemplateDialog() = default;

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
  if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
    connect(button, &QAbstractButton::clicked, this, [this, id] { OnCommand(id, Notify::kClicked); });
  } else if (auto* combo = qobject_cast<QComboBox*>(widget)) {
    // activated comes from the user only.
    connect(combo, &QComboBox::activated, this, [this, id] { OnCommand(id, Notify::kSelChange); });
  } else if (auto* list = qobject_cast<QListWidget*>(widget)) {
    // The program selects lines through SetCurSel, which blocks this signal.
    connect(list, &QListWidget::currentRowChanged, this,
            [this, id] { OnCommand(id, Notify::kSelChange); });
  }
}

void TemplateDialog::SetCurSel(QListWidget* list, int index) {
  if (!list) return;
  const QSignalBlocker quiet(list);
  list->setCurrentRow(index);
}

QWidget* TemplateDialog::CreateControl(const ControlTemplate& control) {
  const QString caption = QString::fromStdString(control.caption);
  const QRect rect = fUnits.ToPixels(control.x, control.y, control.cx, control.cy);
  switch (control.kind) {
    case ControlKind::kListBox: {
      auto* list = new QListWidget(this);
      list->setGeometry(rect);
      list->setSelectionMode(QAbstractItemView::SingleSelection);
      list->setUniformItemSizes(true);
      list->setVerticalScrollBarPolicy((control.style & kStyleVScroll) ? Qt::ScrollBarAsNeeded
                                                                        : Qt::ScrollBarAlwaysOff);
      list->setHorizontalScrollBarPolicy((control.style & kStyleHScroll) ? Qt::ScrollBarAsNeeded
                                                                          : Qt::ScrollBarAlwaysOff);
      list->setFrameShape((control.style & kStyleBorder) ? QFrame::StyledPanel : QFrame::NoFrame);
      return list;
    }
    case ControlKind::kComboBox: {
      auto* combo = new QComboBox(this);
      // Text typed into the edit field selects nothing and adds nothing.
      combo->setEditable(true);
      combo->setInsertPolicy(QComboBox::NoInsert);
      combo->setDuplicatesEnabled(true);
      combo->setCompleter(nullptr);
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
      auto* button = new CBitmapButton(this);
      button->setText(caption);
      button->setGeometry(rect);
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
  connect(fSystemMenu, &QMenu::triggered, this,
          [this](QAction* action) { OnSysCommand(action->data().toUInt()); });
}

void TemplateDialog::FitToControls() {
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

CBitmapButton* TemplateDialog::AutoLoad(int controlId) {
  CBitmapButton* button = BitmapButton(controlId);
  if (!button) return nullptr;
  button->LoadBitmaps(button->text());
  button->SizeToContent();
  return button;
}

int TemplateDialog::DoModal() {
  if (QuitRequest::Pending()) return -1;
  if (!fInitialized) {
    fInitialized = true;
    OnInitDialog();
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

void TemplateDialog::EndDialog(int result) { done(result); }

bool TemplateDialog::OnInitDialog() {
  // The combo boxes' initial items; like the platform's list boxes they start
  // with no item selected.
  for (const ControlTemplate& control : fTemplate.controls) {
    if (control.kind != ControlKind::kComboBox || control.items.empty()) continue;
    QComboBox* combo = ComboBox(control.id);
    if (!combo) continue;
    for (const std::string& item : control.items) combo->addItem(QString::fromStdString(item));
    combo->setCurrentIndex(-1);
  }
  return true;
}

void TemplateDialog::OnOK() { EndDialog(kIdOk); }

void TemplateDialog::OnCancel() { EndDialog(kIdCancel); }

void TemplateDialog::OnCommand(int controlId, Notify code) {
  if (code != Notify::kClicked) return;
  if (controlId == kIdOk) OnOK();
  if (controlId == kIdCancel) OnCancel();
}

void TemplateDialog::OnSysCommand(unsigned commandId) {
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

void TemplateDialog::keyPressEvent(QKeyEvent* event) {
  const Qt::KeyboardModifiers modifiers = event->modifiers() & ~Qt::KeypadModifier;
  if (modifiers == Qt::NoModifier) {
    switch (event->key()) {
      case Qt::Key_Return:
      case Qt::Key_Enter:
        OnOK();
        return;
      case Qt::Key_Escape:
        OnCancel();
        return;
      default:
        break;
    }
  }
  QDialog::keyPressEvent(event);
}

void TemplateDialog::closeEvent(QCloseEvent* event) {
  event->ignore();
  if (isVisible()) OnCancel();
}

void TemplateDialog::contextMenuEvent(QContextMenuEvent* event) {
  // The window manager owns the real system menu, so the dialog's own items
  // are offered on its background (and on its static texts and pictures).
  QWidget* child = childAt(event->pos());
  if (fSystemMenu && (!child || qobject_cast<QLabel*>(child))) {
    fSystemMenu->exec(event->globalPos());
    return;
  }
  QDialog::contextMenuEvent(event);
}
