#include "app/win32/Win32SoundService.h"

#include <windows.h>
#include <mmsystem.h>

#include <string>

#include "platform/Win32Text.h"

void Win32SoundService::Play(const char* name) {
  std::wstring wide;
  if (!platform::Win32Text::ToWide(name, &wide)) return;
  // Resource names are found without regard to case.
  PlaySoundW(wide.c_str(), GetModuleHandleW(nullptr), SND_RESOURCE | SND_ASYNC | SND_NODEFAULT);
}

void Win32SoundService::Stop() { PlaySoundW(nullptr, nullptr, 0); }
