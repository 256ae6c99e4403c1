#include <gtest/gtest.h>

#include <random>

#include "net/MessageFormat.h"

namespace tarvik {
namespace {

TEST(TagValue, FindsTheFirstElementOfExactlyThatName) {
  const std::string reply = "<RDC_10><G_CODE>B</G_CODE></RDC_10><RDC_1><G_CODE>A</G_CODE></RDC_1>";
  EXPECT_EQ(TagValue("RDC_1", reply), "<G_CODE>A</G_CODE>");
  EXPECT_EQ(TagValue("RDC_10", reply), "<G_CODE>B</G_CODE>");
  EXPECT_EQ(TagValue("G_CODE", reply), "B");
  EXPECT_EQ(TagValue("RDC_2", reply), "");
  EXPECT_EQ(TagValue("CALL_INDEX", "<CALL_INDEX></CALL_INDEX>"), "");
  EXPECT_EQ(TagValue("RESULT_CODE", "</RESULT_CODE>"), "");
  EXPECT_EQ(TagValue("RESULT_CODE", "<RESULT_CODE>1"), "");
  EXPECT_EQ(TagValue("RESULT_CODE", "<result_code>1</result_code>"), "");
  // The first close decides, even when it stands before the open.
  EXPECT_EQ(TagValue("A", "</A><A>x</A>"), "");
  // A value holding its own closing text is cut short.
  EXPECT_EQ(TagValue("A", "<A>x</A>y</A>"), "x");
}

TEST(TagInt, DecimalDigitsOnlyElseZero) {
  EXPECT_EQ(TagInt("N", "<N>3000</N>"), 3000);
  for (const char* bad : {"<N>abc</N>", "<N></N>", "<N>-1</N>", "<N> 3</N>", "<N>9999999999999999999999</N>"}) {
    EXPECT_EQ(TagInt("N", bad), 0) << bad;
  }
}

// Pieces a reply is made of, the tricky look-alikes included.
std::string Piece(std::mt19937& rng, const std::string& prefix) {
  auto pick = [&](int n) { return static_cast<int>(rng() % static_cast<unsigned>(n)); };
  const std::string idx = std::to_string(pick(13));
  switch (pick(16)) {
    case 0: return "<" + prefix + idx + ">";
    case 1: return "</" + prefix + idx + ">";
    case 2:
    case 3: return "<" + prefix + idx + "><G_NAME>n" + idx + "</G_NAME></" + prefix + idx + ">";
    case 4: return "<" + prefix + "0" + idx + ">";       // leading zero: another name
    case 5: return "<" + prefix + idx + "x>";             // digits then more
    case 6: return "<" + prefix + ">";                    // no digits
    case 7: return "<" + prefix + idx;                    // not closed
    case 8: return "</" + prefix + idx;                   // not closed
    case 9: return "<<" + prefix + idx + ">>";
    case 10: return "<" + prefix + "99999999999999999999999>";  // beyond any index
    case 11: return "<rdc_" + idx + ">";
    case 12: return "</ " + prefix + idx + ">";
    case 13: return "<G_CODE>" + idx + "</G_CODE>";
    case 14: return std::string(1, "<>/_0123456789RDCOL"[pick(19)]);
    default: return "\xED\x95\x9C";  // a Hangul syllable
  }
}

TEST(ReplyReader, AgreesWithTagValueOnGeneratedReplies) {
  std::mt19937 rng(20240131);
  int nonEmpty = 0;
  for (int round = 0; round < 4000; ++round) {
    const std::string prefix = round % 4 == 3 ? "OLD_" : "RDC_";
    std::string reply;
    const int pieces = static_cast<int>(rng() % 40);
    for (int i = 0; i < pieces; ++i) reply += Piece(rng, prefix);
    if (round % 3 == 0 && !reply.empty()) reply.resize(rng() % reply.size());  // cut anywhere
    const ReplyReader reader(reply, prefix);
    for (std::size_t i = 0; i < 14; ++i) {
      const std::string expected = TagValue(prefix + std::to_string(i), reply);
      ASSERT_EQ(reader.Record(i), expected) << "round " << round << " record " << i << "\n" << reply;
      nonEmpty += !expected.empty();
    }
  }
  EXPECT_GT(nonEmpty, 4000);  // the generator does produce records
}

// The largest index fits; one past it is another name, not index 0.
TEST(ReplyReader, LargestIndexIsReadAndOverflowIsNoIndex) {
  const ReplyReader r("<RDC_18446744073709551615>max</RDC_18446744073709551615>"
                      "<RDC_18446744073709551616>0?</RDC_18446744073709551616>");
  EXPECT_EQ(r.Record(static_cast<std::size_t>(-1)), "max");
  EXPECT_EQ(r.Record(0), "");
}

}  // namespace
}  // namespace tarvik
