#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "msrc/File/ResType.h"

// Test data for object files, written by the system's own IFF mapped file.

// The fields of an object definition record that the organizer reads.
struct DefinitionFields {
  int32_t version = 138;
  int32_t size = 216;
  int16_t groupId = 0;
  int16_t groupSlot = 0;
  int16_t room = 1;
  int16_t function = 2;
  int16_t subsort = 4;
  int16_t downtown = 0;
};

// A current record (version 138, stand-alone) with these four sorts.
DefinitionFields SortFields(int16_t room, int16_t function, int16_t subsort, int16_t downtown);

// A record of `fields.size` bytes: the fields in place, little-endian, every
// other byte a position-dependent non-zero pattern so that a moved or
// overwritten byte shows. Fields that do not fit are left out.
std::string MakeDefinition(const DefinitionFields& fields);

// A record as NormalizeDefinition leaves `bytes` (versions 136 to 138 only):
// version 138, 216 bytes, the words from an old size's half onward zero.
std::string NormalizedDefinition(const std::string& bytes);

// The same record with the four sort words replaced.
std::string WithSorts(std::string bytes, int16_t room, int16_t function, int16_t subsort, int16_t downtown);

// The four sort words of a record (0 for those beyond its end).
struct StoredSorts {
  int16_t room, function, subsort, downtown;
};
StoredSorts ReadStoredSorts(const std::string& bytes);

struct ResourceData {
  ResType type;
  int16_t id;
  std::string name;
  std::string bytes;
};

// Creates (or replaces) the IFF file at the Windows path with the resources added in
// order, not marked swizzled, and closes it (which writes its map). False
// when any step fails.
bool WriteObjectFile(const std::string& windowsPath, const std::vector<ResourceData>& resources);
