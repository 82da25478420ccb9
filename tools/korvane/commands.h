// The subcommands of korvane that work on a chassis session. Each returns the
// process's exit code (exit_codes.h) and throws DriverError when the driver
// refuses a call.
#pragma once

#include <optional>
#include <string>

#include "tools/korvane/chassis_access.h"

namespace korvane::cli {

struct Target {
  SessionRequest request;
  bool simulated = false;
};

enum class StatusFormat { kTable, kJson, kPrometheus };

int Status(const Target& target, StatusFormat format, bool check);
int Watch(const Target& target, double intervalSeconds);
int TriggerShow(const Target& target);
int TriggerConnect(const Target& target, int line, int routing);
// Without a line: every line isolated, or with toDefault the chassis's own default routing.
int TriggerReset(const Target& target, std::optional<int> line, bool toDefault);
int Alarms(const Target& target, bool clear);
int SelfTest(const Target& target);
int Identity(const Target& target);

}  // namespace korvane::cli
