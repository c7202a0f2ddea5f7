#include "cli/IffCommand.h"

#include <nlohmann/json.hpp>

#include <cstdint>
#include <string>
#include <vector>

#include "cli/FileArgument.h"
#include "msrc/File/IFFFormat.h"
#include "msrc/File/IFFResFile2.h"
#include "msrc/File/ResMapEntry.h"
#include "msrc/Util/FixedStringBuffer.h"
#include "msrc/Util/rmemwrap.h"

namespace {

struct Listed {
  std::string type;
  int16_t id = 0;
  uint8_t language = 0;
  std::string name;
  int32_t size = -1;  // -1: the payload could not be read
  int32_t offset = -1;
  bool swizzled = false;
};

std::string TypeText(ResType type) {
  std::string text(4, ' ');
  for (int i = 0; i < 4; ++i) text[static_cast<size_t>(i)] = static_cast<char>(type >> (24 - 8 * i));
  return text;
}

// Every resource in index order; loading each one reads its payload size.
std::vector<Listed> ListResources(IFFResFile2& file) {
  std::vector<Listed> listed;
  const int16_t types = file.CountTypes();
  for (int16_t t = 1; t <= types; ++t) {
    const ResType type = file.GetIndType(t);
    const int16_t count = file.CountResources(type);
    for (int16_t i = 1; i <= count; ++i) {
      const ResMapEntry* entry = file.Map()->ByIndex(type, i);
      if (entry == nullptr) continue;
      Listed item;
      item.type = TypeText(type);
      item.id = entry->fId;
      item.language = entry->Language();
      item.name = entry->fName.Text();
      item.offset = entry->fOffset;
      item.swizzled = (entry->fStoredFlags & kSwizzled) != 0;
      if (MHandle handle = file.GetIndResource(type, i, nullptr)) item.size = GetMHandleSize(handle);
      listed.push_back(item);
    }
  }
  return listed;
}

}  // namespace

IffCommand::IffCommand(CLI::App& app)
    : fCommand(app.add_subcommand("iff", "Show an IFF file as the resource layer sees it")) {
  fCommand->add_option("FILE", fFile, "The IFF file (a host path, or a Windows-style path)")->required();
  fCommand->add_flag("--json", fJson, "Print one JSON object");
}

int IffCommand::Run(std::ostream& out, std::ostream& err) {
  FixedStringBuffer<260> path;
  if (!ResolveFileArgument(fFile, &path, err)) return 1;

  IFFResFile2 file;
  const int32_t status = file.Open(path);
  if (status == kResErrNotIff) {
    err << "velt-sort: " << fFile << ": not an IFF file of a version this program reads\n";
    return 1;
  }
  if (status != 0) {
    err << "velt-sort: " << fFile << ": cannot be opened: it is missing, unreadable or held by another program (error "
        << status << ")\n";
    return 1;
  }
  const int32_t mapOffset = file.MapOffset();
  const std::string version = file.OpenedVersion() == 25 ? "2.5" : "2.0";
  const std::vector<Listed> listed = ListResources(file);
  file.Close();

  if (!fJson) {
    out << "generation 2, version " << version << ", map offset " << mapOffset << '\n';
    for (const Listed& item : listed) {
      out << item.type << ' ' << item.id << " language " << static_cast<int>(item.language) << ' ';
      if (item.size < 0) {
        out << "(unreadable)";
      } else {
        out << item.size << " bytes";
      }
      out << " at " << item.offset << (item.swizzled ? " swizzled" : "") << " \"" << item.name << "\"\n";
    }
    return 0;
  }
  nlohmann::ordered_json resources = nlohmann::ordered_json::array();
  for (const Listed& item : listed) {
    nlohmann::ordered_json resource = {{"type", item.type},
                                       {"id", item.id},
                                       {"language", item.language},
                                       {"name", item.name}};
    resource["size"] = item.size < 0 ? nlohmann::ordered_json(nullptr) : nlohmann::ordered_json(item.size);
    resource["offset"] = item.offset;
    resource["swizzled"] = item.swizzled;
    resources.push_back(resource);
  }
  const nlohmann::ordered_json report = {
      {"generation", 2}, {"version", version}, {"map_offset", mapOffset}, {"resources", resources}};
  // Names and type codes are raw bytes; invalid UTF-8 comes out as U+FFFD.
  out << report.dump(2, ' ', false, nlohmann::ordered_json::error_handler_t::replace) << '\n';
  return 0;
}
