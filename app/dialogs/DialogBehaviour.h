#pragma once

#include "app/dialogs/DialogTemplate.h"

class iDialogFace;

// What one dialog does, written once for every system. A face builds the
// window from the dialog's template, attaches itself, and then reports each
// notification here; the behaviour answers through the face alone, so a fault
// fixed here is fixed on every system.
//
// Life cycle, as the face drives it: Attach(face), OnInitDialog once, the
// notifications of the modal loop until EndDialog, Attach(nullptr) when the
// window is gone. A behaviour object may outlive its window and may be run
// again.
class DialogBehaviour {
 public:
  // What a control reports.
  enum class Notify {
    kClicked,    // a button or check box (a check box has toggled already)
    kSelChange,  // the user chose another line or item
    kKillFocus,  // the control lost the keyboard focus
  };

  explicit DialogBehaviour(int templateId);
  virtual ~DialogBehaviour();
  DialogBehaviour(const DialogBehaviour&) = delete;
  DialogBehaviour& operator=(const DialogBehaviour&) = delete;

  const DialogTemplate& Template() const { return fTemplate; }

  void Attach(iDialogFace* face) { fFace = face; }
  bool HasFace() const { return fFace != nullptr; }

  // Notifications.
  // Before the window is shown; the base adds the combo boxes' initial items
  // from the template, with no item selected. Returns true to have the face
  // set the initial focus.
  virtual bool OnInitDialog();
  // The base ends the dialog on a click of OK (control 1; also the Enter key)
  // or Cancel (control 2; also Escape), and puts the selected item back into
  // the edit field of a combo box that the focus leaves.
  virtual void OnCommand(int controlId, Notify code);
  // A command of the window menu. False hands it to the face's default
  // handling (minimise, close).
  virtual bool OnSysCommand(unsigned commandId);
  virtual void OnTimer(int timerId);
  // The left mouse button released over the window's background.
  virtual void OnLButtonUp();
  // The close box or the window menu's Close; the base cancels.
  virtual void OnClose();

 protected:
  // The window's face; only between Attach(face) and Attach(nullptr), which
  // covers every notification.
  iDialogFace& Face() const { return *fFace; }

  virtual void OnOK();
  virtual void OnCancel();

 private:
  const DialogTemplate& fTemplate;
  iDialogFace* fFace = nullptr;
};
