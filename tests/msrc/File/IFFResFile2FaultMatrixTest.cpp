// Every failure point of every kind of save. The n-th write, flush or
// truncation fails once, or keeps failing (a full disk), or the program stops
// dead at the n-th change of any kind; n runs from 1 until a save makes no
// call fail. Afterwards, with the faults healed, the file must open and keep
// every resource the save did not touch exactly as it was, while the changed
// one is either as it was or as it was meant to become (or, for an addition or
// removal, absent), whether the file is read through its stored map or by
// walking its blocks, and a later save on it must not lose anything either.
//
// A defragmenting Close moves blocks in place. A block larger than the copy
// buffer that overlaps its own new place is written over its old header
// before its new one is whole, and a failure in between breaks the chain;
// the file that has such a block is measured and its count printed rather
// than asserted. Without one, no failure point may lose data.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <functional>
#include <optional>
#include <ostream>
#include <string>
#include <tuple>
#include <vector>

#include "msrc/File/IFFResFile2.h"
#include "platform/HostEnv.h"
#include "tests/msrc/File/CountingHostEnv.h"
#include "tests/msrc/File/IFF2Builder.h"
#include "tests/msrc/File/IFF2Fixture.h"
#include "tests/msrc/File/IFF2Reader.h"
#include "tests/platform/FaultyHostEnv.h"

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

// A piece of a starting file: a resource, or free space of `freeSize` bytes.
struct Piece {
  Resource resource;
  int32_t freeSize = 0;
};

Piece Free(int32_t size) { return Piece{{}, size}; }

enum class Header { kMap, kNoMap, kVersion20 };

// Lays the pieces out in order; with kMap a resource map that lists them all
// follows as the last block and the header names it.
std::string BuildFile(const std::vector<Piece>& pieces, Header header) {
  IFF2Builder built('2', header == Header::kVersion20 ? '0' : '5', 0);
  std::vector<IFF2Builder::MapType> types;
  int32_t freeTotal = 0;
  for (const Piece& piece : pieces) {
    if (piece.freeSize > 0) {
      built.Free(piece.freeSize);
      freeTotal += piece.freeSize;
      continue;
    }
    const Resource& resource = piece.resource;
    const uint16_t flags = static_cast<uint16_t>(resource.language << 8);
    const int32_t offset = built.Block(resource.type, resource.id, flags, resource.name, resource.bytes);
    auto type = std::find_if(types.begin(), types.end(),
                             [&](const IFF2Builder::MapType& listed) { return listed.type == resource.type; });
    if (type == types.end()) type = types.insert(types.end(), IFF2Builder::MapType{resource.type, {}});
    type->entries.push_back({offset, resource.id, flags, resource.name});
  }
  if (header == Header::kMap) {
    built.SetMapOffset(
        static_cast<uint32_t>(built.Block("rsmp", 0, 0x0010, "", IFF2Builder::MapPayload(freeTotal, types))));
  }
  return built.Bytes();
}

std::vector<Resource> ResourcesOf(const std::vector<Piece>& pieces) {
  std::vector<Resource> resources;
  for (const Piece& piece : pieces) {
    if (piece.freeSize == 0) resources.push_back(piece.resource);
  }
  return resources;
}

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
MHandle AddNew(IFFResFile2& file, const Resource& resource) {
  MHandle handle = NewMHandle(0);
  SetBytes(handle, resource.bytes);
  file.AddLangResource(handle, TypeCode(resource.type), resource.id, Name(resource.name.c_str()), resource.language,
                       false);
  if (file.Error() != 0 && file.GetResType(handle) == 0) {
    DisposeMHandle(handle);
    return nullptr;
  }
  return handle;
}

// A save, as the steps after Open, and what it may leave behind.
struct Sequence {
  std::string name;
  std::vector<Piece> start;
  Header header = Header::kMap;
  std::function<void(IFFResFile2&)> save;
  // The resource the save changes, as it was (none for an addition) and as it
  // is meant to become (none for a removal).
  std::optional<Resource> before;
  std::optional<Resource> after;

