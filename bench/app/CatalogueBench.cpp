// `velt-sort catalogue --csv` over a game whose object folder holds 5,000
// small object files (three definitions and three other resources each, the
// files of the object-list benchmark's crowd), reached through a Wine prefix
// as the organizer sees it, measured in one process against its floor: the
// scan floor (a recursive listing that examines every file, as in the file
// list benchmark) plus, for every file, the reads the format requires for
// its objects and their sorts (the 64-byte file header, the map block and
// each definition's block), each read with a plain host call.
//
// BM_Catalogue runs the whole command, CSV output included; BM_CatalogueCore
// only the core's part of it (the file list, then each file's objects with
// their sorts). Both report their time, the floor and its two parts, and the
// ratio to the floor.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "app/core/FileList.h"
#include "app/core/ObjectFile.h"
#include "bench/app/HostWalk.h"
#include "bench/app/ScratchPrefix.h"
#include "cli/RunVeltSort.h"
#include "msrc/Objects/ObjDefinition.h"
#include "msrc/Util/FixedStringBuffer.h"
#include "platform/HostEnv.h"
#include "platform/PosixHostEnv.h"
#include "tests/app/core/ObjectFileMaker.h"
#include "tests/msrc/File/IFF2Reader.h"

namespace {

namespace fs = std::filesystem;

constexpr int kFiles = 5000;
constexpr int kDefinitions = 3;
constexpr int kHeaderSize = 64;
constexpr const char* kObjectFolder = "C:\\Games\\The Velt\\GameData\\UserObjects\\";
constexpr const char* kRegistry =
    "WINE REGISTRY Version 2\n"
    ";; All keys relative to \\\\Machine\n"
    "#arch=win32\n"
    "\n"
    "[Software\\\\Korva\\\\The Velt] 1\n"
    "\"VELT_DATA\"=\"C:\\\\Games\\\\The Velt\"\n";

// One read the format requires: where and how many bytes.
struct Read {
  long offset;
  size_t size;
};

// The scratch prefix with the game, installed as the current host
// environment for the whole run.
class Scene {
 public:
  Scene() : fPrefix("velt-bench-catalogue-") {
    fObjects = fPrefix.objects();
    fs::create_directories(fObjects / "crowd");
    ScratchPrefix::WriteBytes(fPrefix.root() / "system.reg", kRegistry);
    fHost = std::make_unique<platform::PosixHostEnv>(fPrefix.root().string());
    platform::HostEnv::Replace(fHost.get());

    std::vector<ResourceData> resources;
    const ResType others[] = {MakeResType("STR#"), MakeResType("SPR2"), MakeResType("BHAV")};
    std::mt19937 random(20240611);
    for (int i = 0; i < kDefinitions; ++i) {
      const auto id = static_cast<int16_t>(128 + i);
      resources.push_back({kObjdType, id, "Object " + std::to_string(i), MakeDefinition(SortFields(8, 1, 2, 0))});
      std::string payload(static_cast<size_t>(std::uniform_int_distribution<int>(100, 2000)(random)), '\0');
      for (char& byte : payload) byte = static_cast<char>(random());
      resources.push_back({others[i], id, "", payload});
    }
    fOk = WriteObjectFile(std::string(kObjectFolder) + "crowd\\Object 0.iff", resources);
    const std::string bytes = ScratchPrefix::ReadBytes(fObjects / "crowd" / "Object 0.iff");
    for (int i = 1; i < kFiles; ++i) {
      ScratchPrefix::WriteBytes(fObjects / "crowd" / ("Object " + std::to_string(i) + ".iff"), bytes);
    }
    for (int i = 0; i < kFiles; ++i) fHostFiles.push_back(fObjects / "crowd" / ("Object " + std::to_string(i) + ".iff"));

    const IFF2Reader reader(bytes);
    fReads.push_back({0, kHeaderSize});
    for (const IFF2Reader::Block& block : reader.Blocks()) {
      if (block.type == "OBJD" || block.offset == static_cast<int32_t>(reader.MapOffset()))
        fReads.push_back({block.offset, static_cast<size_t>(block.size)});
    }
    fOk = fOk && fReads.size() == kDefinitions + 2;
    ScratchPrefix::LetFoldersSettle();
  }
  ~Scene() { platform::HostEnv::Replace(nullptr); }

