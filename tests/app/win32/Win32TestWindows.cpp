#include "tests/app/win32/Win32TestWindows.h"

#include <vector>

#include "platform/Win32Text.h"

namespace win32test {

namespace {

constexpr DWORD kPollMs = 10;

struct Search {
  DWORD processId;
  DWORD threadId;
  const std::function<bool(HWND)>* match;
  HWND found;
};

BOOL CALLBACK Visit(HWND window, LPARAM data) {
  auto* search = reinterpret_cast<Search*>(data);
  DWORD processId = 0;
  const DWORD threadId = GetWindowThreadProcessId(window, &processId);
  const bool ours = search->threadId != 0 ? threadId == search->threadId : processId == search->processId;
  if (!ours || !IsWindowVisible(window) || ClassName(window) != "#32770" || !(*search->match)(window)) return TRUE;
  search->found = window;
  return FALSE;
}

}  // namespace

bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs) {
  const ULONGLONG end = GetTickCount64() + timeoutMs;
  for (;;) {
    if (condition()) return true;
    if (GetTickCount64() >= end) return false;
    Sleep(kPollMs);
  }
}

HWND FindDialog(DWORD processId, DWORD threadId, const std::function<bool(HWND)>& match) {
  Search search{processId, threadId, &match, nullptr};
  EnumWindows(&Visit, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

HWND WaitForDialog(DWORD processId, DWORD threadId, const std::function<bool(HWND)>& match) {
  HWND found = nullptr;
  WaitUntil([&] { return (found = FindDialog(processId, threadId, match)) != nullptr; });
  return found;
}

bool WaitUntilClosed(HWND window) {
  return WaitUntil([window] { return !IsWindow(window) || !IsWindowVisible(window); });
}

std::string Text(HWND window) {
  const int length = GetWindowTextLengthW(window);
  std::vector<wchar_t> text(static_cast<size_t>(length) + 1);
  const int read = GetWindowTextW(window, text.data(), length + 1);
  return platform::Win32Text::ToUtf8(std::wstring_view(text.data(), static_cast<size_t>(read > 0 ? read : 0)));
}

std::string ClassName(HWND window) {
  wchar_t name[64] = {};
  const int length = GetClassNameW(window, name, 64);
  return platform::Win32Text::ToUtf8(std::wstring_view(name, static_cast<size_t>(length > 0 ? length : 0)));
}

bool HasCaption(HWND window) { return (GetWindowLongW(window, GWL_STYLE) & WS_CAPTION) == WS_CAPTION; }

RECT ChildRect(HWND parent, HWND child) {
  RECT rect = {};
  GetWindowRect(child, &rect);
  MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&rect), 2);
  return rect;
}

HWND ChildWithText(HWND parent, const std::string& text) {
  for (HWND child = GetWindow(parent, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
    if (Text(child) == text) return child;
  }
  return nullptr;
}

std::wstring WindowsPath(std::string path) {
  for (char& c : path) {
    if (c == '/') c = '\\';
  }
  std::wstring wide;
  platform::Win32Text::ToWide(path, &wide);
  return wide;
}

}  // namespace win32test
