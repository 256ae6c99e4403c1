#pragma once
// The local calendar time of a moment, thread-safe on every platform
// (localtime_r on POSIX, localtime_s on Windows).
#include <ctime>

namespace tarvik {

inline std::tm LocalTime(std::time_t t) {
  std::tm out{};
#ifdef _WIN32
  localtime_s(&out, &t);
#else
  localtime_r(&t, &out);
#endif
  return out;
}

}  // namespace tarvik
