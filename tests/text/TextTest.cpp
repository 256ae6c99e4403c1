// The text under both programs: CP949, UTF-8, the date checks, text helpers and the delimited-text splitter.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "text/CodePage.h"
#include "text/Csv.h"
#include "text/Text.h"

namespace tarvik { namespace {

TEST(CheckYymmdd, CalendarRulesWithTheTwoDigitLeapYearAndItsMessages) {
  for (const char* ok : {"000229", "991231", "240229", "240430", "991231  "}) EXPECT_TRUE(CheckYymmdd(ok, false)) << ok;
  for (const char* bad : {"010229", "991331", "990100", "230229", "240431", "240001", "12345 ", "12a456", "2401311",
                          " 40131", ""})
    EXPECT_FALSE(CheckYymmdd(bad, false)) << bad;
  EXPECT_TRUE(CheckYymmdd("   ", true));  // blanks are removed first
  // The reasons name the given text, blanks and all.
  EXPECT_EQ(YymmddProblem("12345 ", true), "날짜가 정확하지 않습니다.\r\r             12345 ");
  EXPECT_EQ(YymmddProblem("", false), "검색할 날짜가 없습니다.");
}

TEST(TextUtilities, FormatTrimAndFirstCharacter) {
  const std::pair<std::string, std::string> dates[] = {
      {"240131", "24/01/31"}, {"2401", "2401"}, {"      ", "      "}, {"한빛", "한빛"}};  // six bytes: never split
  for (const auto& [in, out] : dates) EXPECT_EQ(FormatYymmdd(in), out);
  EXPECT_EQ(TrimRightBlanks("  ab \t  "), "  ab \t");
  EXPECT_EQ(TrimLeftBlanks("  \tab  "), "\tab  ");
  EXPECT_EQ(TrimLeftBlanks("    "), "");
  for (const char* other : {"a12", "한빛"}) EXPECT_TRUE(StartsWithOtherChar(other)) << other;
  for (const char* capital : {"A12", "", " x"}) EXPECT_FALSE(StartsWithOtherChar(capital)) << capital;
  EXPECT_EQ(TextBetween("x<s>mid<e>y<e>", "<s>", "<e>"), "mid");
  EXPECT_EQ(TextBetween("abc]d[e", "[", "]"), "");  // end marker first
  EXPECT_EQ(TextBetween("[abc", "[", "]"), "");
  EXPECT_EQ(TextBetween(std::string(70000, 'x') + "[far]", "[", "]"), "far");  // no 16-bit limit
}

TEST(Cp949, LengthsAndCutsNeverSplitACharacterAndInvalidUtf8CountsOne) {
  EXPECT_EQ(Cp949Length("\xE2\x85\xA2"), 2u);  // Ⅲ is in KS X 1001
  EXPECT_EQ(Cp949Width(0x1F600), 1u);           // not in CP949: written as one '?'
  const std::string s = "A\xED\x95\x9C\xEB\xB9\x9B";  // A한빛: 5 bytes in CP949
  EXPECT_EQ(Cp949Length(s), 5u);
  EXPECT_EQ(CutCp949(s, 5), s);
  EXPECT_EQ(CutCp949(s, 4), "A\xED\x95\x9C");
  EXPECT_EQ(CutCp949(s, 2), "A");
  EXPECT_TRUE(IsValidUtf8("plain \xED\x95\x9C"));
  for (const char* bad : {"\xC0\xAF", "\xED\xA0\x80", "\xED\x95", "\xF4\x90\x80\x80"})
    EXPECT_FALSE(IsValidUtf8(bad)) << bad;  // overlong, surrogate, cut short, above U+10FFFF
  const std::string t = "a\xFF\xED\x95\x9C\xC3";  // a, stray byte, 한, cut-off lead byte
  EXPECT_EQ(Cp949Length(t), 5u);
  EXPECT_EQ(CutCp949(t, 3), "a\xFF");  // never half of 한
  EXPECT_EQ(DecodeUtf8(t), (std::u32string{U'a', 0xFFFD, 0xD55C, 0xFFFD}));
  EXPECT_EQ(NextCharEnd(t, 2), 5u);
  const std::u32string all = {U'A', 0xE9, 0xD55C, 0x1F600};
  EXPECT_EQ(DecodeUtf8(EncodeUtf8(all)), all);
}

TEST(Cp949, ReadAsUtf8WithUndefinedBytesReplacedAndTheRestKept_CrashOnUndefinedPairAtTheEnd) {
  const std::pair<const char*, const char*> cases[] = {
      {"A\xC7\xD1\xBA\xFB,3", "A\xED\x95\x9C\xEB\xB9\x9B,3"},  // A한빛,3
      {"\x81\x41", "\xEA\xB0\x82"},                           // 갂: the extension's two bytes
      {"\xFF" "B", "\xEF\xBF\xBD" "B"},                         // no such byte: U+FFFD, then B
      {"x\xC7", "x\xEF\xBF\xBD"},                               // a lead byte cut off at the end
      // An undefined pair at the end (glibc's converter read past the buffer): one U+FFFD a byte.
      {"P00002,3\r\n\xA2\xE8", "P00002,3\r\n\xEF\xBF\xBD\xEF\xBF\xBD"},
      {"", ""},
  };
  for (const auto& [cp949, utf8] : cases) EXPECT_EQ(Cp949ToUtf8(cp949), utf8) << utf8;
}

// The catalogue files' and the basket lists' splitter: records joined by "|", fields by "/".
TEST(Csv, QuotesOpenOnlyAtAFieldStartAndSpanLines) {
  const struct { const char* text; CsvRules rules; const char* records; std::vector<std::size_t> lines; } cases[] = {
      {"a,\"b,\"\"c\"\"\"\r\n\r\nd,", {}, "a/b,\"c\"|d/", {1, 3}},
      {"\"x\ny\",1\nz", {}, "x\ny/1|z", {1, 3}},
      {"ab\"c,\"d\"e", {}, "ab\"c/de", {1}},
      {" \"a ; b\" ;  c ", {';', true}, "a ; b/c", {1}},
      {"  P1   \"1 200\"  ", {' ', true}, "P1/1 200", {1}},
      {",,\n \n", {}, "//| ", {1, 2}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    const CsvSplit split = SplitCsv(c.text, c.rules);
    std::string joined;
    for (const auto& r : split.records) {
      if (!joined.empty()) joined += "|";
      for (std::size_t f = 0; f < r.size(); ++f) joined += (f ? "/" : "") + r[f];
    }
    EXPECT_EQ(joined, c.records);
    EXPECT_EQ(split.lineOf, c.lines);
    EXPECT_FALSE(split.unclosedQuote);
  }
  EXPECT_TRUE(SplitCsv("a,\"b\nc").unclosedQuote);
}

}}  // namespace tarvik
