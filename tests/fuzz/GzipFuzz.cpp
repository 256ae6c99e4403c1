// Gzip members both ways: any bytes through the decoder (compared with
// zlib's own gzip reading, and with the output cap at its exact edge), and
// any bytes through compress -> decompress.
#include <zlib.h>

#include <cstddef>
#include <cstdint>
#include <string>

#include "tests/fuzz/FuzzCheck.h"
#include "wire/Gzip.h"

using tarvik::fuzz::Check;

namespace {

constexpr std::size_t kCap = 1u << 20;

// zlib's complete gzip reading (header CRC included), capped like ours:
// true with the output when the first member ends well within the cap.
bool ZlibGunzip(const std::string& in, std::string& out) {
  out.clear();
  z_stream zs{};
  if (inflateInit2(&zs, 16 + 15) != Z_OK) return false;
  zs.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(in.data()));
  zs.avail_in = static_cast<uInt>(in.size());
  char buf[4096];
  int rc = Z_OK;
  while (rc == Z_OK) {
    zs.next_out = reinterpret_cast<Bytef*>(buf);
    zs.avail_out = sizeof buf;
    rc = inflate(&zs, Z_NO_FLUSH);
    out.append(buf, sizeof buf - zs.avail_out);
    if (out.size() > kCap) rc = Z_MEM_ERROR;
  }
  inflateEnd(&zs);
  return rc == Z_STREAM_END;
}

bool HasHeaderCrc(const std::string& in) {
  return in.size() > 3 && (static_cast<unsigned char>(in[3]) & 0x02) != 0;
}

void Decode(const std::string& in) {
  std::string ours, theirs;
  const bool ok = tarvik::GzipDecompress(in, ours, kCap);
  const bool zlibOk = ZlibGunzip(in, theirs);
  if (!ok) {
    Check(ours.empty(), "a failed decompress left output behind");
    Check(!zlibOk, "zlib reads a member that GzipDecompress refuses");
    return;
  }
  Check(ours.size() <= kCap, "output beyond the cap");
  // zlib also checks the optional header CRC, which ours leaves alone.
  if (!HasHeaderCrc(in)) Check(zlibOk && theirs == ours, "GzipDecompress and zlib disagree");
  // The cap: exactly the output size passes, one byte less fails.
  std::string again;
  Check(tarvik::GzipDecompress(in, again, ours.size()) && again == ours,
        "a cap equal to the output refused it");
  if (!ours.empty()) {
    Check(!tarvik::GzipDecompress(in, again, ours.size() - 1), "output passed a smaller cap");
    Check(again.empty(), "a refused decompress left output behind");
  }
}

void RoundTrip(const std::string& data) {
  const std::string member = tarvik::GzipCompress(data);
  static const char kHeader[10] = {'\x1F', '\x8B', 8, 0, 0, 0, 0, 0, 0, 0};
  Check(member.size() >= 10 + 2 + 8 && member.compare(0, 10, std::string(kHeader, 10)) == 0,
        "GzipCompress wrote no member header (size " + std::to_string(member.size()) + ")");
  std::string back;
  Check(tarvik::GzipDecompress(member, back, data.size()) && back == data,
        "compress -> decompress did not give the data back");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
  const std::string in(reinterpret_cast<const char*>(bytes), size);
  Decode(in);
  RoundTrip(in);
  return 0;
}
