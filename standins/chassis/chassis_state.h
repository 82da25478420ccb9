// The one virtual chassis of the process, with everything around it that the
// access library and the test control share: its lock, the switch that says
// which resources it serves, the call record, the injected results, the
// instance and session counts, and the state it keeps per resource between
// processes (state_file.h).
#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <mutex>
#include <string>

#include "standins/chassis/call_record.h"
#include "standins/chassis/chassis_model.h"
#include "standins/chassis/injected_results.h"
#include "standins/chassis/scenario_file.h"
#include "standins/chassis/served_resources.h"

namespace korvane::virtual_chassis {

struct ChassisState {
  std::mutex mutex;  // guards every other member
  ChassisModel model;
  ServedResources served;
  std::string scenario_error;  // why the scenario file cannot be used; "" when it can
  std::string open_failure;    // why the last refused ioOpen found no chassis
  CallRecord record;
  InjectedResults injected;
  uint32_t instances = 0;
  uint32_t open_sessions = 0;
  uint32_t next_instance = 1;
  uint32_t next_session = 1;
  std::map<uint32_t, std::string> session_resources;  // the resource of each open session
  // The hook each operation runs before it takes the lock, if any.
  struct Hook {
    CallHook function = nullptr;
    void* context = nullptr;
  };
  std::array<Hook, static_cast<size_t>(Operation::kCount)> hooks{};

  // Powers the chassis on: reads the switch and applies the scenario.
  void PowerOn();
  // Before every operation: when the scenario file has changed, powers the
  // chassis on again into it, as a new process would find it (scenario_file.cpp
  // says why every operation looks).
  void FollowScenario();
  // Back to power-on, the resources' kept state forgotten, the call record
  // recording; the instances and their sessions live on.
  void Reset();

  // ioOpen's answer for a resource: 0 and the session recorded, or why not.
  int32_t Open(const char* resource, uint32_t session);
  void Close(uint32_t session) { session_resources.erase(session); }
  // getStatusDesc's answer, with the reasons of the last refused open.
  StatusDescription Describe(int32_t status) const;

  // Before an operation on a session: takes over what another process (or
  // another resource's session) changed. After it: keeps what changed.
  void LoadKeptState(uint32_t session);
  void SaveKeptState(uint32_t session);

  // Runs op's hook, if one is set. Called without the lock held, so that a
  // hook may block until another thread releases it.
  void RunHook(Operation op);

  template <typename... Args>
  void Record(Operation op, const Args&... args) {
    if (record.Enabled()) record.Add(FormatCall(OperationName(op), args...));
  }

 private:
  // Powers on into the scenario file: the model as new, the old scenario's
  // injections cleared, the new one applied; the switch stays as it was read.
  void PowerOnIntoScenario();

  ScenarioFile scenario_file_;
  std::string power_on_state_;   // the kept state as this process powered the chassis on
  std::string synced_resource_;  // the resource whose kept state the model holds
  std::string synced_text_;      // that state as last read or written
};

// The process's chassis. It is never destroyed, so that instances that
// outlive static destruction can still reach it.
ChassisState& TheChassis();

}  // namespace korvane::virtual_chassis
