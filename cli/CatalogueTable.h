#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

// The catalogue as a table, one row per object on an object list: what
// `velt-sort catalogue` writes as CSV or JSON, and what `velt-sort apply`
// reads back, edited.
//
// Columns, in this order (the CSV header's names and the JSON keys):
//   file            the file's line index in the Files list, from 0
//   file_line       the file's line as the Files list shows it
//   entry           the file's entry: its folder and name without ".iff"
//   object          the object's line index in the file's Objects list, from 0
//   object_line     the object's line as the Objects list shows it
//   id              the resource id of the object's definition
//   function, function_name, subsort, subsort_name, room, room_name
//                   each sort's stored value and the item its combo box
//                   selects (empty when the list has no item for it)
//   downtown, downtown_boxes
//                   the stored downtown sort and its ticked boxes, in box
//                   order, separated by ", "
//   in_catalogue    whether the object is in the buy catalogue: "yes"/"no"
//
// CSV: UTF-8 behind a byte order mark (without one, spreadsheets guess the
// legacy code page), a header row, CR LF after every record, and RFC 4180
// quoting for a field that holds a comma, a quote or a line end; a file_line
// or object_line that starts with a formula character or an apostrophe is
// written behind an apostrophe, which reading takes off again. JSON: an
// array of objects with those keys; whole numbers as numbers, in_catalogue as
// true or false, a cell without a value as null. Text that is not valid
// UTF-8 (names are a file's raw bytes) has each bad byte written as U+FFFD.
class CatalogueTable {
 public:
  enum Column {
    kFile,
    kFileLine,
    kEntry,
    kObject,
    kObjectLine,
    kId,
    kFunction,
    kFunctionName,
    kSubsort,
    kSubsortName,
    kRoom,
    kRoomName,
    kDowntown,
    kDowntownBoxes,
    kInCatalogue,
    kColumnCount
  };
  using Cell = std::optional<std::string>;
  struct Row {
    // Where a person finds the row: in CSV the record number, the header
    // being 1; in JSON the position in the array, from 1.
    int32_t fNumber = 0;
    std::array<Cell, kColumnCount> fCells;
  };

  static const char* ColumnName(Column column);
  // `text` with each byte that is not part of valid UTF-8 replaced by U+FFFD.
  static std::string Utf8(std::string_view text);

  void Add(Row row);
  const std::vector<Row>& Rows() const { return fRows; }
  // Whether the table read had the column (every written table has all).
  bool HasColumn(Column column) const { return fPresent[column]; }

  // Every column, whatever the rows hold.
  void WriteCsv(std::ostream& out) const;
  // WriteCsv in pieces, for a table written as its rows come: the byte order
  // mark and the header, then each row's record appended to `out`.
  static void WriteCsvHeader(std::ostream& out);
  static void AppendCsvRow(const Row& row, std::string* out);
  void WriteJson(std::ostream& out) const;

  // Replaces the table with one that WriteCsv or WriteJson wrote, perhaps
  // edited: JSON when the first character other than white space (after a
  // byte order mark) is "[", CSV otherwise. Columns may be left out or come
  // in another order; a name that is none of the above is refused. A CSV
  // record that is one empty field (a blank line) is no row, and empty
  // fields past the header's columns are ignored. Cells hold CSV fields and
  // JSON strings as they are, JSON whole numbers in decimal, true and false
  // as "yes" and "no"; a JSON null or a key left out is no value. False with
  // a one-line reason (naming the row, where there is one) when the text is
  // malformed; the table is then empty.
  bool Read(std::string_view text, std::string* error);

 private:
  bool ReadCsv(std::string_view text, std::string* error);
  bool ReadJson(std::string_view text, std::string* error);

  std::vector<Row> fRows;
  std::array<bool, kColumnCount> fPresent{};
};
