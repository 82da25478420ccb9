"""End-to-end tests of the korvane program: ctest runs the real command.

Usage: test_korvane.py KORVANE SCHEMA ARTEFACT_DIR [unittest arguments]
"""
import json
import os
import re
import shutil
import signal
import subprocess
import sys
import tempfile
import time
import unittest

KORVANE, SCHEMA, ARTEFACTS = sys.argv[1:4]
HERE = os.path.dirname(os.path.abspath(__file__))
MODES = {"simulated": ["--simulate"], "virtual chassis": []}
README = os.path.join(os.path.dirname(os.path.abspath(__file__)), os.pardir, os.pardir, "README.md")


def readme_blocks():
    """The README's indented blocks as written, each with the heading it stands under."""
    blocks, heading, current = [], None, None
    with open(README) as f:
        for line in f.read().split("\n"):
            if line.startswith("#"):
                heading = line.lstrip("# ")
            if line.startswith("    ") or (current is not None and not line.strip()):
                if current is None:
                    current = []
                    blocks.append((heading, current))
                current.append(line[4:])
            else:
                current = None
    return [(heading, "\n".join(lines).strip("\n") + "\n") for heading, lines in blocks]


def readme_block(heading, first_line):
    return next(text for where, text in readme_blocks()
                if where == heading and text.startswith(first_line))


README_SCENARIO = readme_block("Chassis scenarios", "# '#'")
README_STORE = readme_block("Configuration store file", "# Lines")
ROUTE_NAMES = ["IsolateAll", "1To2", "1To2To3", "2To1", "2To3", "2To1And3", "3To2", "3To2To1"]


def run(*args, scenario=None, cwd=None, env_extra=None):
    """Runs korvane; each run has a virtual chassis of its own unless env_extra
    names the runtime folder (XDG_RUNTIME_DIR) where it keeps its state. A
    variable given as None in env_extra is removed."""
    env = dict(os.environ)
    env.pop("KORVANE_CHASSIS_SCENARIO", None)
    with tempfile.TemporaryDirectory() as scratch:
        env["XDG_RUNTIME_DIR"] = scratch
        for name, value in (env_extra or {}).items():
            if value is None:
                env.pop(name, None)
            else:
                env[name] = value
        if scenario is not None:
            path = os.path.join(scratch, "scenario.txt")
            with open(path, "w") as f:
                f.write(scenario)
            env["KORVANE_CHASSIS_SCENARIO"] = path
        return subprocess.run([KORVANE, *args], capture_output=True, text=True, env=env,
                              cwd=cwd or scratch, timeout=60)


class CommandLine(unittest.TestCase):
    def test_exit_codes_and_streams(self):
        # (arguments, exit code, stream that must carry the text, text)
        cases = [
            (["--help"], 0, "stdout", "Examples:"),
            (["--version"], 0, "stdout", "korvane "),
            ([], 2, "stderr", "subcommand"),
            (["status", "--format", "xml"], 2, "stderr", "xml"),
            (["status", "--json", "--format", "table"], 2, "stderr", "excludes"),
            (["trigger", "connect", "8", "1To2"], 2, "stderr", "trigger line"),
            (["trigger", "connect", "3", "Nowhere"], 2, "stderr", "KorvaneTrigBus3To2To1"),
            (["trigger", "reset", "2", "--default"], 2, "stderr", "--default"),
            (["alarms", "silence"], 2, "stderr", "silence"),
            (["--options", "Simulate=maybe", "status"], 1, "stderr",
             "The maybe value in the option string is unknown."),
            (["stat"], 2, "stderr", "korvane: unknown subcommand 'stat'; did you mean 'status'?"),
            (["--resource", "stat", "--simulate", "trigger", "shw"], 2, "stderr",
             "did you mean 'trigger show'?"),
            (["--simulate", "frobnicate"], 2, "stderr", "the subcommands are status, watch"),
            (["watch", "--interval", "nan"], 2, "stderr", "'nan' is no number of seconds"),
            (["watch", "--interval", "-inf"], 2, "stderr", "'-inf' is no number of seconds"),
            (["--bogus", "status"], 2, "stderr", "--bogus"),
            (["--options", "Simlate=true, DriverSetup=Foo=1", "--simulate", "identity"], 0,
             "stderr", "warning: --options names 'Simlate'"),
        ]
        for args, code, stream, text in cases:
            with self.subTest(args=args):
                result = run(*args)
                self.assertEqual(result.returncode, code, result.stderr)
                self.assertIn(text, getattr(result, stream))
                # Every message korvane writes says who wrote it.
                for line in result.stderr.splitlines():
                    self.assertRegex(line, "^korvane: ")
        warning = run("--options", "Simlate=true", "--simulate", "identity").stderr
        for name in ["Cache", "InterchangeCheck", "QueryInstrStatus", "RangeCheck",
                     "RecordCoercions", "Simulate"]:
            self.assertIn(name, warning)
        self.assertEqual(run("--options", "simulate=true, CACHE=false", "identity").stderr, "")
        help_text = run("--help").stdout
        for command in ["status", "watch", "trigger", "alarms", "selftest", "identity", "config",
                        "trace"]:
            self.assertRegex(help_text, r"\n  %s " % command)

    def test_subcommands_in_both_modes(self):
        # (arguments, pattern the output must match)
        cases = [
            (["status"], r"Voltage rails(.|\n)*VMINUS_12_0"),
            (["identity"], r"Serial number +\S+"),
            (["trigger", "show"], "".join(r"PXI_TRIG%d  KorvaneTrigBusIsolateAll(.|\n)*" % line
                                          for line in range(8))),
            (["trigger", "connect", "PXI_TRIG3", "KorvaneTrigBus2To1And3"],
             r"^  PXI_TRIG3  KorvaneTrigBus2To1And3 "),
            (["trigger", "reset", "3"], r"^  PXI_TRIG3  KorvaneTrigBusIsolateAll "),
            (["trigger", "reset", "--default"], r"PXI_TRIG7"),
            (["alarms", "clear"], r"after clearing(.|\n)*rail_VMINUS_12_0 +clear"),
            (["selftest"], r"Self test of \S+ \(simulated\)|Self test of \S+ \(virtual chassis\): passed"),
        ]
        for mode, switches in MODES.items():
            for args, pattern in cases:
                with self.subTest(mode=mode, args=args):
                    # The common options follow the subcommand here; other cases put them first.
                    result = run(*args, *switches)
                    self.assertEqual(result.returncode, 0, result.stderr)
                    self.assertRegex(result.stdout, re.compile(pattern, re.M))

    def test_each_subcommand_has_its_own_help(self):
        for command in [["status"], ["watch"], ["trigger"], ["trigger", "show"],
                        ["trigger", "connect"], ["trigger", "reset"], ["alarms"], ["selftest"],
                        ["identity"], ["config"], ["config", "check"], ["trace", "report"]]:
            with self.subTest(command=command):
                result = run(*command, "--help")
                self.assertEqual(result.returncode, 0, result.stderr)
                self.assertIn("Usage: korvane %s " % " ".join(command), result.stdout)
                # Its own examples, none of the program's footer, no parser internals.
                examples = re.findall(r"^  korvane .*$", result.stdout, re.M)
                self.assertTrue(examples)
                for example in examples:
                    self.assertIn(" %s " % command[-1], example + " ")
                self.assertNotIn("Exit codes:", result.stdout)
                self.assertNotRegex(result.stdout, r"->|ENUM|\{\d")

    def test_json_of_every_subcommand_marks_the_chassis(self):
        # (arguments, member of the document that must be there)
        commands = [(["status"], "voltage_rails"), (["trigger", "show"], "trigger_lines"),
                    (["trigger", "connect", "3", "2To1And3"], "trigger_lines"),
                    (["trigger", "reset"], "trigger_lines"), (["alarms"], "alarms"),
                    (["alarms", "clear"], "alarms"), (["selftest"], "errors"),
                    (["identity"], "driver")]
        virtual = "firmware = 2.1.7\n"
        for args, member in commands:
            for switches, scenario, is_virtual in [(["--simulate"], None, False),
                                                   ([], virtual, True)]:
                with self.subTest(args=args, virtual=is_virtual):
                    result = run(*switches, *args, "--json", scenario=scenario)
                    self.assertEqual(result.returncode, 0, result.stderr)
                    document = json.loads(result.stdout)
                    self.assertIn(member, document)
                    self.assertEqual(document["virtual_chassis"], is_virtual)
                    self.assertEqual(document["chassis"], "PXI0::0::INSTR")
                    text = run(*switches, *args, scenario=scenario).stdout.splitlines()[0]
                    self.assertEqual("(virtual chassis)" in text, is_virtual, text)
        # watch --json: one status document a line at each refresh, until interrupted.
        watch = subprocess.Popen([KORVANE, "--simulate", "watch", "--json", "--interval", "0.1"],
                                 stdout=subprocess.PIPE, text=True)
        documents = [json.loads(watch.stdout.readline()) for _ in range(2)]
        watch.send_signal(signal.SIGINT)
        self.assertEqual(watch.wait(timeout=60), 0)
        watch.stdout.close()
        self.assertEqual([d["schema"] for d in documents], ["korvane-status/1"] * 2)
        self.assertTrue(all(d["simulated"] and "voltage_rails" in d for d in documents))
        connected = json.loads(run("--simulate", "trigger", "connect", "PXI_TRIG3", "2to1and3",
                                   "--json").stdout)["trigger_lines"]
        self.assertEqual([(l["line"], l["routing"], l["value"]) for l in connected],
                         [(3, "KorvaneTrigBus2To1And3", 5)])
        identity = json.loads(run("--simulate", "identity", "--json").stdout)
        self.assertEqual(sorted(identity["driver"]),
                         ["description", "identifier", "revision", "vendor"])
        self.assertTrue(all(identity["driver"].values()))
        alarms = json.loads(run("alarms", "--json", scenario=HOT).stdout)["alarms"]
        self.assertEqual([a["name"] for a in alarms if a["set"]],
                         json.loads(run("status", "--json", scenario=HOT).stdout)["alarms"])

    def test_route_names_follow_the_driver_enumeration(self):
        # The driver sees the enumeration's value (traced) for each name.
        for value, name in enumerate(ROUTE_NAMES):
            with self.subTest(route=name), tempfile.TemporaryDirectory() as scratch:
                trace = os.path.join(scratch, "connect.xml")
                result = run("--simulate", "--trace", trace, "trigger", "connect", "3",
                             name.lower())
                self.assertIn("PXI_TRIG3  KorvaneTrigBus%s " % name, result.stdout)
                with open(trace) as f:
                    self.assertIn('Name="BusConfiguration" Direction="In" Value="%d"' % value,
                                  f.read())


