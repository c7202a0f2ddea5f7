#include "cli/ProgressLine.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>

namespace {

TEST(ProgressLineTest, DrawnInPlaceOnlyOnATerminalForManyFiles) {
  const struct {
    bool terminal;
    size_t total;
    const char* drawn;
  } cases[] = {
      {true, ProgressLine::kShownFrom,
       "\rSaving 9 of 20 files\rSaving 10 of 20 files"
       "\r                     \r"},
      {true, ProgressLine::kShownFrom - 1, ""},
      {false, 1000, ""},
  };
  for (const auto& [terminal, total, drawn] : cases) {
    std::ostringstream err;
    std::ostringstream out;
    {
      ProgressLine progress(err, out, terminal);
      progress.Start("Saving", total);
      progress.Show(9);
      progress.Show(10);
    }
    EXPECT_EQ(err.str(), drawn) << terminal << " " << total;
  }
}

}  // namespace
