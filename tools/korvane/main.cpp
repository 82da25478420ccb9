// korvane: the chassis from a terminal, a script or a cron job. Health table,
// watch, trigger routing, alarms, self test, identity, configuration store
// check and call trace report.
#include <CLI/CLI.hpp>
#include <cstdio>
#include <map>
#include <optional>
#include <string>

#include "tools/korvane/chassis_access.h"
#include "tools/korvane/commands.h"
#include "tools/korvane/config_check.h"
#include "tools/korvane/exit_codes.h"
#include "tools/korvane/open_failure.h"
#include "tools/korvane/session_options.h"
#include "tools/korvane/trace_report.h"
#include "tools/korvane/trigger_routes.h"

namespace korvane::cli {
namespace {

constexpr const char* kExamples = R"(Examples:
  korvane --simulate status                  health table of a simulated chassis
  korvane --resource PXI0::34-0.0::INSTR status --check || echo "alarm!"
  korvane status --json | jq .alarms         the health for scripts
  korvane status --format prometheus > /var/lib/node_exporter/korvane.prom
  korvane watch --interval 2                 live table; Ctrl-C ends it
  korvane trigger connect 3 2To1And3         bus 2 drives buses 1 and 3 on PXI_TRIG3
  korvane trigger reset                      isolate every trigger line
  korvane alarms clear
  korvane --trace run1.xml selftest && korvane trace report run1.xml -o run1.html
  korvane config check ~/.config/korvane/IviConfigurationStore.ini

Exit codes: 0 success, 1 driver error, 2 usage error, 3 alarm set (status --check)
or self test failed, 4 missing or malformed input file.
)";

struct Options {
  std::string resource = "PXI0::0::INSTR";
  SessionSwitches switches;
  StatusFormat format = StatusFormat::kTable;
  bool json = false;
  bool check = false;
  double interval = 1.0;
  std::string line;
  std::string route;
  bool toDefault = false;
  std::string clear;
  std::string configFile;
  std::string tracePath;
  std::string reportPath;
};

Target MakeTarget(const Options& options) {
  return {{options.resource, ComposeOptions(options.switches)}, options.switches.simulate};
}

int Line(const std::string& text) {
  const auto line = ParseTriggerLine(text);
  if (!line)
    throw CLI::ValidationError("LINE", "'" + text + "' is no trigger line 0..7 or PXI_TRIG0..7");
  return *line;
}

int Route(const std::string& text) {
  const auto route = ParseRouting(text);
  if (route) return *route;
  std::string names;
  for (int routing = 0; routing < kRoutings; ++routing) names += " " + RoutingName(routing);
  throw CLI::ValidationError("ROUTE", "'" + text + "' is no routing; use one of" + names +
                                          " (or the part after KorvaneTrigBus)");
}

int Main(int argc, char** argv) {
  CLI::App app{"korvane: health, trigger routing and diagnostics of a Q7730A PXI Express chassis."};
  app.footer(kExamples);
  app.set_version_flag("--version", std::string("korvane ") + KORVANE_VERSION);
  app.require_subcommand(1);
  // The common options may also follow the subcommand: `korvane status --simulate`.
  app.fallthrough();
  Options o;
  app.add_option("--resource", o.resource, "Resource descriptor or logical name of the chassis")
      ->capture_default_str();
  app.add_flag("--simulate", o.switches.simulate, "Simulate the chassis (no hardware)");
  app.add_option(
      "--options", o.switches.options,
      "The driver's option string, for example \"Cache=false, DriverSetup=Model=Q7730A\"");
  app.add_option("--trace", o.switches.trace, "Write an XML trace of every driver call to FILE")
      ->type_name("FILE");

  int result = kExitOk;
  const auto run = [&](auto command) { return [&, command] { result = command(); }; };

  auto* status = app.add_subcommand("status", "Print the chassis's health table");
  auto* json = status->add_flag("--json", o.json, "JSON for scripts (schema: status.schema.json)");
  status->add_option("--format", o.format, "table, json or prometheus")
      ->excludes(json)
      ->transform(CLI::CheckedTransformer(
          std::map<std::string, StatusFormat>{{"table", StatusFormat::kTable},
                                              {"json", StatusFormat::kJson},
                                              {"prometheus", StatusFormat::kPrometheus}},
          CLI::ignore_case));
  status->add_flag("--check", o.check, "Exit with 3 when an alarm is set (for cron and CI)");
  status->callback(
      run([&] { return Status(MakeTarget(o), o.json ? StatusFormat::kJson : o.format, o.check); }));

  auto* watch = app.add_subcommand("watch", "Refresh the health table in place until Ctrl-C");
  watch->add_option("--interval", o.interval, "Seconds between refreshes")
      ->capture_default_str()
      ->check(CLI::Range(0.1, 3600.0));
  watch->callback(run([&] { return Watch(MakeTarget(o), o.interval); }));

  auto* trigger = app.add_subcommand("trigger", "Show and route the eight PXI trigger lines");
  trigger->require_subcommand(1);
  trigger->add_subcommand("show", "Show the routing of every trigger line")->callback(run([&] {
    return TriggerShow(MakeTarget(o));
  }));
  auto* connect = trigger->add_subcommand("connect", "Route a trigger line between bus segments");
  connect->add_option("LINE", o.line, "Trigger line 0..7 (or PXI_TRIG0..7)")->required();
  connect
      ->add_option("ROUTE", o.route,
                   "KorvaneTrigBusIsolateAll, ...1To2, ...1To2To3, ...2To1, "
                   "...2To3, ...2To1And3, ...3To2, ...3To2To1")
      ->required();
  connect->callback(
      run([&] { return TriggerConnect(MakeTarget(o), Line(o.line), Route(o.route)); }));
  auto* reset = trigger->add_subcommand("reset", "Isolate one line, or every line");
  reset->add_option("LINE", o.line, "Trigger line 0..7; all lines when left out");
  reset->add_flag("--default", o.toDefault, "Restore the chassis's default routing of every line");
  reset->callback(run([&] {
    if (!o.line.empty() && o.toDefault)
      throw CLI::ValidationError("--default", "applies to all lines; leave LINE out");
    const std::optional<int> line = o.line.empty() ? std::nullopt : std::optional(Line(o.line));
    return TriggerReset(MakeTarget(o), line, o.toDefault);
  }));

  auto* alarms = app.add_subcommand("alarms", "Show the alarms; `alarms clear` clears them");
  alarms->add_option("ACTION", o.clear, "clear")->check(CLI::IsMember({"clear"}));
  alarms->callback(run([&] { return Alarms(MakeTarget(o), o.clear == "clear"); }));

  app.add_subcommand("selftest", "Run the chassis self test; exit 3 when it fails")
      ->callback(run([&] { return SelfTest(MakeTarget(o)); }));
  app.add_subcommand("identity", "Print the chassis's identity")->callback(run([&] {
    return Identity(MakeTarget(o));
  }));

  auto* config = app.add_subcommand("config", "The IVI configuration store");
  config->require_subcommand(1);
  auto* check = config->add_subcommand(
      "check", "Validate a store file: the first error with file, line and reason, or a summary");
  check->add_option("FILE", o.configFile,
                    "The store file; by default $KORVANE_IVI_CONFIG or the user's store");
  check->callback(run([&] { return ConfigCheck(o.configFile); }));

  auto* trace = app.add_subcommand("trace", "Call traces written with --trace");
  trace->require_subcommand(1);
  auto* report = trace->add_subcommand("report", "Render a trace as a self-contained HTML page");
  report->add_option("TRACE", o.tracePath, "The trace file (also one cut short)")->required();
  report->add_option("-o,--output", o.reportPath, "The HTML file to write")->required();
  report->callback(run([&] { return TraceReport(o.tracePath, o.reportPath); }));

  try {
    app.parse(argc, argv);
  } catch (const CLI::CallForHelp& help) {
    return app.exit(help);  // help on stdout, exit 0
  } catch (const CLI::CallForAllHelp& help) {
    return app.exit(help);
  } catch (const CLI::CallForVersion& version) {
    return app.exit(version);
  } catch (const CLI::ParseError& error) {
    app.exit(error);  // the message on stderr
    return kExitUsage;
  } catch (const DriverError& error) {
    std::fprintf(stderr, "korvane: %s failed (0x%08X)%s%s\n", error.call().c_str(),
                 static_cast<unsigned>(error.status()), error.description().empty() ? "" : ": ",
                 error.description().c_str());
    const auto open_failure = ExplainOpenFailure(error, o.resource);
    if (!open_failure) return kExitDriverError;
    std::fprintf(stderr, "korvane: %s\n", open_failure->reason.c_str());
    return open_failure->exit_code;
  }
  return result;
}

}  // namespace
}  // namespace korvane::cli

int main(int argc, char** argv) {
  return korvane::cli::Main(argc, argv);
}
