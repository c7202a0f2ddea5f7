// The organizer core's object-file work, measured against what the file
// format requires, in one process through a counting host environment:
//
// - Fill: the object list (ObjectFile::ListObjects) of a file of 500 object
//   definitions and 500 other resources, opened through its stored map. The
//   format requires the 64-byte file header, the map block (76-byte header
//   and payload), and for each definition its 76-byte block header and
//   216-byte payload.
// - Fill in a crowd: the same for a small file (three definitions) in a
//   folder of 5,000 object files, where the group also finds out that the
//   ".spf" and ".stx" companions and the ".dir" folder are missing. The
//   format requires the same reads for the small file; the look for the
//   companions is the group's.
// - Save: ObjectFile::SaveSorts on the large file (load the definition, change
//   its room and function sort words, write it back, close, which stores a
//   new map), on a fresh copy per iteration, copied outside the timed region.
//   The format requires reading the header, the map block and the
//   definition's block, writing the header (map offset 0), the definition's
//   block in place, the new map block and the final header; the freed old map
//   reaches the 10,240-byte threshold, so the close defragments, which for a
//   map at the end of the file is only a truncation.
//
// Each benchmark reports bytes read and written, host calls and flushes per
// iteration beside its time; the floors do exactly the required reads and
// writes with plain host file calls, and each measured benchmark also reports
// its ratio to its floor.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "app/core/ObjectFile.h"
#include "bench/app/ScratchPrefix.h"
#include "msrc/File/IFFResFile2.h"
#include "msrc/Objects/ObjDefinition.h"
#include "msrc/Util/FixedStringBuffer.h"
#include "platform/HostEnv.h"
#include "platform/PosixHostEnv.h"
#include "tests/platform/CountingHostEnv.h"

