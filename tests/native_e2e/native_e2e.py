#!/usr/bin/env python3
"""End-to-end scenarios of the Linux show, vessmark-show, on a private X
server (Xvfb with GLX over Mesa), as a person and as XScreenSaver use it.

Every scenario starts its own Xvfb, so that scenarios can run side by side
and none inherits another's pointer, focus or windows. Input comes from
xdotool, as a person's would; the windows a hack draws into are made by the
test itself (xclient.py). Every condition is polled with a generous
deadline; a check that something does NOT end the show watches for a while
and then proves the show is still there.

Usage: native_e2e.py --show PROGRAM --compare GOLDEN_COMPARE --golden-dir DIR
           --golden-options "..." --build-dir DIR --cmake CMAKE --source-dir DIR (list | run NAME)
"""

import argparse
import os
import shlex
import shutil
import signal
import subprocess
import sys
import tempfile
import time
import xml.etree.ElementTree as ElementTree
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent))
from xclient import XClient, XError  # noqa: E402

SCREEN = (640, 480)
WINDOW_NAME = "Vessmark"
# Deadlines are generous: the machine may be compiling or running Wine beside
# the tests; a passing scenario never waits for them.
START_DEADLINE = 30.0
EXIT_DEADLINE = 20.0
PICTURE_DEADLINE = 30.0
# A "nothing happens" check watches this long, then proves the show is alive.
SETTLE = 1.5
# XScreenSaver ends a hack with SIGTERM and expects it gone at once.
SIGNAL_EXIT_LIMIT = 1.0
STRUCTURE_NOTIFY_MASK = 1 << 17


class Failure(Exception):
    """A scenario's expectation did not hold."""


def log(message):
    print(f"[{time.strftime('%H:%M:%S')}] {message}", flush=True)


def wait_for(condition, deadline, what):
    """Polls until condition() gives a true value, which it returns."""
    end = time.monotonic() + deadline
    while True:
        value = condition()
        if value:
            return value
        if time.monotonic() >= end:
            raise Failure(f"not within {deadline:.0f} s: {what}")
        time.sleep(0.05)


class Session:
    """One scenario: its folder, its X server, its processes."""

    def __init__(self, args, name):
        self.args = args
        self.name = name
        self.work = Path(args.build_dir) / "native-e2e" / "work" / name
        self.artifacts = Path(args.build_dir) / "native-e2e-artifacts" / name
        shutil.rmtree(self.work, ignore_errors=True)
        shutil.rmtree(self.artifacts, ignore_errors=True)
        self.work.mkdir(parents=True)
        self.counter = 0
        self.xvfb = None
        self.display = None
        self.x = None
        self.processes = []
        self.cleanups = []  # called last to first as the scenario ends

    def file(self, what):
        self.counter += 1
        return self.work / f"{self.counter:02d}-{what}"

    # The X server.
    def start_display(self, glx=True, size=SCREEN):
        read_end, write_end = os.pipe()
        log_path = self.file("xvfb.log")
        with open(log_path, "wb") as output:
            self.xvfb = subprocess.Popen(
                ["Xvfb", "-displayfd", str(write_end), "-screen", "0", f"{size[0]}x{size[1]}x24",
                 "-nolisten", "tcp", "-noreset", "+extension" if glx else "-extension", "GLX"],
                pass_fds=(write_end,), stdin=subprocess.DEVNULL, stdout=output, stderr=subprocess.STDOUT,
                start_new_session=True)
        os.close(write_end)
        number = b""
        end = time.monotonic() + START_DEADLINE
        os.set_blocking(read_end, False)
        while not number.endswith(b"\n"):
            if self.xvfb.poll() is not None:
                raise Failure(f"Xvfb exited ({self.xvfb.returncode}); see {log_path}")
            if time.monotonic() >= end:
                raise Failure("Xvfb gave no display number")
            try:
                number += os.read(read_end, 16)
            except BlockingIOError:
                time.sleep(0.02)
        os.close(read_end)
        self.display = f":{number.decode().strip()}"
        self.x = wait_for(self._connect, START_DEADLINE, f"Xvfb answers on {self.display}")
        log(f"display {self.display} ({size[0]}x{size[1]}, GLX {'on' if glx else 'off'})")

    def _connect(self):
        try:
            return XClient(self.display)
        except XError:
            return None

    def environment(self, extra=None):
        env = dict(os.environ)
        env.pop("XSCREENSAVER_WINDOW", None)
        if self.display:
            env["DISPLAY"] = self.display
        env.update(extra or {})
        return env

    # Programs.
    def run(self, command, env=None, check=True):
        """A tool run to its end on this display; with check it must succeed."""
        result = subprocess.run([str(c) for c in command], env=self.environment(env), stdin=subprocess.DEVNULL,
                                capture_output=True, text=True, timeout=EXIT_DEADLINE)
        if check and result.returncode != 0:
            raise Failure(f"{' '.join(map(str, command))} failed ({result.returncode}): {result.stdout}{result.stderr}")
        return result

    def xdotool(self, *arguments):
        self.run(["xdotool", *arguments])

    def start_show(self, *arguments, env=None, program=None):
        show = Show(self, list(arguments), env, program)
        self.processes.append(show)
        return show

    def close(self, failed):
        for show in self.processes:
            show.stop()
        while self.cleanups:
            self.cleanups.pop()()
        if failed:
            self.artifacts.mkdir(parents=True, exist_ok=True)
            if self.x is not None:
                try:
                    write_ppm(self.artifacts / "screen.ppm", self.x.picture(self.x.root))
                except XError as error:
                    log(f"no screenshot: {error}")
            for path in self.work.iterdir():
                shutil.copy(path, self.artifacts / path.name)
            log(f"outputs kept in {self.artifacts}")
        if self.x is not None:
            self.x.close()
        if self.xvfb is not None:
            self.xvfb.terminate()
            try:
                self.xvfb.wait(EXIT_DEADLINE)
            except subprocess.TimeoutExpired:
                self.xvfb.kill()
                self.xvfb.wait()


