#include "cli/RunVeltSort.h"

#include <gtest/gtest.h>

#include <sstream>

#include "tests/cli/CliRun.h"

namespace {

TEST(RunVeltSortTest, HelpListsTheSubcommands) {
  const CliRun run = RunCli({"--help"});
  EXPECT_EQ(run.code, 0);
  EXPECT_NE(run.out.find("velt-sort"), std::string::npos) << run.out;
  for (const char* command : {"files", "iff", "objects", "show", "set", "catalogue", "apply"}) {
    EXPECT_NE(run.out.find(command), std::string::npos) << command << "\n" << run.out;
  }
  EXPECT_EQ(run.err, "");

  const CliRun files = RunCli({"files", "--help"});
  EXPECT_EQ(files.code, 0);
  EXPECT_NE(files.out.find("--json"), std::string::npos) << files.out;

  const CliRun set = RunCli({"set", "--help"});
  EXPECT_EQ(set.code, 0);
  for (const char* option : {"--function", "--subsort", "--room", "--downtown", "not in the buy catalogue"}) {
    EXPECT_NE(set.out.find(option), std::string::npos) << option << "\n" << set.out;
  }
}

TEST(RunVeltSortTest, BadUsageGoesToErrWithTheParsersCode) {
  for (const auto& arguments : {std::vector<std::string>{}, std::vector<std::string>{"bogus"},
                                std::vector<std::string>{"files", "--yaml"}}) {
    const CliRun run = RunCli(arguments);
    EXPECT_NE(run.code, 0);
    EXPECT_EQ(run.out, "");
    EXPECT_NE(run.err, "");
  }
}

TEST(RunVeltSortTest, MissingArgumentVectorCountsAsNoArguments) {
  std::ostringstream out;
  std::ostringstream err;
  EXPECT_NE(RunVeltSort(0, nullptr, out, err), 0);
  EXPECT_NE(err.str(), "");
}

}  // namespace
