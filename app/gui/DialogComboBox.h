#pragma once

#include <QComboBox>

// A drop-down combo box with an edit field, as the dialog templates mean it:
// only a choice from its list (mouse or arrow keys) changes its item and is
// reported with activated(). Text typed into the edit field selects nothing
// and adds nothing, also when it matches an item and the field is left.
// focusLeft() tells that the keyboard focus went elsewhere (not to the box's
// own drop-down list).
class DialogComboBox : public QComboBox {
  Q_OBJECT

 public:
  explicit DialogComboBox(QWidget* parent = nullptr);

 signals:
  void focusLeft();

 protected:
  void focusOutEvent(QFocusEvent* event) override;
};
