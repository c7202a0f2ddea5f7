#include "app/dialogs/DialogResources.h"

#include <span>
#include <string>
#include <vector>

#include "app/dialogs/ResourceIds.h"
#include "msrc/Objects/SortVocabulary.h"

namespace {

constexpr uint32_t kListStyle = kStyleNotify | kStyleVScroll | kStyleBorder | kStyleTabStop;
constexpr uint32_t kComboStyle = kStyleVScroll | kStyleTabStop;
constexpr uint32_t kButtonStyle = kStyleTabStop;
constexpr uint32_t kPopupFrame = kFrameCaption | kFrameSysMenu | kFrameModal;

std::vector<std::string> Texts(std::span<const char* const> items) {
  return std::vector<std::string>(items.begin(), items.end());
}

DialogTemplate MainDialog() {
  DialogTemplate t;
  t.id = kDialogMain;
  t.title = "The Velt Plimsett Object Organizer";
  t.fontFamily = "Comic Sans MS";
  t.fontPointSize = 8;
  t.cx = 303;
  t.cy = 170;
  t.style = kPopupFrame | kFrameMinimizeBox | kFrameAppWindow;
  t.controls = {
      {kControlFiles, ControlKind::kListBox, "", 7, 13, 85, 153, kListStyle | kStyleHScroll, {}},
      {kControlObjects, ControlKind::kListBox, "", 95, 13, 118, 153, kListStyle, {}},
      {kNoControlId, ControlKind::kStaticText, "Files:", 7, 1, 17, 8, kStyleNone, {}},
      {kNoControlId, ControlKind::kStaticText, "Objects:", 95, 1, 27, 8, kStyleNone, {}},
      {kControlAbout, ControlKind::kBitmapButton, "About", 223, 0, 70, 17, kButtonStyle, {}},
      {kNoControlId, ControlKind::kStaticText, "Function Sort:", 221, 23, 43, 8, kStyleNone, {}},
      {kControlFunctionSort, ControlKind::kComboBox, "", 222, 34, 74, 100, kComboStyle, Texts(FunctionSortItems())},
      {kNoControlId, ControlKind::kStaticText, "Function Subsort:", 221, 48, 52, 8, kStyleNone, {}},
      {kControlSubsort, ControlKind::kComboBox, "", 222, 58, 74, 88, kComboStyle, Texts(SubsortItems(0))},
      {kNoControlId, ControlKind::kStaticText, "Room Sort:", 221, 75, 33, 8, kStyleNone, {}},
      {kControlRoomSort, ControlKind::kComboBox, "", 222, 85, 74, 99, kComboStyle, Texts(RoomSortItems())},
      {kNoControlId, ControlKind::kStaticText, "Downtown Sort:", 221, 103, 47, 8, kStyleNone, {}},
      {kControlDining, ControlKind::kCheckBox, "Dining", 221, 112, 38, 10, kStyleTabStop, {}},
      {kControlOutdoor, ControlKind::kCheckBox, "Outdoor", 221, 123, 36, 10, kStyleTabStop, {}},
      {kControlShopping, ControlKind::kCheckBox, "Shopping", 221, 134, 43, 10, kStyleTabStop, {}},
      {kControlStreet, ControlKind::kCheckBox, "Street", 264, 112, 32, 10, kStyleTabStop, {}},
      {kControlOther, ControlKind::kCheckBox, "Other", 264, 123, 32, 10, kStyleTabStop, {}},
      {kControlSave, ControlKind::kBitmapButton, "Save", 223, 146, 70, 17, kButtonStyle, {}},
  };
  return t;
}

DialogTemplate AboutBox() {
  DialogTemplate t;
  t.id = kDialogAbout;
  t.title = "About The Velt Plimsett Object Organizer";
  t.fontFamily = "Comic Sans MS";
  t.fontPointSize = 10;
  t.cx = 218;
  t.cy = 96;
  t.style = kPopupFrame;
  t.controls = {
      {kNoControlId, ControlKind::kPicture, std::to_string(kBitmapAbout), 2, 2, 0, 0, kStyleNone, {}},
      {kNoControlId, ControlKind::kStaticText,
       "The Velt Plimsett Object Organizer\nVersion 1.0", 77, 2, 135, 17, kStyleNone, {}},
      {kNoControlId, ControlKind::kStaticText,
       "Written by the Velt Plimsett team", 77, 24, 135, 18, kStyleNone, {}},
      {kNoControlId, ControlKind::kStaticText,
       "Pictures and sounds made by the team's own tools", 77, 46, 139, 19, kStyleNone, {}},
      {kNoControlId, ControlKind::kStaticText,
       "Free for every player of The Velt.\nHappy sorting!", 9, 73, 137, 21, kStyleCenter, {}},
      {kIdOk, ControlKind::kBitmapButton, "OK", 149, 72, 50, 14, kButtonStyle, {}},
  };
  return t;
}

DialogTemplate ErrorBox() {
  DialogTemplate t;
  t.id = kDialogError;
  t.title = "Error:";
  t.fontFamily = "Comic Sans MS";
  t.fontPointSize = 12;
  t.cx = 186;
  t.cy = 48;
  t.style = kPopupFrame;
  t.controls = {
      {kControlErrorText, ControlKind::kStaticText,
       "This Object is not available in Buy Mode. You will NOT be able to change the sorts.",
       7, 7, 172, 17, kStyleNone, {}},
      {kIdOk, ControlKind::kBitmapButton, "OK", 129, 27, 50, 14, kButtonStyle, {}},
  };
  return t;
}

DialogTemplate Splash() {
  DialogTemplate t;
  t.id = kDialogSplash;
  t.title = "";
  t.fontFamily = "MS Sans Serif";
  t.fontPointSize = 8;
  t.cx = 213;
  t.cy = 148;
  t.style = kFrameCentered;
  t.controls = {
      {kControlSplashPicture, ControlKind::kPicture, std::to_string(kBitmapSplash), 0, 0, 0, 0, kStyleNone, {}},
  };
  return t;
}

}  // namespace

const DialogTemplate& DialogResources::Find(int dialogId) {
  static const DialogTemplate kMain = MainDialog();
  static const DialogTemplate kAbout = AboutBox();
  static const DialogTemplate kError = ErrorBox();
  static const DialogTemplate kSplash = Splash();
  static const DialogTemplate kEmpty;
  switch (dialogId) {
    case kDialogMain: return kMain;
    case kDialogAbout: return kAbout;
    case kDialogError: return kError;
    case kDialogSplash: return kSplash;
    default: return kEmpty;
  }
}

std::span<const int> DialogResources::DialogIds() {
  static constexpr int kIds[] = {kDialogAbout, kDialogMain, kDialogError, kDialogSplash};
  return kIds;
}

std::span<const int> DialogResources::StringIds() {
  static constexpr int kIds[] = {kStringAboutItem};
  return kIds;
}

const char* DialogResources::String(int stringId) {
  switch (stringId) {
    case kStringAboutItem:
      return "&About The Velt Plimsett Object Organizer...";
    default:
      return "";
  }
}
