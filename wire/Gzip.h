#pragma once
// The gzip members that carry request and reply bodies.
#include <cstddef>
#include <cstdint>
#include <string>

namespace tarvik {

// Upper bound of a decompressed body; deflate reaches about 1000:1, so a small
// hostile member could otherwise ask for gigabytes.
constexpr std::size_t kMaxInflatedBytes = 64u * 1024u * 1024u;

// One gzip member: the 10 bytes 1F 8B 08 00 00 00 00 00 00 00, the raw deflate
// stream (window bits -15, memory level 9, default level and strategy), then
// CRC-32 and length of data as 32-bit little-endian.
std::string GzipCompress(const std::string& data);

// Decodes one RFC 1952 member: checks magic, method 8 and the reserved flag
// bits; skips an extra field, a name, a comment and a header CRC; inflates;
// checks the CRC-32 and length trailer. False on any fault or when the output
// would pass maxOut bytes; out is then empty.
bool GzipDecompress(const std::string& member, std::string& out,
                    std::size_t maxOut = kMaxInflatedBytes);

// CRC-32 of a byte string (the gzip and zlib one).
std::uint32_t Crc32(const std::string& data);

}  // namespace tarvik
