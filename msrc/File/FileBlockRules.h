#pragma once

#include <cstdint>
#include <limits>

#include "msrc/File/FileBlockHeader.h"
#include "msrc/File/ResType.h"

// The block chain of a generation-1 IFF file (IFFResFile): 16-byte headers,
// any size a signed 32-bit field can hold, nothing but free space squeezed
// out by defragmentation.
struct FileBlockRules {
  using Header = FileBlockHeader;
  static constexpr int32_t kMaxBlockSize = std::numeric_limits<int32_t>::max();
  static constexpr ResType kDroppedType = 0;
  static constexpr bool kReportEndBeforeEof = true;
  static constexpr const char* kSourcePath = "msrc/File/IFFResFile";
};
