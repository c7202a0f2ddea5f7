#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Dialogs are described as data, the way a resource compiler would hold them:
// a frame with a title, a font and a size, and controls with ids, kinds,
// captions and rectangles. Positions and sizes are dialog units, which
// DialogUnits turns into pixels from the dialog's font. The code that runs a
// dialog finds its controls by id.

enum class ControlKind {
  kListBox,
  kComboBox,        // drop-down with an edit field; height includes the list
  kStaticText,
  kPicture,         // shows a bitmap resource and takes its size
  kCheckBox,        // toggles itself when clicked
  kBitmapButton,    // owner-drawn push button with four images
};

// Control style bits that change behaviour or look.
enum ControlStyle : uint32_t {
  kStyleNone = 0,
  kStyleNotify = 1u << 0,      // list box reports selection changes
  kStyleVScroll = 1u << 1,
  kStyleHScroll = 1u << 2,
  kStyleBorder = 1u << 3,
  kStyleCenter = 1u << 4,      // centred static text
  kStyleTabStop = 1u << 5,
};

// Frame style bits.
enum DialogStyle : uint32_t {
  kFrameNone = 0,
  kFrameCaption = 1u << 0,
  kFrameSysMenu = 1u << 1,
  kFrameMinimizeBox = 1u << 2,
  kFrameModal = 1u << 3,
  kFrameAppWindow = 1u << 4,   // shown in the task bar
  kFrameCentered = 1u << 5,    // centred on the screen
};

// Id of controls that are never addressed (static texts and pictures).
constexpr int kNoControlId = -1;

struct ControlTemplate {
  int id = kNoControlId;
  ControlKind kind = ControlKind::kStaticText;
  std::string caption;              // text; for pictures, the bitmap resource id
  int x = 0, y = 0, cx = 0, cy = 0;  // dialog units
  uint32_t style = kStyleNone;
  std::vector<std::string> items;   // initial items of a combo box
};

struct DialogTemplate {
  int id = 0;
  std::string title;
  std::string fontFamily;
  int fontPointSize = 8;
  int cx = 0, cy = 0;               // client size in dialog units
  uint32_t style = kFrameNone;
  std::vector<ControlTemplate> controls;

  // The control with this id, or null.
  const ControlTemplate* Find(int controlId) const;
};
