"""The end-to-end scenarios of Vessmark.scr with Vessmark.dll beside it.

Each scenario copies both programs into a folder of its own (with a blank in
its name, as in "Program Files"), so that a settings file written there or a
renderer taken away never reaches another scenario. The front end is the
copied Vessmark.scr; the show it starts is the copied Vessmark.dll, found
again on the Linux side by its command line."""

import os
import shutil
import signal
import subprocess
import time

from harness import (EXIT_DEADLINE, SAVER_CLASS, SETTLE, SHOW_CAPTION, WINDOW_DEADLINE, WM_CLOSE, Failure, log,
                     process_alive, process_cmdline, programs_in, stop_pid, what_it_wrote, windows_path)
from music_scenarios import KEY_FILE, KEY_KIND, KEY_REPEAT, MP3_BAND, MP3_HZ, SECTION, WAV_BAND, WAV_HZ, run_driver
from sound import AUDIBLE_BAND_RMS, RATE, make_tone

FRONT_END_CAPTION = "Tavisk_Main"
SETTINGS_CAPTION = "<Vessmark>"
FORM_CLASS = "VessmarkForm"
PREVIEW_CAPTION = "Preview Window"
DIALOG_CLASS = "#32770"
BOX_CAPTION = "Vessmark (ScreenSaver)"
BOX_TEXT = "Vessmark.dll が Vessmark.scr と同じﾌｫﾙﾀﾞに見つかりません！"
PREVIEW_PICTURE_ID = 200
PREVIEW_PICTURE_SIZE = (152, 112)

# Every top-level window the front end or the renderer could make.
ANY_OF_OURS = ",".join([FORM_CLASS, SAVER_CLASS, DIALOG_CLASS])

WS_CHILD = 0x40000000
WS_VISIBLE = 0x10000000
SS_TYPEMASK, SS_ICON = 0x1F, 0x03
MB_OK, MB_ICONEXCLAMATION = 0x0, 0x30
IDOK = 1
STM_GETICON = 0x0171

# A start that must end by itself does so within this; a renderer's end is
# followed by the front end's within this.
QUICK_END = 10.0
FRONT_END_AFTER_RENDERER = 1.0
# After the show ends, the sink is silent from this long on.
SILENT_AFTER = 1.0


# --- the programs in a folder of the scenario's own ---------------------------

class Saver:
    """Vessmark.scr (and Vessmark.dll, unless left out) copied into a folder of
    the scenario's own."""

    def __init__(self, s, folder="Vessmark Saver", renderer=True):
        self.s = s
        self.folder = s.work / folder
        self.folder.mkdir(parents=True)
        self.scr = self.folder / "Vessmark.scr"
        self.dll = self.folder / "Vessmark.dll"
        shutil.copy2(s.paths.scr, self.scr)
        if renderer:
            shutil.copy2(s.paths.dll, self.dll)

    def settings(self, kind, repeat=0, music=""):
        """Vessmark.ini beside the program, as the settings dialog writes it."""
        music_text = windows_path(music).encode() if music else b""
        (self.folder / "Vessmark.ini").write_bytes(
            SECTION + KEY_KIND + f"={kind}\r\n".encode() + KEY_REPEAT + f"={repeat}\r\n".encode()
            + KEY_FILE + b"=" + music_text + b"\r\n")

    def start(self, *args, label="scr"):
        return self.s.wine([self.scr, *args], label + "".join(a.replace("/", "-") for a in map(str, args)))

    def looping_wav(self, kind=2):
        """A one-second WAV tone made in the scenario's "My Music", chosen in
        the settings with the given kind; returns its path."""
        wav = self.s.work / "My Music" / "loop tone.wav"
        make_tone(wav, 1, WAV_HZ)
        self.settings(kind, 0, wav)
        return wav

    def renderer_pids(self):
        return [pid for pid in programs_in(self.folder) if "Vessmark.dll" in process_cmdline(pid)]


def clear_leftovers(s):
    """Programs of these scenarios left by one that was itself killed (by
    CTest's timeout, say): the fixture looks only for the build's own copies."""
    for pid in programs_in(s.paths.work):
        cmdline = process_cmdline(pid)
        if "Vessmark.scr" in cmdline or "Vessmark.dll" in cmdline:
            log(f"stopping a leftover: {pid} {cmdline}")
            stop_pid(pid, "Vessmark")


class Running:
    """A show started through Vessmark.scr: the front end's process, its
    hidden window, the renderer's window and process."""

    def __init__(self, front_end, front_window, show_window, renderer_pid):
        self.front_end = front_end
        self.front_window = front_window
        self.show_window = show_window
        self.renderer_pid = renderer_pid


