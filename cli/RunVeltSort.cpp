#include "cli/RunVeltSort.h"

#include <CLI/CLI.hpp>

#include <memory>
#include <string>
#include <vector>

#include "app/core/BackupStore.h"
#include "cli/ApplyCommand.h"
#include "cli/CatalogueCommand.h"
#include "cli/CliCommand.h"
#include "cli/FilesCommand.h"
#include "cli/IffCommand.h"
#include "cli/ObjectsCommand.h"
#include "cli/RestoreCommand.h"
#include "cli/SetCommand.h"
#include "cli/ShowCommand.h"
#include "cli/StringsCommand.h"
#include "VeltVersion.h"

int RunVeltSort(int argc, const char* const* argv, std::ostream& out, std::ostream& err, bool errIsTerminal) {
  // The parser reads argv[0] as the program name; a caller without one gets
  // the default name and no arguments.
  static const char* const kNoArguments[] = {"velt-sort", nullptr};
  if (argc < 1 || argv == nullptr || argv[0] == nullptr) {
    argc = 1;
    argv = kNoArguments;
  }

  CLI::App app("Lists the object files of The Velt and changes their catalogue sorts.", "velt-sort");
  app.set_version_flag("--version", std::string("velt-sort ") + kVeltVersion);
  app.require_subcommand(1);
  bool noBackup = false;
  app.add_flag("--no-backup", noBackup,
               "Change files without first backing them up (a backup is otherwise made before the first change to "
               "each file in a run)");
  // Options of the program as a whole may follow the subcommand's own.
  app.fallthrough();
  std::vector<std::unique_ptr<CliCommand>> commands;
  commands.push_back(std::make_unique<FilesCommand>(app));
  commands.push_back(std::make_unique<IffCommand>(app));
  commands.push_back(std::make_unique<ObjectsCommand>(app));
  commands.push_back(std::make_unique<ShowCommand>(app));
  commands.push_back(std::make_unique<SetCommand>(app));
  commands.push_back(std::make_unique<RestoreCommand>(app));
  commands.push_back(std::make_unique<CatalogueCommand>(app));
  commands.push_back(std::make_unique<ApplyCommand>(app, errIsTerminal));
  commands.push_back(std::make_unique<StringsCommand>(app));

  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& e) {
    return app.exit(e, out, err);
  }
  // One call is one run: its backups, and whether it makes any, are its own.
  BackupStore run;
  run.SetEnabled(!noBackup);
  BackupStore* const previous = BackupStore::Install(&run);
  int code = 1;
  for (const std::unique_ptr<CliCommand>& command : commands) {
    if (command->Chosen()) {
      code = command->Run(out, err);
      break;
    }
  }
  BackupStore::Install(previous);
  return code;
}
