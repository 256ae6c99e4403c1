#pragma once
// setenv and unsetenv as the tests use them, also where the C library has
// neither (MinGW: the variable is set, or removed, through _putenv_s).
#include <cstdlib>

#ifdef _WIN32
inline int setenv(const char* name, const char* value, int) { return _putenv_s(name, value); }
inline int unsetenv(const char* name) { return _putenv_s(name, ""); }
#endif
