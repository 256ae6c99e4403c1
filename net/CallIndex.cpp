#include "net/CallIndex.h"

#include <atomic>
#include <ctime>

#include "text/LocalTime.h"

namespace tarvik {
namespace {
std::atomic<std::int64_t> g_counter{0};

// Set before any request thread starts. Made on first use: a test may fix
// the date from a static initializer of its own.
std::string& FixedToday() {
  static std::string date;
  return date;
}
}  // namespace

void FixToday(const std::string& yymmdd) { FixedToday() = yymmdd; }

std::string TodayStamp() {
  if (!FixedToday().empty()) return FixedToday();
  const std::tm local = LocalTime(std::time(nullptr));
  char buf[16];
  std::strftime(buf, sizeof buf, "%y%m%d", &local);
  return buf;
}

std::int64_t NextRequestNumber() { return ++g_counter; }
std::int64_t RequestCounter() { return g_counter; }

}  // namespace tarvik
