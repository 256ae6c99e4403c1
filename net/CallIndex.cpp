#include "net/CallIndex.h"

#include <atomic>
#include <ctime>

#include "platform/LocalTime.h"

namespace tarvik {
namespace {
std::atomic<std::int64_t> g_counter{0};
}  // namespace

std::string TodayStamp() {
  const std::tm local = LocalTime(std::time(nullptr));
  char buf[16];
  std::strftime(buf, sizeof buf, "%y%m%d", &local);
  return buf;
}

std::int64_t NextRequestNumber() { return ++g_counter; }
std::int64_t RequestCounter() { return g_counter; }

}  // namespace tarvik
