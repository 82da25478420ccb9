"""End-to-end tests of the korvane program: ctest runs the real command.

Usage: test_korvane.py KORVANE SCHEMA ARTEFACT_DIR [unittest arguments]
"""
import json
import os
import re
import subprocess
import sys
import tempfile
import time
import unittest

KORVANE, SCHEMA, ARTEFACTS = sys.argv[1:4]
MODES = {"simulated": ["--simulate"], "virtual chassis": []}
ROUTE_NAMES = ["IsolateAll", "1To2", "1To2To3", "2To1", "2To3", "2To1And3", "3To2", "3To2To1"]


def run(*args, scenario=None, cwd=None, env_extra=None):
    env = dict(os.environ)
    env.pop("KORVANE_CHASSIS_SCENARIO", None)
    env.update(env_extra or {})
    with tempfile.TemporaryDirectory() as scratch:
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
        ]
        for args, code, stream, text in cases:
            with self.subTest(args=args):
                result = run(*args)
                self.assertEqual(result.returncode, code, result.stderr)
                self.assertIn(text, getattr(result, stream))
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
            (["selftest"], r"Self test: passed"),
        ]
        for mode, switches in MODES.items():
            for args, pattern in cases:
                with self.subTest(mode=mode, args=args):
                    # The common options follow the subcommand here; other cases put them first.
                    result = run(*args, *switches)
                    self.assertEqual(result.returncode, 0, result.stderr)
                    self.assertRegex(result.stdout, re.compile(pattern, re.M))

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


HOT = "temperature 3 = 85.5\nfan 2 = 450\nrail VPLUS_5_0 = 4.6\nalarm reference-clock = set\n"


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
            ("alarm reference-clock = set\n", ["status", "--check"], 3, "reference_clock"),
            ("temperature 3 = 85.5\n", ["status"], 0, ""),
            ("inject getTemperatureSensorValue = 0xBFFA0001\n", ["status"], 1,
             "Unknown physical repeated capability selector"),
            ("inject ioOpen = 0xBFFA0001\n", ["identity"], 1,
             "A connection to the instrument has not been established"),
            ("selftest = 17\nselftest-text 17 = Fan 2 stalled\n", ["selftest"], 3, ""),
            ("fan 9 = 100\n", ["identity"], 0, "scenario.txt:1: '9' is not a number from 1 to 3"),
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
            ("firmware = 9.9\n# serial = no\n", ["identity", "firmware_revision"], "9.9"),
            ("serial = S1\n", ["identity", "serial_number"], "S1"),
            # A scenario with an error is not used at all.
            ("serial = S1\nbogus = 1\n", ["identity", "serial_number"], "VT41A01234"),
        ]
        for scenario, path, value in cases:
            with self.subTest(scenario=scenario):
                result = run("status", "--json", scenario=scenario)
                self.assertEqual(result.returncode, 0, result.stderr)
                document = json.loads(result.stdout)
                for key in path:
                    document = document[key]
                self.assertEqual(document, value)
        self.assertIn("scenario.txt:2: unknown setting 'bogus'",
                      run("identity", scenario=cases[-1][0]).stderr)

STORE = """[HardwareAsset Bench chassis]
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
            (STORE + "[Session Broken\n", 4, r"store.ini:8: "),
            (STORE.replace("Session = BenchSession", "Session = Elsewhere"), 4,
             r"store.ini:7: 'Elsewhere' is not declared"),
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


class TraceReport(unittest.TestCase):
    def test_report_renders_in_a_browser(self):
        os.makedirs(ARTEFACTS, exist_ok=True)
        trace = os.path.join(ARTEFACTS, "session.xml")
        if os.path.exists(trace):
            os.remove(trace)  # left by an earlier run
        # The trace items join the DriverSetup tail the user wrote.
        result = run("--options", "Cache=true, DriverSetup=Model=Q7730A", "--trace", trace,
                     "status", scenario="inject getFanSpeed = 0xBFFA0001\n")
        self.assertEqual(result.returncode, 1)
        with open(trace) as f:
            text = f.read()
        # A crash: the file stops inside the record after the failing call, and the rest of
        # the piece the writer had mapped is zero bytes.
        failing = text.index('<Method Name="get_RPM"')
        cut = os.path.join(ARTEFACTS, "cut.xml")
        with open(cut, "wb") as f:
            f.write(text[:text.index("<HRESULT", text.index("<Method", failing + 1))].encode())
            f.write(bytes(65536))
        # status reads on past a failure: each of the three fans fails once.
        for source, unfinished, failures in [(trace, 0, 3), (cut, 1, 1)]:
            with self.subTest(source=source):
                page = source[:-4] + ".html"
                self.assertEqual(run("trace", "report", source, "-o", page).returncode, 0)
                dom = browse(page, "--dump-dom")
                with open(source) as f:
                    calls = f.read().count("<Method ")
                rows = re.findall(r'<tr class="call ([a-z]+)[^"]*">(.*?)</tr>', dom, re.S)
                self.assertEqual(len(rows), calls)
                states = [state for state, _ in rows]
                self.assertEqual(states.count("unfinished"), unfinished)
                self.assertEqual(states.count("failed"), failures)
                failed = rows[states.index("failed")][1]
                self.assertIn("get_RPM", failed)
                self.assertIn("Unknown physical repeated capability selector", failed)
                self.assertIn('<span id="call-count">%d</span>' % calls, dom)
                self.assertIn('<span id="failure-count">%d</span>' % failures, dom)
                self.assertEqual('id="truncated"' in dom, bool(unfinished))
                browse(page, "--window-size=1400,1200", "--screenshot=" + page[:-5] + ".png")
                self.assertGreater(os.path.getsize(page[:-5] + ".png"), 0)


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
            time.sleep(0.1)
        self.fail("the screen never showed %s:\n%s" % (what, screen))

    def test_refreshes_and_ctrl_c_restores_the_terminal(self):
        self.server = "korvane-test-%d" % os.getpid()
        scratch = tempfile.mkdtemp()
        self.tmux("new-session", "-d", "-s", "w", "-x", "120", "-y", "60",
                  "env PS1='READY$ ' bash --norc --noprofile -i")
        self.addCleanup(subprocess.run, ["tmux", "-L", self.server, "kill-server"])
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


if __name__ == "__main__":
    unittest.main(argv=[sys.argv[0], *sys.argv[4:]])
