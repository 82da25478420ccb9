"""End-to-end tests of korvane's Prometheus side: the exposition, the textfile
mode, `korvane serve` over loopback, its health page in headless Chromium, the
shipped operations files, and Debian's Prometheus scraping two exporters.

Usage: test_exporter.py KORVANE SCHEMA ARTEFACT_DIR MONITORING_DIR [unittest arguments]
       test_exporter.py KORVANE SCHEMA ARTEFACT_DIR MONITORING_DIR bench start|stop STATE_DIR
The second form starts the Prometheus bench in the background (until it is stopped, or
until the process that started it ends) and stops it; the end-to-end test uses a bench
named by KORVANE_PROMETHEUS_BENCH, or starts its own.
"""
import contextlib
import http.client
import json
import os
import re
import select
import shutil
import signal
import socket
import subprocess
import sys
import tempfile
import time
import unittest
import urllib.parse

KORVANE, SCHEMA, ARTEFACTS, MONITORING = sys.argv[1:5]
HERE = os.path.dirname(os.path.abspath(__file__))
sys.argv[4:5] = []  # test_korvane reads its own three arguments
from test_korvane import run  # noqa: E402



def fresh_chassis():
    """The environment of a virtual chassis that starts afresh: the switch on (harmless where
    the stand-in needs none) and a runtime folder of its own, where it would keep its state."""
    folder = tempfile.mkdtemp(prefix="korvane-runtime-")
    CLEANUP.append(folder)
    return {"KORVANE_VIRTUAL_CHASSIS": "1", "XDG_RUNTIME_DIR": folder}


CLEANUP = []
# A chassis near its temperature limit with a rail out of its limits (whose alarm latches).
FAILING = "temperature 3 = 67.5\nrail VPLUS_5_0 = 4.6\n"
HOT = "temperature 3 = 85.5\nfan 2 = 450\nrail VPLUS_5_0 = 4.6\nalarm reference_clock = set\n"

SAMPLE = re.compile(r"^([a-z_]+)\{(.*)\} (\S+)$")
LABEL = re.compile(r'([a-z_]+)="((?:[^"\\]|\\.)*)"')


def unescape(value):
    return re.sub(r"\\(.)", lambda m: "\n" if m.group(1) == "n" else m.group(1), value)


def samples(text):
    """The samples of an exposition as (name, labels, value text)."""
    found = []
    for line in text.splitlines():
        if line.startswith("#") or not line:
            continue
        match = SAMPLE.match(line)
        assert match, "not a sample line: %r" % line
        labels = {k: unescape(v) for k, v in LABEL.findall(match.group(2))}
        found.append((match.group(1), labels, match.group(3)))
    return found


def value(found, name, **labels):
    """The one sample of a family whose labels include the given ones, as a float."""
    hits = [v for n, l, v in found if n == name and labels.items() <= l.items()]
    assert len(hits) == 1, "%s%s: %d samples" % (name, labels, len(hits))
    return float(hits[0])


def promtool(*args, text=None):
    return subprocess.run(["promtool", *args], input=text, capture_output=True, text=True)


def shortest(number):
    """The shortest round-trip text of a float, integers without a fraction."""
    if number == int(number) and abs(number) < 1e15:
        return str(int(number))
    return repr(number)


def free_port():
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


def wait_for(condition, what, seconds=30):
    """Polls condition until it gives something true; fails after seconds."""
    deadline = time.monotonic() + seconds
    while True:
        result = condition()
        if result:
            return result
        if time.monotonic() > deadline:
            raise AssertionError("gave up waiting for " + what)
        time.sleep(0.05)


