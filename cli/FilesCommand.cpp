#include "cli/FilesCommand.h"

#include <nlohmann/json.hpp>

#include "app/core/FileList.h"
#include "cli/GameLookup.h"
#include "msrc/Util/FixedStringBuffer.h"

FilesCommand::FilesCommand(CLI::App& app)
    : fCommand(app.add_subcommand("files", "List the object files, as the organizer's Files list shows them")) {
  fCommand->add_flag("--json", fJson, "Print a JSON array of {\"line\", \"entry\"} objects");
}

int FilesCommand::Run(std::ostream& out, std::ostream& err) {
  FixedStringBuffer<260> objectFolder;
  if (!LookUpObjectFolder(&objectFolder, err)) return 1;
  FileList list;
  list.Fill(objectFolder);

  if (!fJson) {
    for (size_t i = 0; i < list.Count(); ++i) out << list.Line(i).Text() << '\n';
    return 0;
  }
  nlohmann::ordered_json files = nlohmann::ordered_json::array();
  for (size_t i = 0; i < list.Count(); ++i) {
    files.push_back({{"line", list.Line(i).Text()}, {"entry", list.Entry(i).Text()}});
  }
  // Names are the disk's raw bytes, not necessarily UTF-8; invalid sequences
  // come out as U+FFFD rather than failing the dump.
  out << files.dump(2, ' ', false, nlohmann::ordered_json::error_handler_t::replace) << '\n';
  return 0;
}