  std::vector<Resource> Untouched() const {
    std::vector<Resource> untouched;
    for (const Resource& resource : ResourcesOf(start)) {
      if (!before || !resource.SameKey(*before)) untouched.push_back(resource);
    }
    return untouched;
  }
};

// Test names and failure messages show a sequence by its name.
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
const Resource kSound{"WAV ", 10, 0, "Creak", Pattern(9, 60000)};
// What a later save adds to a file that a failed one left behind: it needs new
// space at the end of the file.
const Resource kNextSave{"NEXT", 1, 0, "next save", Pattern(99, 777)};

// Nine resources of mixed types, names, languages and sizes (one of them
// empty), and free blocks of 300 and 600 bytes where small blocks may land.
std::vector<Piece> TypicalFile() {
  return {{kChair},  {kChairStrings}, {kChairStringsFrench}, Free(300), {kStool},    {kTree},
          Free(600), {kPicture},      {kSemiglobals},        {kEmpty},  {kCatalogue}};
}

// Free space well above the defragmentation threshold in four places, and a
// block longer than the copy buffer that overlaps its own new place.
std::vector<Piece> FragmentedFile() {
  return {{kChair}, Free(4000), {kChairStrings}, {kChairStringsFrench}, Free(300), {kSound},    {kStool}, Free(6000),
          {kTree},  Free(600),  {kPicture},      {kSemiglobals},        {kEmpty},  {kCatalogue}};
}

// Only blocks that move in one piece, and one longer than the copy buffer
// that moves clear of its old place, behind a gap of several free blocks.
std::vector<Piece> FragmentedFileOfMovableBlocks() {
  const Resource music{"WAV ", 11, 0, "Theme", Pattern(10, 52000)};
  return {{kChair},    Free(4000), {kChairStrings}, {kChairStringsFrench}, Free(300), {kStool},
          Free(60000), Free(600),  {music},         {kTree},               Free(600), {kPicture},
          {kSemiglobals}, {kEmpty}, {kCatalogue}};
}

// Loads the resource, gives it the new bytes and writes it back.
std::function<void(IFFResFile2&)> Rewrite(const Resource& resource, const std::string& newBytes) {
  return [resource, newBytes](IFFResFile2& file) {
    MHandle handle = file.GetLangResource(TypeCode(resource.type), resource.id, resource.language, nullptr);
    ASSERT_NE(handle, nullptr) << Describe(resource);
    SetBytes(handle, newBytes);
    file.WriteResource(handle);
  };
}

Resource WithBytes(Resource resource, std::string bytes) {
  resource.bytes = std::move(bytes);
  return resource;
}

// The organizer's save: the four sort words of the object definition, at
// offsets 78 to 81 of its 216 bytes, change and the record goes back.
Sequence OrganizerSave(std::string name, Header header) {
  std::string sorted = kChair.bytes;
  sorted.replace(78, 4, "\x04\x00\x20\x00", 4);
  Sequence sequence{std::move(name), TypicalFile(), header, Rewrite(kChair, sorted), kChair, WithBytes(kChair, sorted)};
  return sequence;
}