class Exporter:
    """korvane serve on a free loopback port, stopped with SIGTERM at the test's end."""

    def __init__(self, test, *args, scenario=None, env_extra=None):
        env = dict(os.environ, **fresh_chassis(), **(env_extra or {}))
        env.pop("KORVANE_CHASSIS_SCENARIO", None)
        if scenario is not None:
            folder = tempfile.mkdtemp()
            test.addCleanup(shutil.rmtree, folder, True)
            env["KORVANE_CHASSIS_SCENARIO"] = os.path.join(folder, "scenario.txt")
            with open(env["KORVANE_CHASSIS_SCENARIO"], "w") as f:
                f.write(scenario)
        self.process = subprocess.Popen([KORVANE, "serve", "--listen", "127.0.0.1:0", *args],
                                        stderr=subprocess.PIPE, text=True, env=env)
        test.addCleanup(self.stop)
        first = self.process.stderr.readline()
        match = re.search(r"http://127\.0\.0\.1:(\d+)/", first)
        if not match:
            raise AssertionError("korvane serve did not start: " + first)
        self.port = int(match.group(1))

    def request(self, path, method="GET", body=None):
        connection = http.client.HTTPConnection("127.0.0.1", self.port, timeout=30)
        try:
            connection.request(method, path, body=body)
            response = connection.getresponse()
            return response.status, response.getheader("Content-Type"), response.read().decode()
        finally:
            connection.close()

    def metrics(self):
        status, kind, text = self.request("/metrics")
        assert status == 200 and kind.startswith("text/plain; version=0.0.4"), (status, kind)
        return text

    def stop(self):
        """SIGTERM; returns the exit code and what it printed after starting."""
        if self.process.stderr.closed:
            return self.process.returncode, ""
        stop(self.process)
        rest = self.process.stderr.read()
        self.process.stderr.close()
        return self.process.returncode, rest


class Exposition(unittest.TestCase):
    def test_readings_follow_the_format_rules(self):
        # (case, scenario, exit code, failed values)
        cases = [("quiet", "", 0, 0), ("hot", HOT, 0, 0),
                 ("one rail failing", "inject getSupplyRailVoltage = 0xBFFA0002\n", 1, 4)]
        for name, scenario, code, failed in cases:
            with self.subTest(name):
                result = run("status", "--format", "prometheus", scenario=scenario,
                             env_extra=fresh_chassis())
                self.assertEqual(result.returncode, code, result.stderr)
                check = promtool("check", "metrics", text=result.stdout)
                self.assertEqual(check.returncode, 0, check.stdout + check.stderr)
                found = samples(result.stdout)
                for _, _, text in found:
                    self.assertEqual(text, shortest(float(text)))
                serial = json.loads(run("status", "--json", env_extra=fresh_chassis(),
                                        scenario=scenario).stdout)["identity"]["serial_number"]
                self.assertTrue(all(l["chassis"] == serial for _, l, _ in found))
                self.assertEqual(value(found, "korvane_up"), 1)
                self.assertEqual(value(found, "korvane_reading_failed_values"), failed)
                self.assertEqual(value(found, "korvane_read_errors_total"), failed)
                rails = {l["rail"] for n, l, _ in found if n == "korvane_rail_nominal_volts"}
                self.assertEqual(len(rails), 4)
                for rail in rails:
                    self.assertLess(value(found, "korvane_rail_lower_limit_volts", rail=rail),
                                    value(found, "korvane_rail_upper_limit_volts", rail=rail))
                measured = [n for n, _, _ in found if n == "korvane_rail_voltage_volts"]
                self.assertEqual(len(measured), 4 - failed)
                alarms = {l["alarm"]: float(v) for n, l, v in found if n == "korvane_alarm"}
                self.assertEqual(alarms["over_temperature"], 1 if scenario == HOT else 0)
                clock = [l["source"] for n, l, v in found
                         if n == "korvane_reference_clock_source" and float(v) == 1]
                self.assertEqual(clock, ["internal"])

    def test_boot_time_is_the_reading_time_less_the_uptime(self):
        result = run("status", "--format", "prometheus", scenario="uptime = 5000\nfrozen = true\n",
                     env_extra=fresh_chassis())
        found = samples(result.stdout)
        self.assertAlmostEqual(value(found, "korvane_boot_time_seconds"),
                               value(found, "korvane_last_reading_timestamp_seconds") - 5000,
                               delta=0.5)

    def test_label_values_that_need_escaping(self):
        # Backslash, double quote and line feed in the chassis name and the serial number.
        name = 'lab "7" \\ bench\nleft'
        result = run("status", "--format", "prometheus", "--name", name,
                     scenario='serial = S\\1 "A"\n', env_extra=fresh_chassis())
        self.assertEqual(result.returncode, 0, result.stderr)
        check = promtool("check", "metrics", text=result.stdout)
        self.assertEqual(check.returncode, 0, check.stdout + check.stderr)
        self.assertIn(r'chassis="lab \"7\" \\ bench\nleft"', result.stdout)
        info = [l for n, l, _ in samples(result.stdout) if n == "korvane_chassis_info"]
        self.assertEqual([(l["chassis"], l["serial_number"]) for l in info],
                         [(name, 'S\\1 "A"')])


