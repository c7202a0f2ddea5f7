#pragma once

#include "app/gui/COkBox.h"

// The About box: picture, title and version, credits, OK.
class CAboutDlg : public COkBox {
  Q_OBJECT

 public:
  explicit CAboutDlg(QWidget* parent = nullptr);
};
