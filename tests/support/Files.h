#pragma once
// Whole files as bytes, for tests.
#include <fstream>
#include <sstream>
#include <string>

namespace tarvik::test {

// The file's bytes; empty when it cannot be read.
inline std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

// Whether all of data was written.
inline bool WriteFile(const std::string& path, const std::string& data) {
  return static_cast<bool>(std::ofstream(path, std::ios::binary) << data);
}

// The file's last n bytes (all of a shorter one), for failure messages.
inline std::string ReadTail(const std::string& path, std::size_t n = 2000) {
  const std::string all = ReadFile(path);
  return all.size() > n ? all.substr(all.size() - n) : all;
}

}  // namespace tarvik::test
