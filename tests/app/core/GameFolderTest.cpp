#include "app/core/GameFolder.h"

#include <gtest/gtest.h>

#include "msrc/Util/FixedStringBuffer.h"
#include "tests/app/core/FakeRegistry.h"
#include "tests/msrc/Util/AssertRecorder.h"

namespace {

constexpr const char* kKey = "Software\\Korva\\The Velt";

TEST(GameFolderTest, ObjectFolderIsTheValueFollowedByTheSuffix) {
  FakeRegistry registry;
  registry.keys[kKey]["VELT_DATA"] = "C:\\Games\\The Velt";
  FixedStringBuffer<260> folder;
  EXPECT_EQ(GameFolder::ReadObjectFolder(registry, &folder), GameFolder::Status::kFound);
  EXPECT_STREQ(folder.Text(), "C:\\Games\\The Velt\\GameData\\UserObjects\\");
}

TEST(GameFolderTest, TrailingBackslashIsKeptAndDoubled) {
  FakeRegistry registry;
  registry.keys[kKey]["VELT_DATA"] = "C:\\Games\\The Velt\\";
  FixedStringBuffer<260> folder;
  EXPECT_EQ(GameFolder::ReadObjectFolder(registry, &folder), GameFolder::Status::kFound);
  EXPECT_STREQ(folder.Text(), "C:\\Games\\The Velt\\\\GameData\\UserObjects\\");
}

TEST(GameFolderTest, MissingKeyOrValueLeavesTheBareSuffix) {
  FakeRegistry registry;
  FixedStringBuffer<260> folder("stale");
  EXPECT_EQ(GameFolder::ReadObjectFolder(registry, &folder), GameFolder::Status::kKeyNotOpened);
  EXPECT_STREQ(folder.Text(), "\\GameData\\UserObjects\\");

  registry.keys[kKey]["OTHER"] = "x";
  EXPECT_EQ(GameFolder::ReadObjectFolder(registry, &folder), GameFolder::Status::kValueNotRead);
  EXPECT_STREQ(folder.Text(), "\\GameData\\UserObjects\\");
}

TEST(GameFolderTest, ValueTooLongForItsBufferCannotBeRead) {
  FakeRegistry registry;
  registry.keys[kKey]["VELT_DATA"] = std::string(260, 'a');
  FixedStringBuffer<260> folder;
  EXPECT_EQ(GameFolder::ReadObjectFolder(registry, &folder), GameFolder::Status::kValueNotRead);

  // 259 characters and the terminator fit the value buffer, but not with the
  // suffix: the object folder is cut to 259 characters, with the string
  // buffer's report.
  registry.keys[kKey]["VELT_DATA"] = std::string(259, 'a');
  AssertRecorder reports;
  EXPECT_EQ(GameFolder::ReadObjectFolder(registry, &folder), GameFolder::Status::kFound);
  EXPECT_EQ(folder.Length(), 259);
  EXPECT_EQ(reports.Count(), 1u);
}

TEST(GameFolderTest, ValueEndsAtAnEmbeddedZero) {
  FakeRegistry registry;
  registry.keys[kKey]["VELT_DATA"] = std::string("C:\\Games\0junk", 13);
  FixedStringBuffer<260> folder;
  GameFolder::ReadObjectFolder(registry, &folder);
  EXPECT_STREQ(folder.Text(), "C:\\Games\\GameData\\UserObjects\\");
}

}  // namespace
