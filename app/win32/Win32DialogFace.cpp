#include "app/win32/Win32DialogFace.h"

#include <algorithm>
#include <string>

#include "app/win32/Win32DialogColors.h"
#include "app/win32/Win32QuitRequest.h"
#include "platform/HostEnv.h"
#include "platform/Win32Text.h"

namespace {

constexpr wchar_t kFaceProperty[] = L"VeltDialogFace";
constexpr wchar_t kSubclassProperty[] = L"VeltMessageBoxProc";
// Room on either side of a list line, as the list box draws it.
constexpr int kListLineMargin = 3;

std::wstring Wide(const std::string& utf8) {
  std::wstring wide;
  platform::Win32Text::ToWide(utf8, &wide);
  return wide;
}

HINSTANCE Module() { return GetModuleHandleW(nullptr); }

RECT ChildRect(HWND parent, HWND child) {
  RECT rect = {};
  GetWindowRect(child, &rect);
  MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&rect), 2);
  return rect;
}

// A message box in the program's colours, centred on its owner while the
// owner is shown: a hook on the thread's window creation subclasses the box
// as it is made and places it when it is first activated.
class MessageBoxLook {
 public:
  explicit MessageBoxLook(HWND owner) : fPrevious(sActive) {
    sActive = this;
    fOwner = owner;
    fHook = SetWindowsHookExW(WH_CBT, &MessageBoxLook::Hook, nullptr, GetCurrentThreadId());
  }
  ~MessageBoxLook() {
    if (fHook != nullptr) UnhookWindowsHookEx(fHook);
    sActive = fPrevious;
  }
  MessageBoxLook(const MessageBoxLook&) = delete;
  MessageBoxLook& operator=(const MessageBoxLook&) = delete;

 private:
  static LRESULT CALLBACK Hook(int code, WPARAM wParam, LPARAM lParam) {
    MessageBoxLook* look = sActive;
    if (look == nullptr) return CallNextHookEx(nullptr, code, wParam, lParam);
    const auto window = reinterpret_cast<HWND>(wParam);
    if (code == HCBT_CREATEWND && look->fBox == nullptr && IsDialogClass(window)) {
      look->fBox = window;
      const auto previous = SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&MessageBoxLook::BoxProc));
      SetPropW(window, kSubclassProperty, reinterpret_cast<HANDLE>(previous));
    } else if (code == HCBT_ACTIVATE && window == look->fBox && !look->fPlaced) {
      look->fPlaced = true;
      look->PlaceOverOwner();
    }
    return CallNextHookEx(look->fHook, code, wParam, lParam);
  }

  static bool IsDialogClass(HWND window) {
    wchar_t name[16] = {};
    return GetClassNameW(window, name, 16) > 0 && lstrcmpW(name, L"#32770") == 0;
  }

  static LRESULT CALLBACK BoxProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    const auto previous = reinterpret_cast<WNDPROC>(GetPropW(window, kSubclassProperty));
    if (message >= WM_CTLCOLORMSGBOX && message <= WM_CTLCOLORSTATIC) {
      if (HBRUSH brush = Win32DialogColors::Answer(message == WM_CTLCOLORMSGBOX ? WM_CTLCOLORDLG : message,
                                                   reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam))) {
        return reinterpret_cast<LRESULT>(brush);
      }
    }
    if (message == WM_NCDESTROY) {
      RemovePropW(window, kSubclassProperty);
      SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(previous));
    }
    return CallWindowProcW(previous, window, message, wParam, lParam);
  }

  void PlaceOverOwner() const {
    if (fOwner == nullptr || !IsWindowVisible(fOwner) || IsIconic(fOwner)) return;
    RECT owner = {};
    RECT box = {};
    GetWindowRect(fOwner, &owner);
    GetWindowRect(fBox, &box);
    const int x = owner.left + ((owner.right - owner.left) - (box.right - box.left)) / 2;
    const int y = owner.top + ((owner.bottom - owner.top) - (box.bottom - box.top)) / 2;
    SetWindowPos(fBox, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  }

  static inline MessageBoxLook* sActive = nullptr;
  MessageBoxLook* fPrevious;
  HWND fOwner = nullptr;
  HHOOK fHook = nullptr;
  HWND fBox = nullptr;
  bool fPlaced = false;
};

}  // namespace

