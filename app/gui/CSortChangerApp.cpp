#include "app/gui/CSortChangerApp.h"

#include <QApplication>
#include <QColor>
#include <QStyleFactory>

#include "app/gui/AppResources.h"
#include "app/gui/CSortChangerDlg.h"
#include "app/gui/CSplashWindow.h"
#include "app/gui/QuitRequest.h"
#include "app/gui/SoundService.h"
#include "app/gui/TemplateDialog.h"

int CSortChangerApp::Run() {
  QuitRequest::Clear();
  InitInstance();
  return QuitRequest::Pending() ? QuitRequest::ExitCode() : 0;
}

bool CSortChangerApp::InitInstance() {
  AppResources::Init();
  // Bevelled, three-dimensional controls look the same on every desktop.
  if (QStyle* style = QStyleFactory::create(QStringLiteral("Fusion"))) QApplication::setStyle(style);
  TemplateDialog::SetDialogColors(QColor(142, 0, 0), QColor(255, 255, 255));

  SoundService::Instance().Play(QStringLiteral("Velt"));
  {
    CSplashWindow splash;
    splash.DoModal();
  }
  SoundService::Instance().Stop();

  QCoreApplication::setOrganizationName(QStringLiteral("Korva"));

  CSortChangerDlg dialog;
  fMainWindow = &dialog;
  dialog.DoModal();
  fMainWindow = nullptr;
  return false;
}
