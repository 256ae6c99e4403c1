#pragma once
// setenv and unsetenv as the tests use them, also where the C library has
// neither (MinGW: the variable is set, or removed, through _putenv_s).
#include <cstdlib>
#include <cstring>

#ifdef _WIN32
// Windows' C library (and so Qt's local time) reads TZ only in the POSIX form
// ("KST-9"), not by a zone's name: the names the tests set, in that form.
inline const char* PosixTz(const char* value) {
  static const struct {
    const char *name, *posix;
  } kZones[] = {{"UTC", "UTC0"}, {"Asia/Seoul", "KST-9"}};
  for (const auto& z : kZones)
    if (std::strcmp(value, z.name) == 0) return z.posix;
  return value;
}
inline int setenv(const char* name, const char* value, int) {
  return _putenv_s(name, std::strcmp(name, "TZ") == 0 ? PosixTz(value) : value);
}
inline int unsetenv(const char* name) { return _putenv_s(name, ""); }
#endif

// TARVIK_FULL_SIZE set: the load tests run with the figures of their
// issues (minutes) instead of the same ratios at a small size (CI's).
inline bool FullSize() { return std::getenv("TARVIK_FULL_SIZE") != nullptr; }