std::vector<Sequence> StrictSequences() {
  std::vector<Sequence> sequences;
  const std::string rewritten = Pattern(20, kChairStrings.bytes.size());
  sequences.push_back({"RewriteInPlace", TypicalFile(), Header::kMap, Rewrite(kChairStrings, rewritten), kChairStrings,
                       WithBytes(kChairStrings, rewritten)});
  const std::string grown = Pattern(21, 520);
  sequences.push_back({"Grow", TypicalFile(), Header::kMap, Rewrite(kStool, grown), kStool, WithBytes(kStool, grown)});
  const std::string shrunk = Pattern(22, 200);
  sequences.push_back(
      {"Shrink", TypicalFile(), Header::kMap, Rewrite(kPicture, shrunk), kPicture, WithBytes(kPicture, shrunk)});

  const Resource added{"TTAB", 200, 0, "Added table", Pattern(23, 333)};
  sequences.push_back({"Add", TypicalFile(), Header::kMap,
                       [added](IFFResFile2& file) {
                         MHandle handle = AddNew(file, added);
                         if (handle != nullptr) file.WriteResource(handle);
                       },
                       std::nullopt, added});

  const Resource replacement{"OBJD", 128, 0, "Dining chair v2", Pattern(24, 230)};
  sequences.push_back({"ReplaceByAdding", TypicalFile(), Header::kMap,
                       [replacement](IFFResFile2& file) {
                         MHandle handle = AddNew(file, replacement);
                         if (handle != nullptr) file.WriteResource(handle);
                       },
                       kChair, replacement});

  sequences.push_back({"Remove", TypicalFile(), Header::kMap,
                       [](IFFResFile2& file) {
                         MHandle handle = file.GetResource(TypeCode(kTree.type), kTree.id, nullptr);
                         ASSERT_NE(handle, nullptr);
                         file.RemoveResource(handle);
                       },
                       kTree, std::nullopt});

  sequences.push_back(OrganizerSave("OrganizerSave", Header::kMap));
  sequences.push_back(OrganizerSave("OrganizerSaveAfterACrash", Header::kNoMap));
  sequences.push_back(OrganizerSave("OrganizerSaveOfAVersion20File", Header::kVersion20));
  return sequences;
}

// How a run makes host calls fail.
struct FaultMode {
  const char* name;
  HostCall call;
  bool sticky;
  // The n-th change of any kind (write, truncation, flush) and every later
  // one fail: the program stopped there.
  bool stopDead;
};

constexpr FaultMode kModes[] = {
    {"write once", HostCall::kWrite, false, false},
    {"write sticky", HostCall::kWrite, true, false},
    {"flush once", HostCall::kFlush, false, false},
    {"flush sticky", HostCall::kFlush, true, false},
    {"truncate once", HostCall::kSetEndOfFile, false, false},
    {"truncate sticky", HostCall::kSetEndOfFile, true, false},
    {"stop dead", HostCall::kWrite, true, true},
};

// Far more than any save here makes; reaching it means a save that never ends.
constexpr int kMostFailurePoints = 400;

// What a fresh IFFResFile2 finds in the file.
struct Contents {
  bool opened = false;
  bool fromMap = false;
  std::vector<Resource> resources;
  std::vector<std::string> unreadable;
};

// What a run left behind, judged against its sequence.
struct Verdict {
  bool opened = false;
  // Every untouched resource exactly once, nothing that was not there.
  bool untouchedIntact = false;
  // The changed resource as it was, as it was meant to become, or legally
  // absent.
  bool changedValid = false;
  // More than one copy of the changed resource (each valid).
  bool duplicate = false;
  // The changed resource in its new state only.
  bool saved = false;
  // A stored map that was used lists what the blocks hold.
  bool mapTrue = true;
  std::string problems;

  bool Intact() const { return opened && untouchedIntact && changedValid && mapTrue; }
};

Verdict Judge(const Contents& contents, const Sequence& sequence) {
  Verdict verdict;
  verdict.opened = contents.opened;
  if (!contents.opened) {
    verdict.problems = "does not open";
    return verdict;
  }
  for (const std::string& unreadable : contents.unreadable) verdict.problems += "unreadable " + unreadable + "; ";
  verdict.untouchedIntact = contents.unreadable.empty();

  const std::optional<Resource>& key = sequence.before ? sequence.before : sequence.after;
  std::vector<Resource> untouched = sequence.Untouched();
  std::vector<Resource> copies;
  for (const Resource& found : contents.resources) {
    if (found.SameKey(*key)) {
      copies.push_back(found);
      continue;
    }
    const auto match = std::find(untouched.begin(), untouched.end(), found);
    if (match == untouched.end()) {
      verdict.untouchedIntact = false;
      verdict.problems += "unexpected " + Describe(found) + "; ";
    } else {
      untouched.erase(match);
    }
  }
  for (const Resource& lost : untouched) {
    verdict.untouchedIntact = false;
    verdict.problems += "lost " + Describe(lost) + "; ";
  }

  verdict.changedValid = !copies.empty() || !sequence.before || !sequence.after;
  if (copies.empty() && !verdict.changedValid) verdict.problems += "changed resource gone; ";
  for (const Resource& copy : copies) {
    if (copy != sequence.before && copy != sequence.after) {
      verdict.changedValid = false;
      verdict.problems += "changed resource holds " + Describe(copy) + "; ";
    }
  }
  verdict.duplicate = copies.size() > 1;
  verdict.saved = sequence.after ? copies.size() == 1 && copies.front() == *sequence.after : copies.empty();
  return verdict;
}

