#include "app/dialogs/CAboutDlg.h"

#include "app/dialogs/ResourceIds.h"

CAboutDlg::CAboutDlg() : COkBox(kDialogAbout) {}
