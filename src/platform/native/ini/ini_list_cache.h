// The listings of one parsed document, each made on first use and kept as
// long as the document, so that a caller who asks again (IniEdit doubles its
// buffer until a listing fits) pays for a copy, not for making it again.
// Safe from several threads.
#pragma once

#include <cstddef>
#include <mutex>
#include <string>
#include <string_view>
#include <unordered_map>

namespace zarn {

class IniListCache {
 public:
  // The listing kept under key, made by make() when there is none yet. The
  // view stays valid as long as the cache.
  template <class Make>
  std::string_view get(size_t key, Make make) {
    const std::lock_guard guard(mutex_);
    const auto found = lists_.find(key);
    if (found != lists_.end()) return found->second;
    return lists_.emplace(key, make()).first->second;
  }

 private:
  std::mutex mutex_;
  std::unordered_map<size_t, std::string> lists_;  // nodes, whose strings never move
};

}  // namespace zarn
