#pragma once

#include <cstdint>

#include "msrc/File/ResType.h"

// Numbers shared by both generations of the IFF container: a 64-byte file
// header, then an unbroken chain of blocks from offset kUniqueHeaderSize, each
// block a header and its payload, the block after the one at offset O starting
// at O + size. A block is a resource or a piece of free space.

constexpr int32_t kUniqueHeaderSize = 64;

// Block flag bits. The high byte of a generation-2 block's flags holds the
// resource's language; this system sets no other bits and keeps any it finds.
constexpr uint16_t kInvalid = 0x0004;   // free space, type kFreeBlockType
constexpr uint16_t kInternal = 0x0008;  // generation 1: one of the file's own resources
constexpr uint16_t kSwizzled = 0x0010;  // the payload is already in memory form
constexpr int32_t kLanguageShift = 8;

constexpr ResType kFreeBlockType = MakeResType("XXXX");

// Block sizes above this are not believed: a walk that meets one stops there.
constexpr int32_t kMaxBlockSize = 0x40000000;
