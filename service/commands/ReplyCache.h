#pragma once
// Compressed replies of the catalogue reads (all products, traded products,
// product by code, notes, car lists), kept by the request and the supplier's
// catalogue version. Every catalogue write raises the version in the database
// in the same transaction (store/CatalogueVersion.h), and every request reads
// it there, so a write is seen at the next request on every instance.
// Thread-safe; the least recently used replies go first when the byte budget
// is spent.
#include <cstddef>
#include <list>
#include <memory>
#include <mutex>
#include <string>
#include <unordered_map>

namespace tarvik::service {

class ReplyCache {
 public:
  using Body = std::shared_ptr<const std::string>;

  explicit ReplyCache(std::size_t budgetBytes) : budget_(budgetBytes) {}

  // Null when there is none.
  Body Find(const std::string& key);
  // A body bigger than the whole budget is not kept.
  void Store(const std::string& key, Body body);
  std::size_t Bytes() const;

 private:
  using Entry = std::pair<std::string, Body>;
  mutable std::mutex mutex_;
  std::size_t budget_;
  std::size_t bytes_ = 0;
  std::list<Entry> entries_;  // most recently used first
  std::unordered_map<std::string, std::list<Entry>::iterator> index_;
};

}  // namespace tarvik::service
