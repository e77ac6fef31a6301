"""The show on a desktop of two monitors: the second one goes black with it.

These scenarios cannot use the shared display: each brings its own X server
with two screens joined by Xinerama, and its own prefix, in which Wine's X11
driver takes the monitors from Xinerama instead of XRandR (with XRandR, Wine
sees one monitor on such a server). Xvfb cannot place a screen anywhere but at
0,0, so the second monitor (1024 x 768) overlaps the primary one (1280 x 720):
its black window shows below the show's window as a strip 48 pixels high, and
the show's window must stay in front of it where they overlap.

Both are set up afresh and torn down at the end of each scenario, whatever
happened; the prefix is prepared once and kept in the build folder."""

import signal
import subprocess
import time

from harness import KEEPER_CLASS, WM_CLOSE, Failure, log

BLANK_CLASS = "VessmarkBlankScreen"
BLANK_CAPTION = "VessmarkBlank"
SCREENS = ("1280x720x24", "1024x768x24")
PRIMARY = (0, 0, 1280, 720)
SECOND = (0, 0, 1024, 768)
# The part of the second monitor that the show's window leaves uncovered.
# (Beside it, where no monitor is, Wine draws a window's surface unreliably.)
STRIP = (0, 722, 1024, 768)
WM_KEYDOWN = 0x0100
VK_A = 0x41
WS_POPUP = 0x80000000
WS_EX_TOPMOST = 0x00000008
DISPLAY_DEADLINE = 30.0
PREFIX_DEADLINE = 600.0
SWARM_DEADLINE = 30.0


def rect_of(text):
    return tuple(int(v) for v in text.split(","))


class TwoMonitors:
    """Its own Xvfb with two screens and Xinerama, its own prefix, a keeper;
    the Session's Wine programs, xdotool and screenshots go there while it is
    up. Stops everything it started when the scenario ends."""

    def __init__(self, s):
        self.s = s
        self.prefix = s.paths.build / "wineprefix-monitors"
        self.saved_env = dict(s.env)
        self.xvfb = None

    def __enter__(self):
        try:
            self.start_display()
            self.prepare_prefix()
            self.s.start_window_helper(["create", KEEPER_CLASS, "Vessmark e2e keeper", "hidden"], "keeper",
                                       deadline=120.0)
        except BaseException:
            self.__exit__(None, None, None)
            raise
        return self

    def start_display(self):
        number_file = self.s.work / "display-number"
        # -displayfd: the server picks a free display number itself and writes
        # it once it accepts connections. -noreset: with two screens and
        # Xinerama, Xvfb 21 aborts (a double free) when it resets after its last
        # client has gone. The shell only opens the number's file and becomes Xvfb.
        with open(self.s.work / "xvfb.log", "wb") as log_file:
            self.xvfb = subprocess.Popen(
                ["bash", "-c", 'exec Xvfb -displayfd 3 "${@:2}" 3>"$1"', "xvfb", str(number_file),
                 "-screen", "0", SCREENS[0], "-screen", "1", SCREENS[1], "+xinerama", "-noreset",
                 "-nolisten", "tcp", "+extension", "GLX"],
                stdin=subprocess.DEVNULL, stdout=log_file, stderr=log_file, start_new_session=True)
        end = time.monotonic() + DISPLAY_DEADLINE
        while True:
            text = number_file.read_text() if number_file.exists() else ""
            if text.endswith("\n"):
                display = f":{text.strip()}"
                if subprocess.run(["xdpyinfo", "-display", display], stdin=subprocess.DEVNULL,
                                  stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL).returncode == 0:
                    break
            if self.xvfb.poll() is not None:
                raise Failure(f"Xvfb with two screens exited with {self.xvfb.returncode}; see xvfb.log")
            if time.monotonic() > end:
                raise Failure(f"Xvfb with two screens did not answer within {DISPLAY_DEADLINE:.0f} s")
            time.sleep(0.05)
        self.s.env.update({"DISPLAY": display, "WINEPREFIX": str(self.prefix)})
        log(f"display {display} with screens {' and '.join(SCREENS)} and Xinerama (Xvfb pid {self.xvfb.pid})")

    def run_wine_tool(self, argv, label, deadline=PREFIX_DEADLINE):
        with open(self.s.output_path(label).with_suffix(".log"), "wb") as out:
            return subprocess.run(argv, env=self.s.env, stdin=subprocess.DEVNULL, stdout=out,
                                  stderr=subprocess.STDOUT, timeout=deadline).returncode

    def prepare_prefix(self):
        ready = self.prefix / ".vessmark-monitors-ready"
        if ready.exists():
            return
        started = time.monotonic()
        if self.run_wine_tool([str(self.s.paths.tools / "wine-prefix")], "wine-prefix") != 0:
            raise Failure("tools/wine-prefix failed for the two-monitor prefix")
        rc = self.run_wine_tool(["wine", "reg", "add", r"HKCU\Software\Wine\X11 Driver", "/v", "UseXRandR",
                                 "/d", "N", "/f"], "reg-add")
        self.run_wine_tool(["wineserver", "-w"], "wineserver-w")
        if rc != 0:
            raise Failure(f"wine reg add UseXRandR=N failed with {rc}")
        ready.touch()
        log(f"two-monitor prefix {self.prefix} prepared in {time.monotonic() - started:.1f} s")

    def __exit__(self, kind, error, trace):
        if kind is not None and self.xvfb is not None and self.xvfb.poll() is None:
            self.s.screenshot(self.s.work / "two-monitors-screen.png")
        self.s.stop_all()
        if "WINEPREFIX" in self.s.env and self.s.env["WINEPREFIX"] == str(self.prefix):
            try:
                self.run_wine_tool(["wineserver", "-k"], "wineserver-k", deadline=60)
            except subprocess.TimeoutExpired:
                log("wineserver -k of the two-monitor prefix did not return")
        if self.xvfb is not None and self.xvfb.poll() is None:
            self.xvfb.send_signal(signal.SIGTERM)
            try:
                self.xvfb.wait(timeout=10)
            except subprocess.TimeoutExpired:
                self.xvfb.kill()
                self.xvfb.wait()
        self.s.env.clear()
        self.s.env.update(self.saved_env)
        return False