class Show:
    """vessmark-show started by a scenario, its output kept in files."""

    def __init__(self, session, arguments, env, program=None):
        self.session = session
        self.arguments = arguments
        self.out = session.file("show.out")
        self.err = session.file("show.err")
        program = program or session.args.show
        log(f"{program} {' '.join(arguments)}" + (f"  with {env}" if env else ""))
        with open(self.out, "wb") as out, open(self.err, "wb") as err:
            self.process = subprocess.Popen([program, *arguments], env=session.environment(env),
                                            stdin=subprocess.DEVNULL, stdout=out, stderr=err)

    def alive(self):
        return self.process.poll() is None

    def wait_exit(self, deadline=EXIT_DEADLINE):
        try:
            self.process.wait(deadline)
        except subprocess.TimeoutExpired:
            raise Failure(f"vessmark-show still runs after {deadline:.0f} s") from None
        log(f"vessmark-show ended with {self.process.returncode}")
        return self.process.returncode

    def expect_exit(self, code, deadline=EXIT_DEADLINE):
        result = self.wait_exit(deadline)
        if result != code:
            raise Failure(f"exit status {result}, expected {code}; stderr: {self.stderr()!r}")

    def signal_and_time(self, number):
        """Sends the signal; the seconds until the program has exited."""
        start = time.monotonic()
        self.process.send_signal(number)
        self.wait_exit()
        return time.monotonic() - start

    def stdout(self):
        return self.out.read_text(errors="replace")

    def stderr(self):
        return self.err.read_text(errors="replace")

    def cpu_seconds(self):
        """User and system time of all its threads so far."""
        fields = Path(f"/proc/{self.process.pid}/stat").read_text().rsplit(")", 1)[1].split()
        ticks = os.sysconf("SC_CLK_TCK")
        return (int(fields[11]) + int(fields[12])) / ticks

    def stop(self):
        if self.alive():
            self.process.kill()
            self.process.wait()


def write_ppm(path, picture):
    with open(path, "wb") as output:
        output.write(f"P6 {picture.width} {picture.height} 255\n".encode())
        output.write(bytes(channel for pixel in picture.pixels() for channel in pixel))


# What a picture shows.
def is_black(pixel):
    return max(pixel) < 16


def is_white(pixel):
    return min(pixel) > 240


def hue_bin(pixel, bins=12):
    """The hue bin of a saturated, bright pixel, or None."""
    r, g, b = pixel
    high, low = max(pixel), min(pixel)
    if high < 100 or high - low < high // 2:
        return None
    if high == r:
        hue = ((g - b) / (high - low)) % 6
    elif high == g:
        hue = (b - r) / (high - low) + 2
    else:
        hue = (r - g) / (high - low) + 4
    return int(hue / 6 * bins) % bins


def swarm_report(picture, region=None):
    """Shares of black and white pixels, and the hue bins that hold at least
    a few saturated pixels, over the picture or a region of it."""
    pixels = list(picture.pixels(*region) if region else picture.pixels())
    counts = {}
    for pixel in pixels:
        bin_ = hue_bin(pixel)
        if bin_ is not None:
            counts[bin_] = counts.get(bin_, 0) + 1
    total = max(1, len(pixels))
    return {
        "black": sum(map(is_black, pixels)) / total,
        "white": sum(map(is_white, pixels)) / total,
        "hues": sorted(bin_ for bin_, count in counts.items() if count >= 5),
        "coloured": sum(counts.values()),
    }


def shows_swarm(picture, region=None):
    """A swarm on black: mostly black, nothing of a white background left,
    saturated colours of several hues."""
    report = swarm_report(picture, region)
    return 0.2 <= report["black"] <= 0.995 and report["white"] < 0.01 and len(report["hues"]) >= 3