Win32DialogFace::Win32DialogFace(DialogBehaviour& behaviour, HWND owner)
    : fBehaviour(behaviour), fTemplate(behaviour.Template()), fOwner(owner) {}

int Win32DialogFace::Run(DialogBehaviour& behaviour, HWND owner) {
  if (Win32QuitRequest::Pending()) return -1;
  Win32DialogFace face(behaviour, owner);
  const INT_PTR result = DialogBoxParamW(Module(), MAKEINTRESOURCEW(behaviour.Template().id), owner,
                                         &Win32DialogFace::DialogProc, reinterpret_cast<LPARAM>(&face));
  const DWORD error = result == -1 ? GetLastError() : 0;
  behaviour.Attach(nullptr);
  if (Win32QuitRequest::Pending()) return -1;
  if (result == -1) {
    platform::HostEnv::Current().DebugOutput("velt-organizer: dialog " + std::to_string(behaviour.Template().id) +
                                             " cannot be shown (error " + std::to_string(error) + ")\n");
  }
  return static_cast<int>(result);
}

Win32DialogFace* Win32DialogFace::FromWindow(HWND window) {
  return static_cast<Win32DialogFace*>(GetPropW(window, kFaceProperty));
}

INT_PTR CALLBACK Win32DialogFace::DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_INITDIALOG) {
    auto* face = reinterpret_cast<Win32DialogFace*>(lParam);
    face->fWindow = window;
    SetPropW(window, kFaceProperty, face);
    return face->InitDialog();
  }
  Win32DialogFace* face = FromWindow(window);
  if (message == WM_NCDESTROY) RemovePropW(window, kFaceProperty);
  return face != nullptr ? face->Handle(message, wParam, lParam) : FALSE;
}

BOOL Win32DialogFace::InitDialog() {
  fBehaviour.Attach(this);
  for (const ControlTemplate& control : fTemplate.controls) {
    if (control.kind != ControlKind::kBitmapButton) continue;
    auto button = std::make_unique<CBitmapButton>();
    button->AutoLoad(fWindow, control.id);
    fButtons[control.id] = std::move(button);
  }
  WidenOneLineTexts();
  GrowOverControls();
  RECT before = {};
  GetWindowRect(fWindow, &before);
  const bool focus = fBehaviour.OnInitDialog();
  RECT after = {};
  GetWindowRect(fWindow, &after);
  // A window that its initialisation did not move goes to the middle of its
  // owner (or of the screen) rather than the corner the template names.
  if (before.left == after.left && before.top == after.top) Center();
  return focus ? TRUE : FALSE;
}

INT_PTR Win32DialogFace::Handle(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_COMMAND:
      Command(LOWORD(wParam), HIWORD(wParam));
      return TRUE;
    case WM_SYSCOMMAND:
      // FALSE leaves the command to the system (minimise, close, ...).
      return fBehaviour.OnSysCommand(static_cast<unsigned>(wParam)) ? TRUE : FALSE;
    case WM_TIMER:
      fBehaviour.OnTimer(static_cast<int>(wParam));
      return TRUE;
    case WM_LBUTTONUP:
      fBehaviour.OnLButtonUp();
      return TRUE;
    case WM_CLOSE:
      fBehaviour.OnClose();
      return TRUE;
    case WM_DRAWITEM: {
      const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
      const auto found = fButtons.find(static_cast<int>(item->CtlID));
      if (item->CtlType != ODT_BUTTON || found == fButtons.end()) return FALSE;
      found->second->DrawItem(*item);
      return TRUE;
    }
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
      return reinterpret_cast<INT_PTR>(
          Win32DialogColors::Answer(message, reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam)));
    case WM_PAINT:
      return PaintIcon() ? TRUE : FALSE;
    case WM_QUERYDRAGICON:
      return reinterpret_cast<INT_PTR>(fIcon);
    default:
      return FALSE;
  }
}

