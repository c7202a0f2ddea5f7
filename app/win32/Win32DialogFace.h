#pragma once

#include <windows.h>

#include <map>
#include <memory>
#include <string>

#include "app/dialogs/DialogBehaviour.h"
#include "app/dialogs/DialogTemplate.h"
#include "app/dialogs/iDialogFace.h"
#include "app/win32/CBitmapButton.h"

// The Win32 face of one dialog: the system's modal dialog built from the
// program's dialog resource of the behaviour's template id (see DialogScript),
// whose dialog procedure reports what the user does to the behaviour and
// carries out the behaviour's requests (iDialogFace) on the real controls.
//
// Life cycle: Run creates the face and the window; WM_INITDIALOG attaches the
// behaviour, binds the bitmap buttons, widens one-line texts that a stand-in
// font makes wider than their rectangles, grows the frame over controls that
// reach past it, runs the behaviour's OnInitDialog and centres a window that
// it did not place (on its owner, or on the screen); the system's modal loop
// follows until the behaviour ends it; the behaviour is detached when the
// window is gone.
//
// Notifications: BN_CLICKED of buttons and check boxes, LBN_SELCHANGE,
// CBN_SELCHANGE and CBN_KILLFOCUS; Enter and Escape arrive as clicks of
// IDOK and IDCANCEL. Window-menu commands, timers, the left mouse button
// released over the window and the close request go to their handlers.
class Win32DialogFace : public iDialogFace {
 public:
  // Runs the dialog of `behaviour` modally, owned by `owner` (null: none).
  // Returns the code it ended with, or -1 once the program is quitting or
  // when the window cannot be made.
  static int Run(DialogBehaviour& behaviour, HWND owner);

  // iDialogFace.
  void ListReset(int id) override;
  void ListAddString(int id, const std::string& text) override;
  int ListGetCurSel(int id) const override;
  void ListSetCurSel(int id, int index) override;
  void ComboReset(int id) override;
  void ComboAddString(int id, const std::string& text) override;
  int ComboGetCurSel(int id) const override;
  void ComboSetCurSel(int id, int index) override;
  bool IsChecked(int id) const override;
  void SetCheck(int id, bool checked) override;
  void EnableItem(int id, bool enabled) override;
  void SetTitle(const std::string& text) override;
  std::string ResourceString(int stringId) const override;
  void SetIcon(int iconId) override;
  void FitToItem(int id) override;
  void AppendWindowMenuSeparator() override;
  void AppendWindowMenuItem(unsigned command, const std::string& text) override;
  void StartTimer(int timerId, int periodMs) override;
  void StopTimer(int timerId) override;
  void EndDialog(int result) override;
  void ShowMessage(const std::string& text, const std::string& caption) override;
  int RunModal(DialogBehaviour& dialog) override;
  void PostQuit(int exitCode) override;

 private:
  Win32DialogFace(DialogBehaviour& behaviour, HWND owner);

  // The face of a dialog window that Run shows, or null.
  static Win32DialogFace* FromWindow(HWND window);
  static INT_PTR CALLBACK DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  INT_PTR Handle(UINT message, WPARAM wParam, LPARAM lParam);
  BOOL InitDialog();
  void Command(int id, UINT code);
  bool PaintIcon();

  // The control `id` if the template has it as a `kind`, else null.
  HWND Control(int id, ControlKind kind) const;
  // Makes the client area `width` by `height` pixels.
  void SetClientSize(int width, int height);
  // Widens one-line static texts to their text.
  void WidenOneLineTexts();
  // Makes the client area large enough for every control.
  void GrowOverControls();
  void Center();

  DialogBehaviour& fBehaviour;
  const DialogTemplate& fTemplate;
  HWND fOwner;
  HWND fWindow = nullptr;
  std::map<int, std::unique_ptr<CBitmapButton>> fButtons;
  // Widest line of each list box with a horizontal scroll bar, in pixels.
  std::map<int, int> fListWidths;
  HICON fIcon = nullptr;
  HICON fSmallIcon = nullptr;
};
