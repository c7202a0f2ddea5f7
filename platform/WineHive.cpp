#include "platform/WineHive.h"

#include <utility>

#include "platform/WineText.h"

/*
  Wine's registry text, as Wine writes it (LF line endings; a CR before the LF
  is tolerated):

    WINE REGISTRY Version 2
    ;; All keys relative to REGISTRY\\Machine
    #arch=win64

    [Software\\Korva\\The Velt] 1796626466
    #time=1d8e0f3a2b4c5d6
    "VELT_DATA"="C:\\Games\\The Velt"
    @="default value"
    "Path"=str(2):"%SystemRoot%\\x"
    "Count"=dword:00000001
    "Blob"=hex:01,02,03,\
      04,05

  The first line must be the header exactly, or nothing in the text counts.
  "#arch=" before the first section tells a 64-bit prefix (absent: 32-bit).
  A section line is "[" key path "]" followed by a time; the path separator is
  "\" (written "\\"). The values that follow belong to that key until the next
  section. Value lines are "name"=data or @=data (the default value); data is a
  quoted string, str:"..", str(N):".." (2: expandable, 7: multi-string),
  dword:XXXXXXXX, hex:.. or hex(N):.. Hex data continues over lines that end in
  "\"; the continuation lines start with spaces, as do no other lines, so they
  are skipped like every other unrecognised line. Lines starting with ";" are
  comments, other "#" lines (#time, #class, #link) options we do not need.
  Escapes are described in WineText::DecodeUntil.

  Damage stays local, as in Wine's own loader: a section line without its "]"
  makes the values after it belong to nothing, and a value line with an
  unterminated name or string (or data we cannot read) is dropped.
*/

namespace platform {

namespace {

constexpr std::string_view kHeader = "WINE REGISTRY Version 2";
constexpr std::string_view kArchOption = "#arch=";

class LineReader {
 public:
  explicit LineReader(std::string_view text) : fText(text) {}

  bool Next(std::string_view* line) {
    if (fPos >= fText.size()) return false;
    std::size_t end = fText.find('\n', fPos);
    if (end == std::string_view::npos) end = fText.size();
    *line = fText.substr(fPos, end - fPos);
    fPos = end + 1;
    if (!line->empty() && line->back() == '\r') line->remove_suffix(1);
    return true;
  }

