#pragma once

#include "app/dialogs/COkBox.h"

// The About box: picture, title and version, credits, OK.
class CAboutDlg : public COkBox {
 public:
  CAboutDlg();
};