# The full-screen show.
def full_screen_show(session, *arguments, new_display=True):
    """Starts the full-screen show and waits until it covers the screen with
    the keyboard focus; returns the show and its window."""
    if new_display:
        session.start_display()
    session.xdotool("mousemove", "100", "100")  # a known reference for the mouse-move rule
    session.cursor_before = session.x.cursor_opaque_pixels()
    show = session.start_show(*arguments)

    def window():
        if not show.alive():
            raise Failure(f"vessmark-show ended early ({show.process.returncode}): {show.stderr()!r}")
        found = session.x.find_viewable(WINDOW_NAME)
        return found[0] if found else None

    window_id = wait_for(window, START_DEADLINE, f"a viewable window named {WINDOW_NAME}")
    wait_for(lambda: session.x.focus() == window_id, START_DEADLINE, "the show's window has the keyboard focus")
    log(f"window 0x{window_id:x} is up with the focus")
    return show, window_id


def expect_going_on(session, show, window_id, what):
    """Watches for a while: the show must still run, its window still up."""
    end = time.monotonic() + SETTLE
    while time.monotonic() < end:
        if not show.alive():
            raise Failure(f"{what} ended the show ({show.process.returncode})")
        time.sleep(0.05)
    if window_id not in session.x.find_viewable(WINDOW_NAME):
        raise Failure(f"after {what} the show's window is gone")
    log(f"still running after {what}")


def end_with_key(session, show):
    session.xdotool("key", "a")
    show.expect_exit(0)


def scenario_fullscreen_covers_screen_ends_on_key(session):
    show, window_id = full_screen_show(session)
    attributes = session.x.attributes(window_id)
    geometry = (attributes.x, attributes.y, attributes.width, attributes.height)
    if geometry != (0, 0, *SCREEN):
        raise Failure(f"window at {geometry}, not over the whole {SCREEN} screen")
    if not attributes.override_redirect:
        raise Failure("the window is not override-redirect: a window manager could frame or move it")
    if session.cursor_before == 0:
        raise Failure("the pointer was invisible before the show: the next check would prove nothing")
    hidden = session.x.cursor_opaque_pixels()
    if hidden:
        raise Failure(f"the pointer shows {hidden} pixels over the show")
    log(f"pointer: {session.cursor_before} visible pixels before the show, none over it")
    # What the screen shows, not only what the window holds: it is on top.
    wait_for(lambda: shows_swarm(session.x.picture(session.x.root)), PICTURE_DEADLINE, "the swarm on the screen")
    log(f"screen: {swarm_report(session.x.picture(session.x.root))}")
    end_with_key(session, show)
    if session.x.find_viewable(WINDOW_NAME):
        raise Failure("the window is still there after the show ended")


def button_scenario(button):
    def scenario(session):
        show, _ = full_screen_show(session)
        session.xdotool("click", str(button))
        show.expect_exit(0)
    return scenario


def scenario_fullscreen_release_and_wheel_go_on(session):
    session.start_display()
    session.xdotool("mousemove", "100", "100")
    session.xdotool("mousedown", "1")  # held since before the show existed
    show = session.start_show()
    window_id = wait_for(lambda: (session.x.find_viewable(WINDOW_NAME) or [None])[0], START_DEADLINE,
                         "the show's window")
    wait_for(lambda: session.x.focus() == window_id, START_DEADLINE, "the focus")
    session.xdotool("mouseup", "1")
    for notch in ("4", "5", "6", "7"):  # wheel up, down, left, right
        session.xdotool("click", notch)
    expect_going_on(session, show, window_id, "a release and wheel notches")
    end_with_key(session, show)


def scenario_fullscreen_move_by_4_px_goes_on(session):
    show, window_id = full_screen_show(session)
    # The first move, then two of 4 pixels (3 + 1, then 4 + 0) each measured
    # from the one before: the reference follows small moves.
    for x, y in ((101, 100), (104, 101), (100, 101)):
        session.xdotool("mousemove", str(x), str(y))
    expect_going_on(session, show, window_id, "moves of 4 pixels")
    # Those moves armed the show: a close request is now honoured.
    session.x.request_close(window_id)
    show.expect_exit(0)


def scenario_fullscreen_move_by_5_px_ends(session):
    show, _ = full_screen_show(session)
    session.xdotool("mousemove", "101", "100")  # the first move
    session.xdotool("mousemove", "104", "102")  # 3 + 2 = 5, only 3.6 in a straight line
    show.expect_exit(0)


def scenario_fullscreen_first_move_jump_goes_on(session):
    show, window_id = full_screen_show(session)
    session.xdotool("mousemove", "400", "300")  # the first move, 500 pixels away
    expect_going_on(session, show, window_id, "a first move that jumps")
    session.x.request_close(window_id)
    expect_going_on(session, show, window_id, "a close request after the first move alone")
    end_with_key(session, show)


def scenario_fullscreen_close_request_before_input_ignored(session):
    show, window_id = full_screen_show(session)
    session.x.request_close(window_id)
    expect_going_on(session, show, window_id, "a close request before any input")
    end_with_key(session, show)


def scenario_fullscreen_focus_loss_ends(session):
    show, _ = full_screen_show(session)
    other = session.x.create_window(50, 50, name="another program")
    session.x.take_focus(other)
    show.expect_exit(0)


