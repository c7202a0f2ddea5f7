// Every failure point of every kind of save, for both generations of the IFF
// container, on healthy and on damaged files. A save runs with the n-th host
// call of one kind failing once or for good (a full disk, a device error,
// another program's hold), or with the program stopping dead at its n-th
// change of any kind (write, truncation, flush, file creation, removal,
// replacement); n runs from 1 until a save makes no call fail.
//
// Afterwards, with the faults healed, the file is read as the format's own
// reader reads it: through its stored map when the header names a usable
// one, and again by walking its blocks. Each reading must give every
// resource it gave before the save with its old bytes, and the changed one
// with its old or its new bytes (or absent, for a removal, or present, for an
// addition), and nothing else. Zero losses are asserted at every point. A
// later save on what was left must not lose anything either, and on a
// healthy file it must work.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <functional>
#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <tuple>
#include <vector>

#include "msrc/File/IFFResFile.h"
#include "msrc/File/IFFResFile2.h"
#include "platform/HostEnv.h"
#include "tests/msrc/File/IFF1Builder.h"
#include "tests/msrc/File/IFF2Builder.h"
#include "tests/msrc/File/IFF2Fixture.h"
#include "tests/msrc/File/IFF2Reader.h"
#include "tests/platform/FaultInjection.h"

namespace {

struct Resource {
  std::string type;
  int16_t id = 0;
  uint8_t language = 0;
  std::string name;
  std::string bytes;

  bool operator==(const Resource&) const = default;
  bool SameKey(const Resource& other) const {
    return type == other.type && id == other.id && language == other.language;
  }
};

std::string Describe(const Resource& resource) {
  return resource.type + " " + std::to_string(resource.id) + "/" + std::to_string(resource.language) + " \"" +
         resource.name + "\" (" + std::to_string(resource.bytes.size()) + " bytes)";
}

ResType TypeCode(const std::string& type) {
  const char code[5] = {type[0], type[1], type[2], type[3], '\0'};
  return MakeResType(code);
}

std::string TypeText(ResType type) {
  return {static_cast<char>(type >> 24), static_cast<char>(type >> 16), static_cast<char>(type >> 8),
          static_cast<char>(type)};
}

// Reproducible bytes that differ from one seed to the next.
std::string Pattern(uint32_t seed, size_t size) {
  std::string bytes(size, '\0');
  uint32_t state = seed * 2654435761u + 12345u;
  for (char& byte : bytes) {
    state = state * 1664525u + 1013904223u;
    byte = static_cast<char>(state >> 24);
  }
  return bytes;
}

// A piece of a starting file, in file order.
struct Piece {
  enum class Kind {
    kResource,
    kFree,      // free space of `size` bytes
    kBroken,    // the resource, listed in the map, but its header's size field reads `size`: no walk gets past it
    kCutOff,    // the resource as the last block, with only `size` bytes of it in the file
    kTrailing,  // `size` stray bytes after the last block
    kMap,       // where the resource map goes (generation 2 with a map; the end when there is no such piece)
  };
  Kind kind = Kind::kResource;
  Resource resource;
  int32_t size = 0;

