#pragma once

#include "app/gui/COkBox.h"

class QLabel;

// Tells the player that the selected object is not in the buy catalogue, so
// its sorts cannot be changed.
class CErrorBox : public COkBox {
  Q_OBJECT

 public:
  explicit CErrorBox(QWidget* parent = nullptr);

  QLabel* Message() const { return fMessage; }

 protected:
  bool OnInitDialog() override;

 private:
  QLabel* fMessage = nullptr;
};
