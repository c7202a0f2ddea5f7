#include "platform/ConsoleSession.h"

#include <cstdio>

#ifdef _WIN32
#include <windows.h>
#include <shellapi.h>

#include "platform/Win32Text.h"
#else
#include <unistd.h>
#endif

namespace platform {

ConsoleSession::ConsoleSession(int argc, char** argv) {
#ifdef _WIN32
  int count = 0;
  if (wchar_t** wide = ::CommandLineToArgvW(::GetCommandLineW(), &count)) {
    for (int i = 0; i < count; ++i) fArguments.push_back(Win32Text::ToUtf8(wide[i]));
    ::LocalFree(wide);
  }
  const UINT page = ::GetConsoleOutputCP();
  if (page != 0 && page != CP_UTF8 && ::SetConsoleOutputCP(CP_UTF8)) fRestoreOutputPage = page;
#endif
  if (fArguments.empty()) {
    for (int i = 0; i < argc && argv != nullptr && argv[i] != nullptr; ++i) fArguments.emplace_back(argv[i]);
  }
  for (const std::string& argument : fArguments) fPointers.push_back(argument.c_str());
  fPointers.push_back(nullptr);
}

ConsoleSession::~ConsoleSession() {
#ifdef _WIN32
  if (fRestoreOutputPage != 0) {
    // What the program wrote goes out in the page it was written for.
    std::fflush(stdout);
    std::fflush(stderr);
    ::SetConsoleOutputCP(fRestoreOutputPage);
  }
#endif
}

bool ConsoleSession::ErrorIsTerminal() {
#ifdef _WIN32
  DWORD mode = 0;
  return ::GetConsoleMode(::GetStdHandle(STD_ERROR_HANDLE), &mode) != 0;
#else
  return ::isatty(STDERR_FILENO) == 1;
#endif
}

}  // namespace platform
