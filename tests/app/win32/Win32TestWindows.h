#pragma once

#include <windows.h>

#include <functional>
#include <string>

// Finding and reading the windows of a program under test from another thread
// or process, with bounded waits: a condition is polled until it holds or the
// wait runs out, so a test that goes wrong fails instead of hanging.
namespace win32test {

constexpr DWORD kWaitMs = 30000;

// Polls `condition` every few milliseconds; false when it still does not hold
// after `timeoutMs`.
bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs = kWaitMs);

// The first shown top-level dialog window (class "#32770") of thread
// `threadId` (or, with threadId 0, of process `processId`) that `match`
// accepts; null when there is none.
HWND FindDialog(DWORD processId, DWORD threadId, const std::function<bool(HWND)>& match);

// The same, waited for; null after kWaitMs.
HWND WaitForDialog(DWORD processId, DWORD threadId, const std::function<bool(HWND)>& match);

// Waits until `window` is gone or hidden.
bool WaitUntilClosed(HWND window);

std::string Text(HWND window);
std::string ClassName(HWND window);
bool HasCaption(HWND window);

// The child's window rectangle in its parent's client coordinates.
RECT ChildRect(HWND parent, HWND child);

// The first child of `parent` whose text is `text`, or null.
HWND ChildWithText(HWND parent, const std::string& text);

// A UTF-8 path with "/" separators as the wide path Win32 calls take.
std::wstring WindowsPath(std::string path);

}  // namespace win32test
