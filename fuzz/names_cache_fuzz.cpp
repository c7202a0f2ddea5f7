// Arbitrary bytes as the payload of a generation-1 file's names cache, in
// either form: the first input byte picks the form (bit 0: the older id-0
// records, otherwise the serialized id-1 list) and whether the block is
// marked swizzled (bit 1); the rest is the payload. The file around it holds
// OBJD 0..7 named by keys 0..7 and OBJD 8 without a name.
//
// Nothing may crash, hang, overrun or allocate from an unread count; the file
// must see the names a direct decode of the payload gives; renaming OBJD 1
// and closing must keep every other name and give OBJD 1 its new one.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>

#include "msrc/File/IFFNameList.h"
#include "msrc/File/IFFResFile.h"
#include "msrc/File/Recon.h"
#include "msrc/File/SimpleReconObject.h"
#include "msrc/Util/FixedStringBuffer.h"
#include "msrc/Util/rmemwrap.h"
#include "platform/HostEnv.h"
#include "fuzz/FuzzDrive.h"

namespace {

constexpr ResType kObjd = MakeResType("OBJD");
constexpr int16_t kNamed = 8;

void Check(bool condition) {
  if (!condition) __builtin_trap();
}

std::string BlockHeader(const char* type, size_t payloadSize, int16_t id, uint16_t flags, int32_t nameIndex) {
  std::string header(type, 4);
  const auto size = static_cast<uint32_t>(payloadSize + 16);
  for (int shift = 24; shift >= 0; shift -= 8) header += static_cast<char>(size >> shift);
  header += static_cast<char>(static_cast<uint16_t>(id) >> 8);
  header += static_cast<char>(id);
  header += static_cast<char>(flags >> 8);
  header += static_cast<char>(flags);
  for (int shift = 24; shift >= 0; shift -= 8) header += static_cast<char>(static_cast<uint32_t>(nameIndex) >> shift);
  return header;
}

std::string File(bool oldForm, bool swizzled, const std::string& payload) {
  std::string bytes = "IFF FILE 1.0:TYPE FOLLOWED BY SIZE";
  bytes += '\0';
  bytes += " ODREN VASKHOLM & KORVA 1996";
  bytes += '\0';
  bytes += BlockHeader("NAME", payload.size(), oldForm ? 0 : 1, swizzled ? 0x0018 : 0x0008, -1) + payload;
  for (int16_t id = 0; id <= kNamed; ++id) bytes += BlockHeader("OBJD", 1, id, 0, id < kNamed ? id : -1) + "o";
  return bytes;
}

// What the payload says, decoded without the file.
IFFNameList Decode(bool oldForm, bool swizzled, const std::string& payload) {
  IFFNameList list;
  if (oldForm) {
    list.AppendOldForm(reinterpret_cast<const uint8_t*>(payload.data()), static_cast<int32_t>(payload.size()));
    return list;
  }
  MHandle handle = NewMHandle(static_cast<int32_t>(payload.size()));
  if (!payload.empty()) {
    void* bytes = LockMHandle(handle);
    std::memcpy(bytes, payload.data(), payload.size());
    // As the file does with a block not marked swizzled.
    if (!swizzled) ReconSwizzle(bytes, static_cast<int32_t>(payload.size()));
    UnlockMHandle(handle);
  }
  SimpleReconObject<IFFNameList> object(&list, IFFNameList::kType);
  ReconFromHandle(object, handle);
  DisposeMHandle(handle);
  return list;
}

std::string NameOf(IFFResFile& file, int16_t id) {
  FixedStringBuffer<64> name;
  file.GetResName(file.GetResource(kObjd, id, nullptr), &name);
  return name.Text();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  // Removed with its files when the process exits.
  static FuzzDrive drive("names-fuzz");
  const bool oldForm = (data[0] & 1) != 0;
  const bool swizzled = (data[0] & 2) != 0;
  const std::string payload(reinterpret_cast<const char*>(data + 1), size - 1);
  drive.Write("n.iff", File(oldForm, swizzled, payload));
  const int32_t handlesBefore = CountLiveMHandles();
  const FixedStringBuffer<260> path("c:\\x\\n.iff");
  {
    const IFFNameList expected = Decode(oldForm, swizzled, payload);
    IFFResFile file;
    Check(file.Open(path) == 0);
    const IFFNameList& names = *file.NameList();
    Check(names.Count() == expected.Count());
    for (int32_t i = 0; i < names.Count(); ++i) {
      Check(names.At(i).fKey == expected.At(i).fKey);
      Check(names.At(i).fName.Compare(expected.At(i).fName) == 0);
    }

    std::string before[kNamed + 1];
    for (int16_t id = 0; id <= kNamed; ++id) before[id] = NameOf(file, id);
    for (int32_t i = 0; i < names.Count(); ++i) {
      FixedStringBuffer<64> name(names.At(i).fName);
      file.GetNamedResource(kObjd, name, nullptr);
      file.MakeUniqueName(kObjd, &name);
    }

    file.SetResInfo(file.GetResource(kObjd, 1, nullptr), 1, FixedStringBuffer<64>("fuzzed"), 0);
    Check(file.Error() == 0);
    Check(file.Close() == 0);

    Check(file.Open(path) == 0);
    for (int16_t id = 0; id <= kNamed; ++id) Check(NameOf(file, id) == (id == 1 ? "fuzzed" : before[id]));
    file.Close();
  }
  Check(CountLiveMHandles() == handlesBefore);
  return 0;
}
