// korvane: the chassis from a terminal, a script or a cron job. Health table,
// watch, trigger routing, alarms, self test, identity, configuration store
// check and call trace report.
#include <CLI/CLI.hpp>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include "tools/korvane/chassis_access.h"
#include "tools/korvane/command_tree.h"
#include "tools/korvane/command_line.h"
#include "tools/korvane/commands.h"
#include "tools/korvane/config_check.h"
#include "tools/korvane/environment.h"
#include "tools/korvane/exit_codes.h"
#include "tools/korvane/exporter_commands.h"
#include "tools/korvane/open_failure.h"
#include "tools/korvane/session_options.h"
#include "tools/korvane/trace_report.h"
#include "tools/korvane/trigger_routes.h"

namespace korvane::cli {
namespace {

constexpr const char* kExamples = R"(Examples:
  korvane --virtual status                   health table of the virtual chassis
  korvane --simulate status                  health table of a simulated chassis
  korvane --resource PXI0::34-0.0::INSTR status --check || echo "alarm!"
  korvane status --json | jq .alarms         the health for scripts
  korvane status --format prometheus --output /var/lib/prometheus/node-exporter/korvane.prom
  korvane serve --resource PXI0::0::INSTR --name bench-7   Prometheus exporter on :9730
  korvane watch --interval 2                 live table; Ctrl-C ends it
  korvane trigger connect 3 2To1And3         bus 2 drives buses 1 and 3 on PXI_TRIG3
  korvane trigger reset                      isolate every trigger line
  korvane alarms clear
  korvane --trace run1.xml selftest && korvane trace report run1.xml -o run1.html
  korvane config check ~/.config/korvane/IviConfigurationStore.ini

`korvane SUBCOMMAND --help` shows a subcommand's options and examples.

Exit codes: 0 success, 1 driver error (also one value of a reading that failed),
2 usage error, 3 alarm set (status --check) or self test failed, 4 missing or
malformed input file.
)";

// Below each subcommand's own examples.
constexpr const char* kCommonOptions =
    "\nThe common options --resource, --simulate, --virtual, --options and --trace go before or "
    "after\nthe subcommand; `korvane --help` describes them.\n";

constexpr const char* kVirtualChassisVariable = "KORVANE_VIRTUAL_CHASSIS";

struct Options {
  std::string resource = "PXI0::0::INSTR";
  SessionSwitches switches;
  bool virtualChassis = false;
  std::string format = "table";
  bool json = false;
  bool check = false;
  double interval = 1.0;
  std::string line;
  std::string route;
  bool toDefault = false;
  std::string clear;
  std::string configFile;
  ReportRequest report;
  std::string name;
  std::string output;
  std::vector<std::string> resources;
  ServeSettings serve;
};

Output OutputOf(const Options& options) {
  return options.json ? Output::kJson : Output::kText;
}

// The session a subcommand opens; --virtual and the option warnings take
// effect here, before the driver is loaded.
Target MakeTarget(const Options& options) {
  if (options.virtualChassis) SetEnvironmentDefault(kVirtualChassisVariable, "1");
  const auto unknown = UnknownOptionNames(options.switches.options);
  if (!unknown.empty()) {
    std::string known;
    for (const char* name : kKnownOptions) known += std::string(known.empty() ? "" : ", ") + name;
    for (const auto& name : unknown)
      std::fprintf(stderr,
                   "korvane: warning: --options names '%s', which the driver does not know and "
                   "ignores; the options are %s, and a DriverSetup tail last\n",
                   name.c_str(), known.c_str());
  }
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

StatusFormat FormatOf(const Options& options) {
  if (options.json || options.format == "json") return StatusFormat::kJson;
  if (options.format == "prometheus") return StatusFormat::kPrometheus;
  return StatusFormat::kTable;
}

// A subcommand with its own examples in place of the program's footer.
CLI::App* Subcommand(CLI::App& parent, const char* name, const char* description,
                     const std::string& examples) {
  auto* command = parent.add_subcommand(name, description);
  command->footer("Examples:\n" + examples + kCommonOptions);
  return command;
}

void AddJson(CLI::App* command, Options& o, const char* what) {
  command->add_flag("--json", o.json, what);
}

int Main(int argc, char** argv) {
  CLI::App app{"korvane: health, trigger routing and diagnostics of a Q7730A PXI Express chassis.",
               "korvane"};
  app.footer(kExamples);
  app.set_version_flag("--version", std::string("korvane ") + KORVANE_VERSION);
  app.require_subcommand(1);
  app.failure_message([](const CLI::App*, const CLI::Error& error) {
    return "korvane: " + std::string(error.what()) + "\nkorvane: see korvane --help\n";
  });
  // The common options may also follow the subcommand: `korvane status --simulate`.
  app.fallthrough();
  Options o;
  app.add_option("--resource", o.resource, "Resource descriptor or logical name of the chassis")
      ->capture_default_str();
  app.add_flag("--simulate", o.switches.simulate, "Simulate the chassis (no hardware)");
  app.add_flag("--virtual", o.virtualChassis,
               "Use the virtual chassis for this run (sets KORVANE_VIRTUAL_CHASSIS=1 unless set)");
  app.add_option(
      "--options", o.switches.options,
      "The driver's option string, for example \"Cache=false, DriverSetup=Model=Q7730A\"");
  app.add_option("--trace", o.switches.trace, "Write an XML trace of every driver call to FILE")
      ->type_name("FILE");

  int result = kExitOk;
  const auto run = [&](auto command) { return [&, command] { result = command(); }; };

  auto* status = Subcommand(app, "status", "Print the chassis's health table",
                            "  korvane --virtual status             the virtual chassis's health\n"
                            "  korvane status --check || echo alarm  exit 3 while an alarm is set\n"
                            "  korvane status --json | jq .alarms\n"
                            "  korvane status --format prometheus --output "
                            "/var/lib/prometheus/node-exporter/korvane.prom\n");
  auto* json = status->add_flag("--json", o.json, "JSON for scripts (schema: status.schema.json)");
  status->add_option("--format", o.format, "table, json or prometheus")
      ->type_name("FORMAT")
      ->excludes(json)
      ->transform(CLI::IsMember({"table", "json", "prometheus"}, CLI::ignore_case).description(""));
  status->add_flag("--check", o.check, "Exit with 3 when an alarm is set (for cron and CI)");
  status
      ->add_option("--output", o.output,
                   "With --format prometheus: write FILE atomically (for node_exporter's "
                   "textfile folder), korvane_up 0 when the chassis cannot be read")
      ->type_name("FILE");
  status->add_option("--name", o.name,
                     "Prometheus: the chassis label (default: the serial number)");
  status->callback(run([&] {
    const StatusFormat format = FormatOf(o);
    if (!o.output.empty() && format != StatusFormat::kPrometheus)
      throw CLI::ValidationError("--output", "writes the Prometheus text; add --format prometheus");
    if (format == StatusFormat::kPrometheus)
      return StatusPrometheus(MakeTarget(o), o.name, o.output, o.check);
    return Status(MakeTarget(o), format, o.check);
  }));

  auto* watch = Subcommand(app, "watch", "Refresh the health table in place until Ctrl-C",
                           "  korvane watch                        refresh every second\n"
                           "  korvane watch --interval 10 --json >> health.jsonl\n");
  watch->add_option("--interval", o.interval, "Seconds between refreshes, 0.1 to 3600")
      ->capture_default_str()
      ->check(CLI::Validator(
          [](std::string& text) -> std::string {
            char* end = nullptr;
            const double seconds = std::strtod(text.c_str(), &end);
            if (end == text.c_str() || *end != '\0' || !std::isfinite(seconds))
              return "'" + text + "' is no number of seconds";
            return "";
          },
          "", "seconds"))
      ->check(CLI::Range(0.1, 3600.0).description(""));
  AddJson(watch, o, "One JSON document (status --json) a line at each refresh");
  watch->callback(run([&] { return Watch(MakeTarget(o), o.interval, OutputOf(o)); }));

  auto* trigger = Subcommand(app, "trigger", "Show and route the eight PXI trigger lines",
                             "  korvane trigger show\n  korvane trigger connect 3 2To1And3\n"
                             "  korvane trigger reset --default\n");
  trigger->require_subcommand(1);
  auto* show = Subcommand(*trigger, "show", "Show the routing of every trigger line",
                          "  korvane trigger show\n  korvane trigger show --json\n");
  AddJson(show, o, "JSON for scripts");
  show->callback(run([&] { return TriggerShow(MakeTarget(o), OutputOf(o)); }));
  auto* connect =
      Subcommand(*trigger, "connect", "Route a trigger line between bus segments",
                 "  korvane trigger connect 3 2To1And3          bus 2 drives buses 1 and 3\n"
                 "  korvane trigger connect PXI_TRIG0 KorvaneTrigBus1To2\n");
  connect->add_option("LINE", o.line, "Trigger line 0..7 (or PXI_TRIG0..7)")->required();
  connect
      ->add_option("ROUTE", o.route,
                   "KorvaneTrigBusIsolateAll, ...1To2, ...1To2To3, ...2To1, "
                   "...2To3, ...2To1And3, ...3To2, ...3To2To1")
      ->required();
  AddJson(connect, o, "JSON for scripts");
  connect->callback(run(
      [&] { return TriggerConnect(MakeTarget(o), Line(o.line), Route(o.route), OutputOf(o)); }));
  auto* reset = Subcommand(*trigger, "reset", "Isolate one line, or every line",
                           "  korvane trigger reset 3                isolate PXI_TRIG3\n"
                           "  korvane trigger reset                  isolate every line\n"
                           "  korvane trigger reset --default        the chassis's own routing\n");
  reset->add_option("LINE", o.line, "Trigger line 0..7; all lines when left out");
  reset->add_flag("--default", o.toDefault, "Restore the chassis's default routing of every line");
  AddJson(reset, o, "JSON for scripts");
  reset->callback(run([&] {
    if (!o.line.empty() && o.toDefault)
      throw CLI::ValidationError("--default", "applies to all lines; leave LINE out");
    const std::optional<int> line = o.line.empty() ? std::nullopt : std::optional(Line(o.line));
    return TriggerReset(MakeTarget(o), line, o.toDefault, OutputOf(o));
  }));

  auto* alarms = Subcommand(app, "alarms", "Show the alarms; `alarms clear` clears them",
                            "  korvane alarms\n  korvane alarms clear\n  korvane alarms --json\n");
  alarms->add_option("ACTION", o.clear, "clear")->check(CLI::IsMember({"clear"}).description(""));
  AddJson(alarms, o, "JSON for scripts");
  alarms->callback(run([&] { return Alarms(MakeTarget(o), o.clear == "clear", OutputOf(o)); }));

  auto* selftest = Subcommand(app, "selftest", "Run the chassis self test; exit 3 when it fails",
                              "  korvane selftest\n  korvane --trace run1.xml selftest --json\n");
  AddJson(selftest, o, "JSON for scripts");
  selftest->callback(run([&] { return SelfTest(MakeTarget(o), OutputOf(o)); }));
  auto* identity = Subcommand(app, "identity", "Print the chassis's identity and the driver's",
                              "  korvane identity\n  korvane identity --json\n");
  AddJson(identity, o, "JSON for scripts");
  identity->callback(run([&] { return Identity(MakeTarget(o), OutputOf(o)); }));

  auto* serve = Subcommand(
      app, "serve", "Serve the health of one or more chassis to Prometheus over HTTP until stopped",
      "  korvane serve                        PXI0::0::INSTR on http://127.0.0.1:9730/metrics\n"
      "  korvane serve --resource PXI0::0::INSTR --name bench-7 --listen 0.0.0.0:9730\n"
      "  korvane serve --resource PXI0::0::INSTR --resource PXI1::0::INSTR\n");
  serve
      ->add_option("--resource", o.resources,
                   "A chassis to serve (repeat for more); default: the common --resource")
      ->type_name("NAME");
  serve
      ->add_option("--name", o.serve.names,
                   "The chassis label of each --resource, in order (default: its serial number)")
      ->type_name("LABEL");
  serve->add_option("--listen", o.serve.listen, "HOST:PORT to listen on (port 0: any free port)")
      ->type_name("HOST:PORT")
      ->capture_default_str();
  serve
      ->add_option("--min-interval", o.serve.minIntervalSeconds,
                   "Seconds between two readings of a chassis; scrapes in between get the last")
      ->type_name("SECONDS")
      ->capture_default_str()
      ->check(CLI::Range(0.0, 3600.0).description(""));
  serve->add_option("--threads", o.serve.threads, "Requests served at the same time, 1 to 64")
      ->type_name("N")
      ->capture_default_str()
      ->check(CLI::Range(1, 64).description(""));
  serve->callback(run([&] {
    if (o.resources.empty()) o.resources.push_back(o.resource);
    if (o.serve.names.size() > o.resources.size())
      throw CLI::ValidationError("--name", "is given more often than --resource");
    for (const auto& resource : o.resources) {
      Options each = o;
      each.resource = resource;
      o.serve.chassis.push_back(MakeTarget(each));
    }
    return Serve(o.serve);
  }));

  auto* config = Subcommand(app, "config", "The IVI configuration store",
                            "  korvane config check ~/.config/korvane/IviConfigurationStore.ini\n");
  config->require_subcommand(1);
  auto* check =
      Subcommand(*config, "check",
                 "Validate a store file: the first error with file, line and reason, or a summary",
                 "  korvane config check                   the store the driver reads\n"
                 "  korvane config check lab.ini --json\n");
  check->add_option("FILE", o.configFile,
                    "The store file; by default $KORVANE_IVI_CONFIG or the user's store");
  AddJson(check, o, "JSON for scripts");
  check->callback(run([&] { return ConfigCheck(o.configFile, OutputOf(o) == Output::kJson); }));

  auto* trace = Subcommand(app, "trace", "Call traces written with --trace",
                           "  korvane trace report run1.xml -o run1.html\n");
  trace->require_subcommand(1);
  AddTraceReportCommand(*trace, o.report, result);

  // For the manual page and the completion, generated from this parser.
  if (argc == 2 && std::string(argv[1]) == kCommandTreeOption) {
    std::fputs(CommandTree(app).c_str(), stdout);
    return kExitOk;
  }

  if (const auto unknown = UnknownSubcommand(app, argc, argv)) {
    std::fprintf(stderr, "korvane: %s\n", unknown->c_str());
    return kExitUsage;
  }
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
    std::fprintf(stderr, "korvane: %s\n", Describe(error).c_str());
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
