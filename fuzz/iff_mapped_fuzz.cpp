// Opens arbitrary bytes as a generation-2 IFF file and puts it through a whole
// session: list and load everything, rewrite, add and remove a resource,
// close, reopen and list again. Nothing may crash, hang, overrun, leak or
// double-free a handle, or allocate from an unread count; a close that
// succeeded on a file indexed by walking must leave a map that the next open
// uses, listing the same resources.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>

#include "msrc/File/IFFResFile2.h"
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
  MHandle last = nullptr;
};

// Lists every type and resource, loading each one.
Listing ListAll(IFFResFile2& file) {
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
      int16_t id = 0;
      file.GetResID(handle, &id);
      file.GetResLanguage(handle);
      file.IsSwizzled(handle);
      if (GetMHandleSize(handle) > 0) {
        volatile uint8_t touch = *static_cast<uint8_t*>(LockMHandle(handle));
        (void)touch;
        UnlockMHandle(handle);
      }
      if (listing.first == nullptr) listing.first = handle;
      listing.last = handle;
    }
  }
  return listing;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // Removed with its files when the process exits.
  static FuzzDrive drive("iff-fuzz");
  drive.Write("f.iff", data, size);
  const int32_t handlesBefore = CountLiveMHandles();
  const FixedStringBuffer<260> path("c:\\x\\f.iff");
  {
    IFFResFile2 file;
    if (file.Open(path) != 0) {
      Check(!file.ValidFile());
      return 0;
    }
    // An index that came from a walk names only real blocks; one from a
    // stored map may name anything, which the next open then refuses.
    const bool walked = !file.OpenedFromMap();
    const Listing listing = ListAll(file);

    if (listing.first != nullptr) {
      const int32_t length = GetMHandleSize(listing.first);
      if (length > 0) {
        static_cast<uint8_t*>(LockMHandle(listing.first))[length - 1] ^= 0x5A;
        UnlockMHandle(listing.first);
      }
      file.WriteResource(listing.first);
    }
    constexpr ResType kAdded = MakeResType("FUZZ");
    MHandle added = NewMHandle(12);
    file.AddResource(added, kAdded, file.UniqueID(kAdded), FixedStringBuffer<64>("fuzz"), false);
    file.WriteResource(added);
    if (listing.last != nullptr && listing.last != listing.first) file.RemoveResource(listing.last);

    int32_t expected = 0;
    for (int16_t t = 1; t <= file.CountTypes(); ++t) expected += file.CountResources(file.GetIndType(t));
    const bool dirty = file.IsDirty();
    const int32_t closed = file.Close();
    Check(!file.ValidFile());

    Check(file.Open(path) == 0);
    if (closed == 0 && dirty && walked) {
      Check(file.OpenedFromMap());
      Check(ListAll(file).resources == expected);
    } else {
      ListAll(file);
    }
    file.Close();
  }
  Check(CountLiveMHandles() == handlesBefore);
  return 0;
}
