#include "cli/CatalogueTable.h"

#include <algorithm>
#include <charconv>
#include <nlohmann/json.hpp>

#include "cli/CsvReader.h"

namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
constexpr std::string_view kReplacement = "\xEF\xBF\xBD";
constexpr const char* kYes = "yes";
constexpr const char* kNo = "no";

constexpr const char* kColumnNames[CatalogueTable::kColumnCount] = {
    "file", "file_line", "entry",         "object",         "object_line",
    "id",   "function",  "function_name", "subsort",        "subsort_name",
    "room", "room_name", "downtown",      "downtown_boxes", "in_catalogue",
};

enum class Kind { kText, kNumber, kFlag };

Kind KindOf(CatalogueTable::Column column) {
  switch (column) {
    case CatalogueTable::kFile:
    case CatalogueTable::kObject:
    case CatalogueTable::kId:
    case CatalogueTable::kFunction:
    case CatalogueTable::kSubsort:
    case CatalogueTable::kRoom:
    case CatalogueTable::kDowntown:
      return Kind::kNumber;
    case CatalogueTable::kInCatalogue:
      return Kind::kFlag;
    default:
      return Kind::kText;
  }
}

// Length of the valid UTF-8 sequence at text[at]; 0 when the bytes there are
// none (overlong forms, surrogates and values past U+10FFFF are invalid).
size_t SequenceAt(std::string_view text, size_t at) {
  const auto byte = [text](size_t i) { return static_cast<uint8_t>(text[i]); };
  const uint8_t lead = byte(at);
  if (lead < 0x80) return 1;
  size_t length = 0;
  uint32_t point = 0;
  uint32_t smallest = 0;
  if ((lead & 0xE0) == 0xC0) {
    length = 2, point = lead & 0x1Fu, smallest = 0x80;
  } else if ((lead & 0xF0) == 0xE0) {
    length = 3, point = lead & 0x0Fu, smallest = 0x800;
  } else if ((lead & 0xF8) == 0xF0) {
    length = 4, point = lead & 0x07u, smallest = 0x10000;
  } else {
    return 0;
  }
  if (at + length > text.size()) return 0;
  for (size_t i = 1; i < length; ++i) {
    if ((byte(at + i) & 0xC0) != 0x80) return 0;
    point = (point << 6) | (byte(at + i) & 0x3Fu);
  }
  if (point < smallest || point > 0x10FFFF || (point >= 0xD800 && point <= 0xDFFF)) return 0;
  return length;
}

// A whole number written the way a number is printed, so that writing it as
// a JSON number and reading it back gives the same text.
bool PlainInteger(const std::string& text, int64_t* value) {
  const char* end = text.data() + text.size();
  const std::from_chars_result result = std::from_chars(text.data(), end, *value);
  return result.ec == std::errc() && result.ptr == end && std::to_string(*value) == text;
}

// A spreadsheet takes a field that starts with one of these for a formula,
// and the names in file_line and object_line come from downloaded files. Such
// a field is written behind an apostrophe (which spreadsheets show as text),
// and so is one that starts with an apostrophe, so that reading takes exactly
// one off.
constexpr std::string_view kFormulaStarts = "=+-@\t\r";

bool ComesFromAFile(int column) { return column == CatalogueTable::kFileLine || column == CatalogueTable::kObjectLine; }

bool StartsAFormula(std::string_view text) {
  return !text.empty() && (kFormulaStarts.find(text.front()) != std::string_view::npos || text.front() == '\'');
}

// Appends `text` with each byte that is not part of valid UTF-8 replaced by
// U+FFFD. Valid runs are copied whole: nearly every name is plain ASCII.
void AppendUtf8(std::string_view text, std::string* out) {
  size_t copied = 0;
  for (size_t at = 0; at < text.size();) {
    if (static_cast<uint8_t>(text[at]) < 0x80) {
      ++at;
      continue;
    }
    const size_t length = SequenceAt(text, at);
    if (length != 0) {
      at += length;
      continue;
    }
    out->append(text.substr(copied, at - copied));
    out->append(kReplacement);
    copied = ++at;
  }
  out->append(text.substr(copied));
}

