#pragma once

#include <cstdint>
#include <vector>

#include "msrc/File/ResMapEntry.h"
#include "msrc/File/ResMapType.h"
#include "msrc/File/ResType.h"
#include "msrc/Util/StringBuffer.h"
#include "msrc/Util/rmemwrap.h"

class Recon;

// The in-memory index of a generation-2 IFF file: its types in order of first
// appearance, each with its resources, and the invalid total (the bytes held
// by free blocks). Stored on close as the 'rsmp' resource map (see
// Reconstitute below). All searches are linear. An entry is in the default
// language when the high byte of its current flags is 0.
class IFFResMap {
 public:
  static constexpr ResType kType = MakeResType("rsmp");

  IFFResMap() = default;
  IFFResMap(const IFFResMap&) = delete;
  IFFResMap& operator=(const IFFResMap&) = delete;

  int32_t InvalidTotal() const { return fInvalidTotal; }
  void SetInvalidTotal(int32_t total) { fInvalidTotal = total; }
  // Adds `delta`, kept within the 32-bit range: a stored total is untrusted.
  void AddInvalid(int64_t delta);

  int32_t CountTypes() const { return static_cast<int32_t>(fTypes.size()); }
  int32_t CountEntries(ResType type) const;
  // Appends an empty type when it is absent and `create` is set.
  ResMapType* FindType(ResType type, bool create);
  const ResMapType* FindType(ResType type) const;
  // Finds or appends the type and appends a blank entry to it.
  ResMapEntry* AddEntry(ResType type);
  // The first entry with the id in the default language.
  ResMapEntry* FindDefault(ResType type, int16_t id) const;
  // For a language other than 0 the first entry with the id in that language;
  // otherwise, or when there is none, FindDefault.
  ResMapEntry* FindLanguage(ResType type, int16_t id, uint8_t language) const;
  // The first default-language entry whose name equals, ignoring the case of
  // 'A'..'Z'.
  ResMapEntry* FindByName(ResType type, const StringBuffer& name) const;
  // The first entry of any type holding the handle, and its type. A null
  // handle is never found.
  ResMapEntry* FindByHandle(MHandle handle, ResType* type) const;
  // The index-th entry of the type counted from 1, any language.
  ResMapEntry* ByIndex(ResType type, int32_t index) const;
  // The index-th type code counted from 1; 0 when there is none.
  ResType TypeByIndex(int32_t index) const;
  // The largest id of the type, but at least `floor`.
  int16_t LargestId(ResType type, int16_t floor) const;

  // Erases the entry, and its type when that becomes empty. An entry that is
  // not in the map is reported "node not found".
  void RemoveEntry(const ResMapEntry* entry);
  void RemoveType(ResType type);
  // A block at `oldOffset` moved down by `gap`: the first entry there follows
  // it, and so does a replaced block there. A negative gap is reported and
  // changes nothing.
  void AdjustOffset(int32_t oldOffset, int32_t gap);
  // No types, invalid total 0.
  void Clear();

  std::vector<ResMapType>& Types() { return fTypes; }
  const std::vector<ResMapType>& Types() const { return fTypes; }
  // Set by a decode whose payload ended before its counts were met.
  bool DecodedShort() const { return fDecodedShort; }
  void SetDecodedShort(bool decodedShort) { fDecodedShort = decodedShort; }

 private:
  int32_t fInvalidTotal = 0;
  std::vector<ResMapType> fTypes;
  // Where FindByHandle last found a handle; the next search starts there. It
  // is only a hint, checked against the lists before use.
  mutable size_t fLastTypeIndex = 0;
  mutable int32_t fLastEntryIndex = -1;
  bool fDecodedShort = false;
};

// The walk that stores and reads the map (version 0), payload in the writer's
// byte order behind the serializer's 12-byte header:
//
//   Long invalid total
//   Long type count T, then T times:
//     Long type code
//     Long entry count E, then E times:
//       Long offset, Short id, Short flags as on disk, String name
//
// Strings are the text, a zero and a padding byte to an even position. On
// reading, the stored flags also become the current flags, and every count is
// bounded by what the remaining payload can hold (8 bytes a type, 10 an
// entry) before anything is sized by it.
void Reconstitute(IFFResMap& map, Recon& recon, int32_t version);