def monitors_seen(s):
    """Wine's list of monitors: the primary one and the second, as Xvfb has them."""
    values = s.probe_ok("monitors")
    count = int(values["count"])
    found = {rect_of(values[f"monitor.{i}.rect"]): values[f"monitor.{i}.primary"] == "1" for i in range(count)}
    log(f"Wine sees {count} monitors: {found}")
    if found != {PRIMARY: True, SECOND: False}:
        raise Failure(f"Wine does not see the two monitors of the display: {values}")


def black_share(s, png, box):
    """Share of black pixels in a box (left, top, right, bottom) of a screenshot."""
    left, top, right, bottom = box
    raw = subprocess.run(["convert", str(png), "-crop", f"{right - left}x{bottom - top}+{left}+{top}", "+repage",
                          "-depth", "8", "rgb:-"], stdin=subprocess.DEVNULL, capture_output=True, timeout=60,
                         check=True).stdout
    pixels = len(raw) // 3
    black = sum(1 for i in range(0, len(raw), 3) if max(raw[i:i + 3]) < 24)
    return black / pixels if pixels else 0.0


def blank_window(s):
    rc, values = s.probe("find", BLANK_CLASS, BLANK_CAPTION)
    return values if rc == 0 else None


def expect_both_gone(s, show, why):
    s.expect_ends(show, why)
    left = blank_window(s)
    if left is not None:
        raise Failure(f"the black window is still there after the show ended: {left}")
    log("the black window went with the show")