class TextFile(unittest.TestCase):
    """status --format prometheus --output FILE, as node_exporter's textfile folder needs it."""

    def write(self, folder, *args, scenario=None, resource="PXI0::0::INSTR"):
        return run("--resource", resource, "status", "--format", "prometheus", "--output",
                   os.path.join(folder, "korvane.prom"), *args, scenario=scenario,
                   env_extra=fresh_chassis())

    def test_replaces_the_file_whole_and_leaves_nothing_behind(self):
        with tempfile.TemporaryDirectory() as folder:
            path = os.path.join(folder, "korvane.prom")
            with open(path, "w") as f:
                f.write("# an older reading\n")
            before = os.stat(path).st_ino
            # (case, resource, exit code, korvane_up)
            for name, resource, code, up in [("chassis read", "PXI0::0::INSTR", 0, 1),
                                             ("no chassis", "", 1, 0)]:
                with self.subTest(name):
                    result = self.write(folder, resource=resource)
                    self.assertEqual(result.returncode, code, result.stderr)
                    self.assertEqual(os.listdir(folder), ["korvane.prom"])
                    with open(path) as f:
                        text = f.read()
                    # A new file took the old one's place: it was not rewritten in place.
                    self.assertNotEqual(os.stat(path).st_ino, before)
                    before = os.stat(path).st_ino
                    self.assertEqual(promtool("check", "metrics", text=text).returncode, 0)
                    found = samples(text)
                    self.assertEqual(value(found, "korvane_up"), up)
                    self.assertGreater(value(found, "korvane_last_reading_timestamp_seconds"),
                                       time.time() - 600)
                    self.assertEqual(value(found, "korvane_read_errors_total"), 1 - up)

    def test_a_file_that_cannot_be_replaced_stays_as_it_was(self):
        with tempfile.TemporaryDirectory() as folder:
            # The target is a folder: the temporary file is written, the rename fails.
            os.mkdir(os.path.join(folder, "korvane.prom"))
            result = self.write(folder)
            self.assertEqual(result.returncode, 4)
            self.assertRegex(result.stderr, r"^korvane: cannot replace '.*korvane.prom': .*; "
                                            r"the file is unchanged")
            self.assertEqual(os.listdir(folder), ["korvane.prom"])
            missing = self.write(os.path.join(folder, "nowhere"))
            self.assertEqual(missing.returncode, 4)
            self.assertIn("--output", missing.stderr)

    def test_output_needs_the_prometheus_format(self):
        result = run("status", "--json", "--output", "x.prom")
        self.assertEqual(result.returncode, 2)
        self.assertIn("add --format prometheus", result.stderr)


