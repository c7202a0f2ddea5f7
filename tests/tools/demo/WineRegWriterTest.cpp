#include "tools/demo/WineRegWriter.h"

#include <gtest/gtest.h>

namespace tools {
namespace {

TEST(WineRegWriterTest, EscapesBackslashesAndTheDelimiter) {
  EXPECT_EQ(WineRegWriter::Escape("C:\\Program Files", '"'), "C:\\\\Program Files");
  EXPECT_EQ(WineRegWriter::Escape("say \"hi\" [x]", '"'), "say \\\"hi\\\" [x]");
  EXPECT_EQ(WineRegWriter::Escape("odd]key\"", ']'), "odd\\]key\"");
}

TEST(WineRegWriterTest, EscapesNonAsciiAsUtf16CodeUnits) {
  // U+00E9 before "e" needs four digits so the reader stops after the escape.
  EXPECT_EQ(WineRegWriter::Escape("Ren\u00e9e", '"'), "Ren\\x00e9e");
  EXPECT_EQ(WineRegWriter::Escape("\u00f6m", '"'), "\\xf6m");
  EXPECT_EQ(WineRegWriter::Escape("\u20ac", '"'), "\\x20ac");
  EXPECT_EQ(WineRegWriter::Escape("\U0001F3E0!", '"'), "\\xd83c\\xdfe0!");
  EXPECT_EQ(WineRegWriter::Escape("a\xff" "b\xc3", '"'), "a\\xfffdb\\xfffd");
  EXPECT_EQ(WineRegWriter::Escape("\xc0\xaf", '"'), "\\xfffd") << "overlong";
}

TEST(WineRegWriterTest, EscapesControlCharacters) {
  EXPECT_EQ(WineRegWriter::Escape("a\tb\nc\r", '"'), "a\\tb\\nc\\r");
  EXPECT_EQ(WineRegWriter::Escape(std::string_view("\x01x\x01" "7", 4), '"'), "\\1x\\0017");
}

TEST(WineRegWriterTest, WritesTheHeaderAndEveryValueKind) {
  WineRegWriter reg({"made by a test"});
  reg.BeginKey("Software\\Test Key");
  reg.String("", "default");
  reg.String("Path", "C:\\x");
  reg.ExpandString("Help", "%SystemRoot%\\help");
  reg.Dword("Count", 0x2a);
  reg.Binary("Data", {0x00, 0xff, 0x10});
  reg.BeginKey("Software\\Empty");
  EXPECT_EQ(reg.Text(),
            "WINE REGISTRY Version 2\n"
            ";; All keys relative to REGISTRY\\\\Machine\n"
            "#arch=win64\n"
            ";; made by a test\n"
            "\n"
            "[Software\\\\Test Key] 1796626466\n"
            "#time=1d9a8c5b2e4f000\n"
            "@=\"default\"\n"
            "\"Path\"=\"C:\\\\x\"\n"
            "\"Help\"=str(2):\"%SystemRoot%\\\\help\"\n"
            "\"Count\"=dword:0000002a\n"
            "\"Data\"=hex:00,ff,10\n"
            "\n"
            "[Software\\\\Empty] 1796626466\n"
            "#time=1d9a8c5b2e4f000\n");
}

TEST(WineRegWriterTest, LongBinaryValuesContinueOnIndentedLines) {
  std::vector<std::uint8_t> bytes;
  for (int i = 0; i < 50; ++i) bytes.push_back(static_cast<std::uint8_t>(i));
  WineRegWriter reg({});
  reg.Binary("Signature", bytes);
  const std::string text = reg.Text();
  const std::string values = text.substr(text.find("\"Signature\""));
  // 21 bytes fit behind the 16-character name, 25 on each continued line.
  EXPECT_EQ(values,
            "\"Signature\"=hex:00,01,02,03,04,05,06,07,08,09,0a,0b,0c,0d,0e,0f,10,11,12,13,14,\\\n"
            "  15,16,17,18,19,1a,1b,1c,1d,1e,1f,20,21,22,23,24,25,26,27,28,29,2a,2b,2c,2d,\\\n"
            "  2e,2f,30,31\n");
  for (std::size_t start = 0, end; (end = values.find('\n', start)) != std::string::npos; start = end + 1) {
    EXPECT_LE(end - start, 80u);
  }
}

}  // namespace
}  // namespace tools
