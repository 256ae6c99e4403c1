# Instrumented builds, each in a build folder of its own:
#   TARVIK_SANITIZE  everything with AddressSanitizer (leaks included) and
#                    UndefinedBehaviorSanitizer; any finding ends the program
#                    that made it, so the test that ran it fails.
#   TARVIK_FUZZ      the same, plus libFuzzer's coverage on every library, and
#                    the targets in tests/fuzz/ (clang only).
option(TARVIK_SANITIZE "Build with -fsanitize=address,undefined" OFF)
option(TARVIK_FUZZ "Build the libFuzzer targets of tests/fuzz/ (clang; implies TARVIK_SANITIZE)" OFF)

if(TARVIK_FUZZ)
  if(NOT CMAKE_CXX_COMPILER_ID MATCHES "Clang")
    message(FATAL_ERROR "TARVIK_FUZZ needs clang (libFuzzer): configure with -DCMAKE_CXX_COMPILER=clang++")
  endif()
  set(TARVIK_SANITIZE ON CACHE BOOL "" FORCE)
endif()

if(TARVIK_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-sanitize-recover=undefined
                      -fno-omit-frame-pointer)
  add_link_options(-fsanitize=address,undefined)
  # Set on every test (tests/CMakeLists.txt). The tests start programs of
  # their own (the service, the client), whose findings would otherwise go to
  # an output nobody reads: every report goes to a file in
  # TARVIK_SANITIZER_REPORTS instead, which .ci/run shows and fails on.
  set(TARVIK_SANITIZER_REPORTS "${CMAKE_BINARY_DIR}/sanitizer-reports")
  file(MAKE_DIRECTORY "${TARVIK_SANITIZER_REPORTS}")
  # No strict_string_checks: it takes a legal strndup() of a buffer without a
  # NUL for an overflow, and libxkbcommon-x11 does that whenever the client
  # starts on an X display (the end-to-end tests under Xvfb).
  set(TARVIK_SANITIZER_ENV
    "ASAN_OPTIONS=detect_leaks=1:detect_stack_use_after_return=1:check_initialization_order=1:log_path=${TARVIK_SANITIZER_REPORTS}/report"
    "UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1:log_path=${TARVIK_SANITIZER_REPORTS}/report")
endif()
if(TARVIK_FUZZ)
  add_compile_options(-fsanitize=fuzzer-no-link)
endif()
