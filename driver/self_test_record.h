#pragma once
// The self-test record: the codes of the last self test that are not yet
// read, kept in reverse order so that taking from the end yields them in the
// order the chassis reported them.

#include <array>
#include <cstdint>
#include <optional>

namespace korvane {

class SelfTestRecord {
 public:
  static constexpr int32_t kCapacity = 20;

  void Clear() {
    count_ = 0;
    codes_.fill(0);
  }
  // Replaces the record with the codes of a self test, in reported order.
  void Fill(const int32_t* reported, int32_t count) {
    Clear();
    if (count > kCapacity) count = kCapacity;
    for (int32_t i = 0; i < count; ++i) codes_[count - 1 - i] = reported[i];
    count_ = count;
  }
  int32_t UnreadCount() const { return count_; }
  // The next unread code, consumed; none when all are read.
  std::optional<int32_t> Take() {
    if (count_ <= 0) return std::nullopt;
    --count_;
    return codes_[count_];
  }

 private:
  int32_t count_ = 0;
  std::array<int32_t, kCapacity> codes_{};
};

}  // namespace korvane
