#include "cli/CatalogueCommand.h"

#include <charconv>
#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <tuple>
#include <vector>

#include "app/core/FileList.h"
#include "app/core/ObjectFile.h"
#include "cli/CatalogueTable.h"
#include "cli/GameLookup.h"
#include "cli/ObjectFileArgument.h"
#include "cli/SortText.h"
#include "msrc/File/resfile.h"
#include "msrc/Util/FixedStringBuffer.h"
#include "platform/HostEnv.h"
#include "platform/LookupBatch.h"

namespace {

using Table = CatalogueTable;

void Set(Table::Cell& cell, std::string_view text) {
  if (cell) {
    cell->assign(text);
  } else {
    cell.emplace(text);
  }
}

void SetNumber(Table::Cell& cell, int64_t value) {
  char digits[24];
  const std::to_chars_result written = std::to_chars(digits, digits + sizeof digits, value);
  Set(cell, std::string_view(digits, static_cast<size_t>(written.ptr - digits)));
}

// What the sort controls show for each set of values met so far: objects
// share their sorts far more often than not.
class ShownNames {
 public:
  const ShownSorts& For(const SortValues& values) {
    const auto key = std::make_tuple(values.fFunction, values.fSubsort, values.fRoom, values.fDowntown);
    auto found = fShown.find(key);
    if (found == fShown.end()) found = fShown.emplace(key, ShownSortNames(values)).first;
    return found->second;
  }

 private:
  std::map<std::tuple<int32_t, int32_t, int32_t, int32_t>, ShownSorts> fShown;
};

// Fills `row` in place, so that a row reused for the next object keeps the
// room its cells already have.
void FillRow(const FileList& files, size_t file, size_t index, const ObjectSorts& object, ShownNames* names,
             Table::Row* row) {
  auto& cells = row->fCells;
  SetNumber(cells[Table::kFile], static_cast<int64_t>(file));
  Set(cells[Table::kFileLine], files.Line(file).Text());
  Set(cells[Table::kEntry], files.Entry(file).Text());
  SetNumber(cells[Table::kObject], static_cast<int64_t>(index));
  Set(cells[Table::kObjectLine], object.fObject.fName.Text());
  SetNumber(cells[Table::kId], object.fObject.fId);
  if (object.fLoad == LoadResult::kNotFound) {
    for (int i = Table::kFunction; i < Table::kColumnCount; ++i) cells[i].reset();
    return;
  }
  const SortValues& sorts = object.fSorts;
  const ShownSorts& shown = names->For(sorts);
  SetNumber(cells[Table::kFunction], sorts.fFunction);
  Set(cells[Table::kFunctionName], shown.fFunction);
  SetNumber(cells[Table::kSubsort], sorts.fSubsort);
  Set(cells[Table::kSubsortName], shown.fSubsort);
  SetNumber(cells[Table::kRoom], sorts.fRoom);
  Set(cells[Table::kRoomName], shown.fRoom);
  SetNumber(cells[Table::kDowntown], sorts.fDowntown);
  Set(cells[Table::kDowntownBoxes], shown.fDowntown);
  Set(cells[Table::kInCatalogue], sorts.InBuyCatalogue() ? "yes" : "no");
}

void WriteObjectLine(const ObjectSorts& object, std::ostream& out) {
  out << "  " << object.fObject.fName.Text() << " (id " << object.fObject.fId << "): ";
  if (object.fLoad == LoadResult::kNotFound) {
    out << "sorts unreadable\n";
    return;
  }
  const SortValues& sorts = object.fSorts;
  const ShownSorts shown = ShownSortNames(sorts);
  out << "function " << ValueWithName(sorts.fFunction, shown.fFunction) << "; subsort "
      << ValueWithName(sorts.fSubsort, shown.fSubsort) << "; room " << ValueWithName(sorts.fRoom, shown.fRoom)
      << "; downtown " << ValueWithName(sorts.fDowntown, shown.fDowntown);
  if (!sorts.InBuyCatalogue()) out << "; not in the buy catalogue";
  out << '\n';
}

}  // namespace

CatalogueCommand::CatalogueCommand(CLI::App& app)
    : fCommand(app.add_subcommand("catalogue",
                                  "List every object of every file on the Files list with its sorts, "
                                  "as numbers and as the sort controls name them")) {
  CLI::Option* json = fCommand->add_flag("--json", fJson, "Print a JSON array of rows, which `apply` takes back");
  CLI::Option* csv =
      fCommand->add_flag("--csv", fCsv, "Print the rows as CSV for a spreadsheet (UTF-8), which `apply` takes back");
  json->excludes(csv);
  fCommand->footer(
      "Columns of --csv and --json: file, file_line, entry, object, object_line, id, function, function_name, "
      "subsort, subsort_name, room, room_name, downtown, downtown_boxes, in_catalogue.");
}

int CatalogueCommand::Run(std::ostream& out, std::ostream& err) {
  FixedStringBuffer<260> objectFolder;
  if (!LookUpObjectFolder(&objectFolder, err)) return 1;
  // The catalogue is one look at the game's files: paths are mapped through
  // the drive's root and folders as they were when it started. It changes
  // nothing, so a file moved meanwhile only shows as unreadable, as it would
  // a moment later.
  const platform::LookupBatch batch(platform::HostEnv::Current());
  FileList files;
  files.Fill(objectFolder);

  // CSV rows are written as they come, gathered into pieces of about
  // kCsvPiece bytes; JSON is written whole at the end.
  constexpr size_t kCsvPiece = 64 * 1024;
  CatalogueTable table;
  std::string csv;
  if (fCsv) CatalogueTable::WriteCsvHeader(out);
  Table::Row row;
  ShownNames names;
  std::vector<ObjectSorts> objects;
  for (size_t file = 0; file < files.Count(); ++file) {
    const StringBuffer& entry = files.Entry(file);
    if (ObjectFile::ListObjectsWithSorts(entry, &objects) != kResErrNone) {
      err << "velt-sort: " << entry.Text() << ": " << ObjectFileArgument::UnreadableReason(entry)
          << "; the organizer lists no objects for it\n";
    }
    if (!fJson && !fCsv) out << files.Line(file).Text() << " (" << entry.Text() << ")\n";
    for (size_t index = 0; index < objects.size(); ++index) {
      if (fCsv || fJson) FillRow(files, file, index, objects[index], &names, &row);
      if (fCsv) {
        CatalogueTable::AppendCsvRow(row, &csv);
        if (csv.size() >= kCsvPiece) {
          out.write(csv.data(), static_cast<std::streamsize>(csv.size()));
          csv.clear();
        }
      } else if (fJson) {
        table.Add(row);
      } else {
        WriteObjectLine(objects[index], out);
      }
    }
  }
  out.write(csv.data(), static_cast<std::streamsize>(csv.size()));
  if (fJson) table.WriteJson(out);
  return 0;
}
