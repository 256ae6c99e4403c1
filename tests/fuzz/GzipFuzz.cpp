// Gzip both ways against zlib, the cap at its exact edge. Seed deflate_fills_its_bound: deflate filled its
// deflateBound buffer exactly, answered Z_OK, not Z_STREAM_END, and the member came back empty.
#include <zlib.h>

#include "tests/fuzz/FuzzCheck.h"
#include "wire/Gzip.h"

using namespace tarvik::fuzz;

namespace {

constexpr std::size_t kCap = 1u << 20;

// zlib's complete gzip reading (header CRC included), capped like ours.
bool ZlibGunzip(const std::string& in, std::string& out) {
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

}  // namespace

TARVIK_FUZZ(in) {
  std::string ours, theirs, again;
  const bool zlibOk = ZlibGunzip(in, theirs);
  if (!tarvik::GzipDecompress(in, ours, kCap)) {
    Check(ours.empty(), "a failed decompress left output behind");
    Check(!zlibOk, "zlib reads a member that GzipDecompress refuses");
  } else {
    Check(ours.size() <= kCap, "output beyond the cap");
    Check(in.size() >= 18, "a member shorter than a header and a trailer read");
    // zlib also checks the optional header CRC, which ours leaves alone.
    const bool headerCrc = in.size() > 3 && (static_cast<unsigned char>(in[3]) & 0x02);
    if (!headerCrc) Check(zlibOk && theirs == ours, "GzipDecompress and zlib disagree");
    // The cap: exactly the output size passes, one byte less fails.
    Check(tarvik::GzipDecompress(in, again, ours.size()) && again == ours,
          "a cap equal to the output refused it");
    if (!ours.empty()) {
      Check(!tarvik::GzipDecompress(in, again, ours.size() - 1), "output passed a smaller cap");
      Check(again.empty(), "a refused decompress left output behind");
    }
  }
  const std::string member = tarvik::GzipCompress(in);
  static const char kHeader[10] = {'\x1F', '\x8B', 8, 0, 0, 0, 0, 0, 0, 0};
  Check(member.size() >= 20 && member.compare(0, 10, std::string(kHeader, 10)) == 0,
        "GzipCompress wrote no member header");
  Check(tarvik::GzipDecompress(member, again, in.size()) && again == in,
        "compress -> decompress did not give the data back");
  // zlib judges what we write: the trailer's CRC-32 and length, little-endian.
  std::string judged;
  if (in.size() <= kCap) Check(ZlibGunzip(member, judged) && judged == in, "zlib reads another text from GzipCompress");
}
