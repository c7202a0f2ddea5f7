#pragma once

#include <cstdint>

#include "msrc/File/ResType.h"
#include "msrc/File/SeqResFile.h"
#include "msrc/Util/StringBuffer.h"

// The standard file group: .iff, .spf and .stx as IFF mapped files, then as
// IFF block files, then the .dir folder of loose resource files. When it opens
// with both an .iff and an .spf member it routes sprites, palettes and bitmaps
// to the .spf member, strings to the .stx member when there is one, and
// everything else to the .iff member.
class StdResFile : public SeqResFile {
 public:
  static constexpr ResType kSpriteType = MakeResType("SPR#");
  static constexpr ResType kDrawGroupType = MakeResType("DGRP");
  static constexpr ResType kPaletteType = MakeResType("PALT");
  static constexpr ResType kBitmapType = MakeResType("BMP_");
  static constexpr ResType kSprite2Type = MakeResType("SPR2");
  static constexpr ResType kCatalogStringsType = MakeResType("CTSS");
  static constexpr ResType kTreeAttributesType = MakeResType("TTAs");
  static constexpr ResType kStringsType = MakeResType("STR#");

  StdResFile();

  // The group's open, then the type routing.
  int32_t Open(const StringBuffer& path) override;
};