 private:
  std::string_view fText;
  std::size_t fPos = 0;
};

bool IsHexDigit(char c) {
  return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

void SkipBlanks(std::string_view line, std::size_t* pos) {
  while (*pos < line.size() && (line[*pos] == ' ' || line[*pos] == '\t')) ++*pos;
}

// Reads one to eight hex digits at line[*pos]; false when there are none or too
// many.
bool ReadHexNumber(std::string_view line, std::size_t* pos, unsigned long* number) {
  std::size_t start = *pos;
  unsigned long value = 0;
  while (*pos < line.size() && IsHexDigit(line[*pos])) {
    if (*pos - start == 8) return false;
    char c = line[*pos];
    int digit = c <= '9' ? c - '0' : (c | 0x20) - 'a' + 10;
    value = value * 16 + static_cast<unsigned long>(digit);
    ++*pos;
  }
  *number = value;
  return *pos > start;
}

bool ReadQuotedData(std::string_view line, std::size_t pos, std::string* text) {
  if (pos >= line.size() || line[pos] != '"') return false;
  ++pos;
  return WineText::DecodeUntil(line, &pos, '"', text);
}

// The data after "=". False when it is of no type we know or is cut short.
bool ReadValueData(std::string_view line, std::size_t pos, WineHive::Value* value) {
  std::string_view data = line.substr(pos);
  if (data.starts_with('"')) {
    value->type = WineHive::ValueType::kString;
    return ReadQuotedData(line, pos, &value->text);
  }
  if (data.starts_with("str:")) {
    value->type = WineHive::ValueType::kString;
    return ReadQuotedData(line, pos + 4, &value->text);
  }
  if (data.starts_with("str(")) {
    pos += 4;
    unsigned long type = 0;
    if (!ReadHexNumber(line, &pos, &type) || line.substr(pos, 2) != "):") return false;
    if (!ReadQuotedData(line, pos + 2, &value->text)) return false;
    if (type == 1) {
      value->type = WineHive::ValueType::kString;
    } else if (type == 2) {
      value->type = WineHive::ValueType::kExpandString;
    } else {
      value->type = WineHive::ValueType::kOther;
      value->text.clear();
    }
    return true;
  }
  value->type = WineHive::ValueType::kOther;
  if (data.starts_with("dword:")) {
    pos += 6;
    unsigned long number = 0;
    if (!ReadHexNumber(line, &pos, &number)) return false;
    SkipBlanks(line, &pos);
    return pos == line.size();
  }
  if (data.starts_with("hex:")) return true;
  if (data.starts_with("hex(")) {
    pos += 4;
    unsigned long type = 0;
    return ReadHexNumber(line, &pos, &type) && line.substr(pos, 2) == "):";
  }
  return false;
}

// Reads a value line into its folded name and value; false when it is malformed.
bool ReadValueLine(std::string_view line, std::string* foldedName, WineHive::Value* value) {
  std::size_t pos = 1;
  std::string name;
  if (line[0] == '"' && !WineText::DecodeUntil(line, &pos, '"', &name)) return false;
  SkipBlanks(line, &pos);
  if (pos >= line.size() || line[pos] != '=') return false;
  ++pos;
  SkipBlanks(line, &pos);
  if (!ReadValueData(line, pos, value)) return false;
  *foldedName = WineText::FoldCase(name);
  return true;
}

// Calls `visit` with each non-empty "\"-separated component of `path`.
template <typename Visitor>
void ForEachComponent(std::string_view path, Visitor visit) {
  while (!path.empty()) {
    std::size_t cut = path.find('\\');
    std::string_view component = path.substr(0, cut);
    if (!component.empty()) visit(component);
    if (cut == std::string_view::npos) break;
    path.remove_prefix(cut + 1);
  }
}

}  // namespace

const WineHive::Value* WineHive::Key::FindValue(std::string_view name) const {
  auto it = fValues.find(WineText::FoldCase(name));
  return it == fValues.end() ? nullptr : &it->second;
}

std::optional<WineHive> WineHive::Parse(std::string_view text) {
  LineReader reader(text);
  std::string_view line;
  if (!reader.Next(&line) || line != kHeader) return std::nullopt;

  WineHive hive;
  bool inSections = false;
  Key* current = nullptr;
  while (reader.Next(&line)) {
    if (line.empty()) continue;
    switch (line[0]) {
      case '[':
        inSections = true;
        current = hive.AddSection(line);
        break;
      case '#':
        if (!inSections && line.starts_with(kArchOption)) {
          hive.fArch = line.substr(kArchOption.size()) == "win64" ? Arch::kWin64 : Arch::kWin32;
        }
        break;
      case '"':
      case '@': {
        if (current == nullptr) break;
        std::string name;
        Value value;
        if (ReadValueLine(line, &name, &value)) current->fValues.insert_or_assign(std::move(name), std::move(value));
        break;
      }
      default:
        break;
    }
  }
  return hive;
}

const WineHive::Key* WineHive::FindKey(std::string_view path) const {
  std::string folded = WineText::FoldCase(path);
  const Key* key = fRoot.get();
  ForEachComponent(folded, [&key](std::string_view component) {
    if (key == nullptr) return;
    auto it = key->fSubkeys.find(component);
    key = it == key->fSubkeys.end() ? nullptr : it->second.get();
  });
  return key;
}

std::string WineHive::NormalizePath(std::string_view path) {
  std::string folded = WineText::FoldCase(path);
  std::string normalized;
  normalized.reserve(folded.size());
  ForEachComponent(folded, [&normalized](std::string_view component) {
    if (!normalized.empty()) normalized.push_back('\\');
    normalized.append(component);
  });
  return normalized;
}

WineHive::WineHive() : fRoot(std::make_unique<Key>()) {}

WineHive::Key* WineHive::AddSection(std::string_view line) {
  std::size_t pos = 1;
  std::string path;
  if (!WineText::DecodeUntil(line, &pos, ']', &path)) return nullptr;
  std::string folded = WineText::FoldCase(path);
  std::size_t depth = 0;
  ForEachComponent(folded, [&depth](std::string_view) { ++depth; });
  if (depth > kMaxKeyDepth) return nullptr;
  Key* key = fRoot.get();
  ForEachComponent(folded, [this, &key](std::string_view component) {
    auto it = key->fSubkeys.find(component);
    if (it == key->fSubkeys.end()) {
      it = key->fSubkeys.emplace(std::string(component), std::make_unique<Key>()).first;
      ++fKeyCount;
    }
    key = it->second.get();
  });
  return key;
}

}  // namespace platform