def scenario_fullscreen_says_why_it_ends(session):
    """One line on standard error says why the show ended, and one that a
    close request was ignored: a close request before any input, then a move
    of 5 px; a button ends the next show, a key the third, the focus going
    to another window the fourth."""
    show, window_id = full_screen_show(session)
    session.x.request_close(window_id)
    session.xdotool("mousemove", "101", "100")
    session.xdotool("mousemove", "104", "102")
    show.expect_exit(0)
    lines = show.stderr().splitlines()
    if len(lines) != 2 or not lines[0].startswith("vessmark-show: a close request from another program ") or \
            not lines[0].endswith(" is ignored: no key, mouse button, mouse move or switch to another program "
                                  "has come yet.") or \
            not lines[1].endswith("on a mouse move of 5 px (from 101,100 to 104,102)."):
        raise Failure(f"the close request and the move are not reported as they happened: {lines}")
    for give, said in ((lambda: session.xdotool("click", "1"), "on the left mouse button."),
                       (lambda: session.xdotool("key", "a"), "on a key press (key code 0x"),
                       (lambda: session.x.take_focus(session.x.create_window(50, 50, name="another program")),
                        "on a switch to another program (the keyboard focus went to window 0x")):
        show, _ = full_screen_show(session, new_display=False)
        give()
        show.expect_exit(0)
        lines = show.stderr().splitlines()
        if len(lines) != 1 or not lines[0].startswith("vessmark-show: the show ends ") or said not in lines[0]:
            raise Failure(f"expected one line naming {said!r}: {lines}")
        log(lines[0])


def scenario_fullscreen_sigterm(session):
    show, _ = full_screen_show(session)
    seconds = show.signal_and_time(signal.SIGTERM)
    if show.process.returncode != 0 or seconds > SIGNAL_EXIT_LIMIT:
        raise Failure(f"SIGTERM: exit {show.process.returncode} after {seconds:.2f} s")
    log(f"SIGTERM: gone after {seconds:.3f} s")


# The show inside a window of another program.
def wait_for_swarm(session, window_id, what, region=None):
    wait_for(lambda: shows_swarm(session.x.picture(window_id), region), PICTURE_DEADLINE, what)
    log(f"{what}: {swarm_report(session.x.picture(window_id), region)}")


def scenario_window_fills_follows_resize_ends_on_sigterm(session):
    session.start_display()
    window_id = session.x.create_window(320, 240)
    show = session.start_show("--window-id", hex(window_id))
    wait_for_swarm(session, window_id, "the swarm fills the window")
    # Larger and wider: the frames must use the new size, so the swarm also
    # reaches beyond the 320 x 240 corner at the bottom left that the old
    # viewport would keep it in.
    session.x.resize(window_id, 560, 300)

    def beyond_old_corner():
        picture = session.x.picture(window_id)
        if (picture.width, picture.height) != (560, 300):
            return False
        outside = swarm_report(picture, (0, 0, 560, 60))["coloured"] + \
            swarm_report(picture, (320, 60, 560, 300))["coloured"]
        return outside > 0 and shows_swarm(picture)

    wait_for(beyond_old_corner, PICTURE_DEADLINE, "the swarm uses the whole resized window")
    log("the show follows the new size")
    seconds = show.signal_and_time(signal.SIGTERM)
    if show.process.returncode != 0 or seconds > SIGNAL_EXIT_LIMIT:
        raise Failure(f"SIGTERM: exit {show.process.returncode} after {seconds:.2f} s")
    log(f"SIGTERM: gone after {seconds:.3f} s")
    if not session.x.exists(window_id):
        raise Failure("the show destroyed a window that was not its own")


def scenario_window_destroyed_ends(session):
    session.start_display()
    window_id = session.x.create_window(320, 240)
    show = session.start_show("-window-id", str(window_id))
    wait_for_swarm(session, window_id, "the swarm in the window")
    session.x.destroy(window_id)
    show.expect_exit(0)
    if show.stderr():
        raise Failure(f"complaints after the window went: {show.stderr()!r}")


def scenario_window_unmapped_costs_nothing(session):
    session.start_display()
    window_id = session.x.create_window(320, 240, mapped=False)
    show = session.start_show("--window-id", hex(window_id))
    # The show watches the window once it has attached to it.
    wait_for(lambda: session.x.attributes(window_id).all_event_masks & STRUCTURE_NOTIFY_MASK, START_DEADLINE,
             "the show watches the window")

    def idle_for_a_second():
        if not show.alive():
            raise Failure(f"vessmark-show ended ({show.process.returncode}): {show.stderr()!r}")
        before = show.cpu_seconds()
        time.sleep(1.0)
        used = show.cpu_seconds() - before
        log(f"CPU time in a second while hidden: {used:.3f} s")
        return used < 0.05

    wait_for(idle_for_a_second, START_DEADLINE, "a hidden window costs no CPU time")
    session.x.map(window_id)
    wait_for_swarm(session, window_id, "the swarm once the window is shown")
    session.x.unmap(window_id)
    wait_for(idle_for_a_second, START_DEADLINE, "hidden again: no CPU time")
    # Waiting for events, it still hears a signal at once.
    seconds = show.signal_and_time(signal.SIGTERM)
    if show.process.returncode != 0 or seconds > SIGNAL_EXIT_LIMIT:
        raise Failure(f"SIGTERM while waiting: exit {show.process.returncode} after {seconds:.2f} s")
    log(f"SIGTERM while waiting: gone after {seconds:.3f} s")


