#pragma once

#include <cstdint>

#include "msrc/File/IFFBlockHeader.h"
#include "msrc/File/IFFFormat.h"
#include "msrc/File/ResType.h"

// The block chain of a generation-2 IFF file (IFFResFile2): 76-byte headers,
// sizes up to kMaxBlockSize, and old resource maps ('rsmp' blocks) squeezed
// out with the free space by defragmentation, since a fresh map is written
// after it.
struct IFFBlockRules {
  using Header = IFFBlockHeader;
  static constexpr int32_t kMaxBlockSize = ::kMaxBlockSize;
  static constexpr ResType kDroppedType = MakeResType("rsmp");
  static constexpr bool kReportEndBeforeEof = false;
  static constexpr const char* kSourcePath = "msrc/File/IFFResFile2";
};
