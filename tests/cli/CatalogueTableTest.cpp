#include "cli/CatalogueTable.h"

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include <sstream>
#include <string>
#include <vector>

#include "cli/CsvReader.h"

namespace {

using Table = CatalogueTable;
using Records = std::vector<std::vector<std::string>>;

Records ReadAll(const std::string& text, std::string* error = nullptr, int32_t* failedRecord = nullptr) {
  CsvReader reader(text);
  Records records;
  std::vector<std::string> fields;
  while (reader.Next(&fields)) records.push_back(fields);
  if (error != nullptr) *error = reader.Error();
  if (failedRecord != nullptr) *failedRecord = reader.Record();
  return records;
}

TEST(CsvReaderTest, ReadsFieldsAndRecordsAsRfc4180LaysThemOut) {
  const struct {
    const char* text;
    Records records;
  } cases[] = {
      {"a,b\r\nc,d\r\n", {{"a", "b"}, {"c", "d"}}},
      {"a,b\nc,d", {{"a", "b"}, {"c", "d"}}},
      {"a,b\rc,d\r", {{"a", "b"}, {"c", "d"}}},
      {"\"x,y\",\"say \"\"hi\"\"\"\r\n", {{"x,y", "say \"hi\""}}},
      {"\"two\r\nlines\",z\r\n", {{"two\r\nlines", "z"}}},
      {",\r\n", {{"", ""}}},
      {"a,", {{"a", ""}}},
      {"\"\"\r\n\r\n", {{""}, {""}}},
      {"\xEF\xBB\xBFid\r\n", {{"id"}}},
      {"x\xEF\xBB\xBF", {{"x\xEF\xBB\xBF"}}},
      {"a\"b, c ", {{"a\"b", " c "}}},
      {"", {}},
  };
  for (const auto& [text, records] : cases) {
    std::string error;
    EXPECT_EQ(ReadAll(text, &error), records) << text;
    EXPECT_EQ(error, "") << text;
  }
}

TEST(CsvReaderTest, MalformedQuotingIsReportedWithItsRecord) {
  const struct {
    const char* text;
    int32_t record;
    const char* error;
  } cases[] = {
      {"a\r\n\"open,b\r\n", 2, "a quoted field is not closed"},
      {"a\r\nb\r\n\"x\"y,z", 3, "text follows the closing quote of a field"},
  };
  for (const auto& [text, record, expected] : cases) {
    std::string error;
    int32_t failed = 0;
    ReadAll(text, &error, &failed);
    EXPECT_EQ(error, expected) << text;
    EXPECT_EQ(failed, record) << text;
  }
}

Table::Row FullRow(const std::string& objectLine, const std::string& boxes) {
  Table::Row row;
  const char* cells[] = {"0", "chair", "c:\\objects\\chair", "1", "", "128", "1", "Seating", "2", "Living Chairs",
                         "8", "Family", "9", "", "yes"};
  for (int i = 0; i < Table::kColumnCount; ++i) row.fCells[i] = cells[i];
  row.fCells[Table::kObjectLine] = objectLine;
  row.fCells[Table::kDowntownBoxes] = boxes;
  return row;
}

TEST(CatalogueTableTest, CsvHasAByteOrderMarkAHeaderAndQuotesWhatNeedsIt) {
  Table table;
  table.Add(FullRow("Bob's \"Big\" Chair", "Dining, Street"));
  Table::Row unreadable = FullRow("Caf\xE9\nTable", "");
  for (const Table::Column column : {Table::kFunction, Table::kFunctionName, Table::kSubsort, Table::kSubsortName,
                                     Table::kRoom, Table::kRoomName, Table::kDowntown, Table::kDowntownBoxes,
                                     Table::kInCatalogue})
    unreadable.fCells[column].reset();
  table.Add(unreadable);
  std::ostringstream out;
  table.WriteCsv(out);
  EXPECT_EQ(out.str(),
            "\xEF\xBB\xBF"
            "file,file_line,entry,object,object_line,id,function,function_name,subsort,subsort_name,room,room_name,"
            "downtown,downtown_boxes,in_catalogue\r\n"
            "0,chair,c:\\objects\\chair,1,\"Bob's \"\"Big\"\" Chair\",128,1,Seating,2,Living Chairs,8,Family,9,"
            "\"Dining, Street\",yes\r\n"
            "0,chair,c:\\objects\\chair,1,\"Caf\xEF\xBF\xBD\nTable\",128,,,,,,,,,\r\n");
}

// Names come from downloaded files: in CSV none may start a spreadsheet
// formula, and reading gives back the name as it was.
TEST(CatalogueTableTest, NamesFromFilesNeverStartASpreadsheetFormula) {
  const struct {
    const char* name;
    const char* field;
  } cases[] = {
      {"=HYPERLINK(\"http://x\")", "\"'=HYPERLINK(\"\"http://x\"\")\""},
      {"+1", "'+1"},
      {"-2 Chair", "'-2 Chair"},
      {"@SUM(A1)", "'@SUM(A1)"},
      {"\tTab", "'\tTab"},
      {"'Til Dawn", "''Til Dawn"},
      {"Plain = Chair", "Plain = Chair"},
  };
  for (const auto& [name, field] : cases) {
    Table table;
    Table::Row row = FullRow(name, "");
    row.fCells[Table::kFileLine] = name;
    table.Add(row);
    std::ostringstream out;
    table.WriteCsv(out);
    const std::string line = out.str().substr(out.str().find("\r\n") + 2);
    EXPECT_EQ(line, "0," + std::string(field) + ",c:\\objects\\chair,1," + field + ",128,1,Seating,2,Living Chairs,8," +
                        "Family,9,,yes\r\n");
    Table read;
    std::string error;
    ASSERT_TRUE(read.Read(out.str(), &error)) << error;
    EXPECT_EQ(read.Rows().at(0).fCells[Table::kObjectLine], name);
    EXPECT_EQ(read.Rows().at(0).fCells[Table::kFileLine], name);
  }
}

TEST(CatalogueTableTest, JsonHasNumbersFlagsAndNulls) {
  Table table;
  Table::Row row = FullRow("Chair", "Dining, Street");
  row.fCells[Table::kRoom] = "007";  // not as a number prints: kept as text
  row.fCells[Table::kDowntown].reset();
  table.Add(row);
  std::ostringstream out;
  table.WriteJson(out);
  EXPECT_EQ(nlohmann::json::parse(out.str()), nlohmann::json::parse(R"([{
    "file": 0, "file_line": "chair", "entry": "c:\\objects\\chair", "object": 1, "object_line": "Chair", "id": 128,
    "function": 1, "function_name": "Seating", "subsort": 2, "subsort_name": "Living Chairs", "room": "007",
    "room_name": "Family", "downtown": null, "downtown_boxes": "Dining, Street", "in_catalogue": true}])"));
  EXPECT_LT(out.str().find("\"file\""), out.str().find("\"in_catalogue\""));
}

