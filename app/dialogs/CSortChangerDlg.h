#pragma once

#include "app/core/FileList.h"
#include "app/core/Organizer.h"
#include "app/dialogs/DialogBehaviour.h"
#include "msrc/Util/FixedStringBuffer.h"

// The organizer's main window: the file list, the object list, the sort
// controls and the Save and About buttons. The state behind the controls (the
// files, the objects, the current sort values) lives in an Organizer; the
// dialog shows it and turns the user's choices into its operations.
class CSortChangerDlg : public DialogBehaviour {
 public:
  CSortChangerDlg();

  // The object folder read from the registry at initialisation.
  const StringBuffer& ObjectFolder() const { return fObjectFolder; }

  // The object files behind the lines of the file list.
  const FileList& Files() const { return fOrganizer.Files(); }

  // The objects and current sort values behind the controls.
  const Organizer& Core() const { return fOrganizer; }

  bool OnInitDialog() override;
  void OnCommand(int controlId, Notify code) override;
  bool OnSysCommand(unsigned commandId) override;

  // The text of the message shown when the game is not installed.
  static const char* const kNotInstalledText;
  // The caption of the program's message boxes.
  static const char* const kMessageCaption;

 private:
  void FillFileList(const StringBuffer& folder);
  void FillObjectList();
  void LoadObjectSorts();
  void ResetSortControls();
  void ShowSorts();
  void OnFunctionSortChanged();
  void OnSubsortChanged();
  void OnRoomSortChanged();
  void OnDowntownClicked();
  void OnAbout();
  void OnSave();
  // Hands the lines selected in the two lists to the organizer.
  void TakeSelection();
  // Click sound and Save enabled: what every sort change ends with.
  void SortChanged();

  FixedStringBuffer<260> fObjectFolder;
  FixedStringBuffer<260> fScanFolder;
  Organizer fOrganizer;
};
