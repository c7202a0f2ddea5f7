#pragma once

#include <array>
#include <cstdint>

#include "msrc/File/ChainResFile.h"
#include "msrc/File/resfile.h"
#include "msrc/Util/FixedStringBuffer.h"
#include "msrc/Util/StringBuffer.h"

// A file group: one resource file made of component files that share a base
// path and differ by extension. The group opens, creates and deletes its
// components together and chains the ones that opened, in component order.
// It owns the members it opened and deletes them at Close and destruction.
//
// Component path of a path, for one component:
// - a component of kind 0, or whose extension has at most one character or
//   does not start with a dot, has none;
// - a path with an extension reaches only the component with that extension
//   (letters compared without regard to case) and is used unchanged;
// - a path without one reaches every component when its name part is not
//   empty, as the path followed by the component's extension.
// So opening chair.iff reaches only the .iff components, chair all of them.
class SeqResFile : public ChainResFile {
 public:
  // Component kinds: which file class opens a component.
  static constexpr int32_t kKindNone = 0;     // ends the table
  static constexpr int32_t kKindIFF = 1;      // IFF block file
  static constexpr int32_t kKindIFF2 = 2;     // IFF mapped file
  static constexpr int32_t kKindResolve = 3;  // folder of loose resource files
  static constexpr int32_t kMaxComponents = 16;
  // Extension capacity, the terminator included: at most 7 characters.
  static constexpr int32_t kExtensionCapacity = 8;

  SeqResFile();
  // Removes and deletes the members it opened, last first; each closes itself.
  ~SeqResFile() override;

  void ClearComponents();
  // Appends a component. Beyond 16 components ("not enough space for types")
  // or with a kind outside 0..3 ("bad file type") it is reported and nothing
  // is added. A longer extension is cut to 7 characters, with the string
  // buffer's report.
  void AddComponent(int32_t kind, const char* extension);
  int32_t CountComponents() const;
  // kKindNone and an empty text beyond the table.
  int32_t ComponentKind(int32_t index) const;
  const char* ComponentExtension(int32_t index) const;

  // The component path rule above. False (out cleared) when the component
  // does not apply to the path.
  static bool ComponentPath(int32_t kind, const StringBuffer& extension, const StringBuffer& path,
                            StringBuffer* componentPath);

  // A new, closed file object of a component kind: the IFF block file, the
  // IFF mapped file or the resolve-site file; null for any other kind.
  static iResFile* MakeMember(int32_t kind);

  // Creates every component file (left closed). 0 when anything was created;
  // kResErrFileExists at once when a component exists (reported when others
  // were created already); else the last failure, kResErrNoComponent when no
  // component applied.
  int32_t Create(const StringBuffer& path) override;
  // Deletes every component file. 0 when anything was deleted, else the last
  // failure.
  int32_t Delete(const StringBuffer& path) override;
  // Closes the group, then opens every component that applies and chains the
  // ones that opened. 0 when any opened, else the last failure
  // (kResErrNoComponent when no component applied). Most groups are an .iff
  // file without companions, and every open of a missing file costs a path
  // resolution on the host (a file is tried for writing, then for reading),
  // so the host is first asked once which of the companions' names (those of
  // every component but the first) the folder may hold; a companion it
  // surely does not hold fails as its file class fails on a missing file,
  // without being tried.
  int32_t Open(const StringBuffer& path) override;
  // Closes every member (the last non-zero result), then removes the members
  // from the chain and deletes them, first member first.
  int32_t Close() override;
  // The first member's path without its extension; left alone when the group
  // is not valid.
  void GetPath(StringBuffer* path) override;

 private:
  struct Component {
    int32_t fKind = kKindNone;
    FixedStringBuffer<kExtensionCapacity> fExtension;
  };

  // The components that surely have nothing to open at `path` (see Open).
  std::array<bool, kMaxComponents> MissingComponents(const StringBuffer& path) const;

  bool Owns(const iResFile* file) const;
  void Disown(const iResFile* file);
  // Deletes the owned members that are no longer in the chain.
  void DeleteStrayMembers();

  // kMaxComponents entries and the one after the last, which stays kind 0.
  std::array<Component, kMaxComponents + 1> fComponents;
  int32_t fComponentCount = 0;
  // The members this group opened, so it never deletes a file someone else
  // added to its chain.
  std::array<iResFile*, kMaxFiles> fOwned{};
};