bool SameResources(std::vector<Resource> a, std::vector<Resource> b) {
  const auto order = [](const Resource& x, const Resource& y) {
    return std::tie(x.type, x.id, x.language, x.name, x.bytes) < std::tie(y.type, y.id, y.language, y.name, y.bytes);
  };
  std::sort(a.begin(), a.end(), order);
  std::sort(b.begin(), b.end(), order);
  return a == b;
}

// The chain as an independent reader sees it, for failure messages.
std::string ChainOf(const std::string& bytes) {
  const IFF2Reader reader(bytes);
  std::string chain = "header " + reader.Version() + " map@" + std::to_string(reader.MapOffset()) + ":";
  int32_t end = 64;
  for (const IFF2Reader::Block& block : reader.Blocks()) {
    chain += " " + block.type + "@" + std::to_string(block.offset) + "+" + std::to_string(block.size);
    end = block.offset + block.size;
  }
  return chain + " | chain ends at " + std::to_string(end) + " of " + std::to_string(bytes.size());
}

class IFFResFile2FaultMatrixTest : public IFF2Fixture {
 protected:
  void SetUp() override {
    IFF2Fixture::SetUp();
    fCounting.SkipDeviceFlushes(true);
    fPrevious = platform::HostEnv::Replace(&fFaulty);
  }
  void TearDown() override {
    platform::HostEnv::Replace(fPrevious);
    IFF2Fixture::TearDown();
  }

  int Failures(const FaultMode& mode) {
    return mode.stopDead ? static_cast<int>(fCounting.Tally().refusedChanges) : fFaulty.plan().Failures(mode.call);
  }

  void Arm(const FaultMode& mode, int n) {
    if (mode.stopDead) {
      fCounting.StopChangesAt(n);
    } else {
      fFaulty.plan().FailNth(mode.call, n, mode.sticky);
    }
  }

  void Heal(const FaultMode& mode) {
    if (mode.stopDead) {
      fCounting.StopChangesAt(0);
    } else {
      fFaulty.plan().Heal(mode.call);
    }
  }

  // Runs the save with the mode armed at n; true when some call failed.
  bool RunSave(const Sequence& sequence, const FaultMode& mode, int n) {
    WriteFile(BuildFile(sequence.start, sequence.header));
    const int failuresBefore = Failures(mode);
    Arm(mode, n);
    {
      IFFResFile2 file;
      if (file.Open(fPath) == 0) {
        sequence.save(file);
        file.Close();
      } else {
        ADD_FAILURE() << "the file did not open for the save";
      }
    }
    Heal(mode);
    return Failures(mode) != failuresBefore;
  }

  Contents ReadBack() {
    Contents contents;
    IFFResFile2 file;
    if (file.Open(fPath) != 0) return contents;
    contents.opened = true;
    contents.fromMap = file.OpenedFromMap();
    for (int16_t t = 1; t <= file.CountTypes(); ++t) {
      const ResType type = file.GetIndType(t);
      for (int16_t index = 1; index <= file.CountResources(type); ++index) {
        MHandle handle = file.GetIndResource(type, index, nullptr);
        if (handle == nullptr) {
          contents.unreadable.push_back(TypeText(type) + " #" + std::to_string(index));
          continue;
        }
        Resource resource;
        resource.type = TypeText(type);
        file.GetResID(handle, &resource.id);
        resource.language = file.GetResLanguage(handle);
        Name name;
        file.GetResName(handle, &name);
        resource.name = name.Text();
        resource.bytes = BytesIn(handle);
        contents.resources.push_back(std::move(resource));
      }
    }
    file.Close();
    return contents;
  }

