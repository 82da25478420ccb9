#pragma once
// The module's lock count: live objects plus class-factory locks. The module
// may unload when it is zero.

#include <atomic>

#include "platform/win32.h"

namespace korvane {

std::atomic<LONG>& ModuleLockCount();

// Holds one count for its lifetime (a member of every live object).
class ModuleLock {
 public:
  ModuleLock() { ModuleLockCount().fetch_add(1, std::memory_order_relaxed); }
  ~ModuleLock() { ModuleLockCount().fetch_sub(1, std::memory_order_relaxed); }
  ModuleLock(const ModuleLock&) : ModuleLock() {}
  ModuleLock& operator=(const ModuleLock&) = default;
};

}  // namespace korvane
