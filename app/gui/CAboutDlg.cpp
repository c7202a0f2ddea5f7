#include "app/gui/CAboutDlg.h"

#include "app/gui/ResourceIds.h"

CAboutDlg::CAboutDlg(QWidget* parent) : COkBox(kDialogAbout, parent) {}
