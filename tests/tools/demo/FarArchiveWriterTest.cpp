#include "tools/demo/FarArchiveWriter.h"

#include <gtest/gtest.h>

#include <string>

namespace tools {
namespace {

using namespace std::string_literals;

TEST(FarArchiveWriterTest, LaysOutHeaderDataAndDirectory) {
  FarArchiveWriter writer;
  writer.Add("a.iff", "xyz");
  writer.Add("Sub/B.iff", "");
  writer.Add("c", "0123456789");
  const std::string expected =
      "FAR!byQX"s + "\x01\x00\x00\x00"s + "\x1D\x00\x00\x00"s  // version 1, directory at 16 + 13
      + "xyz" + "0123456789"                                     // the data, back to back
      + "\x03\x00\x00\x00"s                                      // three entries
      + "\x03\x00\x00\x00\x03\x00\x00\x00\x10\x00\x00\x00\x05\x00\x00\x00"s + "a.iff" +
      "\x00\x00\x00\x00\x00\x00\x00\x00\x13\x00\x00\x00\x09\x00\x00\x00"s + "Sub/B.iff" +
      "\x0A\x00\x00\x00\x0A\x00\x00\x00\x13\x00\x00\x00\x01\x00\x00\x00"s + "c";
  EXPECT_EQ(writer.Bytes(), expected);
}

TEST(FarArchiveWriterTest, AnEmptyArchiveHasACountOfZero) {
  EXPECT_EQ(FarArchiveWriter().Bytes(), "FAR!byQX\x01\x00\x00\x00\x10\x00\x00\x00\x00\x00\x00\x00"s);
}

}  // namespace
}  // namespace tools
