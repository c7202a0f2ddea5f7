#include "app/dialogs/CSplashWindow.h"

#include "app/dialogs/ResourceIds.h"
#include "app/dialogs/iDialogFace.h"

CSplashWindow::CSplashWindow() : DialogBehaviour(kDialogSplash) {}

bool CSplashWindow::OnInitDialog() {
  DialogBehaviour::OnInitDialog();
  Face().SetTitle("The Velt Plimsett Object Organizer");
  // The template's frame, in dialog units, comes out a pixel taller than the
  // picture; the window is the picture and nothing else.
  Face().FitToItem(kControlSplashPicture);
  Face().StartTimer(kSplashTimerId, kSplashPeriodMs);
  return true;
}

void CSplashWindow::OnTimer(int timerId) {
  if (timerId == kSplashTimerId) OnOK();
}

void CSplashWindow::OnLButtonUp() { OnOK(); }

void CSplashWindow::OnClose() {
  Face().StopTimer(kSplashTimerId);
  DialogBehaviour::OnClose();
}
