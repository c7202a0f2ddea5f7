// The demo's sample object files as the organizer sees them: through the
// platform layer, the file list and the object list of the core.
#include "tools/demo/DemoSamples.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <random>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "app/core/FileList.h"
#include "app/core/ObjectFile.h"
#include "msrc/Objects/ObjDefinition.h"
#include "msrc/Util/FixedStringBuffer.h"
#include "platform/HostEnv.h"
#include "platform/PosixHostEnv.h"
#include "tests/msrc/File/IFF2Reader.h"
#include "tools/demo/DemoCatalogue.h"
#include "tools/demo/DemoPrefix.h"

namespace tools {
namespace {

namespace fs = std::filesystem;

constexpr const char* kObjectFolder = "C:\\Program Files (x86)\\Korva\\The Velt\\GameData\\UserObjects\\";
constexpr const char* kListedFolder = "c:\\program files (x86)\\korva\\the velt\\gamedata\\userobjects\\";

std::string ReadBytes(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

int32_t Read32(const std::string& bytes, size_t at) {
  uint32_t value = 0;
  for (size_t i = 0; i < 4; ++i) value |= static_cast<uint32_t>(static_cast<uint8_t>(bytes.at(at + i))) << (8 * i);
  return static_cast<int32_t>(value);
}

struct Line {
  int16_t id;
  std::string name;
  SortValues sorts;
  bool operator==(const Line&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Line& line) {
  return out << line.id << ":" << line.name << " r" << line.sorts.fRoom << " f" << line.sorts.fFunction << " s"
             << line.sorts.fSubsort << " d" << line.sorts.fDowntown;
}

class DemoSamplesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    fPrefix = fs::path(::testing::TempDir()) / ("velt-demo-samples-" + std::to_string(std::random_device{}()));
    fs::remove_all(fPrefix);
    std::string error;
    ASSERT_TRUE(MakeDemoPrefix(fPrefix, &error, &fWritten)) << error;
    // The saves' backups stay in the scratch folder too.
    fHost = std::make_unique<platform::PosixHostEnv>(fPrefix.string(), (fPrefix / "velt-organizer").string());
    fPrevious = platform::HostEnv::Replace(fHost.get());
  }
  void TearDown() override {
    platform::HostEnv::Replace(fPrevious);
    // Removing a read-only file needs only its folder to be writable.
    std::error_code ignored;
    fs::remove_all(fPrefix, ignored);
  }

  fs::path Sample(const char* relative) const { return DemoGameFolder(fPrefix) / relative; }

  static FixedStringBuffer<260> Entry(const std::string& relative) {
    return FixedStringBuffer<260>((std::string(kListedFolder) + relative).c_str());
  }

  // The object list of a file with each object's sorts, as the organizer
  // loads them.
  static std::vector<Line> ObjectLines(const StringBuffer& entry) {
    std::vector<ListedObject> objects;
    EXPECT_EQ(ObjectFile::ListObjects(entry, &objects), 0) << entry.Text();
    std::vector<Line> lines;
    for (const ListedObject& object : objects) {
      Line line{object.fId, object.fName.Text(), {}};
      EXPECT_NE(ObjectFile::LoadSorts(entry, object.fId, &line.sorts), LoadResult::kNotFound);
      lines.push_back(line);
    }
    return lines;
  }

  fs::path fPrefix;
  int fWritten = 0;
  std::unique_ptr<platform::PosixHostEnv> fHost;
  platform::HostEnv* fPrevious = nullptr;
};

TEST_F(DemoSamplesTest, EverySampleIsWrittenOnceAndNoTemporaryFileStays) {
  EXPECT_EQ(fWritten, static_cast<int>(DemoObjectFiles().size() + DemoArchives().size()));
  for (const DemoFile& file : DemoObjectFiles()) {
    const fs::path path = Sample(file.fPath);
    ASSERT_TRUE(fs::is_regular_file(path)) << path;
    // The exact spelling reaches the disk.
    EXPECT_EQ(path.filename(), fs::path(file.fPath).filename());
    const bool writable = (fs::status(path).permissions() & fs::perms::owner_write) != fs::perms::none;
    EXPECT_EQ(writable, !file.fReadOnly) << path;
    EXPECT_EQ(IFF2Reader(ReadBytes(path)).Version(), "2.5") << path;
  }
  for (const auto& entry : fs::recursive_directory_iterator(fPrefix / "drive_c")) {
    EXPECT_EQ(entry.path().string().find(".velt-demo-new"), std::string::npos) << entry.path();
  }
}

TEST_F(DemoSamplesTest, TheFileListShowsTheWritableObjectFilesOnly) {
  FileList list;
  list.Fill(FixedStringBuffer<260>(kObjectFolder));
  std::vector<std::string> lines;
  for (size_t i = 0; i < list.Count(); ++i) lines.emplace_back(list.Line(i).Text());
  // Ordered by full path: the Downloads files first, then the object folder;
  // the read-only lamp and the archive's members are not there.
  const std::vector<std::string> expected = {
      "folding picnic table", "garden swing seat", "bathroom suite", "brass bedroom", "comfy armchair",
      "art and plants",       "oak dining set",    "gadgets",        "hobby corner",  "kitchen basics",
      "lamp collection",      "oddities",          "big sofa",       "rolltop desk",
  };
  EXPECT_EQ(lines, expected);
  EXPECT_EQ(std::string(list.Entry(12).Text()), std::string(kListedFolder) + "sofas\\big sofa");
}

TEST_F(DemoSamplesTest, ObjectListsShowLeadsAndStandAloneDefinitions) {
  EXPECT_EQ(ObjectLines(Entry("sofas\\big sofa")), (std::vector<Line>{{128, "Big Sofa", {0, 8, 4, 1}}}));
  EXPECT_EQ(ObjectLines(Entry("electronics\\gadgets")), (std::vector<Line>{
                                                            {128, "Arcade Cabinet", {10, 8, 1, 8}},
                                                            {129, "Flat Screen TV", {0, 8, 2, 8}},
                                                            {130, "Hi-Fi Stereo", {128, 8, 4, 8}},
                                                            {131, "Rotary Wall Phone", {0, 1, 8, 8}},
                                                            {132, "Weather Radio", {304, 33, 16, 8}},
                                                        }));
  const std::vector<Line> odd = ObjectLines(Entry("oddities"));
  ASSERT_EQ(odd.size(), 3u);
  EXPECT_EQ(odd[0], (Line{128, "Mystery Combo Unit", {0, 8, 1, 3}}));
  EXPECT_FALSE(odd[1].sorts.InBuyCatalogue()) << odd[1];
  EXPECT_EQ(odd[2], (Line{130, "Antique Writing Desk", {0, 128, 8, 2}}));
}

TEST_F(DemoSamplesTest, EveryFunctionSortHasEachOfItsSubsortsSomewhere) {
  FileList list;
  list.Fill(FixedStringBuffer<260>(kObjectFolder));
  std::set<std::pair<int32_t, int32_t>> found;
  for (size_t i = 0; i < list.Count(); ++i) {
    for (const Line& line : ObjectLines(list.Entry(i))) found.insert({line.sorts.fFunction, line.sorts.fSubsort});
  }
  for (int32_t function = 1; function <= 128; function *= 2) {
    for (int32_t subsort = 1; subsort <= 16; subsort *= 2) {
      EXPECT_EQ(found.count({function, subsort}), 1u) << "function " << function << " subsort " << subsort;
    }
  }
}

TEST_F(DemoSamplesTest, TheOlderRecordIsShortUntilTheOrganizerSavesIt) {
  const fs::path path = Sample("GameData/UserObjects/Oddities.iff");
  std::string record;
  for (const IFF2Reader::Block& block : IFF2Reader(ReadBytes(path)).Resources()) {
    if (block.type == "OBJD" && block.id == 130) record = block.payload;
  }
  ASSERT_EQ(record.size(), 200u);
  EXPECT_EQ(Read32(record, 0), 136);

  SortValues sorts;
  ASSERT_EQ(ObjectFile::LoadSorts(Entry("oddities"), 130, &sorts), LoadResult::kLoaded);
  sorts.fRoom = 1;
  ASSERT_TRUE(ObjectFile::SaveSorts(Entry("oddities"), 130, sorts).Succeeded());
  for (const IFF2Reader::Block& block : IFF2Reader(ReadBytes(path)).Resources()) {
    if (block.type == "OBJD" && block.id == 130) record = block.payload;
  }
  ASSERT_EQ(record.size(), 216u);
  EXPECT_EQ(Read32(record, 0), 138);
}

TEST_F(DemoSamplesTest, TheArchiveHoldsObjectFilesTheListNeverShows) {
  const std::string archive = ReadBytes(Sample("GameData/UserObjects/Packs/Garden Pack.far"));
  ASSERT_GE(archive.size(), 16u);
  EXPECT_EQ(archive.substr(0, 8), "FAR!byQX");
  EXPECT_EQ(Read32(archive, 8), 1);
  const auto directory = static_cast<size_t>(Read32(archive, 12));
  ASSERT_EQ(Read32(archive, static_cast<int32_t>(directory)), 2);
  size_t at = directory + 4;
  std::vector<std::string> names;
  for (int i = 0; i < 2; ++i) {
    const int32_t length = Read32(archive, at);
    EXPECT_EQ(Read32(archive, at + 4), length);
    const auto offset = static_cast<size_t>(Read32(archive, at + 8));
    const auto nameLength = static_cast<size_t>(Read32(archive, at + 12));
    names.push_back(archive.substr(at + 16, nameLength));
    at += 16 + nameLength;
    const IFF2Reader member(archive.substr(offset, static_cast<size_t>(length)));
    EXPECT_EQ(member.Version(), "2.5");
    size_t resources = 0;
    for (const IFF2Reader::Block& block : member.Resources()) resources += block.type != "rsmp" ? 1 : 0;
    EXPECT_EQ(resources, 3u) << names.back();
  }
  EXPECT_EQ(at, archive.size());
  EXPECT_EQ(names, (std::vector<std::string>{"Garden Gnome.iff", "Fountains/Bird Bath.iff"}));
}

TEST_F(DemoSamplesTest, ARerunLeavesThePlayersFilesAloneAndRestoresDeletedOnes) {
  const fs::path sofa = Sample("GameData/UserObjects/Sofas/BIG Sofa.IFF");
  const fs::path armchair = Sample("GameData/UserObjects/Comfy Armchair.iff");
  const fs::path swing = Sample("Downloads/Garden Swing Seat.iff");
  const std::string swingBytes = ReadBytes(swing);
  // A player's save, a file replaced by other bytes, a file deleted.
  SortValues sorts;
  ASSERT_EQ(ObjectFile::LoadSorts(Entry("sofas\\big sofa"), 128, &sorts), LoadResult::kLoaded);
  sorts.fRoom = 16;
  ASSERT_TRUE(ObjectFile::SaveSorts(Entry("sofas\\big sofa"), 128, sorts).Succeeded());
  const std::string edited = ReadBytes(sofa);
  std::ofstream(armchair, std::ios::binary | std::ios::trunc) << "mine";
  fs::remove(swing);
  fs::remove(Sample("GameData/UserObjects/Packs/Garden Pack.far"));
  // Renamed in letter case only: still the same file to the organizer.
  fs::rename(Sample("GameData/UserObjects/Hobbies"), Sample("GameData/UserObjects/hobbies"));
  fs::rename(Sample("GameData/UserObjects/hobbies/Hobby Corner.iff"),
             Sample("GameData/UserObjects/hobbies/HOBBY CORNER.iff"));

  std::string error;
  int written = -1;
  ASSERT_TRUE(MakeDemoPrefix(fPrefix, &error, &written)) << error;
  EXPECT_EQ(written, 2);
  EXPECT_EQ(ReadBytes(sofa), edited);
  EXPECT_EQ(ReadBytes(armchair), "mine");
  EXPECT_EQ(ReadBytes(swing), swingBytes);
  EXPECT_TRUE(fs::exists(Sample("GameData/UserObjects/Packs/Garden Pack.far")));
  EXPECT_FALSE(fs::exists(Sample("GameData/UserObjects/Hobbies")));
  EXPECT_EQ(std::distance(fs::directory_iterator(Sample("GameData/UserObjects/hobbies")), fs::directory_iterator()), 1);
}

TEST_F(DemoSamplesTest, TwoPrefixesGetTheSameBytesAndALeftoverTemporaryFileIsReplaced) {
  const fs::path other = fPrefix.string() + "-other";
  fs::remove_all(other);
  std::string error;
  ASSERT_TRUE(MakeDemoPrefix(other, &error)) << error;
  // A run that stopped half way through writing a sample left its temporary
  // file behind.
  std::ofstream(DemoGameFolder(other) / "Downloads/Garden Swing Seat.iff.velt-demo-new") << "partial";
  fs::remove(DemoGameFolder(other) / "Downloads/Garden Swing Seat.iff");
  ASSERT_TRUE(MakeDemoPrefix(other, &error)) << error;
  EXPECT_FALSE(fs::exists(DemoGameFolder(other) / "Downloads/Garden Swing Seat.iff.velt-demo-new"));

  for (const DemoFile& file : DemoObjectFiles()) {
    EXPECT_EQ(ReadBytes(DemoGameFolder(other) / file.fPath), ReadBytes(Sample(file.fPath))) << file.fPath;
  }
  std::error_code ignored;
  fs::remove_all(other, ignored);
}

}  // namespace
}  // namespace tools
