#include <gtest/gtest.h>

#include "wire/Text.h"

namespace tarvik {
namespace {

TEST(Cp949, LengthsAndCutsNeverSplitACharacter) {
  EXPECT_EQ(Cp949Length("\xE2\x85\xA2"), 2u);  // Ⅲ is in KS X 1001
  EXPECT_EQ(Cp949Width(0x1F600), 1u);           // not in CP949: written as one '?'
  const std::string s = "A\xED\x95\x9C\xEB\xB9\x9B";  // A한빛: 5 bytes in CP949
  EXPECT_EQ(Cp949Length(s), 5u);
  EXPECT_EQ(CutCp949(s, 5), s);
  EXPECT_EQ(CutCp949(s, 4), "A\xED\x95\x9C");
  EXPECT_EQ(CutCp949(s, 2), "A");
}

TEST(Cp949, ReadAsUtf8WithUndefinedBytesReplacedAndTheRestKept_CrashOnUndefinedPairAtTheEnd) {
  struct {
    const char* cp949;
    const char* utf8;
  } cases[] = {
      {"A\xC7\xD1\xBA\xFB,3", "A\xED\x95\x9C\xEB\xB9\x9B,3"},  // A한빛,3
      {"\x81\x41", "\xEA\xB0\x82"},                          // 갂: the extension's two bytes
      {"\xFF" "B", "\xEF\xBF\xBD" "B"},                         // no such byte: U+FFFD, then B
      {"x\xC7", "x\xEF\xBF\xBD"},                              // a lead byte cut off at the end
      // An undefined pair at the very end (glibc's converter took both bytes
      // and the reading went past the buffer): one U+FFFD a byte.
      {"P00002,3\r\n\xA2\xE8", "P00002,3\r\n\xEF\xBF\xBD\xEF\xBF\xBD"},
      {"", ""},
  };
  for (const auto& c : cases) EXPECT_EQ(Cp949ToUtf8(c.cp949), c.utf8) << c.utf8;
}

TEST(Utf8, InvalidBytesAreRefusedCountOneAndDecodeAsReplacement) {
  EXPECT_TRUE(IsValidUtf8("plain \xED\x95\x9C"));
  for (const char* bad : {"\xC0\xAF", "\xED\xA0\x80", "\xED\x95", "\xF4\x90\x80\x80"}) {
    EXPECT_FALSE(IsValidUtf8(bad)) << bad;  // overlong, surrogate, cut short, above U+10FFFF
  }
  const std::string s = "a\xFF\xED\x95\x9C\xC3";  // a, stray byte, 한, cut-off lead byte
  EXPECT_EQ(Cp949Length(s), 5u);
  EXPECT_EQ(CutCp949(s, 3), "a\xFF");  // never half of 한
  EXPECT_EQ(DecodeUtf8(s), (std::u32string{U'a', 0xFFFD, 0xD55C, 0xFFFD}));
  EXPECT_EQ(NextCharEnd(s, 2), 5u);
  const std::u32string all = {U'A', 0xE9, 0xD55C, 0x1F600};
  EXPECT_EQ(DecodeUtf8(EncodeUtf8(all)), all);
}

}  // namespace
}  // namespace tarvik
