"""The end-to-end scenarios of Vessmark.dll. Each takes a Session and raises
Failure when the program does not behave as a person would expect.

Every scenario that checks that something does NOT end the show watches for
the settle period, then proves the show is alive and still ends normally."""

import re
import subprocess
import time

from harness import (EXIT_DEADLINE, SAVER_CLASS, SAVER_TITLE, SC_NEXTWINDOW, SC_PREVWINDOW, SC_SCREENSAVE, SCREEN, SHOW_CAPTION,
                     WINDOW_DEADLINE, WM_CLOSE, WM_SYSCOMMAND, Failure, cpu_seconds, log, parse_lines)

CENTRE = (SCREEN[0] // 2, SCREEN[1] // 2)
WS_VISIBLE = 0x10000000
WS_POPUP = 0x80000000
SHOW_STYLE = WS_POPUP | WS_VISIBLE | 0x04000000 | 0x02000000  # | WS_CLIPSIBLINGS | WS_CLIPCHILDREN
WS_EX_TOPMOST = 0x00000008


def start(s, args=()):
    """The pointer rests mid-screen, then the show starts."""
    s.move_to(*CENTRE)
    return s.start_show(args)


def ends_by_key(s, show, why):
    """Proof that a show which survived something still ends as it should."""
    s.press_key("a")
    s.expect_ends(show, f"a key press following {why}")


# --- the window --------------------------------------------------------------

def starts_with(args):
    def scenario(s):
        show = start(s, args)
        w = show.window
        rect = tuple(int(v) for v in w["rect"].split(","))
        style, exstyle = int(w["style"], 16), int(w["exstyle"], 16)
        problems = []
        if w["class"] != SAVER_CLASS:
            problems.append(f"class {w['class']!r}")
        if rect != (0, 0, *SCREEN):
            problems.append(f"rect {rect} does not cover the {SCREEN[0]}x{SCREEN[1]} screen")
        if style != SHOW_STYLE:
            problems.append(f"style 0x{style:08x}, expected 0x{SHOW_STYLE:08x}")
        if not exstyle & WS_EX_TOPMOST:
            problems.append(f"exstyle 0x{exstyle:08x} lacks WS_EX_TOPMOST")
        # What X shows: one mapped window with the caption, as large as the screen.
        ids = s.xdotool("search", "--onlyvisible", "--name", f"^{SHOW_CAPTION}$").split()
        if len(ids) != 1:
            problems.append(f"{len(ids)} mapped X windows named {SHOW_CAPTION}")
        else:
            geometry = s.xdotool("getwindowgeometry", "--shell", ids[0])
            g = parse_lines(geometry)
            if (g["X"], g["Y"], g["WIDTH"], g["HEIGHT"]) != ("0", "0", str(SCREEN[0]), str(SCREEN[1])):
                problems.append(f"X window geometry {g}")
        if problems:
            raise Failure("started with " + (" ".join(args) or "no arguments") + ": " + "; ".join(problems))
        log(f"class {w['class']}, caption {w['caption']}, rect {rect}, style 0x{style:08x}, "
            f"exstyle 0x{exstyle:08x}")
        ends_by_key(s, show, "the start")
    return scenario


# --- the picture ---------------------------------------------------------------

SAMPLE = (256, 192)  # screenshots are judged at a quarter of the screen's size
HUE_BINS = 12


def screen_pixels(s, label):
    """A screenshot of the whole screen, scaled down, as (r, g, b) tuples."""
    shot = s.screenshot(s.output_path(label).with_suffix(".png"))
    if shot is None:
        raise Failure("no screenshot could be taken")
    raw = subprocess.run(["convert", str(shot), "-scale", f"{SAMPLE[0]}x{SAMPLE[1]}!", "-depth", "8", "rgb:-"],
                         stdin=subprocess.DEVNULL, capture_output=True, timeout=60, check=True).stdout
    return [tuple(raw[i:i + 3]) for i in range(0, len(raw), 3)]


def swarm_traits(pixels):
    """How much of the picture is black, and which hues the saturated,
    bright pixels cover (each bin of the colour circle counted once it holds
    a few pixels)."""
    black = 0
    bins = [0] * HUE_BINS
    for r, g, b in pixels:
        high, low = max(r, g, b), min(r, g, b)
        if high < 24:
            black += 1
            continue
        if high >= 96 and (high - low) / high >= 0.6:
            if high == r:
                hue = ((g - b) / (high - low)) % 6
            elif high == g:
                hue = (b - r) / (high - low) + 2
            else:
                hue = (r - g) / (high - low) + 4
            bins[int(hue / 6 * HUE_BINS) % HUE_BINS] += 1
    hues = sum(1 for count in bins if count >= 8)
    return black / len(pixels), hues


def swarm_on_screen(path):
    """A few seconds in, the screen shows the swarm: many saturated colours on
    black, and it moves; drawn the way asked for ("fixed": OpenGL 1.1 forced),
    as the frame report the show writes when it ends says."""
    def scenario(s):
        report = s.work / "frames.txt"
        s.env["VESSMARK_FRAME_REPORT"] = windows_path(report)
        if path == "fixed":
            s.env["VESSMARK_DRAW_PATH"] = "fixed"
        swarm_seen(s, start(s))
        line = report.read_text().strip() if report.exists() else "(no report)"
        log(line)
        frames = re.match(rf"(\d+) frames of {SCREEN[0]}x{SCREEN[1]} in ", line)
        if not frames or int(frames.group(1)) < 10 or not line.endswith(f", {path} path)"):
            raise Failure(f"the frame report does not say the show drew on the {path} path: {line}")
    return scenario


def swarm_seen(s, show):
    deadline = time.monotonic() + 30.0
    while True:
        black, hues = swarm_traits(screen_pixels(s, "swarm"))
        log(f"black {black:.0%} of the screen, {hues} of {HUE_BINS} hues")
        if 0.4 <= black <= 0.995 and hues >= 4:
            break
        if show.proc.poll() is not None:
            raise Failure(f"the show ended ({show.proc.returncode}) before the swarm appeared")
        if time.monotonic() > deadline:
            raise Failure(f"no swarm on the screen after 30 s: black {black:.0%}, {hues} hues")
        time.sleep(0.5)
    first = screen_pixels(s, "before")
    time.sleep(1.0)
    second = screen_pixels(s, "after")
    changed = sum(1 for a, b in zip(first, second) if max(abs(x - y) for x, y in zip(a, b)) > 32)
    log(f"{changed / len(first):.1%} of the screen changed in a second")
    if changed < 0.01 * len(first):
        raise Failure(f"the swarm stands still: {changed} of {len(first)} sampled pixels changed in a second")
    ends_by_key(s, show, "the swarm was seen")


def without_opengl(s):
    """Mesa finds no driver, so OpenGL cannot be set up: the show is still a
    visible, topmost, black window that ends on a key with 0, and it waits
    instead of spinning."""
    without_opengl_drivers(s)
    show = start(s)
    if not int(show.window["exstyle"], 16) & WS_EX_TOPMOST or show.window.get("topmost") != "1":
        raise Failure(f"the window is not topmost: {show.window}")
    black, hues = swarm_traits(screen_pixels(s, "black"))
    log(f"black {black:.1%} of the screen")
    if black < 0.999:
        raise Failure(f"the screen is not black without OpenGL: {black:.1%} black, {hues} hues")
    busy = cpu_busy(show.proc.pid, 2.0)
    log(f"the show used {busy:.0%} of a core over 2 s")
    if busy > IDLE_CPU:
        raise Failure(f"the show spins with nothing to draw: {busy:.0%} of a core")
    ends_by_key(s, show, "a black show without OpenGL")


# A window with nothing to draw may use this share of a core at most.
IDLE_CPU = 0.1


def without_opengl_drivers(s):
    """Programs started from now on find libGL but no Mesa driver for it."""
    s.env["LIBGL_DRIVERS_PATH"] = str(s.work / "no-drivers")


def cpu_busy(pid, seconds):
    """Share of a core the process used over the next seconds."""
    before = cpu_seconds(pid)
    time.sleep(seconds)
    return (cpu_seconds(pid) - before) / seconds


# --- what ends the show ------------------------------------------------------

def key_press(s):
    show = start(s)
    s.press_key("a")
    s.expect_ends(show, "a key press")


def alt_key(s):
    # Alt alone arrives as WM_SYSKEYDOWN, not WM_KEYDOWN.
    show = start(s)
    s.press_key("alt")
    s.expect_ends(show, "a press of Alt")


def button(number, name):
    def scenario(s):
        show = start(s)
        s.click(number)
        s.expect_ends(show, f"a {name} button click")
    return scenario


def activation_loss(s):
    show = start(s)
    other, values = s.start_window_helper(["activate"], "activate")
    log(f"another program's window {values['hwnd']} took the foreground: foreground={values['foreground']}")
    # The line names the program and the window that took the activation.
    s.expect_ends(show, "another window was activated",
                  said=f"on a switch to another program (process {int(values['pid'])} probe.exe, window ")
    other.kill()


def says_why_it_ends(s):
    """The show says on the debug output, once, why it ended, and that it
    ignored a close request: a WM_CLOSE from another program before any input
    is ignored, then a move of 5 px ends the show; a button ends the next, a
    key the third."""
    show = start(s)
    s.probe_ok("post", show.hwnd, WM_CLOSE, 0, 0)
    s.sync(show)
    s.move_by(1, 0)  # never the 5 px move's first move (see move_by_5_px)
    s.sync(show)
    s.move_by(3, 2)
    x, y = CENTRE[0] + 1, CENTRE[1]
    s.expect_ends(show, "a WM_CLOSE and a mouse move of 5 px",
                  said=f"on a mouse move of 5 px (from {x},{y} to {x + 3},{y + 2}).")
    ignored = [line for line in s.show_said(show.proc) if "is ignored" in line]
    if len(ignored) != 1 or not ignored[0].startswith("Vessmark: a close request from another program ") or \
            not ignored[0].endswith("no key, mouse button, mouse move or switch to another program has come yet."):
        raise Failure(f"the show did not say once that it ignored the WM_CLOSE: {s.show_said(show.proc)}")
    for give, said in ((lambda: s.click(1), "on the left mouse button."),
                       (lambda: s.press_key("a"), "on a key press (key code 0x41).")):
        show = start(s)
        give()
        s.expect_ends(show, said, said=said)


# --- what does not end it ----------------------------------------------------

def button_release_alone(s):
    # The X server drops the release of a button that is not down, so the
    # buttons go down before the show exists (nothing under the pointer takes
    # them) and come up over the show: it receives the three releases alone.
    s.move_to(*CENTRE)
    for number in (1, 2, 3):
        s.button_down(number)
    show = s.start_show()
    s.sync(show)
    for number in (1, 2, 3):
        s.button_up(number)
    s.sync(show)
    s.expect_running(show, "releases of the left, middle and right buttons")
    ends_by_key(s, show, "the releases")


def wheel_alone(s):
    show = start(s)
    for number in (4, 5, 4, 5):  # wheel up, down, up, down
        s.click(number)
    s.sync(show)
    s.expect_running(show, "four wheel notches")
    ends_by_key(s, show, "the wheel")


def close_before_input(s):
    show = start(s)
    s.probe_ok("post", show.hwnd, WM_CLOSE, 0, 0)
    s.sync(show)
    s.expect_running(show, "a WM_CLOSE posted by another program before any input")
    ends_by_key(s, show, "the WM_CLOSE")


def syscommand_swallowed(s):
    show = start(s)
    for command, name in ((SC_SCREENSAVE, "SC_SCREENSAVE"), (SC_NEXTWINDOW, "SC_NEXTWINDOW"),
                          (SC_PREVWINDOW, "SC_PREVWINDOW")):
        values = s.probe_ok("send", show.hwnd, WM_SYSCOMMAND, command, 0, 10000)
        if values.get("result") != "0":
            raise Failure(f"WM_SYSCOMMAND {name} answered {values.get('result')}, expected 0")
    s.expect_running(show, "WM_SYSCOMMAND SC_SCREENSAVE, SC_NEXTWINDOW and SC_PREVWINDOW")
    ends_by_key(s, show, "the system commands")


# --- mouse moves -------------------------------------------------------------
# Wine sends the show a WM_MOUSEMOVE at the pointer's position 20-100 ms after
# the window appears under it (see docs/testing.md), so that message and not
# the first real move is the show's first one. The scenarios hold either way.

def first_move_jump(s):
    # With the pointer grabbed by another X client while the show appears, the
    # show sees no pointer at all; the pointer travels far meanwhile, and when
    # the grab ends the show's first mouse move comes from 300 px away.
    s.move_to(200, 200)
    s.grab_pointer()
    show = s.start_show()
    s.move_to(500, 400)
    s.ungrab_pointer()
    s.sync(show)
    if s.cursor() != (500, 400):
        raise Failure(f"the pointer is at {s.cursor()}, not at (500, 400)")
    s.expect_running(show, "a first mouse move of 300+200 px")
    # The move comes from Wine when the grab ends, on a busy machine late.
    ignored = "the first mouse move, 500 px (from 200,200 to 500,400), does not count as input."
    end = time.monotonic() + WINDOW_DEADLINE
    while not any(line.endswith(ignored) for line in s.show_said(show.proc)):
        if time.monotonic() > end:
            raise Failure(f"the show did not say within {WINDOW_DEADLINE:.0f} s that it ignored the first move: "
                          f"{s.show_said(show.proc)}")
        time.sleep(0.1)
    # The first move did not arm the close either: a WM_CLOSE from outside is
    # still refused.
    s.probe_ok("post", show.hwnd, WM_CLOSE, 0, 0)
    s.sync(show)
    s.expect_running(show, "a WM_CLOSE posted after the first move")
    ends_by_key(s, show, "the first move")


def move_by_4_px(s):
    show = start(s)
    # Manhattan distance 4 each; the second lies 8 px from where the show
    # started, 4 px from where the first move left the pointer. Each move is
    # handled before the next is made, so that none are merged.
    for dx, dy in ((3, 1), (3, 1), (-4, 0)):
        s.move_by(dx, dy)
        s.sync(show)
    s.expect_running(show, "three mouse moves of 4 px: (+3,+1), (+3,+1), (-4,0)")
    # Those moves armed the close: a WM_CLOSE from outside now ends the show.
    s.probe_ok("post", show.hwnd, WM_CLOSE, 0, 0)
    s.expect_ends(show, "a WM_CLOSE posted after the mouse moves")


def move_by_5_px(s):
    show = start(s)
    # A move of 1 px first, so that the 5 px move is never the show's first
    # move, whether or not the system sent one when the window appeared.
    s.move_by(1, 0)
    s.sync(show)
    # Manhattan 5, though only 3.6 px in a straight line.
    s.move_by(3, 2)
    s.expect_ends(show, "a mouse move of 5 px (+3,+2)")


# --- a screen saver already up -----------------------------------------------

def single_instance(s):
    other, values = s.start_window_helper(["create", SAVER_CLASS, SAVER_TITLE, 100, 100, 320, 200],
                                          "screensaver")
    existing = values["hwnd"]
    # Another window in front, so that handing the foreground back can be seen.
    s.start_window_helper(["activate"], "activate")
    if s.window(existing)["foreground"] != "0":
        raise Failure("the stand-in screen saver window is still the foreground window")
    stop_file = s.work / "stop-watching"
    watcher = s.wine([s.paths.probe, "watch-new", SAVER_CLASS, windows_path(stop_file), 300000], "watch-new")
    wait_for_line(watcher, "watching=1")
    started = time.monotonic()
    show = s.wine([s.paths.dll, "/s"], "show")
    # Until it exits, or the watcher reports a window (then it will not exit).
    rc = None
    while time.monotonic() - started < EXIT_DEADLINE:
        rc = show.poll()
        if rc is not None or "new=" in watcher.out_path.read_text(errors="replace"):
            break
        time.sleep(0.02)
    ran = time.monotonic() - started
    stop_file.touch()
    wait_exit(watcher, "the window watcher")
    report = parse_lines(watcher.out_path.read_text())
    log(f"the second show ran {ran:.2f} s; the watcher polled {report.get('polls')} times "
        f"and saw {report.get('seen')} new windows")
    if report.get("seen") != "0":
        raise Failure(f"the second show made a window of class {SAVER_CLASS}: {report.get('new')}")
    if rc is None:
        raise Failure(f"the second show still runs after {EXIT_DEADLINE:.0f} s")
    if rc != 0:
        raise Failure(f"the second show exited with {rc}, expected 0")
    state = s.window(existing)
    if state is None:
        raise Failure("the stand-in screen saver window is gone")
    if state["foreground"] != "1":
        raise Failure("the second show did not bring the running screen saver's window to the foreground")
    other.kill()


# --- what the scenarios above take for granted about Wine under Xvfb -------

def windows_path(path):
    return "Z:" + str(path).replace("/", "\\")


def recorded(path):
    """The messages the probe's record window logged: (name, wParam, lParam)."""
    messages = []
    for line in path.read_text(errors="replace").splitlines():
        fields = line.split()
        if len(fields) >= 5 and fields[1] == "ms":
            messages.append((fields[2], int(fields[3].split("=")[1], 16), int(fields[4].split("=")[1], 16)))
    return messages


def wait_for_message(path, name, what, deadline=20.0):
    end = time.monotonic() + deadline
    while True:
        found = [m for m in recorded(path) if m[0] == name]
        if found:
            return found
        if time.monotonic() > end:
            raise Failure(f"Wine did not deliver {what} ({name}) within {deadline:.0f} s: {recorded(path)}")
        time.sleep(0.02)


def wine_input(s):
    """The negative scenarios are only worth something if the input really
    reaches a full-screen window; the probe's record window, made like the
    show's, logs what it receives."""
    # Releases alone, and the wheel.
    s.move_to(*CENTRE)
    s.button_down(1)
    s.button_down(3)
    log_path = s.work / "record-1.log"
    recorder, values = s.start_window_helper(["record", windows_path(log_path)], "record")
    s.probe_ok("sync", values["hwnd"], 10000)
    s.button_up(1)
    s.button_up(3)
    wait_for_message(log_path, "WM_LBUTTONUP", "a left button release")
    wait_for_message(log_path, "WM_RBUTTONUP", "a right button release")
    s.click(4)
    s.click(5)
    wheel = wait_for_message(log_path, "WM_MOUSEWHEEL", "wheel notches")
    s.probe_ok("sync", values["hwnd"], 10000)
    messages = recorded(log_path)
    downs = [m for m in messages if m[0].endswith("BUTTONDOWN")]
    if downs:
        raise Failure(f"button presses arrived where only releases and the wheel were given: {downs}")
    first_input = next(i for i, m in enumerate(messages) if m[0] == "WM_LBUTTONUP")
    appearance_moves = [m for m in messages[:first_input] if m[0] == "WM_MOUSEMOVE"]
    log(f"releases and {len(wheel)} wheel notches delivered alone; moves sent when the window appeared: "
        f"{len(appearance_moves)}")
    s.probe_ok("post", values["hwnd"], WM_CLOSE, 0, 0)
    wait_exit(recorder, "the record window")

    # A pointer grab hides the window's appearance; the first move after it
    # comes from where the pointer went meanwhile.
    s.move_to(200, 200)
    s.grab_pointer()
    log_path = s.work / "record-2.log"
    recorder, values = s.start_window_helper(["record", windows_path(log_path)], "record")
    s.probe_ok("sync", values["hwnd"], 10000)
    s.move_to(500, 400)
    s.probe_ok("sync", values["hwnd"], 10000)
    early = [m for m in recorded(log_path) if m[0] == "WM_MOUSEMOVE"]
    if early:
        raise Failure(f"mouse moves reached the window while another client held the pointer: {early}")
    s.ungrab_pointer()
    first = wait_for_message(log_path, "WM_MOUSEMOVE", "a mouse move after the grab ended")[0]
    position = (first[2] & 0xFFFF, first[2] >> 16)
    if position != (500, 400):
        raise Failure(f"the first move after the grab reports {position}, not (500, 400)")
    log("under a pointer grab the window saw no move; the first one came from (500, 400)")
    s.probe_ok("post", values["hwnd"], WM_CLOSE, 0, 0)
    wait_exit(recorder, "the record window")


def wait_for_line(proc, line, deadline=30.0):
    end = time.monotonic() + deadline
    while line not in proc.out_path.read_text(errors="replace").splitlines():
        if proc.poll() is not None:
            raise Failure(f"{proc.label} exited with {proc.returncode} before printing {line}")
        if time.monotonic() > end:
            raise Failure(f"{proc.label} did not print {line} within {deadline:.0f} s")
        time.sleep(0.02)


def wait_exit(proc, what, deadline=30.0):
    try:
        return proc.wait(timeout=deadline)
    except subprocess.TimeoutExpired:
        raise Failure(f"{what} still runs after {deadline:.0f} s") from None


SCENARIOS = {
    "starts_with.no_args": starts_with(()),
    "starts_with.slash_s": starts_with(("/s",)),
    "starts_with.slash_c": starts_with(("/c",)),
    "starts_with.slash_p_1234": starts_with(("/p", "1234")),
    "starts_with.hello": starts_with(("hello",)),
    "key_press": key_press,
    "alt_key": alt_key,
    "left_button": button(1, "left"),
    "middle_button": button(2, "middle"),
    "right_button": button(3, "right"),
    "activation_loss": activation_loss,
    "says_why_it_ends": says_why_it_ends,
    "button_release_alone": button_release_alone,
    "wheel_alone": wheel_alone,
    "close_before_input": close_before_input,
    "syscommand_swallowed": syscommand_swallowed,
    "mouse_move.first_move_jump": first_move_jump,
    "mouse_move.by_4_px": move_by_4_px,
    "mouse_move.by_5_px": move_by_5_px,
    "single_instance": single_instance,
    "swarm_on_screen": swarm_on_screen("instanced"),
    "swarm_on_screen.fixed": swarm_on_screen("fixed"),
    "without_opengl": without_opengl,
}

PLATFORM_SCENARIOS = {
    "wine_input": wine_input,
}