def scenario_window_named_by_screensaver_variable(session):
    session.start_display()
    window_id = session.x.create_window(320, 240)
    # XScreenSaver starts "vessmark-show -root" and names its own window.
    show = session.start_show("-root", env={"XSCREENSAVER_WINDOW": f"0x{window_id:X}"})
    wait_for_swarm(session, window_id, "the swarm in XScreenSaver's window")
    # A saver's reset (xsecurelock's, as its password prompt closes) leaves it running.
    show.process.send_signal(signal.SIGUSR1)
    expect_drawing_on(session, lambda: "" if show.alive() else f"the show ({show.process.returncode})", window_id,
                      "SIGUSR1")
    seconds = show.signal_and_time(signal.SIGINT)
    if show.process.returncode != 0 or seconds > SIGNAL_EXIT_LIMIT:
        raise Failure(f"SIGINT: exit {show.process.returncode} after {seconds:.2f} s")


def expect_drawing_on(session, ended, window_id, what, region=None):
    """Watches for a while: ended() must stay empty (else it says what ended)
    and the picture, of the window or a region of it, must still change."""
    def pixels():
        return list(session.x.picture(window_id).pixels(*(region or ())))

    before = pixels()
    end = time.monotonic() + SETTLE
    while time.monotonic() < end:
        if ended():
            raise Failure(f"{what} ended {ended()}")
        time.sleep(0.05)
    wait_for(lambda: pixels() != before, PICTURE_DEADLINE, f"the show goes on drawing after {what}")
    log(f"still drawing after {what}")


def fps_box(picture):
    """The bottom-left corner where the frame rate is written."""
    return (8, picture.height - 22, 56, picture.height - 8)


def scenario_root_with_fps(session):
    session.start_display()
    show = session.start_show("-root", "-fps")
    root = session.x.root
    wait_for_swarm(session, root, "the swarm on the root window")

    def frame_rate_written():
        picture = session.x.picture(root)
        box = list(picture.pixels(*fps_box(picture)))
        # Only the overlay's black backdrop and white letters, and letters enough.
        return all(is_black(p) or p == (255, 255, 255) for p in box) and \
            sum(p == (255, 255, 255) for p in box) >= 40

    wait_for(frame_rate_written, PICTURE_DEADLINE, "the frame rate in the bottom-left corner")
    seconds = show.signal_and_time(signal.SIGTERM)
    if show.process.returncode != 0 or seconds > SIGNAL_EXIT_LIMIT:
        raise Failure(f"SIGTERM: exit {show.process.returncode} after {seconds:.2f} s")


def golden_scenario(case, options):
    """The frame the on-screen host draws equals the off-screen golden frame."""
    def scenario(session):
        args = session.args
        # The picture size of the off-screen case (its own, or else the
        # common one) becomes the window's size.
        arguments = [*shlex.split(args.golden_options), *options]
        sizes = [i for i, argument in enumerate(arguments) if argument == "--size"]
        width, height = (int(side) for side in arguments[sizes[-1] + 1].split("x"))
        for i in reversed(sizes):
            del arguments[i:i + 2]
        session.start_display(size=(max(width, SCREEN[0]), max(height, SCREEN[1])))
        window_id = session.x.create_window(width, height)
        output = session.file(f"{case}.png")
        show = session.start_show("--window-id", hex(window_id), *arguments, "--output", str(output))
        show.expect_exit(0, deadline=120.0)
        log(show.stdout().strip())
        difference = session.file(f"{case}.diff.png")
        result = subprocess.run([args.compare, str(Path(args.golden_dir) / f"{case}.png"), str(output),
                                 str(difference)], capture_output=True, text=True, stdin=subprocess.DEVNULL)
        log(result.stdout.strip() + result.stderr.strip())
        if result.returncode != 0:
            raise Failure(f"the frame drawn on the screen differs from the golden {case}.png")
    return scenario


# Failures that must be one line and status 1.
def expect_one_line_failure(show, *words):
    show.expect_exit(1)
    lines = show.stderr().splitlines()
    if len(lines) != 1 or not all(word in lines[0] for word in words):
        raise Failure(f"expected one line naming {words}, got {lines!r}")
    log(f"said: {lines[0]}")


def scenario_errors_no_glx(session):
    session.start_display(glx=False)
    expect_one_line_failure(session.start_show(), "no OpenGL", "GLX")
    expect_one_line_failure(session.start_show("-root"), "no OpenGL", "GLX")


def scenario_errors_no_display(session):
    expect_one_line_failure(session.start_show(), "DISPLAY is not set")
    expect_one_line_failure(session.start_show(env={"DISPLAY": ":4095"}), "cannot open the X display ':4095'")


