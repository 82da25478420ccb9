// The subcommands of korvane that work on a chassis session. Each returns the
// process's exit code (exit_codes.h) and throws DriverError when the driver
// refuses a call. Output::kJson writes one JSON document on stdout instead of
// the text; each names the chassis and says whether it is simulated or the
// virtual chassis.
#pragma once

#include <optional>
#include <string>

#include "tools/korvane/chassis_access.h"

namespace korvane::cli {

struct Target {
  SessionRequest request;
  bool simulated = false;
};

enum class Output { kText, kJson };
enum class StatusFormat { kTable, kJson, kPrometheus };

int Status(const Target& target, StatusFormat format, bool check);
// The table refreshed every interval until Ctrl-C (JSON: one document a line).
// A failed reading or a failed open is shown and tried again at the next refresh.
int Watch(const Target& target, double intervalSeconds, Output output);
int TriggerShow(const Target& target, Output output);
int TriggerConnect(const Target& target, int line, int routing, Output output);
// Without a line: every line isolated, or with toDefault the chassis's own default routing.
int TriggerReset(const Target& target, std::optional<int> line, bool toDefault, Output output);
int Alarms(const Target& target, bool clear, Output output);
int SelfTest(const Target& target, Output output);
// The chassis's identity beside the driver's own.
int Identity(const Target& target, Output output);

}  // namespace korvane::cli
