#pragma once

#include <cstdint>
#include <memory>

#include "msrc/File/resfile.h"
#include "msrc/Util/StringBuffer.h"

// Opens an IFF file of either generation for reading only: as a mapped file
// (generation 2) or, when it is not one, as a block file (generation 1).
// Null with `status` set when neither opens (kResErrNotIff when the file is an
// IFF file of neither kind).
std::unique_ptr<iResFile> OpenIffReadOnly(const StringBuffer& path, int32_t* status);
