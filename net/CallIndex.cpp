#include "net/CallIndex.h"

#include <atomic>
#include <ctime>

#include "wire/LocalTime.h"

namespace tarvik {
namespace {
std::atomic<std::int64_t> g_counter{0};
std::string g_fixedToday;  // set before any request thread starts
}  // namespace

void FixToday(const std::string& yymmdd) { g_fixedToday = yymmdd; }

std::string TodayStamp() {
  if (!g_fixedToday.empty()) return g_fixedToday;
  const std::tm local = LocalTime(std::time(nullptr));
  char buf[16];
  std::strftime(buf, sizeof buf, "%y%m%d", &local);
  return buf;
}

std::int64_t NextRequestNumber() { return ++g_counter; }
std::int64_t RequestCounter() { return g_counter; }

}  // namespace tarvik
