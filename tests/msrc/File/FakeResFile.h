#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "msrc/File/resfile.h"
#include "msrc/Util/FixedStringBuffer.h"

// A resource file kept in memory, for testing what iResFile and the
// serializer do on top of any kind. Like the storage kinds it keeps the bytes
// "stored" apart from the handles it hands out: a lookup loads a handle from
// the stored bytes (applying the swizzle callback once when the stored
// resource is not marked swizzled), WriteResource stores a handle's bytes.
// It has no languages, so the interface's defaults for them apply.
class FakeResFile : public iResFile {
 public:
  struct Entry {
    ResType type = 0;
    int16_t id = 0;
    FixedStringBuffer<64> name;
    std::string stored;
    bool storedSwizzled = false;
    MHandle handle = nullptr;  // handed out or added, owned by the file
    bool swizzled = false;
    bool written = false;
  };

  FakeResFile();
  ~FakeResFile() override;

  // Puts a resource straight into storage.
  void Store(ResType type, int16_t id, const std::string& bytes, bool swizzled = true, const char* name = "");
  Entry* Find(ResType type, int16_t id);
  const std::vector<Entry>& Entries() const { return fEntries; }

  void SetWritable(bool writable) { fWritable = writable; }
  // The next WriteResource fails with this code (0: none).
  void FailNextWrite(int32_t code) { fFailWrite = code; }
  // CountTypes and CountResources fail with this code until it is set back
  // to 0.
  void FailCounts(int32_t code) { fFailCounts = code; }

  int fLookups = 0;           // GetResource calls
  int fSetResInfoCalls = 0;
  int fAddResourceCalls = 0;
  FixedStringBuffer<64> fLastAddedName;
  bool fLastAddedSwizzled = false;

  int32_t Create(const StringBuffer& path) override;
  int32_t Delete(const StringBuffer& path) override;
  int32_t Open(const StringBuffer& path) override;
  int32_t Suspend() override;
  int32_t Resume() override;
  int32_t Close() override;
  void Flush() override;
  bool IsWritable() override;
  void GetPath(StringBuffer* path) override;
  bool ValidFile() override;
  int16_t CountTypes() override;
  ResType GetIndType(int16_t index) override;
  int16_t CountResources(ResType type) override;
  MHandle GetResource(ResType type, int16_t id, SwizzleProc swizzle) override;
  MHandle GetNamedResource(ResType type, const StringBuffer& name, SwizzleProc swizzle) override;
  MHandle GetIndResource(ResType type, int16_t index, SwizzleProc swizzle) override;
  void GetResName(MHandle handle, StringBuffer* name) override;
  ResType GetResType(MHandle handle) override;
  void GetResID(MHandle handle, int16_t* id) override;
  void Reserved1(uint32_t value, int16_t* result) override;
  void MakeUniqueName(ResType type, StringBuffer* name) override;
  int16_t UniqueID(ResType type) override;
  void DetachResource(MHandle handle) override;
  void Reserved2(MHandle handle) override;
  bool IsSwizzled(MHandle handle) override;
  void AddResource(MHandle handle, ResType type, int16_t id, const StringBuffer& name, bool swizzled) override;
  void WriteResource(MHandle handle) override;
  void RemoveResource(MHandle handle) override;
  void SetResInfo(MHandle handle, int16_t id, const StringBuffer& name, uint8_t language) override;

 private:
  Entry* Owner(MHandle handle);
  MHandle Load(Entry* entry, SwizzleProc swizzle);
  void Store(Entry* entry);
  bool Named(ResType type, const StringBuffer& name);

  std::vector<Entry> fEntries;
  FixedStringBuffer<260> fPath;
  bool fOpen = false;
  bool fWritable = true;
  int32_t fFailWrite = 0;
  int32_t fFailCounts = 0;
};