  // Judges the file as it was left and, when its header names a map, again by
  // walking its blocks; the verdict holds only what both readings show.
  // `walked` is what the walk found.
  Verdict Inspect(const Sequence& sequence, bool* mapUsed, Contents* walked, std::string* chain) {
    const std::string left = ReadFile();
    *chain = ChainOf(left);
    const Contents first = ReadBack();
    Verdict verdict = Judge(first, sequence);
    *mapUsed = first.fromMap;
    *walked = first;
    if (IFF2Reader(left).MapOffset() != 0) {
      std::string unmapped = left;
      unmapped.replace(60, 4, IFF2Builder::BigEndian32(0));
      WriteFile(unmapped);
      *walked = ReadBack();
      const Verdict walk = Judge(*walked, sequence);
      if (!walk.Intact()) verdict.problems += "walking: " + walk.problems;
      verdict.mapTrue = !first.opened || !walked->opened || SameResources(first.resources, walked->resources);
      if (!verdict.mapTrue) verdict.problems += "the map and the walk disagree; ";
      verdict.opened = verdict.opened && walk.opened;
      verdict.untouchedIntact = verdict.untouchedIntact && walk.untouchedIntact;
      verdict.changedValid = verdict.changedValid && walk.changedValid;
      verdict.duplicate = verdict.duplicate || walk.duplicate;
    }
    return verdict;
  }

  // A later save that needs new space, on the file as the failed one left
  // it. Whether or not it works, it must keep everything the file held;
  // answers whether it worked.
  bool TryTheNextSave(const Contents& held, const std::string& where) {
    const Resource& extra = kNextSave;
    bool worked = false;
    {
      IFFResFile2 file;
      if (file.Open(fPath) != 0) {
        ADD_FAILURE() << where << "the next save could not open the file";
        return false;
      }
      MHandle handle = AddNew(file, extra);
      if (handle != nullptr) file.WriteResource(handle);
      worked = handle != nullptr && file.Error() == 0;
      worked = file.Close() == 0 && worked;
    }
    const Contents after = ReadBack();
    std::vector<Resource> expected = held.resources;
    expected.push_back(extra);
    EXPECT_TRUE(after.opened && (SameResources(after.resources, expected) ||
                                 (!worked && SameResources(after.resources, held.resources))))
        << where << "the next save lost or changed something";
    return worked && after.fromMap;
  }

  // What one run at one failure point came to.
  struct Point {
    bool failed = false;
    Verdict verdict;
    bool mapUsed = false;
    bool nextSaveWorked = false;
  };

  // Runs the save with the n-th call failing as the mode says, inspects what
  // it left and tries the next save on it. Reading past the end of the file
  // is never allowed.
  Point RunPoint(const Sequence& sequence, const FaultMode& mode, int n) {
    Point point;
    const int64_t pastEnd = fCounting.Tally().readsPastEnd;
    point.failed = RunSave(sequence, mode, n);
    Contents walked;
    std::string chain;
    point.verdict = Inspect(sequence, &point.mapUsed, &walked, &chain);
    const std::string where = std::string(mode.name) + " at " + std::to_string(n) + ": ";
    fWhere = where + point.verdict.problems + "\n  " + chain;
    EXPECT_TRUE(point.verdict.opened) << fWhere;
    if (point.verdict.opened) point.nextSaveWorked = TryTheNextSave(walked, fWhere + "\n  ");
    EXPECT_EQ(fCounting.Tally().readsPastEnd, pastEnd) << where << "read past the end of the file";
    return point;
  }

  // The save without faults, which must do what it is meant to.
  void ExpectACleanSave(const Sequence& sequence) {
    ASSERT_FALSE(RunSave(sequence, kModes[0], 0));
    bool mapUsed = false;
    Contents walked;
    std::string chain;
    const Verdict clean = Inspect(sequence, &mapUsed, &walked, &chain);
    EXPECT_TRUE(clean.Intact() && clean.saved && mapUsed) << clean.problems << chain;
  }

