// Opening, reading and saving a large generation-2 IFF file: 1,000 resources
// of several types, 100 to 2,000 bytes each, some named, some in a second
// language, with a stored map; and the same file with no map (header offset
// 0), which is read by walking every block header.
//
// Each benchmark reports, per iteration, the bytes read and written and the
// calls made through the host environment next to its time. The floor for an
// open through the map is reading exactly what it must read with a plain
// host file: the 64-byte file header, the map's 76-byte block header and the
// map's payload.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdint>
#include <cstring>
#include <memory>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "msrc/File/IFFResFile2.h"
#include "msrc/Util/FixedStringBuffer.h"
#include "platform/HostEnv.h"
#include "platform/PosixHostEnv.h"
#include "tests/platform/CountingHostEnv.h"
#include "tests/msrc/File/IFF2Builder.h"
#include "tests/platform/ScratchFolder.h"

namespace {

constexpr int kResources = 1000;
constexpr int16_t kSavedId = 1000;  // the OBJD resource a save changes
constexpr int32_t kObjectSize = 216;
constexpr const char* kMapped = "C:\\bench\\mapped.iff";
constexpr const char* kUnmapped = "C:\\bench\\unmapped.iff";
constexpr const char* kSaved = "C:\\bench\\saved.iff";
constexpr const char* kMoving = "C:\\bench\\moving.iff";
constexpr const char* kSmall = "C:\\bench\\small.iff";
// Free space in front of every block of the moving file: its close moves
// them all.
constexpr int32_t kLeadingFree = 12000;
// Few enough resources that the freed map stays below the defragmentation
// threshold.
constexpr int kSmallResources = 200;

using Path = FixedStringBuffer<260>;

// The file's bytes: object definitions of 216 bytes and other resources of
// 100 to 2,000 bytes, types mixed, every third one named, a tenth of the
// strings in language 1, and a map naming them all at the end.
// With `leadingFree`, a free block of that size comes first.
std::string GeneratedFile(int resources = kResources, int32_t leadingFree = 0) {
  const char* const kTypes[] = {"STR#", "BHAV", "TTAB", "BMP_", "CTSS", "GLOB", "TPRP"};
  std::mt19937 random(20240611);
  std::uniform_int_distribution<int> size(100, 2000);
  IFF2Builder built;
  if (leadingFree > 0) built.Free(leadingFree);
  std::vector<IFF2Builder::MapType> types;
  for (int i = 0; i < resources; ++i) {
    const bool object = i % 5 == 0;
    const std::string type = object ? "OBJD" : kTypes[i % 7];
    const int16_t id = static_cast<int16_t>(kSavedId + i);
    const uint16_t flags = type == "STR#" && i % 10 == 1 ? 0x0100 : 0;
    const std::string name = i % 3 == 0 ? "Resource " + std::to_string(i) + " of the catalogue" : "";
    std::string payload(static_cast<size_t>(object ? kObjectSize : size(random)), '\0');
    for (char& byte : payload) byte = static_cast<char>(random());
    const int32_t offset = built.Block(type, id, flags, name, payload);
    IFF2Builder::MapType* listed = nullptr;
    for (IFF2Builder::MapType& known : types) {
      if (known.type == type) listed = &known;
    }
    if (listed == nullptr) listed = &types.emplace_back(IFF2Builder::MapType{type, {}});
    listed->entries.push_back({offset, id, flags, name});
  }
  built.SetMapOffset(
      static_cast<uint32_t>(built.Block("rsmp", 0, 0x0010, "", IFF2Builder::MapPayload(leadingFree, types))));
  return built.Bytes();
}

// A scratch prefix with drive c: holding both files, installed as the current
// host environment behind a counting wrapper for the whole run.
class Scene {
 public:
  Scene()
      : fMappedBytes(GeneratedFile()),
        fMovingBytes(GeneratedFile(kResources, kLeadingFree)),
        fSmallBytes(GeneratedFile(kSmallResources)) {
    fScratch.Link("dosdevices/c:", "../drive_c");
    fScratch.MakeFolder("drive_c/bench");
    std::string unmapped = fMappedBytes;
    unmapped.replace(60, 4, IFF2Builder::BigEndian32(0));
    fScratch.WriteFile("drive_c/bench/mapped.iff", fMappedBytes);
    fScratch.WriteFile("drive_c/bench/unmapped.iff", unmapped);
    fScratch.WriteFile("drive_c/bench/saved.iff", fMappedBytes);
    fScratch.WriteFile("drive_c/bench/moving.iff", fMovingBytes);
    fScratch.WriteFile("drive_c/bench/small.iff", fSmallBytes);
    // A folder that changed moments ago is relisted on every name lookup
    // until it has been quiet for a few seconds; measure the steady state.
    std::this_thread::sleep_for(std::chrono::milliseconds(3500));
    fHost = std::make_unique<platform::PosixHostEnv>(fScratch.Path());
    fCounting = std::make_unique<CountingHostEnv>(fHost.get());
    platform::HostEnv::Replace(fCounting.get());
  }
  ~Scene() { platform::HostEnv::Replace(nullptr); }