def black_on_second_monitor(s):
    """The second monitor is covered by a black topmost window of the show's
    process, of its own class and caption, exactly its rectangle; the show's
    window is unchanged and in front; a key press ends both."""
    with TwoMonitors(s):
        monitors_seen(s)
        # Something on the second monitor that must disappear behind black.
        s.start_window_helper(["create", "VessmarkE2EBackdrop", "backdrop", 0, 700, 1280, 68], "backdrop")
        before = s.screenshot(s.output_path("before").with_suffix(".png"))
        share = black_share(s, before, STRIP)
        log(f"before the show: the second monitor's strip {share:.1%} black")
        if share > 0.5:
            raise Failure(f"the backdrop does not show on the second monitor: {share:.1%} black")

        s.move_to(640, 360)
        show = s.start_show()
        if rect_of(show.window["rect"]) != PRIMARY:
            raise Failure(f"the show's window no longer covers the primary screen alone: {show.window}")
        blank = blank_window(s)
        if blank is None:
            raise Failure(f"no window {BLANK_CLASS}/{BLANK_CAPTION} while the show runs")
        problems = []
        if rect_of(blank["rect"]) != SECOND:
            problems.append(f"rect {blank['rect']}, expected {SECOND}")
        if blank["visible"] != "1" or blank["topmost"] != "1":
            problems.append(f"visible {blank['visible']}, topmost {blank['topmost']}")
        if not int(blank["style"], 16) & WS_POPUP:
            problems.append(f"style {blank['style']}")
        if blank["pid"] != show.window["pid"]:
            problems.append(f"process {blank['pid']}, the show's is {show.window['pid']}")
        if blank["foreground"] != "0" or show.window["foreground"] != "1":
            problems.append("the black window took the foreground from the show")
        ids = s.xdotool("search", "--onlyvisible", "--name", f"^{BLANK_CAPTION}$").split()
        if len(ids) != 1:
            problems.append(f"{len(ids)} mapped X windows named {BLANK_CAPTION}")
        if problems:
            raise Failure("the black window: " + "; ".join(problems))
        log(f"black window {blank['hwnd']}: rect {blank['rect']}, style {blank['style']}, "
            f"exstyle {blank['exstyle']}, process {blank['pid']}")

        # On the screen: the backdrop's strip is black, and the swarm shows
        # where the two monitors overlap (the show's window is in front).
        end = time.monotonic() + SWARM_DEADLINE
        while True:
            shot = s.screenshot(s.output_path("during").with_suffix(".png"))
            strip, overlap = black_share(s, shot, STRIP), black_share(s, shot, (0, 0, 1024, 720))
            log(f"the second monitor's strip {strip:.1%} black, the overlap {overlap:.1%}")
            if strip >= 0.995 and overlap < 0.999:
                break
            if time.monotonic() > end:
                raise Failure(f"after {SWARM_DEADLINE:.0f} s: the second monitor's strip {strip:.1%} black "
                              f"(≥ 99.5 % expected), the overlap {overlap:.1%} (the swarm in front: < 99.9 %)")
            time.sleep(0.5)

        s.press_key("a")
        expect_both_gone(s, show, "a key press")


def input_on_black_ends_both(s):
    """The black window takes part in the show's input rules: a close posted
    to it before any input is ignored (and it does not close alone), a key
    press that reaches it ends the show through the show's window, and both
    go. (The messages are posted: on this display Wine hands real clicks in
    the strip to the show's window, with the pointer held to the primary
    screen's bottom row.)"""
    with TwoMonitors(s):
        monitors_seen(s)
        s.move_to(640, 360)
        show = s.start_show()
        blank = blank_window(s)
        if blank is None:
            raise Failure(f"no window {BLANK_CLASS}/{BLANK_CAPTION} while the show runs")
        s.probe_ok("post", blank["hwnd"], WM_CLOSE, 0, 0)
        s.sync(show)
        s.expect_running(show, "a WM_CLOSE posted to the black window before any input")
        if blank_window(s) is None:
            raise Failure("the black window closed alone on a WM_CLOSE before any input")
        s.probe_ok("post", blank["hwnd"], WM_KEYDOWN, VK_A, 0)
        expect_both_gone(s, show, "a key press posted to the black window")


SCENARIOS = {
    "black_on_second": black_on_second_monitor,
    "input_on_black_ends_both": input_on_black_ends_both,
}
