// The one virtual chassis of the process, with everything around it that the
// access library and the test control share: its lock, the call record, the
// injected results and the instance and session counts.
#pragma once

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

  // Back to power-on; the instances and their sessions live on.
  void Reset();

  template <typename... Args>
  void Record(Operation op, const Args&... args) {
    if (record.Enabled()) record.Add(FormatCall(OperationName(op), args...));
  }
};

// The process's chassis. It is never destroyed, so that instances that
// outlive static destruction can still reach it.
ChassisState& TheChassis();

}  // namespace korvane::virtual_chassis
