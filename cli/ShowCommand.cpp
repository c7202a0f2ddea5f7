#include "cli/ShowCommand.h"

#include "cli/ObjectFileArgument.h"
#include "cli/SortText.h"

ShowCommand::ShowCommand(CLI::App& app)
    : fCommand(app.add_subcommand("show", "Show one object's sorts, named as the organizer's sort controls show "
                                          "them")) {
  fCommand
      ->add_option("FILE", fFile, "The object file, with or without \".iff\" (a host path, or a Windows-style path)")
      ->required();
  fCommand->add_option("ID", fId, "The object's resource id, as `objects` lists it")->required();
}

int ShowCommand::Run(std::ostream& out, std::ostream& err) {
  ObjectFileArgument file;
  if (!file.Load(fFile, err)) return 1;
  const ListedObject* object = file.Find(fId, err);
  if (object == nullptr) return 1;
  SortValues sorts;
  if (!file.ReadSorts(object->fId, &sorts, err)) return 1;

  out << object->fName.Text() << " (id " << object->fId << ")\n";
  if (!sorts.InBuyCatalogue()) out << kNotInCatalogueLine << '\n';
  WriteSortLines(sorts, out);
  return 0;
}
