// The organizer's Win32 face under a real window system (Wine and Xvfb here):
// the real program without the game, and the dialogs run through the same
// face code with the game installed, worked from a second thread as a user
// would work them. Screenshots of each window go to VELT_SCREENSHOT_FOLDER.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "app/dialogs/DialogResources.h"
#include "app/dialogs/ResourceIds.h"
#include "msrc/Objects/ObjDefinition.h"
#include "platform/Win32Text.h"
#include "tests/app/core/ObjectFileMaker.h"
#include "tests/app/dialogs/RecordingSounds.h"
#include "tests/app/win32/OrganizerThread.h"
#include "tests/app/win32/Screenshot.h"
#include "tests/app/win32/Win32TestWindows.h"
#include "tests/msrc/File/IFF2Reader.h"
#include "tests/platform/ScratchFolder.h"

namespace {

using Strings = std::vector<std::string>;
using win32test::ChildRect;
using win32test::ChildWithText;
using win32test::ClassName;
using win32test::HasCaption;
using win32test::Text;
using win32test::WaitForDialog;
using win32test::WaitUntil;
using win32test::WaitUntilClosed;

constexpr const char* kTitle = "The Velt Plimsett Object Organizer";
// A file name wider than the file list.
constexpr const char* kLongName = "zebra stripes armchair from the long weekend collection";
constexpr const char* kGameKey = "\"HKLM\\Software\\Korva\\The Velt\"";
constexpr const char* kNotInstalled =
    "The Velt was not detected on this computer. You must have The Velt installed to use this program.";
constexpr const char* kNotInCatalogue =
    "This Object is not available in Buy Mode. You will NOT be able to change the sorts.";
// Sizes in pixels, width and height.
using Size = std::pair<long, long>;
// Every button image is 131 by 40 pixels.
const Size kButtonSize = {131, 40};
const Size kSplashSize = {320, 240};
const Size kAboutPictureSize = {140, 153};

// Wine's own reg tool on the registry of the prefix the test runs in.
int Reg(const std::string& arguments) { return std::system(("reg " + arguments + " >NUL 2>&1").c_str()); }

void RemoveGameKey() {
  Reg(std::string("delete ") + kGameKey + " /reg:32 /f");
  Reg(std::string("delete ") + kGameKey + " /reg:64 /f");
}

std::string Screenshots() { return VELT_SCREENSHOT_FOLDER; }

Size SizeOf(const RECT& rect) { return {rect.right - rect.left, rect.bottom - rect.top}; }

std::string Describe(const RECT& rect) {
  return "(" + std::to_string(rect.left) + ", " + std::to_string(rect.top) + ", " + std::to_string(rect.right) + ", " +
         std::to_string(rect.bottom) + ")";
}

LONG Style(HWND window) { return GetWindowLongW(window, GWL_STYLE); }

// A template rectangle in pixels, as the dialog manager places a control:
// position and size each converted from the dialog's units.
RECT Mapped(HWND dialog, int x, int y, int cx, int cy) {
  RECT position = {x, y, cx, cy};
  MapDialogRect(dialog, &position);
  return {position.left, position.top, position.left + position.right, position.top + position.bottom};
}

Strings ListLines(HWND list) {
  Strings lines;
  const auto count = static_cast<int>(SendMessageW(list, LB_GETCOUNT, 0, 0));
  for (int i = 0; i < count; ++i) {
    std::wstring line(static_cast<size_t>(SendMessageW(list, LB_GETTEXTLEN, static_cast<WPARAM>(i), 0)), L'\0');
    SendMessageW(list, LB_GETTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(line.data()));
    lines.push_back(platform::Win32Text::ToUtf8(line));
  }
  return lines;
}

// The width of `text` (by default the control's own) in a control's font.
LONG TextWidth(HWND control, const std::string& utf8) {
  std::wstring text;
  platform::Win32Text::ToWide(utf8, &text);
  HDC dc = GetDC(control);
  HGDIOBJ previous = SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageW(control, WM_GETFONT, 0, 0)));
  SIZE size = {};
  GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
  SelectObject(dc, previous);
  ReleaseDC(control, dc);
  return size.cx;
}

LONG TextWidth(HWND control) { return TextWidth(control, Text(control)); }

