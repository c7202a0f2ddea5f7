#include "msrc/File/ObjResFile.h"

ObjResFile::ObjResFile() {
  ClearComponents();
  AddComponent(kKindIFF2, ".iff");
  AddComponent(kKindIFF2, ".spf");
  AddComponent(kKindIFF2, ".stx");
  AddComponent(kKindResolve, ".dir");
}
