#include "cli/CatalogueCommand.h"

#include <string>
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

Table::Row RowFor(const FileList& files, size_t file, size_t index, const ObjectSorts& object) {
  Table::Row row;
  row.fCells[Table::kFile] = std::to_string(file);
  row.fCells[Table::kFileLine] = files.Line(file).Text();
  row.fCells[Table::kEntry] = files.Entry(file).Text();
  row.fCells[Table::kObject] = std::to_string(index);
  row.fCells[Table::kObjectLine] = object.fObject.fName.Text();
  row.fCells[Table::kId] = std::to_string(object.fObject.fId);
  if (object.fLoad == LoadResult::kNotFound) return row;
  const SortValues& sorts = object.fSorts;
  const ShownSorts shown = ShownSortNames(sorts);
  row.fCells[Table::kFunction] = std::to_string(sorts.fFunction);
  row.fCells[Table::kFunctionName] = shown.fFunction;
  row.fCells[Table::kSubsort] = std::to_string(sorts.fSubsort);
  row.fCells[Table::kSubsortName] = shown.fSubsort;
  row.fCells[Table::kRoom] = std::to_string(sorts.fRoom);
  row.fCells[Table::kRoomName] = shown.fRoom;
  row.fCells[Table::kDowntown] = std::to_string(sorts.fDowntown);
  row.fCells[Table::kDowntownBoxes] = shown.fDowntown;
  row.fCells[Table::kInCatalogue] = sorts.InBuyCatalogue() ? "yes" : "no";
  return row;
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

  // CSV rows are written as they come; JSON is written whole at the end.
  CatalogueTable table;
  if (fCsv) CatalogueTable::WriteCsvHeader(out);
  std::vector<ObjectSorts> objects;
  for (size_t file = 0; file < files.Count(); ++file) {
    const StringBuffer& entry = files.Entry(file);
    if (ObjectFile::ListObjectsWithSorts(entry, &objects) != kResErrNone) {
      err << "velt-sort: " << entry.Text() << ": " << ObjectFileArgument::UnreadableReason(entry)
          << "; the organizer lists no objects for it\n";
    }
    if (!fJson && !fCsv) out << files.Line(file).Text() << " (" << entry.Text() << ")\n";
    for (size_t index = 0; index < objects.size(); ++index) {
      if (fCsv) {
        CatalogueTable::WriteCsvRow(RowFor(files, file, index, objects[index]), out);
      } else if (fJson) {
        table.Add(RowFor(files, file, index, objects[index]));
      } else {
        WriteObjectLine(objects[index], out);
      }
    }
  }
  if (fJson) table.WriteJson(out);
  return 0;
}
