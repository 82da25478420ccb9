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
            (["alarms", "clear"], r"after clearing(.|\n)*rail VMINUS_12_0 +clear"),
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
                ("hot chassis", [], HOT, ["over-temperature", "fan underspeed",
                                          "reference clock", "rail VPLUS_5_0"])]:
            with self.subTest(name):
                result = run(*args, "status", "--json", scenario=scenario)
                document = json.loads(result.stdout)
                jsonschema.validate(document, schema)
                self.assertEqual(document["alarms"], alarms)

    def test_prometheus_passes_promtool(self):
        for name, scenario in [("quiet chassis", None), ("hot chassis", "temperature 3 = 85\n")]:
            with self.subTest(name):
                result = run("status", "--format", "prometheus", scenario=scenario)
                self.assertEqual(result.returncode, 0, result.stderr)
                check = subprocess.run(["promtool", "check", "metrics"], input=result.stdout,
                                       capture_output=True, text=True)
                self.assertEqual(check.returncode, 0, check.stdout + check.stderr)
                alarm = re.search(r'^korvane_alarm\{chassis="PXI0::0::INSTR",'
                                  r'alarm="over_temperature"\} (\d)$', result.stdout, re.M)
                self.assertEqual(alarm.group(1), "1" if scenario else "0")


class Scenarios(unittest.TestCase):
    def test_status_check_and_error_paths(self):
        # (scenario, arguments, exit code, text on stderr)
        cases = [
            ("", ["status", "--check"], 0, ""),
            ("temperature 3 = 85.5\n", ["status", "--check"], 3, "alarm set: over-temperature"),
            ("fan 1 = 10\n", ["status", "--check"], 3, "alarm set: fan underspeed"),
            ("rail VMINUS_12_0 = -13\n", ["status", "--check"], 3, "alarm set: rail VMINUS_12_0"),
            ("alarm reference-clock = set\n", ["status", "--check"], 3, "reference clock"),
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
                    self.assertRegex(result.stderr, r"^korvane: \S+ failed \(0x[0-9A-F]{8}\): ")
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
        for source, unfinished in [(trace, 0), (cut, 1)]:
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
                self.assertEqual(states.count("failed"), 1)
                failed = rows[states.index("failed")][1]
                self.assertIn("get_RPM", failed)
                self.assertIn("Unknown physical repeated capability selector", failed)
                self.assertIn('<span id="call-count">%d</span>' % calls, dom)
                self.assertIn('<span id="failure-count">1</span>', dom)
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
