#include "wire/Gzip.h"

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
  const std::size_t headerSize = out.size();
  out.resize(headerSize + deflateBound(&zs, static_cast<uLong>(data.size())));
  zs.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
  zs.avail_in = static_cast<uInt>(data.size());
  // deflate may fill the bound exactly and still owe the end of the stream
  // (it then answers Z_OK): give it room until it says Z_STREAM_END.
  int rc = Z_OK;
  while (rc != Z_STREAM_END) {
    const std::size_t written = headerSize + zs.total_out;
    if (written == out.size()) out.resize(out.size() + 256);
    zs.next_out = reinterpret_cast<Bytef*>(&out[written]);
    zs.avail_out = static_cast<uInt>(out.size() - written);
    rc = deflate(&zs, Z_FINISH);
    if (rc != Z_OK && rc != Z_STREAM_END && rc != Z_BUF_ERROR) return std::string();
  }
  out.resize(headerSize + zs.total_out);
  PutLE32(out, Crc32(data));
  PutLE32(out, static_cast<std::uint32_t>(data.size() & 0xFFFFFFFFu));
  return out;
}

bool GzipDecompress(const std::string& member, std::string& out, std::size_t maxOut) {
  out.clear();
  // zlib's gzip mode reads the header (magic, method, reserved flags, extra
  // field, name, comment). Its own checks are switched off because they also
  // verify the optional header CRC, which a member may carry unset: the
  // trailer is checked below instead.
  z_stream zs{};
  if (inflateInit2(&zs, 16 + 15) != Z_OK) return false;
  std::unique_ptr<z_stream, InflateEnd> guard(&zs);
  if (inflateValidate(&zs, 0) != Z_OK) return false;
  zs.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(member.data()));
  zs.avail_in = static_cast<uInt>(member.size());
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
    if (rc == Z_OK && got == 0 && zs.avail_in == 0) return false;  // truncated member
  }
  // The trailer is the 8 bytes zlib read last.
  const std::size_t end = member.size() - zs.avail_in;
  if (end < 18) return false;
  const auto* trailer = reinterpret_cast<const unsigned char*>(member.data()) + end - 8;
  if (GetLE32(trailer) != Crc32(result)) return false;
  if (GetLE32(trailer + 4) != static_cast<std::uint32_t>(result.size() & 0xFFFFFFFFu)) return false;
  out.swap(result);
  return true;
}

}  // namespace tarvik