def start_show(s, saver, *args):
    """Starts a show through the front end and waits for both windows. A start
    under Wine can rarely fail to create any window; it gets one retry."""
    s.no_show_up()
    for attempt in range(2):
        started = time.monotonic()
        front_end = saver.start(*args)
        window = None
        end = time.monotonic() + WINDOW_DEADLINE
        while window is None and front_end.poll() is None and time.monotonic() < end:
            rc, values = s.probe("wait", SAVER_CLASS, SHOW_CAPTION, 2000, "visible")
            window = values if rc == 0 else None
        if window is not None:
            log(f"show window {window['hwnd']} up {time.monotonic() - started:.2f} s after the front end's start")
            rc, front_window = s.probe("find", "-", FRONT_END_CAPTION)
            if rc != 0:
                raise Failure(f"no window captioned {FRONT_END_CAPTION} while the show runs "
                              f"(front end: {front_end.poll()})")
            pids = saver.renderer_pids()
            if len(pids) != 1:
                raise Failure(f"expected one renderer process started from {saver.folder}, found {pids}")
            return Running(front_end, front_window, window, pids[0])
        why = (f"the front end exited with {front_end.returncode}" if front_end.poll() is not None
               else f"no show window within {WINDOW_DEADLINE:.0f} s")
        log(f"start {attempt + 1}: {why}; output in {front_end.out_path.parent}")
        if front_end.poll() is None:
            front_end.kill()
            front_end.wait()
        for pid in saver.renderer_pids():
            stop_pid(pid, "Vessmark.dll")
    raise Failure("the show never showed its window (2 starts)")


def expect_front_end_window(running):
    """The front end's window: hidden, top-level, in another process than the
    show's window."""
    w = running.front_window
    if w.get("visible") != "0":
        raise Failure(f"the front end's window {FRONT_END_CAPTION} is visible: {w}")
    if w.get("pid") == running.show_window.get("pid"):
        raise Failure(f"{FRONT_END_CAPTION} and {SHOW_CAPTION} belong to one process: {w}")
    log(f"{FRONT_END_CAPTION}: class {w['class']}, hidden, style {w['style']}, process {w['pid']}; "
        f"{SHOW_CAPTION} in process {running.show_window['pid']}")


def expect_show_ends(s, running, why, deadline=EXIT_DEADLINE):
    """The renderer ends (after a key press, say), and the front end follows
    within a second, with exit code 0 and no window of either left."""
    started = time.monotonic()
    end = started + deadline
    renderer_gone = None
    while True:
        now = time.monotonic()
        if renderer_gone is None and not process_alive(running.renderer_pid):
            renderer_gone = now
        if running.front_end.poll() is not None:
            break
        if renderer_gone is not None and now - renderer_gone > deadline:
            raise Failure(f"the front end still runs {deadline:.0f} s after the renderer ended ({why})")
        if now > end and renderer_gone is None:
            raise Failure(f"the renderer still runs {deadline:.0f} s after {why}")
        time.sleep(0.005)
    front_end_gone = time.monotonic()
    if renderer_gone is None:
        # The front end saw the show's window go while the renderer's process
        # was still being taken down: that process must end all the same.
        while process_alive(running.renderer_pid):
            if time.monotonic() > front_end_gone + deadline:
                raise Failure(f"the renderer still runs {deadline:.0f} s after the front end ended ({why})")
            time.sleep(0.005)
        renderer_gone = front_end_gone
    lag = front_end_gone - renderer_gone
    log(f"after {why}: renderer gone {renderer_gone - started:.2f} s later, front end {lag:.3f} s after it, "
        f"exit code {running.front_end.returncode}")
    if running.front_end.returncode != 0:
        raise Failure(f"the front end ended with exit code {running.front_end.returncode} after {why}")
    if lag > FRONT_END_AFTER_RENDERER:
        raise Failure(f"the front end ended {lag:.2f} s after the renderer, more than "
                      f"{FRONT_END_AFTER_RENDERER:.0f} s")
    for caption in (FRONT_END_CAPTION, SHOW_CAPTION):
        rc, values = s.probe("find", "-", caption)
        if rc == 0:
            raise Failure(f"a window captioned {caption} is left after the show: {values}")


def expect_quick_end(proc, what, since=None, deadline=QUICK_END):
    """A start that must end at once (or a program that must end after
    something happened at the time since): exit code 0 within the deadline.
    Returns the seconds it took."""
    started = time.monotonic() if since is None else since
    try:
        rc = proc.wait(timeout=max(0.0, started + deadline - time.monotonic()))
    except subprocess.TimeoutExpired:
        raise Failure(f"{what} still runs {deadline:.0f} s later") from None
    if rc != 0:
        raise Failure(f"{what} ended with exit code {rc}{what_it_wrote(proc)}")
    return time.monotonic() - started


class Watcher:
    """probe watch-new over the whole of a step: reports every window of ours
    that appears meanwhile."""

    def __init__(self, s, classes=ANY_OF_OURS, label="watch"):
        self.s = s
        self.stop_file = s.output_path(f"{label}-stop").with_suffix(".flag")
        self.proc = s.wine([s.paths.probe, "watch-new", classes, windows_path(self.stop_file), 600000], label)
        end = time.monotonic() + WINDOW_DEADLINE
        while "watching=1" not in self.proc.out_path.read_text(errors="replace"):
            if self.proc.poll() is not None or time.monotonic() > end:
                raise Failure(f"the window watcher did not start: {self.proc.out_path.read_text(errors='replace')}")
            time.sleep(0.02)

    def new_windows(self):
        return [line[4:] for line in self.proc.out_path.read_text(errors="replace").splitlines()
                if line.startswith("new=")]

    def finish(self):
        self.stop_file.write_text("")
        self.proc.wait(timeout=WINDOW_DEADLINE)
        return self.new_windows()


