#include "app/gui/CBitmapButton.h"

#include <QPainter>

#include "app/gui/AppResources.h"

CBitmapButton::CBitmapButton(QWidget* parent) : QAbstractButton(parent) {
  setFocusPolicy(Qt::StrongFocus);
}

bool CBitmapButton::LoadBitmaps(const QString& caption) {
  const QString base = caption.toUpper();
  fUp = AppResources::Bitmap(base + QLatin1Char('U'));
  fDown = AppResources::Bitmap(base + QLatin1Char('D'));
  fFocus = AppResources::Bitmap(base + QLatin1Char('F'));
  fDisabled = AppResources::Bitmap(base + QLatin1Char('X'));
  if (fDown.isNull()) fDown = fUp;
  if (fFocus.isNull()) fFocus = fUp;
  if (fDisabled.isNull()) fDisabled = fUp;
  setText(caption);
  setAccessibleName(caption);
  update();
  return !fUp.isNull();
}

void CBitmapButton::SizeToContent() {
  if (!fUp.isNull()) setFixedSize(fUp.size());
}

char CBitmapButton::CurrentState() const {
  if (!isEnabled()) return 'X';
  if (isDown()) return 'D';
  if (hasFocus()) return 'F';
  return 'U';
}

QPixmap CBitmapButton::CurrentImage() const {
  switch (CurrentState()) {
    case 'X': return fDisabled;
    case 'D': return fDown;
    case 'F': return fFocus;
    default: return fUp;
  }
}

QSize CBitmapButton::sizeHint() const {
  return fUp.isNull() ? QSize(75, 23) : fUp.size();
}

void CBitmapButton::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  const QPixmap image = CurrentImage();
  if (!image.isNull()) {
    painter.drawPixmap(0, 0, image);
    return;
  }
  // Without images the caption still shows, so the button stays usable.
  painter.fillRect(rect(), palette().button());
  painter.setPen(palette().buttonText().color());
  painter.drawRect(rect().adjusted(0, 0, -1, -1));
  painter.drawText(rect(), Qt::AlignCenter, text());
}
