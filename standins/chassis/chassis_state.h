// The one virtual chassis of the process, with everything around it that the
// access library and the test control share: its lock, the call record, the
// injected results and the instance and session counts.
#pragma once

#include <array>
#include <cstdint>
#include <mutex>

#include "standins/chassis/call_record.h"
#include "standins/chassis/chassis_model.h"
#include "standins/chassis/injected_results.h"

namespace korvane::virtual_chassis {

struct ChassisState {
  std::mutex mutex;  // guards every other member
  ChassisModel model;
  CallRecord record;
  InjectedResults injected;
  uint32_t instances = 0;
  uint32_t open_sessions = 0;
  uint32_t next_instance = 1;
  uint32_t next_session = 1;
  // The hook each operation runs before it takes the lock, if any.
  struct Hook {
    CallHook function = nullptr;
    void* context = nullptr;
  };
  std::array<Hook, static_cast<size_t>(Operation::kCount)> hooks{};

  // Back to power-on; the instances and their sessions live on.
  void Reset();

  // Runs op's hook, if one is set. Called without the lock held, so that a
  // hook may block until another thread releases it.
  void RunHook(Operation op);

  template <typename... Args>
  void Record(Operation op, const Args&... args) {
    if (record.Enabled()) record.Add(FormatCall(OperationName(op), args...));
  }
};

// The process's chassis. It is never destroyed, so that instances that
// outlive static destruction can still reach it.
ChassisState& TheChassis();

}  // namespace korvane::virtual_chassis