def expect_no_window(watcher, what):
    seen = watcher.finish()
    if seen:
        raise Failure(f"{what} made windows: {seen}")


# --- sound -------------------------------------------------------------------

class BandProfile:
    """The level of one frequency band along a recording, in short windows:
    where a tone starts, and for how long it is heard."""

    STEP = 0.1

    def __init__(self, recording, band):
        filtered = recording.path.with_suffix(f".{band[0]}-{band[1]}.raw")
        subprocess.run(["sox", "-t", "raw", "-r", str(RATE), "-e", "signed", "-b", "16", "-c", "2",
                        str(recording.path), "-t", "raw", "-e", "signed", "-b", "16", str(filtered),
                        "sinc", "-t", "20", f"{band[0]}-{band[1]}"],
                       check=True, stdin=subprocess.DEVNULL, capture_output=True, timeout=120)
        data = memoryview(filtered.read_bytes()).cast("h")
        per_window = int(RATE * self.STEP) * 2
        self.levels = []
        for start in range(0, len(data) - per_window + 1, per_window):
            window = data[start:start + per_window]
            self.levels.append((sum(v * v for v in window) / len(window)) ** 0.5 / 32768.0)

    def onset(self):
        """Where the tone is first heard (seconds), or None."""
        for i, level in enumerate(self.levels):
            if level >= AUDIBLE_BAND_RMS:
                return i * self.STEP
        return None

    def heard(self, start, end):
        """Seconds of tone between two positions."""
        first, last = int(start / self.STEP + 0.999), int(end / self.STEP)
        return sum(self.STEP for level in self.levels[first:last] if level >= AUDIBLE_BAND_RMS)


def record_until(recording, position, deadline=20.0):
    """Records at least up to the position (seconds), then stops: an idle sink
    hands its data over in blocks."""
    end = time.monotonic() + deadline
    while recording.mark() < position and time.monotonic() < end:
        time.sleep(0.05)
    recording.stop(tail=0.2)
    if recording.length() < position:
        raise Failure(f"the recording reached only {recording.length():.2f} s of {position:.2f} s")


def expect_wave_device(s):
    """The control of every silent check: Wine does see the private server's
    sink, so a tone would have been recorded."""
    s.sound()
    values = run_driver(s, "wave-devices")
    if int(values.get("devices", "0")) < 1:
        raise Failure(f"Wine sees no wave output device through the private server: {values}")


def show_with_music(s, saver, seconds):
    """Starts a show with the settings as written, lets it run, ends it with a
    key press; returns the recording and where the key press fell in it."""
    recording = s.sound().record()
    running = start_show(s, saver, "/s")
    time.sleep(seconds)
    if running.front_end.poll() is not None:
        raise Failure(f"the front end ended ({running.front_end.returncode}) before the key press")
    s.press_key("a")
    key = recording.mark()
    log(f"key press at {key:.2f} s of the recording")
    expect_show_ends(s, running, "a key press")
    record_until(recording, key + SILENT_AFTER + 1.0)
    return recording, key


# --- the show through the front end -------------------------------------------

def show_runs(*args):
    def scenario(s):
        clear_leftovers(s)
        saver = Saver(s)
        running = start_show(s, saver, *args)
        expect_front_end_window(running)
        s.press_key("a")
        expect_show_ends(s, running, "a key press")
    return scenario


def folder_with_blank(s):
    """The programs in a folder whose name has a blank, and beside that folder
    a program named like the folder's first word: the renderer started must
    be Vessmark.dll by its full path, never that program."""
    clear_leftovers(s)
    saver = Saver(s)
    decoy = s.work / "Vessmark.exe"  # what ...\Vessmark Saver\Vessmark.dll unquoted would start
    shutil.copy2(s.paths.probe, decoy)
    # Started instead of the renderer, the decoy (the probe) would end at once
    # with a usage error, and no show would come up.
    running = start_show(s, saver, "/s")
    s.press_key("a")
    expect_show_ends(s, running, "a key press")


def renderer_killed(s):
    """The renderer killed from outside mid-show: the front end notices, stops
    the music and ends."""
    clear_leftovers(s)
    saver = Saver(s)
    saver.looping_wav()
    recording = s.sound().record()
    running = start_show(s, saver, "/s")
    time.sleep(2.5)
    if "Vessmark.dll" not in process_cmdline(running.renderer_pid):
        raise Failure(f"process {running.renderer_pid} is not the renderer any more")
    os.kill(running.renderer_pid, signal.SIGKILL)
    killed = recording.mark()
    log(f"renderer {running.renderer_pid} killed at {killed:.2f} s of the recording")
    expect_show_ends(s, running, "the renderer was killed")
    record_until(recording, killed + SILENT_AFTER + 1.0)
    recording.expect_tone(killed - 1.5, killed - 0.1, WAV_BAND, "before the kill")
    recording.expect_silence(killed + SILENT_AFTER, recording.length(), "after the kill")


# --- music chosen in the settings file ------------------------------------------

