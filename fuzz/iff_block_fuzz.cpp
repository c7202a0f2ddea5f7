// Opens arbitrary bytes as a generation-1 IFF file and puts it through a whole
// session: list and load everything, rewrite a resource, add one, close,
// reopen and list again. Nothing may crash, hang, overrun, leak or
// double-free a handle, or allocate from an unread count. A file whose names
// cache loaded and that was only read must be left byte for byte as it was;
// a close that succeeded must leave every resource for the next open.
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>

#include "msrc/File/IFFResFile.h"
#include "msrc/Util/FixedStringBuffer.h"
#include "msrc/Util/rmemwrap.h"
#include "platform/HostEnv.h"
#include "fuzz/FuzzDrive.h"

namespace {

void Check(bool condition) {
  if (!condition) __builtin_trap();
}

struct Listing {
  int32_t resources = 0;
  MHandle first = nullptr;
};

// Lists every type and resource, loading each one and asking its name.
Listing ListAll(IFFResFile& file) {
  Listing listing;
  const int16_t types = file.CountTypes();
  Check(types >= 0);
  for (int16_t t = 1; t <= types; ++t) {
    const ResType type = file.GetIndType(t);
    Check(file.Error() == 0);
    const int16_t count = file.CountResources(type);
    Check(count >= 0);
    listing.resources += count;
    for (int16_t i = 1; i <= count; ++i) {
      MHandle handle = file.GetIndResource(type, i, nullptr);
      if (handle == nullptr) {
        Check(file.Error() != 0);
        continue;
      }
      Check(file.GetResType(handle) == type);
      FixedStringBuffer<64> name;
      file.GetResName(handle, &name);
      Check(name.Length() <= 63);
      if (name.Length() > 0) {
        file.GetNamedResource(type, name, nullptr);
        file.MakeUniqueName(type, &name);
      }
      int16_t id = 0;
      file.GetResID(handle, &id);
      file.IsSwizzled(handle);
      if (GetMHandleSize(handle) > 0) {
        volatile uint8_t touch = *static_cast<uint8_t*>(LockMHandle(handle));
        (void)touch;
        UnlockMHandle(handle);
      }
      if (listing.first == nullptr) listing.first = handle;
    }
  }
  return listing;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // Removed with its files when the process exits.
  static FuzzDrive drive("iff1-fuzz");
  drive.Write("f.iff", data, size);
  const int32_t handlesBefore = CountLiveMHandles();
  const FixedStringBuffer<260> path("c:\\x\\f.iff");
  {
    IFFResFile file;
    if (file.Open(path) != 0) {
      Check(!file.ValidFile());
      return 0;
    }
    // Only read, a file with a names cache is not written at all.
    const bool hadNames = !file.NameList()->IsDirty();
    ListAll(file);
    file.Close();
    if (hadNames) Check(drive.Read("f.iff") == std::string(reinterpret_cast<const char*>(data), size));

    Check(file.Open(path) == 0);
    const Listing listing = ListAll(file);
    if (listing.first != nullptr) {
      const int32_t length = GetMHandleSize(listing.first);
      // Grown by a byte, so that it moves.
      if (SetMHandleSize(listing.first, length + 1) == 0) {
        static_cast<uint8_t*>(LockMHandle(listing.first))[length] = 0x5A;
        UnlockMHandle(listing.first);
      }
      file.WriteResource(listing.first);
    }
    constexpr ResType kAdded = MakeResType("FUZZ");
    MHandle added = NewMHandle(12);
    file.AddResource(added, kAdded, file.UniqueID(kAdded), FixedStringBuffer<64>("fuzz"), false);
    file.WriteResource(added);

    int32_t expected = 0;
    for (int16_t t = 1; t <= file.CountTypes(); ++t) expected += file.CountResources(file.GetIndType(t));
    const int32_t closed = file.Close();
    Check(!file.ValidFile());

    Check(file.Open(path) == 0);
    const Listing reopened = ListAll(file);
    if (closed == 0) Check(reopened.resources == expected);
    file.Close();
  }
  Check(CountLiveMHandles() == handlesBefore);
  return 0;
}