  // Every failure point of every mode; the checks each point must pass are
  // `check`'s, the counts go into the summary line.
  template <typename Check>
  std::string RunMatrix(const Sequence& sequence, Check check) {
    int points = 0;
    int lost = 0;
    int newState = 0;
    int oldState = 0;
    int twoCopies = 0;
    int withMap = 0;
    int refused = 0;
    std::string lostByMode;
    std::string refusedByMode;
    for (const FaultMode& mode : kModes) {
      int modePoints = 0;
      int modeLost = 0;
      int modeRefused = 0;
      for (int n = 1;; ++n) {
        if (n == kMostFailurePoints) {
          ADD_FAILURE() << mode.name << ": the save never ran without a failure";
          break;
        }
        const Point point = RunPoint(sequence, mode, n);
        if (!point.failed) {
          // Nothing failed, so the save must have finished.
          EXPECT_TRUE(point.verdict.Intact() && point.verdict.saved && point.mapUsed) << fWhere;
          break;
        }
        check(mode, point);
        ++modePoints;
        modeLost += point.verdict.Intact() ? 0 : 1;
        modeRefused += point.nextSaveWorked ? 0 : 1;
        newState += point.verdict.Intact() && point.verdict.saved ? 1 : 0;
        oldState += point.verdict.Intact() && !point.verdict.saved ? 1 : 0;
        twoCopies += point.verdict.duplicate ? 1 : 0;
        withMap += point.mapUsed ? 1 : 0;
      }
      points += modePoints;
      lost += modeLost;
      refused += modeRefused;
      const std::string separator = lostByMode.empty() ? "" : ", ";
      lostByMode += separator + mode.name + " " + std::to_string(modeLost) + "/" + std::to_string(modePoints);
      if (modeRefused > 0)
        refusedByMode +=
            (refusedByMode.empty() ? "" : ", ") + std::string(mode.name) + " " + std::to_string(modeRefused);
    }
    return std::to_string(lost) + " of " + std::to_string(points) + " failure points lose data (" + lostByMode +
           "); intact: new state " + std::to_string(newState) + ", old state " + std::to_string(oldState) +
           ", two copies of the changed resource " + std::to_string(twoCopies) + ", usable map " +
           std::to_string(withMap) + "; the next save fails after " + std::to_string(refused) +
           (refusedByMode.empty() ? "" : " (" + refusedByMode + ")");
  }

  // Calls that the plan fails never reach the counting environment.
  CountingHostEnv fCounting{&fDrive.Env()};
  FaultyHostEnv fFaulty{&fCounting};
  platform::HostEnv* fPrevious = nullptr;
  // The last point's place and what the file held, for failure messages.
  std::string fWhere;
};

class IFFResFile2SaveMatrixTest : public IFFResFile2FaultMatrixTest, public ::testing::WithParamInterface<Sequence> {};

// Sequences 1 to 5 and the organizer's save: at every failure point the data
// survives.
TEST_P(IFFResFile2SaveMatrixTest, NoFailurePointLosesData) {
  const Sequence& sequence = GetParam();
  ExpectACleanSave(sequence);
  const std::string summary = RunMatrix(
      sequence, [this](const FaultMode&, const Point& point) { EXPECT_TRUE(point.verdict.Intact()) << fWhere; });
  std::printf("[ matrix   ] %s: %s\n", sequence.name.c_str(), summary.c_str());
}

// The fault of AFileLeftByAStopMidAppendTakesTheNextSave, at every failure
// point: a file that a failed save left behind must take the next save, which
// here appends a new resource.
TEST_P(IFFResFile2SaveMatrixTest, EveryFailurePointLeavesAFileThatTakesTheNextSave) {
  const Sequence& sequence = GetParam();
  RunMatrix(sequence, [this](const FaultMode&, const Point& point) { EXPECT_TRUE(point.nextSaveWorked) << fWhere; });
}