  CountingHostEnv& counting() { return *fCounting; }
  const std::string& mappedBytes() const { return fMappedBytes; }
  // Puts the untouched file back under kSaved; not through the environment.
  void RestoreSaved() const { fScratch.WriteFile("drive_c/bench/saved.iff", fMappedBytes); }
  void RestoreMoving() const { fScratch.WriteFile("drive_c/bench/moving.iff", fMovingBytes); }
  void RestoreSmall() const { fScratch.WriteFile("drive_c/bench/small.iff", fSmallBytes); }

 private:
  ScratchFolder fScratch;
  std::string fMappedBytes;
  std::string fMovingBytes;
  std::string fSmallBytes;
  std::unique_ptr<platform::PosixHostEnv> fHost;
  std::unique_ptr<CountingHostEnv> fCounting;
};

Scene& TheScene() {
  static Scene sScene;
  return sScene;
}

// Every benchmark of the file class runs twice: with argument 1 flushes sync
// the device as they do for a player, with 0 they are answered without
// syncing, which separates the class's own cost from the disk's. (Closing a
// file that took no write since it was opened does not flush it.)
class FlushChoice {
 public:
  FlushChoice(CountingHostEnv& env, benchmark::State& state) : fEnv(env) {
    const bool synced = state.range(0) != 0;
    fEnv.SkipDeviceFlushes(!synced);
    state.SetLabel(synced ? "flushes synced" : "flushes not synced");
  }
  ~FlushChoice() { fEnv.SkipDeviceFlushes(false); }
  FlushChoice(const FlushChoice&) = delete;
  FlushChoice& operator=(const FlushChoice&) = delete;

 private:
  CountingHostEnv& fEnv;
};

// Host traffic per iteration, as counters beside the time.
class TrafficCounter {
 public:
  explicit TrafficCounter(CountingHostEnv& env) : fEnv(env), fStart(env.Tally()) {}

  void Report(benchmark::State& state) const {
    const HostTally& now = fEnv.Tally();
    const auto perIteration = [](int64_t total) {
      return benchmark::Counter(static_cast<double>(total), benchmark::Counter::kAvgIterations);
    };
    state.counters["bytes_read"] = perIteration(now.bytesRead - fStart.bytesRead);
    state.counters["bytes_written"] = perIteration(now.bytesWritten - fStart.bytesWritten);
    state.counters["host_calls"] = perIteration(now.calls - fStart.calls);
    state.counters["flushes"] = perIteration(now.flushes - fStart.flushes);
  }

