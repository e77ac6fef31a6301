"""The Wine harness of the end-to-end scenarios.

One private X display (Xvfb) and one warm Wine session per CTest run: the
fixture's setup starts the display, prepares the prefix and starts a keeper (a
hidden window of the probe that lives for the whole run, so that Wine's
desktop stays up and each start costs a fraction of a second); its cleanup
stops all of it. The state between them is a JSON file in the build folder.

A scenario starts the real program, finds its window with the probe (a
Windows program that looks at windows from the inside), types and clicks with
xdotool as a person would, and polls for every condition with a deadline.

Every process started here gets its standard streams from files, never from
the caller: Wine's helper processes inherit them, and a pipe held by one of
them would keep CTest waiting.
"""

import codecs
import ctypes
import ctypes.util
import json
import os
import re
import shutil
import signal
import subprocess
import time
from pathlib import Path

SAVER_CLASS = "WindowsScreenSaverClass"
SAVER_TITLE = "Screensaver"
SHOW_CAPTION = "VessmarkVC"
KEEPER_CLASS = "VessmarkE2EKeeper"

WM_NULL = 0x0000
WM_CLOSE = 0x0010
WM_SYSCOMMAND = 0x0112
SC_NEXTWINDOW = 61504
SC_PREVWINDOW = 61520
SC_SCREENSAVE = 61760

SCREEN = (1024, 768)

# Deadlines are generous: a busy two-core machine compiling next to the tests
# slows Wine down many times over; a passing scenario never waits for them.
WINDOW_DEADLINE = 30.0
EXIT_DEADLINE = 20.0
PROBE_DEADLINE = 60.0
# Probe verbs that only look: asking one again changes nothing.
LOOKING_VERBS = {"find", "wait", "gone", "show", "screen", "cursor", "foreground", "children", "desktop",
                 "owned", "text", "items", "monitors", "resources"}
# A "nothing happens" check watches this long, then proves the show is alive.
SETTLE = 1.5

# The renderer says why it ends (or that it ignored a close request) on the
# debug output. Wine 8 writes that output as a warning of its "seh" channel on
# the program's standard error (later versions name the channel "debugstr"):
#   0130:warn:seh:OutputDebugStringA "Vessmark: the show ends ...\n"
# Every Wine program of a scenario runs with that one channel on, and with
# Wine's own errors: where Wine itself gives up on a process (its start-up
# cannot map what it needs, say) it ends it with exit code 1, and under "-all"
# without a word. A scenario's run writes a few such lines, all harmless.
WINE_DEBUG = "-all,err+all,warn+seh,warn+debugstr"
DEBUG_OUTPUT = re.compile(r':OutputDebugString[AW] "(.*)"\s*$')
WINE_ERROR = re.compile(r'^(?:[0-9a-f]+:)*err:')


class Failure(Exception):
    """A scenario's expectation did not hold."""


def log(message):
    print(f"[{time.strftime('%H:%M:%S')}] {message}", flush=True)


class Paths:
    def __init__(self, build_dir, source_dir, probe, dll):
        self.build = Path(build_dir).resolve()
        self.source = Path(source_dir).resolve()
        self.probe = Path(probe).resolve()
        self.dll = Path(dll).resolve()
        self.e2e = self.build / "e2e"
        self.state = self.e2e / "state.json"
        self.work = self.e2e / "work"
        self.artifacts = self.build / "e2e-artifacts"
        self.prefix = self.build / "wineprefix"
        self.tools = self.source / "tools"
        # The rest of the programs stand beside these two.
        self.scr = self.dll.parent / "Vessmark.scr"
        self.music_driver = self.probe.parent / "music_driver.exe"
        self.wine_run = self.tools / "wine-run"


def parse_lines(text):
    """key=value lines into a dict; a key seen twice keeps a list of values."""
    values = {}
    for line in text.splitlines():
        key, sep, value = line.strip().partition("=")
        if not sep:
            continue
        if key in values:
            if not isinstance(values[key], list):
                values[key] = [values[key]]
            values[key].append(value)
        else:
            values[key] = value
    return values


def only_wine_errors(text):
    """Nothing but Wine's own error lines (or nothing at all): what a program
    writes when Wine gave up on it before it got to its work."""
    return all(WINE_ERROR.match(line) for line in text.splitlines() if line.strip())


