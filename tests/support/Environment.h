#pragma once
// setenv and unsetenv as the tests use them, also where the C library has
// neither (MinGW: the variable is set, or removed, through _putenv_s).
#include <cstdlib>

#ifdef _WIN32
inline int setenv(const char* name, const char* value, int) { return _putenv_s(name, value); }
inline int unsetenv(const char* name) { return _putenv_s(name, ""); }
#endif

// TARVIK_FULL_SIZE set: the load tests run with the figures of their
// issues (minutes) instead of the same ratios at a small size (CI's).
inline bool FullSize() { return std::getenv("TARVIK_FULL_SIZE") != nullptr; }