def scenario_errors_no_such_window(session):
    session.start_display()
    expect_one_line_failure(session.start_show("--window-id", "0x1ffffff"), "no window 0x1ffffff")
    expect_one_line_failure(session.start_show("-root", env={"XSCREENSAVER_WINDOW": "0x1ffffff"}),
                            "no window 0x1ffffff", "XSCREENSAVER_WINDOW")
    # Bare hex digits are neither of the two forms.
    expect_one_line_failure(session.start_show("-root", env={"XSCREENSAVER_WINDOW": "2c00007"}),
                            "XSCREENSAVER_WINDOW should hold a window id", "'2c00007'")


# The XScreenSaver settings file.
def scenario_xml_installed_and_every_setting_runs(session):
    args = session.args
    prefix = session.work / "prefix"
    session.run([args.cmake, "--install", args.build_dir, "--prefix", prefix])
    source = Path(args.source_dir) / "config" / "vessmark.xml"
    try:
        root = ElementTree.parse(source).getroot()
    except ElementTree.ParseError as error:
        raise Failure(f"{source} is not well-formed: {error}") from None
    name = root.get("name")
    if root.tag != "screensaver" or not name or not root.get("_label"):
        raise Failure(f"the root element is <{root.tag} name={name!r}>, not a named screensaver")
    program = prefix / "libexec" / "xscreensaver" / name
    if not (program.is_file() and os.access(program, os.X_OK)):
        raise Failure(f"the file names the program {name!r}, but {program} is not an installed program")
    installed = prefix / "share" / "xscreensaver" / "config" / f"{name}.xml"
    if not installed.is_file() or installed.read_bytes() != source.read_bytes():
        raise Failure(f"{installed} is missing or differs from {source}")
    if root.find("_description") is None or not root.find("_description").text.strip():
        raise Failure("no description")
    log(f"installed {program.relative_to(prefix)} and {installed.relative_to(prefix)}")

    # Every setting the file offers runs, as XScreenSaver would start it.
    command = [arg for element in root.iter("command") for arg in shlex.split(element.get("arg", ""))]
    settings = [shlex.split(element.get(key)) for element in root.iter() for key in ("arg-set", "arg-unset")
                if element.get(key)]
    if "--root" not in command and "-root" not in command:
        raise Failure(f"the command {command} does not draw where XScreenSaver asks")
    session.start_display()
    window_id = session.x.create_window(160, 120)
    for setting in [[]] + settings:
        show = session.start_show(*command, *setting, "--frames", "3",
                                  env={"XSCREENSAVER_WINDOW": hex(window_id)}, program=str(program))
        show.expect_exit(0, deadline=60.0)
    log(f"{len(settings)} settings ran")


# The list of XScreenSaver's display modes, and the real savers.
def add_to_list(session, home, program=None, as_user=list):
    result = session.run(as_user([program or session.args.show, "--add-to-xscreensaver"]),
                      {"HOME": str(home)}, check=False)
    log(f"--add-to-xscreensaver: {result.returncode}: {(result.stdout + result.stderr).strip()}")
    return result


def scenario_list_command_on_real_files(session):
    """--add-to-xscreensaver with a private HOME: no file (then one that
    lists the show already), a private hand-edited file reached through a
    link, a file it cannot read, a link that leads nowhere. The layouts are
    the unit tests' table."""
    none, linked, unreadable = (session.work / name for name in ("none", "linked", "unreadable"))
    for home in (none, linked / "dotfiles", unreadable):
        home.mkdir(parents=True)
    made = none / ".xscreensaver"
    defaults = Path("/etc/X11/app-defaults/XScreenSaver").read_text().split("*programs:", 1)[1].split("\n\n")[0]
    if add_to_list(session, none).returncode != 0 or session.args.show not in made.read_text() or \
            not set(defaults.splitlines()[1:]) <= set(made.read_text().splitlines()):
        raise Failure("no file with the show and every entry of XScreenSaver's default list")
    before = made.stat().st_mtime_ns
    result = add_to_list(session, none)
    if result.returncode != 0 or "already" not in result.stdout or made.stat().st_mtime_ns != before or \
            len(list(none.iterdir())) != 1:
        raise Failure("a second run changed something or did not say why it did nothing")

    target = linked / "dotfiles" / "xscreensaver"
    text = "timeout: 0:05:00\nprograms: \\\n  maze -root \\n\\\n  GL: gears -root \\n\n\nlock: False\n"
    target.write_text(text)
    target.chmod(0o600)
    (linked / ".xscreensaver").symlink_to("dotfiles/xscreensaver")
    old, new = text.splitlines(), (target.read_text().splitlines() if add_to_list(session, linked).returncode == 0
                                   else [])
    if new[:2] + new[3:] != old or session.args.show not in new[2:3][0] or \
            not (linked / ".xscreensaver").is_symlink() or target.stat().st_mode & 0o777 != 0o600 or \
            Path(f"{target}.before-vessmark").read_text() != text:
        raise Failure(f"not one line added below programs:, the link, the mode and a copy kept: {new}")

    text = "timeout: 0:10:00\nprograms: \\\n  maze -root \\n\n  gears -root \\n\\\n"  # a lost "\\" in line 3
    (unreadable / ".xscreensaver").write_text(text)
    result = add_to_list(session, unreadable)
    if result.returncode != 1 or len(result.stderr.splitlines()) != 1 or "line 4" not in result.stderr or \
            (unreadable / ".xscreensaver").read_text() != text or len(list(unreadable.iterdir())) != 1:
        raise Failure("an unreadable file not refused in one line naming the line, or not left alone")
    (unreadable / ".xscreensaver").unlink()
    (unreadable / ".xscreensaver").symlink_to("gone/xscreensaver")
    if add_to_list(session, unreadable).returncode != 1 or not (unreadable / ".xscreensaver").is_symlink() or \
            len(list(unreadable.iterdir())) != 1:
        raise Failure("a link that leads nowhere was not refused, or was replaced")