// What either writer writes, the reader reads back: CSV with every cell
// present (an empty field is an empty text), JSON as it was.
TEST(CatalogueTableTest, WrittenTablesReadBack) {
  Table table;
  table.Add(FullRow("Bob's \"Big\", Chair", "Dining, Street"));
  Table::Row second = FullRow(" two\r\nlines ", "");
  second.fCells[Table::kInCatalogue] = "no";
  second.fCells[Table::kRoom].reset();
  table.Add(second);

  for (const bool json : {false, true}) {
    std::ostringstream out;
    json ? table.WriteJson(out) : table.WriteCsv(out);
    Table read;
    std::string error;
    ASSERT_TRUE(read.Read(out.str(), &error)) << error << "\n" << out.str();
    ASSERT_EQ(read.Rows().size(), 2u);
    for (size_t r = 0; r < 2; ++r) {
      EXPECT_EQ(read.Rows()[r].fNumber, static_cast<int32_t>(json ? r + 1 : r + 2));
      for (int c = 0; c < Table::kColumnCount; ++c) {
        const Table::Cell& written = table.Rows()[r].fCells[c];
        EXPECT_EQ(read.Rows()[r].fCells[c], json || written ? written : Table::Cell(""))
            << (json ? "JSON " : "CSV ") << r << " " << Table::ColumnName(static_cast<Table::Column>(c));
      }
    }
    EXPECT_TRUE(read.HasColumn(Table::kRoom));
  }
}

