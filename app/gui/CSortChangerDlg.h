#pragma once

#include <cstdint>
#include <vector>

#include <QIcon>

#include "app/core/FileList.h"
#include "app/gui/TemplateDialog.h"
#include "msrc/Util/FixedStringBuffer.h"

// The organizer's main window: the file list, the object list, the sort
// controls and the Save and About buttons.
class CSortChangerDlg : public TemplateDialog {
  Q_OBJECT

 public:
  explicit CSortChangerDlg(QWidget* parent = nullptr);

  // The object folder read from the registry at initialisation.
  const StringBuffer& ObjectFolder() const { return fObjectFolder; }

  // The object files behind the lines of the file list.
  const FileList& Files() const { return fFileList; }

  void OnSysCommand(unsigned commandId) override;

  // The text of the message shown when the game is not installed.
  static const char* const kNotInstalledText;

 protected:
  bool OnInitDialog() override;
  void OnCommand(int controlId, Notify code) override;

 private:
  void FillFileList(const StringBuffer& folder);
  void FillObjectList();
  void LoadObjectSorts();
  void ResetSortControls();
  void OnAbout();
  void OnSave();
  bool HasValidSelection() const;

  QIcon fIcon;
  FixedStringBuffer<260> fObjectFolder;
  FixedStringBuffer<260> fScanFolder;
  FileList fFileList;
  std::vector<int16_t> fObjectIds;
};