HOT = "temperature 3 = 85.5\nfan 2 = 450\nrail VPLUS_5_0 = 4.6\nalarm reference_clock = set\n"


class Formats(unittest.TestCase):
    def test_json_follows_its_schema(self):
        import jsonschema
        with open(SCHEMA) as f:
            schema = json.load(f)
        for name, args, scenario, alarms in [
                ("simulated", ["--simulate"], None, []),
                ("quiet chassis", [], None, []),
                ("hot chassis", [], HOT, ["over_temperature", "fan_underspeed",
                                          "reference_clock", "rail_VPLUS_5_0"])]:
            with self.subTest(name):
                result = run(*args, "status", "--json", scenario=scenario)
                document = json.loads(result.stdout)
                jsonschema.validate(document, schema)
                self.assertEqual(document["alarms"], alarms)


class Scenarios(unittest.TestCase):
    def test_status_check_and_error_paths(self):
        # (scenario, arguments, exit code, text on stderr)
        cases = [
            ("", ["status", "--check"], 0, ""),
            ("temperature 3 = 85.5\n", ["status", "--check"], 3, "alarm set: over_temperature"),
            ("fan 1 = 10\n", ["status", "--check"], 3, "alarm set: fan_underspeed"),
            ("rail VMINUS_12_0 = -13\n", ["status", "--check"], 3, "alarm set: rail_VMINUS_12_0"),
            ("alarm reference_clock = set\n", ["status", "--check"], 3, "reference_clock"),
            ("temperature 3 = 85.5\n", ["status"], 0, ""),
            ("inject getTemperatureSensorValue = 0xBFFA0001\n", ["status"], 1,
             "Unknown physical repeated capability selector"),
            ("inject ioOpen = 0xBFFA0001\n", ["identity"], 1,
             "A connection to the instrument has not been established"),
            ("selftest = 17\nselftest-text 17 = Fan 2 stalled\n", ["selftest"], 3, ""),
            ("fan 9 = 100\n", ["identity"], 4, "scenario.txt:1: '9' is not a number from 1 to 3"),
        ]
        for scenario, args, code, text in cases:
            with self.subTest(scenario=scenario, args=args):
                result = run(*args, scenario=scenario)
                self.assertEqual(result.returncode, code, result.stderr)
                self.assertIn(text, result.stderr)
                if code == 1:
                    self.assertRegex(result.stderr, r"^korvane: .+ failed \(0x[0-9A-F]{8}\): ")
        failed = run("selftest", scenario=cases[-2][0])
        self.assertIn("code 17: Fan 2 stalled", failed.stdout)
        # A code the chassis has no text for still fails the self test, in its place.
        for scenario in ["selftest = 42 17\nselftest-text 17 = Fan 2 stalled\n", "selftest = 42\n"]:
            with self.subTest(scenario=scenario):
                result = run("selftest", "--json", scenario=scenario)
                self.assertEqual(result.returncode, 3, result.stderr)
                document = json.loads(result.stdout)
                self.assertFalse(document["passed"])
                codes = scenario.splitlines()[0].split("=")[1].split()
                self.assertEqual(len(document["errors"]), len(codes))


    def test_alarms_are_named_as_korvane_names_them(self):
        listed = run("alarms", "--json")
        self.assertEqual(listed.returncode, 0, listed.stderr)
        names = [alarm["name"] for alarm in json.loads(listed.stdout)["alarms"]]
        self.assertEqual(len(names), 7)
        result = run("status", "--json", "--check",
                     scenario="".join("alarm %s = set\n" % name for name in names))
        self.assertEqual(result.returncode, 3, result.stderr)
        self.assertEqual(json.loads(result.stdout)["alarms"], names)
        # The old spelling is an error like any other, answered with the names to use.
        result = run("status", scenario="\nalarm fan-underspeed = set\n")
        self.assertEqual(result.returncode, 4, result.stderr)
        self.assertIn("scenario.txt:2: 'fan-underspeed' is no alarm; the alarms are %s or %s\n"
                      % (", ".join(names[:-1]), names[-1]), result.stderr)

    def test_scenario_settings_reach_the_readings(self):
        # (scenario, path into status --json, value)
        cases = [
            ("reference-clock = external\n", ["reference_clock", "source"], "external"),
            ("reference-clock = 3\n", ["reference_clock", "source"], "timing module"),
            ("uptime = 86400\nfrozen = true\n", ["uptime_seconds"], 86400),
            ("fan-auto = false\n", ["fans", "automatic"], False),
            ("fan 3 = 1234 ; comment\n", ["fans", "fans", 2, "rpm"], 1234),
            ("temperature 8 = -5.5\n", ["temperature", "sensors", 7, "celsius"], -5.5),
            ("rail VPLUS_12_0 = 12.25\n", ["voltage_rails", 2, "volts"], 12.25),
            ("pcie-link = 1x4\n", ["pcie_link"], "1x4"),
            ("firmware = 9.9\n# serial = no\n", ["identity", "firmware_revision"],
             "9.9 (virtual chassis)"),
            ("serial = S1\n", ["identity", "serial_number"], "S1"),
        ]
        for scenario, path, value in cases:
            with self.subTest(scenario=scenario):
                result = run("status", "--json", scenario=scenario)
                self.assertEqual(result.returncode, 0, result.stderr)
                document = json.loads(result.stdout)
                for key in path:
                    document = document[key]
                self.assertEqual(document, value)