void Win32DialogFace::Command(int id, UINT code) {
  using Notify = DialogBehaviour::Notify;
  const ControlTemplate* control = fTemplate.Find(id);
  if (control == nullptr) {
    // Enter and Escape: IDOK and IDCANCEL from the dialog manager.
    if (code == BN_CLICKED) fBehaviour.OnCommand(id, Notify::kClicked);
    return;
  }
  switch (control->kind) {
    case ControlKind::kListBox:
      if (code == LBN_SELCHANGE) fBehaviour.OnCommand(id, Notify::kSelChange);
      break;
    case ControlKind::kComboBox:
      if (code == CBN_SELCHANGE) fBehaviour.OnCommand(id, Notify::kSelChange);
      if (code == CBN_KILLFOCUS) fBehaviour.OnCommand(id, Notify::kKillFocus);
      break;
    case ControlKind::kCheckBox:
    case ControlKind::kBitmapButton:
      if (code == BN_CLICKED) fBehaviour.OnCommand(id, Notify::kClicked);
      break;
    default:
      break;
  }
}

bool Win32DialogFace::PaintIcon() {
  if (!IsIconic(fWindow) || fIcon == nullptr) return false;
  PAINTSTRUCT paint;
  HDC dc = BeginPaint(fWindow, &paint);
  SendMessageW(fWindow, WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
  RECT client = {};
  GetClientRect(fWindow, &client);
  const int left = (client.right - client.left - GetSystemMetrics(SM_CXICON) + 1) / 2;
  const int top = (client.bottom - client.top - GetSystemMetrics(SM_CYICON) + 1) / 2;
  DrawIcon(dc, left, top, fIcon);
  EndPaint(fWindow, &paint);
  return true;
}

HWND Win32DialogFace::Control(int id, ControlKind kind) const {
  const ControlTemplate* control = fTemplate.Find(id);
  if (fWindow == nullptr || control == nullptr || control->kind != kind) return nullptr;
  return GetDlgItem(fWindow, id);
}

void Win32DialogFace::ListReset(int id) {
  if (HWND list = Control(id, ControlKind::kListBox)) {
    SendMessageW(list, LB_RESETCONTENT, 0, 0);
    SendMessageW(list, LB_SETHORIZONTALEXTENT, 0, 0);
    fListWidths[id] = 0;
  }
}

void Win32DialogFace::ListAddString(int id, const std::string& text) {
  HWND list = Control(id, ControlKind::kListBox);
  if (list == nullptr) return;
  const std::wstring line = Wide(text);
  SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(line.c_str()));
  // The template says whether the list scrolls sideways: the window's own
  // WS_HSCROLL comes and goes with the scroll bar.
  if (!(fTemplate.Find(id)->style & kStyleHScroll)) return;
  // The list scrolls sideways as far as its widest line reaches.
  HDC dc = GetDC(list);
  HGDIOBJ previous = SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageW(list, WM_GETFONT, 0, 0)));
  SIZE size = {};
  GetTextExtentPoint32W(dc, line.c_str(), static_cast<int>(line.size()), &size);
  SelectObject(dc, previous);
  ReleaseDC(list, dc);
  int& widest = fListWidths[id];
  if (size.cx + 2 * kListLineMargin > widest) {
    widest = size.cx + 2 * kListLineMargin;
    SendMessageW(list, LB_SETHORIZONTALEXTENT, static_cast<WPARAM>(widest), 0);
  }
}

int Win32DialogFace::ListGetCurSel(int id) const {
  HWND list = Control(id, ControlKind::kListBox);
  return list != nullptr ? static_cast<int>(SendMessageW(list, LB_GETCURSEL, 0, 0)) : -1;
}

void Win32DialogFace::ListSetCurSel(int id, int index) {
  if (HWND list = Control(id, ControlKind::kListBox)) SendMessageW(list, LB_SETCURSEL, static_cast<WPARAM>(index), 0);
}

