// Parsing a machine hive of realistic size (about 1.7 MB, thousands of
// sections) and looking one key up in it.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdio>
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>

#include "platform/WineHive.h"

namespace {

constexpr std::size_t kTargetBytes = 1700 * 1024;

class Generator {
 public:
  std::uint32_t Next() {
    fState = fState * 6364136223846793005ull + 1442695040888963407ull;
    return static_cast<std::uint32_t>(fState >> 33);
  }

  std::string Hex(std::uint32_t value, int digits) {
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "%0*x", digits, value);
    return buffer;
  }

  std::string Guid() {
    std::string guid(1, '{');
    guid.append(Hex(Next(), 8)).append(1, '-');
    guid.append(Hex(Next() & 0xFFFF, 4)).append(1, '-');
    guid.append(Hex(Next() & 0xFFFF, 4)).append(1, '-');
    guid.append(Hex(Next() & 0xFFFF, 4)).append(1, '-');
    guid.append(Hex(Next(), 8)).append(Hex(Next() & 0xFFFF, 4)).append(1, '}');
    return guid;
  }

 private:
  std::uint64_t fState = 0x5eed;
};

void Add(std::string* text, std::initializer_list<std::string_view> pieces) {
  for (std::string_view piece : pieces) text->append(piece);
}

// Sections in the shapes Wine writes most: COM classes with a server and a
// threading model, services with dwords and multi-strings, and settings with
// binary blobs that run over several lines.
std::string MakeHive() {
  Generator random;
  std::string text = "WINE REGISTRY Version 2\n;; All keys relative to REGISTRY\\\\Machine\n\n#arch=win64\n";
  int section = 0;
  while (text.size() < kTargetBytes) {
    std::string number = std::to_string(section);
    std::string stamp;
    Add(&stamp, {"] ", std::to_string(1700000000 + section), "\n#time=", random.Hex(random.Next(), 8),
                 random.Hex(random.Next(), 7), "\n"});
    switch (section % 3) {
      case 0:
        Add(&text, {"\n[Software\\\\Classes\\\\CLSID\\\\", random.Guid(), "\\\\InprocServer32", stamp});
        Add(&text, {"@=\"C:\\\\windows\\\\system32\\\\module", number, ".dll\"\n"});
        Add(&text, {"\"ThreadingModel\"=\"Both\"\n"});
        break;
      case 1:
        Add(&text, {"\n[System\\\\CurrentControlSet\\\\Services\\\\Service", number, stamp});
        Add(&text, {"\"DisplayName\"=\"Service \\x00e9l\\x00e8ve ", number, "\"\n"});
        Add(&text, {"\"ErrorControl\"=dword:00000001\n\"Start\"=dword:00000003\n\"Type\"=dword:00000010\n"});
        Add(&text, {"\"DependOnService\"=str(7):\"RpcSs\\0PlugPlay\\0\"\n"});
        Add(&text, {"\"ImagePath\"=str(2):\"%SystemRoot%\\\\system32\\\\svc", number, ".exe\"\n"});
        break;
      default:
        Add(&text, {"\n[Software\\\\Wow6432Node\\\\Vendor", std::to_string(section % 97), "\\\\Product", number,
                    "\\\\Settings", stamp});
        text.append("\"Blob\"=hex:");
        for (int byte = 0; byte < 48; ++byte) {
          Add(&text, {random.Hex(random.Next() & 0xFF, 2), byte == 47 ? "\n" : ","});
          if (byte % 24 == 21) text.append("\\\n  ");
        }
        Add(&text, {"\"Path\"=\"C:\\\\Program Files (x86)\\\\Product ", number, "\\\\\"\n"});
        break;
    }
    ++section;
  }
  text.append("\n[Software\\\\Wow6432Node\\\\Korva\\\\The Velt] 1796626466\n\"VELT_DATA\"=\"C:\\\\Games\\\\The Velt\"\n");
  return text;
}

const std::string& Hive() {
  static const std::string sText = MakeHive();
  return sText;
}

void BM_WineHiveParse(benchmark::State& state) {
  const std::string& text = Hive();
  for (auto _ : state) {
    std::optional<platform::WineHive> hive = platform::WineHive::Parse(text);
    benchmark::DoNotOptimize(hive);
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * static_cast<std::int64_t>(text.size()));
  std::optional<platform::WineHive> hive = platform::WineHive::Parse(text);
  state.counters["keys"] = hive ? static_cast<double>(hive->KeyCount()) : 0.0;
  state.counters["bytes"] = static_cast<double>(text.size());
}
BENCHMARK(BM_WineHiveParse)->Unit(benchmark::kMillisecond);

void BM_WineHiveLookup(benchmark::State& state) {
  std::optional<platform::WineHive> hive = platform::WineHive::Parse(Hive());
  if (!hive) {
    state.SkipWithError("the generated hive did not parse");
    return;
  }
  const platform::WineHive::Key* velt = hive->FindKey("Software\\Wow6432Node\\Korva\\The Velt");
  if (velt == nullptr || velt->FindValue("VELT_DATA") == nullptr) {
    state.SkipWithError("the generated hive lacks the game key");
    return;
  }
  for (auto _ : state) {
    const platform::WineHive::Key* key = hive->FindKey("Software\\Wow6432Node\\Korva\\The Velt");
    const platform::WineHive::Value* value = key != nullptr ? key->FindValue("VELT_DATA") : nullptr;
    benchmark::DoNotOptimize(value);
  }
}
BENCHMARK(BM_WineHiveLookup);

}  // namespace
