#include "cli/IffCommand.h"

#include <nlohmann/json.hpp>

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "cli/FileArgument.h"
#include "cli/ReadOnlyIff.h"
#include "msrc/File/IFFFormat.h"
#include "msrc/File/IFFNameList.h"
#include "msrc/File/IFFResFile.h"
#include "msrc/File/IFFResFile2.h"
#include "msrc/File/ResCache.h"
#include "msrc/File/ResMapEntry.h"
#include "msrc/File/TypeCache.h"
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

struct Report {
  int generation = 0;
  std::string version;
  std::optional<int32_t> mapOffset;  // generation 1 files have no map
  std::vector<Listed> resources;
};

std::string TypeText(ResType type) {
  std::string text(4, ' ');
  for (int i = 0; i < 4; ++i) text[static_cast<size_t>(i)] = static_cast<char>(type >> (24 - 8 * i));
  return text;
}

// Every resource in index order; loading each one gives its payload size.
void ListMapped(IFFResFile2& file, Report* report) {
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
      report->resources.push_back(item);
    }
  }
}

// The application's resources in index order (newest first, as the caches
// grow at the front); the internal names cache is not among them.
void ListBlocks(IFFResFile& file, Report* report) {
  for (const TypeCache* type = file.FirstType(); type != nullptr; type = type->fNext.get()) {
    const int32_t count = type->Count();
    for (int32_t i = 1; i <= count; ++i) {
      const ResCache* resource = type->ByIndex(i);
      if (resource == nullptr) continue;
      Listed item;
      item.type = TypeText(type->fType);
      item.id = resource->fId;
      if (const IFFNameList::Entry* name =
              file.NameList() != nullptr ? file.NameList()->FindKey(resource->fNameIndex) : nullptr) {
        item.name = name->fName.Text();
      }
      item.offset = resource->fFileOffset;
      item.swizzled = (resource->fFlags & kSwizzled) != 0;
      if (MHandle handle = file.GetIndResource(type->fType, static_cast<int16_t>(i), nullptr)) {
        item.size = GetMHandleSize(handle);
      }
      report->resources.push_back(item);
    }
  }
}

// Reads the file as one generation or the other; 0, or why it could not be
// opened (kResErrNotIff when it is an IFF file of neither kind).
int32_t ReadFile(const StringBuffer& path, Report* report) {
  int32_t status = 0;
  std::unique_ptr<iResFile> file = OpenIffReadOnly(path, &status);
  if (!file) return status;
  if (auto* mapped = dynamic_cast<IFFResFile2*>(file.get())) {
    report->generation = 2;
    report->version = mapped->OpenedVersion() == 25 ? "2.5" : "2.0";
    report->mapOffset = mapped->MapOffset();
    ListMapped(*mapped, report);
  } else if (auto* blocks = dynamic_cast<IFFResFile*>(file.get())) {
    report->generation = 1;
    report->version = "1.0";
    ListBlocks(*blocks, report);
  }
  file->Close();
  return 0;
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

  Report report;
  const int32_t status = ReadFile(path, &report);
  if (status == kResErrNotIff) {
    err << "velt-sort: " << fFile << ": not an IFF file of a version this program reads\n";
    return 1;
  }
  if (status != 0) {
    err << "velt-sort: " << fFile << ": cannot be opened: it is missing or unreadable (error " << status << ")\n";
    return 1;
  }

  if (!fJson) {
    out << "generation " << report.generation << ", version " << report.version;
    if (report.mapOffset) out << ", map offset " << *report.mapOffset;
    out << '\n';
    for (const Listed& item : report.resources) {
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
  for (const Listed& item : report.resources) {
    nlohmann::ordered_json resource = {
        {"type", item.type}, {"id", item.id}, {"language", item.language}, {"name", item.name}};
    resource["size"] = item.size < 0 ? nlohmann::ordered_json(nullptr) : nlohmann::ordered_json(item.size);
    resource["offset"] = item.offset;
    resource["swizzled"] = item.swizzled;
    resources.push_back(resource);
  }
  const nlohmann::ordered_json json = {
      {"generation", report.generation},
      {"version", report.version},
      {"map_offset", report.mapOffset ? nlohmann::ordered_json(*report.mapOffset) : nlohmann::ordered_json(nullptr)},
      {"resources", resources}};
  // Names and type codes are raw bytes; invalid UTF-8 comes out as U+FFFD.
  out << json.dump(2, ' ', false, nlohmann::ordered_json::error_handler_t::replace) << '\n';
  return 0;
}
