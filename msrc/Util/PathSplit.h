#pragma once

#include "msrc/Util/StringBuffer.h"

// Path splitting for file names of the form <folder><name><extension>:
// - the folder part runs up to and including the last "\" or "/" (empty when
//   there is none);
// - the extension runs from the last "." after that separator, the "."
//   included (empty when there is none);
// - the name is what lies between.
// So "a.b\c" has folder "a.b\", name "c" and no extension, and ".iff" has an
// empty name and the extension ".iff".
//
// Every output is cleared first and may be null when the caller does not want
// it. A null path counts as the empty path. An output may be the buffer that
// holds the path itself. A piece that does not fit its output is cut with the
// string buffer's report.
void SplitPath(const char* path, StringBuffer* folder, StringBuffer* name, StringBuffer* extension);

// The file name without its folder: name and extension.
void PathFileName(const char* path, StringBuffer* out);

// The path without its extension (folder part and name), and the extension.
void PathStripExtension(const char* path, StringBuffer* out, StringBuffer* extensionOut);
