#include "cli/SetCommand.h"

#include "app/core/ObjectFile.h"
#include "cli/ObjectFileArgument.h"
#include "cli/SortOption.h"
#include "cli/SortText.h"

namespace {

// Replaces `*value` when the option was given; false with the reason on err.
bool Apply(const CLI::Option* given, SortOption option, const std::string& text, int32_t functionSort, int32_t* value,
           std::ostream& err) {
  if (given->count() == 0) return true;
  std::string error;
  if (ParseSortOption(option, text, functionSort, value, &error)) return true;
  err << "velt-sort: " << error << '\n';
  return false;
}

}  // namespace

SetCommand::SetCommand(CLI::App& app)
    : fCommand(app.add_subcommand("set", "Change one object's sorts and save them, as the organizer's Save does")) {
  fCommand
      ->add_option("FILE", fFile, "The object file, with or without \".iff\" (a host path, or a Windows-style path)")
      ->required();
  fCommand->add_option("ID", fId, "The object's resource id, as `objects` lists it")->required();
  fFunctionOption = fCommand->add_option("--function", fFunction, "Function sort: a name such as Seating, or a number");
  fSubsortOption = fCommand->add_option(
      "--subsort", fSubsort, "Subsort: a name from the list of the (new) function sort, such as Sofas, or a number");
  fRoomOption = fCommand->add_option("--room", fRoom, "Room sort: a name such as Kitchen, or a number");
  fDowntownOption = fCommand->add_option(
      "--downtown", fDowntown,
      "Downtown sort: the boxes to tick, comma-separated (Dining, Outdoor, Shopping, Street, Other; an empty list "
      "ticks none), or a number");
  fCommand->footer(
      "Numbers are decimal, from -32768 to 65535, and are stored as given. An object whose room sort and function "
      "sort are both 0 is not in the buy catalogue; the organizer disables its sort controls, and set refuses it "
      "too. The file's bytes are backed up before it is changed (see restore), unless --no-backup is given.");
}

int SetCommand::Run(std::ostream& out, std::ostream& err) {
  ObjectFileArgument file;
  if (!file.Load(fFile, err)) return 1;
  const ListedObject* object = file.Find(fId, err);
  if (object == nullptr) return 1;
  SortValues stored;
  if (!file.ReadSorts(object->fId, &stored, err)) return 1;
  if (!stored.InBuyCatalogue()) {
    err << "velt-sort: " << fFile << ": object " << object->fId << " is " << kNotInCatalogueLine
        << "; its sorts are left as they are\n";
    return 1;
  }
  if (fFunctionOption->count() + fSubsortOption->count() + fRoomOption->count() + fDowntownOption->count() == 0) {
    err << "velt-sort: nothing to change: give --function, --subsort, --room or --downtown\n";
    return 1;
  }

  SortValues wanted = stored;
  if (!Apply(fFunctionOption, SortOption::kFunction, fFunction, 0, &wanted.fFunction, err) ||
      !Apply(fSubsortOption, SortOption::kSubsort, fSubsort, wanted.fFunction, &wanted.fSubsort, err) ||
      !Apply(fRoomOption, SortOption::kRoom, fRoom, 0, &wanted.fRoom, err) ||
      !Apply(fDowntownOption, SortOption::kDowntown, fDowntown, 0, &wanted.fDowntown, err)) {
    return 1;
  }

  const SaveResult result = ObjectFile::SaveSorts(file.Entry(), object->fId, wanted);
  if (result.fStatus == SaveResult::Status::kNotFound) {
    err << "velt-sort: " << fFile << ": object " << object->fId << " is no longer in the file; nothing was saved\n";
    return 1;
  }
  if (!result.Succeeded()) {
    err << "velt-sort: " << fFile << ": " << result.fReason << '\n';
    if (result.fStage == SaveResult::Stage::kBackup) err << "velt-sort: to save without a backup, give --no-backup\n";
    return 1;
  }
  // The sorts are in the file; what went wrong after them is said all the
  // same.
  if (result.fStatus == SaveResult::Status::kSavedWithWarning)
    err << "velt-sort: " << fFile << ": " << result.fReason << '\n';

  // What the file holds now: the low 16 bits of each value, read back signed.
  SortValues saved;
  if (ObjectFile::LoadSorts(file.Entry(), object->fId, &saved) == LoadResult::kNotFound) {
    saved = {static_cast<int16_t>(wanted.fDowntown), static_cast<int16_t>(wanted.fRoom),
             static_cast<int16_t>(wanted.fSubsort), static_cast<int16_t>(wanted.fFunction)};
  }
  out << "Saved " << object->fName.Text() << " (id " << object->fId << ").\n";
  if (!saved.InBuyCatalogue()) out << kNotInCatalogueLine << '\n';
  WriteSortLines(saved, out);
  return 0;
}
