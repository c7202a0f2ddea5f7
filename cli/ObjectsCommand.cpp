#include "cli/ObjectsCommand.h"

#include <nlohmann/json.hpp>

#include "app/core/ObjectFile.h"
#include "cli/ObjectFileArgument.h"

ObjectsCommand::ObjectsCommand(CLI::App& app)
    : fCommand(app.add_subcommand("objects", "List the objects of one object file, as the organizer's Objects list "
                                             "shows them, with their sort values")) {
  fCommand
      ->add_option("FILE", fFile, "The object file, with or without \".iff\" (a host path, or a Windows-style path)")
      ->required();
  fCommand->add_flag("--json", fJson,
                     "Print a JSON array of {\"line\", \"id\", \"room\", \"function\", \"subsort\", \"downtown\"} "
                     "objects");
}

int ObjectsCommand::Run(std::ostream& out, std::ostream& err) {
  ObjectFileArgument file;
  if (!file.Load(fFile, err)) return 1;

  nlohmann::ordered_json objects = nlohmann::ordered_json::array();
  for (const ListedObject& object : file.Objects()) {
    SortValues sorts;
    const bool read = ObjectFile::LoadSorts(file.Entry(), object.fId, &sorts) != LoadResult::kNotFound;
    if (!fJson) {
      out << object.fName.Text() << " (id " << object.fId << "): ";
      if (read) {
        out << "room " << sorts.fRoom << ", function " << sorts.fFunction << ", subsort " << sorts.fSubsort
            << ", downtown " << sorts.fDowntown << '\n';
      } else {
        out << "sorts unreadable\n";
      }
      continue;
    }
    nlohmann::ordered_json line = {{"line", object.fName.Text()}, {"id", object.fId}};
    for (const auto& [key, value] : {std::pair{"room", sorts.fRoom}, std::pair{"function", sorts.fFunction},
                                     std::pair{"subsort", sorts.fSubsort}, std::pair{"downtown", sorts.fDowntown}}) {
      line[key] = read ? nlohmann::ordered_json(value) : nlohmann::ordered_json(nullptr);
    }
    objects.push_back(line);
  }
  // Names are the file's raw bytes; invalid UTF-8 comes out as U+FFFD.
  if (fJson) out << objects.dump(2, ' ', false, nlohmann::ordered_json::error_handler_t::replace) << '\n';
  return 0;
}
