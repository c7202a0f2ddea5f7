// velt-sort restore, and the backups velt-sort set makes before it changes a
// file: listed with number, date and size, put back byte for byte, turned
// off by --no-backup, and a backup that cannot be made stops set.
#include <gtest/gtest.h>

#include <regex>
#include <string>
#include <vector>

#include "cli/RestoreCommand.h"
#include "tests/cli/CliRun.h"
#include "tests/cli/SampleObjectFile.h"
#include "tests/platform/FaultyHostEnv.h"

namespace {

class RestoreCommandTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(fSample.Written()); }

  CliRun Run(const std::string& command, std::vector<std::string> options) {
    options.insert(options.begin(), {command, fSample.HostPath()});
    return RunCli(options);
  }

  // How the file is named in what velt-sort prints.
  std::string File() const { return ReachedAs(fSample.HostPath(), SampleObjectFile::kWindowsPath); }
  std::string Folder() const {
    return fGame.DataPath("backups/C/Games/The Velt/GameData/UserObjects/Living/Chair.iff");
  }

  GamePrefix fGame;
  SampleObjectFile fSample{fGame};
};

TEST_F(RestoreCommandTest, ASetIsBackedUpListedAndRestoredByteForByte) {
  const std::string original = fSample.Bytes();
  CliRun run = Run("restore", {"--list"});
  EXPECT_EQ(run.code, 0) << run.err;
  EXPECT_EQ(run.out, "No backups of " + File() + " (they would be in " + Folder() + ").\n");

  ASSERT_EQ(Run("set", {"128", "--room", "Kitchen"}).code, 0);
  const std::string saved = fSample.Bytes();
  ASSERT_NE(saved, original);
  ASSERT_EQ(Run("set", {"128", "--room", "Study", "--no-backup"}).code, 0);
  const std::string unsaved = fSample.Bytes();

  run = Run("restore", {"--list"});
  EXPECT_EQ(run.code, 0) << run.err;
  const std::string head = "Backups of " + File() + " in " + Folder() + ":\n";
  ASSERT_EQ(run.out.substr(0, head.size()), head);
  EXPECT_TRUE(std::regex_match(run.out.substr(head.size()),
                               std::regex("version 1  20[0-9]{2}-[0-9]{2}-[0-9]{2} [0-9]{2}:[0-9]{2}:[0-9]{2} UTC  " +
                                          std::to_string(original.size()) + " bytes\n")))
      << run.out;

  run = Run("restore", {"--version", "1"});
  EXPECT_EQ(run.code, 0) << run.err;
  EXPECT_TRUE(std::regex_match(run.out, std::regex("Restored version 1 \\(.* UTC, " + std::to_string(original.size()) +
                                                   " bytes\\) of .*\\.\nThe bytes it replaced are version 2\\.\n")))
      << run.out;
  EXPECT_EQ(fSample.Bytes(), original);

  // The newest is the default: the restore is undone.
  run = Run("restore", {});
  EXPECT_EQ(run.code, 0) << run.err;
  EXPECT_EQ(fSample.Bytes(), unsaved);
}

TEST_F(RestoreCommandTest, WhatCannotBeRestoredIsRefused) {
  const std::string before = fSample.Bytes();
  CliRun run = Run("restore", {});
  EXPECT_EQ(run.code, 1);
  EXPECT_EQ(run.err, "velt-sort: " + fSample.HostPath() + ": there are no backups of this file (they would be in " +
                         Folder() + ")\n");
  ASSERT_EQ(Run("set", {"128", "--room", "Kitchen"}).code, 0);
  run = Run("restore", {"--version", "9"});
  EXPECT_EQ(run.code, 1);
  EXPECT_EQ(run.err, "velt-sort: " + fSample.HostPath() + ": there is no backup version 9; --list shows those kept\n");
  EXPECT_NE(Run("restore", {"--list", "--version", "1"}).code, 0);
  EXPECT_NE(Run("restore", {"--version", "0"}).code, 0);
  EXPECT_NE(fSample.Bytes(), before);
}

TEST_F(RestoreCommandTest, ABackupThatCannotBeMadeStopsSetUnlessTurnedOff) {
  const std::string before = fSample.Bytes();
  FaultyHostEnv faulty(&fGame.host());
  faulty.plan().FailAll(HostCall::kMakeFolders);
  fGame.Install(&faulty);
  CliRun run = Run("set", {"128", "--room", "Kitchen"});
  EXPECT_EQ(run.code, 1);
  EXPECT_EQ(run.out, "");
  EXPECT_EQ(run.err, "velt-sort: " + fSample.HostPath() +
                         ": The sorts could not be saved: no backup of the file could be made; you do not have "
                         "permission to write to the backup folder.\n"
                         "velt-sort: to save without a backup, give --no-backup\n");
  EXPECT_EQ(fSample.Bytes(), before);
  run = Run("set", {"128", "--room", "Kitchen", "--no-backup"});
  EXPECT_EQ(run.code, 0) << run.err;
  fGame.Install(nullptr);
}

}  // namespace
