#include "platform/WineText.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

using platform::WineText;

namespace {

// Decodes `text` as the body of a quoted string, which must end with '"'.
std::optional<std::string> Decode(std::string_view text) {
  std::size_t pos = 0;
  std::string out;
  if (!WineText::DecodeUntil(text, &pos, '"', &out)) return std::nullopt;
  return out;
}

TEST(WineTextDecode, StopsAtTheFirstUnescapedTerminator) {
  std::string_view text = R"(a\"b"rest)";
  std::size_t pos = 0;
  std::string out = "kept:";
  ASSERT_TRUE(WineText::DecodeUntil(text, &pos, '"', &out));
  EXPECT_EQ(out, "kept:a\"b");
  EXPECT_EQ(pos, 5u);
}

TEST(WineTextDecode, MissingTerminatorOrDanglingEscapeFails) {
  EXPECT_EQ(Decode("no end"), std::nullopt);
  EXPECT_EQ(Decode(""), std::nullopt);
  EXPECT_EQ(Decode("ends in escape\\"), std::nullopt);
  EXPECT_EQ(Decode("escaped quote only\\\""), std::nullopt);
}

TEST(WineTextDecode, NamedEscapesGiveTheirCharacters) {
  EXPECT_EQ(Decode(R"(\\\"\a\b\t\n\v\f\r\e")"), std::string("\\\"\a\b\t\n\v\f\r\x1b"));
}