class Serve(unittest.TestCase):
    def test_a_failing_chassis_beside_a_healthy_one(self):
        exporter = Exporter(self, "--resource", "PXI0::0::INSTR", "--resource", "",
                            "--name", "bench-1", "--name", "broken", "--min-interval", "0")
        for scrape in range(1, 4):
            text = exporter.metrics()
            check = promtool("check", "metrics", text=text)
            self.assertEqual(check.returncode, 0, check.stdout + check.stderr)
            found = samples(text)
            self.assertEqual(value(found, "korvane_up", chassis="bench-1"), 1)
            self.assertEqual(value(found, "korvane_up", chassis="broken"), 0)
            # Each scrape read the broken chassis again and counted its failure.
            self.assertEqual(value(found, "korvane_read_errors_total", chassis="broken"), scrape)
            self.assertEqual(value(found, "korvane_read_errors_total", chassis="bench-1"), 0)
            self.assertEqual({l["chassis"] for n, l, _ in found if n.startswith("korvane_temp")},
                             {"bench-1"})
        status, kind, body = exporter.request("/status.json")
        self.assertEqual((status, kind), (200, "application/json"))
        import jsonschema
        with open(SCHEMA) as f:
            schema = json.load(f)
        chassis = json.loads(body)["chassis"]
        self.assertEqual([(c["name"], c["up"]) for c in chassis],
                         [("bench-1", True), ("broken", False)])
        jsonschema.validate(chassis[0]["status"], schema)
        self.assertIsNone(chassis[1]["status"])
        self.assertRegex(chassis[1]["error"], r"^opening a session on '' failed \(0x[0-9A-F]{8}\)")
        code, printed = exporter.stop()
        self.assertEqual(code, 0)
        self.assertIn("korvane: stopped", printed)

    def test_scrapes_within_the_minimum_interval_share_one_reading(self):
        # (minimum interval, whether three scrapes see one reading)
        for interval, shared in [("3600", True), ("0", False)]:
            with self.subTest(interval=interval):
                exporter = Exporter(self, "--min-interval", interval)
                stamps = [value(samples(exporter.metrics()),
                                "korvane_last_reading_timestamp_seconds") for _ in range(3)]
                self.assertEqual(len(set(stamps)) == 1, shared, stamps)

    def test_only_get_on_known_paths(self):
        exporter = Exporter(self)
        # (method, path, body, status)
        cases = [("GET", "/", None, 200), ("HEAD", "/metrics", None, 200),
                 ("GET", "/nothing", None, 404), ("POST", "/metrics", "x", 405),
                 ("PUT", "/", "x", 405), ("DELETE", "/metrics", None, 405),
                 ("POST", "/metrics", "x" * 4096, 413),
                 ("GET", "/?" + "a" * 10000, None, 414)]
        for method, path, body, status in cases:
            with self.subTest(method=method, path=path[:20]):
                self.assertEqual(exporter.request(path, method, body)[0], status)
        self.assertEqual(exporter.request("/metrics")[0], 200)

    def test_listen_address_is_checked(self):
        taken = Exporter(self)
        # (--listen, text on stderr)
        for listen, text in [("localhost", "is not HOST:PORT"), ("127.0.0.1:70000", "HOST:PORT"),
                             ("127.0.0.1:%d" % taken.port, "cannot listen on")]:
            with self.subTest(listen=listen):
                result = run("serve", "--listen", listen)
                self.assertEqual(result.returncode, 2)
                self.assertIn(text, result.stderr)


class HealthPage(unittest.TestCase):
    def test_page_in_a_browser(self):
        os.makedirs(ARTEFACTS, exist_ok=True)
        exporter = Exporter(self, "--resource", "PXI0::0::INSTR", "--resource", "",
                            "--name", "bench-1", "--name", "bench-2",
                            scenario=HOT + "firmware = 2.1.7\n"
                                           "inject getFanSpeed = 0xBFFA0002\n")
        url = "http://127.0.0.1:%d/" % exporter.port
        # The desktop screenshot comes with the page's DOM; the phone's needs a second browser.
        shots = {name: os.path.join(ARTEFACTS, name + ".png")
                 for name in ["health-page", "health-page-phone"]}
        dom = browse_url(url, "--dump-dom", "--window-size=1200,1400",
                         "--screenshot=" + shots["health-page"])
        sections = re.findall(r'<section class="chassis ([a-z]+)">(.*?)</section>', dom, re.S)
        self.assertEqual([state for state, _ in sections], ["alarm", "down"])
        first, second = sections[0][1], sections[1][1]
        self.assertIn("bench-1", first)
        self.assertIn('<span class="badge virtual">virtual chassis</span>', first)
        alarm_rows = re.findall(r'<tr class="alarm"><td>([^<]+)</td>', first)
        self.assertEqual(alarm_rows, ["Reference clock", "TS3", "VPLUS_5_0"])
        self.assertIn('<p class="alarms">Alarms set: over-temperature, fan underspeed, '
                      'reference clock, rail VPLUS_5_0</p>', first)
        self.assertEqual(first.count('class="failed"'), 3)
        self.assertIn("reading the speed of fan FAN2 failed", first)
        self.assertIn("opening a session on '' failed (0x", second)
        self.assertIn('<meta http-equiv="refresh"', dom)
        self.assertNotRegex(dom, r'(src|href)="(https?:)?//')
        browse_url(url, "--window-size=412,1800", "--screenshot=" + shots["health-page-phone"])
        for shot in shots.values():
            self.assertGreater(os.path.getsize(shot), 10000)