INSTANTIATE_TEST_SUITE_P(Saves, IFFResFile2SaveMatrixTest, ::testing::ValuesIn(StrictSequences()),
                         [](const ::testing::TestParamInfo<Sequence>& info) { return info.param.name; });

// A Close that defragments: the free space and the old map are squeezed out
// by moving every block after them down in place. A failure while the large
// block that overlaps its new place is being copied leaves a chain that no
// longer joins up, which moving in place cannot avoid; what must hold
// regardless is that the file opens, nothing reads outside it and nothing
// crashes. How many failure points lose data is printed.
TEST_F(IFFResFile2FaultMatrixTest, ADefragmentingCloseIsMeasured) {
  const std::string rewritten = Pattern(30, kStool.bytes.size());
  const Sequence sequence{
      "Defragment", FragmentedFile(), Header::kMap, Rewrite(kStool, rewritten), kStool, WithBytes(kStool, rewritten)};
  ExpectACleanSave(sequence);
  // It did defragment: no free space is left and the map is the last block.
  const IFF2Reader reader(ReadFile());
  EXPECT_EQ(reader.FreeBytes(), 0);
  ASSERT_FALSE(reader.Blocks().empty());
  EXPECT_EQ(reader.Blocks().back().type, "rsmp");

  const std::string summary = RunMatrix(sequence, [](const FaultMode&, const Point&) {});
  std::printf("[ matrix   ] defragmenting Close: %s\n", summary.c_str());
}

// Every block moves in one write with the free block behind it, or (the one
// larger than the copy buffer) into free space with its header written last:
// a walk finds the old chain or the new one at every failure point, and the
// file takes the next save.
TEST_F(IFFResFile2FaultMatrixTest, ADefragmentingCloseOfBlocksThatMoveWholeLosesNothing) {
  const std::string rewritten = Pattern(31, kStool.bytes.size());
  const Sequence sequence{"DefragmentMovable", FragmentedFileOfMovableBlocks(), Header::kMap,
                          Rewrite(kStool, rewritten), kStool, WithBytes(kStool, rewritten)};
  ExpectACleanSave(sequence);
  // Byte for byte the blocks that stay, in their order, then the new map.
  const std::string start = BuildFile(sequence.start, sequence.header);
  std::string kept;
  for (const IFF2Reader::Block& block : IFF2Reader(start).Blocks()) {
    if (block.IsFree() || block.type == "rsmp") continue;
    std::string bytes = start.substr(static_cast<size_t>(block.offset), static_cast<size_t>(block.size));
    if (block.type == kStool.type && block.id == kStool.id) bytes.replace(76, std::string::npos, rewritten);
    kept += bytes;
  }
  const std::string left = ReadFile();
  const IFF2Reader reader(left);
  EXPECT_EQ(reader.FreeBytes(), 0);
  ASSERT_FALSE(reader.Blocks().empty());
  EXPECT_EQ(reader.Blocks().back().type, "rsmp");
  EXPECT_EQ(static_cast<size_t>(reader.Blocks().back().offset), 64 + kept.size());
  EXPECT_TRUE(left.compare(64, kept.size(), kept) == 0);

  const std::string summary = RunMatrix(sequence, [this](const FaultMode&, const Point& point) {
    EXPECT_TRUE(point.verdict.Intact()) << fWhere;
    EXPECT_TRUE(point.nextSaveWorked) << fWhere;
  });
  std::printf("[ matrix   ] defragmenting Close of blocks that move whole: %s\n", summary.c_str());
}

