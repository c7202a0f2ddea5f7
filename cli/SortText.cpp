#include "cli/SortText.h"

#include <span>

#include "msrc/Objects/SortVocabulary.h"

const char* const kNotInCatalogueLine =
    "not in the buy catalogue: room sort and function sort are both 0, so the organizer disables its sort "
    "controls";

namespace {

constexpr int32_t kStoredBits = 0xFFFF;

std::string ItemText(std::span<const char* const> items, int32_t item) {
  if (item < 0 || static_cast<size_t>(item) >= items.size()) return {};
  return items[static_cast<size_t>(item)];
}

void WriteLine(std::ostream& out, const char* label, const std::string& shown, int32_t value) {
  out << label << ':';
  if (!shown.empty()) out << ' ' << shown;
  out << " (" << value;
}

}  // namespace

std::string SubsortName(int32_t functionSort, int32_t subsort) {
  return ItemText(SubsortItems(functionSort), SubsortItemForValue(functionSort, subsort));
}

int32_t DowntownBitsWithoutBox(int32_t downtown) {
  int32_t boxed = 0;
  for (const DowntownBox& box : DowntownBoxes()) boxed |= box.fValue;
  return downtown & kStoredBits & ~boxed;
}

ShownSorts ShownSortNames(const SortValues& values) {
  if (values.InBuyCatalogue()) return ItemNames(values);
  // The controls of an object outside the catalogue stay as the reset left
  // them: item 0 everywhere and no tick.
  ShownSorts names;
  names.fFunction = names.fSubsort = names.fRoom = FunctionSortItems()[0];
  return names;
}

ShownSorts ItemNames(const SortValues& values) {
  ShownSorts names;
  names.fFunction = ItemText(FunctionSortItems(), SortItemForValue(values.fFunction));
  names.fSubsort = SubsortName(values.fFunction, values.fSubsort);
  names.fRoom = ItemText(RoomSortItems(), SortItemForValue(values.fRoom));
  const std::span<const DowntownBox> boxes = DowntownBoxes();
  for (size_t i = 0; i < boxes.size(); ++i) {
    if (!DowntownBoxTicked(values.fDowntown, static_cast<int32_t>(i))) continue;
    if (!names.fDowntown.empty()) names.fDowntown += ", ";
    names.fDowntown += boxes[i].fText;
  }
  return names;
}

std::string ValueWithName(int32_t value, const std::string& shown) {
  if (shown.empty()) return std::to_string(value);
  return std::to_string(value) + " (" + shown + ")";
}

void WriteSortLines(const SortValues& values, std::ostream& out) {
  const ShownSorts shown = ShownSortNames(values);
  WriteLine(out, "function", shown.fFunction, values.fFunction);
  out << ")\n";
  WriteLine(out, "subsort", shown.fSubsort, values.fSubsort);
  out << ")\n";
  WriteLine(out, "room", shown.fRoom, values.fRoom);
  out << ")\n";
  WriteLine(out, "downtown", shown.fDowntown, values.fDowntown);
  const int32_t loose = DowntownBitsWithoutBox(values.fDowntown);
  if (loose != 0) out << "; bits without a box: " << loose;
  out << ")\n";
}
