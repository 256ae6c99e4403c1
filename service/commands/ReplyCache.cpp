#include "service/commands/ReplyCache.h"

namespace tarvik::service {

ReplyCache::Body ReplyCache::Find(const std::string& key) {
  std::lock_guard<std::mutex> lock(mutex_);
  const auto it = index_.find(key);
  if (it == index_.end()) return nullptr;
  entries_.splice(entries_.begin(), entries_, it->second);
  return it->second->second;
}

void ReplyCache::Store(const std::string& key, Body body) {
  const std::size_t size = key.size() + body->size();
  if (size > budget_) return;
  std::lock_guard<std::mutex> lock(mutex_);
  const auto old = index_.find(key);
  if (old != index_.end()) {
    bytes_ -= old->first.size() + old->second->second->size();
    entries_.erase(old->second);
    index_.erase(old);
  }
  entries_.emplace_front(key, std::move(body));
  index_[key] = entries_.begin();
  bytes_ += size;
  while (bytes_ > budget_) {
    const Entry& last = entries_.back();
    bytes_ -= last.first.size() + last.second->size();
    index_.erase(last.first);
    entries_.pop_back();
  }
}

std::size_t ReplyCache::Bytes() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return bytes_;
}

}  // namespace tarvik::service
