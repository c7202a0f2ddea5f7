#pragma once

#include <cstdint>

namespace platform {

// How a file is opened, in the terms of the program's file calls.
enum FileAccess : unsigned {
  kAccessRead = 1u << 0,
  kAccessWrite = 1u << 1,
};

// Which opens of the same file the new one lets others hold at the same time.
// Every opener states its own; an open fails when it and an existing open do
// not allow each other (a read-write open with read sharing therefore excludes
// every other open that locks, and read-only opens with read sharing share).
enum FileShare : unsigned {
  kShareNone = 0,
  kShareRead = 1u << 0,
  kShareWrite = 1u << 1,
};

enum class FileDisposition {
  kOpenExisting,   // fails when the file does not exist
  kCreateAlways,   // creates the file, or truncates an existing one to 0 bytes;
                   // needs write access
};

struct FileOpenOptions {
  unsigned access = kAccessRead;
  unsigned share = kShareRead;
  FileDisposition disposition = FileDisposition::kOpenExisting;
  bool randomAccess = false;  // a hint: reads will jump around the file
};

// An open host file with one file pointer. Destroying it closes the file and
// releases its share lock.
class HostFile {
 public:
  virtual ~HostFile() = default;

  // Reads up to `count` bytes at the file pointer and advances it. Returns the
  // number read (0 at the end of the file), or -1 on an error.
  virtual int64_t Read(void* buffer, int64_t count) = 0;

  // Writes `count` bytes at the file pointer and advances it. Returns the
  // number written (short on a full disk), or -1 on an error.
  virtual int64_t Write(const void* buffer, int64_t count) = 0;

  // Sets the file pointer to an absolute offset (which may lie past the end).
  virtual bool Seek(int64_t offset) = 0;

  // The file's length in bytes, or -1 on an error.
  virtual int64_t Size() = 0;

  // Makes the file end at the file pointer, shortening or lengthening it.
  virtual bool SetEndOfFile() = 0;

  // Pushes written bytes to the storage device.
  virtual bool Flush() = 0;
};

}  // namespace platform
