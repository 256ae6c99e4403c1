// The element syntax, the reply reader and the gzip members of the wire.
#include <gtest/gtest.h>
#include <zlib.h>

#include <array>
#include <random>

#include "wire/Gzip.h"
#include "wire/MessageFormat.h"

namespace tarvik { namespace {

TEST(TagValue, FindsTheFirstElementOfExactlyThatNameAndTagIntTakesDigitsOnly) {
  const std::string reply = "<RDC_10><G_CODE>B</G_CODE></RDC_10><RDC_1><G_CODE>A</G_CODE></RDC_1>";
  const std::vector<std::array<std::string, 3>> cases = {
      {"RDC_1", reply, "<G_CODE>A</G_CODE>"}, {"RDC_10", reply, "<G_CODE>B</G_CODE>"}, {"G_CODE", reply, "B"},
      {"RDC_2", reply, ""}, {"CALL_INDEX", "<CALL_INDEX></CALL_INDEX>", ""}, {"RESULT_CODE", "</RESULT_CODE>", ""},
      {"RESULT_CODE", "<RESULT_CODE>1", ""}, {"RESULT_CODE", "<result_code>1</result_code>", ""},
      {"A", "</A><A>x</A>", ""},      // the first close decides, even before the open
      {"A", "<A>x</A>y</A>", "x"}};  // a value holding its own closing text is cut short
  for (const auto& [name, text, value] : cases) EXPECT_EQ(TagValue(name, text), value) << name << " in " << text;
  EXPECT_EQ(TagInt("N", "<N>3000</N>"), 3000);
  for (const char* bad : {"<N>abc</N>", "<N></N>", "<N>-1</N>", "<N> 3</N>", "<N>9999999999999999999999</N>"})
    EXPECT_EQ(TagInt("N", bad), 0) << bad;
}

// The reply reader agrees with TagValue on any text: the fuzz target
// reply_reader, its seeds replayed as a test. The largest index fits; one past
// it is another name, not index 0.
TEST(ReplyReader, LargestIndexIsReadAndOverflowIsNoIndex) {
  const std::string reply = "<RDC_18446744073709551615>max</RDC_18446744073709551615>"
                            "<RDC_18446744073709551616>0?</RDC_18446744073709551616>";
  const ReplyReader r(reply);
  EXPECT_EQ(r.Record(static_cast<std::size_t>(-1)), "max");
  EXPECT_EQ(r.Record(0), "");
}

// zlib's own gzip reader, as an independent judge of what we write.
std::string ZlibGunzip(const std::string& member, std::size_t size) {
  std::string out(size + 1, '\0');
  z_stream zs{};
  if (inflateInit2(&zs, 16 + 15) != Z_OK) return "init failed";
  zs.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(member.data()));
  zs.avail_in = static_cast<uInt>(member.size());
  zs.next_out = reinterpret_cast<Bytef*>(&out[0]);
  zs.avail_out = static_cast<uInt>(out.size());
  const int rc = inflate(&zs, Z_FINISH);
  out.resize(zs.total_out);
  inflateEnd(&zs);
  return rc == Z_STREAM_END ? out : "not a whole member";
}

std::string Sample(std::size_t n) {
  std::mt19937 rng(7);
  std::string s;
  for (std::size_t i = 0; i < n; ++i) s += static_cast<char>(rng() % 7 == 0 ? rng() : 'a' + rng() % 5);
  return s;
}

std::uint32_t Le32(const std::string& m, std::size_t at) {
  std::uint32_t v = 0;
  for (int i = 3; i >= 0; --i) v = v << 8 | static_cast<unsigned char>(m[at + i]);
  return v;
}

TEST(Gzip, MemberHasTheFixedHeaderAndALittleEndianTrailer_InputThatFillsTheDeflateBound) {
  // The last: deflate filled its deflateBound buffer exactly and answered
  // Z_OK, not Z_STREAM_END, and the member came back empty.
  for (const std::string& data : {std::string(), std::string("VALUE=<POST_DATA></POST_DATA>"), Sample(200000),
                                  std::string("\xcd\xc9\xf6\x9f\xff\xfe\xcf\xcd\xc9\xf6\xfd\xff\xff\xff\xa0", 15)}) {
    const std::string m = GzipCompress(data);
    ASSERT_GE(m.size(), 18u);
    EXPECT_EQ(m.substr(0, 10), std::string("\x1F\x8B\x08\0\0\0\0\0\0\0", 10));
    EXPECT_EQ(Le32(m, m.size() - 8), Crc32(data));
    EXPECT_EQ(Le32(m, m.size() - 4), data.size());
    EXPECT_EQ(ZlibGunzip(m, data.size()), data);
    std::string back;
    ASSERT_TRUE(GzipDecompress(m, back));
    EXPECT_EQ(back, data);
  }
  EXPECT_EQ(Crc32("123456789"), 0xCBF43926u);
}

// The cap on inflation: the gzip fuzz target's seed bomb_1mb_of_zeros.
TEST(Gzip, EveryBrokenMemberIsRefusedWithEmptyOutput) {
  const std::string good = GzipCompress(Sample(5000));
  const auto with = [&](std::size_t at, int flip) {
    std::string m = good;
    m[at] = static_cast<char>(m[at] ^ flip);
    return m;
  };
  const std::vector<std::pair<const char*, std::string>> cases = {
      {"short header", good.substr(0, 9)},
      {"bad magic", with(1, 0x8B ^ 0x8C)},
      {"not deflate", with(2, 8 ^ 7)},
      {"reserved flag", with(3, 32)},
      {"name without end", std::string("\x1F\x8B\x08\x08\0\0\0\0\0\0name", 14)},
      {"extra beyond end", std::string("\x1F\x8B\x08\x04\0\0\0\0\0\0\xFF\x00", 12)},
      {"header crc cut", std::string("\x1F\x8B\x08\x02\0\0\0\0\0\0\x01", 11)},
      {"data error", with(20, 0x55)},
      {"no trailer", good.substr(0, good.size() - 8)},
      {"half trailer", good.substr(0, good.size() - 3)},
      {"crc mismatch", with(good.size() - 8, 1)},
      {"length mismatch", with(good.size() - 4, 1)},
      {"cut in the stream", good.substr(0, good.size() / 2)},
  };
  for (const auto& [what, member] : cases) {
    std::string out = "stale";
    EXPECT_FALSE(GzipDecompress(member, out)) << what;
    EXPECT_TRUE(out.empty()) << what;
  }
}

}}  // namespace tarvik