# Every value that drifts on a running chassis pinned, each to a different number, so that
# two processes read the same values and a value shown in another's place cannot pass.
PINNED = "".join(["uptime = 90061\nfrozen = true\n",
                  *("temperature %d = %.2f\n" % (n, 20 + 3.25 * n) for n in range(1, 9)),
                  *("fan %d = %d\n" % (n, 1900 + 137 * n) for n in range(1, 4)),
                  "rail VPLUS_3_3 = 3.31\nrail VPLUS_5_0 = 5.02\n",
                  "rail VPLUS_12_0 = 12.03\nrail VMINUS_12_0 = -12.04\n"])
# The chassis operations behind the values of a reading.
READ_OPERATIONS = ["getTemperatureSensorValue", "getFanSpeed", "getSupplyRailVoltage",
                   "getVoltageHiLowAlarmThreshold", "getAlarmCondition", "getTimeSinceBoot",
                   "getPCIeLinkTopology", "getOverTempAlarmThreshold",
                   "getFanUnderspeedAlarmThreshold", "getChassisReferenceClockSource",
                   "getFanAutoControlEnabled", "getChassisThermostatSetpoint"]
# Members of the document that are no reading of the chassis.
NOT_READ = {"schema", "chassis", "simulated", "virtual_chassis", "alarms", "errors", "error",
            "physical_name"}


def c_face_reading(scenario, options=""):
    """What the driver's C face reads for the scenario: {path: [value|error, v]}."""
    with tempfile.TemporaryDirectory() as scratch:
        path = os.path.join(scratch, "scenario.txt")
        with open(path, "w") as f:
            f.write(scenario)
        env = dict(os.environ, KORVANE_CHASSIS_SCENARIO=path)
        if os.environ.get("KORVANE_ORACLE_PRELOAD"):  # a sanitizer build's driver module
            env.update(LD_PRELOAD=os.environ["KORVANE_ORACLE_PRELOAD"], ASAN_OPTIONS="detect_leaks=0")
        result = subprocess.run(
            [sys.executable, os.path.join(HERE, "c_face_reading.py"), os.environ["KORVANE_LIBRARY"],
             os.environ["KORVANE_HEADER"], "PXI0::0::INSTR", options],
            capture_output=True, text=True, env=env, cwd=scratch, timeout=60, check=True)
        return json.loads(result.stdout)


def leaves(document, prefix=""):
    """The readings of a status document: {path: value}, without the members of NOT_READ."""
    found = {}
    items = document.items() if isinstance(document, dict) else enumerate(document)
    for key, value in items:
        if key in NOT_READ and prefix == "" or key in ("error", "physical_name"):
            continue
        if isinstance(value, (dict, list)):
            found.update(leaves(value, "%s%s/" % (prefix, key)))
        else:
            found[prefix + str(key)] = value
    return found


def table_rows(table, names):
    """The table's line of each named item."""
    return {name: re.search(r"^  %s .*$" % re.escape(name), table, re.M).group(0)
            for name in names}


