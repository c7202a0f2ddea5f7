#pragma once

#include <functional>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "app/dialogs/DialogBehaviour.h"
#include "app/dialogs/iDialogFace.h"

class FakeDialogFace;

// What the fake windows of one test share: the message boxes shown, the
// dialogs run modally, a posted quit, and the user's answer to a modal
// dialog.
struct FakeDesktop {
  struct Message {
    std::string text;
    std::string caption;
    bool operator==(const Message&) const = default;
  };

  std::vector<Message> messages;
  // Template ids of the dialogs run modally, in order.
  std::vector<int> modals;
  std::optional<int> quitCode;
  // Plays the user's part in a modal dialog once it is initialised; it
  // should end the dialog. Without an answer the dialog is cancelled.
  std::function<void(FakeDialogFace&)> answer;

  // What a face's modal loop does: builds the window, initialises it, hands
  // it to the answer, and returns the code it ended with (-1 once a quit is
  // posted, as a modal loop then ends at once).
  int RunModal(DialogBehaviour& dialog);
};

// A dialog window without a toolkit: it keeps what the behaviour puts into
// the controls, and plays the user's part by changing a control the way the
// user would and then notifying the behaviour as a system does. Controls
// exist as the template lists them; every control starts enabled.
class FakeDialogFace : public iDialogFace {
 public:
  FakeDialogFace(DialogBehaviour& dialog, FakeDesktop& desktop);
  ~FakeDialogFace() override;
  FakeDialogFace(const FakeDialogFace&) = delete;
  FakeDialogFace& operator=(const FakeDialogFace&) = delete;

  DialogBehaviour& Dialog() const { return fDialog; }
  // The behaviour's initialisation, as the face runs it before showing.
  void Init() { fDialog.OnInitDialog(); }

  // What the window shows.
  std::vector<std::string> Lines(int id) const;
  std::vector<std::string> Items(int id) const;
  // The text in a combo box's edit field.
  std::string Text(int id) const;
  int Selection(int id) const;
  bool Checked(int id) const;
  bool Enabled(int id) const;
  const std::string& Title() const { return fTitle; }
  int Icon() const { return fIcon; }
  int FitItem() const { return fFitItem; }
  // The items added to the window menu: command and text, {0, ""} for a
  // separator.
  const std::vector<std::pair<unsigned, std::string>>& WindowMenu() const { return fWindowMenu; }
  // Running timers: id -> period.
  const std::map<int, int>& Timers() const { return fTimers; }
  std::optional<int> EndedWith() const { return fEnded; }

  // The user's part; a disabled control takes none of it.
  void SelectLine(int id, int index);
  // Picks an item from a combo box's list by its text (-1 if no such item).
  void Choose(int id, const std::string& item);
  // Types into a combo box's edit field; only the text changes.
  void Type(int id, const std::string& text);
  // The focus leaves a control.
  void Leave(int id);
  // A button or check box; a check box toggles first.
  void Click(int id);
  // The Escape key, which a dialog takes as Cancel.
  void PressEscape() { fDialog.OnCommand(2, DialogBehaviour::Notify::kClicked); }

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
  void SetTitle(const std::string& text) override { fTitle = text; }
  std::string ResourceString(int stringId) const override;
  void SetIcon(int iconId) override { fIcon = iconId; }
  void FitToItem(int id) override { fFitItem = id; }
  void AppendWindowMenuSeparator() override { fWindowMenu.emplace_back(0, ""); }
  void AppendWindowMenuItem(unsigned command, const std::string& text) override {
    fWindowMenu.emplace_back(command, text);
  }
  void StartTimer(int timerId, int periodMs) override { fTimers[timerId] = periodMs; }
  void StopTimer(int timerId) override { fTimers.erase(timerId); }
  void EndDialog(int result) override;
  void ShowMessage(const std::string& text, const std::string& caption) override;
  int RunModal(DialogBehaviour& dialog) override { return fDesktop.RunModal(dialog); }
  void PostQuit(int exitCode) override { fDesktop.quitCode = exitCode; }

 private:
  struct Control {
    ControlKind kind = ControlKind::kStaticText;
    std::vector<std::string> lines;  // list lines or combo items
    int selection = -1;
    std::string text;                // a combo box's edit field
    bool checked = false;
    bool enabled = true;
  };

  // The control with this id if it is of this kind, else null.
  Control* Find(int id, ControlKind kind);
  const Control* Find(int id, ControlKind kind) const;

  DialogBehaviour& fDialog;
  FakeDesktop& fDesktop;
  std::map<int, Control> fControls;
  std::string fTitle;
  int fIcon = 0;
  int fFitItem = -1;
  std::vector<std::pair<unsigned, std::string>> fWindowMenu;
  std::map<int, int> fTimers;
  std::optional<int> fEnded;
};