def browse_url(url, *flags):
    """browse() for a page served over loopback rather than a file."""
    with tempfile.TemporaryDirectory() as profile:
        return subprocess.run(
            ["chromium", "--headless", "--no-sandbox", "--disable-gpu",
             "--disable-background-networking", "--disable-component-update", "--disable-sync",
             "--no-first-run", "--user-data-dir=" + profile, *flags, url],
            capture_output=True, text=True, timeout=120).stdout


class Monitoring(unittest.TestCase):
    """The shipped rules, dashboard and service units."""

    def test_rules_unit_tests(self):
        with tempfile.TemporaryDirectory() as folder:
            for source in [os.path.join(MONITORING, "korvane-alerts.yml"),
                           os.path.join(HERE, "korvane-alerts.test.yml")]:
                shutil.copy(source, folder)
            result = promtool("test", "rules", os.path.join(folder, "korvane-alerts.test.yml"))
            self.assertEqual(result.returncode, 0, result.stdout + result.stderr)

    def test_dashboard_queries_name_only_emitted_metrics(self):
        exporter = Exporter(self, scenario=HOT)
        emitted = {n for n, _, _ in samples(exporter.metrics())}
        with open(os.path.join(MONITORING, "korvane-dashboard.json")) as f:
            dashboard = json.load(f)
        queries = [t["expr"] for p in dashboard["panels"] for t in p["targets"]]
        queries.append(dashboard["templating"]["list"][1]["query"]["query"])
        used = set()
        for query in queries:
            names = set(re.findall(r"\bkorvane_[a-z_]+", query))
            self.assertTrue(names, query)
            self.assertLessEqual(names, emitted, query)
            used |= names
        for family in ["korvane_up", "korvane_temperature_celsius", "korvane_fan_speed_rpm",
                       "korvane_rail_voltage_volts", "korvane_rail_lower_limit_volts",
                       "korvane_rail_upper_limit_volts", "korvane_alarm", "korvane_rail_alarm"]:
            self.assertIn(family, used)

    def test_service_units_verify(self):
        if shutil.which("systemd-analyze") is None:
            self.skipTest("systemd-analyze is not installed (Debian package systemd)")
        with tempfile.TemporaryDirectory() as folder:
            units = [n for n in os.listdir(MONITORING) if n.endswith((".service", ".timer"))]
            self.assertEqual(sorted(units), ["korvane-exporter.service",
                                             "korvane-textfile.service", "korvane-textfile.timer"])
            for unit in units:
                with open(os.path.join(MONITORING, unit)) as f:
                    text = f.read()
                # The units name the installed program; verify needs one that exists.
                with open(os.path.join(folder, unit), "w") as f:
                    f.write(text.replace("/usr/bin/korvane", KORVANE))
            result = subprocess.run(["systemd-analyze", "verify",
                                     *[os.path.join(folder, u) for u in units]],
                                    capture_output=True, text=True)
            self.assertEqual((result.returncode, result.stderr), (0, ""), result.stdout)


def stop(process):
    """Ends a process that a test started, however the test ends."""
    if process.poll() is None:
        process.terminate()
    try:
        process.wait(timeout=20)
    except subprocess.TimeoutExpired:
        process.kill()
        process.wait()


class Cleanups(contextlib.ExitStack):
    """A test's addCleanup for what outlives any one test: the bench in the background."""

    def addCleanup(self, function, *args, **kwargs):
        self.callback(function, *args, **kwargs)


