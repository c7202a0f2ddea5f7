#pragma once

#include <QListWidget>

// A list box as the dialog templates mean it: one selected line that stays
// selected (a Ctrl+click on it does not take the highlight away), lines shown
// in full, never shortened with an ellipsis, and a horizontal scroll bar, when
// the template gives one, that reaches the widest line.
//
// It reports the user's choice of another line with selChange(), after the
// new line is highlighted, so that a window opened by the notification shows
// the list as it now is. Signals are blocked while the program selects.
class DialogListBox : public QListWidget {
  Q_OBJECT

 public:
  explicit DialogListBox(QWidget* parent = nullptr);

 signals:
  void selChange();

 protected:
  QItemSelectionModel::SelectionFlags selectionCommand(const QModelIndex& index,
                                                       const QEvent* event) const override;
  void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;
};
