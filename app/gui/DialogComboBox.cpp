#include "app/gui/DialogComboBox.h"

#include <QFocusEvent>
#include <QLineEdit>

DialogComboBox::DialogComboBox(QWidget* parent) : QComboBox(parent) {
  setEditable(true);
  setInsertPolicy(QComboBox::NoInsert);
  setDuplicatesEnabled(true);
  setCompleter(nullptr);
  // When its edit field is finished with (Tab, a click elsewhere), a Qt
  // combo box looks the text up among its items and reports a match as if
  // the user had chosen it. That handler is the combo box's only one on this
  // signal; without it the text is just text.
  QObject::disconnect(lineEdit(), SIGNAL(editingFinished()), this, nullptr);
}

void DialogComboBox::focusOutEvent(QFocusEvent* event) {
  QComboBox::focusOutEvent(event);
  if (event->reason() != Qt::PopupFocusReason) emit focusLeft();
}