def mp3_with_blanks(s):
    """An MP3 shorter than the show, in a path with blanks: heard at once,
    heard again after its end, silent within a second after the show."""
    clear_leftovers(s)
    saver = Saver(s)
    seconds = 1.5
    mp3 = s.work / "My Music" / "short tone.mp3"
    make_tone(mp3, seconds, MP3_HZ)
    saver.settings(2, 0, mp3)
    recording, key = show_with_music(s, saver, 6.5)
    profile = BandProfile(recording, MP3_BAND)
    onset = profile.onset()
    if onset is None or onset > key - 4.0:
        raise Failure(f"the MP3 was not heard early in the show (first heard at {onset}, key press at {key:.2f} s)")
    recording.expect_tone(onset + 0.2, onset + seconds - 0.3, MP3_BAND, "the MP3's first play")
    # Played once, it would be silent after its length; played again, it is
    # heard for most of the rest (the check comes every second).
    again = profile.heard(onset + seconds + 0.3, key - 0.1)
    log(f"tone heard {again:.1f} s of the {key - 0.1 - onset - seconds - 0.3:.1f} s after the first play's end")
    if again < 1.0:
        raise Failure(f"the MP3 was not heard again after its end: {again:.1f} s of tone after "
                      f"{onset + seconds + 0.3:.2f} s")
    recording.expect_silence(key + SILENT_AFTER, recording.length(), "after the show")


def wav_loops(s):
    clear_leftovers(s)
    saver = Saver(s)
    saver.looping_wav()
    recording, key = show_with_music(s, saver, 3.5)
    # The file is a second long: two seconds of tone mean it loops.
    recording.expect_tone(key - 2.1, key - 0.1, WAV_BAND, "the WAV during the show")
    recording.expect_silence(key + SILENT_AFTER, recording.length(), "after the show")


def cd_without_drive(s):
    """The audio CD with no drive: the show runs silently and ends normally.
    A music file in the settings too, which the CD choice must not play."""
    clear_leftovers(s)
    saver = Saver(s)
    saver.looping_wav(kind=1)
    expect_wave_device(s)
    recording, key = show_with_music(s, saver, 3.0)
    recording.expect_silence(0.0, recording.length(), "the whole show with the CD chosen")


def wma_plays_nothing(s):
    """Kind 2 with a file ending in ".wma" plays nothing. The same bytes under
    a ".wav" name are heard, so the silence is the ending's doing."""
    clear_leftovers(s)
    saver = Saver(s)
    wav = s.work / "My Music" / "loop tone.wav"
    make_tone(wav, 1, WAV_HZ)
    wma = wav.with_name("loop tone.wma")
    shutil.copy2(wav, wma)
    saver.settings(2, 0, wma)
    expect_wave_device(s)
    recording, key = show_with_music(s, saver, 3.0)
    recording.expect_silence(0.0, recording.length(), "the whole show with a .wma file")
    saver.settings(2, 0, wav)
    recording, key = show_with_music(s, saver, 2.5)
    recording.expect_tone(key - 1.5, key - 0.1, WAV_BAND, "the same bytes as .wav")


# --- one instance at a time --------------------------------------------------------

def second_start_while_show_runs(s):
    """While a show runs, every further start ends at once: "/s" and "/c" from a
    folder without the renderer end without its message box (the instance
    check comes first), "/p" leaves a pane empty, and no window of ours
    appears."""
    clear_leftovers(s)
    saver = Saver(s)
    bare = Saver(s, "Without Renderer", renderer=False)
    _, pane_window = s.start_window_helper(["pane", 100, 100, 152, 112], "pane")
    running = start_show(s, saver, "/s")
    watcher = Watcher(s)
    starts = [(saver, ("/s",)), (bare, ("/s",)), (bare, ("/c",)), (saver, ("/c",)), (saver, ("/p", "1234")),
              (bare, ("/p", str(int(pane_window["hwnd"], 16)))), (saver, ("/p", str(int(pane_window["hwnd"], 16))))]
    for copy, args in starts:
        what = f"Vessmark.scr {' '.join(args)} from {copy.folder.name!r}"
        took = expect_quick_end(copy.start(*args, label="second"), what)
        log(f"{what}: ended with 0 after {took:.2f} s")
    if controls_of(s, pane_window["hwnd"]):
        raise Failure(f"a second start filled the pane: {controls_of(s, pane_window['hwnd'])}")
    expect_no_window(watcher, "the second starts")
    if running.front_end.poll() is not None or not process_alive(running.renderer_pid):
        raise Failure("the running show ended during the second starts")
    s.press_key("a")
    expect_show_ends(s, running, "a key press after the second starts")


def second_start_while_settings_open(s):
    """A window captioned as the settings dialog stands for one that is open:
    a start then ends at once too."""
    clear_leftovers(s)
    saver = Saver(s)
    bare = Saver(s, "Without Renderer", renderer=False)
    s.start_window_helper(["create", "VessmarkProbeSettings", SETTINGS_CAPTION, "hidden"], "settings-stand-in")
    watcher = Watcher(s)
    for copy, args in [(bare, ("/s",)), (saver, ("/s",)), (saver, ())]:
        what = f"Vessmark.scr {' '.join(args) or '(no arguments)'} from {copy.folder.name!r}"
        took = expect_quick_end(copy.start(*args, label="second"), what)
        log(f"{what}: ended with 0 after {took:.2f} s")
    expect_no_window(watcher, "starts while the settings are open")
    if saver.renderer_pids():
        raise Failure(f"a renderer was started: {saver.renderer_pids()}")


