#pragma once
// Checks that stop the run with a reason (libFuzzer keeps the input), and the entry point TARVIK_FUZZ(input).
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

namespace tarvik::fuzz {

[[noreturn]] inline void Fail(const std::string& what) {
  std::fprintf(stderr, "\nFUZZ CHECK FAILED: %s\n", what.c_str());
  std::abort();
}
inline void Check(bool ok, const std::string& what) {
  if (!ok) Fail(what);
}

// Bytes shown in a failure message: printable ASCII as it is, the rest \xHH.
inline std::string Shown(const std::string& s, std::size_t max = 200) {
  std::string out;
  for (std::size_t i = 0; i < s.size() && i < max; ++i) {
    const unsigned char c = static_cast<unsigned char>(s[i]);
    char buf[8];
    std::snprintf(buf, sizeof buf, c >= 0x20 && c < 0x7F && c != '\\' ? "%c" : "\\x%02X", c);
    out += buf;
  }
  return s.size() > max ? out + "..." : out;
}

// A new folder below TMPDIR, removed at exit (after what is registered with atexit later).
inline std::string TempFolder() {
  static std::string folder;
  const char* tmp = std::getenv("TMPDIR");
  folder = std::string(tmp && *tmp ? tmp : "/tmp") + "/tarvik-fuzz-XXXXXX";
  if (!mkdtemp(folder.data())) Fail("mkdtemp " + folder);
  std::atexit([] { std::filesystem::remove_all(folder); });
  return folder;
}

inline void WriteFile(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  if (!(out << bytes)) Fail("cannot write " + path);
}

}  // namespace tarvik::fuzz

#define TARVIK_FUZZ(input)                                                          \
  static void FuzzOne(const std::string& input);                                    \
  extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) { \
    FuzzOne(std::string(reinterpret_cast<const char*>(data), size));                \
    return 0;                                                                       \
  }                                                                                 \
  static void FuzzOne(const std::string& input)