class Readings(unittest.TestCase):
    """status reads each value on its own: with one chassis operation failing, every other value
    is shown, and each shown value is the one the driver's C face reads."""

    def test_every_output_holds_what_the_driver_reads(self):
        import jsonschema
        with open(SCHEMA) as f:
            schema = json.load(f)
        # A simulated session never reaches the chassis, so only the virtual one fails.
        cases = [("simulated", ["--simulate"], "Simulate=true", None),
                 *(("virtual chassis", [], "", failing) for failing in [None, *READ_OPERATIONS])]
        for mode, switches, options, failing in cases:
            scenario = PINNED + ("inject %s = 0xBFFA0002\n" % failing if failing else "")
            with self.subTest(mode=mode, failing=failing):
                truth = c_face_reading(scenario, options)
                failed = {path: v for path, (kind, v) in truth.items() if kind == "error"}
                self.assertEqual(bool(failed), bool(failing))
                result = run(*switches, "status", "--json", scenario=scenario)
                self.assertEqual(result.returncode, 1 if failed else 0, result.stderr)
                document = json.loads(result.stdout)
                jsonschema.validate(document, schema)
                self.assertEqual(leaves(document), {path: v for path, (kind, v)
                                                    in truth.items() if kind == "value"})
                # Each failure is on the object that lacks the value, and in "errors".
                for path, status in failed.items():
                    owner = document
                    for key in path.split("/")[:-1]:
                        owner = owner[int(key) if key.isdigit() else key]
                    if owner is not document:
                        self.assertEqual(owner["error"]["status"], status, path)
                self.assertEqual(sorted(e["status"] for e in document["errors"]),
                                 sorted(failed.values()))
                self.assert_table_shows(run(*switches, "status", scenario=scenario), document)

    def assert_table_shows(self, result, document):
        """Every item of the table carries its value, or "error" beside it."""
        self.assertEqual(result.returncode, 1 if document["errors"] else 0)
        sensors = document["temperature"]["sensors"]
        rows = table_rows(result.stdout, [s["name"] for s in sensors])
        for sensor in sensors:
            expected = "%.1f C" % sensor["celsius"] if "celsius" in sensor else "error: reading"
            self.assertIn(expected, rows[sensor["name"]])
        for rail in document["voltage_rails"]:
            row = table_rows(result.stdout, [rail["name"]])[rail["name"]]
            if "lower_volts" in rail:
                # Lower is the smaller number, in the table and in the JSON.
                lower, upper = re.findall(r"(-?\d+\.\d+) V", row)[-2:]
                self.assertEqual((float(lower), float(upper)),
                                 (rail["lower_volts"], rail["upper_volts"]))
                self.assertLessEqual(rail["lower_volts"], rail["upper_volts"])
            self.assertEqual("error" in row, "error" in rail, row)
        for error in document["errors"]:
            self.assertIn("korvane: " + error["message"], result.stderr)
            self.assertRegex(error["message"], r"^reading .+ failed \(0x[0-9A-F]{8}\): ")

    def test_display_names_from_the_store_never_break_a_reading(self):
        # Names with blanks are no selectors; the store gives them to a fan and a rail.
        store = STORE.replace("[SoftwareModule Korvane]\n", """[SoftwareModule Korvane]
Name Fan!!FAN1 = Front fan
Name VoltageRail!!VPLUS_5_0 = Main 5 V
""").replace("[Session BenchSession]\n", """[Session BenchSession]
SoftwareModule = Korvane
""") + "[Session BenchSession / Configurable Initial Settings]\n"
        bin_dir = os.path.dirname(KORVANE)
        with tempfile.TemporaryDirectory() as scratch:
            path, registry = os.path.join(scratch, "store.ini"), os.path.join(scratch, "registry")
            with open(path, "w") as f:
                f.write(store + "String Model = Q7730A\n")
            env = {"KORVANE_IVI_CONFIG": path, "KORVANE_REGISTRY": registry}
            subprocess.run([os.path.join(bin_dir, "korvane-regsvr"), "/s",
                            os.path.join(bin_dir, "libIviConfigServer.so")],
                           env=dict(os.environ, **env), check=True)
            result = run("--resource", "Bench", "status", "--json", env_extra=env)
            self.assertEqual(result.returncode, 0, result.stderr)
            document = json.loads(result.stdout)
            fan, rail = document["fans"]["fans"][0], document["voltage_rails"][1]
            self.assertEqual((fan["name"], fan["physical_name"]), ("Front fan", "FAN1"))
            self.assertEqual((rail["name"], rail["physical_name"]), ("Main 5 V", "VPLUS_5_0"))
            self.assertEqual(document["errors"], [])
            self.assertIn("rpm", fan)
            self.assertTrue(document["simulated"])  # the store's session simulates
            alarms = run("--resource", "Bench", "alarms", "--json", env_extra=env)
            self.assertEqual(alarms.returncode, 0, alarms.stderr)
            self.assertIn("rail_VPLUS_5_0", [a["name"] for a in json.loads(alarms.stdout)["alarms"]])

    def test_a_failed_value_leaves_only_its_sample_out(self):
        scenario = PINNED + "inject getFanSpeed = 0xBFFA0002\n"
        result = run("status", "--format", "prometheus", scenario=scenario)
        self.assertEqual(result.returncode, 1)
        check = subprocess.run(["promtool", "check", "metrics"], input=result.stdout,
                               capture_output=True, text=True)
        self.assertEqual(check.returncode, 0, check.stdout + check.stderr)
        self.assertNotIn("korvane_fan_speed_rpm{", result.stdout)
        self.assertEqual(len(re.findall(r"^korvane_temperature_celsius\{", result.stdout, re.M)), 8)


STORE = """[SoftwareModule Korvane]
[HardwareAsset Bench chassis]
IOResourceDescriptor = PXI0::34-0.0::INSTR
[Session BenchSession]
HardwareAsset = Bench chassis
Simulate = true
[LogicalName Bench]
Session = BenchSession
"""


class ConfigCheck(unittest.TestCase):
    def test_first_error_or_summary(self):
        # (store text, exit code, pattern on stdout or stderr)
        cases = [
            (STORE, 0, r"1 session\(s\), 1 logical name\(s\)(.|\n)*session BenchSession, simulated,"
                       r" resource PXI0::34-0.0::INSTR(.|\n)*logical name Bench -> session Bench"),
            (STORE + "[Session Broken\n", 4, r"store.ini:9: "),
            (STORE.replace("Session = BenchSession", "Session = Elsewhere"), 4,
             r"store.ini:8: 'Elsewhere' is not declared"),
            # What the driver cannot use: no module of its own, a name no selector can hold.
            ("[Store]\n", 4, r"no \[SoftwareModule Korvane\] section(.|\n)*add a line "
                             r"\[SoftwareModule Korvane\]"),
            (STORE.replace("Korvane]\n", "Korvane]\nName Fan!!FAN1 = Front fan\n"), 4,
             r"names Fan!!FAN1 'Front fan'(.|\n)*write 'Front_fan'"),
            (None, 4, r"No configuration store at '.*store.ini'"),
        ]
        for text, code, pattern in cases:
            with self.subTest(pattern=pattern), tempfile.TemporaryDirectory() as scratch:
                path = os.path.join(scratch, "store.ini")
                if text is not None:
                    with open(path, "w") as f:
                        f.write(text)
                result = run("config", "check", path)
                self.assertEqual(result.returncode, code, result.stderr)
                self.assertRegex(result.stdout + result.stderr, pattern)
        # The same verdicts for scripts: (store text, exit code, members of the document)
        for text, code, members in [
                (STORE, 0, {"valid": True, "logical_names": [{"name": "Bench",
                                                              "session": "BenchSession"}]}),
                (STORE + "[Session Broken\n", 4, {"valid": False, "line": 9})]:
            with self.subTest(json=members), tempfile.TemporaryDirectory() as scratch:
                path = os.path.join(scratch, "store.ini")
                with open(path, "w") as f:
                    f.write(text)
                result = run("config", "check", path, "--json")
                self.assertEqual(result.returncode, code, result.stderr)
                document = json.loads(result.stdout)
                self.assertEqual(document["file"], path)
                self.assertEqual({key: document[key] for key in members}, members)
        by_variable = run("config", "check", env_extra={"KORVANE_IVI_CONFIG": "/nonexistent.ini"})
        self.assertIn("No configuration store at '/nonexistent.ini'", by_variable.stderr)


def browse(page, *flags):
    """Loads a page in headless Chromium with a fresh profile; returns its output."""
    with tempfile.TemporaryDirectory() as profile:
        return subprocess.run(
            ["chromium", "--headless", "--no-sandbox", "--disable-gpu",
             "--disable-background-networking", "--disable-component-update", "--disable-sync",
             "--no-first-run", "--user-data-dir=" + profile, *flags, "file://" + page],
            capture_output=True, text=True, timeout=120).stdout