TEST(WineTextDecode, OtherEscapedCharactersStandForThemselves) {
  EXPECT_EQ(Decode(R"(\q\[\]\8\9\ ")"), "q[]89 ");
}

TEST(WineTextDecode, OctalTakesOneToThreeDigits) {
  EXPECT_EQ(Decode(R"(\1")"), std::string("\x01"));
  EXPECT_EQ(Decode(R"(\0017")"), std::string("\x01" "7"));
  EXPECT_EQ(Decode(R"(\101\60x")"), "A0x");
  EXPECT_EQ(Decode(R"(\18")"), std::string("\x01" "8"));
  EXPECT_EQ(Decode(R"(\0")"), std::string(1, '\0'));
  // Octal escapes are code units, so values beyond 0x7F come out as UTF-8.
  EXPECT_EQ(Decode(R"(\351\777")"), "\xC3\xA9\xC7\xBF");
}

TEST(WineTextDecode, HexTakesOneToFourDigitsAsOneCodeUnit) {
  EXPECT_EQ(Decode(R"(\x41")"), "A");
  EXPECT_EQ(Decode(R"(\x4")"), "\x04");
  EXPECT_EQ(Decode(R"(\x00e9\xE9")"), "\xC3\xA9\xC3\xA9");
  EXPECT_EQ(Decode(R"(\x20ac5")"), "\xE2\x82\xAC" "5");
  EXPECT_EQ(Decode(R"(\xg")"), "xg");
}

TEST(WineTextDecode, SurrogatePairsJoinAndLoneSurrogatesAreReplaced) {
  EXPECT_EQ(Decode(R"(\xd83d\xde00")"), "\xF0\x9F\x98\x80");
  EXPECT_EQ(Decode(R"(\xD800\xDC00")"), "\xF0\x90\x80\x80");
  const std::string kReplacement = "\xEF\xBF\xBD";
  EXPECT_EQ(Decode(R"(\xd83d")"), kReplacement);
  EXPECT_EQ(Decode(R"(\xd83da")"), kReplacement + "a");
  EXPECT_EQ(Decode(R"(\xde00\xd83d")"), kReplacement + kReplacement);
  EXPECT_EQ(Decode(R"(\xd83d\xd83d\xde00")"), kReplacement + "\xF0\x9F\x98\x80");
  EXPECT_EQ(Decode(R"(\xd83d\n\xde00")"), kReplacement + "\n" + kReplacement);
}

TEST(WineTextDecode, RawUtf8IsKeptAndOtherHighBytesAreLatin1) {
  EXPECT_EQ(Decode("Caf\xC3\xA9\""), "Caf\xC3\xA9");
  EXPECT_EQ(Decode("\xF0\x9F\x98\x80\""), "\xF0\x9F\x98\x80");
  EXPECT_EQ(Decode("Caf\xE9\""), "Caf\xC3\xA9");
  // A lead byte cut short by the terminator, an overlong form, an encoded
  // surrogate: each byte on its own, as Latin-1.
  EXPECT_EQ(Decode("\xC3\""), "\xC3\x83");
  EXPECT_EQ(Decode("\xC0\x80\""), "\xC3\x80\xC2\x80");
  EXPECT_EQ(Decode("\xED\xA0\x80\""), "\xC3\xAD\xC2\xA0\xC2\x80");
  EXPECT_EQ(Decode("\\\xE9\""), "\xC3\xA9");
}

TEST(WineTextUtf8, AppendReplacesNonCharacters) {
  std::string out;
  WineText::AppendUtf8(0x7F, &out);
  WineText::AppendUtf8(0x80, &out);
  WineText::AppendUtf8(0xFFFF, &out);
  WineText::AppendUtf8(0x10FFFF, &out);
  EXPECT_EQ(out, "\x7F\xC2\x80\xEF\xBF\xBF\xF4\x8F\xBF\xBF");
  out.clear();
  WineText::AppendUtf8(0xDC00, &out);
  WineText::AppendUtf8(0x110000, &out);
  EXPECT_EQ(out, "\xEF\xBF\xBD\xEF\xBF\xBD");
}

TEST(WineTextUtf8, DecodeRejectsMalformedSequences) {
  char32_t cp = 0;
  EXPECT_EQ(WineText::DecodeUtf8At("\xE2\x82\xAC", 0, &cp), 3u);
  EXPECT_EQ(cp, 0x20ACu);
  EXPECT_EQ(WineText::DecodeUtf8At("\xE2\x82", 0, &cp), 0u);
  EXPECT_EQ(WineText::DecodeUtf8At("\xE0\x80\x80", 0, &cp), 0u);
  EXPECT_EQ(WineText::DecodeUtf8At("\xF4\x90\x80\x80", 0, &cp), 0u);
  EXPECT_EQ(WineText::DecodeUtf8At("\xF5\x80\x80\x80", 0, &cp), 0u);
  EXPECT_EQ(WineText::DecodeUtf8At("\x80", 0, &cp), 0u);
  EXPECT_EQ(WineText::DecodeUtf8At("a", 1, &cp), 0u);
}

TEST(WineTextFold, FoldsAsciiAndCommonAlphabets) {
  EXPECT_EQ(WineText::FoldCase("Software\\KORVA\\The Velt"), "software\\korva\\the velt");
  EXPECT_EQ(WineText::FoldCase("\xC3\x84PFEL \xC3\x97"), "\xC3\xA4pfel \xC3\x97");  // Ä folds, × does not
  EXPECT_EQ(WineText::FoldCase("\xC5\x81\xC3\x93" "D\xC5\xB9"), "\xC5\x82\xC3\xB3" "d\xC5\xBA");  // ŁÓDŹ
  EXPECT_EQ(WineText::FoldCase("\xC5\xB8"), "\xC3\xBF");  // Ÿ
  EXPECT_EQ(WineText::FoldCase("\xCE\xA9\xCE\xA3"), "\xCF\x89\xCF\x83");  // ΩΣ
  EXPECT_EQ(WineText::FoldCase("\xD0\x96\xD0\x81"), "\xD0\xB6\xD1\x91");  // ЖЁ
}

TEST(WineTextFold, LeavesInvalidBytesAlone) {
  EXPECT_EQ(WineText::FoldCase("A\xFF" "B\xC3"), "a\xFF" "b\xC3");
}

}  // namespace