namespace {

namespace fs = std::filesystem;

constexpr int kLargeDefinitions = 500;
constexpr int kLargeOthers = 500;
constexpr int kCrowdFiles = 5000;
constexpr int kSmallDefinitions = 3;
constexpr int16_t kFirstId = 128;
constexpr int32_t kHeaderSize = 64;
constexpr int32_t kBlockHeaderSize = 76;

constexpr const char* kObjects = "C:\\Games\\The Velt\\GameData\\UserObjects\\";
const std::string kLargeEntry = std::string(kObjects) + "large\\large";
const std::string kCrowdEntry = std::string(kObjects) + "crowd\\target";
const std::string kSavedEntry = std::string(kObjects) + "saved\\saved";

using Path = FixedStringBuffer<260>;

uint32_t Big32(const std::string& bytes, size_t at) {
  uint32_t value = 0;
  for (size_t i = 0; i < 4; ++i) value = (value << 8) | static_cast<uint8_t>(bytes[at + i]);
  return value;
}

// Where the required reads of a file are: its map block and its definitions'
// blocks, found by walking the chain of the bytes once.
struct Layout {
  int32_t fMapOffset = 0;
  int32_t fMapSize = 0;
  std::vector<int32_t> fDefinitions;  // block offsets
  int64_t fFillBytes = 0;             // header, map block, definition blocks
};

Layout LayoutOf(const std::string& bytes) {
  Layout layout;
  layout.fMapOffset = static_cast<int32_t>(Big32(bytes, 60));
  layout.fFillBytes = kHeaderSize;
  for (size_t at = kHeaderSize; at + kBlockHeaderSize <= bytes.size();) {
    const auto size = static_cast<int32_t>(Big32(bytes, at + 4));
    if (size < kBlockHeaderSize) break;
    const std::string type = bytes.substr(at, 4);
    if (type == "OBJD") {
      layout.fDefinitions.push_back(static_cast<int32_t>(at));
      layout.fFillBytes += size;
    }
    if (static_cast<int32_t>(at) == layout.fMapOffset) {
      layout.fMapSize = size;
      layout.fFillBytes += size;
    }
    at += static_cast<size_t>(size);
  }
  return layout;
}

bool Add(IFFResFile2& file, ResType type, int16_t id, const std::string& name, const std::string& bytes) {
  MHandle handle = NewMHandle(static_cast<int32_t>(bytes.size()));
  if (handle == nullptr) return false;
  std::memcpy(LockMHandle(handle), bytes.data(), bytes.size());
  UnlockMHandle(handle);
  file.AddResource(handle, type, id, Path(name.c_str()), false);
  file.WriteResource(handle);
  return file.Error() == kResErrNone;
}

std::string Definition(int i) {
  std::string record(216, '\0');
  for (size_t b = 0; b < record.size(); ++b) record[b] = static_cast<char>((b * 7 + static_cast<size_t>(i)) & 0xFF);
  WriteDefinitionLong(record.data(), 216, kObjdVersionOffset, kObjdCurrentVersion);
  WriteDefinitionWord(record.data(), 216, kObjdGroupIdOffset, 0);
  WriteDefinitionWord(record.data(), 216, kObjdRoomSortOffset, 8);
  WriteDefinitionWord(record.data(), 216, kObjdFunctionSortOffset, 1);
  return record;
}

// An object file written by the library: `definitions` OBJD records with
// `others` resources of other types (100 to 2,000 bytes) between them.
bool WriteObjectFile(const std::string& windowsPath, int definitions, int others) {
  const ResType kTypes[] = {MakeResType("STR#"), MakeResType("SPR2"), MakeResType("BHAV"), MakeResType("TTAB"),
                            MakeResType("CTSS"), MakeResType("GLOB"), MakeResType("DGRP")};
  std::mt19937 random(20240611);
  std::uniform_int_distribution<int> size(100, 2000);
  IFFResFile2 file;
  const Path path(windowsPath.c_str());
  file.Delete(path);
  if (file.Create(path) != kResErrNone || file.Open(path) != kResErrNone) return false;
  bool ok = true;
  for (int i = 0; i < std::max(definitions, others); ++i) {
    const auto id = static_cast<int16_t>(kFirstId + i);
    if (i < definitions) ok = ok && Add(file, kObjdType, id, "Object " + std::to_string(i), Definition(i));
    if (i < others) {
      std::string payload(static_cast<size_t>(size(random)), '\0');
      for (char& byte : payload) byte = static_cast<char>(random());
      ok = ok && Add(file, kTypes[i % 7], id, i % 3 == 0 ? "Part " + std::to_string(i) : "", payload);
    }
  }
  return file.Close() == kResErrNone && ok;
}

// A scratch prefix with the three folders, installed as the current host
// environment behind a counting wrapper for the whole run.
class Scene {
 public:
  Scene() : fPrefix("velt-bench-objects-") {
    const fs::path& root = fPrefix.root();
    const fs::path objects = fPrefix.objects();
    for (const char* folder : {"large", "crowd", "saved"}) fs::create_directories(objects / folder);
    fSavedHost = objects / "saved" / "saved.iff";

    // The first save's backup goes to the scratch root, not the user's data.
    fHost = std::make_unique<platform::PosixHostEnv>(root.string(), (root / "velt-organizer").string());
    platform::HostEnv::Replace(fHost.get());
    fOk = WriteObjectFile(kLargeEntry + ".iff", kLargeDefinitions, kLargeOthers) &&
          WriteObjectFile(kCrowdEntry + ".iff", kSmallDefinitions, kSmallDefinitions);
    fLargeBytes = ScratchPrefix::ReadBytes(objects / "large" / "large.iff");
    fSmallBytes = ScratchPrefix::ReadBytes(objects / "crowd" / "target.iff");
    ScratchPrefix::WriteBytes(fSavedHost, fLargeBytes);
    for (int i = 0; i < kCrowdFiles; ++i) {
      ScratchPrefix::WriteBytes(objects / "crowd" / ("Object " + std::to_string(i) + ".iff"), fSmallBytes);
    }
    fLarge = LayoutOf(fLargeBytes);
    fSmall = LayoutOf(fSmallBytes);

    ScratchPrefix::LetFoldersSettle();
    fCounting = std::make_unique<CountingHostEnv>(fHost.get());
    platform::HostEnv::Replace(fCounting.get());
  }
  ~Scene() { platform::HostEnv::Replace(nullptr); }

  bool ok() const { return fOk && fLarge.fDefinitions.size() == kLargeDefinitions; }
  CountingHostEnv& counting() { return *fCounting; }
  const Layout& large() const { return fLarge; }
  const Layout& small() const { return fSmall; }
  // Puts the untouched large file back as the saved one; not through the
  // environment.
  void RestoreSaved() const { ScratchPrefix::WriteBytes(fSavedHost, fLargeBytes); }

 private:
  ScratchPrefix fPrefix;
  fs::path fSavedHost;
  std::unique_ptr<platform::PosixHostEnv> fHost;
  std::unique_ptr<CountingHostEnv> fCounting;
  std::string fLargeBytes;
  std::string fSmallBytes;
  Layout fLarge;
  Layout fSmall;
  bool fOk = false;
};

Scene& TheScene() {
  static Scene sScene;
  return sScene;
}

// Host traffic per iteration, as counters beside the time.
class TrafficCounter {
 public:
  explicit TrafficCounter(CountingHostEnv& env) : fEnv(env), fStart(env.Tally()) {}

