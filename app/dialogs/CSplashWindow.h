#pragma once

#include "app/dialogs/DialogBehaviour.h"

// The picture shown while the start sound plays. It ends itself as OK would
// when its timer fires (6.5 s) or when the left mouse button is released over
// it; Escape ends it as well.
class CSplashWindow : public DialogBehaviour {
 public:
  CSplashWindow();

  bool OnInitDialog() override;
  void OnTimer(int timerId) override;
  void OnLButtonUp() override;
  void OnClose() override;
};