  bool ok() const { return fOk; }
  const fs::path& objects() const { return fObjects; }

  // Every file's required reads, one unbuffered host read each; the bytes
  // read.
  size_t ReadRequired() const {
    std::vector<char> buffer;
    size_t total = 0;
    for (const fs::path& path : fHostFiles) {
      std::FILE* file = std::fopen(path.c_str(), "rb");
      if (file == nullptr) return 0;
      std::setvbuf(file, nullptr, _IONBF, 0);
      for (const Read& read : fReads) {
        buffer.resize(read.size);
        if (std::fseek(file, read.offset, SEEK_SET) != 0) break;
        total += std::fread(buffer.data(), 1, read.size, file);
      }
      std::fclose(file);
    }
    return total;
  }

 private:
  ScratchPrefix fPrefix;
  fs::path fObjects;
  std::unique_ptr<platform::PosixHostEnv> fHost;
  std::vector<fs::path> fHostFiles;
  std::vector<Read> fReads;
  bool fOk = false;
};

Scene& TheScene() {
  static Scene sScene;
  return sScene;
}

double Milliseconds(std::chrono::steady_clock::duration duration) {
  return std::chrono::duration<double, std::milli>(duration).count();
}

// Times `run` per iteration and the floor as many times, and reports both.
template <typename Run>
void MeasureAgainstTheFloor(benchmark::State& state, Run run) {
  Scene& scene = TheScene();
  if (!scene.ok()) {
    state.SkipWithError("the object files could not be written");
    return;
  }
  int64_t runs = 0;
  size_t rows = 0;
  std::chrono::steady_clock::duration measured{};
  for (auto _ : state) {
    const auto start = std::chrono::steady_clock::now();
    rows = run();
    measured += std::chrono::steady_clock::now() - start;
    ++runs;
  }
  if (rows != static_cast<size_t>(kFiles * kDefinitions)) state.SkipWithError("the catalogue is not complete");

  std::chrono::steady_clock::duration scanFloor{};
  std::chrono::steady_clock::duration readsFloor{};
  for (int64_t i = 0; i < runs; ++i) {
    auto start = std::chrono::steady_clock::now();
    benchmark::DoNotOptimize(WalkAndExamine(scene.objects()));
    scanFloor += std::chrono::steady_clock::now() - start;
    start = std::chrono::steady_clock::now();
    benchmark::DoNotOptimize(scene.ReadRequired());
    readsFloor += std::chrono::steady_clock::now() - start;
  }
  const double measuredMs = Milliseconds(measured) / static_cast<double>(runs);
  const double scanMs = Milliseconds(scanFloor) / static_cast<double>(runs);
  const double readsMs = Milliseconds(readsFloor) / static_cast<double>(runs);
  state.counters["rows"] = static_cast<double>(rows);
  state.counters["ms"] = measuredMs;
  state.counters["scan_floor_ms"] = scanMs;
  state.counters["reads_floor_ms"] = readsMs;
  state.counters["floor_ms"] = scanMs + readsMs;
  state.counters["ratio"] = scanMs + readsMs > 0 ? measuredMs / (scanMs + readsMs) : 0;
}

void BM_Catalogue(benchmark::State& state) {
  MeasureAgainstTheFloor(state, [] {
    const char* const argv[] = {"velt-sort", "catalogue", "--csv", nullptr};
    std::ostringstream out;
    std::ostringstream err;
    if (RunVeltSort(3, argv, out, err) != 0) return size_t{0};
    // Header and one line per row.
    const std::string csv = out.str();
    return static_cast<size_t>(std::count(csv.begin(), csv.end(), '\n')) - 1;
  });
}
BENCHMARK(BM_Catalogue)->Unit(benchmark::kMillisecond)->MinTime(2.0);

void BM_CatalogueCore(benchmark::State& state) {
  MeasureAgainstTheFloor(state, [] {
    FileList files;
    files.Fill(FixedStringBuffer<260>(kObjectFolder));
    std::vector<ObjectSorts> objects;
    size_t rows = 0;
    for (size_t file = 0; file < files.Count(); ++file) {
      ObjectFile::ListObjectsWithSorts(files.Entry(file), &objects);
      rows += objects.size();
    }
    return rows;
  });
}
BENCHMARK(BM_CatalogueCore)->Unit(benchmark::kMillisecond)->MinTime(2.0);

}  // namespace
