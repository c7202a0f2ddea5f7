#include "msrc/Util/PathSplit.h"

#include <cstdint>
#include <cstring>
#include <functional>
#include <string>

namespace {

// Offsets of the three pieces: folder [0, nameStart), name [nameStart,
// extensionStart), extension [extensionStart, length).
struct PathPieces {
  int32_t nameStart = 0;
  int32_t extensionStart = 0;
  int32_t length = 0;
};

PathPieces Locate(const char* path) {
  PathPieces pieces;
  const size_t length = std::strlen(path);
  // Paths are far shorter than this in practice; longer text is cut so that
  // every offset fits the buffers' 32-bit counts.
  pieces.length = length > INT32_MAX ? INT32_MAX : static_cast<int32_t>(length);
  // From the end back to the last separator: the name is all that is looked
  // at, and the first dot met is its last one.
  int32_t lastDot = -1;
  int32_t i = pieces.length;
  while (i > 0 && path[i - 1] != '\\' && path[i - 1] != '/') {
    --i;
    if (lastDot < 0 && path[i] == '.') lastDot = i;
  }
  pieces.nameStart = i;
  pieces.extensionStart = lastDot >= 0 ? lastDot : pieces.length;
  return pieces;
}

// Whether writing to `out` could change the text at `path`.
bool Overlaps(const StringBuffer* out, const char* path, int32_t length) {
  if (out == nullptr || out->Capacity() <= 0) return false;
  const char* storage = out->Text();
  const std::less<const char*> before;
  return before(storage, path + length + 1) && before(path, storage + out->Capacity());
}

void SetPiece(StringBuffer* out, const char* start, int32_t count) {
  if (out == nullptr) return;
  out->Clear();
  if (count > 0) out->Append(start, count);
}

}  // namespace

void SplitPath(const char* path, StringBuffer* folder, StringBuffer* name, StringBuffer* extension) {
  if (path == nullptr) path = "";
  const PathPieces pieces = Locate(path);
  // An output that holds the path itself would lose it on the first clear, so
  // such a call works from a copy.
  std::string copy;
  if (Overlaps(folder, path, pieces.length) || Overlaps(name, path, pieces.length) ||
      Overlaps(extension, path, pieces.length)) {
    copy.assign(path, static_cast<size_t>(pieces.length));
    path = copy.c_str();
  }
  SetPiece(folder, path, pieces.nameStart);
  SetPiece(name, path + pieces.nameStart, pieces.extensionStart - pieces.nameStart);
  SetPiece(extension, path + pieces.extensionStart, pieces.length - pieces.extensionStart);
}

void PathFileName(const char* path, StringBuffer* out) {
  if (path == nullptr) path = "";
  const PathPieces pieces = Locate(path);
  std::string copy;
  if (Overlaps(out, path, pieces.length)) {
    copy.assign(path, static_cast<size_t>(pieces.length));
    path = copy.c_str();
  }
  SetPiece(out, path + pieces.nameStart, pieces.length - pieces.nameStart);
}

void PathStripExtension(const char* path, StringBuffer* out, StringBuffer* extensionOut) {
  if (path == nullptr) path = "";
  const PathPieces pieces = Locate(path);
  std::string copy;
  if (Overlaps(out, path, pieces.length) || Overlaps(extensionOut, path, pieces.length)) {
    copy.assign(path, static_cast<size_t>(pieces.length));
    path = copy.c_str();
  }
  SetPiece(out, path, pieces.extensionStart);
  SetPiece(extensionOut, path + pieces.extensionStart, pieces.length - pieces.extensionStart);
}
