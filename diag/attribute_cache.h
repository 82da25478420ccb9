#pragma once
// The attribute cache of an interface node: slots keyed by a member's
// qualified name ("IKorvaneFansAlarm.Enabled"). While simulating, the entry
// points keep the alarms' Enabled values here.

#include <map>
#include <mutex>

#include "platform/ole_string.h"
#include "platform/win32.h"

namespace korvane {

// One slot: a value, or none since it was created or last invalidated.
class CCacheEntry {
 public:
  bool HasValue() const { return hasValue_; }
  VARIANT_BOOL Value() const { return value_; }
  void Store(VARIANT_BOOL value) {
    value_ = value;
    hasValue_ = true;
  }
  void Invalidate() { hasValue_ = false; }

 private:
  VARIANT_BOOL value_ = VARIANT_FALSE;
  bool hasValue_ = false;
};

class AttributeCacheTable {
 public:
  // The stored value, or `unset` when the slot holds none (the slot is
  // created on first use).
  VARIANT_BOOL Read(const OleString& key, VARIANT_BOOL unset) {
    std::lock_guard lock(mutex_);
    const CCacheEntry& entry = entries_[key];
    return entry.HasValue() ? entry.Value() : unset;
  }
  void Store(const OleString& key, VARIANT_BOOL value) {
    std::lock_guard lock(mutex_);
    entries_[key].Store(value);
  }
  // Every slot forgets its value (a chassis reset).
  void InvalidateAll() {
    std::lock_guard lock(mutex_);
    for (auto& [key, entry] : entries_) entry.Invalidate();
  }
  // The slots themselves go (Close).
  void Clear() {
    std::lock_guard lock(mutex_);
    entries_.clear();
  }

 private:
  // The table belongs to one node, whose lock its own entry points hold; the
  // driver also invalidates every node's table during a reset, from a call
  // on the driver, so the table guards itself.
  std::mutex mutex_;
  std::map<OleString, CCacheEntry, std::less<>> entries_;
};

}  // namespace korvane
