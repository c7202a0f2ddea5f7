#pragma once

#include <cstdint>

#include "msrc/File/ResType.h"
#include "msrc/Util/rmemwrap.h"

// The object definition record: the whole data of one OBJD resource. All
// multi-byte fields are little-endian and used in stored order. Only the
// fields below are interpreted; every other byte is carried through as it is.
//
//   offset  width  field
//        0      4  Version (signed 32): 138 now; 136 and 137 are upgraded
//       20      2  Group id (signed 16): 0 for a definition that stands alone
//       22      2  Group slot (signed 16): -1 marks a group's lead definition
//       78      2  Room sort (signed 16, bits)
//       80      2  Function sort (signed 16, bits)
//      188      2  Function subsort (signed 16, bits within the function sort)
//      190      2  Downtown sort (signed 16, bits)
//
// The current record is 216 bytes (108 16-bit words).

constexpr ResType kObjdType = MakeResType("OBJD");

constexpr int32_t kObjdVersionOffset = 0;
constexpr int32_t kObjdGroupIdOffset = 20;
constexpr int32_t kObjdGroupSlotOffset = 22;
constexpr int32_t kObjdRoomSortOffset = 78;
constexpr int32_t kObjdFunctionSortOffset = 80;
constexpr int32_t kObjdFunctionSubsortOffset = 188;
constexpr int32_t kObjdDowntownSortOffset = 190;

constexpr int32_t kObjdCurrentVersion = 138;
constexpr int32_t kObjdCurrentSize = 216;
// Group slot of the definition that stands for its group in the object list.
constexpr int16_t kObjdLeadSlot = -1;

// Brings the record to version 138 and exactly 216 bytes. Versions 136 and 137
// are upgraded (the answer is then true): the version becomes 138, the record
// grows to 216 bytes and the 16-bit words from the old size (halved, rounded
// down) onwards are zeroed, so an odd old size loses its last byte. Any other
// version is reported "bad version" and only its size is put right. A record
// of fewer than 4 bytes has no readable version: it counts as version 0, is
// reported "bad version" and filled with zeroes to 216 bytes.
//
// A resize the memory layer refuses leaves the record at its real size; no
// byte beyond it is read or written. A null handle changes nothing (false).
bool NormalizeDefinition(MHandle handle);

// The swizzle callback for every OBJD lookup: changes nothing and reports
// "swizzle disabled for now".
void SwizzleDefinition(void* data, int32_t size);

// Field access on the bytes of a locked record of `size` bytes. A field that
// does not lie wholly inside the record reads as 0 and is not written, so a
// record left short by a failed resize is never overrun. `data` is not
// touched at all when the field does not fit (an empty handle's lock address
// must never be dereferenced).
int32_t ReadDefinitionLong(const void* data, int32_t size, int32_t offset);
int16_t ReadDefinitionWord(const void* data, int32_t size, int32_t offset);
// Returns whether the field fitted and was written.
bool WriteDefinitionLong(void* data, int32_t size, int32_t offset, int32_t value);
bool WriteDefinitionWord(void* data, int32_t size, int32_t offset, int16_t value);

// The four sort fields, as signed 16-bit values.
struct DefinitionSorts {
  int16_t fRoom = 0;
  int16_t fFunction = 0;
  int16_t fSubsort = 0;
  int16_t fDowntown = 0;
};

// Whole-handle helpers: each locks the handle, works within its real size and
// unlocks it before returning. False when the handle cannot be locked (null,
// not live); fields beyond a short record read as 0 and are not written.
bool ReadDefinitionSorts(MHandle handle, DefinitionSorts* sorts);
bool WriteDefinitionSorts(MHandle handle, const DefinitionSorts& sorts);
// Group id and slot, for deciding whether a definition is listed.
bool ReadDefinitionGroup(MHandle handle, int16_t* groupId, int16_t* groupSlot);
