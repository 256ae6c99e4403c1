#include <gtest/gtest.h>

#include "platform/Text.h"

namespace tarvik {
namespace {

TEST(Cp949, HangulCountsTwoBytesAsciiOne) {
  EXPECT_EQ(Cp949Length("AB"), 2u);
  EXPECT_EQ(Cp949Length("\xED\x95\x9C\xEB\xB9\x9B"), 4u);  // 한빛
  EXPECT_EQ(Cp949Length("\xE2\x85\xA2"), 2u);              // Ⅲ is in KS X 1001
}

TEST(Cp949, CutNeverSplitsACharacter) {
  const std::string s = "A\xED\x95\x9C\xEB\xB9\x9B";  // A한빛: 5 bytes in CP949
  EXPECT_EQ(CutCp949(s, 5), s);
  EXPECT_EQ(CutCp949(s, 4), "A\xED\x95\x9C");
  EXPECT_EQ(CutCp949(s, 2), "A");
  EXPECT_EQ(CutCp949(s, 0), "");
}

TEST(Utf8, ValidationRejectsOverlongsSurrogatesAndTruncation) {
  EXPECT_TRUE(IsValidUtf8("plain \xED\x95\x9C"));
  EXPECT_FALSE(IsValidUtf8("\xC0\xAF"));          // overlong "/"
  EXPECT_FALSE(IsValidUtf8("\xED\xA0\x80"));      // surrogate
  EXPECT_FALSE(IsValidUtf8("\xED\x95"));          // cut short
  EXPECT_FALSE(IsValidUtf8("\xF4\x90\x80\x80"));  // above U+10FFFF
}

}  // namespace
}  // namespace tarvik