def make_trace(path, calls, failing=(), thread_of=lambda n: 7, start_ms=0, durations=None,
               end=True):
    """Writes a trace as the driver does: `calls` get_RPM records (FAN1 .. FAN3 through their
    get_Item), those numbered in `failing` failed, one millisecond apart from `start_ms`."""
    lines = ['<?xml version="1.0"?>', "<TraceRecords>"]
    for n in range(1, calls + 1):
        ms = (start_ms + n) % 86400000
        clock = "%d:%d:%d:%d" % (ms // 3600000, ms // 60000 % 60, ms // 1000 % 60, ms % 1000)
        lines.append('\t<Method Name="get_RPM" Interface="IKorvaneFan" StartTime="%s" Thread="%d"'
                     ' Timestamp="%d">' % (clock, thread_of(n), n))
        status = "0x80044002" if n in failing else "0x00000000"
        lines.append('\t\t<HRESULT Value="%s"%s/>' % (
            status, ' Message="call %d failed"' % n if n in failing else ""))
        duration = durations(n) if durations else "%e" % (1e-6 * (1 + n % 7))
        lines.append('\t\t<Execution ExecutionTime="%s"/>' % duration)
        lines.append("\t</Method>")
    if end:
        lines.append("</TraceRecords>")
    with open(path, "w", newline="") as f:
        f.write("\r\n".join(lines) + "\r\n")


SORTABLE_TIME = r"\d{4}-\d\d-\d\d \d\d:\d\d:\d\d\.\d{3}"


def call_rows(page):
    """(number, state, row html) of each call row of a report page or its DOM."""
    return [(int(n), state, row) for n, state, row in re.findall(
        r'<tr id="call-(\d+)" class="call ([a-z]+)[^"]*"[^>]*>(.*?)</tr>', page, re.S)]


class TraceReport(unittest.TestCase):
    def report(self, trace, page, *options):
        result = run("trace", "report", trace, "-o", page, *options)
        self.assertEqual(result.returncode, 0, result.stderr)
        with open(page) as f:
            return f.read()

    def test_session_page_in_a_browser(self):
        os.makedirs(ARTEFACTS, exist_ok=True)
        trace = os.path.join(ARTEFACTS, "session.xml")
        if os.path.exists(trace):
            os.remove(trace)  # left by an earlier run
        # The trace items join the DriverSetup tail the user wrote.
        result = run("--options", "Cache=true, DriverSetup=Model=Q7730A", "--trace", trace,
                     "status", scenario="inject getFanSpeed = 0xBFFA0001\n")
        self.assertEqual(result.returncode, 1)
        c_statuses = set(re.findall(r"0x(BFFA[0-9A-F]{4})", result.stdout + result.stderr))
        with open(trace) as f:
            text = f.read()
        page = trace[:-4] + ".html"
        self.report(trace, page)
        shot = page[:-5] + ".png"
        dom = browse(page, "--dump-dom", "--window-size=1400,1600", "--screenshot=" + shot)
        self.assertGreater(os.path.getsize(shot), 0)
        # Failures first: their list links to the failed row, which holds the IVI-C status the
        # C client was given, and the item its get_Item named.
        self.assertLess(dom.index('id="failures"'), dom.index('id="summary"'))
        # status reads on past a failure: each of the three fans fails once.
        self.assertIn('<span id="failure-count">3</span>', dom)
        failed = [row for row in call_rows(dom) if row[1] == "failed"]
        self.assertEqual(len(failed), 3)
        for number, _, row in failed:
            self.assertIn('<a href="#call-%d">' % number, dom[:dom.index('id="summary"')])
            self.assertRegex(row, r'<td class="item">(Fan!!)?FAN')
            self.assertIn(re.search(r"IVI-C 0x([0-9A-F]{8})", row).group(1), c_statuses)
        self.assertRegex(dom, r'<tr class="member failed"><td>IKorvaneFan\.get_RPM</td>')
        # Every call is a row, but a size query folded into the read after it.
        rows = call_rows(dom)
        folds = re.findall(r"size query<br>#\d+( and get_Item<br>#\d+)? folded", dom)
        self.assertGreater(len(folds), 0)
        self.assertEqual(text.count("<Method "),
                         len(rows) + sum(1 + bool(item) for item in folds))
        # Each item call is about the item of its thread's last get_Item of that collection.
        items = re.findall(r'<Method Name="get_Item" Interface="IKorvaneTemperatureSensors"[^>]*>'
                           r'\s*<Parameter Name="Name" Direction="In" Value="([^"]*)"', text)
        shown = [re.search(r'<td class="item">([^<]*)', r).group(1) for _, _, r in rows
                 if "<td>IKorvaneTemperatureSensor</td>" in r]
        self.assertEqual(shown, items)
        # Sortable times: zero-padded, dated, in order; OK for success.
        times = [re.search(r'<td class="time">([^<]*)</td>', r).group(1) for _, _, r in rows]
        self.assertTrue(all(re.fullmatch(SORTABLE_TIME, t) for t in times), times)
        self.assertEqual(times, sorted(times))
        self.assertIn('<td class="status">OK</td>', dom)

        # A crash: the file stops inside the record after the failing call, torn inside a
        # tag, and the rest of the piece the old writer had mapped is zero bytes.
        failing = text.index('<Method Name="get_RPM"')
        cut_at = text.index("<HRESULT", text.index("<Method", failing + 1)) + 5
        cut = os.path.join(ARTEFACTS, "cut.xml")
        with open(cut, "wb") as f:
            f.write(text[:cut_at].encode() + bytes(65536))
        cut_page = self.report(cut, cut[:-4] + ".html")
        self.assertIn('id="truncated"', cut_page)
        states = [state for _, state, _ in call_rows(cut_page)]
        self.assertEqual(states[-1], "unfinished")
        self.assertEqual(states.count("unfinished"), 1)
        self.assertEqual(states.count("failed"), 1)  # the cut follows the first failure
        self.assertIn('<span id="call-count">%d</span>' % text[:cut_at].count("<Method "),
                      cut_page)

    def test_long_trace_page_keeps_failures_and_says_what_it_left_out(self):
        os.makedirs(ARTEFACTS, exist_ok=True)
        trace = os.path.join(ARTEFACTS, "long.xml")
        failing = {7, 1234, 2500, 4321}
        # Two threads; the clock passes midnight at call 1000.
        make_trace(trace, 5000, failing, thread_of=lambda n: 7 + n % 2, start_ms=86400000 - 1000)
        page = os.path.join(ARTEFACTS, "long.html")
        html = self.report(trace, page, "--rows", "100")
        rows = call_rows(html)
        numbers = [n for n, _, _ in rows]
        # The first and last 50 calls, every failure and the ten slowest (calls 6 + 7k).
        slowest = [n for n in range(1, 5001) if n % 7 == 6][:10]  # the earlier of equals
        self.assertEqual(sorted(set(numbers)), sorted(
            set(range(1, 51)) | set(range(4951, 5001)) | failing | set(slowest)))
        self.assertIn('<span id="left-out-count">%s</span>' % format(5000 - len(rows), ","), html)
        self.assertEqual(len(re.findall(r'<tr class="gap">', html)),
                         len([1 for a, b in zip(numbers, numbers[1:]) if b - a > 1]))
        times = [re.search(r'<td class="time">([^<]*)</td>', r).group(1) for _, _, r in rows]
        self.assertTrue(all(re.fullmatch(SORTABLE_TIME, t) for t in times), times)
        self.assertEqual(times, sorted(times))
        self.assertNotEqual(times[0][:10], times[-1][:10])  # dated across midnight
        # The page's filter at work in the browser: one thread's rows only.
        shot = page[:-5] + ".png"  # the page as the filter left it
        dom = browse(page + "?thread=8", "--dump-dom", "--window-size=1400,1200",
                     "--screenshot=" + shot)
        self.assertGreater(os.path.getsize(shot), 0)
        visible = re.findall(r'<tr id="call-(\d+)" class="call[^"]*" data-member="[^"]*" '
                             r'data-thread="(\d+)"(?: style="")?>', dom)
        self.assertEqual({t for _, t in visible}, {"8"})
        self.assertEqual(len(visible), len([n for n in numbers if n % 2 == 1]))
        self.assertIn('<span id="shown-rows">%d</span>' % len(visible), dom)
        # The options select calls while the trace streams by.
        cases = [(("--from", "4990"), range(4990, 5001)),
                 (("--from", "100", "--to", "109", "--thread", "8"), range(101, 110, 2)),
                 (("--from", "00:00:00.004", "--to", "0:0:0.008"), range(1004, 1009))]
        for options, expected in cases:
            with self.subTest(options=options):
                selected = self.report(trace, page + ".part.html", *options)
                self.assertEqual([n for n, _, _ in call_rows(selected)], list(expected))
                self.assertIn('<span id="call-count">%d</span>' % len(expected), selected)

    def test_hostile_input_is_refused_or_shown(self):
        scratch = tempfile.mkdtemp()
        fifo = os.path.join(scratch, "fifo.xml")
        os.mkfifo(fifo)
        big = os.path.join(scratch, "big.xml")
        make_trace(big, 200)
        torn = os.path.join(scratch, "torn.xml")
        with open(big) as f, open(torn, "w") as t:
            text = f.read()
            at = text.index("</Method>", len(text) // 2)  # far from where the file starts
            t.write(text[:at] + "</Mehtod>" + text[at + 9:])
        odd = os.path.join(scratch, "odd.xml")
        make_trace(odd, 4, durations=lambda n: ["1e-4000", "1eNaN", "inf", "2.5e-06"][n - 1])
        quoted = os.path.join(scratch, "it's a \"trace\".xml")
        make_trace(quoted, 2)
        page = os.path.join(scratch, "page.html")
        # (trace, options, exit code, text on stderr, text in the page)
        cases = [
            (scratch, [], 4, "is a directory", None),
            ("/dev/zero", [], 4, "is a character device", None),
            (fifo, [], 4, "is a FIFO", None),
            (os.path.join(scratch, "missing.xml"), [], 4, "cannot be read", None),
            (torn, [], 4, "not well-formed at line %d" % (text[:at].count("\n") + 1), None),
            (big, ["--max-size", "2K"], 0, "--max-size", ('id="capped"',)),
            (odd, [], 0, "", ('title="ExecutionTime=&quot;1e-4000&quot;">unreadable<',
                              'title="ExecutionTime=&quot;1eNaN&quot;">unreadable<',
                              'title="ExecutionTime=&quot;inf&quot;">unreadable<', "2.5 µs")),
            (quoted, [], 0, "", ("it&#39;s a &quot;trace&quot;.xml",)),
            (big, ["-o", os.path.join(scratch, "missing", "page.html")], 4, "cannot be written",
             None),
        ]
        for trace, options, code, message, shown in cases:
            with self.subTest(trace=trace, options=options):
                if os.path.exists(page):
                    os.remove(page)
                output = [] if "-o" in options else ["-o", page]
                result = run("trace", "report", trace, *output, *options)
                self.assertEqual(result.returncode, code, result.stderr)
                self.assertIn(message, result.stderr)
                if "written" not in message:
                    self.assertNotIn("cannot be written", result.stderr)
                if shown is None:
                    self.assertFalse(os.path.exists(page))
                else:
                    with open(page) as f:
                        html = f.read()
                    for text in shown:
                        self.assertIn(text, html)


def apply_stylesheet(stylesheet, trace, page):
    """Renders a trace with a stylesheet as a browser would, through libxslt; False on failure."""
    import ctypes
    xml, xslt = ctypes.CDLL("libxml2.so.2"), ctypes.CDLL("libxslt.so.1")
    for function in (xml.xmlParseFile, xslt.xsltParseStylesheetFile, xslt.xsltApplyStylesheet):
        function.restype = ctypes.c_void_p
    xslt.xsltApplyStylesheet.argtypes = [ctypes.c_void_p] * 3
    xslt.xsltSaveResultToFilename.argtypes = [ctypes.c_char_p] + [ctypes.c_void_p] * 2 + [
        ctypes.c_int]
    sheet = xslt.xsltParseStylesheetFile(stylesheet.encode())
    result = xslt.xsltApplyStylesheet(sheet, xml.xmlParseFile(trace.encode()), None)
    return bool(result) and xslt.xsltSaveResultToFilename(page.encode(), result, sheet, 0) >= 0


class TraceStylesheet(unittest.TestCase):
    def test_small_trace_renders_failures_first_and_unreadable_durations(self):
        scratch = tempfile.mkdtemp()
        trace, page = os.path.join(scratch, "t.xml"), os.path.join(scratch, "t.html")
        make_trace(trace, 4, failing={3}, start_ms=3723004,
                   durations=lambda n: ["1e-4000", "1eNaN", "2.5e-06", "1e2.5"][n - 1])
        stylesheet = os.path.join(os.path.dirname(KORVANE), "trace.xslt")
        self.assertTrue(apply_stylesheet(stylesheet, trace, page))
        with open(page) as f:
            html = f.read()
        self.assertLess(html.index('<a href="#call-3">'), html.index('id="summary"'))
        self.assertIn('<tr id="call-3" class="call failed', html)
        self.assertEqual(html.count(">unreadable<"), 3)
        self.assertIn("01:02:03.005", html)  # zero-padded
        self.assertIn(">OK<", html)
        self.assertRegex(html, r'<tr class="member failed">\s*<td>IKorvaneFan.get_RPM</td>')


class Watch(unittest.TestCase):
    """watch in a real terminal: tmux runs it in an interactive shell."""

    def tmux(self, *args):
        return subprocess.run(["tmux", "-L", self.server, "-f", "/dev/null", *args],
                              capture_output=True, text=True, check=True).stdout

    def wait_for(self, condition, what):
        deadline = time.monotonic() + 60
        while time.monotonic() < deadline:
            screen = self.tmux("capture-pane", "-p", "-t", "w")
            if condition(screen):
                return screen
            time.sleep(0.05)
        self.fail("the screen never showed %s:\n%s" % (what, screen))

    def start(self, columns, rows):
        """A shell in a fresh tmux server with a window of the given size."""
        # A server of its own per test: one still shutting down cannot refuse the next.
        self.server = "korvane-test-%d-%s" % (os.getpid(), self._testMethodName)
        self.tmux("new-session", "-d", "-s", "w", "-x", str(columns), "-y", str(rows),
                  "env PS1='READY$ ' bash --norc --noprofile -i")
        self.addCleanup(subprocess.run, ["tmux", "-L", self.server, "kill-server"])
        scratch = tempfile.mkdtemp()
        self.addCleanup(shutil.rmtree, scratch)
        return scratch

    def refreshes(self, screen):
        found = re.search(r"refresh (\d+) at", screen)
        return int(found.group(1)) if found else 0

    def wait_for_refresh(self, condition, what):
        """A screen that satisfies condition, then a later refresh that still does."""
        first = self.wait_for(lambda s: self.refreshes(s) and condition(s), what)
        return self.wait_for(lambda s: self.refreshes(s) > self.refreshes(first) and
                             condition(s), what + " on a later refresh")

    def test_a_small_terminal_gets_every_value_in_80_by_24(self):
        scratch = self.start(80, 24)
        scenario = os.path.join(scratch, "pinned.txt")
        with open(scenario, "w") as f:
            f.write(PINNED)
        self.tmux("send-keys", "-t", "w", "KORVANE_CHASSIS_SCENARIO=%s %s watch --interval 0.2"
                  % (scenario, KORVANE), "Enter")
        screen = self.wait_for_refresh(lambda s: "VMINUS_12_0" in s, "the rails")
        document = json.loads(run("status", "--json", scenario=PINNED).stdout)
        lines = screen.splitlines()
        # Nothing scrolled away: the header is the top line, the serial number beside the model.
        self.assertRegex(lines[0], r"^Every 0.2 s, refresh \d+")
        self.assertIn("serial " + document["identity"]["serial_number"], screen)
        for sensor in document["temperature"]["sensors"]:
            self.assertRegex(screen, r"%s +%.1f\b" % (sensor["name"], sensor["celsius"]))
        for fan in document["fans"]["fans"]:
            self.assertRegex(screen, r"%s +%d\b" % (fan["name"], fan["rpm"]))
        for rail in document["voltage_rails"]:
            self.assertRegex(screen, r"%s +%.3f V +%.3f V +%.3f V  ok" % (
                rail["name"], rail["volts"], rail["lower_volts"], rail["upper_volts"]))
        self.tmux("send-keys", "-t", "w", "C-c")
        self.wait_for(lambda s: s.rstrip().endswith("READY$"), "the prompt")

    def test_rides_out_failures_and_recovers(self):
        scratch = self.start(80, 24)
        scenario, folder = os.path.join(scratch, "fan.txt"), os.path.join(scratch, "traces")

        def edit(text):
            """The scenario rewritten in place, as an editor or `echo >` does."""
            with open(scenario, "w") as f:
                f.write(text)

        edit("inject getFanSpeed = 0xBFFA0002\n")
        # The session cannot open while the trace file's folder is missing. The scenario is
        # named from its folder, so that its error line fits the width whatever the folder.
        self.tmux("send-keys", "-t", "w", "cd %s && KORVANE_CHASSIS_SCENARIO=fan.txt %s --trace %s "
                  "watch --interval 0.1; echo exit=$?" % (scratch, KORVANE,
                                                          os.path.join(folder, "watch.xml")),
                  "Enter")
        unwrapped = lambda s: "".join(s.splitlines())
        self.wait_for_refresh(lambda s: "korvane: opening a session on 'PXI0::0::INSTR' failed"
                              in unwrapped(s) and "Cannot create the trace file" in unwrapped(s),
                              "the failed open")
        os.mkdir(folder)
        # Open now; the fans fail and every other value is shown, refresh after refresh.
        screen = self.wait_for_refresh(lambda s: "Rails" in s, "the reading")
        self.assertNotIn("opening a session", screen)
        self.assertRegex(screen, r"FAN1 error +FAN2 error +FAN3 error")
        self.assertIn("error: reading the speed of fan FAN1 failed (0xBFFA4003)", screen)
        self.assertRegex(screen, r"TS8 +\d+\.\d")
        self.assertRegex(screen, r"VMINUS_12_0 +-\d+\.\d{3} V")
        # The injection taken out of the file: watch, still running, reads the fans again.
        edit("# the fans are back\n")
        fans = re.compile(r"FAN1 +\d+ +FAN2 +\d+ +FAN3 +\d+")
        screen = self.wait_for_refresh(lambda s: fans.search(s) and "error" not in s,
                                       "the fans read again without an error")
        self.assertRegex(screen, r"TS8 +\d+\.\d")
        # The file edited into one with an error (an alarm in its old spelling): the session
        # stays open, every value fails, and the line below the header says why.
        edit("alarm fan-underspeed = set\n")
        screen = self.wait_for(
            lambda s: "korvane: scenario fan.txt:1: 'fan-underspeed' is no alarm" in s,
            "the scenario's error")
        self.assertRegex(screen.splitlines()[0], r"^Every 0.1 s, refresh \d+")
        self.assertRegex(screen, r"TS1 error +TS2 error")
        # Put right: the new scenario's values, no error.
        edit("fan 2 = 2345\n")
        self.wait_for(lambda s: re.search(r"FAN2 +2345 ", s) and "error" not in s,
                      "the scenario's fan speed without an error")
        self.tmux("send-keys", "-t", "w", "C-c")
        self.wait_for(lambda s: "exit=0" in s, "watch ending with exit status 0")

    def test_refreshes_and_ctrl_c_restores_the_terminal(self):
        scratch = self.start(120, 60)
        before, after = os.path.join(scratch, "before"), os.path.join(scratch, "after")
        self.tmux("send-keys", "-t", "w",
                  "stty -g > %s; %s watch --interval 0.2" % (before, KORVANE), "Enter")
        refresh = re.compile(r"refresh (\d+) at")
        first = self.wait_for(lambda s: refresh.search(s), "a first table")
        self.assertEqual(self.tmux("display", "-p", "-t", "w", "#{alternate_on}").strip(), "1")
        count = int(refresh.search(first).group(1))
        second = self.wait_for(lambda s: refresh.search(s) and
                               int(refresh.search(s).group(1)) > count, "a refresh")
        self.assertIn("Voltage rails", second)
        self.tmux("send-keys", "-t", "w", "C-c")
        self.wait_for(lambda s: s.rstrip().endswith("READY$"), "the prompt")
        self.assertEqual(self.tmux("display", "-p", "-t", "w",
                                   "#{alternate_on} #{cursor_flag}").strip(), "0 1")
        self.tmux("send-keys", "-t", "w", "stty -g > %s" % after, "Enter")
        self.wait_for(lambda s: os.path.exists(after) and os.path.getsize(after) > 0, "stty")
        with open(before) as saved, open(after) as restored:
            self.assertEqual(saved.read(), restored.read())


class VirtualChassis(unittest.TestCase):
    def test_answers_only_the_resources_it_serves(self):
        # (KORVANE_VIRTUAL_CHASSIS, resource, exit code, text on stderr)
        off = "The virtual chassis is off: to rehearse without hardware, set KORVANE_VIRTUAL_CHASSIS=1"
        cases = [
            (None, "PXI0::0::INSTR", 1, "No chassis answered at PXI0::0::INSTR. " + off),
            ("0", "PXI0::0::INSTR", 1, off),
            ("1", "PXI9::99::INSTR", 1, "No chassis answered at PXI9::99::INSTR. The virtual "
                                        "chassis serves only PXI0::0::INSTR; add PXI9::99::INSTR"),
            ("1", "Bogus", 1, "No chassis answered at Bogus."),
            ("1", "PXI0::0::INSTR", 0, ""),
            ("PXI0::0::INSTR, PXI9::99::INSTR", "pxi9::99::instr", 0, ""),
        ]
        for switch, resource, code, text in cases:
            with self.subTest(switch=switch, resource=resource):
                result = run("--resource", resource, "identity",
                             env_extra={"KORVANE_VIRTUAL_CHASSIS": switch})
                self.assertEqual(result.returncode, code, result.stderr)
                self.assertIn(text, result.stderr)
                if code == 0:
                    self.assertRegex(result.stdout, r"Firmware revision +\S+ \(virtual chassis\)")

    def test_a_scenario_it_cannot_use_stops_the_program(self):
        scratch = tempfile.mkdtemp()
        self.addCleanup(subprocess.run, ["rm", "-rf", scratch])
        fifo = os.path.join(scratch, "fifo")
        os.mkfifo(fifo)
        large = os.path.join(scratch, "large.txt")
        with open(large, "w") as f:
            f.write("# padding\n" * 30000)
        # (scenario text, or a path as the scenario file; text on stderr)
        cases = [
            ("serial = S1\ntempreature 3 = 5\n",
             "scenario.txt:2: unknown setting 'tempreature'; the settings are temperature, fan,"),
            ("inject getFanSpeeed = 0xBFFA0002\n", "scenario.txt:1: 'getFanSpeeed' is no "
             "operation; the operations are Korvane_Fundamental_Api, ~Korvane_Fundamental_Api"),
            ("temperature 1 = nan\n", "scenario.txt:1: 'nan' is not a finite number"),
            ("rail VPLUS_5_0 = -inf\n", "scenario.txt:1: '-inf' is not a finite number"),
            ("fan 2 = inf\n", "scenario.txt:1: 'inf' is not a finite number"),
            ("fan 2 = -1\n", "scenario.txt:1: a fan speed is 0 rpm or more"),
            ("fan 2 = 4294967296\n", "scenario.txt:1: a fan speed is at most 4294967295 rpm"),
            (("path", "/dev/zero"), "scenario /dev/zero (KORVANE_CHASSIS_SCENARIO) is not a regular"),
            (("path", fifo), "fifo (KORVANE_CHASSIS_SCENARIO) is not a regular file"),
            (("path", large), "large.txt (KORVANE_CHASSIS_SCENARIO) is larger than 256 KiB"),
            (("path", os.path.join(scratch, "none.txt")), "none.txt (KORVANE_CHASSIS_SCENARIO) "
             "cannot be read: there is no such file"),
        ]
        for scenario, text in cases:
            with self.subTest(scenario=scenario):
                if isinstance(scenario, tuple):
                    result = run("status", env_extra={"KORVANE_CHASSIS_SCENARIO": scenario[1]})
                else:
                    result = run("status", scenario=scenario)
                self.assertEqual(result.returncode, 4, result.stderr)
                self.assertIn(text, result.stderr)
                self.assertEqual(result.stdout, "")

    def test_every_setting_and_operation_name_is_listed(self):
        settings = run("status", scenario="x = 1\n").stderr
        for name in re.findall(r"^    (\S+) [^=]*=", README_SCENARIO, re.M):
            self.assertRegex(settings, r"settings are .*\b%s\b" % re.escape(name))
        operations = run("status", scenario="inject x = 1\n").stderr
        for name in ["getFanSpeed", "ioOpen", "setVoltageHiLowAlarmThreshold", "getStatusDesc"]:
            self.assertRegex(operations, r"operations are .*\b%s\b" % name)

    def test_a_self_test_code_without_a_text_fails_the_self_test_with_its_code(self):
        result = run("selftest", scenario="selftest = 17 42\nselftest-text 17 = Fan 2 stalled\n")
        self.assertEqual(result.returncode, 3, result.stderr)
        self.assertIn("code 17: Fan 2 stalled", result.stdout)
        self.assertIn("code 42: Self-test failure 42 (no description).", result.stdout)

    def test_state_outlives_the_process_per_resource(self):
        folder = tempfile.mkdtemp()
        self.addCleanup(subprocess.run, ["rm", "-rf", folder])
        shared = {"XDG_RUNTIME_DIR": folder, "KORVANE_VIRTUAL_CHASSIS": "PXI0::0::INSTR,PXI0::1::INSTR"}
        line3 = re.compile(r"^  PXI_TRIG3  (\S+)", re.M)

        def route(resource="PXI0::0::INSTR", env=shared):
            result = run("--resource", resource, "trigger", "show", env_extra=env)
            self.assertEqual(result.returncode, 0, result.stderr)
            return line3.search(result.stdout).group(1)

        connected = run("trigger", "connect", "3", "2To1And3", env_extra=shared)
        self.assertEqual(connected.returncode, 0, connected.stderr)
        self.assertEqual(route(), "KorvaneTrigBus2To1And3")
        self.assertEqual(route("PXI0::1::INSTR"), "KorvaneTrigBusIsolateAll")
        self.assertEqual(route(env={"KORVANE_VIRTUAL_CHASSIS": "1"}), "KorvaneTrigBusIsolateAll")
        self.assertEqual(run("trigger", "reset", "3", env_extra=shared).returncode, 0)
        self.assertEqual(route(), "KorvaneTrigBusIsolateAll")


class ReadmeSamples(unittest.TestCase):
    """The README's commands, scenario and store, run exactly as written."""

    def test_commands_exit_as_the_readme_says(self):
        blocks = [text for heading, text in readme_blocks() if text.startswith("$ ")]
        self.assertGreaterEqual(len(blocks), 3)
        scratch = tempfile.mkdtemp()
        self.addCleanup(subprocess.run, ["rm", "-rf", scratch])
        for name, text in [("scenario.txt", README_SCENARIO), ("store.ini", README_STORE)]:
            with open(os.path.join(scratch, name), "w") as f:
                f.write(text)
        build = os.path.dirname(os.path.dirname(os.path.abspath(KORVANE)))
        os.makedirs(os.path.join(scratch, "build"))
        os.symlink(build, os.path.join(scratch, "build", "run"))
        env = {**os.environ, "PATH": os.path.dirname(KORVANE) + os.pathsep + os.environ["PATH"],
               "KORVANE_REGISTRY": os.path.join(scratch, "registry"),
               "XDG_RUNTIME_DIR": scratch}
        for name in ["KORVANE_VIRTUAL_CHASSIS", "KORVANE_CHASSIS_SCENARIO", "KORVANE_IVI_CONFIG"]:
            env.pop(name, None)
        for block in blocks:
            commands = [line[2:] for line in block.splitlines()]
            expected = [int(m.group(1)) if m else 0
                        for m in (re.search(r"# exit (\d+)", c) for c in commands)]
            script = "".join("%s\necho $? >> statuses\n" % c for c in commands)
            with self.subTest(block=block):
                statuses = os.path.join(scratch, "statuses")
                if os.path.exists(statuses):
                    os.remove(statuses)
                ran = subprocess.run(["bash", "-c", script], cwd=scratch, env=env,
                                     capture_output=True, text=True, timeout=120)
                with open(statuses) as f:
                    self.assertEqual([int(n) for n in f.read().split()], expected, ran.stderr)

    def test_each_injected_status_reports_what_the_readme_says(self):
        rows = re.findall(r"^\| `(inject [^`]+)` \| [^|]+ \| ([^|]+?) \|$",
                          open(README).read(), re.M)
        self.assertGreaterEqual(len(rows), 6)
        for line, message in rows:
            with self.subTest(line=line):
                result = run("status", scenario=line + "\n")
                self.assertNotEqual(result.returncode, 0)
                self.assertIn(message, result.stdout + result.stderr)


if __name__ == "__main__":
    unittest.main(argv=[sys.argv[0], *sys.argv[4:]])