  void Report(benchmark::State& state, int64_t iterations) const {
    const HostTally& now = fEnv.Tally();
    const auto per = [iterations](int64_t total) {
      return static_cast<double>(total) / static_cast<double>(iterations > 0 ? iterations : 1);
    };
    state.counters["bytes_read"] = per(now.bytesRead - fStart.bytesRead);
    state.counters["bytes_written"] = per(now.bytesWritten - fStart.bytesWritten);
    state.counters["host_calls"] = per(now.calls - fStart.calls);
    state.counters["flushes"] = per(now.flushes - fStart.flushes);
  }

 private:
  CountingHostEnv& fEnv;
  HostTally fStart;
};

// The floor of a fill: the required reads, one host read per block.
int64_t ReadRequired(const std::string& hostFile, const Layout& layout) {
  std::unique_ptr<platform::HostFile> file =
      platform::HostEnv::Current().OpenFile(hostFile, platform::FileOpenOptions{});
  if (file == nullptr) return 0;
  std::vector<char> buffer(static_cast<size_t>(std::max(layout.fMapSize, kBlockHeaderSize + 216)));
  int64_t total = 0;
  if (!file->Seek(0) || file->Read(buffer.data(), kHeaderSize) != kHeaderSize) return 0;
  total += kHeaderSize;
  if (!file->Seek(layout.fMapOffset) || file->Read(buffer.data(), layout.fMapSize) != layout.fMapSize) return 0;
  total += layout.fMapSize;
  for (int32_t offset : layout.fDefinitions) {
    if (!file->Seek(offset) || file->Read(buffer.data(), kBlockHeaderSize + 216) != kBlockHeaderSize + 216) return 0;
    total += kBlockHeaderSize + 216;
  }
  return total;
}

// The floor of a save: the required reads and writes on the saved file,
// one host call each, and one flush.
bool SaveRequired(const Layout& layout) {
  platform::FileOpenOptions options;
  options.access = platform::kAccessRead | platform::kAccessWrite;
  options.share = platform::kShareNone;
  std::unique_ptr<platform::HostFile> file =
      platform::HostEnv::Current().OpenFile(kSavedEntry + ".iff", options);
  if (file == nullptr) return false;
  std::vector<char> header(kHeaderSize);
  std::vector<char> map(static_cast<size_t>(layout.fMapSize));
  std::vector<char> block(kBlockHeaderSize + 216);
  const int32_t definition = layout.fDefinitions.front();
  bool ok = file->Seek(0) && file->Read(header.data(), kHeaderSize) == kHeaderSize &&
            file->Seek(layout.fMapOffset) && file->Read(map.data(), layout.fMapSize) == layout.fMapSize &&
            file->Seek(definition) && file->Read(block.data(), 292) == 292;
  block[kBlockHeaderSize + 78] ^= 1;
  ok = ok && file->Seek(0) && file->Write(header.data(), kHeaderSize) == kHeaderSize && file->Seek(definition) &&
       file->Write(block.data(), 292) == 292 && file->Seek(layout.fMapOffset) &&
       file->Write(map.data(), layout.fMapSize) == layout.fMapSize && file->SetEndOfFile() && file->Seek(0) &&
       file->Write(header.data(), kHeaderSize) == kHeaderSize && file->Flush();
  return ok;
}

double Microseconds(std::chrono::steady_clock::duration duration) {
  return std::chrono::duration<double, std::micro>(duration).count();
}

void ReportRatio(benchmark::State& state, std::chrono::steady_clock::duration measured,
                 std::chrono::steady_clock::duration floor, int64_t runs, int64_t requiredBytes) {
  const double measuredUs = Microseconds(measured) / static_cast<double>(runs);
  const double floorUs = Microseconds(floor) / static_cast<double>(runs);
  state.counters["us"] = measuredUs;
  state.counters["floor_us"] = floorUs;
  state.counters["ratio"] = floorUs > 0 ? measuredUs / floorUs : 0;
  state.counters["required_bytes"] = static_cast<double>(requiredBytes);
}

void Fill(benchmark::State& state, const std::string& entry, const Layout& layout, size_t expected) {
  Scene& scene = TheScene();
  if (!scene.ok()) {
    state.SkipWithError("the object files could not be written");
    return;
  }
  const Path path(entry.c_str());
  TrafficCounter traffic(scene.counting());
  std::vector<ListedObject> objects;
  int64_t runs = 0;
  std::chrono::steady_clock::duration fillTime{};
  for (auto _ : state) {
    const auto start = std::chrono::steady_clock::now();
    ObjectFile::ListObjects(path, &objects);
    fillTime += std::chrono::steady_clock::now() - start;
    ++runs;
  }
  if (objects.size() != expected) state.SkipWithError("the object list is not complete");
  traffic.Report(state, runs);

  std::chrono::steady_clock::duration floorTime{};
  for (int64_t i = 0; i < runs; ++i) {
    const auto start = std::chrono::steady_clock::now();
    benchmark::DoNotOptimize(ReadRequired(entry + ".iff", layout));
    floorTime += std::chrono::steady_clock::now() - start;
  }
  ReportRatio(state, fillTime, floorTime, runs, layout.fFillBytes);
}

void BM_FillLargeFile(benchmark::State& state) {
  Fill(state, kLargeEntry, TheScene().large(), kLargeDefinitions);
}
BENCHMARK(BM_FillLargeFile)->Unit(benchmark::kMicrosecond);

void BM_FillSmallFileInACrowd(benchmark::State& state) {
  Fill(state, kCrowdEntry, TheScene().small(), kSmallDefinitions);
}
BENCHMARK(BM_FillSmallFileInACrowd)->Unit(benchmark::kMicrosecond);

// The floors on their own, for their host traffic.
void BM_FillFloorLargeFile(benchmark::State& state) {
  Scene& scene = TheScene();
  TrafficCounter traffic(scene.counting());
  int64_t runs = 0;
  for (auto _ : state) {
    if (ReadRequired(kLargeEntry + ".iff", scene.large()) != scene.large().fFillBytes) state.SkipWithError("short");
    ++runs;
  }
  traffic.Report(state, runs);
}
BENCHMARK(BM_FillFloorLargeFile)->Unit(benchmark::kMicrosecond);

// Argument 1: flushes sync the device, as they do for a player; 0: they are
// answered without syncing, which leaves the code's own cost.
void BM_SaveLargeFile(benchmark::State& state) {
  Scene& scene = TheScene();
  if (!scene.ok()) {
    state.SkipWithError("the object files could not be written");
    return;
  }
  const bool synced = state.range(0) != 0;
  scene.counting().SkipDeviceFlushes(!synced);
  state.SetLabel(synced ? "flushes synced" : "flushes not synced");
  const Path entry(kSavedEntry.c_str());
  SortValues values;
  TrafficCounter traffic(scene.counting());
  int64_t runs = 0;
  std::chrono::steady_clock::duration saveTime{};
  for (auto _ : state) {
    state.PauseTiming();
    scene.RestoreSaved();
    state.ResumeTiming();
    const auto start = std::chrono::steady_clock::now();
    values = {0, 16, 0, 2};  // downtown, room, subsort, function
    if (!ObjectFile::SaveSorts(entry, kFirstId, values).Succeeded()) state.SkipWithError("the save failed");
    saveTime += std::chrono::steady_clock::now() - start;
    ++runs;
  }
  traffic.Report(state, runs);

  const Layout& layout = scene.large();
  std::chrono::steady_clock::duration floorTime{};
  for (int64_t i = 0; i < runs; ++i) {
    scene.RestoreSaved();
    const auto start = std::chrono::steady_clock::now();
    if (!SaveRequired(layout)) state.SkipWithError("the floor's save failed");
    floorTime += std::chrono::steady_clock::now() - start;
  }
  scene.counting().SkipDeviceFlushes(false);
  ReportRatio(state, saveTime, floorTime, runs, kHeaderSize + layout.fMapSize + 292);
  state.counters["required_written"] = kHeaderSize + 292 + layout.fMapSize + kHeaderSize;
}
BENCHMARK(BM_SaveLargeFile)->Arg(1)->Arg(0)->Unit(benchmark::kMicrosecond);

void BM_SaveFloorLargeFile(benchmark::State& state) {
  Scene& scene = TheScene();
  scene.counting().SkipDeviceFlushes(true);
  TrafficCounter traffic(scene.counting());
  int64_t runs = 0;
  for (auto _ : state) {
    state.PauseTiming();
    scene.RestoreSaved();
    state.ResumeTiming();
    if (!SaveRequired(scene.large())) state.SkipWithError("the floor's save failed");
    ++runs;
  }
  traffic.Report(state, runs);
  scene.counting().SkipDeviceFlushes(false);
}
BENCHMARK(BM_SaveFloorLargeFile)->Unit(benchmark::kMicrosecond);

}  // namespace
