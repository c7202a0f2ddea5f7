#pragma once

#include "msrc/File/StdResFile.h"

// The object file group: an object's .iff, .spf and .stx files as IFF mapped
// files and its .dir folder of loose resource files, routed as a StdResFile.
// Opened on a file entry (folder and name without extension) it reaches every
// component; opened on x.iff only that file.
class ObjResFile : public StdResFile {
 public:
  ObjResFile();
};
