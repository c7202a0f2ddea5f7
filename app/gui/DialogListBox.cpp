#include "app/gui/DialogListBox.h"

DialogListBox::DialogListBox(QWidget* parent) : QListWidget(parent) {
  setSelectionMode(QAbstractItemView::SingleSelection);
  setTextElideMode(Qt::ElideNone);
  // Every line is measured for itself; a uniform size would take the first
  // line's width for all of them and leave nothing to scroll to.
  setUniformItemSizes(false);
}

QItemSelectionModel::SelectionFlags DialogListBox::selectionCommand(const QModelIndex& index,
                                                                    const QEvent* event) const {
  const QItemSelectionModel::SelectionFlags command = QListWidget::selectionCommand(index, event);
  if (!(command & (QItemSelectionModel::Deselect | QItemSelectionModel::Toggle))) return command;
  // Ctrl+click and Ctrl+Space would take the one selection away; a line can
  // only give way to another one.
  if (index.isValid() && !selectionModel()->isSelected(index)) {
    return QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows;
  }
  return QItemSelectionModel::NoUpdate;
}

void DialogListBox::currentChanged(const QModelIndex& current, const QModelIndex& previous) {
  QListWidget::currentChanged(current, previous);
  // A mouse press makes the line current before it selects it; the highlight
  // moves first here, so that it is right while the notification runs.
  if (current.isValid() && !selectionModel()->isSelected(current)) {
    selectionModel()->select(current, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
  }
  if (current != previous) emit selChange();
}
