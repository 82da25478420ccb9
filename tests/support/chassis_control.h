#pragma once
// The chassis stand-in's control for tests: hooks that hold a chassis call
// at a gate or make it run out of memory. Header only, so that suites that
// never reach the chassis do not link its library.

#include <new>

#include "standins/chassis/virtual_chassis.h"
#include "tests/support/gate.h"

namespace korvane::testing {

// Sets a hook on one chassis operation for the life of the object.
class ScopedCallHook {
 public:
  ScopedCallHook(virtual_chassis::Operation op, virtual_chassis::CallHook hook, void* context)
      : op_(op) {
    virtual_chassis::SetCallHook(op, hook, context);
  }
  ~ScopedCallHook() { virtual_chassis::SetCallHook(op_, nullptr, nullptr); }
  ScopedCallHook(const ScopedCallHook&) = delete;  // one removal per hook
  ScopedCallHook& operator=(const ScopedCallHook&) = delete;

 private:
  virtual_chassis::Operation op_;
};

// Every call of `op` stops at `gate` until the gate opens.
class BlockChassisCall : public ScopedCallHook {
 public:
  BlockChassisCall(virtual_chassis::Operation op, Gate& gate)
      : ScopedCallHook(
            op, [](void* g) { static_cast<Gate*>(g)->Pass(); }, &gate) {}
};

// Every call of `op` throws std::bad_alloc, as when memory runs out.
class ChassisCallOutOfMemory : public ScopedCallHook {
 public:
  explicit ChassisCallOutOfMemory(virtual_chassis::Operation op)
      : ScopedCallHook(
            op, [](void*) { throw std::bad_alloc(); }, nullptr) {}
};

}  // namespace korvane::testing