// Appends one CSV field holding `text` made valid UTF-8, behind an apostrophe
// when it comes from a file and starts a formula (the formula characters are
// ASCII, so the repair cannot change whether it does), and quoted per RFC
// 4180 when it holds a comma, a quote or a line end.
void AppendCsvField(std::string_view text, bool fromAFile, std::string* line) {
  // Nearly every field is plain ASCII that needs no quotes: one look at each
  // byte, and it is copied whole.
  const bool plain = std::all_of(text.begin(), text.end(), [](char c) {
    return static_cast<uint8_t>(c) < 0x80 && c != ',' && c != '"' && c != '\r' && c != '\n';
  });
  if (plain && !(fromAFile && StartsAFormula(text))) {
    line->append(text);
    return;
  }
  const size_t start = line->size();
  if (fromAFile && StartsAFormula(text)) line->push_back('\'');
  AppendUtf8(text, line);
  const auto needsQuotes = [](char c) { return c == ',' || c == '"' || c == '\r' || c == '\n'; };
  if (std::none_of(line->begin() + static_cast<std::ptrdiff_t>(start), line->end(), needsQuotes)) return;
  std::string quoted = "\"";
  for (size_t at = start; at < line->size(); ++at) {
    if ((*line)[at] == '"') quoted += '"';
    quoted += (*line)[at];
  }
  quoted += '"';
  line->replace(start, std::string::npos, quoted);
}

bool FindColumn(const std::string& name, CatalogueTable::Column* column) {
  for (int i = 0; i < CatalogueTable::kColumnCount; ++i) {
    if (name == kColumnNames[i]) {
      *column = static_cast<CatalogueTable::Column>(i);
      return true;
    }
  }
  return false;
}

std::string UnknownColumn(const std::string& name) {
  std::string known;
  for (const char* column : kColumnNames) known += std::string(known.empty() ? "" : ", ") + column;
  return "unknown column \"" + CatalogueTable::Utf8(name) + "\"; the columns are " + known;
}

std::string RowError(int32_t row, const std::string& what) { return "row " + std::to_string(row) + ": " + what; }

}  // namespace

const char* CatalogueTable::ColumnName(Column column) { return kColumnNames[column]; }

std::string CatalogueTable::Utf8(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  AppendUtf8(text, &out);
  return out;
}

void CatalogueTable::Add(Row row) {
  for (int i = 0; i < kColumnCount; ++i) fPresent[i] = fPresent[i] || row.fCells[i].has_value();
  fRows.push_back(std::move(row));
}

void CatalogueTable::WriteCsv(std::ostream& out) const {
  WriteCsvHeader(out);
  std::string records;
  for (const Row& row : fRows) AppendCsvRow(row, &records);
  out.write(records.data(), static_cast<std::streamsize>(records.size()));
}

void CatalogueTable::WriteCsvHeader(std::ostream& out) {
  out << kByteOrderMark;
  for (int i = 0; i < kColumnCount; ++i) out << (i == 0 ? "" : ",") << kColumnNames[i];
  out << "\r\n";
}

void CatalogueTable::AppendCsvRow(const Row& row, std::string* out) {
  for (int i = 0; i < kColumnCount; ++i) {
    if (i != 0) *out += ',';
    if (row.fCells[i]) AppendCsvField(*row.fCells[i], ComesFromAFile(i), out);
  }
  *out += "\r\n";
}

void CatalogueTable::WriteJson(std::ostream& out) const {
  nlohmann::ordered_json rows = nlohmann::ordered_json::array();
  for (const Row& row : fRows) {
    nlohmann::ordered_json object = nlohmann::ordered_json::object();
    for (int i = 0; i < kColumnCount; ++i) {
      const Cell& cell = row.fCells[i];
      nlohmann::ordered_json& value = object[kColumnNames[i]];
      int64_t number = 0;
      if (!cell) {
        value = nullptr;
      } else if (KindOf(static_cast<Column>(i)) == Kind::kNumber && PlainInteger(*cell, &number)) {
        value = number;
      } else if (KindOf(static_cast<Column>(i)) == Kind::kFlag && (*cell == kYes || *cell == kNo)) {
        value = *cell == kYes;
      } else {
        value = Utf8(*cell);
      }
    }
    rows.push_back(std::move(object));
  }
  out << rows.dump(2, ' ', false, nlohmann::ordered_json::error_handler_t::replace) << '\n';
}