def get(port, path):
    """The status and body of a GET on loopback; (None, "") when nothing answers."""
    connection = http.client.HTTPConnection("127.0.0.1", port, timeout=10)
    try:
        connection.request("GET", path)
        response = connection.getresponse()
        return response.status, response.read()
    except OSError:
        return None, ""
    finally:
        connection.close()


class PrometheusBench:
    """Debian's Prometheus with the shipped rules scraping two exporters over loopback:
    bench-1 healthy, tracing its readings into a folder; bench-2 running hot."""

    def __init__(self, cleanups, folder):
        self.traces = os.path.join(folder, "traces")
        os.mkdir(self.traces)
        healthy = Exporter(cleanups, "--name", "bench-1", "--min-interval", "0",
                           "--trace", os.path.join(self.traces, "reading.xml"))
        failing = Exporter(cleanups, "--name", "bench-2", scenario=FAILING)
        config = os.path.join(folder, "prometheus.yml")
        # Rules are evaluated often, so that alerts follow a scrape at once; scrapes stay a
        # second apart, since a scrape may take as long as its interval (a loaded machine).
        with open(config, "w") as f:
            json.dump({"global": {"scrape_interval": "1s", "evaluation_interval": "200ms"},
                       "rule_files": [os.path.join(MONITORING, "korvane-alerts.yml")],
                       "scrape_configs": [{"job_name": "korvane", "static_configs": [
                           {"targets": ["127.0.0.1:%d" % e.port for e in (healthy, failing)]}]}]},
                      f)
        log = open(os.path.join(folder, "prometheus.log"), "w")
        cleanups.addCleanup(log.close)
        # A free port may be taken by another program before Prometheus binds it: try again.
        for attempt in range(3):
            self.port = free_port()
            process = subprocess.Popen(
                ["prometheus", "--config.file=" + config,
                 "--storage.tsdb.path=" + os.path.join(folder, "data%d" % attempt),
                 "--web.listen-address=127.0.0.1:%d" % self.port], stdout=log, stderr=log)
            cleanups.addCleanup(stop, process)
            ready = lambda: get(self.port, "/-/ready")[0] == 200
            if wait_for(lambda: "exited" if process.poll() is not None else ready(),
                        "Prometheus") is True:
                return
        raise AssertionError("Prometheus did not start; see " + log.name)


BENCH_STATE = "bench.json"


def bench_run(state, owner):
    """Keeps a bench running until SIGTERM or until the process owner ends; its port and
    trace folder are in the state folder's bench.json while it runs."""
    signal.signal(signal.SIGTERM, lambda *_: sys.exit(0))
    with Cleanups() as cleanups:
        folder = tempfile.mkdtemp(prefix="korvane-bench-")
        cleanups.callback(shutil.rmtree, folder, True)
        bench = PrometheusBench(cleanups, folder)
        written = os.path.join(state, BENCH_STATE)
        with open(written + ".new", "w") as f:
            json.dump({"pid": os.getpid(), "port": bench.port, "traces": bench.traces}, f)
        os.replace(written + ".new", written)
        cleanups.callback(os.remove, written)
        try:
            owner_ended = os.pidfd_open(owner)
        except ProcessLookupError:
            return
        select.select([owner_ended], [], [])


def running_bench(state):
    """A pidfd and pid of the bench that runs in the state folder, or None."""
    try:
        with open(os.path.join(state, BENCH_STATE)) as f:
            pid = json.load(f)["pid"]
        return os.pidfd_open(pid), pid
    except (FileNotFoundError, ProcessLookupError):
        return None


def bench_start(state):
    """Starts a bench in a session of its own, owned by this process's parent (CTest), and
    returns once Prometheus answers; a bench that runs already (a repeated run) is kept."""
    running = running_bench(state)
    if running:
        os.close(running[0])
        return 0
    os.makedirs(state, exist_ok=True)
    log_name = os.path.join(state, "bench.log")
    with open(log_name, "w") as log:
        process = subprocess.Popen(
            [sys.executable, os.path.abspath(__file__), KORVANE, SCHEMA, ARTEFACTS, MONITORING,
             "bench", "run", state, str(os.getppid())],
            stdin=subprocess.DEVNULL, stdout=log, stderr=log, start_new_session=True)
    written = os.path.join(state, BENCH_STATE)
    started = lambda: "exited" if process.poll() is not None else os.path.exists(written)
    try:
        if wait_for(started, "the Prometheus bench", seconds=60) is True:
            return 0
    except AssertionError as error:
        print(error)
        os.killpg(process.pid, signal.SIGTERM)
    with open(log_name) as log:
        print("The Prometheus bench did not start:\n" + log.read())
    return 1


