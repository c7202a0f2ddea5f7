// Opening files of a large folder by the lowered paths the catalogue hands
// out, against opening them by their exact spelling, and listing the folder
// with and without asking each entry for its read-only attribute.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <random>
#include <string>
#include <thread>

#include "platform/PosixHostEnv.h"

namespace {

constexpr int kFiles = 5000;
constexpr const char* kWords[] = {"Chair", "SOFA", "lamp", "TaBle", "Bed", "shelf", "Rug", "PLANT"};

std::string FileName(int index) {
  char name[64];
  std::snprintf(name, sizeof name, "Obj_%04d_%s.IFF", index, kWords[index % 8]);
  return name;
}

std::string Lowered(std::string text) {
  for (char& c : text) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
  }
  return text;
}

// A scratch prefix with one drive and a folder of kFiles mixed-case names,
// removed at exit.
class Scene {
 public:
  Scene() {
    std::random_device seed;
    fRoot =
        std::filesystem::temp_directory_path() / ("velt-platform-bench-" + std::to_string(std::mt19937_64(seed())()));
    std::filesystem::create_directories(fRoot / "dosdevices");
    std::filesystem::create_directories(fRoot / "drive_c/GameData/UserObjects");
    std::filesystem::create_symlink("../drive_c", fRoot / "dosdevices/c:");
    for (int i = 0; i < kFiles; ++i) {
      std::ofstream(fRoot / "drive_c/GameData/UserObjects" / FileName(i)) << "object " << i;
    }
    // A folder that changed moments ago is relisted on every question until
    // it has been quiet for a few seconds; measure the steady state.
    std::this_thread::sleep_for(std::chrono::milliseconds(3500));
    fHost = std::make_unique<platform::PosixHostEnv>(fRoot.string());
  }
  ~Scene() {
    fHost.reset();
    std::error_code ignored;
    std::filesystem::remove_all(fRoot, ignored);
  }

  platform::PosixHostEnv& host() { return *fHost; }

 private:
  std::filesystem::path fRoot;
  std::unique_ptr<platform::PosixHostEnv> fHost;
};

Scene& TheScene() {
  static Scene sScene;
  return sScene;
}

const platform::FileOpenOptions kRead{platform::kAccessRead, platform::kShareRead,
                                      platform::FileDisposition::kOpenExisting, true};

void OpenAndClose(benchmark::State& state, const std::string& path, bool expectFound) {
  platform::PosixHostEnv& host = TheScene().host();
  if ((host.OpenFile(path, kRead) != nullptr) != expectFound) {
    state.SkipWithError("the scene is not as expected");
    return;
  }
  uint64_t listingsBefore = host.mapper().FolderListingCount();
  for (auto _ : state) {
    std::unique_ptr<platform::HostFile> file = host.OpenFile(path, kRead);
    benchmark::DoNotOptimize(file);
  }
  double listings = static_cast<double>(host.mapper().FolderListingCount() - listingsBefore);
  state.counters["listings/open"] = listings / static_cast<double>(state.iterations());
}

void BM_OpenByLoweredPath(benchmark::State& state) {
  OpenAndClose(state, Lowered("C:\\GameData\\UserObjects\\" + FileName(4242)), true);
}
BENCHMARK(BM_OpenByLoweredPath);

void BM_OpenMissByLoweredPath(benchmark::State& state) {
  OpenAndClose(state, "c:\\gamedata\\userobjects\\obj_9999_nothing.iff", false);
}
BENCHMARK(BM_OpenMissByLoweredPath);

void BM_OpenByExactSpelling(benchmark::State& state) {
  OpenAndClose(state, "C:\\GameData\\UserObjects\\" + FileName(4242), true);
}
BENCHMARK(BM_OpenByExactSpelling);

// Listing as the folder scan does it: names and folder flags only.
void BM_ListFolder(benchmark::State& state) {
  platform::PosixHostEnv& host = TheScene().host();
  for (auto _ : state) {
    std::unique_ptr<platform::FolderListing> listing = host.ListFolder("C:\\GameData\\UserObjects\\");
    platform::FolderEntry entry;
    int count = 0;
    while (listing != nullptr && listing->Next(&entry)) ++count;
    if (count != kFiles) state.SkipWithError("short listing");
  }
  state.counters["entries"] = kFiles;
}
BENCHMARK(BM_ListFolder)->Unit(benchmark::kMicrosecond);

// The same listing asking every entry for its read-only attribute.
void BM_ListFolderAskingEachEntry(benchmark::State& state) {
  platform::PosixHostEnv& host = TheScene().host();
  for (auto _ : state) {
    std::unique_ptr<platform::FolderListing> listing = host.ListFolder("C:\\GameData\\UserObjects\\");
    platform::FolderEntry entry;
    int readOnly = 0;
    while (listing != nullptr && listing->Next(&entry)) readOnly += host.IsReadOnly(entry) ? 1 : 0;
    benchmark::DoNotOptimize(readOnly);
  }
  state.counters["entries"] = kFiles;
}
BENCHMARK(BM_ListFolderAskingEachEntry)->Unit(benchmark::kMicrosecond);

}  // namespace
