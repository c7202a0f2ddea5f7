#include "app/win32/Win32AppFace.h"

#include <windows.h>

#include "app/win32/Win32DialogColors.h"
#include "app/win32/Win32DialogFace.h"
#include "app/win32/Win32QuitRequest.h"

Win32AppFace::Win32AppFace() {
  Win32QuitRequest::Clear();
  SoundService::SetSystemService(&fSounds);
}

Win32AppFace::~Win32AppFace() {
  SoundService::SetSystemService(nullptr);
  Win32QuitRequest::Clear();
}

void Win32AppFace::Enable3dControls() {
  // Every dialog of a program made for Windows 95 and later has bevelled
  // controls already (DS_3DLOOK is implied).
}

void Win32AppFace::SetDialogColors(Color background, Color text) {
  Win32DialogColors::Set(RGB(background.fRed, background.fGreen, background.fBlue),
                         RGB(text.fRed, text.fGreen, text.fBlue));
}

void Win32AppFace::SetRegistryKey(const char*) {
  // The program keeps no settings, so the key is never made.
}

int Win32AppFace::RunModal(DialogBehaviour& dialog) { return Win32DialogFace::Run(dialog, nullptr); }

int Win32AppFace::ExitCode() const { return Win32QuitRequest::Pending() ? Win32QuitRequest::ExitCode() : 0; }
