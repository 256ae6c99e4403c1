#include "net/CallIndex.h"

#include <atomic>
#include <ctime>

namespace tarvik {
namespace {
std::atomic<std::int64_t> g_counter{0};
}  // namespace

std::string TodayStamp() {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  char buf[16];
  std::strftime(buf, sizeof buf, "%y%m%d", &local);
  return buf;
}

std::int64_t NextRequestNumber() { return ++g_counter; }
std::int64_t RequestCounter() { return g_counter; }

}  // namespace tarvik
