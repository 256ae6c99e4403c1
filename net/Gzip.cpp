#include "net/Gzip.h"

#include <zlib.h>

#include <memory>

namespace tarvik {
namespace {

void PutLE32(std::string& out, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
}

std::uint32_t GetLE32(const unsigned char* p) {
  return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
         (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

struct DeflateEnd {
  void operator()(z_stream* s) const { deflateEnd(s); }
};
struct InflateEnd {
  void operator()(z_stream* s) const { inflateEnd(s); }
};

}  // namespace

std::uint32_t Crc32(const std::string& data) {
  uLong crc = crc32(0L, Z_NULL, 0);
  const auto* p = reinterpret_cast<const Bytef*>(data.data());
  std::size_t left = data.size();
  while (left > 0) {
    const uInt chunk = left > (1u << 30) ? (1u << 30) : static_cast<uInt>(left);
    crc = crc32(crc, p, chunk);
    p += chunk;
    left -= chunk;
  }
  return static_cast<std::uint32_t>(crc);
}

std::string GzipCompress(const std::string& data) {
  static const unsigned char kHeader[10] = {0x1F, 0x8B, 0x08, 0, 0, 0, 0, 0, 0, 0};
  std::string out(reinterpret_cast<const char*>(kHeader), sizeof kHeader);

  z_stream zs{};
  if (deflateInit2(&zs, Z_DEFAULT_COMPRESSION, Z_DEFLATED, -15, 9, Z_DEFAULT_STRATEGY) != Z_OK) {
    return std::string();
  }
  std::unique_ptr<z_stream, DeflateEnd> guard(&zs);
  const uLong bound = deflateBound(&zs, static_cast<uLong>(data.size()));
  const std::size_t headerSize = out.size();
  out.resize(headerSize + bound);
  zs.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
  zs.avail_in = static_cast<uInt>(data.size());
  zs.next_out = reinterpret_cast<Bytef*>(&out[headerSize]);
  zs.avail_out = static_cast<uInt>(bound);
  if (deflate(&zs, Z_FINISH) != Z_STREAM_END) return std::string();
  out.resize(headerSize + zs.total_out);
  PutLE32(out, Crc32(data));
  PutLE32(out, static_cast<std::uint32_t>(data.size() & 0xFFFFFFFFu));
  return out;
}

bool GzipDecompress(const std::string& member, std::string& out, std::size_t maxOut) {
  out.clear();
  const auto* p = reinterpret_cast<const unsigned char*>(member.data());
  const std::size_t n = member.size();
  if (n < 10 || p[0] != 0x1F || p[1] != 0x8B || p[2] != 8) return false;
  const unsigned flags = p[3];
  if (flags >= 32) return false;
  std::size_t pos = 10;
  if (flags & 4) {  // FEXTRA
    if (pos + 2 > n) return false;
    const std::size_t xlen = p[pos] | (p[pos + 1] << 8);
    pos += 2 + xlen;
    if (pos > n) return false;
  }
  for (unsigned bit : {8u, 16u}) {  // FNAME, FCOMMENT: zero-terminated
    if (flags & bit) {
      while (pos < n && p[pos] != 0) ++pos;
      if (pos >= n) return false;
      ++pos;
    }
  }
  if (flags & 2) {  // FHCRC
    pos += 2;
    if (pos > n) return false;
  }

  z_stream zs{};
  if (inflateInit2(&zs, -15) != Z_OK) return false;
  std::unique_ptr<z_stream, InflateEnd> guard(&zs);
  zs.next_in = const_cast<Bytef*>(p + pos);
  zs.avail_in = static_cast<uInt>(n - pos);
  std::string result;
  char buf[16384];
  int rc = Z_OK;
  while (rc != Z_STREAM_END) {
    zs.next_out = reinterpret_cast<Bytef*>(buf);
    zs.avail_out = sizeof buf;
    rc = inflate(&zs, Z_NO_FLUSH);
    if (rc != Z_OK && rc != Z_STREAM_END) return false;
    const std::size_t got = sizeof buf - zs.avail_out;
    if (result.size() + got > maxOut) return false;
    result.append(buf, got);
    if (rc == Z_OK && got == 0 && zs.avail_in == 0) return false;  // truncated stream
  }
  const std::size_t used = n - pos - zs.avail_in;
  const std::size_t trailer = pos + used;
  if (trailer + 8 > n) return false;
  if (GetLE32(p + trailer) != Crc32(result)) return false;
  if (GetLE32(p + trailer + 4) != static_cast<std::uint32_t>(result.size() & 0xFFFFFFFFu)) {
    return false;
  }
  out.swap(result);
  return true;
}

}  // namespace tarvik
