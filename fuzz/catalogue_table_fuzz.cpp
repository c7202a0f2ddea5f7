// Arbitrary bytes as an edited catalogue table, CSV or JSON, the way
// `velt-sort apply` reads one, and each row as apply reads its sorts.
//
// Nothing may crash, hang or overrun. A table that reads is written again as
// CSV and as JSON, and each reads back with the same rows: the same cells,
// each as valid UTF-8 (a CSV has every column, a cell without a value being
// empty). A row whose sorts read asks for nothing more when read again
// against the sorts it asked for, so applying a table twice changes nothing
// the second time.
#include <cstddef>
#include <cstdint>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "app/core/SortValues.h"
#include "cli/CatalogueEdit.h"
#include "cli/CatalogueTable.h"

namespace {

void Check(bool condition) {
  if (!condition) __builtin_trap();
}

// Sorts in and out of the catalogue, with bits no control shows.
constexpr SortValues kStored[] = {{0, 8, 2, 1}, {304, 33, 16, 8}, {25, 8, 1, 3}, {1, 0, 4, 0}, {-1, -1, -1, -1}};

SortValues AsStored(const SortValues& values) {
  return {static_cast<int16_t>(values.fDowntown), static_cast<int16_t>(values.fRoom),
          static_cast<int16_t>(values.fSubsort), static_cast<int16_t>(values.fFunction)};
}

void CheckReadBack(const CatalogueTable& table, const std::string& written, bool json) {
  CatalogueTable read;
  std::string error;
  Check(read.Read(written, &error));
  Check(read.Rows().size() == table.Rows().size());
  for (size_t r = 0; r < table.Rows().size(); ++r) {
    for (int c = 0; c < CatalogueTable::kColumnCount; ++c) {
      const CatalogueTable::Cell& before = table.Rows()[r].fCells[c];
      const CatalogueTable::Cell& after = read.Rows()[r].fCells[c];
      if (json && !before) {
        Check(!after);
      } else {
        Check(after && *after == CatalogueTable::Utf8(before.value_or("")));
      }
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  CatalogueTable table;
  std::string error;
  if (!table.Read(text, &error)) {
    Check(!error.empty() && table.Rows().empty());
    return 0;
  }
  std::ostringstream csv;
  table.WriteCsv(csv);
  CheckReadBack(table, csv.str(), false);
  std::ostringstream json;
  table.WriteJson(json);
  CheckReadBack(table, json.str(), true);

  for (const CatalogueTable::Row& row : table.Rows()) {
    for (const SortValues& stored : kStored) {
      SortValues wanted;
      std::vector<std::string> problems;
      if (!CatalogueEdit::Wanted(row, stored, &wanted, &problems)) {
        Check(!problems.empty());
        continue;
      }
      Check(problems.empty());
      SortValues again;
      Check(CatalogueEdit::Wanted(row, AsStored(wanted), &again, &problems));
      Check(AsStored(again) == AsStored(wanted));
    }
  }
  return 0;
}
