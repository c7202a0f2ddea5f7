// Filling the file list over a large object folder: 20,000 files in 1,000
// folders (a quarter of them ".iff", some read-only, 20 archives of 50
// members), reached through a Wine prefix as the organizer sees it. The floor
// is what any walk of that tree costs: a recursive listing that examines every
// file once, with no catalogue. Both timings and their ratio are reported.
#include <benchmark/benchmark.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "app/core/FileList.h"
#include "bench/app/HostWalk.h"
#include "bench/app/ScratchPrefix.h"
#include "msrc/Util/FixedStringBuffer.h"
#include "platform/HostEnv.h"
#include "platform/PosixHostEnv.h"
#include "tests/app/core/FarArchiveBytes.h"

namespace {

namespace fs = std::filesystem;

constexpr const char* kObjectFolder = "C:\\Games\\The Velt\\GameData\\UserObjects\\";
constexpr int kTopFolders = 10;
constexpr int kMiddleFolders = 9;   // in each top folder
constexpr int kBottomFolders = 10;  // in each middle folder: 10 + 90 + 900 folders
constexpr int kFilesPerFolder = 20;
constexpr int kArchives = 20;
constexpr int kMembersPerArchive = 50;

// The scratch prefix with the generated tree; removed when the program ends.
class GeneratedPrefix {
 public:
  GeneratedPrefix() : fPrefix("velt-bench-") {
    const fs::path objects = fPrefix.objects();
    std::vector<fs::path> folders;
    for (int t = 0; t < kTopFolders; ++t) {
      const fs::path top = objects / ("Top" + std::to_string(t));
      folders.push_back(top);
      for (int m = 0; m < kMiddleFolders; ++m) {
        const fs::path middle = top / ("Middle" + std::to_string(m));
        folders.push_back(middle);
        for (int b = 0; b < kBottomFolders; ++b) folders.push_back(middle / ("Bottom" + std::to_string(b)));
      }
    }
    int archives = 0;
    for (size_t f = 0; f < folders.size(); ++f) {
      fs::create_directories(folders[f]);
      for (int i = 0; i < kFilesPerFolder; ++i) {
        const std::string stem = "Object" + std::to_string(f) + "_" + std::to_string(i);
        // One archive in every 50th folder takes the place of a file.
        if (i == 0 && f % (folders.size() / kArchives) == 0 && archives < kArchives) {
          std::vector<std::pair<std::string, std::string>> members;
          for (int m = 0; m < kMembersPerArchive; ++m) {
            members.emplace_back("Member" + std::to_string(m) + (m % 2 ? ".iff" : ".spf"), std::string(64, 'm'));
          }
          const fs::path archive = folders[f] / ("Pack" + std::to_string(archives++) + ".far");
          ScratchPrefix::WriteBytes(archive, FarArchiveBytes(members));
          continue;
        }
        const bool iff = i % 4 == 0;
        const fs::path file = folders[f] / (stem + (iff ? ".iff" : (i % 4 == 1 ? ".spf" : ".txt")));
        ScratchPrefix::WriteBytes(file, std::string(128, 'x'));
        if (i == 8) {
          fs::permissions(file, fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                          fs::perm_options::remove);
        }
      }
    }
    ScratchPrefix::LetFoldersSettle();
  }

  const fs::path& root() const { return fPrefix.root(); }
  fs::path objects() const { return fPrefix.objects(); }

 private:
  ScratchPrefix fPrefix;
};

GeneratedPrefix& Prefix() {
  static GeneratedPrefix prefix;
  return prefix;
}

double Milliseconds(std::chrono::steady_clock::duration duration) {
  return std::chrono::duration<double, std::milli>(duration).count();
}

void BM_FileListFill(benchmark::State& state) {
  GeneratedPrefix& prefix = Prefix();
  platform::PosixHostEnv host(prefix.root().string());
  platform::HostEnv* previous = platform::HostEnv::Replace(&host);
  const FixedStringBuffer<260> folder(kObjectFolder);

  size_t entries = 0;
  int runs = 0;
  std::chrono::steady_clock::duration fillTime{};
  for (auto _ : state) {
    const auto start = std::chrono::steady_clock::now();
    FileList list;
    list.Fill(folder);
    entries = list.Count();
    benchmark::DoNotOptimize(entries);
    fillTime += std::chrono::steady_clock::now() - start;
    ++runs;
  }
  platform::HostEnv::Replace(previous);

  std::chrono::steady_clock::duration floorTime{};
  size_t files = 0;
  for (int i = 0; i < runs; ++i) {
    const auto start = std::chrono::steady_clock::now();
    files = WalkAndExamine(prefix.objects());
    benchmark::DoNotOptimize(files);
    floorTime += std::chrono::steady_clock::now() - start;
  }
  const double fillMs = Milliseconds(fillTime) / runs;
  const double floorMs = Milliseconds(floorTime) / runs;
  state.counters["entries"] = static_cast<double>(entries);
  state.counters["files"] = static_cast<double>(files);
  state.counters["fill_ms"] = fillMs;
  state.counters["floor_ms"] = floorMs;
  state.counters["ratio"] = floorMs > 0 ? fillMs / floorMs : 0;
}
BENCHMARK(BM_FileListFill)->Unit(benchmark::kMillisecond)->MinTime(2.0);

void BM_HostWalkFloor(benchmark::State& state) {
  const fs::path& objects = Prefix().objects();
  size_t files = 0;
  for (auto _ : state) {
    files = WalkAndExamine(objects);
    benchmark::DoNotOptimize(files);
  }
  state.counters["files"] = static_cast<double>(files);
}
BENCHMARK(BM_HostWalkFloor)->Unit(benchmark::kMillisecond)->MinTime(2.0);

}  // namespace
