// `korvane status --format prometheus [--output FILE]`: one reading, written
// whole (for node_exporter's textfile collector), also when the reading fails.
#include <cstdio>
#include <iostream>
#include <stdexcept>

#include "tools/korvane/atomic_file.h"
#include "tools/korvane/exit_codes.h"
#include "tools/korvane/exporter_commands.h"
#include "tools/korvane/prometheus.h"

namespace korvane::cli {

namespace {

int WriteFile(const ChassisSample& sample, const std::string& path) {
  try {
    AtomicFile file(path);
    WriteExposition(file.stream(), {sample});
    file.Commit();
  } catch (const std::runtime_error& error) {
    std::fprintf(stderr,
                 "korvane: %s; the file is unchanged. Name a file in a folder you may write to "
                 "with --output.\n",
                 error.what());
    return kExitBadInput;
  }
  return kExitOk;
}

}  // namespace

int StatusPrometheus(const Target& target, const std::string& name, const std::string& path,
                     bool check) {
  // The monitor labels and counts as the exporter does; this run makes its only reading.
  ChassisMonitor monitor(target, name, {});
  const ChassisSample sample = monitor.Current();
  if (path.empty()) {
    WriteExposition(std::cout, {sample});
    std::cout.flush();
  } else if (const int written = WriteFile(sample, path); written != kExitOk) {
    return written;
  }
  if (!sample.report) {
    std::fprintf(stderr, "korvane: %s (given as korvane_up 0)\n", sample.error.c_str());
    return kExitDriverError;
  }
  for (const auto& failure : Failures(*sample.report))
    std::fprintf(stderr, "korvane: %s\n", failure.message.c_str());
  if (sample.failedValues > 0) return kExitDriverError;
  if (!check) return kExitOk;
  const auto alarms = AlarmsSet(*sample.report);
  for (const auto& alarm : alarms) std::fprintf(stderr, "korvane: alarm set: %s\n", alarm.c_str());
  return alarms.empty() ? kExitOk : kExitAlarm;
}

}  // namespace korvane::cli
