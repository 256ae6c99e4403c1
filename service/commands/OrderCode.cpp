#include "service/commands/OrderCode.h"

#include <atomic>
#include <cstdio>
#include <ctime>
#include <mutex>
#include <random>

namespace tarvik::service {

std::string NewOrderCode(long long now) {
  static std::atomic<long long> last{0};
  static std::mutex randomMutex;
  static std::random_device device;  // /dev/urandom

  long long prev = last.load();
  long long stamp = now;
  do {
    stamp = now > prev ? now : prev + 1;
  } while (!last.compare_exchange_weak(prev, stamp));

  const std::time_t secs = static_cast<std::time_t>(stamp / 1000000);
  std::tm tm{};
  gmtime_r(&secs, &tm);
  char head[32];
  std::snprintf(head, sizeof head, "%02d%02d%02d%02d%02d%02d%06lld", tm.tm_year % 100,
                tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec, stamp % 1000000);

  static const char kAlphabet[] = "ABCDEFGHJKLMNPQRSTUVWXYZ23456789";  // 32, no look-alikes
  std::string code = head;
  std::lock_guard<std::mutex> lock(randomMutex);
  for (int i = 0; i < 2; ++i) {
    unsigned bits = device();
    for (int k = 0; k < 5; ++k) {
      code += kAlphabet[bits & 31u];
      bits >>= 5;
    }
  }
  return code;
}

}  // namespace tarvik::service