  bool Readable() const { return kind == Kind::kResource; }
};

Piece R(const Resource& resource) { return {Piece::Kind::kResource, resource, 0}; }
Piece Free(int32_t size) { return {Piece::Kind::kFree, {}, size}; }
Piece Broken(const Resource& resource, int32_t sizeField) { return {Piece::Kind::kBroken, resource, sizeField}; }
Piece CutOff(const Resource& resource, int32_t kept) { return {Piece::Kind::kCutOff, resource, kept}; }
Piece Trailing(int32_t size) { return {Piece::Kind::kTrailing, {}, size}; }
Piece MapHere() { return {Piece::Kind::kMap, {}, 0}; }

enum class Header { kMap, kNoMap, kVersion20 };

// The file's bytes, laid out without the code under test. The map lists every
// resource piece, the broken and cut-off ones too, wherever it stands.
std::string BuildGeneration2(const std::vector<Piece>& pieces, Header header) {
  const auto isBlock = [](const Piece& piece) {
    return piece.kind == Piece::Kind::kResource || piece.kind == Piece::Kind::kBroken ||
           piece.kind == Piece::Kind::kCutOff;
  };
  // Entries whose offsets are filled in once the layout is known; the map's
  // size does not depend on them.
  std::vector<IFF2Builder::MapType> types;
  std::vector<IFF2Builder::MapEntry*> order;
  int32_t freeTotal = 0;
  for (const Piece& piece : pieces) {
    if (piece.kind == Piece::Kind::kFree) freeTotal += piece.size;
    if (!isBlock(piece)) continue;
    const Resource& r = piece.resource;
    auto type = std::find_if(types.begin(), types.end(),
                             [&](const IFF2Builder::MapType& listed) { return listed.type == r.type; });
    if (type == types.end()) type = types.insert(types.end(), IFF2Builder::MapType{r.type, {}});
    type->entries.push_back({0, r.id, static_cast<uint16_t>(r.language << 8), r.name});
  }
  for (const Piece& piece : pieces) {
    if (!isBlock(piece)) continue;
    for (IFF2Builder::MapType& type : types) {
      if (type.type != piece.resource.type) continue;
      for (IFF2Builder::MapEntry& entry : type.entries) {
        if (entry.offset == 0 && entry.id == piece.resource.id &&
            std::find(order.begin(), order.end(), &entry) == order.end()) {
          order.push_back(&entry);
          break;
        }
      }
    }
  }
  const bool withMap = header == Header::kMap;
  const int32_t mapSize = 76 + static_cast<int32_t>(IFF2Builder::MapPayload(freeTotal, types).size());
  const bool mapPiece = std::any_of(pieces.begin(), pieces.end(), [](const Piece& p) { return p.kind == Piece::Kind::kMap; });
  int32_t at = 64;
  size_t next = 0;
  for (const Piece& piece : pieces) {
    if (piece.kind == Piece::Kind::kMap && withMap) at += mapSize;
    if (piece.kind == Piece::Kind::kFree) at += piece.size;
    if (!isBlock(piece)) continue;
    order[next++]->offset = at;
    at += 76 + static_cast<int32_t>(piece.resource.bytes.size());
  }

  IFF2Builder built('2', header == Header::kVersion20 ? '0' : '5', 0);
  const auto placeMap = [&] {
    built.SetMapOffset(
        static_cast<uint32_t>(built.Block("rsmp", 0, 0x0010, "", IFF2Builder::MapPayload(freeTotal, types))));
  };
  std::vector<std::pair<int32_t, int32_t>> lies;  // a header's offset, the size field it gets
  int32_t cut = -1;
  for (const Piece& piece : pieces) {
    const Resource& r = piece.resource;
    switch (piece.kind) {
      case Piece::Kind::kMap:
        if (withMap) placeMap();
        break;
      case Piece::Kind::kFree:
        built.Free(piece.size);
        break;
      case Piece::Kind::kTrailing:
        built.Raw(Pattern(77, static_cast<size_t>(piece.size)));
        break;
      default: {
        const int32_t offset = built.Block(r.type, r.id, static_cast<uint16_t>(r.language << 8), r.name, r.bytes);
        if (piece.kind == Piece::Kind::kBroken) lies.emplace_back(offset, piece.size);
        if (piece.kind == Piece::Kind::kCutOff) cut = offset + piece.size;
        break;
      }
    }
  }
  if (withMap && !mapPiece) placeMap();
  std::string bytes = built.Bytes();
  for (const auto& [offset, size] : lies) bytes.replace(static_cast<size_t>(offset) + 4, 4, IFF2Builder::BigEndian32(size));
  if (cut >= 0) bytes.resize(static_cast<size_t>(cut));
  return bytes;
}

std::string BuildGeneration1(const std::vector<Piece>& pieces, Header) {
  IFF1Builder built;
  IFF1Builder::Names names;
  for (const Piece& piece : pieces) {
    if (!piece.resource.name.empty()) names.emplace_back(static_cast<int32_t>(names.size() + 1), piece.resource.name);
  }
  built.NamesCache(names);
  int32_t key = 0;
  int32_t cut = -1;
  std::vector<std::pair<int32_t, int32_t>> lies;
  for (const Piece& piece : pieces) {
    const Resource& r = piece.resource;
    switch (piece.kind) {
      case Piece::Kind::kMap:
        break;
      case Piece::Kind::kFree:
        built.Free(piece.size);
        break;
      case Piece::Kind::kTrailing:
        built.Raw(Pattern(77, static_cast<size_t>(piece.size)));
        break;
      default: {
        const int32_t nameIndex = r.name.empty() ? -1 : ++key;
        const int32_t offset = built.Block(r.type, r.id, 0, nameIndex, r.bytes);
        if (piece.kind == Piece::Kind::kBroken) lies.emplace_back(offset, piece.size);
        if (piece.kind == Piece::Kind::kCutOff) cut = offset + piece.size;
        break;
      }
    }
  }
  std::string bytes = built.Bytes();
  for (const auto& [offset, size] : lies) bytes.replace(static_cast<size_t>(offset) + 4, 4, IFF1Builder::BigEndian32(size));
  if (cut >= 0) bytes.resize(static_cast<size_t>(cut));
  return bytes;
}

// One generation of the format and the class that reads and writes it.
struct Generation {
  int number;
  std::string (*build)(const std::vector<Piece>&, Header);
  std::unique_ptr<iResFile> (*make)();
};

const Generation kGeneration1{1, BuildGeneration1, [] { return std::unique_ptr<iResFile>(new IFFResFile()); }};
const Generation kGeneration2{2, BuildGeneration2, [] { return std::unique_ptr<iResFile>(new IFFResFile2()); }};

void SetBytes(MHandle handle, const std::string& bytes) {
  ASSERT_EQ(SetMHandleSize(handle, static_cast<int32_t>(bytes.size())), 0);
  if (bytes.empty()) return;
  std::memcpy(LockMHandle(handle), bytes.data(), bytes.size());
  UnlockMHandle(handle);
}

std::string BytesIn(MHandle handle) {
  const int32_t size = GetMHandleSize(handle);
  if (size <= 0) return "";
  std::string bytes(static_cast<const char*>(LockMHandle(handle)), static_cast<size_t>(size));
  UnlockMHandle(handle);
  return bytes;
}

// Hands a new handle to the file; disposes of it when the file did not take it.
MHandle AddNew(iResFile& file, const Resource& resource) {
  MHandle handle = NewMHandle(0);
  SetBytes(handle, resource.bytes);
  if (resource.language == 0) {
    file.AddResource(handle, TypeCode(resource.type), resource.id, Name(resource.name.c_str()), false);
  } else {
    file.AddLangResource(handle, TypeCode(resource.type), resource.id, Name(resource.name.c_str()),
                         resource.language, false);
  }
  if (file.Error() != 0 && file.GetResType(handle) == 0) {
    DisposeMHandle(handle);
    return nullptr;
  }
  return handle;
}

// What the object definitions go through when the organizer loads them.
void Convert(void*, int32_t) {}

// A save, as the steps after Open, and what it may leave behind.
struct Sequence {
  std::string name;
  const Generation* generation;
  std::vector<Piece> start;
  Header header;
  std::function<void(iResFile&)> save;
  // The resource the save changes, as it was (none for an addition) and as it
  // is meant to become (none for a removal).
  std::optional<Resource> before;
  std::optional<Resource> after;
  // The save must work when nothing fails (a damaged file may refuse it).
  bool mustWork = true;
  // So must a later save that needs new space (a damaged file may have none).
  bool nextMustWork = true;

