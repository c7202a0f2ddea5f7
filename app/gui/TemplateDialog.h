#pragma once

#include <map>

#include <QColor>
#include <QDialog>

#include "app/dialogs/DialogBehaviour.h"
#include "app/dialogs/DialogTemplate.h"
#include "app/dialogs/iDialogFace.h"
#include "app/gui/DialogUnits.h"

class CBitmapButton;
class QCheckBox;
class QComboBox;
class QListWidget;
class QMenu;
class QTimer;

// The Qt face of one dialog: a modal window built from the dialog's template
// (the frame, the font, one widget per control at its rectangle converted
// from dialog units), which reports what the user does to the dialog's
// behaviour and carries out the behaviour's requests (iDialogFace). Keys
// behave as in a classic dialog: Enter is OK, Escape and the close box are
// Cancel; Alt+Space, the Menu key and Shift+F10 open the window menu.
//
// Life cycle: construction creates the controls and attaches the behaviour;
// DoModal runs the behaviour's OnInitDialog once, shows the window and runs
// its modal loop until the behaviour ends it; destruction detaches the
// behaviour.
class TemplateDialog : public QDialog, public iDialogFace {
  Q_OBJECT

 public:
  explicit TemplateDialog(DialogBehaviour& behaviour, QWidget* parent = nullptr);
  ~TemplateDialog() override;

  // Runs the dialog modally and returns the code it ended with; -1 when the
  // program is quitting.
  int DoModal();

  DialogBehaviour& Behaviour() const { return fBehaviour; }
  const DialogTemplate& Template() const { return fTemplate; }
  const DialogUnits& Units() const { return fUnits; }

  QWidget* Item(int controlId) const;
  QListWidget* ListBox(int controlId) const;
  QComboBox* ComboBox(int controlId) const;
  QCheckBox* CheckBox(int controlId) const;
  CBitmapButton* BitmapButton(int controlId) const;

  // The window menu, or null when the frame has none. Its actions carry
  // their command ids as data.
  QMenu* SystemMenu() const { return fSystemMenu; }

  // The timer started with this id, or null.
  QTimer* Timer(int timerId) const;

  // Colours of every dialog of the program (and of message boxes).
  static void SetDialogColors(const QColor& background, const QColor& text);

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

  void done(int result) override;

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  void contextMenuEvent(QContextMenuEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  void CreateControls();
  QWidget* CreateControl(const ControlTemplate& control);
  void ConnectNotifications(int id, QWidget* widget);
  void CreateSystemMenu();
  // Opens the window menu at the top left corner of the window.
  void ShowSystemMenu();
  // The platform's own handling of a window-menu command: minimise, close.
  void DefaultSysCommand(unsigned commandId);
  void FitToControls();
  void ApplyColors();

  DialogBehaviour& fBehaviour;
  const DialogTemplate& fTemplate;
  DialogUnits fUnits;
  std::map<int, QWidget*> fItems;
  std::map<int, QTimer*> fTimers;
  QMenu* fSystemMenu = nullptr;
  // The control whose size the client area takes, or kNoControlId.
  int fFitItem = kNoControlId;
  bool fInitialized = false;
};