bool Checked(HWND box) { return SendMessageW(box, BM_GETCHECK, 0, 0) == BST_CHECKED; }

// Whether a bitmap button comes to show the image `name` on the screen.
bool Shows(HWND button, const wchar_t* name) {
  const tools::Canvas image = Screenshot::Bitmap(name);
  return image.Width() > 0 && WaitUntil([&] { return Screenshot::Same(Screenshot::Capture(button), image); }, 5000);
}

// The real program, without the game: the splash, the message over a main
// dialog that never shows, and the end with exit code 0.
TEST(Win32ProgramTest, WithoutTheGameTheErrorMessageAppearsAndTheProgramEndsWithZero) {
  RemoveGameKey();
  const std::wstring program = win32test::WindowsPath(VELT_ORGANIZER_PATH);
  STARTUPINFOW startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process = {};
  ASSERT_TRUE(CreateProcessW(program.c_str(), nullptr, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
      << GetLastError();
  const DWORD pid = process.dwProcessId;

  HWND splash = WaitForDialog(pid, 0, [](HWND window) { return !HasCaption(window); });
  ASSERT_NE(splash, nullptr);
  RECT client = {};
  GetClientRect(splash, &client);
  EXPECT_EQ(SizeOf(client), kSplashSize) << "the window is its picture";
  EXPECT_EQ(Text(splash), kTitle);
  EXPECT_TRUE(Screenshot::Save(splash, Screenshots(), "splash.png"));
  // Released over the window, the mouse button ends the splash at once.
  PostMessageW(splash, WM_LBUTTONUP, 0, MAKELPARAM(10, 10));

  HWND message = WaitForDialog(pid, 0, [](HWND window) { return Text(window) == "error"; });
  ASSERT_NE(message, nullptr);
  EXPECT_NE(ChildWithText(message, kNotInstalled), nullptr);
  EXPECT_EQ(win32test::FindDialog(pid, 0, [](HWND window) { return HasCaption(window) && Text(window) == kTitle; }),
            nullptr);
  EXPECT_TRUE(Screenshot::Save(message, Screenshots(), "no-game-message.png"));
  PostMessageW(message, WM_COMMAND, IDOK, 0);

  const bool ended = WaitForSingleObject(process.hProcess, win32test::kWaitMs) == WAIT_OBJECT_0;
  if (!ended) TerminateProcess(process.hProcess, 99);
  DWORD exitCode = 99;
  GetExitCodeProcess(process.hProcess, &exitCode);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  EXPECT_TRUE(ended);
  EXPECT_EQ(exitCode, 0u);
}

// The dialogs with the game installed: a scratch game folder that the
// registry names, through Wine's own reg tool, in the 32-bit view where the
// game's installer writes.
class Win32OrganizerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    scratch.MakeFolder("The Velt/GameData/UserObjects");
    // chair: a Seating object in the Kitchen with the Dining box ticked, and
    // an object that is not in the buy catalogue.
    ASSERT_TRUE(WriteObjectFile(Object("chair.iff"),
                                {{kObjdType, 128, "Dining Chair", MakeDefinition(SortFields(1, 1, 2, 1))},
                                 {kObjdType, 129, "Hidden Lamp", MakeDefinition(SortFields(0, 0, 0, 0))}}));
    ASSERT_TRUE(WriteObjectFile(Object("sofa.iff"), {{kObjdType, 130, "Sofa", MakeDefinition(SortFields(4, 1, 4, 0))}}));
    ASSERT_TRUE(WriteObjectFile(Object(std::string(kLongName) + ".iff"),
                                {{kObjdType, 131, "Armchair", MakeDefinition(SortFields(4, 1, 1, 0))}}));
    ASSERT_EQ(Reg(std::string("add ") + kGameKey + " /v VELT_DATA /d \"" + scratch.Path("The Velt") + "\" /reg:32 /f"),
              0);
  }

  void TearDown() override { RemoveGameKey(); }

  std::string Object(const std::string& name) const { return scratch.Path("The Velt/GameData/UserObjects/" + name); }

  // Starts the organizer, clicks the splash away and returns the main dialog
  // once it shows.
  HWND MainDialog() {
    run.emplace();
    HWND splash = WaitForDialog(0, run->ThreadId(), [](HWND window) { return !HasCaption(window); });
    if (splash == nullptr) return nullptr;
    PostMessageW(splash, WM_LBUTTONUP, 0, 0);
    return WaitForDialog(0, run->ThreadId(), [](HWND window) { return HasCaption(window) && Text(window) == kTitle; });
  }

  HWND Dialog(const std::string& title) {
    return WaitForDialog(0, run->ThreadId(), [&](HWND window) { return Text(window) == title; });
  }

  // What the sound service was asked, read once the dialogs' thread has
  // handled everything sent to it before.
  Strings Sounds(HWND window) const {
    SendMessageW(window, WM_NULL, 0, 0);
    return sounds.calls;
  }

  // Closes the main dialog and expects the program to end with code 0.
  void Close(HWND main) {
    PostMessageW(main, WM_CLOSE, 0, 0);
    ASSERT_TRUE(run->Join(win32test::kWaitMs));
    EXPECT_EQ(run->ExitCode(), 0);
  }

  ScratchFolder scratch;
  RecordingSounds sounds;
  std::optional<OrganizerThread> run;
};

