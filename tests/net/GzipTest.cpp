#include <gtest/gtest.h>
#include <zlib.h>

#include <random>

#include "net/Gzip.h"

namespace tarvik {
namespace {

// zlib's own gzip reader, as an independent judge of what we write.
bool ZlibGunzip(const std::string& member, std::string& out) {
  z_stream zs{};
  if (inflateInit2(&zs, 16 + 15) != Z_OK) return false;
  zs.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(member.data()));
  zs.avail_in = static_cast<uInt>(member.size());
  out.clear();
  char buf[4096];
  int rc;
  do {
    zs.next_out = reinterpret_cast<Bytef*>(buf);
    zs.avail_out = sizeof buf;
    rc = inflate(&zs, Z_NO_FLUSH);
    out.append(buf, sizeof buf - zs.avail_out);
  } while (rc == Z_OK);
  inflateEnd(&zs);
  return rc == Z_STREAM_END;
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

TEST(Gzip, MemberHasTheFixedHeaderAndALittleEndianTrailer) {
  for (const std::string& data : {std::string(), std::string("VALUE=<POST_DATA></POST_DATA>"), Sample(200000)}) {
    const std::string m = GzipCompress(data);
    ASSERT_GE(m.size(), 18u);
    EXPECT_EQ(m.substr(0, 10), std::string("\x1F\x8B\x08\0\0\0\0\0\0\0", 10));
    EXPECT_EQ(Le32(m, m.size() - 8), Crc32(data));
    EXPECT_EQ(Le32(m, m.size() - 4), data.size());
    std::string back;
    ASSERT_TRUE(ZlibGunzip(m, back));
    EXPECT_EQ(back, data);
    ASSERT_TRUE(GzipDecompress(m, back));
    EXPECT_EQ(back, data);
  }
  EXPECT_EQ(Crc32("123456789"), 0xCBF43926u);
}

TEST(Gzip, EveryBrokenMemberIsRefusedWithEmptyOutput) {
  const std::string good = GzipCompress(Sample(5000));
  const auto with = [&](std::size_t at, char c) {
    std::string m = good;
    m[at] = c;
    return m;
  };
  const std::vector<std::pair<const char*, std::string>> cases = {
      {"short header", good.substr(0, 9)},
      {"bad magic", with(1, '\x8C')},
      {"not deflate", with(2, 7)},
      {"reserved flag", with(3, 32)},
      {"name without end", std::string("\x1F\x8B\x08\x08\0\0\0\0\0\0name", 14)},
      {"extra beyond end", std::string("\x1F\x8B\x08\x04\0\0\0\0\0\0\xFF\x00", 12)},
      {"header crc cut", std::string("\x1F\x8B\x08\x02\0\0\0\0\0\0\x01", 11)},
      {"data error", with(20, static_cast<char>(good[20] ^ 0x55))},
      {"no trailer", good.substr(0, good.size() - 8)},
      {"half trailer", good.substr(0, good.size() - 3)},
      {"crc mismatch", with(good.size() - 8, static_cast<char>(good[good.size() - 8] ^ 1))},
      {"length mismatch", with(good.size() - 4, static_cast<char>(good[good.size() - 4] ^ 1))},
      {"cut in the stream", good.substr(0, good.size() / 2)},
  };
  for (const auto& [what, member] : cases) {
    std::string out = "stale";
    EXPECT_FALSE(GzipDecompress(member, out)) << what;
    EXPECT_TRUE(out.empty()) << what;
  }
}

TEST(Gzip, InflationIsCapped) {
  const std::string zeros(4 * 1024 * 1024, '\0');
  const std::string bomb = GzipCompress(zeros);
  std::string out;
  EXPECT_FALSE(GzipDecompress(bomb, out, 1024 * 1024));
  EXPECT_TRUE(out.empty());
  EXPECT_TRUE(GzipDecompress(bomb, out, zeros.size()));
  EXPECT_EQ(out.size(), zeros.size());
}

}  // namespace
}  // namespace tarvik
