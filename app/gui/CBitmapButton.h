#pragma once

#include <QAbstractButton>
#include <QPixmap>

// Owner-drawn push button with four images: normal ("U"), pressed ("D"),
// focused ("F") and disabled ("X"). The images are found by the button's
// caption followed by the state letter, and the button takes their size.
class CBitmapButton : public QAbstractButton {
  Q_OBJECT

 public:
  explicit CBitmapButton(QWidget* parent = nullptr);

  // Loads the four images named after `caption`; false when the normal image
  // is missing (the others fall back to it).
  bool LoadBitmaps(const QString& caption);

  // Resizes the button to its normal image.
  void SizeToContent();

  // The image shown for the button's current state.
  QPixmap CurrentImage() const;

  // Which of the four images is shown: 'U', 'D', 'F' or 'X'.
  char CurrentState() const;

  QSize sizeHint() const override;

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  QPixmap fUp, fDown, fFocus, fDisabled;
};