def what_it_wrote(proc, lines=4):
    """The end of a program's outputs, for a failure message."""
    said = [line.strip() for path in (proc.out_path, proc.err_path)
            for line in path.read_text(errors="replace").splitlines() if line.strip()]
    return f"; it wrote: {' | '.join(said[-lines:])}" if said else "; it wrote nothing"


def process_alive(pid):
    try:
        os.kill(pid, 0)
    except ProcessLookupError:
        return False
    except PermissionError:
        return True
    # A zombie is as good as gone.
    try:
        with open(f"/proc/{pid}/stat") as stat:
            return stat.read().rsplit(")", 1)[1].split()[0] != "Z"
    except OSError:
        return False


def process_cmdline(pid):
    try:
        with open(f"/proc/{pid}/cmdline", "rb") as f:
            return f.read().replace(b"\0", b" ").decode(errors="replace")
    except OSError:
        return ""


def cpu_seconds(pid):
    """User and system time a process has used so far (0 once it is gone)."""
    try:
        with open(f"/proc/{pid}/stat") as stat:
            fields = stat.read().rsplit(")", 1)[1].split()
    except OSError:
        return 0.0
    return (int(fields[11]) + int(fields[12])) / os.sysconf("SC_CLK_TCK")


def windows_path(path):
    """Wine's drive Z: is the Unix root."""
    return "Z:" + str(path).replace("/", "\\")


def programs_in(folder):
    """Pids of the running programs whose command line names a file in the
    folder, given the Unix way (a program started from Linux) or the Windows
    way (one started by another Wine program)."""
    marks = (str(folder) + "/", windows_path(folder) + "\\")
    found = []
    for entry in os.listdir("/proc"):
        if entry.isdigit() and int(entry) != os.getpid():
            cmdline = process_cmdline(int(entry))
            if any(mark in cmdline for mark in marks) and process_alive(int(entry)):
                found.append(int(entry))
    return found


def stop_pid(pid, expect_in_cmdline, grace=5.0):
    """SIGTERM, then SIGKILL, a process we started, recognised by its command
    line so that a reused pid is never hit."""
    if not pid or not process_alive(pid) or expect_in_cmdline not in process_cmdline(pid):
        return
    try:
        os.kill(pid, signal.SIGTERM)
    except ProcessLookupError:
        return
    deadline = time.monotonic() + grace
    while process_alive(pid) and time.monotonic() < deadline:
        time.sleep(0.05)
    if process_alive(pid):
        try:
            os.kill(pid, signal.SIGKILL)
        except ProcessLookupError:
            pass


class Display:
    """A pointer grab through Xlib (ctypes): while another client holds the
    pointer, no window of the show sees it, the way a person's drag in another
    program would keep it."""

    def __init__(self, display_name):
        path = ctypes.util.find_library("X11")
        if path is None:
            raise Failure("libX11 not found")
        self.x = ctypes.CDLL(path)
        self.x.XOpenDisplay.restype = ctypes.c_void_p
        self.x.XOpenDisplay.argtypes = [ctypes.c_char_p]
        self.x.XDefaultRootWindow.restype = ctypes.c_ulong
        self.x.XDefaultRootWindow.argtypes = [ctypes.c_void_p]
        self.x.XGrabPointer.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_uint,
                                        ctypes.c_int, ctypes.c_int, ctypes.c_ulong, ctypes.c_ulong,
                                        ctypes.c_ulong]
        self.x.XUngrabPointer.argtypes = [ctypes.c_void_p, ctypes.c_ulong]
        self.x.XSync.argtypes = [ctypes.c_void_p, ctypes.c_int]
        self.x.XCloseDisplay.argtypes = [ctypes.c_void_p]
        self.handle = self.x.XOpenDisplay(display_name.encode())
        if not self.handle:
            raise Failure(f"cannot open display {display_name}")

    def grab_pointer(self):
        button_press, button_release, pointer_motion = 1 << 2, 1 << 3, 1 << 6
        grab_mode_async, grab_success = 1, 0
        root = self.x.XDefaultRootWindow(self.handle)
        result = self.x.XGrabPointer(self.handle, root, 0, button_press | button_release | pointer_motion,
                                     grab_mode_async, grab_mode_async, 0, 0, 0)
        self.x.XSync(self.handle, 0)
        if result != grab_success:
            raise Failure(f"XGrabPointer failed ({result})")

    def ungrab_pointer(self):
        self.x.XUngrabPointer(self.handle, 0)
        self.x.XSync(self.handle, 0)

    def close(self):
        if self.handle:
            self.x.XCloseDisplay(self.handle)
            self.handle = None