 private:
  CountingHostEnv& fEnv;
  HostTally fStart;
};

// The floor: exactly the bytes an open through the map needs, read with a
// plain host file. Returns the bytes read, 0 on a failure.
int64_t ReadHeaderAndMap() {
  platform::FileOpenOptions options;
  std::unique_ptr<platform::HostFile> file = platform::HostEnv::Current().OpenFile(kMapped, options);
  if (file == nullptr) return 0;
  uint8_t header[64];
  if (!file->Seek(0) || file->Read(header, 64) != 64) return 0;
  const int64_t mapOffset = (int64_t{header[60]} << 24) | (header[61] << 16) | (header[62] << 8) | header[63];
  uint8_t block[76];
  if (!file->Seek(mapOffset) || file->Read(block, 76) != 76) return 0;
  const int64_t size = (int64_t{block[4]} << 24) | (block[5] << 16) | (block[6] << 8) | block[7];
  std::vector<uint8_t> payload(static_cast<size_t>(size - 76));
  if (file->Read(payload.data(), size - 76) != size - 76) return 0;
  return 64 + size;
}

double Microseconds(std::chrono::steady_clock::duration duration) {
  return std::chrono::duration<double, std::micro>(duration).count();
}

void BM_HeaderAndMapFloor(benchmark::State& state) {
  TrafficCounter traffic(TheScene().counting());
  for (auto _ : state) {
    if (ReadHeaderAndMap() == 0) state.SkipWithError("the map could not be read");
  }
  traffic.Report(state);
}
BENCHMARK(BM_HeaderAndMapFloor)->Unit(benchmark::kMicrosecond);

// Open and Close through the stored map, timed against the floor run as
// many times in the same process.
void BM_OpenCloseThroughMap(benchmark::State& state) {
  Scene& scene = TheScene();
  const Path path(kMapped);
  const FlushChoice flushes(scene.counting(), state);
  TrafficCounter traffic(scene.counting());
  int64_t runs = 0;
  std::chrono::steady_clock::duration openTime{};
  for (auto _ : state) {
    const auto start = std::chrono::steady_clock::now();
    IFFResFile2 file;
    if (file.Open(path) != 0 || !file.OpenedFromMap()) state.SkipWithError("not opened through the map");
    file.Close();
    openTime += std::chrono::steady_clock::now() - start;
    ++runs;
  }
  traffic.Report(state);

  std::chrono::steady_clock::duration floorTime{};
  for (int64_t i = 0; i < runs; ++i) {
    const auto start = std::chrono::steady_clock::now();
    benchmark::DoNotOptimize(ReadHeaderAndMap());
    floorTime += std::chrono::steady_clock::now() - start;
  }
  const double openUs = Microseconds(openTime) / static_cast<double>(runs);
  const double floorUs = Microseconds(floorTime) / static_cast<double>(runs);
  state.counters["open_us"] = openUs;
  state.counters["floor_us"] = floorUs;
  state.counters["ratio"] = floorUs > 0 ? openUs / floorUs : 0;
}
BENCHMARK(BM_OpenCloseThroughMap)->Arg(1)->Arg(0)->Unit(benchmark::kMicrosecond);

void BM_OpenCloseByWalking(benchmark::State& state) {
  const Path path(kUnmapped);
  const FlushChoice flushes(TheScene().counting(), state);
  TrafficCounter traffic(TheScene().counting());
  for (auto _ : state) {
    IFFResFile2 file;
    if (file.Open(path) != 0 || file.OpenedFromMap()) state.SkipWithError("not opened by walking");
    file.Close();
  }
  traffic.Report(state);
}
BENCHMARK(BM_OpenCloseByWalking)->Arg(1)->Arg(0)->Unit(benchmark::kMicrosecond);

// Open through the map, load every resource of every type, Close.
void BM_OpenLoadEverythingClose(benchmark::State& state) {
  const Path path(kMapped);
  const FlushChoice flushes(TheScene().counting(), state);
  TrafficCounter traffic(TheScene().counting());
  int64_t loaded = 0;
  for (auto _ : state) {
    IFFResFile2 file;
    if (file.Open(path) != 0) state.SkipWithError("the file did not open");
    loaded = 0;
    for (int16_t t = 1; t <= file.CountTypes(); ++t) {
      const ResType type = file.GetIndType(t);
      for (int16_t index = 1; index <= file.CountResources(type); ++index) {
        loaded += file.GetIndResource(type, index, nullptr) != nullptr ? 1 : 0;
      }
    }
    file.Close();
  }
  if (loaded != kResources) state.SkipWithError("not every resource loaded");
  traffic.Report(state);
}
BENCHMARK(BM_OpenLoadEverythingClose)->Arg(1)->Arg(0)->Unit(benchmark::kMicrosecond);

// What the organizer passes to convert an object definition it loads; the
// block then gets the converted mark when the definition is written back.
void Convert(void*, int32_t) {}

// The organizer's first save of a definition: open, load it through the
// conversion callback, change its four sort words, write it back in place
// (its header now carries the converted mark) and Close, which stores a new
// map.
bool SaveOneDefinition(const Path& path, benchmark::State& state) {
  IFFResFile2 file;
  if (file.Open(path) != 0) state.SkipWithError("the file did not open");
  MHandle handle = file.GetResource(MakeResType("OBJD"), kSavedId, Convert);
  if (handle == nullptr || GetMHandleSize(handle) != kObjectSize) {
    state.SkipWithError("no object definition to save");
    return false;
  }
  std::memcpy(static_cast<char*>(LockMHandle(handle)) + 78, "\x04\x00\x20\x00", 4);
  UnlockMHandle(handle);
  file.WriteResource(handle);
  if (file.Error() != 0 || file.Close() != 0) {
    state.SkipWithError("the save failed");
    return false;
  }
  return true;
}

// Each iteration saves a fresh copy of its file, put back untimed.
template <typename Restore>
void RunSaves(benchmark::State& state, const char* file, Restore restore) {
  Scene& scene = TheScene();
  const Path path(file);
  const FlushChoice flushes(scene.counting(), state);
  TrafficCounter traffic(scene.counting());
  for (auto _ : state) {
    state.PauseTiming();
    restore(scene);
    state.ResumeTiming();
    if (!SaveOneDefinition(path, state)) break;
  }
  traffic.Report(state);
}

// The 1,000-resource file: the freed old map alone passes the threshold, so
// the close defragments; the old map is the last block, so nothing moves.
void BM_OneSave(benchmark::State& state) {
  RunSaves(state, kSaved, [](const Scene& scene) { scene.RestoreSaved(); });
}
BENCHMARK(BM_OneSave)->Arg(1)->Arg(0)->Unit(benchmark::kMicrosecond);

// The same file behind 12,000 free bytes: the close defragments and moves
// every block.
void BM_OneSaveThatMovesEveryBlock(benchmark::State& state) {
  RunSaves(state, kMoving, [](const Scene& scene) { scene.RestoreMoving(); });
}
BENCHMARK(BM_OneSaveThatMovesEveryBlock)->Arg(1)->Arg(0)->Unit(benchmark::kMicrosecond);

// 200 resources: the close stores a new map without defragmenting.
void BM_OneSaveWithoutDefragmenting(benchmark::State& state) {
  RunSaves(state, kSmall, [](const Scene& scene) { scene.RestoreSmall(); });
}
BENCHMARK(BM_OneSaveWithoutDefragmenting)->Arg(1)->Arg(0)->Unit(benchmark::kMicrosecond);

}  // namespace