def family(pid):
    """The descendants of a process: (pid, command line) pairs."""
    table = {}
    for entry in Path("/proc").glob("[0-9]*"):
        try:
            parent = int((entry / "stat").read_text().rsplit(")", 1)[1].split()[1])
            table[int(entry.name)] = (parent, (entry / "cmdline").read_bytes().decode(errors="replace").split("\0"))
        except (OSError, IndexError, ValueError):
            continue
    found, more = {}, [pid]
    while more:
        more = [p for p, (parent, _) in table.items() if parent in more and p not in found]
        found.update((p, table[p][1]) for p in more)
    return found


def kill_all(pids):
    for pid in pids:
        try:
            os.kill(pid, signal.SIGKILL)
        except ProcessLookupError:
            pass


def scenario_xscreensaver_daemon_runs_the_added_entry(session):
    """The real daemon, started before the list command, runs the entry it
    added first in the list, and ends it with the screen saver."""
    session.start_display()
    # XScreenSaver runs no display mode for root: as root the user's side runs
    # as nobody, from a private folder in /tmp that it may enter.
    private = Path(tempfile.mkdtemp(prefix="vessmark-native-e2e-"))
    session.cleanups.append(lambda: shutil.rmtree(private, ignore_errors=True))
    private.chmod(0o755)
    program, home = private / "vessmark-show", private / "home"
    shutil.copy(session.args.show, program)
    home.mkdir()
    as_user = list
    if os.geteuid() == 0:
        os.chown(home, 65534, 65534)
        def as_user(command):
            return ["setpriv", "--reuid=65534", "--regid=65534", "--clear-groups", *command]
    env = {"HOME": str(home)}
    with open(session.file("xscreensaver.log"), "wb") as output:
        daemon = subprocess.Popen(as_user(["xscreensaver", "--no-splash", "--verbose"]), env=session.environment(env),
                                  stdin=subprocess.DEVNULL, stdout=output, stderr=subprocess.STDOUT)
    session.cleanups.append(lambda: kill_all([daemon.pid, *family(daemon.pid)]))
    wait_for(lambda: session.run(as_user(["xscreensaver-command", "-version"]), env, False).returncode == 0,
             START_DEADLINE, "the XScreenSaver daemon answers")
    if add_to_list(session, home, str(program), as_user).returncode != 0:
        raise Failure("the list command failed")
    session.run(as_user(["xscreensaver-command", "-select", "1"]), env)
    shows = lambda: [p for p, command in family(daemon.pid).items() if command[0] == str(program)]  # noqa: E731
    wait_for(shows, START_DEADLINE, "XScreenSaver starts the show")
    wait_for(lambda: shows_swarm(session.x.picture(session.x.root)), PICTURE_DEADLINE, "the swarm on the screen")
    session.run(as_user(["xscreensaver-command", "-deactivate"]), env)
    wait_for(lambda: not shows(), EXIT_DEADLINE, "the show ends with the screen saver")


