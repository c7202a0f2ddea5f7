#include "cli/ApplyCommand.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <string_view>
#include <vector>

#include "app/core/FileList.h"
#include "app/core/ObjectFile.h"
#include "cli/CatalogueEdit.h"
#include "cli/CatalogueTable.h"
#include "cli/GameLookup.h"
#include "cli/ObjectFileArgument.h"
#include "cli/ProgressLine.h"
#include "cli/SortText.h"
#include "msrc/File/resfile.h"
#include "msrc/Util/FixedStringBuffer.h"

namespace {

using Table = CatalogueTable;

// One object whose sorts a row changes.
struct Change {
  ListedObject fObject;
  SortValues fStored;
  SortValues fWanted;
};

// What the check found for one file the table names.
struct FilePlan {
  bool fListed = false;
  std::vector<ObjectSorts> fObjects;
  std::vector<Change> fChanges;
};

// The object a row names, as far as the check could tell.
struct Target {
  bool fFound = false;  // the entry is on the Files list and the id reads
  size_t fFile = 0;
  int16_t fId = 0;
};

struct Problem {
  int32_t fRow;
  std::string fText;
};

// The first row that asked for an object's sorts, and what it asked.
struct Asked {
  int32_t fRow;
  SortValues fWanted;
};

bool ReadTableFile(const std::string& name, std::string* text) {
  std::ifstream in(std::filesystem::path(std::u8string(name.begin(), name.end())), std::ios::binary);
  if (!in) return false;
  text->assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  return !in.bad();
}

// An entry as a table holds it: valid UTF-8; letter case does not count.
std::string EntryKey(std::string_view entry) {
  std::string key = Table::Utf8(entry);
  for (char& c : key) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return key;
}

// The values as the record keeps them: the low 16 bits, read back signed.
SortValues AsStored(const SortValues& values) {
  return {static_cast<int16_t>(values.fDowntown), static_cast<int16_t>(values.fRoom),
          static_cast<int16_t>(values.fSubsort), static_cast<int16_t>(values.fFunction)};
}

// "function 1 (Seating) -> 2 (Surfaces); room ...": the sorts that change.
std::string ChangeText(const Change& change) {
  const ShownSorts before = ShownSortNames(change.fStored);
  const ShownSorts after = ShownSortNames(change.fWanted);
  const struct {
    const char* label;
    int32_t SortValues::*field;
    std::string ShownSorts::*shown;
  } sorts[] = {{"function", &SortValues::fFunction, &ShownSorts::fFunction},
               {"subsort", &SortValues::fSubsort, &ShownSorts::fSubsort},
               {"room", &SortValues::fRoom, &ShownSorts::fRoom},
               {"downtown", &SortValues::fDowntown, &ShownSorts::fDowntown}};
  std::string text;
  for (const auto& sort : sorts) {
    if (change.fStored.*sort.field == change.fWanted.*sort.field) continue;
    if (!text.empty()) text += "; ";
    text += std::string(sort.label) + " " + ValueWithName(change.fStored.*sort.field, before.*sort.shown) + " -> " +
            ValueWithName(change.fWanted.*sort.field, after.*sort.shown);
  }
  return text;
}

// "1 object", "2 objects".
std::string Counted(size_t count, const char* thing) {
  return std::to_string(count) + " " + thing + (count == 1 ? "" : "s");
}

std::string ObjectText(const StringBuffer& entry, const ListedObject& object) {
  return std::string(entry.Text()) + ": " + object.fName.Text() + " (id " + std::to_string(object.fId) + ")";
}

}  // namespace

ApplyCommand::ApplyCommand(CLI::App& app, bool terminal)
    : fCommand(app.add_subcommand("apply",
                                  "Save the sorts of an edited `catalogue --csv` or `--json` table, as the "
                                  "organizer's Save does")),
      fTerminal(terminal) {
  fCommand->add_option("TABLE", fTable, "The table: CSV or JSON, as `catalogue` wrote it, edited")->required();
  fCommand->add_flag("--dry-run", fDryRun, "Print what would change, and write nothing");
  fCommand->footer(
      "Rows name their objects by entry and id. For each sort edit its number or its name (function_name, "
      "subsort_name, room_name, downtown_boxes) and empty the other, or edit both to agree; an empty cell is not "
      "read. Rows whose objects already have their sorts are skipped, and nothing is written while any row is bad.");
}

