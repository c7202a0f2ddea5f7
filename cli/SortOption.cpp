#include "cli/SortOption.h"

#include <memory>
#include <span>
#include <vector>

#include "msrc/Objects/SortVocabulary.h"

const char* const kSortNumberRange = "a whole number from -32768 to 65535";

namespace {

constexpr int32_t kSmallest = -32768;
constexpr int32_t kLargest = 65535;

bool LooksLikeNumber(const std::string& text) {
  return !text.empty() && ((text[0] >= '0' && text[0] <= '9') || text[0] == '-' || text[0] == '+');
}

std::string Listed(std::span<const char* const> names) {
  std::string text;
  for (const char* name : names) {
    if (!text.empty()) text += ", ";
    text += name;
  }
  return text;
}

std::string DowntownNames() {
  std::vector<const char*> names;
  for (const DowntownBox& box : DowntownBoxes()) names.push_back(box.fText);
  return Listed(names);
}

std::string Quoted(const std::string& text) { return "\"" + text + "\""; }

std::string Trimmed(const std::string& text) {
  const size_t first = text.find_first_not_of(' ');
  if (first == std::string::npos) return {};
  return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

bool ParseDowntownNames(const std::string& text, const std::string& named, int32_t* value, std::string* error) {
  const std::span<const DowntownBox> boxes = DowntownBoxes();
  const std::unique_ptr<bool[]> ticked(new bool[boxes.size()]());
  if (!Trimmed(text).empty()) {
    size_t start = 0;
    for (;;) {
      const size_t comma = text.find(',', start);
      const std::string name = Trimmed(text.substr(start, comma == std::string::npos ? comma : comma - start));
      const int32_t box = FindDowntownBox(name.c_str());
      if (box < 0) {
        *error = "unknown downtown box " + Quoted(name) + " in " + named + "; give a comma-separated list of " +
                 DowntownNames() + " (an empty list ticks no box)";
        return false;
      }
      ticked[static_cast<size_t>(box)] = true;
      if (comma == std::string::npos) break;
      start = comma + 1;
    }
  }
  *value = DowntownValueFromBoxes(std::span<const bool>(ticked.get(), boxes.size()));
  return true;
}

// "8 (Electronics)", or just the number when no single item stands for it.
std::string FunctionSortText(int32_t functionSort) {
  const int32_t item = SortItemForValue(functionSort);
  if (item == 0 && functionSort != 0) return std::to_string(functionSort);
  return std::to_string(functionSort) + " (" + FunctionSortItems()[static_cast<size_t>(item)] + ")";
}

}  // namespace

const char* SortOptionName(SortOption option) {
  switch (option) {
    case SortOption::kFunction:
      return "--function";
    case SortOption::kSubsort:
      return "--subsort";
    case SortOption::kRoom:
      return "--room";
    case SortOption::kDowntown:
      return "--downtown";
  }
  return "";
}

bool ParseSortNumber(const std::string& text, int32_t* value) {
  size_t at = 0;
  const bool negative = !text.empty() && text[0] == '-';
  if (!text.empty() && (text[0] == '-' || text[0] == '+')) at = 1;
  if (at == text.size()) return false;
  int64_t number = 0;
  for (; at < text.size(); ++at) {
    if (text[at] < '0' || text[at] > '9') return false;
    number = number * 10 + (text[at] - '0');
    if (number > kLargest + 1) return false;
  }
  if (negative) number = -number;
  if (number < kSmallest || number > kLargest) return false;
  *value = static_cast<int32_t>(number);
  return true;
}

bool ParseSortName(SortOption option, const std::string& label, const std::string& text, int32_t functionSort,
                   int32_t* value, std::string* error) {
  const std::string named = label + " " + Quoted(text);
  int32_t item = -1;
  switch (option) {
    case SortOption::kFunction:
      item = FindFunctionSortItem(text.c_str());
      if (item < 0) *error = "unknown function sort in " + named + "; valid names: " + Listed(FunctionSortItems());
      break;
    case SortOption::kRoom:
      item = FindRoomSortItem(text.c_str());
      if (item < 0) *error = "unknown room sort in " + named + "; valid names: " + Listed(RoomSortItems());
      break;
    case SortOption::kSubsort:
      item = FindSubsortItem(functionSort, text.c_str());
      if (item < 0) {
        *error = "unknown subsort in " + named + " for function sort " + FunctionSortText(functionSort) +
                 "; valid names: " + Listed(SubsortItems(functionSort));
      }
      break;
    case SortOption::kDowntown:
      return ParseDowntownNames(text, named, value, error);
  }
  if (item < 0) return false;
  *value = SortValueForItem(item);
  return true;
}

bool ParseSortOption(SortOption option, const std::string& text, int32_t functionSort, int32_t* value,
                     std::string* error) {
  if (LooksLikeNumber(text)) {
    if (ParseSortNumber(text, value)) return true;
    *error = "bad number in " + std::string(SortOptionName(option)) + " " + Quoted(text) + ": give " +
             kSortNumberRange + ", or a name";
    return false;
  }
  if (ParseSortName(option, SortOptionName(option), text, functionSort, value, error)) return true;
  *error += ", or " + std::string(kSortNumberRange);
  return false;
}
