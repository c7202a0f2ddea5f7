#pragma once

#include <map>

#include <QColor>
#include <QDialog>

#include "app/gui/DialogTemplate.h"
#include "app/gui/DialogUnits.h"

class CBitmapButton;
class QCheckBox;
class QComboBox;
class QListWidget;
class QMenu;

// A modal dialog built from a dialog template: the frame, the font, and one
// control per template entry at its rectangle converted from dialog units.
// Controls are found by id. Keys behave as in a classic dialog: Enter is OK,
// Escape and the close box are Cancel.
//
// Life cycle: construction creates the controls; DoModal runs OnInitDialog
// (whose base version adds the combo boxes' initial items), shows the dialog
// and runs its modal loop until OnOK, OnCancel or EndDialog ends it.
class TemplateDialog : public QDialog {
  Q_OBJECT

 public:
  TemplateDialog(int templateId, QWidget* parent = nullptr);
  ~TemplateDialog() override;

  // Runs the dialog modally and returns the code it ended with; -1 when the
  // program is quitting.
  int DoModal();

  // Ends the modal loop with `result`.
  void EndDialog(int result);

  const DialogTemplate& Template() const { return fTemplate; }
  const DialogUnits& Units() const { return fUnits; }

  QWidget* Item(int controlId) const;
  QListWidget* ListBox(int controlId) const;
  QComboBox* ComboBox(int controlId) const;
  QCheckBox* CheckBox(int controlId) const;
  CBitmapButton* BitmapButton(int controlId) const;

  // Selects a line of a list box (-1: none) without a notification, as a
  // selection made by the program.
  static void SetCurSel(QListWidget* list, int index);

  // Loads the images of a bitmap button from its caption and sizes the button
  // to them; the button keeps its template position.
  CBitmapButton* AutoLoad(int controlId);

  // The system menu, or null when the frame has none. Its actions carry their
  // command ids as data.
  QMenu* SystemMenu() const { return fSystemMenu; }

  // Handles a system-menu command; the base handles minimise and close.
  virtual void OnSysCommand(unsigned commandId);

  // What a control reports: a click on a button or check box, or a selection
  // change made by the user in a list or combo box. Selections made by the
  // program report nothing.
  enum class Notify { kClicked, kSelChange };

  // Colours of every dialog of the program (and of message boxes).
  static void SetDialogColors(const QColor& background, const QColor& text);

 protected:
  virtual bool OnInitDialog();
  virtual void OnOK();
  virtual void OnCancel();

  // A control's notification; the base maps a click on control 1 to OnOK and on
  // control 2 to OnCancel.
  virtual void OnCommand(int controlId, Notify code);

  void keyPressEvent(QKeyEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  void contextMenuEvent(QContextMenuEvent* event) override;

 private:
  void CreateControls();
  QWidget* CreateControl(const ControlTemplate& control);
  void ConnectNotifications(int id, QWidget* widget);
  void CreateSystemMenu();
  void FitToControls();
  void ApplyColors();

  const DialogTemplate& fTemplate;
  DialogUnits fUnits;
  std::map<int, QWidget*> fItems;
  QMenu* fSystemMenu = nullptr;
  bool fInitialized = false;
};