TEST_F(Win32OrganizerTest, TheMainDialogShowsEveryControlWhereItsTemplateSays) {
  HWND main = MainDialog();
  ASSERT_NE(main, nullptr);
  RECT client = {};
  GetClientRect(main, &client);
  for (const ControlTemplate& control : DialogResources::Find(kDialogMain).controls) {
    SCOPED_TRACE(control.id == kNoControlId ? control.caption : std::to_string(control.id));
    HWND item = control.id == kNoControlId ? ChildWithText(main, control.caption) : GetDlgItem(main, control.id);
    ASSERT_NE(item, nullptr);
    const RECT expected = Mapped(main, control.x, control.y, control.cx, control.cy);
    const RECT actual = ChildRect(main, item);
    EXPECT_EQ(actual.left, expected.left);
    EXPECT_EQ(actual.top, expected.top);
    EXPECT_TRUE(actual.right <= client.right && actual.bottom <= client.bottom) << Describe(actual) << " outside the frame";
    const LONG style = Style(item);
    switch (control.kind) {
      case ControlKind::kListBox:
        EXPECT_EQ(_stricmp(ClassName(item).c_str(), "ListBox"), 0) << ClassName(item);
        EXPECT_EQ(SizeOf(actual), SizeOf(expected));
        EXPECT_TRUE(style & LBS_NOTIFY) << "reports selection changes";
        EXPECT_FALSE(style & LBS_SORT) << "keeps the program's order";
        // A dialog's bordered controls get the sunken edge of their day.
        EXPECT_TRUE((style & WS_BORDER) || (GetWindowLongW(item, GWL_EXSTYLE) & WS_EX_CLIENTEDGE));
        break;
      case ControlKind::kComboBox:
        EXPECT_EQ(_stricmp(ClassName(item).c_str(), "ComboBox"), 0) << ClassName(item);
        EXPECT_EQ(style & 3, CBS_DROPDOWN) << "a drop-down list with an edit field";
        // The template's height is the box with its list dropped down; closed,
        // the box is as high as its edit field.
        EXPECT_EQ(actual.right - actual.left, expected.right - expected.left);
        break;
      case ControlKind::kCheckBox:
        EXPECT_EQ(_stricmp(ClassName(item).c_str(), "Button"), 0) << ClassName(item);
        EXPECT_EQ(style & BS_TYPEMASK, BS_AUTOCHECKBOX);
        EXPECT_EQ(Text(item), control.caption);
        EXPECT_EQ(SizeOf(actual), SizeOf(expected));
        break;
      case ControlKind::kBitmapButton:
        EXPECT_EQ(style & BS_TYPEMASK, BS_OWNERDRAW);
        EXPECT_EQ(SizeOf(actual), kButtonSize) << "the size of its images";
        break;
      case ControlKind::kStaticText:
        EXPECT_EQ(_stricmp(ClassName(item).c_str(), "Static"), 0) << ClassName(item);
        // Never narrower than the template; wider only to show its one line.
        EXPECT_GE(actual.right, expected.right);
        EXPECT_EQ(actual.bottom, expected.bottom);
        EXPECT_LE(TextWidth(item), actual.right - actual.left) << "the text shows whole";
        break;
      case ControlKind::kPicture:
        break;
    }
  }

  HWND files = GetDlgItem(main, kControlFiles);
  EXPECT_EQ(ListLines(files), Strings({"chair", "sofa", kLongName}));
  // The file list scrolls sideways as far as its widest line reaches.
  EXPECT_GE(SendMessageW(files, LB_GETHORIZONTALEXTENT, 0, 0), TextWidth(files, kLongName));
  EXPECT_EQ(SendMessageW(GetDlgItem(main, kControlObjects), LB_GETHORIZONTALEXTENT, 0, 0), 0);
  EXPECT_EQ(SendMessageW(files, LB_GETCURSEL, 0, 0), 0);
  EXPECT_EQ(ListLines(GetDlgItem(main, kControlObjects)), Strings({"Dining Chair", "Hidden Lamp"}));
  EXPECT_EQ(Text(GetDlgItem(main, kControlFunctionSort)), "Seating");
  EXPECT_EQ(Text(GetDlgItem(main, kControlRoomSort)), "Kitchen");
  EXPECT_TRUE(Checked(GetDlgItem(main, kControlDining)));
  EXPECT_FALSE(IsWindowEnabled(GetDlgItem(main, kControlSave)));
  // Owner-drawn: the disabled Save shows its "X" image, the About button its
  // normal one.
  EXPECT_TRUE(Shows(GetDlgItem(main, kControlSave), L"SAVEX"));
  EXPECT_TRUE(Shows(GetDlgItem(main, kControlAbout), L"ABOUTU"));
  EXPECT_NE(SendMessageW(main, WM_GETICON, ICON_SMALL, 0), 0);
  EXPECT_TRUE(Screenshot::Save(main, Screenshots(), "main-dialog.png"));

  // The window menu ends with a separator and the About item, command 16,
  // whose text is string 101.
  HMENU menu = GetSystemMenu(main, FALSE);
  ASSERT_NE(menu, nullptr);
  const int items = GetMenuItemCount(menu);
  ASSERT_GE(items, 2);
  EXPECT_EQ(GetMenuItemID(menu, items - 1), kCommandAbout);
  EXPECT_TRUE(GetMenuState(menu, static_cast<UINT>(items - 2), MF_BYPOSITION) & MF_SEPARATOR);
  wchar_t item[128] = {};
  GetMenuStringW(menu, kCommandAbout, item, 128, MF_BYCOMMAND);
  EXPECT_EQ(platform::Win32Text::ToUtf8(item), "&About The Velt Plimsett Object Organizer...");
  Close(main);
}

