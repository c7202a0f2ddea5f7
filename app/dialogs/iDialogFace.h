#pragma once

#include <string>

class DialogBehaviour;

// One dialog window as its behaviour sees it. Each system has its own face
// (Qt widgets on Linux, a Win32 dialog on Windows) that builds the window from
// the dialog's template, reports what the user does to the behaviour, and
// carries out these requests. Controls are addressed by their template ids;
// text is UTF-8; lines and items are counted from 0, and -1 means none. An id
// that names no control of the right kind is ignored (reads give -1 or false).
//
// Nothing done through this interface is reported back to the behaviour as a
// notification: a selection made by the program is not a user's choice.
//
// The names stay clear of the ones that the Win32 headers define as macros
// (MessageBox, SetWindowText, AppendMenu, LoadIcon, LoadString), so that a
// face may include them.
class iDialogFace {
 public:
  virtual ~iDialogFace() = default;

  // List boxes. A list with a horizontal scroll bar scrolls sideways to its
  // widest line; no line is ever shortened. A single-selection list keeps its
  // selected line until the program or another choice changes it.
  virtual void ListReset(int id) = 0;
  virtual void ListAddString(int id, const std::string& text) = 0;
  virtual int ListGetCurSel(int id) const = 0;
  virtual void ListSetCurSel(int id, int index) = 0;

  // Combo boxes with an edit field. The selection changes only when the user
  // chooses an item from the list (a selection-change notification) or the
  // program sets it here; text typed into the edit field leaves it as it was.
  // Setting the selection shows the item's text in the edit field, and an
  // empty field for -1.
  virtual void ComboReset(int id) = 0;
  virtual void ComboAddString(int id, const std::string& text) = 0;
  virtual int ComboGetCurSel(int id) const = 0;
  virtual void ComboSetCurSel(int id, int index) = 0;

  // Check boxes.
  virtual bool IsChecked(int id) const = 0;
  virtual void SetCheck(int id, bool checked) = 0;

  // Any control; a disabled bitmap button shows its "X" image.
  virtual void EnableItem(int id, bool enabled) = 0;

  // The window: its title, its icon (an icon resource), and its client area
  // made exactly the size of one control (a picture, for a window that is
  // nothing but its picture).
  virtual void SetTitle(const std::string& text) = 0;
  // An entry of the program's string table (DialogResources::String holds
  // them all); empty when there is none.
  virtual std::string ResourceString(int stringId) const = 0;
  virtual void SetIcon(int iconId) = 0;
  virtual void FitToItem(int id) = 0;

  // The window menu (the system menu): items added after the system's own.
  // Choosing one is reported as a system command with `command`.
  virtual void AppendWindowMenuSeparator() = 0;
  virtual void AppendWindowMenuItem(unsigned command, const std::string& text) = 0;

  // Window timers: each fires OnTimer(timerId) every `periodMs` until it is
  // stopped or the window ends. Starting a running timer restarts it.
  virtual void StartTimer(int timerId, int periodMs) = 0;
  virtual void StopTimer(int timerId) = 0;

  // Ends this dialog's modal loop with `result` once the current notification
  // returns.
  virtual void EndDialog(int result) = 0;

  // Modal loops owned by this window; both return when the user has closed
  // the window they show.
  // A message box with one OK button, centred on this window, or on the
  // screen while this window is not shown yet.
  virtual void ShowMessage(const std::string& text, const std::string& caption) = 0;
  // Builds the window of `dialog` from its template and runs it; returns the
  // code it ended with, or -1 once the program is quitting.
  virtual int RunModal(DialogBehaviour& dialog) = 0;

  // Asks the program to end with `exitCode`: every modal loop ends as soon as
  // control returns to it, and no dialog runs afterwards.
  virtual void PostQuit(int exitCode) = 0;
};