  std::string Bytes() const { return generation->build(start, header); }
};

void PrintTo(const Sequence& sequence, std::ostream* out) { *out << sequence.name; }

const Resource kChair{"OBJD", 128, 0, "Dining chair", Pattern(1, 216)};
const Resource kChairStrings{"STR#", 128, 0, "Dining chair strings", Pattern(2, 140)};
const Resource kChairStringsFrench{"STR#", 128, 3, "Chaise", Pattern(3, 96)};
const Resource kStool{"OBJD", 129, 0, "", Pattern(4, 216)};
const Resource kTree{"BHAV", 4096, 0, "Init - chair", Pattern(5, 1200)};
const Resource kPicture{"BMP_", 1, 0, "catalogue picture", Pattern(6, 1999)};
const Resource kSemiglobals{"GLOB", 1, 0, "Semiglobals", Pattern(7, 9)};
const Resource kEmpty{"TTAs", 128, 0, "", ""};
const Resource kCatalogue{"CTSS", 2000, 2, "Catalogue text", Pattern(8, 450)};
const Resource kSprite{"SPR2", 1, 0, "Big sprite", Pattern(9, 200000)};
// What a later save adds to a file that a failed one left behind.
const Resource kNextSave{"NEXT", 1, 0, "next save", Pattern(99, 777)};

// Generation 1 has no languages: a resource in another language becomes one
// with the next id.
Resource ForGeneration(Resource resource, int generation) {
  if (generation == 1 && resource.language != 0) {
    resource.language = 0;
    ++resource.id;
  }
  return resource;
}

std::vector<Piece> Adapted(std::vector<Piece> pieces, int generation) {
  for (Piece& piece : pieces) piece.resource = ForGeneration(piece.resource, generation);
  return pieces;
}

// Nine resources of mixed types, names, languages and sizes (one of them
// empty), and free blocks of 300 and 600 bytes where small blocks may land.
std::vector<Piece> TypicalFile() {
  return {R(kChair),   R(kChairStrings), R(kChairStringsFrench), Free(300),    R(kStool),  R(kTree),
          Free(600),   R(kPicture),      R(kSemiglobals),        R(kEmpty),    R(kCatalogue)};
}

Resource WithBytes(Resource resource, std::string bytes) {
  resource.bytes = std::move(bytes);
  return resource;
}

// Loads the resource, gives it the new bytes and writes it back.
std::function<void(iResFile&)> Rewrite(const Resource& resource, const std::string& newBytes,
                                       SwizzleProc swizzle = nullptr) {
  return [resource, newBytes, swizzle](iResFile& file) {
    MHandle handle = file.GetLangResource(TypeCode(resource.type), resource.id, resource.language, swizzle);
    if (handle == nullptr) return;
    SetBytes(handle, newBytes);
    file.WriteResource(handle);
  };
}

// The organizer's save: the object definition is loaded through its
// conversion callback (which marks its block converted when it is written
// back), and its sort words at offsets 78 to 81 change.
std::string Sorted(const Resource& definition) {
  std::string sorted = definition.bytes;
  sorted.replace(78, 4, "\x04\x00\x20\x00", 4);
  return sorted;
}

Sequence OrganizerSave(std::string name, const Generation& generation, std::vector<Piece> start, Header header,
                       const Resource& definition = kChair) {
  const Resource adapted = ForGeneration(definition, generation.number);
  return {std::move(name), &generation, Adapted(std::move(start), generation.number), header,
          Rewrite(adapted, Sorted(adapted), Convert), adapted, WithBytes(adapted, Sorted(adapted))};
}

// Sequences that touch every write path on a healthy file.
std::vector<Sequence> WritePaths(const Generation& g, Header header) {
  const int n = g.number;
  const std::vector<Piece> typical = Adapted(TypicalFile(), n);
  std::vector<Sequence> sequences;
  const Resource strings = ForGeneration(kChairStrings, n);
  const std::string rewritten = Pattern(20, strings.bytes.size());
  sequences.push_back({"RewriteInPlace", &g, typical, header, Rewrite(strings, rewritten), strings,
                       WithBytes(strings, rewritten)});
  const std::string grown = Pattern(21, 520);
  sequences.push_back({"Grow", &g, typical, header, Rewrite(kStool, grown), kStool, WithBytes(kStool, grown)});
  const std::string shrunk = Pattern(22, 200);
  sequences.push_back({"Shrink", &g, typical, header, Rewrite(kPicture, shrunk), kPicture, WithBytes(kPicture, shrunk)});

  const Resource added{"TTAB", 200, 0, "Added table", Pattern(23, 333)};
  const auto add = [](const Resource& resource) {
    return [resource](iResFile& file) {
      MHandle handle = AddNew(file, resource);
      if (handle != nullptr) file.WriteResource(handle);
    };
  };
  sequences.push_back({"Add", &g, typical, header, add(added), std::nullopt, added});
  if (n == 2) {
    const Resource french{"TTAB", 200, 3, "Table", Pattern(25, 120)};
    sequences.push_back({"AddInAnotherLanguage", &g, typical, header, add(french), std::nullopt, french});
  }
  const Resource replacement{"OBJD", 128, 0, "Dining chair v2", Pattern(24, 230)};
  sequences.push_back({"ReplaceByAdding", &g, typical, header, add(replacement), kChair, replacement});
  sequences.push_back({"Remove", &g, typical, header,
                       [](iResFile& file) {
                         MHandle handle = file.GetResource(TypeCode(kTree.type), kTree.id, nullptr);
                         if (handle != nullptr) file.RemoveResource(handle);
                       },
                       kTree, std::nullopt});
  Resource renamed = kPicture;
  renamed.id = 7;
  renamed.name = "renamed picture";
  sequences.push_back({"SetResInfo", &g, typical, header,
                       [renamed](iResFile& file) {
                         MHandle handle = file.GetResource(TypeCode(kPicture.type), kPicture.id, nullptr);
                         if (handle != nullptr) file.SetResInfo(handle, renamed.id, Name(renamed.name.c_str()), 0);
                       },
                       kPicture, renamed});
  sequences.push_back(OrganizerSave("OrganizerSave", g, TypicalFile(), header));

  // Close defragments: a 200,000-byte block behind 12,000 free bytes moves
  // onto its own old place.
  std::vector<Piece> sprite = {R(kChair), Free(12000), R(kSprite), R(kStool), R(kTree)};
  sequences.push_back(OrganizerSave("OrganizerSaveMovingABlockOntoItself", g, sprite, header, kStool));
  return sequences;
}

// A map big enough to pass the threshold alone, first in the file: its
// release at the first change makes the close defragment, and everything
// behind it moves.
Sequence FreedMapAloneDefragments(const Generation& g) {
  std::vector<Piece> pieces = {R(kChair), MapHere()};
  for (int16_t i = 0; i < 500; ++i) {
    pieces.push_back(R({"STR#", static_cast<int16_t>(1000 + i), 0, "String set " + std::to_string(i), Pattern(i, 20)}));
  }
  return OrganizerSave("OrganizerSaveWhoseFreedMapDefragments", g, pieces, Header::kMap);
}

// Damaged files: the same-size save must work and keep the map usable; other
// saves may be refused, but none may lose anything.
std::vector<Sequence> DamagedFiles(const Generation& g) {
  std::vector<Sequence> sequences;
  const Resource lastStrings = ForGeneration(kCatalogue, g.number);
  const std::vector<std::pair<std::string, std::vector<Piece>>> layouts = {
      {"SizeZeroInTheMiddle", {R(kChair), R(kStool), Broken(kTree, 0), R(kPicture), R(kSemiglobals)}},
      {"Size75InTheMiddle", {R(kChair), Broken(kTree, 75), R(kStool), R(kPicture)}},
      {"TrailingBytes", {R(kChair), R(kStool), R(kTree), MapHere(), Trailing(100)}},
      {"FewTrailingBytes", {R(kChair), R(kStool), R(kTree), MapHere(), Trailing(40)}},
      {"CutOffLastBlock", {R(kChair), R(kStool), R(kTree), MapHere(), CutOff(lastStrings, 300)}},
  };
  for (const auto& [layout, pieces] : layouts) {
    if (g.number == 1 && layout == "Size75InTheMiddle") continue;  // 75 is a believable size there
    const Header header = g.number == 2 ? Header::kMap : Header::kNoMap;
    sequences.push_back(OrganizerSave("OrganizerSave" + layout, g, pieces, header));
    sequences.back().nextMustWork = false;
    Sequence grow{"Grow" + layout, &g, Adapted(pieces, g.number), header,
                  Rewrite(kStool, Pattern(31, 900)), kStool, WithBytes(kStool, Pattern(31, 900))};
    grow.mustWork = grow.nextMustWork = false;
    sequences.push_back(grow);
    const Resource added{"TTAB", 200, 0, "Added table", Pattern(23, 333)};
    Sequence add{"Add" + layout, &g, Adapted(pieces, g.number), header,
                 [added](iResFile& file) {
                   MHandle handle = AddNew(file, added);
                   if (handle != nullptr) file.WriteResource(handle);
                 },
                 std::nullopt, added};
    add.mustWork = add.nextMustWork = false;
    sequences.push_back(add);
  }
  return sequences;
}

std::vector<Sequence> AllSequences() {
  std::vector<Sequence> all;
  const auto take = [&all](std::vector<Sequence> sequences, const std::string& prefix, bool organizerOnly) {
    for (Sequence& sequence : sequences) {
      if (organizerOnly && sequence.name.find("OrganizerSave") == std::string::npos) continue;
      sequence.name = prefix + sequence.name;
      all.push_back(std::move(sequence));
    }
  };
  take(WritePaths(kGeneration2, Header::kMap), "Generation2", false);
  // The other headers only change how the first change starts.
  take(WritePaths(kGeneration2, Header::kNoMap), "Generation2NoMap", true);
  take(WritePaths(kGeneration2, Header::kVersion20), "Generation2Version20", true);
  take({FreedMapAloneDefragments(kGeneration2)}, "Generation2", false);
  take(WritePaths(kGeneration1, Header::kNoMap), "Generation1", false);
  take(DamagedFiles(kGeneration2), "Generation2", false);
  take(DamagedFiles(kGeneration1), "Generation1", false);
  return all;
}

// What a fresh object of the generation finds in the file.
struct Contents {
  bool opened = false;
  bool fromMap = false;
  std::vector<Resource> resources;
  std::vector<std::string> unreadable;
};

// What a fresh object of the generation finds in the file at `path`.
Contents ReadContents(const Generation& generation, const Path& path) {
  Contents contents;
  std::unique_ptr<iResFile> file = generation.make();
  if (file->Open(path) != 0) return contents;
  contents.opened = true;
  if (generation.number == 2) contents.fromMap = static_cast<IFFResFile2&>(*file).OpenedFromMap();
  for (int16_t t = 1; t <= file->CountTypes(); ++t) {
    const ResType type = file->GetIndType(t);
    for (int16_t index = 1; index <= file->CountResources(type); ++index) {
      MHandle handle = file->GetIndResource(type, index, nullptr);
      if (handle == nullptr) {
        contents.unreadable.push_back(TypeText(type) + " #" + std::to_string(index));
        continue;
      }
      Resource resource;
      resource.type = TypeText(type);
      file->GetResID(handle, &resource.id);
      resource.language = file->GetResLanguage(handle);
      Name name;
      file->GetResName(handle, &name);
      resource.name = name.Text();
      resource.bytes = BytesIn(handle);
      contents.resources.push_back(std::move(resource));
    }
  }
  file->Close();
  return contents;
}

bool SameResources(std::vector<Resource> a, std::vector<Resource> b) {
  const auto order = [](const Resource& x, const Resource& y) {
    return std::tie(x.type, x.id, x.language, x.name, x.bytes) < std::tie(y.type, y.id, y.language, y.name, y.bytes);
  };
  std::sort(a.begin(), a.end(), order);
  std::sort(b.begin(), b.end(), order);
  return a == b;
}

// The resources a reading gave before, held against what it gives now: each
// one still there as it was, but the changed one, which may be as it was or
// as it was meant to become; nothing else.
std::string Losses(const std::vector<Resource>& before, const Contents& now, const Sequence& sequence) {
  if (!now.opened) return "does not open; ";
  std::string problems;
  const std::optional<Resource>& key = sequence.before ? sequence.before : sequence.after;
  std::vector<Resource> expected;
  for (const Resource& resource : before) {
    if (!resource.SameKey(*key)) expected.push_back(resource);
  }
  bool keyWasReadable = !sequence.before;
  for (const Resource& resource : before) keyWasReadable = keyWasReadable || resource.SameKey(*key);
  int copies = 0;
  for (const Resource& found : now.resources) {
    if (found.SameKey(*key) || (sequence.after && found.SameKey(*sequence.after))) {
      ++copies;
      if ((!sequence.before || found != *sequence.before) && (!sequence.after || found != *sequence.after))
        problems += "the changed resource holds " + Describe(found) + "; ";
      continue;
    }
    const auto match = std::find(expected.begin(), expected.end(), found);
    if (match == expected.end()) {
      problems += "unexpected " + Describe(found) + "; ";
    } else {
      expected.erase(match);
    }
  }
  for (const Resource& lost : expected) problems += "lost " + Describe(lost) + "; ";
  if (copies == 0 && keyWasReadable && sequence.before && sequence.after) problems += "the changed resource is gone; ";
  return problems;
}

// The chain as an independent reader sees it, for failure messages.
std::string ChainOf(const std::string& bytes, int generation) {
  std::string chain;
  int64_t end = 64;
  if (generation == 2) {
    const IFF2Reader reader(bytes);
    chain = "header " + reader.Version() + " map@" + std::to_string(reader.MapOffset()) + ":";
    for (const IFF2Reader::Block& block : reader.Blocks()) {
      chain += " " + block.type + "@" + std::to_string(block.offset) + "+" + std::to_string(block.size);
      end = block.offset + int64_t{block.size};
    }
  } else {
    for (const IFF1Builder::Stored& block : IFF1Builder::Walk(bytes)) {
      chain += " " + block.type + "@" + std::to_string(block.offset) + "+" + std::to_string(block.size);
      end = block.offset + int64_t{block.size};
    }
  }
  return chain + " | chain ends at " + std::to_string(end) + " of " + std::to_string(bytes.size());
}

class IFFFaultMatrixTest : public IFF2Fixture, public ::testing::WithParamInterface<Sequence> {
 protected:
  void SetUp() override {
    IFF2Fixture::SetUp();
    fFaults.counting().SkipDeviceFlushes(true);
  }

