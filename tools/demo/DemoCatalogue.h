#pragma once

#include <cstdint>
#include <vector>

namespace tools {

// The sample object files of the demo installation, as data. Between them
// they hold every function sort with each of its subsorts, stand-alone
// definitions and a group, values that no control names, an object outside
// the buy catalogue, an older record, a read-only file and an archive.

// One object definition. Names are ASCII.
struct DemoObject {
  const char* fName;
  int16_t fRoom;
  int16_t fFunction;
  int16_t fSubsort;
  int16_t fDowntown;
  int16_t fGroupId = 0;    // 0: stands alone
  int16_t fGroupSlot = 0;  // -1: leads its group
  int32_t fVersion = 138;
  int32_t fSize = 216;
};

// One object file: its definitions get resource ids from 128 on, in order.
struct DemoFile {
  // Below the game folder (or, for an archive member, the archive's folder),
  // "/" separated, in the letter case it is written with.
  const char* fPath;
  std::vector<DemoObject> fObjects;
  bool fReadOnly = false;
};

// An archive of object files; the organizer's file list never shows members.
struct DemoArchive {
  const char* fPath;
  std::vector<DemoFile> fMembers;
};

const std::vector<DemoFile>& DemoObjectFiles();
const std::vector<DemoArchive>& DemoArchives();

// The resource id of the first definition of a file.
inline constexpr int16_t kFirstDemoId = 128;

}  // namespace tools