void Win32DialogFace::ComboReset(int id) {
  if (HWND combo = Control(id, ControlKind::kComboBox)) SendMessageW(combo, CB_RESETCONTENT, 0, 0);
}

void Win32DialogFace::ComboAddString(int id, const std::string& text) {
  if (HWND combo = Control(id, ControlKind::kComboBox)) {
    const std::wstring item = Wide(text);
    SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item.c_str()));
  }
}

int Win32DialogFace::ComboGetCurSel(int id) const {
  HWND combo = Control(id, ControlKind::kComboBox);
  return combo != nullptr ? static_cast<int>(SendMessageW(combo, CB_GETCURSEL, 0, 0)) : -1;
}

void Win32DialogFace::ComboSetCurSel(int id, int index) {
  // CB_SETCURSEL also puts the item's text (or, for -1, nothing) into the
  // edit field.
  if (HWND combo = Control(id, ControlKind::kComboBox)) SendMessageW(combo, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
}

bool Win32DialogFace::IsChecked(int id) const {
  HWND box = Control(id, ControlKind::kCheckBox);
  return box != nullptr && SendMessageW(box, BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void Win32DialogFace::SetCheck(int id, bool checked) {
  if (HWND box = Control(id, ControlKind::kCheckBox)) {
    SendMessageW(box, BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
  }
}

void Win32DialogFace::EnableItem(int id, bool enabled) {
  const ControlTemplate* control = fTemplate.Find(id);
  if (fWindow != nullptr && control != nullptr) EnableWindow(GetDlgItem(fWindow, id), enabled ? TRUE : FALSE);
}

void Win32DialogFace::SetTitle(const std::string& text) { SetWindowTextW(fWindow, Wide(text).c_str()); }

std::string Win32DialogFace::ResourceString(int stringId) const {
  // With a zero length LoadString hands out the resource's own read-only
  // text, which is not terminated.
  const wchar_t* text = nullptr;
  const int length = LoadStringW(Module(), static_cast<UINT>(stringId), reinterpret_cast<LPWSTR>(&text), 0);
  if (length <= 0 || text == nullptr) return std::string();
  return platform::Win32Text::ToUtf8(std::wstring_view(text, static_cast<size_t>(length)));
}

void Win32DialogFace::SetIcon(int iconId) {
  fIcon = static_cast<HICON>(LoadImageW(Module(), MAKEINTRESOURCEW(iconId), IMAGE_ICON, GetSystemMetrics(SM_CXICON),
                                        GetSystemMetrics(SM_CYICON), LR_SHARED));
  fSmallIcon = static_cast<HICON>(LoadImageW(Module(), MAKEINTRESOURCEW(iconId), IMAGE_ICON,
                                             GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON), LR_SHARED));
  SendMessageW(fWindow, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(fIcon));
  SendMessageW(fWindow, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(fSmallIcon));
}

void Win32DialogFace::SetClientSize(int width, int height) {
  RECT frame = {0, 0, width, height};
  AdjustWindowRectEx(&frame, static_cast<DWORD>(GetWindowLongW(fWindow, GWL_STYLE)), FALSE,
                     static_cast<DWORD>(GetWindowLongW(fWindow, GWL_EXSTYLE)));
  SetWindowPos(fWindow, nullptr, 0, 0, frame.right - frame.left, frame.bottom - frame.top,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void Win32DialogFace::FitToItem(int id) {
  const ControlTemplate* control = fTemplate.Find(id);
  HWND item = control != nullptr ? GetDlgItem(fWindow, id) : nullptr;
  if (item == nullptr) return;
  const RECT rect = ChildRect(fWindow, item);
  SetClientSize(rect.right, rect.bottom);
}

void Win32DialogFace::WidenOneLineTexts() {
  // A one-line text is sized for the font the template names; where a
  // stand-in font runs wider, the text grows to the right instead of wrapping
  // into a second line that it has no room to show.
  for (HWND child = GetWindow(fWindow, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
    wchar_t name[16] = {};
    GetClassNameW(child, name, 16);
    const LONG type = GetWindowLongW(child, GWL_STYLE) & SS_TYPEMASK;
    if (lstrcmpiW(name, L"Static") != 0 || (type != SS_LEFT && type != SS_CENTER)) continue;
    const int length = GetWindowTextLengthW(child);
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    text.resize(static_cast<size_t>(GetWindowTextW(child, text.data(), length + 1)));
    if (text.empty() || text.find(L'\n') != std::wstring::npos) continue;
    HDC dc = GetDC(child);
    HGDIOBJ previous = SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageW(child, WM_GETFONT, 0, 0)));
    SIZE size = {};
    GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
    TEXTMETRICW metrics = {};
    GetTextMetricsW(dc, &metrics);
    SelectObject(dc, previous);
    ReleaseDC(child, dc);
    const RECT rect = ChildRect(fWindow, child);
    const bool oneLine = rect.bottom - rect.top < 2 * metrics.tmHeight;
    if (oneLine && size.cx > rect.right - rect.left) {
      SetWindowPos(child, nullptr, 0, 0, size.cx, rect.bottom - rect.top, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
  }
}

void Win32DialogFace::GrowOverControls() {
  // Bitmap buttons and pictures take the size of their images, which may
  // reach past a frame measured in the units of a narrower font than the one
  // the template was laid out for; the frame grows rather than cut them off.
  RECT client = {};
  GetClientRect(fWindow, &client);
  LONG right = client.right;
  LONG bottom = client.bottom;
  for (HWND child = GetWindow(fWindow, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
    const RECT rect = ChildRect(fWindow, child);
    right = std::max(right, rect.right);
    bottom = std::max(bottom, rect.bottom);
  }
  if (right != client.right || bottom != client.bottom) SetClientSize(right, bottom);
}

void Win32DialogFace::Center() {
  RECT area = {};
  HWND owner = GetWindow(fWindow, GW_OWNER);
  MONITORINFO monitor = {};
  monitor.cbSize = sizeof monitor;
  GetMonitorInfoW(MonitorFromWindow(owner != nullptr ? owner : fWindow, MONITOR_DEFAULTTOPRIMARY), &monitor);
  if (owner != nullptr && IsWindowVisible(owner) && !IsIconic(owner)) {
    GetWindowRect(owner, &area);
  } else {
    area = monitor.rcWork;
  }
  RECT window = {};
  GetWindowRect(fWindow, &window);
  const LONG width = window.right - window.left;
  const LONG height = window.bottom - window.top;
  LONG x = area.left + (area.right - area.left - width) / 2;
  LONG y = area.top + (area.bottom - area.top - height) / 2;
  // Never off the screen's work area.
  x = std::max(monitor.rcWork.left, std::min(x, monitor.rcWork.right - width));
  y = std::max(monitor.rcWork.top, std::min(y, monitor.rcWork.bottom - height));
  SetWindowPos(fWindow, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void Win32DialogFace::AppendWindowMenuSeparator() {
  if (HMENU menu = GetSystemMenu(fWindow, FALSE)) AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
}

void Win32DialogFace::AppendWindowMenuItem(unsigned command, const std::string& text) {
  if (HMENU menu = GetSystemMenu(fWindow, FALSE)) AppendMenuW(menu, MF_STRING, command, Wide(text).c_str());
}

void Win32DialogFace::StartTimer(int timerId, int periodMs) {
  SetTimer(fWindow, static_cast<UINT_PTR>(timerId), static_cast<UINT>(periodMs), nullptr);
}

void Win32DialogFace::StopTimer(int timerId) { KillTimer(fWindow, static_cast<UINT_PTR>(timerId)); }

void Win32DialogFace::EndDialog(int result) { ::EndDialog(fWindow, result); }

void Win32DialogFace::ShowMessage(const std::string& text, const std::string& caption) {
  MessageBoxLook look(fWindow);
  MessageBoxW(fWindow, Wide(text).c_str(), Wide(caption).c_str(), MB_OK);
}

int Win32DialogFace::RunModal(DialogBehaviour& dialog) { return Run(dialog, fWindow); }

void Win32DialogFace::PostQuit(int exitCode) { Win32QuitRequest::Post(exitCode); }