TEST_F(Win32OrganizerTest, TheAboutBoxComesFromTheWindowMenuSilentlyAndFromItsButtonWithAClick) {
  HWND main = MainDialog();
  ASSERT_NE(main, nullptr);
  const Strings startUp = {"play Velt", "stop"};
  EXPECT_EQ(Sounds(main), startUp);

  // What choosing the window menu's item sends.
  PostMessageW(main, WM_SYSCOMMAND, kCommandAbout, 0);
  HWND about = Dialog("About The Velt Plimsett Object Organizer");
  ASSERT_NE(about, nullptr);
  EXPECT_EQ(GetWindow(about, GW_OWNER), main);
  EXPECT_EQ(Sounds(about), startUp) << "no click from the window menu";
  RECT ok = ChildRect(about, GetDlgItem(about, kIdOk));
  EXPECT_EQ(SizeOf(ok), kButtonSize);
  HWND picture = nullptr;
  for (HWND child = GetWindow(about, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
    if ((Style(child) & SS_TYPEMASK) == SS_BITMAP) picture = child;
  }
  ASSERT_NE(picture, nullptr);
  EXPECT_EQ(SizeOf(ChildRect(about, picture)), kAboutPictureSize);
  RECT client = {};
  GetClientRect(about, &client);
  EXPECT_TRUE(ok.right <= client.right && ok.bottom <= client.bottom) << Describe(ok) << " outside the frame";
  EXPECT_TRUE(Screenshot::Save(about, Screenshots(), "about-box.png"));
  // Escape ends it without a sound.
  PostMessageW(about, WM_COMMAND, IDCANCEL, 0);
  ASSERT_TRUE(WaitUntilClosed(about));
  EXPECT_EQ(Sounds(main), startUp);

  PostMessageW(GetDlgItem(main, kControlAbout), BM_CLICK, 0, 0);
  about = Dialog("About The Velt Plimsett Object Organizer");
  ASSERT_NE(about, nullptr);
  EXPECT_EQ(Sounds(about), Strings({"play Velt", "stop", "play Click"}));
  PostMessageW(GetDlgItem(about, kIdOk), BM_CLICK, 0, 0);
  ASSERT_TRUE(WaitUntilClosed(about));
  EXPECT_EQ(Sounds(main), Strings({"play Velt", "stop", "play Click", "play Click"})) << "OK clicks";
  Close(main);
}

TEST_F(Win32OrganizerTest, ASortChangeAndSaveWriteTheFileAndAHiddenObjectShowsTheErrorBox) {
  HWND main = MainDialog();
  ASSERT_NE(main, nullptr);
  HWND function = GetDlgItem(main, kControlFunctionSort);
  HWND save = GetDlgItem(main, kControlSave);
  ASSERT_EQ(Text(function), "Seating");

  // The user picks "Surfaces" from the function sort's list.
  SendMessageW(function, CB_SETCURSEL, 2, 0);
  SendMessageW(main, WM_COMMAND, MAKEWPARAM(kControlFunctionSort, CBN_SELCHANGE), reinterpret_cast<LPARAM>(function));
  EXPECT_TRUE(IsWindowEnabled(save));
  EXPECT_TRUE(Shows(save, L"SAVEU"));
  EXPECT_EQ(Sounds(main).back(), "play Click");

  PostMessageW(save, BM_CLICK, 0, 0);
  ASSERT_TRUE(WaitUntil([&] { return !IsWindowEnabled(save); }));
  SendMessageW(main, WM_NULL, 0, 0);
  const Strings sounds = Sounds(main);
  EXPECT_EQ(Strings(sounds.end() - 2, sounds.end()), Strings({"play Click", "play Click"})) << "Save clicks";
  std::optional<StoredSorts> stored;
  std::string hidden;
  for (const IFF2Reader::Block& block : IFF2Reader(scratch.ReadFile("The Velt/GameData/UserObjects/chair.iff")).Resources()) {
    if (block.type == "OBJD" && block.id == 128) stored = ReadStoredSorts(block.payload);
    if (block.type == "OBJD" && block.id == 129) hidden = block.payload;
  }
  ASSERT_TRUE(stored.has_value());
  EXPECT_EQ(stored->function, 2) << "Surfaces";
  EXPECT_EQ(stored->subsort, 2) << "the subsort keeps its bit";
  EXPECT_EQ(stored->room, 1);
  EXPECT_EQ(stored->downtown, 1);
  EXPECT_EQ(hidden, MakeDefinition(SortFields(0, 0, 0, 0))) << "the other object is untouched";

  // The user selects the object that is not in the buy catalogue.
  HWND objects = GetDlgItem(main, kControlObjects);
  SendMessageW(objects, LB_SETCURSEL, 1, 0);
  PostMessageW(main, WM_COMMAND, MAKEWPARAM(kControlObjects, LBN_SELCHANGE), reinterpret_cast<LPARAM>(objects));
  HWND error = Dialog("Error:");
  ASSERT_NE(error, nullptr);
  EXPECT_EQ(GetWindow(error, GW_OWNER), main);
  EXPECT_EQ(Text(GetDlgItem(error, kControlErrorText)), kNotInCatalogue);
  EXPECT_EQ(SizeOf(ChildRect(error, GetDlgItem(error, kIdOk))), kButtonSize);
  EXPECT_TRUE(Screenshot::Save(error, Screenshots(), "error-box.png"));
  PostMessageW(GetDlgItem(error, kIdOk), BM_CLICK, 0, 0);
  ASSERT_TRUE(WaitUntilClosed(error));
  EXPECT_EQ(Sounds(main).back(), "play Click");
  for (int id : {kControlFunctionSort, kControlSubsort, kControlRoomSort, kControlDining, kControlOther}) {
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(main, id))) << id;
  }
  EXPECT_FALSE(IsWindowEnabled(save));
  EXPECT_TRUE(Screenshot::Save(main, Screenshots(), "main-dialog-hidden-object.png"));
  Close(main);
}

}  // namespace