  int Failures(const FaultMode& mode) { return fFaults.Failures(mode); }
  void Arm(const FaultMode& mode, int n) { fFaults.Arm(mode, n); }
  void Heal(const FaultMode& mode) { fFaults.Heal(mode); }

  // Runs the save with the mode armed at n (0: nothing fails); true when some
  // call failed. `worked`: every operation of the save answered 0.
  bool RunSave(const Sequence& sequence, const FaultMode& mode, int n, bool* worked = nullptr) {
    WriteFile(sequence.Bytes());
    const int failuresBefore = Failures(mode);
    {
      std::unique_ptr<iResFile> file = sequence.generation->make();
      if (file->Open(fPath) != 0) {
        ADD_FAILURE() << "the file did not open for the save";
        return false;
      }
      if (n > 0) Arm(mode, n);
      sequence.save(*file);
      const bool saved = file->Error() == 0;
      const int32_t closed = file->Close();
      if (worked != nullptr) *worked = saved && closed == 0;
    }
    if (n > 0) Heal(mode);
    return Failures(mode) != failuresBefore;
  }

  Contents ReadBack(const Generation& generation) { return ReadContents(generation, fPath); }

  // The file as the format's reader sees it: through the stored map when the
  // header names one it can use, and by walking. Reading leaves the file as
  // it was.
  struct Readings {
    Contents mapped;  // opened as it is (by walking too, when there is no usable map)
    Contents walked;
  };
  Readings Read(const Generation& generation) {
    Readings readings;
    const std::string bytes = ReadFile();
    readings.mapped = ReadBack(generation);
    if (generation.number == 2 && IFF2Reader(bytes).MapOffset() != 0) {
      std::string unmapped = bytes;
      unmapped.replace(60, 4, IFF2Builder::BigEndian32(0));
      WriteFile(unmapped);
      readings.walked = ReadBack(generation);
      WriteFile(bytes);
    } else {
      readings.walked = readings.mapped;
    }
    return readings;
  }

