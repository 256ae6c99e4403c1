#pragma once
// Checks that stop the run with a reason (libFuzzer keeps the input), and the entry point TARVIK_FUZZ(input).
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
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

// A new folder in the temporary folder, removed at exit (after what is registered with atexit later).
// Its name is UTF-8, as the program's paths are (under Windows the folder is below the user's profile).
inline std::string TempFolder() {
  namespace fs = std::filesystem;
  static std::string folder;
  std::random_device random;
  for (int i = 0; folder.empty() && i < 100; ++i) {
    const fs::path path = fs::temp_directory_path() / ("tarvik-fuzz-" + std::to_string(random()));
    if (fs::create_directory(path)) folder = path.u8string();
  }
  if (folder.empty()) Fail("no temporary folder");
  std::atexit([] { std::filesystem::remove_all(std::filesystem::u8path(folder)); });
  return folder;
}

inline void WriteFile(const std::string& path, const std::string& bytes) {
  std::ofstream out(std::filesystem::u8path(path), std::ios::binary | std::ios::trunc);
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