// Fault found by the matrix. A program that stops after Allocate has
// appended the header of a new block at the end of the file, before the
// block's payload reaches the disk, leaves a last block (free space) that
// claims more bytes than the file has. Everything reads back, but Allocate
// does not append behind a last block that runs past the end of the file
// (kIFFErrDamaged, or kResErrShortRead when it tries to split that block),
// and Defragment leaves such a file alone. From then on every save that needs
// new space fails, and so does the Close of a changed file whose new map does
// not fit in a free block. The tail is free space that the class itself
// wrote: appending at its start would lose nothing.
TEST_F(IFFResFile2FaultMatrixTest, AFileLeftByAStopMidAppendTakesTheNextSave) {
  WriteFile(BuildFile({{kChair}, {kStool}}, Header::kNoMap));
  const Resource added{"TTAB", 200, 0, "Added table", Pattern(23, 333)};
  {
    IFFResFile2 file;
    ASSERT_EQ(file.Open(fPath), 0);
    // Change 1 appends the new block's header, change 2 would be its payload.
    fCounting.StopChangesAt(2);
    file.WriteResource(AddNew(file, added));
    EXPECT_NE(file.Error(), 0);
    file.Close();
    fCounting.StopChangesAt(0);
  }
  const std::string left = ReadFile();
  const IFF2Reader reader(left);
  ASSERT_EQ(reader.Blocks().size(), 2u);
  const size_t tail = static_cast<size_t>(reader.Blocks().back().offset + reader.Blocks().back().size);
  ASSERT_EQ(left.size(), tail + 76);
  EXPECT_EQ(left.substr(tail, 4), "XXXX");
  EXPECT_TRUE(SameResources(ReadBack().resources, {kChair, kStool}));

  // The organizer's save: written in place, but the new map needs space.
  std::string sorted = kChair.bytes;
  sorted.replace(78, 4, "\x04\x00\x20\x00", 4);
  {
    IFFResFile2 file;
    ASSERT_EQ(file.Open(fPath), 0);
    Rewrite(kChair, sorted)(file);
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
  EXPECT_TRUE(SameResources(contents.resources, {WithBytes(kChair, sorted), kStool, kNextSave}));
}

// Fault found by the matrix. When the truncation at the end of Defragment
// fails, every block has already moved down and the bytes between the last
// one and the old end are left over from before: the chain ends in a header
// that cannot be believed. Nothing is lost, but Allocate refuses to append
// behind a broken chain and Defragment leaves a broken chain alone, so from
// then on every save that needs new space fails, and so does the Close of
// any changed file whose map does not fit in a free block; no map is ever
// written again. One free header over the left-over bytes before the
// truncation would leave a whole chain whether or not the truncation works.
TEST_F(IFFResFile2FaultMatrixTest, AFileLeftByAFailedTruncationTakesTheNextSave) {
  WriteFile(BuildFile(FragmentedFile(), Header::kMap));
  const std::string rewritten = Pattern(30, kStool.bytes.size());
  {
    IFFResFile2 file;
    ASSERT_EQ(file.Open(fPath), 0);
    fFaulty.plan().FailNth(HostCall::kSetEndOfFile, 1);
    Rewrite(kStool, rewritten)(file);
    EXPECT_EQ(file.Error(), 0);
    EXPECT_NE(file.Close(), 0);
    fFaulty.plan().Heal(HostCall::kSetEndOfFile);
  }
  std::vector<Resource> expected = ResourcesOf(FragmentedFile());
  std::replace(expected.begin(), expected.end(), kStool, WithBytes(kStool, rewritten));
  EXPECT_TRUE(SameResources(ReadBack().resources, expected));
  // Everything behind the last block that stays is one free block to the end.
  const std::string left = ReadFile();
  const std::vector<IFF2Reader::Block> blocks = IFF2Reader(left).Blocks();
  ASSERT_GE(blocks.size(), 2u);
  EXPECT_TRUE(blocks.back().IsFree());
  EXPECT_EQ(blocks[blocks.size() - 2].type, kCatalogue.type);
  EXPECT_EQ(static_cast<size_t>(blocks.back().offset + blocks.back().size), left.size());

  {
    IFFResFile2 file;
    ASSERT_EQ(file.Open(fPath), 0);
    file.WriteResource(AddNew(file, kNextSave));
    EXPECT_EQ(file.Error(), 0);
    EXPECT_EQ(file.Close(), 0);
  }
  const Contents contents = ReadBack();
  EXPECT_TRUE(contents.fromMap);
  expected.push_back(kNextSave);
  EXPECT_TRUE(SameResources(contents.resources, expected));
}

}  // namespace