def scenario_xsecurelock_every_monitor_reset_and_end(session):
    """xsecurelock's multiplexer runs a show on each of two RandR monitors of
    the one screen, each in a window named in decimal; its reset (SIGUSR1,
    passed on to each saver) leaves both drawing; the lock's end ends them."""
    width, height = 1024, 384
    session.start_display(size=(width, height))
    halves = {"left": (0, 0, width // 2, height), "right": (width // 2, 0, width, height)}
    for name, output in (("left", "screen"), ("right", "none")):  # the first takes the screen's own monitor's place
        geometry = f"{width // 2}/135x{height}/102+{halves[name][0]}+0"
        session.run(["xrandr", "--setmonitor", name, geometry, output])
    lock_log = session.file("xsecurelock.log")
    with open(lock_log, "wb") as output:
        lock = subprocess.Popen(["xsecurelock"], env=session.environment({"XSECURELOCK_SAVER": session.args.show}),
                                stdin=subprocess.DEVNULL, stdout=output, stderr=subprocess.STDOUT)
    seen = set()
    session.cleanups.append(lambda: kill_all([lock.pid, *seen]))

    def shows():
        found = family(lock.pid)
        seen.update(found)
        return sorted(p for p, command in found.items() if command[0] == session.args.show)

    started = wait_for(lambda: len(shows()) == 2 and shows(), START_DEADLINE, "a show on each monitor")
    windows = [dict(v.split("=", 1) for v in Path(f"/proc/{p}/environ").read_text().split("\0") if "=" in v)
               .get("XSCREENSAVER_WINDOW", "") for p in started]
    if not all(w.isdigit() for w in windows) or len(set(windows)) != 2:
        raise Failure(f"not two windows named in decimal: {windows}")
    for name, region in halves.items():
        wait_for(lambda: shows_swarm(session.x.picture(session.x.root), region), PICTURE_DEADLINE,
                 f"the swarm on the {name} monitor")
    # What xsecurelock sends as its password prompt closes.
    os.kill(next(p for p, command in family(lock.pid).items() if command[0] == "saver_multiplex"), signal.SIGUSR1)
    for name, region in halves.items():
        expect_drawing_on(session, lambda: sorted(set(started) - set(shows())), session.x.root,
                          f"SIGUSR1 ({name} monitor)", region)
    if "saver child failed" in lock_log.read_text():
        raise Failure(f"xsecurelock saw a saver fail: {lock_log.read_text()[-300:]}")
    lock.terminate()
    lock.wait(EXIT_DEADLINE)
    wait_for(lambda: not any(Path(f"/proc/{p}").exists() for p in started), EXIT_DEADLINE,
             "the shows end with the lock")


SCENARIOS = {
    "fullscreen.covers_screen_ends_on_key": scenario_fullscreen_covers_screen_ends_on_key,
    "fullscreen.left_button": button_scenario(1),
    "fullscreen.middle_button": button_scenario(2),
    "fullscreen.right_button": button_scenario(3),
    "fullscreen.release_and_wheel_go_on": scenario_fullscreen_release_and_wheel_go_on,
    "fullscreen.move_by_4_px_goes_on": scenario_fullscreen_move_by_4_px_goes_on,
    "fullscreen.move_by_5_px_ends": scenario_fullscreen_move_by_5_px_ends,
    "fullscreen.first_move_jump_goes_on": scenario_fullscreen_first_move_jump_goes_on,
    "fullscreen.close_request_before_input_ignored": scenario_fullscreen_close_request_before_input_ignored,
    "fullscreen.focus_loss_ends": scenario_fullscreen_focus_loss_ends,
    "fullscreen.says_why_it_ends": scenario_fullscreen_says_why_it_ends,
    "fullscreen.sigterm": scenario_fullscreen_sigterm,
    "window.fills_follows_resize_ends_on_sigterm": scenario_window_fills_follows_resize_ends_on_sigterm,
    "window.destroyed_ends": scenario_window_destroyed_ends,
    "window.unmapped_costs_nothing": scenario_window_unmapped_costs_nothing,
    "window.named_by_screensaver_variable": scenario_window_named_by_screensaver_variable,
    "root.with_fps": scenario_root_with_fps,
    "errors.no_glx": scenario_errors_no_glx,
    "errors.no_display": scenario_errors_no_display,
    "errors.no_such_window": scenario_errors_no_such_window,
    "xml.installed_and_every_setting_runs": scenario_xml_installed_and_every_setting_runs,
    "xscreensaver.list_command_on_real_files": scenario_list_command_on_real_files,
    "xscreensaver.daemon_runs_the_added_entry": scenario_xscreensaver_daemon_runs_the_added_entry,
    "xsecurelock.every_monitor_reset_and_end": scenario_xsecurelock_every_monitor_reset_and_end,
}


def golden_cases(golden_dir):
    cases = {}
    for line in (Path(golden_dir) / "cases.txt").read_text().splitlines():
        if line[:1].isalpha():
            name, *options = line.split()
            cases[name] = options
    return cases


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--show", required=True)
    parser.add_argument("--compare", required=True)
    parser.add_argument("--golden-dir", required=True)
    parser.add_argument("--golden-options", required=True)
    parser.add_argument("--build-dir", required=True)
    parser.add_argument("--source-dir", required=True)
    parser.add_argument("--cmake", default="cmake")
    parser.add_argument("verb", choices=["list", "run"])
    parser.add_argument("name", nargs="?")
    args = parser.parse_args()

    scenarios = dict(SCENARIOS)
    for case, options in golden_cases(args.golden_dir).items():
        scenarios[f"golden.{case}"] = golden_scenario(case, options)
        scenarios[f"golden.{case}.fixed"] = golden_scenario(case, [*options, "--draw-path", "fixed"])
    if args.verb == "list":
        print("\n".join(scenarios))
        return 0
    if args.name not in scenarios:
        print(f"no scenario {args.name!r}", file=sys.stderr)
        return 2
    for tool in ("Xvfb", "xdotool"):
        if shutil.which(tool) is None:
            print(f"{tool} is missing (tools/setup installs it)", file=sys.stderr)
            return 1
    session = Session(args, args.name)
    failed = True
    try:
        scenarios[args.name](session)
        failed = False
    except (Failure, XError) as error:
        log(f"FAILED: {error}")
    finally:
        session.close(failed)
    log("passed" if not failed else "failed")
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
