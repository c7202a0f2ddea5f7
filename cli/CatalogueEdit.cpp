#include "cli/CatalogueEdit.h"

#include <cstdint>

#include "cli/SortOption.h"
#include "cli/SortText.h"
#include "msrc/Objects/SortVocabulary.h"

namespace {

using Column = CatalogueTable::Column;

// The highest of the eight single-bit function sorts.
constexpr int32_t kLastFunctionSortBit = 128;

// A sort's two cells. The function and room sorts come first: the subsort
// list depends on the function sort, and an object outside the catalogue
// (room and function sort both 0) shows "None" and no box whatever its other
// sorts are.
struct SortColumns {
  SortOption option;
  Column number;
  Column name;
  int32_t SortValues::*field;
  std::string ShownSorts::*shown;
};

constexpr SortColumns kSorts[] = {
    {SortOption::kFunction, CatalogueTable::kFunction, CatalogueTable::kFunctionName, &SortValues::fFunction,
     &ShownSorts::fFunction},
    {SortOption::kRoom, CatalogueTable::kRoom, CatalogueTable::kRoomName, &SortValues::fRoom, &ShownSorts::fRoom},
    {SortOption::kSubsort, CatalogueTable::kSubsort, CatalogueTable::kSubsortName, &SortValues::fSubsort,
     &ShownSorts::fSubsort},
    {SortOption::kDowntown, CatalogueTable::kDowntown, CatalogueTable::kDowntownBoxes, &SortValues::fDowntown,
     &ShownSorts::fDowntown},
};

std::string Trimmed(const std::string& text) {
  const size_t first = text.find_first_not_of(" \t");
  if (first == std::string::npos) return {};
  return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

// The trimmed cell, or empty for none.
std::string CellText(const CatalogueTable::Row& row, Column column) {
  return row.fCells[column] ? Trimmed(*row.fCells[column]) : std::string();
}

// Whether a name picks the same item (or boxes) as the name the controls
// show, both read in the subsort list of `functionSort`.
bool SameSelection(SortOption option, const std::string& name, const std::string& shown, int32_t functionSort) {
  if (name.empty() || shown.empty()) return name.empty() && shown.empty();
  std::string ignored;
  int32_t a = 0;
  int32_t b = 0;
  return ParseSortName(option, "", name, functionSort, &a, &ignored) &&
         ParseSortName(option, "", shown, functionSort, &b, &ignored) && a == b;
}

// Whether a subsort name stands for `value` in the list of some function
// sort: a name from the list of the function sort an object had still means
// its bit once the function sort changes, as the dialog keeps the subsort
// value when the function sort changes.
bool SubsortNameMeans(const std::string& name, int32_t value) {
  // 0 stands for every function sort that lists only "None" and "Other".
  for (int32_t functionSort = 0; functionSort <= kLastFunctionSortBit;
       functionSort = functionSort == 0 ? 1 : functionSort * 2) {
    const int32_t item = FindSubsortItem(functionSort, name.c_str());
    if (item >= 0 && SortValueForItem(item) == static_cast<int16_t>(value)) return true;
  }
  return false;
}

// Whether a name agrees with a sort of `values`: it picks what the controls
// show, or what they would show were the object in the catalogue, or it is
// a subsort name that stands for the value's bit.
bool Agrees(SortOption option, const std::string& name, const SortValues& values, int32_t SortValues::*field,
            std::string ShownSorts::*shown) {
  return SameSelection(option, name, ShownSortNames(values).*shown, values.fFunction) ||
         SameSelection(option, name, ItemNames(values).*shown, values.fFunction) ||
         (option == SortOption::kSubsort && SubsortNameMeans(name, values.*field));
}

}  // namespace

bool CatalogueEdit::Wanted(const CatalogueTable::Row& row, const SortValues& stored, SortValues* wanted,
                           std::vector<std::string>* problems) {
  const size_t problemsBefore = problems->size();
  *wanted = stored;
  for (const SortColumns& sort : kSorts) {
    const char* numberLabel = CatalogueTable::ColumnName(sort.number);
    const char* nameLabel = CatalogueTable::ColumnName(sort.name);
    const std::string number = CellText(row, sort.number);
    const std::string name = CellText(row, sort.name);
    if (!number.empty()) {
      int32_t value = 0;
      if (!ParseSortNumber(number, &value)) {
        problems->push_back("bad number in " + std::string(numberLabel) + " \"" + number + "\": give " +
                            kSortNumberRange);
        continue;
      }
      wanted->*sort.field = value;
      if (!name.empty() && !Agrees(sort.option, name, *wanted, sort.field, sort.shown)) {
        problems->push_back(std::string(numberLabel) + " " + number + " and " + nameLabel + " \"" + name +
                            "\" disagree: the controls show \"" + ShownSortNames(*wanted).*sort.shown + "\" for " +
                            number + "; change both, or empty one of them");
      }
      continue;
    }
    if (name.empty() || Agrees(sort.option, name, stored, sort.field, sort.shown)) continue;
    std::string error;
    if (!ParseSortName(sort.option, nameLabel, name, wanted->fFunction, &(wanted->*sort.field), &error))
      problems->push_back(error);
  }
  return problems->size() == problemsBefore;
}

SortValues CatalogueEdit::Written(const CatalogueTable::Row& row) {
  SortValues written;
  for (const SortColumns& sort : kSorts) {
    int32_t number = 0;
    if (ParseSortNumber(CellText(row, sort.number), &number)) written.*sort.field = number;
  }
  return written;
}