TEST(CatalogueTableTest, ColumnsMayBeLeftOutReorderedOrPaddedAndBlankLinesAreNoRows) {
  Table table;
  std::string error;
  ASSERT_TRUE(table.Read("id,entry\r\n128,a\r\n\r\n129,b,,\r\n", &error)) << error;
  ASSERT_EQ(table.Rows().size(), 2u);
  EXPECT_EQ(table.Rows()[1].fNumber, 4);
  EXPECT_EQ(table.Rows()[1].fCells[Table::kEntry], "b");
  EXPECT_EQ(table.Rows()[1].fCells[Table::kId], "129");
  EXPECT_TRUE(table.HasColumn(Table::kEntry));
  EXPECT_FALSE(table.HasColumn(Table::kRoom));
  EXPECT_FALSE(table.Rows()[1].fCells[Table::kRoom].has_value());

  ASSERT_TRUE(table.Read(R"( [{"id": 128, "entry": "e", "in_catalogue": false, "room": null, "function": 1.5,
                               "subsort": -3, "downtown": 18446744073709551615}])",
                         &error))
      << error;
  const Table::Row& row = table.Rows().at(0);
  EXPECT_EQ(row.fCells[Table::kId], "128");
  EXPECT_EQ(row.fCells[Table::kInCatalogue], "no");
  EXPECT_FALSE(row.fCells[Table::kRoom].has_value());
  EXPECT_TRUE(table.HasColumn(Table::kRoom));
  EXPECT_EQ(row.fCells[Table::kFunction], "1.5");
  EXPECT_EQ(row.fCells[Table::kSubsort], "-3");
  EXPECT_EQ(row.fCells[Table::kDowntown], "18446744073709551615");
}

TEST(CatalogueTableTest, MalformedTablesAreRefusedWithTheirRow) {
  const std::string columns =
      "; the columns are file, file_line, entry, object, object_line, id, function, function_name, subsort, "
      "subsort_name, room, room_name, downtown, downtown_boxes, in_catalogue";
  const struct {
    std::string text;
    std::string error;
  } cases[] = {
      {"", "the table is empty: not even a header row"},
      {"entry,idd\r\n", "row 1: unknown column \"idd\"" + columns},
      {"id,entry,id\r\n", "row 1: the column id comes twice"},
      {"entry,id\r\na,1\r\nx\r\n", "row 3: 1 fields where the header has 2 columns"},
      {"entry,id\r\nx,1,2\r\n", "row 2: more fields than the header has columns (2)"},
      {"entry,id\r\n\"x,1\r\n", "row 2: a quoted field is not closed"},
      {"[{\"id\": 1},", "not valid JSON"},
      {"[{\"id\": 1}, 2]", "row 2: not an object of columns"},
      {"[{\"entry\": \"x\", \"bogus\": 1}]", "row 1: unknown column \"bogus\"" + columns},
      {"[{\"id\": [128]}]", "row 1: the column id holds a list or an object"},
  };
  for (const auto& [text, expected] : cases) {
    Table table;
    table.Add(FullRow("left over", ""));
    std::string error;
    EXPECT_FALSE(table.Read(text, &error)) << text;
    EXPECT_EQ(error, expected) << text;
    EXPECT_TRUE(table.Rows().empty()) << text;
  }
}

}  // namespace
