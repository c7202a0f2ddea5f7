// Host paths typed on the command line, turned into the Windows-style paths
// the program opens.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "platform/WinePathMapper.h"
#include "tests/platform/ScratchFolder.h"

using platform::WinePathMapper;

namespace {

class WindowsPathTest : public ::testing::Test {
 protected:
  void SetUp() override {
    fScratch.MakeFolder("prefix/dosdevices");
    fScratch.MakeFolder("prefix/drive_c/Games/The Velt");
    fScratch.WriteFile("prefix/drive_c/Games/The Velt/Chair.iff", "x");
    fScratch.WriteFile("elsewhere/lamp.iff", "x");
    fScratch.Link("prefix/dosdevices/c:", "../drive_c");
  }

  ScratchFolder fScratch;
};

TEST_F(WindowsPathTest, TheDriveThatHoldsThePathMostCloselyIsUsed) {
  const WinePathMapper mapper(fScratch.Path("prefix"));
  EXPECT_EQ(mapper.ToWindows(fScratch.Path("prefix/drive_c/Games/The Velt/Chair.iff")),
            "C:\\Games\\The Velt\\Chair.iff");
  EXPECT_EQ(mapper.ToWindows(fScratch.Path("prefix/drive_c")), "C:\\");
  // Without a drive that reaches it, a path has no Windows-style name.
  EXPECT_EQ(mapper.ToWindows(fScratch.Path("elsewhere/lamp.iff")), "");

  // z: leading to the root reaches everything, but c: holds its own files
  // more closely.
  fScratch.Link("prefix/dosdevices/z:", "/");
  EXPECT_EQ(mapper.ToWindows(fScratch.Path("prefix/drive_c/Games/The Velt/Chair.iff")),
            "C:\\Games\\The Velt\\Chair.iff");
  const std::string lamp = mapper.ToWindows(fScratch.Path("elsewhere/lamp.iff"));
  ASSERT_EQ(lamp.substr(0, 3), "Z:\\");
  // And the mapping back leads to the same file.
  EXPECT_TRUE(std::filesystem::equivalent(mapper.Map(lamp), fScratch.Path("elsewhere/lamp.iff")));
}

TEST_F(WindowsPathTest, RelativeLinkedAndNotYetExistingPaths) {
  fScratch.Link("prefix/dosdevices/z:", "/");
  fScratch.Link("shortcut", "prefix/drive_c/Games");
  const WinePathMapper mapper(fScratch.Path("prefix"));
  // Links are resolved first, so a path through a link names the real file.
  EXPECT_EQ(mapper.ToWindows(fScratch.Path("shortcut/The Velt/Chair.iff")), "C:\\Games\\The Velt\\Chair.iff");
  // A file about to be created keeps its name.
  EXPECT_EQ(mapper.ToWindows(fScratch.Path("prefix/drive_c/Games/new.iff")), "C:\\Games\\new.iff");
  EXPECT_EQ(mapper.ToWindows(fScratch.Path("prefix/drive_c/missing/new.iff")), "");

  char* cwd = ::getcwd(nullptr, 0);
  ASSERT_EQ(::chdir(fScratch.Path("prefix/drive_c/Games").c_str()), 0);
  EXPECT_EQ(mapper.ToWindows("The Velt/Chair.iff"), "C:\\Games\\The Velt\\Chair.iff");
  EXPECT_EQ(mapper.ToWindows("../Games/./The Velt"), "C:\\Games\\The Velt");
  ASSERT_EQ(::chdir(cwd), 0);
  std::free(cwd);
}

TEST_F(WindowsPathTest, NamesAWindowsPathCannotCarryAreRefused) {
  fScratch.WriteFile("prefix/drive_c/back\\slash.iff", "x");
  const WinePathMapper mapper(fScratch.Path("prefix"));
  EXPECT_EQ(mapper.ToWindows(fScratch.Path("prefix/drive_c/back\\slash.iff")), "");
  EXPECT_EQ(mapper.ToWindows(""), "");
  EXPECT_EQ(mapper.ToWindows(std::string("a\0b", 3)), "");
  EXPECT_EQ(WinePathMapper("").ToWindows("/tmp"), "");
}

}  // namespace