  // A later save that needs new space, on the file as the failed one left it.
  // Whether or not it works, it must keep everything the file held.
  void TryTheNextSave(const Sequence& sequence, const Readings& held, const std::string& where) {
    bool worked = false;
    {
      std::unique_ptr<iResFile> file = sequence.generation->make();
      if (file->Open(fPath) != 0) {
        ADD_FAILURE() << where << "the next save could not open the file";
        return;
      }
      MHandle handle = AddNew(*file, kNextSave);
      if (handle != nullptr) file->WriteResource(handle);
      worked = handle != nullptr && file->Error() == 0;
      worked = file->Close() == 0 && worked;
    }
    const Readings after = Read(*sequence.generation);
    for (const auto& [was, now, how] :
         {std::tuple(&held.mapped, &after.mapped, "as opened"), std::tuple(&held.walked, &after.walked, "walking")}) {
      std::vector<Resource> kept = now->resources;
      kept.erase(std::remove(kept.begin(), kept.end(), kNextSave), kept.end());
      std::string listed;
      for (const Resource& resource : kept) listed += Describe(resource) + "; ";
      std::string held;
      for (const Resource& resource : was->resources) held += Describe(resource) + "; ";
      EXPECT_TRUE(now->opened && SameResources(kept, was->resources))
          << where << "the next save lost or changed something (" << how << ")\n  now: " << listed
          << "\n  was: " << held;
    }
    if (sequence.nextMustWork) {
      EXPECT_TRUE(worked) << where << "the next save failed";
    }
  }