def simultaneous_starts(s):
    """Two shows started in the same instant, ten times over: each time exactly
    one front end goes on (the other ends at once with 0), one renderer runs,
    and the music plays once, not twice as loud."""
    clear_leftovers(s)
    saver = Saver(s)
    saver.looping_wav()
    recording = s.sound().record()
    spans = []
    for attempt in range(1, SIMULTANEOUS_ATTEMPTS + 1):
        s.no_show_up()
        pair = [saver.start("/s", label=f"first{attempt}"), saver.start("/s", label=f"second{attempt}")]
        rc, window = s.probe("wait", SAVER_CLASS, SHOW_CAPTION, int(WINDOW_DEADLINE * 1000), "visible")
        if rc != 0:
            raise Failure(f"attempt {attempt}: no show window (front ends: {[p.poll() for p in pair]})")
        end = time.monotonic() + QUICK_END
        while all(p.poll() is None for p in pair) and time.monotonic() < end:
            time.sleep(0.02)
        ended = [p for p in pair if p.poll() is not None]
        if len(ended) != 1:
            raise Failure(f"attempt {attempt}: {2 - len(ended)} front ends run beside one show window")
        if ended[0].returncode != 0:
            raise Failure(f"attempt {attempt}: the second front end ended with {ended[0].returncode}"
                          f"{what_it_wrote(ended[0])}")
        winner = next(p for p in pair if p.poll() is None)
        time.sleep(SETTLE)
        front_ends = [pid for pid in programs_in(saver.folder) if "Vessmark.scr" in process_cmdline(pid)]
        renderers = saver.renderer_pids()
        if len(front_ends) != 1 or len(renderers) != 1:
            raise Failure(f"attempt {attempt}: front ends {front_ends}, renderers {renderers}")
        start = recording.mark()
        time.sleep(1.0)
        s.press_key("a")
        key = recording.mark()
        spans.append((start, key))
        expect_show_ends(s, Running(winner, None, window, renderers[0]), f"a key press (attempt {attempt})")
    record_until(recording, spans[-1][1] + 0.5)
    for attempt, (start, key) in enumerate(spans, 1):
        level = recording.rms(start, key - 0.1, WAV_BAND)
        log(f"attempt {attempt}: band RMS {level:.3f} over {start:.2f}..{key - 0.1:.2f} s")
        if not AUDIBLE_BAND_RMS <= level < DOUBLE_LEVEL:
            raise Failure(f"attempt {attempt}: the music's band RMS is {level:.3f}; one play gives about "
                          f"{SINGLE_LEVEL}, two together about {2 * SINGLE_LEVEL}")


SIMULTANEOUS_ATTEMPTS = 10
# The test tone's band RMS as one WAV play gives it; two plays at once add up.
SINGLE_LEVEL = 0.35
DOUBLE_LEVEL = 0.5


# --- the renderer missing ----------------------------------------------------------

def controls_of(s, hwnd):
    """The windows in a window, each as a dict (see probe children)."""
    rc, children = s.probe("children", hwnd)
    if rc != 0:
        raise Failure(f"window {hwnd} went away while it was read: {children}")
    return [{key.split(".", 2)[2]: value for key, value in children.items() if key.startswith(f"child.{i}.")}
            for i in range(int(children["count"]))]


def message_box_state(s):
    """The message box of the front end (found by its caption) and its controls."""
    rc, box = s.probe("wait", "-", BOX_CAPTION, int(WINDOW_DEADLINE * 1000), "visible")
    if rc != 0:
        return None, None
    return box, controls_of(s, box["hwnd"])


def icon_shown(s, controls):
    """Whether an icon control of the box holds an icon."""
    for c in controls:
        if c["class"] == "Static" and int(c["style"], 16) & SS_TYPEMASK == SS_ICON and c["visible"] == "1":
            values = s.probe_ok("send", c["hwnd"], STM_GETICON, 0, 0, 10000)
            if values.get("result") != "0":
                return True
    return False


def check_message_box(s, box, controls):
    problems = []
    if box["class"] != DIALOG_CLASS:
        problems.append(f"class {box['class']!r}")
    if box["caption"] != BOX_CAPTION:
        problems.append(f"caption {box['caption']!r}")
    texts = [c["caption"] for c in controls if c["class"] == "Static" and c["caption"]]
    if texts != [BOX_TEXT]:
        problems.append(f"text {texts!r}")
    buttons = [c for c in controls if c["class"] == "Button" and c["visible"] == "1"]
    if [(b["caption"], b["id"]) for b in buttons] != [("OK", str(IDOK))]:
        problems.append(f"buttons {[(b['caption'], b['id']) for b in buttons]}")
    if icon_shown(s, controls):
        problems.append("an icon is shown")
    return problems


def probe_box_with_icon(s):
    """The control of the icon check: a message box of the probe's own with an
    icon is seen to have one."""
    caption = "probe message box"
    proc = s.wine([s.paths.probe, "message-box", caption, MB_OK | MB_ICONEXCLAMATION], "probe-message-box")
    rc, box = s.probe("wait", DIALOG_CLASS, caption, int(WINDOW_DEADLINE * 1000), "visible")
    if rc != 0:
        raise Failure(f"the probe's own message box did not appear: {proc.out_path.read_text(errors='replace')}")
    controls = controls_of(s, box["hwnd"])
    if not icon_shown(s, controls):
        raise Failure(f"the icon of a message box with MB_ICONEXCLAMATION is not seen: {controls}")
    s.probe_ok("post", box["hwnd"], WM_CLOSE, 0, 0)
    expect_quick_end(proc, "the probe's message box")