def bench_stop(state):
    """Ends the bench that bench_start left running, and waits until it has cleaned up."""
    running = running_bench(state)
    if not running:
        print("No Prometheus bench runs in " + state)
        return 0
    ended, pid = running
    os.kill(pid, signal.SIGTERM)
    if select.select([ended], [], [], 30)[0]:
        return 0
    os.killpg(pid, signal.SIGKILL)
    print("The Prometheus bench did not end within 30 s of SIGTERM; killed")
    return 1


class PrometheusEndToEnd(unittest.TestCase):
    """Debian's Prometheus scrapes two exporters with the shipped rules over loopback."""

    def setUp(self):
        state = os.environ.get("KORVANE_PROMETHEUS_BENCH")
        if state:
            with open(os.path.join(state, BENCH_STATE)) as f:
                found = json.load(f)
            self.port, self.traces = found["port"], found["traces"]
        else:
            folder = tempfile.mkdtemp()
            self.addCleanup(shutil.rmtree, folder, True)
            bench = PrometheusBench(self, folder)
            self.port, self.traces = bench.port, bench.traces

    def query(self, expression):
        status, body = get(self.port, "/api/v1/query?" + urllib.parse.urlencode(
            {"query": expression}))
        return json.loads(body).get("data", {}).get("result", []) if status == 200 else []

    def alerts(self, chassis):
        return {(r["metric"]["alertname"], r["metric"]["alertstate"])
                for r in self.query('ALERTS{chassis="%s"}' % chassis)}

    def test_alerts_follow_the_chassis(self):
        # The bench may have run this test before (a repeated run): every state is awaited.
        up = lambda: {r["metric"]["chassis"]: r["value"][1] for r in self.query("korvane_up")}
        wait_for(lambda: up() == {"bench-1": "1", "bench-2": "1"}, "both chassis scraped")
        # The rules that wait ("for") are pending at first, firing later; the alarm fires at once.
        expected = {"KorvaneAlarmSet", "KorvaneTemperatureNearThreshold", "KorvaneRailOutsideLimits"}
        names = lambda chassis: {name for name, _ in self.alerts(chassis)}
        wait_for(lambda: names("bench-2") == expected, "bench-2's alerts")
        self.assertIn(("KorvaneAlarmSet", "firing"), self.alerts("bench-2"))
        wait_for(lambda: self.alerts("bench-1") == set(), "bench-1 without alerts")
        self.assertEqual(
            {r["metric"]["alarm"] for r in self.query('ALERTS{alertname="KorvaneAlarmSet"}')},
            {"rail_VPLUS_5_0"})

        # bench-1's readings stop: its sessions can no longer start (the trace folder is gone).
        shutil.rmtree(self.traces)
        self.addCleanup(os.mkdir, self.traces)
        wait_for(lambda: up() == {"bench-1": "0", "bench-2": "1"}, "bench-1 down")
        wait_for(lambda: ("KorvaneChassisDown", "pending") in self.alerts("bench-1"),
                 "bench-1's down alert")
        self.assertEqual(names("bench-2"), expected)


def bench(action, state, *owner):
    if action == "run":
        return bench_run(state, int(owner[0]))
    return {"start": bench_start, "stop": bench_stop}[action](state)


if __name__ == "__main__":
    try:
        if sys.argv[4:5] == ["bench"]:
            sys.exit(bench(*sys.argv[5:]))
        unittest.main(argv=[sys.argv[0], *sys.argv[4:]])
    finally:
        for folder in CLEANUP:
            shutil.rmtree(folder, ignore_errors=True)
