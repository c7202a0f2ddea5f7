#pragma once

#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

#include "app/core/ListedObject.h"
#include "app/core/SortValues.h"
#include "msrc/Util/FixedStringBuffer.h"

// The FILE and ID arguments of the object commands. FILE names one object
// file, with or without its ".iff", as a host path or a Windows-style path
// (see FileArgument); it is reached through its file entry, the way the
// organizer reaches a line of its file list, so the file's .spf, .stx and
// .dir companions count too. ID must be on the file's object list as the
// organizer shows it: a definition that stands alone or leads its group.
//
// Every failure writes one line "velt-sort: <argument>: <reason>" to `err`.
class ObjectFileArgument {
 public:
  // Finds the file and reads its object list (the core's fill).
  bool Load(const std::string& argument, std::ostream& err);

  const StringBuffer& Entry() const { return fEntry; }
  const std::vector<ListedObject>& Objects() const { return fObjects; }

  // The listed object whose id the ID argument gives; null when the argument
  // is not a 16-bit number, or no listed object has that id (a definition in
  // a group that does not lead it is named as such).
  const ListedObject* Find(const std::string& idArgument, std::ostream& err) const;

  // The object's four sorts as the organizer loads them.
  bool ReadSorts(int16_t id, SortValues* values, std::ostream& err) const;

  // An ID argument: a whole decimal number from -32768 to 32767.
  static bool ParseId(const std::string& text, int16_t* id);
  // Why the object list of a listed file could not be read.
  static std::string UnreadableReason(const StringBuffer& entry);
  // Why `id` is not on the object list of the file, which could be read.
  static std::string WhyNotListed(const StringBuffer& entry, int16_t id);

 private:
  std::ostream& Fail(std::ostream& err) const;

  std::string fArgument;
  FixedStringBuffer<260> fEntry;
  std::vector<ListedObject> fObjects;
};
