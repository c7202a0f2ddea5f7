#include "app/core/ObjectFile.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "msrc/Objects/ObjDefinition.h"
#include "msrc/Util/FixedStringBuffer.h"
#include "tests/app/core/GamePrefix.h"
#include "tests/app/core/ObjectFileMaker.h"
#include "tests/msrc/File/FakeResFile.h"
#include "tests/msrc/Util/AssertRecorder.h"

namespace {

using Path = FixedStringBuffer<260>;

constexpr ResType kStrings = MakeResType("STR#");
const std::string kFolder = GamePrefix::kListedObjectFolder;

ResourceData Objd(int16_t id, const std::string& name, const DefinitionFields& fields = {}) {
  return {kObjdType, id, name, MakeDefinition(fields)};
}

DefinitionFields Grouped(int16_t groupId, int16_t slot) {
  DefinitionFields fields;
  fields.groupId = groupId;
  fields.groupSlot = slot;
  return fields;
}

struct Line {
  int16_t id;
  std::string name;
  bool operator==(const Line&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Line& line) { return out << line.id << ":" << line.name; }

std::string ReadHost(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

std::vector<Line> Lines(const std::vector<ListedObject>& objects) {
  std::vector<Line> lines;
  for (const ListedObject& object : objects) lines.push_back({object.fId, object.fName.Text()});
  return lines;
}

class ObjectFileTest : public ::testing::Test {
 protected:
  void SetUp() override { game.MakeGameFolder("GameData/UserObjects"); }

  // Writes <object folder>\<file> with the resources.
  void Write(const std::string& file, const std::vector<ResourceData>& resources) {
    ASSERT_TRUE(WriteObjectFile(kFolder + file, resources)) << file;
  }

  std::vector<Line> List(const std::string& entry, int32_t* status = nullptr) {
    std::vector<ListedObject> objects;
    const int32_t result = ObjectFile::ListObjects(Path((kFolder + entry).c_str()), &objects);
    if (status != nullptr) *status = result;
    return Lines(objects);
  }

  GamePrefix game;
};

TEST(GroupPathTest, TheBareEntryUnlessItsNameHasAnExtensionOrIsEmpty) {
  const std::pair<const char*, const char*> cases[] = {
      {"c:\\objects\\chair", "c:\\objects\\chair"},
      {"c:\\a.b\\chair", "c:\\a.b\\chair"},  // a dot in a folder is no extension
      {"c:\\objects\\lamp.old", "c:\\objects\\lamp.old.iff"},
      {"c:\\objects\\combo.spf", "c:\\objects\\combo.spf.iff"},
      {"c:\\objects\\chair.iff", "c:\\objects\\chair.iff.iff"},
      {"c:\\objects\\", "c:\\objects\\.iff"},
      {"", ".iff"},
  };
  for (const auto& [entry, expected] : cases) {
    Path out("stale");
    EXPECT_TRUE(ObjectFile::GroupPathFor(Path(entry), &out)) << entry;
    EXPECT_STREQ(out.Text(), expected) << entry;
  }
}

TEST(GroupPathTest, APathThatWouldNotFitIsRefusedWithoutAReport) {
  AssertRecorder reports;
  const std::string folder = "c:\\" + std::string(250, 'f') + "\\";
  Path out("stale");
  // 254 + "a.b" fits; with ".iff" it would not.
  EXPECT_FALSE(ObjectFile::GroupPathFor(Path((folder + "a.b").c_str()), &out));
  EXPECT_STREQ(out.Text(), "");
  EXPECT_TRUE(ObjectFile::GroupPathFor(Path((folder + "ab").c_str()), &out));
  EXPECT_FALSE(ObjectFile::FilePathFor(Path((folder + "ab").c_str()), &out));
  EXPECT_EQ(reports.Count(), 0u);
}

TEST(GroupPathTest, EntryForFileDropsAnIffExtensionOfAnyCase) {
  Path entry("stale");
  EXPECT_TRUE(ObjectFile::EntryForFile(Path("c:\\x\\Chair.IFF"), &entry));
  EXPECT_STREQ(entry.Text(), "c:\\x\\Chair");
  EXPECT_TRUE(ObjectFile::EntryForFile(Path("c:\\x\\lamp.old.iff"), &entry));
  EXPECT_STREQ(entry.Text(), "c:\\x\\lamp.old");
  EXPECT_TRUE(ObjectFile::EntryForFile(Path(".iff"), &entry));
  EXPECT_STREQ(entry.Text(), "");
  for (const char* other : {"c:\\x\\chair.spf", "c:\\x\\chair", "iff", "c:\\x\\chair.iffx"}) {
    EXPECT_FALSE(ObjectFile::EntryForFile(Path(other), &entry)) << other;
    EXPECT_STREQ(entry.Text(), "");
  }
}

TEST_F(ObjectFileTest, StandAloneDefinitionsAndGroupLeadsAreListedInIndexOrder) {
  Write("chair.iff", {Objd(128, "Chair A"), Objd(130, "Sofa Lead", Grouped(7, -1)), Objd(131, "Sofa Part 1", Grouped(7, 0)),
                      Objd(129, "Chair B"), {kStrings, 128, "strings", "xyz"}, Objd(132, "Sofa Part 2", Grouped(7, 1)),
                      Objd(133, "Sofa Part 3", Grouped(7, 2)), Objd(140, "Chair C")});
  int32_t status = -1;
  EXPECT_EQ(List("chair", &status),
            (std::vector<Line>{{128, "Chair A"}, {130, "Sofa Lead"}, {129, "Chair B"}, {140, "Chair C"}}));
  EXPECT_EQ(status, 0);
}

TEST_F(ObjectFileTest, AGroupWithoutALeadIsNotListed) {
  Write("group.iff", {Objd(128, "Part 1", Grouped(3, 0)), Objd(129, "Part 2", Grouped(3, 1)), Objd(130, "Single")});
  EXPECT_EQ(List("group"), (std::vector<Line>{{130, "Single"}}));
}

TEST_F(ObjectFileTest, AFileWithoutDefinitionsListsNothingButOpens) {
  Write("empty.iff", {{kStrings, 128, "strings", "abc"}});
  int32_t status = -1;
  EXPECT_TRUE(List("empty", &status).empty());
  EXPECT_EQ(status, 0);
}

TEST_F(ObjectFileTest, AFileThatCannotBeOpenedListsNothingWithItsError) {
  game.WriteObject("junk.iff", std::string(100, 'j'));
  int32_t status = 0;
  EXPECT_TRUE(List("junk", &status).empty());
  EXPECT_NE(status, 0);
  EXPECT_TRUE(List("missing", &status).empty());
  EXPECT_NE(status, 0);
}

TEST_F(ObjectFileTest, TwoDefinitionsOfOneNameGiveTwoLinesWithTheirOwnIds) {
  Write("twins.iff", {Objd(200, "Twin"), Objd(201, "Twin")});
  EXPECT_EQ(List("twins"), (std::vector<Line>{{200, "Twin"}, {201, "Twin"}}));
}

TEST_F(ObjectFileTest, OlderAndOddRecordsAreNormalisedInMemoryOnly) {
  DefinitionFields old;
  old.version = 136;
  old.size = 200;
  old.groupId = 5;
  old.groupSlot = -1;
  DefinitionFields tiny;
  tiny.size = 10;  // its group fields are filled in as zeros, so it stands alone
  DefinitionFields odd;
  odd.version = 139;
  Write("old.iff", {Objd(128, "Old Lead", old), Objd(129, "Tiny", tiny), Objd(130, "Odd", odd)});
  const std::string before = ReadHost(game.ObjectPath("old.iff"));
  AssertRecorder reports;
  EXPECT_EQ(List("old"), (std::vector<Line>{{128, "Old Lead"}, {129, "Tiny"}, {130, "Odd"}}));
  std::string reported;
  for (const std::string& report : reports.Reports()) reported += report + "\n";
  EXPECT_NE(reported.find("filling in defn with zeroes."), std::string::npos) << reported;
  EXPECT_NE(reported.find("bad version"), std::string::npos) << reported;
  // Listing reads: the file is left exactly as it was.
  EXPECT_EQ(ReadHost(game.ObjectPath("old.iff")), before);
}

// Names from a member that keeps longer names than the list's buffer.
class LongNameFile : public FakeResFile {
 public:
  void GetResName(MHandle handle, StringBuffer* name) override {
    FakeResFile::GetResName(handle, name);
    if (Error() == kResErrNone) name->Append(std::string(70, 'n').c_str());
  }
};

TEST(ObjectListNameTest, ANameLongerThan63CharactersIsCutWithAReport) {
  LongNameFile file;
  file.Open(Path("c:\\fake"));
  file.Store(kObjdType, 300, MakeDefinition({}), false, "Long");
  std::vector<ListedObject> objects;
  AssertRecorder reports;
  ObjectFile::ListObjects(file, &objects);
  ASSERT_EQ(objects.size(), 1u);
  EXPECT_EQ(std::string(objects[0].fName.Text()), "Long" + std::string(59, 'n'));
  EXPECT_EQ(objects[0].fId, 300);
  EXPECT_GE(reports.Count(), 1u);
  file.Close();
}

TEST(ObjectListNameTest, AResourceThatFailsToLoadIsSkipped) {
  FakeResFile file;
  file.Open(Path("c:\\fake"));
  file.Store(kObjdType, 300, MakeDefinition({}), false, "First");
  file.Store(kObjdType, 301, MakeDefinition({}), false, "Second");
  std::vector<ListedObject> objects;
  MHandleFailAllocations(1);
  ObjectFile::ListObjects(file, &objects);
  MHandleFailAllocations(0);
  ASSERT_EQ(objects.size(), 1u);
  EXPECT_STREQ(objects[0].fName.Text(), "Second");
  file.Close();
}

TEST_F(ObjectFileTest, SortsAreReadSignExtendedAfterNormalising) {
  DefinitionFields fields;
  fields.room = -32768;
  fields.function = 8;
  fields.subsort = -1;
  fields.downtown = 0x0130;
  DefinitionFields old;
  old.version = 137;
  old.size = 100;  // the subsort and downtown words lie beyond it: zero
  old.room = 0;
  old.function = 64;
  Write("sorts.iff", {Objd(128, "A", fields), Objd(129, "B", old)});
  SortValues values;
  EXPECT_EQ(ObjectFile::LoadSorts(Path((kFolder + "sorts").c_str()), 128, &values), LoadResult::kLoaded);
  EXPECT_EQ(values, (SortValues{0x130, -32768, -1, 8}));
  EXPECT_EQ(ObjectFile::LoadSorts(Path((kFolder + "sorts").c_str()), 129, &values), LoadResult::kLoaded);
  EXPECT_EQ(values, (SortValues{0, 0, 0, 64}));
}

TEST_F(ObjectFileTest, ADefinitionWithoutRoomAndFunctionSortIsNotInTheCatalogue) {
  DefinitionFields hidden;
  hidden.room = 0;
  hidden.function = 0;
  hidden.subsort = 2;
  hidden.downtown = 1;
  Write("hidden.iff", {Objd(128, "Hidden", hidden)});
  SortValues values;
  EXPECT_EQ(ObjectFile::LoadSorts(Path((kFolder + "hidden").c_str()), 128, &values), LoadResult::kNotInCatalogue);
  EXPECT_EQ(values, (SortValues{1, 0, 2, 0}));
}

// The whole list with its sorts through one open: each line as the list
// shows it, with what loading that line's object shows; when the .spf
// companion defines an id again, the line it adds shows the .iff's sorts,
// which is the definition a lookup by id finds first.
TEST_F(ObjectFileTest, TheListWithSortsHasEachLinesSortsAsLoadingShowsThem) {
  DefinitionFields hidden = SortFields(0, 0, 2, 1);
  DefinitionFields old = SortFields(16, 32, 0, 0);
  old.version = 136;
  old.size = 100;
  Write("chair.iff", {Objd(128, "Chair", SortFields(8, 1, 4, 0x130)), Objd(129, "Part", Grouped(7, 0)),
                      Objd(130, "Lead", Grouped(7, -1)), Objd(131, "Hidden", hidden), Objd(132, "Old", old)});
  Write("chair.spf", {Objd(128, "Again", SortFields(1, 2, 1, 0))});
  std::vector<ObjectSorts> objects;
  ASSERT_EQ(ObjectFile::ListObjectsWithSorts(Path((kFolder + "chair").c_str()), &objects), 0);
  struct Expected {
    Line line;
    LoadResult load;
    SortValues sorts;  // downtown, room, subsort, function
  };
  const std::vector<Expected> expected = {
      {{128, "Chair"}, LoadResult::kLoaded, {0x130, 8, 4, 1}},
      {{130, "Lead"}, LoadResult::kLoaded, {0, 1, 4, 2}},
      {{131, "Hidden"}, LoadResult::kNotInCatalogue, {1, 0, 2, 0}},
      {{132, "Old"}, LoadResult::kLoaded, {0, 16, 0, 32}},
      {{128, "Again"}, LoadResult::kLoaded, {0x130, 8, 4, 1}},
  };
  ASSERT_EQ(objects.size(), expected.size());
  for (size_t i = 0; i < expected.size(); ++i) {
    EXPECT_EQ((Line{objects[i].fObject.fId, objects[i].fObject.fName.Text()}), expected[i].line);
    EXPECT_EQ(objects[i].fLoad, expected[i].load) << i;
    EXPECT_EQ(objects[i].fSorts, expected[i].sorts) << i;
  }

  int32_t status = 0;
  EXPECT_TRUE(List("nothing", &status).empty());
  EXPECT_EQ(ObjectFile::ListObjectsWithSorts(Path((kFolder + "nothing").c_str()), &objects), status);
  EXPECT_NE(status, 0);
  EXPECT_TRUE(objects.empty());
}

TEST_F(ObjectFileTest, AnUnknownIdOrFileLeavesTheValuesAlone) {
  Write("chair.iff", {Objd(128, "Chair")});
  const SortValues before{1, 2, 3, 4};
  SortValues values = before;
  EXPECT_EQ(ObjectFile::LoadSorts(Path((kFolder + "chair").c_str()), 999, &values), LoadResult::kNotFound);
  EXPECT_EQ(ObjectFile::LoadSorts(Path((kFolder + "nothing").c_str()), 128, &values), LoadResult::kNotFound);
  EXPECT_EQ(values, before);
}

// The entry of a listed file whose name has a dot of its own reaches exactly
// that file.
TEST_F(ObjectFileTest, ADottedNameReachesItsOwnFile) {
  Write("lamp.old.iff", {Objd(128, "Old Lamp")});
  EXPECT_EQ(List("lamp.old"), (std::vector<Line>{{128, "Old Lamp"}}));
  SortValues values;
  EXPECT_EQ(ObjectFile::LoadSorts(Path((kFolder + "lamp.old").c_str()), 128, &values), LoadResult::kLoaded);
}

TEST_F(ObjectFileTest, AnEntryEndingInAComponentExtensionDoesNotReachThatComponent) {
  Write("combo.spf.iff", {Objd(128, "Listed Combo")});
  Write("combo.spf", {Objd(128, "Other File")});
  EXPECT_EQ(List("combo.spf"), (std::vector<Line>{{128, "Listed Combo"}}));
}

TEST_F(ObjectFileTest, AFileNamedOnlyIffIsReached) {
  Write(".iff", {Objd(128, "Nameless")});
  EXPECT_EQ(List(""), (std::vector<Line>{{128, "Nameless"}}));
}

TEST_F(ObjectFileTest, APlainEntryStillReachesTheCompanionFiles) {
  Write("chair.iff", {Objd(128, "Chair")});
  Write("chair.stx", {Objd(300, "Chair Strings Object")});
  EXPECT_EQ(List("chair"), (std::vector<Line>{{128, "Chair"}, {300, "Chair Strings Object"}}));
}

}  // namespace