bool CatalogueTable::Read(std::string_view text, std::string* error) {
  fRows.clear();
  fPresent.fill(false);
  std::string_view body = text;
  if (body.substr(0, kByteOrderMark.size()) == kByteOrderMark) body.remove_prefix(kByteOrderMark.size());
  const size_t first = body.find_first_not_of(" \t\r\n");
  const bool json = first != std::string_view::npos && body[first] == '[';
  const bool read = json ? ReadJson(body, error) : ReadCsv(text, error);
  if (!read) {
    fRows.clear();
    fPresent.fill(false);
  }
  return read;
}

bool CatalogueTable::ReadCsv(std::string_view text, std::string* error) {
  CsvReader reader(text);
  std::vector<std::string> fields;
  if (!reader.Next(&fields)) {
    *error = reader.Error().empty() ? "the table is empty: not even a header row" : RowError(1, reader.Error());
    return false;
  }
  std::vector<Column> columns;
  for (const std::string& name : fields) {
    Column column = kFile;
    if (!FindColumn(name, &column)) {
      *error = RowError(1, UnknownColumn(name));
      return false;
    }
    if (fPresent[column]) {
      *error = RowError(1, "the column " + name + " comes twice");
      return false;
    }
    fPresent[column] = true;
    columns.push_back(column);
  }
  while (reader.Next(&fields)) {
    if (fields.size() == 1 && fields[0].empty() && columns.size() > 1) continue;
    for (size_t i = columns.size(); i < fields.size(); ++i) {
      if (!fields[i].empty()) {
        *error = RowError(reader.Record(),
                          "more fields than the header has columns (" + std::to_string(columns.size()) + ")");
        return false;
      }
    }
    if (fields.size() < columns.size()) {
      *error = RowError(reader.Record(), std::to_string(fields.size()) + " fields where the header has " +
                                             std::to_string(columns.size()) + " columns");
      return false;
    }
    Row row;
    row.fNumber = reader.Record();
    for (size_t i = 0; i < columns.size(); ++i) {
      std::string& field = fields[i];
      if (ComesFromAFile(columns[i]) && !field.empty() && field.front() == '\'') field.erase(field.begin());
      row.fCells[columns[i]] = std::move(field);
    }
    fRows.push_back(std::move(row));
  }
  if (!reader.Error().empty()) {
    *error = RowError(reader.Record(), reader.Error());
    return false;
  }
  return true;
}

bool CatalogueTable::ReadJson(std::string_view text, std::string* error) {
  // Read only when the text starts with "[", so what parses is an array.
  const nlohmann::json parsed = nlohmann::json::parse(text, nullptr, false);
  if (parsed.is_discarded()) {
    *error = "not valid JSON";
    return false;
  }
  int32_t number = 0;
  for (const nlohmann::json& element : parsed) {
    ++number;
    if (!element.is_object()) {
      *error = RowError(number, "not an object of columns");
      return false;
    }
    Row row;
    row.fNumber = number;
    for (const auto& [name, value] : element.items()) {
      Column column = kFile;
      if (!FindColumn(name, &column)) {
        *error = RowError(number, UnknownColumn(name));
        return false;
      }
      fPresent[column] = true;
      if (value.is_string()) {
        row.fCells[column] = value.get<std::string>();
      } else if (value.is_number_integer()) {
        row.fCells[column] =
            value.is_number_unsigned() ? std::to_string(value.get<uint64_t>()) : std::to_string(value.get<int64_t>());
      } else if (value.is_number()) {
        row.fCells[column] = value.dump();
      } else if (value.is_boolean()) {
        row.fCells[column] = value.get<bool>() ? kYes : kNo;
      } else if (!value.is_null()) {
        *error = RowError(number, std::string("the column ") + name + " holds a list or an object");
        return false;
      }
    }
    fRows.push_back(std::move(row));
  }
  return true;
}
