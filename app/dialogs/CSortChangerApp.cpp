#include "app/dialogs/CSortChangerApp.h"

#include "app/dialogs/CSortChangerDlg.h"
#include "app/dialogs/CSplashWindow.h"
#include "app/dialogs/SoundService.h"
#include "app/dialogs/iAppFace.h"

int CSortChangerApp::Run() {
  InitInstance();
  return fFace.ExitCode();
}

bool CSortChangerApp::InitInstance() {
  fFace.Enable3dControls();
  fFace.SetDialogColors({142, 0, 0}, {255, 255, 255});

  SoundService::Instance().Play("Velt");
  {
    CSplashWindow splash;
    fFace.RunModal(splash);
  }
  SoundService::Instance().Stop();

  fFace.SetRegistryKey("Korva");

  CSortChangerDlg dialog;
  fMainWindow = &dialog;
  fFace.RunModal(dialog);
  fMainWindow = nullptr;
  return false;
}