def renderer_missing(args, answer, icon_control=False):
    """Vessmark.dll removed: the message box with its exact text and caption,
    one OK button, no icon; nothing else appears, and the program ends once it
    is answered (answer: "key" presses Enter, "click" clicks OK)."""
    def scenario(s):
        clear_leftovers(s)
        if icon_control:
            probe_box_with_icon(s)
        saver = Saver(s, renderer=False)
        watcher = Watcher(s, ",".join([FORM_CLASS, SAVER_CLASS]))
        started = time.monotonic()
        proc = saver.start(*args)
        box, controls = message_box_state(s)
        if box is None:
            raise Failure(f"no message box captioned {BOX_CAPTION!r} (front end: {proc.poll()})")
        log(f"message box {box['hwnd']} up {time.monotonic() - started:.2f} s after the start")
        problems = check_message_box(s, box, controls)
        if problems:
            raise Failure("the message box: " + "; ".join(problems) + f" ({box}, {controls})")
        log(f"class {box['class']}, caption {box['caption']!r}, text {BOX_TEXT!r}, one OK button, no icon")
        # It waits for its answer.
        time.sleep(SETTLE)
        if proc.poll() is not None:
            raise Failure(f"the program ended ({proc.returncode}) with its message box unanswered")
        answered = time.monotonic()
        if answer == "key":
            s.press_key("Return")
        else:
            ok = next(c for c in controls if c["class"] == "Button")
            left, top, right, bottom = map(int, ok["screen"].split(","))
            s.move_to((left + right) // 2, (top + bottom) // 2)
            s.click(1)
        took = expect_quick_end(proc, f"Vessmark.scr {' '.join(args)} after OK", since=answered)
        log(f"ended with 0, {took:.2f} s after OK was {'pressed' if answer == 'key' else 'clicked'}")
        expect_no_window(watcher, f"Vessmark.scr {' '.join(args)} without its renderer")
        rc, values = s.probe("find", "-", BOX_CAPTION)
        if rc == 0:
            raise Failure(f"the message box is still there: {values}")
    return scenario


def renderer_unstartable(s):
    """A Vessmark.dll that exists but is no program (zero bytes): a message box
    says it cannot be started and why; no music plays, no show window
    appears, and the program ends with 0 once the box is answered."""
    clear_leftovers(s)
    saver = Saver(s, renderer=False)
    saver.dll.write_bytes(b"")
    saver.looping_wav()
    expect_wave_device(s)
    recording = s.sound().record()
    watcher = Watcher(s, SAVER_CLASS)
    proc = saver.start("/s")
    box, controls = message_box_state(s)
    if box is None:
        raise Failure(f"no message box captioned {BOX_CAPTION!r} (front end: {proc.poll()})")
    texts = [c["caption"] for c in controls if c["class"] == "Static" and c["caption"]]
    lines = texts[0].split("\\r\\n") if len(texts) == 1 else []
    log(f"message box: {texts}")
    if len(lines) < 2 or lines[0] != UNSTARTABLE_TEXT or not lines[1].strip():
        raise Failure(f"the message box should say {UNSTARTABLE_TEXT!r} and the system's reason: {texts}")
    time.sleep(SETTLE)
    if proc.poll() is not None:
        raise Failure(f"the program ended ({proc.returncode}) with its message box unanswered")
    s.press_key("Return")
    expect_quick_end(proc, "Vessmark.scr /s after the message")
    expect_no_window(watcher, "a show whose renderer cannot start")
    recording.stop()
    recording.expect_silence(0.0, recording.length(), "a show whose renderer cannot start")


UNSTARTABLE_TEXT = "Vessmark.dll を起動できません。"


# --- no usable OpenGL, install folders the code page cannot name -------------------

def without_opengl_music_stops(s):
    """Mesa finds no driver: the show is a black window all the same, the music
    plays, and a key ends both."""
    clear_leftovers(s)
    saver = Saver(s)
    saver.looping_wav()
    s.env["LIBGL_DRIVERS_PATH"] = str(s.work / "no-drivers")
    recording, key = show_with_music(s, saver, 3.0)
    recording.expect_tone(key - 2.1, key - 0.1, WAV_BAND, "the WAV beside a black show")
    recording.expect_silence(key + SILENT_AFTER, recording.length(), "after the show")


def folder_outside_code_page(folder):
    """The programs in a folder whose name the ANSI code page (1252 here)
    cannot hold: the renderer is found and started, and the music chosen in
    the settings file beside them plays."""
    def scenario(s):
        clear_leftovers(s)
        s.env.update({"LANG": "C.UTF-8", "LC_ALL": "C.UTF-8"})
        saver = Saver(s, folder)
        saver.looping_wav()
        recording, key = show_with_music(s, saver, 3.0)
        recording.expect_tone(key - 2.1, key - 0.1, WAV_BAND, f"the WAV chosen beside the programs in {folder!r}")
        recording.expect_silence(key + SILENT_AFTER, recording.length(), "after the show")
    return scenario


# --- the preview pane ----------------------------------------------------------------

def preview_child(s, pane_hwnd, proc=None, deadline=WINDOW_DEADLINE):
    """Waits for a visible child in the pane; returns the pane's client
    rectangle and the children. A program that ends first fails at once."""
    end = time.monotonic() + deadline
    while True:
        rc, values = s.probe("children", pane_hwnd)
        if values.get("exists") == "0":
            raise Failure("the pane is gone")
        if values.get("count") not in (None, "0") and values.get("child.0.visible") == "1":
            return values
        if proc is not None and proc.poll() is not None:
            raise Failure(f"the program ended ({proc.returncode}) with no child in the pane: {values}")
        if time.monotonic() > end:
            running = "" if proc is None else f"; the program still runs: {proc.poll() is None}"
            raise Failure(f"no visible child in the pane within {deadline:.0f} s: {values}{running}")
        time.sleep(0.05)


def preview_fills(width, height, renderer=True):
    """"/p" with the handle of a borderless pane of the probe: the preview is a
    child of the pane that fills its client area, in the program's process;
    destroying the pane ends the program."""
    def scenario(s):
        clear_leftovers(s)
        saver = Saver(s, renderer=renderer)
        pane, pane_window = s.start_window_helper(["pane", 100, 100, width, height], "pane")
        started = time.monotonic()
        proc = saver.start("/p", int(pane_window["hwnd"], 16))  # the handle in decimal, as Windows gives it
        values = preview_child(s, pane_window["hwnd"], proc)
        log(f"preview up {time.monotonic() - started:.2f} s after the start")
        problems = []
        if values["count"] != "1":
            problems.append(f"{values['count']} windows in the pane")
        if values["client"] != f"0,0,{width},{height}":
            problems.append(f"the pane's client area is {values['client']}")
        if values["child.0.caption"] != PREVIEW_CAPTION:
            problems.append(f"caption {values['child.0.caption']!r}")
        if values["child.0.parent"] != pane_window["hwnd"]:
            problems.append(f"parent {values['child.0.parent']}")
        if values["child.0.rect"] != f"0,0,{width},{height}":
            problems.append(f"rect {values['child.0.rect']} in the pane")
        style = int(values["child.0.style"], 16)
        if not style & WS_CHILD or not style & WS_VISIBLE:
            problems.append(f"style 0x{style:08x}")
        if values["child.0.pid"] == pane_window["pid"]:
            problems.append("it belongs to the pane's process")
        if problems:
            raise Failure(f"the preview in a {width}x{height} pane: " + "; ".join(problems) + f" ({values})")
        log(f"child {values['child.0.hwnd']} {PREVIEW_CAPTION!r} at {values['child.0.rect']}, "
            f"style {values['child.0.style']}, process {values['child.0.pid']}")
        # It stays while the pane does.
        time.sleep(SETTLE)
        if proc.poll() is not None:
            raise Failure(f"the program ended ({proc.returncode}) while its pane was still there")
        closed = time.monotonic()
        s.probe_ok("post", pane_window["hwnd"], WM_CLOSE, 0, 0)
        took = expect_quick_end(proc, "the preview after its pane was destroyed", since=closed)
        pane.wait(timeout=WINDOW_DEADLINE)
        log(f"pane destroyed: the program ended with 0, {took:.2f} s after the pane was asked to close")
    return scenario


def read_ppm(path):
    data = path.read_bytes()
    magic, width, height, depth, pixels = data.split(maxsplit=4)
    if magic != b"P6" or depth != b"255":
        raise Failure(f"not a binary PPM: {path}")
    return int(width), int(height), pixels


def preview_picture(s):
    """The picture as drawn. A child in another process's window is not drawn
    under Wine 8, so the pane here is the desktop window: the preview becomes
    a top-level window over the whole screen (over a grey window of the
    probe's), and the screen must show the program's preview picture unscaled
    at the top left, and black elsewhere."""
    clear_leftovers(s)
    saver = Saver(s)
    picture_file = s.work / "picture.ppm"
    values = s.probe_ok("bitmap", windows_path(saver.scr), PREVIEW_PICTURE_ID, windows_path(picture_file))
    width, height, picture = read_ppm(picture_file)
    if (width, height) != PREVIEW_PICTURE_SIZE:
        raise Failure(f"the preview picture is {width}x{height}, not {PREVIEW_PICTURE_SIZE}")
    colours = {picture[i:i + 3] for i in range(0, len(picture), 3)}
    black = sum(1 for i in range(0, len(picture), 3) if picture[i:i + 3] == b"\0\0\0") / (width * height)
    log(f"picture {width}x{height}, {len(colours)} colours, {black:.0%} black ({values})")
    if len(colours) < 50 or not 0.2 <= black <= 0.95:
        raise Failure(f"the preview picture does not look like lines on black: {len(colours)} colours, "
                      f"{black:.0%} black")

    desktop = s.probe_ok("desktop")
    screen_w, screen_h = (int(v) for v in desktop["rect"].split(",")[2:])
    # A grey window under it: wherever the preview does not cover the screen,
    # grey shows. (Where it covers the screen but paints nothing, Wine shows
    # black all the same: a new window's surface starts black.)
    s.start_window_helper(["pane", 0, 0, screen_w, screen_h], "backdrop")
    proc = saver.start("/p", int(desktop["hwnd"], 16))
    rc, preview = s.probe("wait", FORM_CLASS, PREVIEW_CAPTION, int(WINDOW_DEADLINE * 1000), "visible")
    if rc != 0:
        raise Failure(f"no preview window on the desktop (program: {proc.poll()})")
    if preview["rect"] != desktop["rect"]:
        raise Failure(f"the preview covers {preview['rect']}, the desktop is {desktop['rect']}")
    end = time.monotonic() + WINDOW_DEADLINE
    while True:
        shot = s.screenshot(s.output_path("preview").with_suffix(".png"))
        raw = subprocess.run(["convert", str(shot), "-depth", "8", "rgb:-"], stdin=subprocess.DEVNULL,
                             capture_output=True, timeout=60, check=True).stdout
        wrong_picture = sum(1 for y in range(height) for x in range(width)
                            if raw[(y * screen_w + x) * 3:(y * screen_w + x) * 3 + 3]
                            != picture[(y * width + x) * 3:(y * width + x) * 3 + 3])
        rows = [raw[y * screen_w * 3:(y + 1) * screen_w * 3] for y in range(screen_h)]
        not_black = sum(len(row[width * 3:].strip(b"\0")) > 0 for row in rows[:height])
        not_black += sum(len(row.strip(b"\0")) > 0 for row in rows[height:])
        if wrong_picture == 0 and not_black == 0:
            break
        if time.monotonic() > end:
            raise Failure(f"the screen does not show the picture at the top left on black: {wrong_picture} of "
                          f"{width * height} picture pixels differ, {not_black} rows hold colour outside it "
                          f"(screenshot {shot})")
        time.sleep(0.2)
    log(f"the screen shows the {width}x{height} picture pixel for pixel at the top left, the rest black")
    closed = time.monotonic()
    s.probe_ok("post", preview["hwnd"], WM_CLOSE, 0, 0)
    took = expect_quick_end(proc, "the preview after its window was closed", since=closed)
    log(f"preview window closed: the program ended with 0, {took:.2f} s after the WM_CLOSE was posted")


def preview_without_handle(s):
    """"/p" with no usable handle: no number, 0, not a number, or a number that
    is no window (the handle of a pane that has gone): ends at once, no window."""
    clear_leftovers(s)
    saver = Saver(s)
    pane, pane_window = s.start_window_helper(["pane", 100, 100, 152, 112], "pane")
    s.probe_ok("post", pane_window["hwnd"], WM_CLOSE, 0, 0)
    pane.wait(timeout=WINDOW_DEADLINE)
    gone = str(int(pane_window["hwnd"], 16))
    rc, values = s.probe("show", gone)
    if rc == 0:
        raise Failure(f"the closed pane's handle is still a window: {values}")
    watcher = Watcher(s)
    for args in [("/p",), ("/p", "0"), ("/p", "abc"), ("/p", gone)]:
        what = f"Vessmark.scr {' '.join(args)}"
        took = expect_quick_end(saver.start(*args), what)
        log(f"{what}: ended with 0 after {took:.2f} s")
    expect_no_window(watcher, "a preview start without a usable handle")


# --- switches that do nothing ----------------------------------------------------------

def ends_without_window(*args):
    def scenario(s):
        clear_leftovers(s)
        saver = Saver(s)
        watcher = Watcher(s)
        what = f"Vessmark.scr {' '.join(args)}"
        took = expect_quick_end(saver.start(*args), what)
        log(f"{what}: ended with 0 after {took:.2f} s")
        expect_no_window(watcher, what)
        if saver.renderer_pids():
            raise Failure(f"{what} started the renderer")
    return scenario


SCENARIOS = {
    "show.slash_s": show_runs("/s"),
    "show.no_args": show_runs(),
    "show.folder_with_blank": folder_with_blank,
    "show.renderer_killed": renderer_killed,
    "music.mp3_with_blanks": mp3_with_blanks,
    "music.wav_loops": wav_loops,
    "music.cd_without_drive": cd_without_drive,
    "music.wma_plays_nothing": wma_plays_nothing,
    "second_start.while_show_runs": second_start_while_show_runs,
    "second_start.while_settings_open": second_start_while_settings_open,
    "second_start.simultaneous": simultaneous_starts,
    "renderer_unstartable": renderer_unstartable,
    "without_opengl.music_stops": without_opengl_music_stops,
    "folder.japanese": folder_outside_code_page("ソフト/Vessmark"),
    "folder.cyrillic": folder_outside_code_page("Программы/Vessmark"),
    "renderer_missing.slash_s": renderer_missing(("/s",), "key", icon_control=True),
    "renderer_missing.slash_c": renderer_missing(("/c",), "click"),
    "renderer_missing.slash_a": renderer_missing(("/a",), "click"),
    "renderer_missing.s": renderer_missing(("s",), "key"),
    "renderer_missing.preview": preview_fills(152, 112, renderer=False),
    "preview.pane_152x112": preview_fills(152, 112),
    "preview.pane_300x200": preview_fills(300, 200),
    "preview.picture": preview_picture,
    "preview.no_usable_handle": preview_without_handle,
    "no_window.slash_a": ends_without_window("/a"),
    "no_window.s": ends_without_window("s"),
}