class Session:
    """The environment of one scenario (or of the fixture): the display and the
    prefix from the state file, a folder for every output, and the processes
    started, which are all stopped at the end."""

    def __init__(self, paths, name, state=None):
        self.paths = paths
        self.name = name
        self.state = state if state is not None else json.loads(paths.state.read_text())
        self.work = paths.work / name
        shutil.rmtree(self.work, ignore_errors=True)
        self.work.mkdir(parents=True)
        self.env = dict(os.environ)
        self.env.update({
            "WINEPREFIX": str(paths.prefix),
            "WINEDEBUG": WINE_DEBUG,
            "WINEDLLOVERRIDES": "mscoree,mshtml=;winemenubuilder.exe=d",
            "DISPLAY": self.state["display"],
        })
        self.processes = []  # (Popen, files)
        self.counter = 0
        self.buttons_down = set()
        self.x_display = None
        self.sound_server = None

    # --- processes ---------------------------------------------------------

    def output_path(self, label):
        self.counter += 1
        safe = "".join(c if c.isalnum() or c in "-_" else "_" for c in label)[:40]
        return self.work / f"{self.counter:02d}-{safe}"

    def spawn(self, argv, label):
        base = self.output_path(label)
        out = open(f"{base}.out", "wb")
        err = open(f"{base}.err", "wb")
        proc = subprocess.Popen([str(a) for a in argv], stdin=subprocess.DEVNULL, stdout=out, stderr=err,
                                env=self.env, cwd=self.work, start_new_session=True, close_fds=True)
        proc.out_path = Path(f"{base}.out")
        proc.err_path = Path(f"{base}.err")
        proc.label = label
        self.processes.append((proc, (out, err)))
        return proc

    def wine(self, args, label):
        return self.spawn([self.paths.wine_run, *args], label)

    def probe(self, *args, timeout=PROBE_DEADLINE):
        """Runs one probe verb and returns (exit code, key=value output). A
        probe that only looks and did not finish is asked once more, and the
        log says so: it is the measuring tool that failed, not the program
        measured. Seen on a busy machine: killed by a signal after answering
        nonsense ("Inconsistency detected by ld.so"), and exit code 1 with
        no answer and no line but Wine's own errors (such a verb always
        answers before it ends)."""
        for attempt in (1, 2):
            proc = self.wine([self.paths.probe, *args], f"probe-{args[0]}")
            try:
                rc = proc.wait(timeout=timeout)
            except subprocess.TimeoutExpired:
                proc.kill()
                proc.wait()
                raise Failure(f"probe {' '.join(map(str, args))} did not finish within {timeout:.0f} s")
            answer = proc.out_path.read_text(errors="replace")
            said = proc.err_path.read_text(errors="replace").strip().splitlines()
            unfinished = rc < 0 or (rc == 1 and not answer and only_wine_errors("\n".join(said)))
            if not unfinished or attempt == 2 or args[0] not in LOOKING_VERBS:
                return rc, parse_lines(answer)
            how = f"was killed by signal {-rc}" if rc < 0 else "ended with exit code 1 without an answer"
            log(f"the probe ({args[0]}) {how}{': ' + said[-1] if said else ''}; asking it once more")

    def probe_ok(self, *args, timeout=PROBE_DEADLINE):
        rc, values = self.probe(*args, timeout=timeout)
        if rc != 0:
            raise Failure(f"probe {' '.join(map(str, args))} failed with {rc}: {values}")
        return values

    def start_window_helper(self, args, label, deadline=WINDOW_DEADLINE):
        """Starts a long-lived probe verb (create, activate, record) and waits
        for its ready line; returns the process and its output."""
        proc = self.wine([self.paths.probe, *args], label)
        end = time.monotonic() + deadline
        while True:
            values = parse_lines(proc.out_path.read_text(errors="replace"))
            if values.get("ready") == "1":
                return proc, values
            if proc.poll() is not None:
                raise Failure(f"probe {args[0]} exited with {proc.returncode} before it was ready: {values}")
            if time.monotonic() > end:
                raise Failure(f"probe {args[0]} not ready within {deadline:.0f} s")
            time.sleep(0.02)

    def xdotool(self, *args):
        result = subprocess.run(["xdotool", *map(str, args)], env=self.env, stdin=subprocess.DEVNULL,
                                capture_output=True, text=True, timeout=30)
        if result.returncode != 0:
            raise Failure(f"xdotool {' '.join(map(str, args))} failed: {result.stderr.strip()}")
        return result.stdout

    def sound(self):
        """A private sound server for this scenario (started on first use);
        Wine programs started afterwards play into its null sink."""
        if self.sound_server is None:
            from sound import SoundServer
            self.sound_server = SoundServer(self)
        return self.sound_server

    def without_sound(self):
        """Wine programs started afterwards find no sound server at all."""
        self.env["PULSE_SERVER"] = f"unix:{self.work / 'no-such-server'}"
        self.env["PULSE_RUNTIME_PATH"] = str(self.work / "no-pulse")

    def stop_all(self):
        for button in sorted(self.buttons_down):
            try:
                self.xdotool("mouseup", button)
            except (Failure, subprocess.TimeoutExpired):
                pass
        self.buttons_down.clear()
        if self.x_display is not None:
            self.x_display.close()
            self.x_display = None
        for proc, files in self.processes:
            if proc.poll() is None:
                proc.kill()
                try:
                    proc.wait(timeout=10)
                except subprocess.TimeoutExpired:
                    log(f"process {proc.pid} ({proc.label}) did not die")
            for f in files:
                f.close()
        self.processes.clear()
        # Programs that a program of the scenario started from the scenario's
        # folder (the renderer started by a copy of Vessmark.scr).
        for pid in programs_in(self.work):
            stop_pid(pid, str(self.work.name))
        self.sound_server = None

    def show_said(self, proc=None):
        """What the renderers wrote to the debug output: lines such as
        "Vessmark: the show ends 1.02 s after its window appeared, on a key
        press (key code 0x41)." From one process's standard error (a renderer
        started by Vessmark.scr writes to the front end's), or from every
        process of the scenario in the order they were started."""
        outputs = [proc.err_path] if proc is not None else sorted(self.work.glob("*.err"))
        lines = []
        for err in outputs:
            for raw in err.read_text(errors="replace").splitlines():
                match = DEBUG_OUTPUT.search(raw)
                if match:
                    # Wine escapes the text as C does; non-ASCII bytes as \xNN.
                    text = codecs.decode(match.group(1), "unicode_escape").encode("latin-1").decode(
                        "utf-8", errors="replace")
                    lines.append(text.strip())
        return lines

    def wine_errors(self):
        """Wine's own error lines of the scenario's programs, each once."""
        lines = [WINE_ERROR.sub("err:", line.strip()) for err in sorted(self.work.glob("*.err"))
                 for line in err.read_text(errors="replace").splitlines() if WINE_ERROR.match(line)]
        return list(dict.fromkeys(lines))

    def crashes(self):
        """Wine's line for each program of the scenario that crashed ("wine:
        Unhandled page fault on ..."): the prefix shows no crash dialog, which
        would take the foreground from a show and wait for a click."""
        return [line.strip() for err in sorted(self.work.glob("*.err"))
                for line in err.read_text(errors="replace").splitlines() if "wine: Unhandled" in line]

    def said_why(self, proc=None):
        """The renderer's lines, for a failure message."""
        lines = self.show_said(proc)
        return "; the show said: " + " | ".join(lines) if lines else "; the show said nothing"

    def screenshot(self, path):
        path.parent.mkdir(parents=True, exist_ok=True)
        try:
            subprocess.run(["import", "-window", "root", str(path)], env=self.env, stdin=subprocess.DEVNULL,
                           stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=30)
        except subprocess.TimeoutExpired:
            pass
        return path if path.exists() else None

    # --- input as a person gives it ----------------------------------------

    def press_key(self, key):
        self.xdotool("key", key)

    def click(self, button):
        self.xdotool("click", button)

    def button_down(self, button):
        self.xdotool("mousedown", button)
        self.buttons_down.add(button)

    def button_up(self, button):
        self.xdotool("mouseup", button)
        self.buttons_down.discard(button)

    def move_to(self, x, y):
        self.xdotool("mousemove", x, y)

    def move_by(self, dx, dy):
        self.xdotool("mousemove_relative", "--", dx, dy)

    def cursor(self):
        values = self.probe_ok("cursor")
        return int(values["x"]), int(values["y"])

    def grab_pointer(self):
        if self.x_display is None:
            self.x_display = Display(self.state["display"])
        self.x_display.grab_pointer()

    def ungrab_pointer(self):
        self.x_display.ungrab_pointer()

    # --- the show ----------------------------------------------------------

    def no_show_up(self):
        rc, values = self.probe("find", SAVER_CLASS, SHOW_CAPTION)
        if rc == 0:
            raise Failure(f"a show window from an earlier step is still up: {values}")

    def start_show(self, args=(), retries=1):
        """Starts Vessmark.dll and waits until its window is visible. A start
        under Wine can rarely fail to create any window; it gets one retry."""
        self.no_show_up()
        for attempt in range(retries + 1):
            started = time.monotonic()
            proc = self.wine([self.paths.dll, *args], "show")
            window = self.wait_for_show_window(proc)
            if window is not None:
                log(f"show window {window['hwnd']} up {time.monotonic() - started:.2f} s after the start")
                return Show(proc, window)
            why = (f"exited with {proc.returncode}" if proc.poll() is not None
                   else f"showed no window within {WINDOW_DEADLINE:.0f} s")
            log(f"start {attempt + 1}: the show {why}; output in {proc.out_path.parent}")
            if proc.poll() is None:
                proc.kill()
                proc.wait()
        raise Failure(f"the show never showed its window ({retries + 1} starts)")

    def wait_for_show_window(self, proc):
        end = time.monotonic() + WINDOW_DEADLINE
        while time.monotonic() < end:
            if proc.poll() is not None:
                return None
            rc, values = self.probe("wait", SAVER_CLASS, SHOW_CAPTION, 2000, "visible")
            if rc == 0:
                return values
        return None

    def window(self, hwnd):
        rc, values = self.probe("show", hwnd)
        return values if rc == 0 else None

    def sync(self, show):
        """Lets the show handle everything sent to it so far (see probe sync)."""
        rc, values = self.probe("sync", show.hwnd, 10000)
        if rc != 0:
            raise Failure(f"the show did not answer: {values} (exit code {show.proc.poll()})")

    def expect_running(self, show, why):
        """The show must stay up for the settle period and still have its
        window afterwards."""
        end = time.monotonic() + SETTLE
        while time.monotonic() < end:
            if show.proc.poll() is not None:
                raise Failure(f"the show ended (exit code {show.proc.returncode}) after {why}{self.said_why(show.proc)}")
            time.sleep(0.05)
        rc, state = self.probe("show", show.hwnd)
        if rc != 0 or state.get("visible") != "1":
            raise Failure(f"the show's window is gone or hidden after {why} (probe show: exit code {rc}, "
                          f"{state}){self.said_why(show.proc)}")
        if show.proc.poll() is not None:
            raise Failure(f"the show ended (exit code {show.proc.returncode}) after {why}{self.said_why(show.proc)}")
        log(f"still running {SETTLE:.1f} s after {why}")

    def expect_ends(self, show, why, said=None, deadline=EXIT_DEADLINE):
        """The show must end by itself, with exit code 0, its window gone, and
        say once why it ended (naming `said`, when given)."""
        started = time.monotonic()
        try:
            rc = show.proc.wait(timeout=deadline)
        except subprocess.TimeoutExpired:
            raise Failure(f"the show still runs {deadline:.0f} s after {why}") from None
        took = time.monotonic() - started
        if rc != 0:
            raise Failure(f"the show ended with exit code {rc} after {why}{self.said_why(show.proc)}")
        rc, values = self.probe("find", SAVER_CLASS, SHOW_CAPTION)
        if rc == 0:
            raise Failure(f"the show's window is still there after its exit: {values}")
        # The show says once why it ended, and that it was this input.
        ends = [line for line in self.show_said(show.proc) if "the show ends" in line]
        if len(ends) != 1 or (said is not None and said not in ends[0]):
            raise Failure(f"after {why} the show said {ends}, expected one line naming {said!r}")
        log(f"ended with exit code 0, {took:.2f} s after {why}: {ends[0]}")


class Show:
    def __init__(self, proc, window):
        self.proc = proc
        self.window = window
        self.hwnd = window["hwnd"]
