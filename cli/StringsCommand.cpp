#include "cli/StringsCommand.h"

#include <nlohmann/json.hpp>

#include <memory>

#include "cli/FileArgument.h"
#include "cli/ReadOnlyIff.h"
#include "msrc/File/strset.h"
#include "msrc/Util/FixedStringBuffer.h"

namespace {

// Whether string `number` of `language` is the language's own and not a copy
// of the English one.
bool OwnString(const StringSet& set, int32_t number, int32_t language) {
  return language == StringSet::kLanguageEnglish || set.EntryLanguage(number, language) == language;
}

}  // namespace

StringsCommand::StringsCommand(CLI::App& app)
    : fCommand(app.add_subcommand("strings", "Show a string set of an IFF file, language by language")) {
  fCommand->add_option("FILE", fFile, "The IFF file (a host path, or a Windows-style path)")->required();
  fCommand->add_option("ID", fId, "The string set's resource id")->required()->check(CLI::Range(-32768, 32767));
  fCommand->add_flag("--json", fJson, "Print one JSON object");
}

int StringsCommand::Run(std::ostream& out, std::ostream& err) {
  FixedStringBuffer<260> path;
  if (!ResolveFileArgument(fFile, &path, err)) return 1;
  int32_t status = 0;
  std::unique_ptr<iResFile> file = OpenIffReadOnly(path, &status);
  if (!file) {
    err << "velt-sort: " << fFile
        << (status == kResErrNotIff ? ": not an IFF file of a version this program reads\n"
                                    : ": cannot be opened: it is missing or unreadable\n");
    return 1;
  }
  StringSet set;
  const int32_t loaded = set.Load(file.get(), static_cast<int16_t>(fId), true);
  if (loaded != 0) {
    err << "velt-sort: " << fFile << ": no string set with id " << fId << " (error " << loaded << ")\n";
    file->Close();
    return 1;
  }

  nlohmann::ordered_json languages = nlohmann::ordered_json::array();
  for (int32_t language = 0; language < StringSet::kMaxLanguages; ++language) {
    nlohmann::ordered_json strings = nlohmann::ordered_json::array();
    for (int32_t number = 1; number <= set.Count(language); ++number) {
      if (!OwnString(set, number, language)) continue;
      const char* text = set.GetString(number, language);
      const char* comment = set.GetComment(number, language);
      strings.push_back({{"index", number},
                         {"text", text != nullptr ? text : ""},
                         {"comment", comment != nullptr ? nlohmann::ordered_json(comment) : nullptr}});
    }
    if (strings.empty()) continue;
    // Stored language codes count from 1 (English).
    languages.push_back({{"language", language + 1}, {"strings", strings}});
  }
  file->Close();

  if (fJson) {
    const nlohmann::ordered_json report = {{"id", fId},
                                           {"name", set.Name().Text()},
                                           {"text", set.TextMode()},
                                           {"languages", languages}};
    out << report.dump(2, ' ', false, nlohmann::ordered_json::error_handler_t::replace) << '\n';
    return 0;
  }
  out << "string set " << fId << " \"" << set.Name().Text() << "\"" << (set.TextMode() ? " (text)" : "") << '\n';
  for (const auto& language : languages) {
    out << "language " << language["language"].get<int>()
        << (language["language"].get<int>() == 1 ? " (English)" : "") << ":\n";
    for (const auto& string : language["strings"]) {
      out << "  " << string["index"].get<int>() << ": " << string["text"].get<std::string>();
      // The stored layouts write a missing comment as an empty one.
      if (!string["comment"].is_null() && !string["comment"].get<std::string>().empty()) {
        out << "  -- " << string["comment"].get<std::string>();
      }
      out << '\n';
    }
  }
  return 0;
}
