#pragma once

#include <utility>

#include "platform/FolderListing.h"

namespace platform {

// Owns one Win32 object handle and closes it when it goes. Empty when it holds
// none (INVALID_HANDLE_VALUE, or null).
class Win32Handle {
 public:
  Win32Handle() = default;
  explicit Win32Handle(void* handle);
  ~Win32Handle();
  Win32Handle(Win32Handle&& other) noexcept : fHandle(std::exchange(other.fHandle, Empty())) {}
  Win32Handle& operator=(Win32Handle&& other) noexcept;
  Win32Handle(const Win32Handle&) = delete;
  Win32Handle& operator=(const Win32Handle&) = delete;

  bool Valid() const { return fHandle != Empty(); }
  void* get() const { return fHandle; }
  void Reset();

  // The identity of the open file or folder: its volume's serial number and
  // its file index, which every name and link of it shares. False with the
  // host's cause when the host cannot tell.
  bool Identity(FolderId* identity) const;

 private:
  static void* Empty();

  void* fHandle = Empty();
};

}  // namespace platform
