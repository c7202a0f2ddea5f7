#include "msrc/Util/PathSplit.h"

#include <gtest/gtest.h>

#include <string>

#include "msrc/Util/FixedStringBuffer.h"

namespace {

struct Split {
  std::string folder;
  std::string name;
  std::string extension;
  bool operator==(const Split&) const = default;
};

void PrintTo(const Split& s, std::ostream* os) {
  *os << "{\"" << s.folder << "\", \"" << s.name << "\", \"" << s.extension << "\"}";
}

Split SplitOf(const char* path) {
  FixedStringBuffer<260> folder("stale");
  FixedStringBuffer<260> name("stale");
  FixedStringBuffer<16> extension("stale");
  SplitPath(path, &folder, &name, &extension);
  return {folder.Text(), name.Text(), extension.Text()};
}

TEST(SplitPathTest, PiecesAroundTheLastSeparatorAndTheLastDot) {
  EXPECT_EQ(SplitOf("c:\\games\\chair.iff"), (Split{"c:\\games\\", "chair", ".iff"}));
  EXPECT_EQ(SplitOf("c:/games/chair.iff"), (Split{"c:/games/", "chair", ".iff"}));
  EXPECT_EQ(SplitOf("c:\\mixed/sep\\chair.iff"), (Split{"c:\\mixed/sep\\", "chair", ".iff"}));
  EXPECT_EQ(SplitOf("c:\\back/chair.iff"), (Split{"c:\\back/", "chair", ".iff"}));
  EXPECT_EQ(SplitOf("chair.iff"), (Split{"", "chair", ".iff"}));
  EXPECT_EQ(SplitOf("lamp.old.iff"), (Split{"", "lamp.old", ".iff"}));
  EXPECT_EQ(SplitOf("x\\.iff"), (Split{"x\\", "", ".iff"}));
  EXPECT_EQ(SplitOf("chair."), (Split{"", "chair", "."}));
}

TEST(SplitPathTest, DotBeforeTheLastSeparatorIsNoExtension) {
  EXPECT_EQ(SplitOf("a.b\\c"), (Split{"a.b\\", "c", ""}));
  EXPECT_EQ(SplitOf("a.b/c"), (Split{"a.b/", "c", ""}));
  EXPECT_EQ(SplitOf("..\\..\\downloads\\"), (Split{"..\\..\\downloads\\", "", ""}));
}

TEST(SplitPathTest, EmptyAndNullPathsClearEveryOutput) {
  EXPECT_EQ(SplitOf(""), (Split{"", "", ""}));
  EXPECT_EQ(SplitOf(nullptr), (Split{"", "", ""}));
}

TEST(SplitPathTest, NullOutputsAreSkipped) {
  FixedStringBuffer<16> extension;
  SplitPath("a\\b.c", nullptr, nullptr, &extension);
  EXPECT_STREQ(extension.Text(), ".c");
  SplitPath("a\\b.c", nullptr, nullptr, nullptr);
  PathFileName("a\\b.c", nullptr);
  PathStripExtension("a\\b.c", nullptr, nullptr);
}

TEST(PathUtilitiesTest, FileNameAndStrippedPath) {
  FixedStringBuffer<260> out("stale");
  FixedStringBuffer<16> extension("stale");
  PathFileName("c:\\games\\lamp.old.iff", &out);
  EXPECT_STREQ(out.Text(), "lamp.old.iff");
  PathFileName("a.b\\", &out);
  EXPECT_STREQ(out.Text(), "");

  PathStripExtension("c:\\games\\lamp.old.iff", &out, &extension);
  EXPECT_STREQ(out.Text(), "c:\\games\\lamp.old");
  EXPECT_STREQ(extension.Text(), ".iff");
  PathStripExtension("a.b\\c", &out, &extension);
  EXPECT_STREQ(out.Text(), "a.b\\c");
  EXPECT_STREQ(extension.Text(), "");
}

TEST(PathUtilitiesTest, OutputMayHoldThePathItself) {
  FixedStringBuffer<260> path("c:\\objects\\chair.iff");
  FixedStringBuffer<16> extension;
  PathStripExtension(path.Text(), &path, &extension);
  EXPECT_STREQ(path.Text(), "c:\\objects\\chair");
  EXPECT_STREQ(extension.Text(), ".iff");

  FixedStringBuffer<260> named("c:\\objects\\lamp.iff");
  PathFileName(named.Text(), &named);
  EXPECT_STREQ(named.Text(), "lamp.iff");

  FixedStringBuffer<260> whole("c:\\objects\\sofa.iff");
  FixedStringBuffer<260> name;
  SplitPath(whole.Text(), &name, &whole, nullptr);
  EXPECT_STREQ(name.Text(), "c:\\objects\\");
  EXPECT_STREQ(whole.Text(), "sofa");
}

}  // namespace
