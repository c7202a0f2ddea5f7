#include "platform/WineHive.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

using platform::WineHive;

namespace {

constexpr std::string_view kHeader = "WINE REGISTRY Version 2\n;; All keys relative to REGISTRY\\\\Machine\n";

WineHive ParseBody(std::string_view body) {
  std::optional<WineHive> hive = WineHive::Parse(std::string(kHeader) + std::string(body));
  EXPECT_TRUE(hive.has_value());
  return hive ? std::move(*hive) : *WineHive::Parse(kHeader);
}

// The string data of a value, or nullopt when the key or value is missing or
// the value is no string.
std::optional<std::string> StringOf(const WineHive& hive, std::string_view key, std::string_view name) {
  const WineHive::Key* found = hive.FindKey(key);
  if (found == nullptr) return std::nullopt;
  const WineHive::Value* value = found->FindValue(name);
  if (value == nullptr || value->type == WineHive::ValueType::kOther) return std::nullopt;
  return value->text;
}

TEST(WineHiveHeader, OnlyTheVersion2HeaderIsAccepted) {
  EXPECT_TRUE(WineHive::Parse("WINE REGISTRY Version 2").has_value());
  EXPECT_TRUE(WineHive::Parse("WINE REGISTRY Version 2\r\n[A]\r\n").has_value());
  EXPECT_FALSE(WineHive::Parse("").has_value());
  EXPECT_FALSE(WineHive::Parse("\nWINE REGISTRY Version 2\n").has_value());
  EXPECT_FALSE(WineHive::Parse("WINE REGISTRY Version 1\n[A]\n").has_value());
  EXPECT_FALSE(WineHive::Parse("WINE REGISTRY Version 2 \n[A]\n").has_value());
  EXPECT_FALSE(WineHive::Parse("REGEDIT4\n[A]\n").has_value());
  EXPECT_FALSE(WineHive::Parse("Windows Registry Editor Version 5.00\n").has_value());
}

TEST(WineHiveHeader, ArchOptionBeforeTheFirstSection) {
  EXPECT_EQ(ParseBody("").arch(), WineHive::Arch::kWin32);
  EXPECT_EQ(ParseBody("#arch=win64\n").arch(), WineHive::Arch::kWin64);
  EXPECT_EQ(ParseBody("#arch=win32\n").arch(), WineHive::Arch::kWin32);
  EXPECT_EQ(ParseBody("[A] 1\n#arch=win64\n").arch(), WineHive::Arch::kWin32);
}

TEST(WineHiveKeys, LookupIgnoresCaseAndEmptyComponents) {
  WineHive hive = ParseBody("\n[Software\\\\Korva\\\\The Velt] 1796626466\n#time=1d8e0f3a2b4c5d6\n\"a\"=\"1\"\n");
  const WineHive::Key* key = hive.FindKey("Software\\Korva\\The Velt");
  ASSERT_NE(key, nullptr);
  EXPECT_EQ(hive.FindKey("SOFTWARE\\korva\\THE VELT"), key);
  EXPECT_EQ(hive.FindKey("\\Software\\\\Korva\\The Velt\\"), key);
  EXPECT_EQ(hive.FindKey("Software\\Korva\\The Velt\\Missing"), nullptr);
  EXPECT_EQ(hive.FindKey("Software/Korva/The Velt"), nullptr);  // "/" is a legal name character
  EXPECT_EQ(hive.FindKey("Software\\Korva\\The"), nullptr);
}

TEST(WineHiveKeys, AncestorsOfASectionExist) {
  WineHive hive = ParseBody("[Software\\\\Korva\\\\The Velt]\n");
  EXPECT_NE(hive.FindKey(""), nullptr);
  EXPECT_NE(hive.FindKey("Software"), nullptr);
  ASSERT_NE(hive.FindKey("Software\\Korva"), nullptr);
  EXPECT_EQ(hive.FindKey("Software\\Korva")->ValueCount(), 0u);
  EXPECT_EQ(hive.KeyCount(), 4u);
}

TEST(WineHiveKeys, PathsDeeperThanTheRegistryAllowsAreRefused) {
  auto deepSection = [](std::size_t depth, std::string_view valueLine) {
    std::string section = "[";
    for (std::size_t i = 0; i < depth; ++i) section += i == 0 ? "k" : "\\\\k";
    return section + "] 1\n" + std::string(valueLine);
  };
  std::string deepest(2 * WineHive::kMaxKeyDepth - 1, 'k');
  for (std::size_t i = 1; i < deepest.size(); i += 2) deepest[i] = '\\';

  WineHive hive = ParseBody(deepSection(WineHive::kMaxKeyDepth, "\"a\"=\"1\"\n") +
                            deepSection(WineHive::kMaxKeyDepth + 1, "\"b\"=\"2\"\n"));
  EXPECT_EQ(StringOf(hive, deepest, "a"), "1");
  EXPECT_EQ(StringOf(hive, deepest, "b"), std::nullopt);
  EXPECT_EQ(hive.FindKey(deepest + "\\k"), nullptr);
  EXPECT_EQ(hive.KeyCount(), WineHive::kMaxKeyDepth + 1);
}

TEST(WineHiveKeys, EscapesAndNonAsciiInKeyPaths) {
  WineHive hive = ParseBody(
      "[Software\\\\Br\\x00e4nde\\\\\\[x\\]] 1\n\"a\"=\"1\"\n"
      "[Software\\\\\xC3\x84pfel] 1\n\"b\"=\"2\"\n"
      "[Software\\\\Caf\xE9] 1\n\"c\"=\"3\"\n");
  EXPECT_EQ(StringOf(hive, "Software\\Br\xC3\xA4nde\\[x]", "a"), "1");
  EXPECT_EQ(StringOf(hive, "software\\BR\xC3\x84NDE\\[X]", "a"), "1");
  EXPECT_EQ(StringOf(hive, "Software\\\xC3\xA4PFEL", "b"), "2");
  EXPECT_EQ(StringOf(hive, "Software\\Caf\xC3\xA9", "c"), "3");
}

TEST(WineHiveKeys, RepeatedSectionsMergeAndLaterValuesWin) {
  WineHive hive = ParseBody("[K]\n\"a\"=\"1\"\n\"b\"=\"1\"\n\n[k]\n\"A\"=\"2\"\n");
  EXPECT_EQ(StringOf(hive, "K", "a"), "2");
  EXPECT_EQ(StringOf(hive, "K", "b"), "1");
}

TEST(WineHiveValues, StringTypes) {
  WineHive hive = ParseBody(
      "[K] 1\n"
      "\"Plain\"=\"C:\\\\Games\\\\The Velt\"\n"
      "\"Str\"=str:\"s\"\n"
      "\"Str1\"=str(1):\"s1\"\n"
      "\"Expand\"=str(2):\"%SystemRoot%\\\\system32\"\n"
      "\"Multi\"=str(7):\"a\\0b\\0\"\n"
      "\"Spaced\" = \"x\"\n");
  const WineHive::Key* key = hive.FindKey("K");
  ASSERT_NE(key, nullptr);
  ASSERT_NE(key->FindValue("Plain"), nullptr);
  EXPECT_EQ(key->FindValue("Plain")->type, WineHive::ValueType::kString);
  EXPECT_EQ(key->FindValue("Plain")->text, "C:\\Games\\The Velt");
  EXPECT_EQ(StringOf(hive, "K", "Str"), "s");
  EXPECT_EQ(StringOf(hive, "K", "Str1"), "s1");
  ASSERT_NE(key->FindValue("Expand"), nullptr);
  EXPECT_EQ(key->FindValue("Expand")->type, WineHive::ValueType::kExpandString);
  EXPECT_EQ(key->FindValue("Expand")->text, "%SystemRoot%\\system32");
  ASSERT_NE(key->FindValue("Multi"), nullptr);
  EXPECT_EQ(key->FindValue("Multi")->type, WineHive::ValueType::kOther);
  EXPECT_EQ(StringOf(hive, "K", "Spaced"), "x");
}

TEST(WineHiveValues, DefaultValueAndCaseInsensitiveNames) {
  WineHive hive = ParseBody("[K]\n@=\"default\"\n\"VELT_DATA\"=\"d\"\n\"\xC3\x84pfel\"=\"e\"\n\"q\\\"n\"=\"f\"\n");
  EXPECT_EQ(StringOf(hive, "K", ""), "default");
  EXPECT_EQ(StringOf(hive, "K", "velt_data"), "d");
  EXPECT_EQ(StringOf(hive, "K", "Velt_Data"), "d");
  EXPECT_EQ(StringOf(hive, "K", "\xC3\xA4PFEL"), "e");
  EXPECT_EQ(StringOf(hive, "K", "Q\"N"), "f");
  EXPECT_EQ(StringOf(hive, "K", "@"), std::nullopt);

  WineHive quotedEmpty = ParseBody("[K]\n\"\"=\"empty name\"\n");
  EXPECT_EQ(StringOf(quotedEmpty, "K", ""), "empty name");
}

TEST(WineHiveValues, OtherTypesAreKeptButAreNoStrings) {
  WineHive hive = ParseBody(
      "[K] 1\n"
      "\"Dword\"=dword:00000001\n"
      "\"Bin\"=hex:01,02,03,04,05,06,07,08,09,0a,0b,0c,0d,0e,0f,10,11,12,13,14,15,16,\\\n"
      "  17,18,19,1a,1b,1c,1d,1e,1f,20,21,22,23,24,25,26,27,28,29,2a,2b,2c,2d,2e,\\\n"
      "  2f\n"
      "\"Typed\"=hex(2):25,00,53,00,00,00\n"
      "\"Qword\"=hex(b):01,00,00,00,00,00,00,00\n"
      "\"After\"=\"still read\"\n");
  const WineHive::Key* key = hive.FindKey("K");
  ASSERT_NE(key, nullptr);
  for (const char* name : {"Dword", "Bin", "Typed", "Qword"}) {
    const WineHive::Value* value = key->FindValue(name);
    ASSERT_NE(value, nullptr) << name;
    EXPECT_EQ(value->type, WineHive::ValueType::kOther) << name;
    EXPECT_EQ(value->text, "") << name;
  }
  EXPECT_EQ(StringOf(hive, "K", "After"), "still read");
  EXPECT_EQ(key->ValueCount(), 5u);
}

TEST(WineHiveValues, EscapesInStringData) {
  WineHive hive = ParseBody(
      "[K]\n"
      "\"e\"=\"\\\\\\\"\\a\\b\\t\\n\\v\\f\\r\\e\\0017\\q\"\n"
      "\"u\"=\"\\x00e9\\xd83d\\xde00\\xd800!\"\n"
      "\"raw\"=\"\xC3\xA9|\xE9\"\n");
  EXPECT_EQ(StringOf(hive, "K", "e"), std::string("\\\"\a\b\t\n\v\f\r\x1b\x01" "7q"));
  EXPECT_EQ(StringOf(hive, "K", "u"), "\xC3\xA9\xF0\x9F\x98\x80\xEF\xBF\xBD!");
  EXPECT_EQ(StringOf(hive, "K", "raw"), "\xC3\xA9|\xC3\xA9");
}

TEST(WineHiveDamage, SectionWithoutClosingBracketOwnsItsValues) {
  WineHive hive = ParseBody(
      "[Good] 1\n\"a\"=\"1\"\n\n"
      "[Broken\\\\Key 1\n\"b\"=\"2\"\n\n"
      "[Next] 1\n\"c\"=\"3\"\n");
  EXPECT_EQ(StringOf(hive, "Good", "a"), "1");
  EXPECT_EQ(StringOf(hive, "Good", "b"), std::nullopt);
  EXPECT_EQ(hive.FindKey("Broken\\Key 1"), nullptr);
  EXPECT_EQ(hive.FindKey("Broken"), nullptr);
  EXPECT_EQ(StringOf(hive, "Next", "c"), "3");
}

TEST(WineHiveDamage, MalformedValueLinesAreDropped) {
  WineHive hive = ParseBody(
      "[K] 1\n"
      "\"good\"=\"1\"\n"
      "\"unterminated name=\"x\"\n"
      "\"unterminated\"=\"C:\\\\Ga\n"
      "\"noequals\" \"x\"\n"
      "\"unknown\"=float:1.5\n"
      "\"badword\"=dword:xyz\n"
      "\"longword\"=dword:000000001\n"
      "\"badhex\"=hex(:01\n"
      "\"good\"=\"C:\\\\Ga\n"
      "\"later\"=\"2\"\n");
  const WineHive::Key* key = hive.FindKey("K");
  ASSERT_NE(key, nullptr);
  EXPECT_EQ(StringOf(hive, "K", "good"), "1");
  EXPECT_EQ(StringOf(hive, "K", "later"), "2");
  EXPECT_EQ(key->ValueCount(), 2u);
}

TEST(WineHiveDamage, ValuesBeforeTheFirstSectionBelongToNothing) {
  WineHive hive = ParseBody("\"a\"=\"1\"\n@=\"2\"\n[K]\n");
  EXPECT_EQ(hive.FindKey("")->ValueCount(), 0u);
  EXPECT_EQ(hive.FindKey("K")->ValueCount(), 0u);
}

TEST(WineHiveDamage, CommentsOptionsAndIndentedLinesAreSkipped) {
  WineHive hive = ParseBody(
      "[K] 1\n"
      ";\"comment\"=\"1\"\n"
      "#class=\"x\"\n"
      "#link\n"
      "  \"indented\"=\"2\"\n"
      "garbage line\n"
      "\"kept\"=\"3\"\n");
  EXPECT_EQ(hive.FindKey("K")->ValueCount(), 1u);
  EXPECT_EQ(StringOf(hive, "K", "kept"), "3");
}

TEST(WineHiveDamage, TextCutInsideAStringOrEscape) {
  std::string full = std::string(kHeader) + "[K] 1\n\"a\"=\"1\"\n\"VELT_DATA\"=\"C:\\\\Games\\\\The Velt\"\n";
  for (std::size_t cut = kHeader.size(); cut < full.size(); ++cut) {
    std::optional<WineHive> hive = WineHive::Parse(std::string_view(full).substr(0, cut));
    ASSERT_TRUE(hive.has_value()) << cut;
    std::optional<std::string> data = StringOf(*hive, "K", "VELT_DATA");
    if (data) {
      EXPECT_EQ(*data, "C:\\Games\\The Velt") << cut;
    }
  }
  std::optional<WineHive> cutInString = WineHive::Parse(full.substr(0, full.size() - 5));
  ASSERT_TRUE(cutInString.has_value());
  EXPECT_EQ(StringOf(*cutInString, "K", "a"), "1");
  EXPECT_EQ(StringOf(*cutInString, "K", "VELT_DATA"), std::nullopt);
}

TEST(WineHiveDamage, NulBytesInTheTextAreOrdinaryCharacters) {
  static constexpr char kBody[] = "[K\0x] 1\n\"a\0b\"=\"c\0d\"\n";
  std::string body(kBody, sizeof kBody - 1);
  WineHive hive = ParseBody(body);
  EXPECT_EQ(StringOf(hive, std::string("K\0x", 3), std::string("a\0b", 3)), std::string("c\0d", 3));
}

}  // namespace