  void ExpectNoLoss(const Sequence& sequence, const Readings& before, const Readings& after, const std::string& where) {
    const std::string problems = Losses(before.mapped.resources, after.mapped, sequence) +
                                 Losses(before.walked.resources, after.walked, sequence);
    EXPECT_EQ(problems, "") << where << "\n  " << ChainOf(ReadFile(), sequence.generation->number);
    // A map in force lists what the blocks hold, unless a break keeps the
    // walk from seeing it all, and never less than it listed before.
    if (after.mapped.fromMap && before.walked.resources.size() == before.mapped.resources.size()) {
      EXPECT_TRUE(SameResources(after.mapped.resources, after.walked.resources)) << where << "map and walk disagree";
    }
  }

  FaultInjection fFaults{&fDrive.Env()};
};

// Without faults the save does what it is meant to, leaves a map that the
// next open uses (generation 2), and stores a free total that is true.
TEST_P(IFFFaultMatrixTest, ACleanSaveWorks) {
  const Sequence& sequence = GetParam();
  WriteFile(sequence.Bytes());
  const Readings before = Read(*sequence.generation);
  bool worked = false;
  RunSave(sequence, kFaultModes[0], 0, &worked);
  const Readings after = Read(*sequence.generation);
  ExpectNoLoss(sequence, before, after, "clean save: ");
  if (!sequence.mustWork) return;
  EXPECT_TRUE(worked);
  const std::vector<Resource>& found = after.mapped.resources;
  if (sequence.after) {
    EXPECT_EQ(std::count(found.begin(), found.end(), *sequence.after), 1) << ChainOf(ReadFile(), 2);
  } else {
    EXPECT_EQ(std::count_if(found.begin(), found.end(), [&](const Resource& r) { return r.SameKey(*sequence.before); }),
              0);
  }
  if (sequence.generation->number == 2) {
    EXPECT_TRUE(after.mapped.fromMap);
    const IFF2Reader reader(ReadFile());
    if (reader.Whole()) {
      EXPECT_EQ(reader.StoredInvalidTotal(), reader.FreeBytes()) << ChainOf(ReadFile(), 2);
    }
  }
}

TEST_P(IFFFaultMatrixTest, NoFailurePointLosesAResource) {
  const Sequence& sequence = GetParam();
  WriteFile(sequence.Bytes());
  const Readings before = Read(*sequence.generation);
  int points = 0;
  for (const FaultMode& mode : kFaultModes) {
    for (int n = 1;; ++n) {
      if (n == kMostFailurePoints) {
        ADD_FAILURE() << mode.name << ": the save never ran without a failure";
        break;
      }
      const int64_t pastEnd = fFaults.counting().Tally().readsPastEnd;
      if (!RunSave(sequence, mode, n)) break;
      ++points;
      const std::string where = std::string(mode.name) + " at " + std::to_string(n) + ": ";
      EXPECT_EQ(fFaults.counting().Tally().readsPastEnd, pastEnd) << where << "read past the end of the file";
      const Readings after = Read(*sequence.generation);
      ExpectNoLoss(sequence, before, after, where);
      // A copy that was not put in place is removed, unless the program
      // stopped or the removal itself failed; the next save writes over it.
      if (!mode.stopDead && mode.call != HostCall::kRemoveFile) {
        EXPECT_FALSE(fDrive.FileExists("x/t.iff.velt-save")) << where << "a copy was left behind";
      }
      TryTheNextSave(sequence, after, where);
    }
  }
  if (sequence.mustWork) {
    EXPECT_GT(points, 0);
  }
  std::printf("[ matrix   ] %s: %d failure points, %lld replacements made\n", sequence.name.c_str(), points,
              static_cast<long long>(fFaults.counting().Tally().replacements));
}

INSTANTIATE_TEST_SUITE_P(Saves, IFFFaultMatrixTest, ::testing::ValuesIn(AllSequences()),
                         [](const ::testing::TestParamInfo<Sequence>& info) { return info.param.name; });


// Faults the matrix once found, each on the file it left behind.
class IFFLeftBehindTest : public IFF2Fixture {
 protected:

  Contents ReadBack() { return ReadContents(kGeneration2, fPath); }

  FaultInjection fFaults{&fDrive.Env()};
};

// A program that stops after an append's header, before its payload, leaves
// a last block of free space that claims more bytes than the file has. The
// next saves go there.
TEST_F(IFFLeftBehindTest, AFileLeftByAStopMidAppendTakesTheNextSave) {
  WriteFile(BuildGeneration2({R(kChair), R(kStool)}, Header::kNoMap));
  const Resource added{"TTAB", 200, 0, "Added table", Pattern(23, 333)};
  {
    IFFResFile2 file;
    ASSERT_EQ(file.Open(fPath), 0);
    // Change 1 appends the new block's header, change 2 would be the block.
    fFaults.counting().StopChangesAt(2);
    file.WriteResource(AddNew(file, added));
    EXPECT_NE(file.Error(), 0);
    file.Close();
    fFaults.counting().StopChangesAt(0);
  }
  const std::string left = ReadFile();
  const IFF2Reader reader(left);
  ASSERT_EQ(reader.Blocks().size(), 2u);
  const size_t tail = static_cast<size_t>(reader.Blocks().back().offset + reader.Blocks().back().size);
  ASSERT_EQ(left.size(), tail + 76);
  EXPECT_EQ(left.substr(tail, 4), "XXXX");
  EXPECT_TRUE(SameResources(ReadBack().resources, {kChair, kStool}));

  {
    IFFResFile2 file;
    ASSERT_EQ(file.Open(fPath), 0);
    Rewrite(kChair, Sorted(kChair), Convert)(file);
    EXPECT_EQ(file.Error(), 0);
    EXPECT_EQ(file.Close(), 0);
  }
  {
    IFFResFile2 file;
    ASSERT_EQ(file.Open(fPath), 0);
    file.WriteResource(AddNew(file, kNextSave));
    EXPECT_EQ(file.Error(), 0);
    EXPECT_EQ(file.Close(), 0);
  }
  const Contents contents = ReadBack();
  EXPECT_TRUE(contents.fromMap);
  EXPECT_TRUE(SameResources(contents.resources, {WithBytes(kChair, Sorted(kChair)), kStool, kNextSave}));
}

// All the free space lies at the end, so the close only cuts the file; a cut
// that fails leaves one free block over what was to go, where the map then
// goes.
TEST_F(IFFLeftBehindTest, AFailedCutLeavesAFreeBlockToTheEnd) {
  WriteFile(BuildGeneration2({R(kChair), R(kStool), R(kTree), Free(6000), Free(6000)}, Header::kNoMap));
  {
    IFFResFile2 file;
    ASSERT_EQ(file.Open(fPath), 0);
    fFaults.faulty().plan().FailNth(HostCall::kSetEndOfFile, 1);
    Rewrite(kStool, Sorted(kStool), Convert)(file);
    EXPECT_EQ(file.Error(), 0);
    EXPECT_EQ(file.Close(), 0) << "a close that could not compact still stores the map";
    fFaults.faulty().plan().Heal(HostCall::kSetEndOfFile);
  }
  const std::string left = ReadFile();
  const IFF2Reader reader(left);
  EXPECT_TRUE(reader.Whole());
  const std::vector<IFF2Reader::Block> blocks = reader.Blocks();
  ASSERT_EQ(blocks.size(), 5u);
  EXPECT_EQ(blocks[3].type, "rsmp");
  EXPECT_TRUE(blocks[4].IsFree());
  EXPECT_EQ(blocks[3].size + blocks[4].size, 12000);
  EXPECT_EQ(reader.StoredInvalidTotal(), blocks[4].size);
  EXPECT_TRUE(SameResources(ReadBack().resources, {kChair, WithBytes(kStool, Sorted(kStool)), kTree}));
}

}  // namespace