int ApplyCommand::Run(std::ostream& out, std::ostream& err) {
  std::string text;
  if (!ReadTableFile(fTable, &text)) {
    err << "velt-sort: " << fTable << ": cannot be read\n";
    return 1;
  }
  Table table;
  std::string error;
  if (!table.Read(text, &error)) {
    err << "velt-sort: " << fTable << ": " << error << '\n';
    return 1;
  }
  for (const Table::Column column : {Table::kEntry, Table::kId}) {
    if (!table.Rows().empty() && !table.HasColumn(column)) {
      err << "velt-sort: " << fTable << ": the table has no column " << Table::ColumnName(column)
          << "; entry and id name each row's object\n";
      return 1;
    }
  }
  FixedStringBuffer<260> objectFolder;
  if (!LookUpObjectFolder(&objectFolder, err)) return 1;
  FileList files;
  files.Fill(objectFolder);
  std::map<std::string, std::vector<size_t>> byEntry;
  for (size_t file = 0; file < files.Count(); ++file) byEntry[EntryKey(files.Entry(file).Text())].push_back(file);

  // Which object each row names.
  std::vector<Problem> problems;
  std::vector<Target> targets(table.Rows().size());
  std::map<size_t, FilePlan> plans;
  for (size_t r = 0; r < table.Rows().size(); ++r) {
    const Table::Row& row = table.Rows()[r];
    const std::string entry = row.fCells[Table::kEntry].value_or("");
    const auto found = byEntry.find(EntryKey(entry));
    if (found == byEntry.end()) {
      problems.push_back({row.fNumber, "no file on the Files list has the entry \"" + entry + "\""});
      continue;
    }
    if (found->second.size() > 1) {
      problems.push_back({row.fNumber, "the entry \"" + entry +
                                           "\" names several files on the Files list, whose names differ only in "
                                           "bytes that are not UTF-8"});
      continue;
    }
    const std::string id = row.fCells[Table::kId].value_or("");
    if (!ObjectFileArgument::ParseId(id, &targets[r].fId)) {
      problems.push_back({row.fNumber, "\"" + id + "\" is not an object id (a whole number from -32768 to 32767)"});
      continue;
    }
    targets[r].fFound = true;
    targets[r].fFile = found->second.front();
    plans[targets[r].fFile];
  }

  ProgressLine progress(err, out, fTerminal);
  progress.Start("Checking", plans.size());
  size_t done = 0;
  for (auto& [file, plan] : plans) {
    progress.Show(done++);
    plan.fListed = ObjectFile::ListObjectsWithSorts(files.Entry(file), &plan.fObjects) == kResErrNone;
  }
  progress.Clear();

  // What each row asks for. A file whose objects cannot be read is reported
  // below; its rows are still checked for what can be checked without it.
  std::map<std::pair<size_t, int16_t>, Asked> asked;
  for (size_t r = 0; r < table.Rows().size(); ++r) {
    if (!targets[r].fFound) continue;
    const Table::Row& row = table.Rows()[r];
    FilePlan& plan = plans[targets[r].fFile];
    const StringBuffer& entry = files.Entry(targets[r].fFile);
    const auto object = std::find_if(plan.fObjects.begin(), plan.fObjects.end(),
                                     [&](const ObjectSorts& o) { return o.fObject.fId == targets[r].fId; });
    if (plan.fListed && object == plan.fObjects.end()) {
      problems.push_back(
          {row.fNumber, std::string(entry.Text()) + ": " + ObjectFileArgument::WhyNotListed(entry, targets[r].fId)});
      continue;
    }
    const SortValues stored = plan.fListed ? object->fSorts : CatalogueEdit::Written(row);
    SortValues wanted;
    std::vector<std::string> sortProblems;
    const bool read = CatalogueEdit::Wanted(row, stored, &wanted, &sortProblems);
    wanted = AsStored(wanted);
    if (plan.fListed && object->fLoad == LoadResult::kNotInCatalogue && (!read || wanted != stored)) {
      problems.push_back({row.fNumber, ObjectText(entry, object->fObject) + " is " + kNotInCatalogueLine +
                                           "; its sorts are left as they are"});
      continue;
    }
    if (!read) {
      for (const std::string& problem : sortProblems) problems.push_back({row.fNumber, problem});
      continue;
    }
    if (!plan.fListed) continue;
    const auto [first, isFirst] = asked.insert({{targets[r].fFile, targets[r].fId}, {row.fNumber, wanted}});
    if (!isFirst) {
      if (!(first->second.fWanted == wanted)) {
        problems.push_back({row.fNumber, "asks other sorts of " + ObjectText(entry, object->fObject) + " than row " +
                                             std::to_string(first->second.fRow)});
      }
      continue;
    }
    if (wanted == stored) continue;
    if (object->fLoad == LoadResult::kNotFound) {
      problems.push_back({row.fNumber, "the sorts of " + ObjectText(entry, object->fObject) + " cannot be read"});
    } else {
      plan.fChanges.push_back({object->fObject, stored, wanted});
    }
  }

  if (!problems.empty()) {
    std::stable_sort(problems.begin(), problems.end(),
                     [](const Problem& a, const Problem& b) { return a.fRow < b.fRow; });
    size_t rows = 0;
    for (size_t i = 0; i < problems.size(); ++i) {
      if (i == 0 || problems[i].fRow != problems[i - 1].fRow) ++rows;
      err << "velt-sort: " << fTable << ": row " << problems[i].fRow << ": " << problems[i].fText << '\n';
    }
    err << "velt-sort: " << fTable << ": nothing was written: " << Counted(rows, "row") << " with problems\n";
    return 1;
  }

  size_t failedFiles = 0;
  size_t changingFiles = 0;
  size_t changes = 0;
  for (const auto& [file, plan] : plans) {
    if (!plan.fListed) {
      ++failedFiles;
      err << "velt-sort: " << files.Entry(file).Text() << ": "
          << ObjectFileArgument::UnreadableReason(files.Entry(file)) << "; none of its rows were applied\n";
    }
    changingFiles += plan.fChanges.empty() ? 0 : 1;
    changes += plan.fChanges.size();
  }
  if (changes == 0) {
    out << "Nothing to change: every object already has the sorts of its row.\n";
    return failedFiles == 0 ? 0 : 1;
  }
  if (fDryRun) {
    for (const auto& [file, plan] : plans) {
      for (const Change& change : plan.fChanges)
        out << ObjectText(files.Entry(file), change.fObject) << ": " << ChangeText(change) << '\n';
    }
    out << "Would change " << Counted(changes, "object") << " in " << Counted(changingFiles, "file")
        << "; nothing was written.\n";
    return failedFiles == 0 ? 0 : 1;
  }

  size_t saved = 0;
  size_t savedFiles = 0;
  size_t unsaved = 0;
  size_t unsavedFiles = 0;
  progress.Start("Saving", changingFiles);
  done = 0;
  for (const auto& [file, plan] : plans) {
    if (plan.fChanges.empty()) continue;
    progress.Show(done++);
    const StringBuffer& entry = files.Entry(file);
    std::vector<SortChange> writes;
    for (const Change& change : plan.fChanges) writes.push_back({change.fObject.fId, change.fWanted});
    const std::vector<SaveResult> results = ObjectFile::SaveSorts(entry, writes);
    progress.Clear();

    // A file that refused every change for one reason is named once.
    const bool oneReason = std::all_of(results.begin(), results.end(), [&](const SaveResult& result) {
      return result.fStatus == SaveResult::Status::kFailed && result.fReason == results.front().fReason;
    });
    if (oneReason) {
      err << "velt-sort: " << entry.Text() << ": " << results.front().fReason << " ("
          << Counted(results.size(), "object") << " not saved)\n";
    }
    size_t fileSaved = 0;
    for (size_t i = 0; i < results.size(); ++i) {
      const Change& change = plan.fChanges[i];
      const SaveResult& result = results[i];
      if (result.Succeeded()) {
        ++fileSaved;
        out << ObjectText(entry, change.fObject) << ": " << ChangeText(change) << '\n';
        // The sorts are in the file; what went wrong after them is said
        // all the same.
        if (result.fStatus == SaveResult::Status::kSavedWithWarning)
          err << "velt-sort: " << ObjectText(entry, change.fObject) << ": " << result.fReason << '\n';
        continue;
      }
      if (oneReason) continue;
      err << "velt-sort: " << ObjectText(entry, change.fObject) << ": "
          << (result.fStatus == SaveResult::Status::kNotFound ? "the object is no longer in the file; nothing was saved"
                                                              : result.fReason)
          << '\n';
    }
    saved += fileSaved;
    savedFiles += fileSaved == 0 ? 0 : 1;
    unsaved += results.size() - fileSaved;
    unsavedFiles += fileSaved == results.size() ? 0 : 1;
  }
  progress.Clear();
  out << "Changed " << Counted(saved, "object") << " in " << Counted(savedFiles, "file") << ".\n";
  if (unsaved == 0 && failedFiles == 0) return 0;
  err << "velt-sort: not everything was applied:";
  if (unsaved != 0) err << ' ' << Counted(unsaved, "object") << " in " << Counted(unsavedFiles, "file") << " not saved";
  if (unsaved != 0 && failedFiles != 0) err << ';';
  if (failedFiles != 0) err << ' ' << Counted(failedFiles, "file") << " not read";
  err << '\n';
  return 1;
}
