"""The end-to-end scenarios of the settings dialog: the real Vessmark.scr /c
under Wine, driven as a person would (xdotool at the controls' places, keys),
its controls read through the probe, its marks and its file name read from
the X server's pixels, and the settings file's bytes read afterwards.

The programs stand in a folder of the scenario's own (saver_scenarios.Saver),
with a settings file whose music files exist: loading clears a music file
that does not."""

import re
import subprocess
import time

from button_scenarios import Screen, end_prefix_session, face_checks, mismatches, prepare_prefix, twips_to_pixels
from harness import WINDOW_DEADLINE, Failure, log, windows_path
from music_scenarios import KEY_FILE, KEY_KIND, KEY_REPEAT, MP3_BAND, MP3_HZ, SECTION, WAV_BAND, WAV_HZ
from saver_scenarios import (BOX_CAPTION, SETTINGS_CAPTION, Saver, Watcher, clear_leftovers, controls_of,
                             expect_no_window, expect_quick_end, icon_shown, show_with_music)
from sound import AUDIBLE_BAND_RMS, make_tone

DIALOG_CLASS = "#32770"
OPEN_FILE_TITLE = "ﾌｧｲﾙを開く"
SAVE_FAILED_TEXT = "設定を保存できませんでした。"
PROJECT_PAGE = "https://vessmark.example.org/"
DPI_PREFIX = "wineprefix-144dpi"

# The dialog as stored (twips): the client area, the panel on it, and the
# places on the panel of the kinds' marks and labels (indexed by kind) and
# of the file name label.
CLIENT_TWIPS = (7185, 3780)
PANEL_TWIPS = (180, 240, 6795, 2535)
MARKS = {0: (300, 1140), 1: (300, 840), 2: (300, 1440)}
MARK_PICTURE_TWIPS = 180
KIND_LABELS = {0: (540, 1140, 345, 195), 1: (540, 840, 645, 195), 2: (540, 1440, 900, 195)}
FILE_LABEL = (1020, 1740, 5355, 435)
SET_TWIPS = (1095, 375)
SET_TWIPS_PLACE = (4800, 3000) + SET_TWIPS  # on the dialog
REPEAT_TWIPS = (1380, 780, 615, 300)         # on the panel
REPEAT_HEIGHT_TWIPS = REPEAT_TWIPS[3]
TRACK_ITEMS = 31

WS_DISABLED = 0x08000000
WS_MINIMIZEBOX, WS_MAXIMIZEBOX, WS_SYSMENU = 0x00020000, 0x00010000, 0x00080000
WM_NCHITTEST, HTCLOSE = 0x0084, 20
CB_GETDROPPEDSTATE = 0x0157
LVM_GETITEMCOUNT = 0x1004
FILE_TYPES_ID, READ_ONLY_BOX_ID = 0x470, 0x410  # the open-file dialog's cmb1 and chx1

STATE_DEADLINE = 10.0  # a click's or key's effect; seen in well under a second
SETTLE = 1.0           # watched before concluding that nothing happens
INK = 250              # a pixel of text: red + green + blue below this


# --- the settings file ----------------------------------------------------------

def ini_bytes(kind, repeat, music):
    """The settings file as Set writes it (WritePrivateProfileStringA)."""
    path = windows_path(music).encode() if music else b""
    return (SECTION + KEY_KIND + f"={kind}\r\n".encode() + KEY_REPEAT + f"={repeat}\r\n".encode()
            + KEY_FILE + b"=" + path + b"\r\n")


def settings_bytes(saver):
    return (saver.folder / "Vessmark.ini").read_bytes()


def expect_settings(saver, kind, repeat, music, why):
    data = settings_bytes(saver)
    expected = ini_bytes(kind, repeat, music)
    if data != expected:
        raise Failure(f"{why}: the settings file holds {data!r}, expected {expected!r}")
    log(f"{why}: the settings file holds kind {kind}, track {repeat}, {windows_path(music) if music else 'no file'}")


def expect_unchanged(saver, before, why):
    after = settings_bytes(saver)
    if after != before:
        raise Failure(f"{why}: the settings file changed from {before!r} to {after!r}")
    log(f"{why}: the settings file is unchanged, byte for byte")


def wait_until(condition, what, deadline=STATE_DEADLINE):
    """Polls condition() until it gives something true; returns it."""
    end = time.monotonic() + deadline
    while True:
        value = condition()
        if value:
            return value
        if time.monotonic() > end:
            raise Failure(f"{what}: not within {deadline:.0f} s")
        time.sleep(0.05)


# --- the dialog ------------------------------------------------------------------

class Dialog:
    """Vessmark.scr /c running: its window, its controls, where its marks and
    labels stand on the screen, and what they show."""

    def __init__(self, s, saver, args=("/c",)):
        self.s = s
        self.saver = saver
        for attempt in range(2):  # a Wine start can rarely make no window at all
            started = time.monotonic()
            self.proc = saver.start(*args, label="dialog")
            window = None
            end = time.monotonic() + WINDOW_DEADLINE
            while window is None and self.proc.poll() is None and time.monotonic() < end:
                rc, values = s.probe("wait", "-", SETTINGS_CAPTION, 2000, "visible")
                window = values if rc == 0 else None
            if window is not None:
                break
            log(f"start {attempt + 1}: no dialog (exit code {self.proc.poll()}); output in {self.proc.out_path}")
            if self.proc.poll() is None:
                self.proc.kill()
                self.proc.wait()
        else:
            raise Failure("the settings dialog never showed (2 starts)")
        self.window = window
        self.hwnd = window["hwnd"]
        log(f"dialog {self.hwnd} up {time.monotonic() - started:.2f} s after the start")
        self.screen = Screen(s.state["display"])
        self.read_controls()
        # The pointer over nothing of the dialog: hover looks would change what is measured.
        s.move_to(2, 2)

    def read_controls(self):
        rc, children = self.s.probe("children", self.hwnd)
        if rc != 0:
            raise Failure(f"the dialog went away: {children}")
        self.client = tuple(int(v) for v in children["client"].split(","))
        self.controls = controls_of(self.s, self.hwnd)
        self.dpi = round(self.client[2] * 1440 / CLIENT_TWIPS[0])

        def one(cls, caption=None):
            found = [c for c in self.controls if c["class"] == cls and (caption is None or c["caption"] == caption)]
            if len(found) != 1:
                raise Failure(f"expected one {cls} {caption or ''} in the dialog, found {found}")
            return found[0]
        self.panel = one("VessmarkPictureBox")
        self.group = one("VessmarkKindGroup")
        self.combo = one("ComboBox")
        self.edit = one("Edit")
        self.browse = one("Tavisk.Command", "...")
        self.set = one("Tavisk.Command", "設定")
        self.cancel = one("Tavisk.Command", "ｷｬﾝｾﾙ")
        self.other = one("Tavisk.Command", "その他の作品")
        self.panel_origin = tuple(int(v) for v in self.panel["screen"].split(",")[:2])

    def px(self, twips):
        return twips_to_pixels(twips, self.dpi)

    def on_panel(self, x, y):
        """A point of the panel (twips) on the screen."""
        return self.panel_origin[0] + self.px(x), self.panel_origin[1] + self.px(y)

    def state(self, control):
        """A control's current state (style, rectangle) read again."""
        values = self.s.probe_ok("show", control["hwnd"])
        return values

    def enabled(self, control):
        return not int(self.state(control)["style"], 16) & WS_DISABLED

    def track_text(self):
        return self.s.probe_ok("text", self.combo["hwnd"]).get("text", "")

    def mark(self, kind):
        """"selected", "unselected", or what the mark's middle shows."""
        left, top = MARKS[kind]
        x = self.on_panel(left, top)[0] + self.px(MARK_PICTURE_TWIPS) // 2
        y = self.on_panel(left, top)[1] + self.px(MARK_PICTURE_TWIPS) // 2
        r, g, b = self.screen.region(x, y, 1, 1)(0, 0)
        if r + g + b < 400 and b > r:
            return "selected"
        if r + g + b > 740:
            return "unselected"
        return f"unknown {r},{g},{b}"

    def selected_kinds(self):
        return [kind for kind in MARKS if self.mark(kind) == "selected"]

    def kind_shown(self, kind):
        """The dialog shows the kind: its mark alone selected, the track box
        enabled only for the audio CD and "..." only for a music file."""
        marks = {k: self.mark(k) for k in MARKS}
        expected = {k: "selected" if k == kind else "unselected" for k in MARKS}
        return (marks == expected and self.enabled(self.combo) == (kind == 1)
                and self.enabled(self.browse) == (kind == 2))

    def expect_kind(self, kind, why):
        def shown():
            return self.kind_shown(kind)
        try:
            wait_until(shown, f"{why}: kind {kind} shown")
        except Failure:
            marks = {k: self.mark(k) for k in MARKS}
            raise Failure(f"{why}: kind {kind} is not shown: marks {marks}, track box "
                          f"{'enabled' if self.enabled(self.combo) else 'disabled'}, \"...\" "
                          f"{'enabled' if self.enabled(self.browse) else 'disabled'}") from None
        log(f"{why}: kind {kind} shown (its mark selected; track box "
            f"{'enabled' if kind == 1 else 'disabled'}, \"...\" {'enabled' if kind == 2 else 'disabled'})")

    def press_kind(self, kind, button=1, on="label"):
        """A mouse button down (and up) on the kind's label or mark."""
        if on == "label":
            left, top, width, height = KIND_LABELS[kind]
            self.s.move_to(*self.on_panel(left + width // 2, top + height // 2))
        else:
            left, top = MARKS[kind]
            self.s.move_to(*self.on_panel(left + MARK_PICTURE_TWIPS // 2, top + MARK_PICTURE_TWIPS // 2))
        self.s.click(button)

    def click(self, control):
        left, top, right, bottom = map(int, self.state(control)["rect"].split(","))
        self.s.move_to((left + right) // 2, (top + bottom) // 2)
        self.s.click(1)

    def type_track(self, text):
        """Into the track box, replacing what it shows."""
        self.click(self.edit)
        wait_until(lambda: self.focus().get("focus") == self.edit["hwnd"], "the track box takes the focus")
        self.s.press_key("End")
        for _ in range(len(self.track_text())):
            self.s.press_key("BackSpace")
        if text:
            self.s.xdotool("type", "--delay", 30, text)
        wait_until(lambda: self.track_text() == text, f"the track box shows {text!r}")

    def focus(self):
        rc, values = self.s.probe("focus", self.hwnd)
        return values

    def sync(self):
        self.s.probe_ok("sync", self.hwnd, 10000)

    def file_label_pixels(self):
        """The inside of the file name label, as the screen shows it."""
        left, top, width, height = FILE_LABEL
        x, y = self.on_panel(left, top)
        w, h = self.px(width) - 4, self.px(height) - 4
        pixel = self.screen.region(x + 2, y + 2, w, h)
        return [pixel(i, j) for j in range(h) for i in range(w)]

    def file_label_ink(self):
        return sum(1 for p in self.file_label_pixels() if sum(p) < INK)

    def owned(self):
        rc, values = self.s.probe("owned", self.hwnd)
        return [{key.split(".", 2)[2]: value for key, value in values.items() if key.startswith(f"owned.{i}.")}
                for i in range(int(values.get("count", "0")))]

    def wait_owned(self, cls, caption, why):
        def found():
            return next((w for w in self.owned() if w["class"] == cls and w["caption"] == caption
                         and w["visible"] == "1"), None)
        window = wait_until(found, f"{why}: a {cls} captioned {caption!r} owned by the dialog",
                            deadline=WINDOW_DEADLINE)
        log(f"{why}: {cls} {window['hwnd']} captioned {caption!r}, owned by the dialog")
        return window

    def close_box(self):
        """The close box's place on the screen, asked of the window itself."""
        left, top, right, _ = map(int, self.state({"hwnd": self.hwnd})["rect"].split(","))
        client_top = self.panel_origin[1] - self.px(PANEL_TWIPS[1])
        y = (top + client_top) // 2
        for x in range(right - 4, right - 40, -2):
            answer = self.s.probe_ok("send", self.hwnd, WM_NCHITTEST, 0, (y << 16) | x, 10000)
            if answer.get("result") == str(HTCLOSE):
                return x, y
        raise Failure("no close box found along the caption")

    def expect_open(self, why):
        if self.proc.poll() is not None:
            raise Failure(f"{why}: the program ended ({self.proc.returncode})")
        if self.s.window(self.hwnd) is None:
            raise Failure(f"{why}: the dialog's window is gone")

    def expect_ends(self, why, since):
        took = expect_quick_end(self.proc, f"the dialog after {why}", since=since)
        rc, values = self.s.probe("find", "-", SETTINGS_CAPTION)
        if rc == 0:
            raise Failure(f"a window captioned {SETTINGS_CAPTION} is left after {why}: {values}")
        log(f"the program ended with 0, {took:.2f} s after {why}")
        self.screen.close()

    def crop(self, path):
        """The dialog's window as a picture."""
        shot = self.s.screenshot(self.s.output_path("screen").with_suffix(".png"))
        left, top, right, bottom = map(int, self.state({"hwnd": self.hwnd})["rect"].split(","))
        subprocess.run(["convert", str(shot), "-crop", f"{right - left}x{bottom - top}+{left}+{top}", "+repage",
                        str(path)], stdin=subprocess.DEVNULL, capture_output=True, timeout=60, check=True)
        log(f"picture of the dialog: {path}")


def is_lavender(pixel):
    """A colour of the dialog's band, RGB(c, c, c + 30), in its bright half."""
    r, g, b = pixel
    return abs(r - g) <= 8 and 20 <= b - r <= 40 and r >= 150


def saver_with(s, kind, repeat=0, music="", folder="Vessmark Saver"):
    clear_leftovers(s)
    saver = Saver(s, folder)
    saver.settings(kind, repeat, music)
    return saver


def tone(s, name, frequency=WAV_HZ):
    path = s.work / "My Music" / name
    make_tone(path, 1, frequency)
    return path


# --- scenarios -------------------------------------------------------------------

def load_cd(s):
    """Kind 1 with track 0: the audio CD's mark selected, the track box
    enabled and empty, "..." disabled; the window as stored (caption, no
    minimize or maximize box, an icon, 479 x 252 client pixels, placed at
    the middle across and a third down), the track box's 31 items, and
    initialised buttons (the hovered look). Esc then ends it, writing nothing."""
    wav = tone(s, "loop tone.wav")
    saver = saver_with(s, 1, 0, wav)
    before = settings_bytes(saver)
    d = Dialog(s, saver)
    d.expect_kind(1, "kind 1 at load")
    if d.track_text() != "":
        raise Failure(f"the track box shows {d.track_text()!r} for track 0, not the empty text")
    problems = []
    if (d.client[2], d.client[3]) != (479, 252):
        problems.append(f"client area {d.client[2]}x{d.client[3]} pixels, not 479x252")
    style = int(d.window["style"], 16)
    if style & (WS_MINIMIZEBOX | WS_MAXIMIZEBOX) or not style & WS_SYSMENU:
        problems.append(f"style 0x{style:08x}: a minimize or maximize box, or no close box")
    left, top, right, bottom = map(int, d.window["rect"].split(","))
    # Wine answers no WM_GETICON from another process: the caption's icon is
    # read from the screen instead. The program's own icon (black, coloured
    # spheres) has none of the dialog icon's lavender.
    caption = d.screen.region(left, top, 26, 24)
    lavender = sum(1 for x in range(26) for y in range(24) if is_lavender(caption(x, y)))
    if lavender < 10:
        problems.append(f"no icon of its own in the caption ({lavender} lavender pixels)")
    screen = s.probe_ok("screen")
    screen_w, screen_h = int(screen["width"]), int(screen["height"])
    # The free space in twips, rounded, then halved and thirded (truncated).
    free_w, free_h = (screen_w - (right - left)) * 15, (screen_h - (bottom - top)) * 15
    expected = (twips_to_pixels(int(free_w / 2), 96), twips_to_pixels(int(free_h / 3), 96))
    if (left, top) != expected:
        problems.append(f"placed at {left},{top}, expected {expected}")
    listed = s.probe_ok("items", d.combo["hwnd"])
    items = [listed.get(f"item.{i}") for i in range(int(listed["count"]))]
    if items != [""] + [str(track) for track in range(1, TRACK_ITEMS)]:
        problems.append(f"the track box lists {items}, not the empty item then 1 to {TRACK_ITEMS - 1} in order")
    combo_top, combo_bottom = (int(v) for v in d.combo["rect"].split(",")[1::2])
    if combo_bottom - combo_top != d.px(REPEAT_HEIGHT_TWIPS):
        problems.append(f"the closed track box is {combo_bottom - combo_top} pixels high, not "
                        f"{d.px(REPEAT_HEIGHT_TWIPS)}")
    if problems:
        raise Failure("; ".join(problems) + f" ({d.window})")
    log(f"client 479x252, style {d.window['style']}, an icon, placed at {left},{top}, the track items '' and "
        f"1 to {TRACK_ITEMS - 1} in order")
    focus = d.focus()
    if focus.get("focus") != d.group["hwnd"]:
        raise Failure(f"at load the focus is on {focus}, not on the group of kinds")
    d.crop(s.work / "dialog-96dpi.png")
    # Initialised buttons take the hovered look under the pointer.
    cancel = d.state(d.cancel)
    c_left, c_top, c_right, c_bottom = map(int, cancel["rect"].split(","))
    s.move_to((c_left + c_right) // 2, c_top + 3)
    width, height = c_right - c_left, c_bottom - c_top

    def hovered():
        pixel = d.screen.region(c_left, c_top, width, height)
        return not mismatches(pixel, face_checks("HighLight", True, width, height, d.dpi))
    wait_until(hovered, "ｷｬﾝｾﾙ shows the hovered look under the pointer")
    log("the buttons are initialised: ｷｬﾝｾﾙ shows the hovered look under the pointer")
    s.move_to(2, 2)
    pressed = time.monotonic()
    s.press_key("Escape")
    d.expect_ends("Esc", pressed)
    expect_unchanged(saver, before, "Esc")


def load_file(s):
    """Kind 2: the music file's mark selected, "..." enabled, the track box
    disabled, and the file's path in the file name label (text where a
    dialog without a file shows none)."""
    wav = tone(s, "loop tone.wav")
    saver = saver_with(s, 2, 0, wav)
    d = Dialog(s, saver)
    d.expect_kind(2, "kind 2 at load")
    ink = wait_until(d.file_label_ink, "the file name label shows the path")
    d.s.press_key("Escape")
    d.expect_ends("Esc", time.monotonic())
    saver.settings(2, 0, "")
    d = Dialog(s, saver)
    d.expect_kind(0, "kind 2 without a file (read as 0)")
    if d.file_label_ink() != 0:
        raise Failure(f"the file name label shows text ({d.file_label_ink()} pixels) with no file set")
    log(f"the file name label: {ink} pixels of text with the path, none without")
    d.s.press_key("Escape")
    d.expect_ends("Esc", time.monotonic())


def set_cd_track(s):
    """"音楽CD", 5 typed in the track box, "音楽CD" pressed again (the caret
    stays in the box), "設定": the file holds 1, 5 and the path as it was."""
    wav = tone(s, "loop tone.wav")
    saver = saver_with(s, 2, 0, wav)
    d = Dialog(s, saver)
    d.press_kind(1)
    d.expect_kind(1, "a click on 音楽CD")
    d.type_track("5")
    d.press_kind(1)
    d.sync()
    if d.focus().get("focus") != d.edit["hwnd"]:
        raise Failure(f"a click on the chosen 音楽CD took the focus from the track box to {d.focus()}")
    log("a click on the chosen 音楽CD leaves the focus in the track box")
    pressed = time.monotonic()
    d.click(d.set)
    d.expect_ends("設定", pressed)
    expect_settings(saver, 1, 5, wav, "音楽CD, 5, 設定")


def set_none(s):
    """Started as "/C:1234" (the handle is not used): "無し" and "設定" write
    the track shown and the current path too."""
    wav = tone(s, "loop tone.wav")
    saver = saver_with(s, 1, 7, wav)
    d = Dialog(s, saver, args=("/C:1234",))
    if d.track_text() != "7":
        raise Failure(f"the track box shows {d.track_text()!r} for track 7")
    d.press_kind(0, on="mark")
    d.expect_kind(0, "a click on the mark of 無し")
    pressed = time.monotonic()
    d.click(d.set)
    d.expect_ends("設定", pressed)
    expect_settings(saver, 0, 7, wav, "無し, 設定")


def any_button(s):
    """A right button pressed on the label "MP3、WAV" chooses the music file
    ("..." enabled); the middle button on "音楽CD" the audio CD. Cancel then
    writes nothing."""
    wav = tone(s, "loop tone.wav")
    saver = saver_with(s, 0, 0, wav)
    before = settings_bytes(saver)
    d = Dialog(s, saver)
    d.expect_kind(0, "kind 0 at load")
    d.press_kind(2, button=3)
    d.expect_kind(2, "the right button on MP3、WAV")
    d.press_kind(1, button=2)
    d.expect_kind(1, "the middle button on 音楽CD")
    pressed = time.monotonic()
    d.click(d.cancel)
    d.expect_ends("ｷｬﾝｾﾙ", pressed)
    expect_unchanged(saver, before, "ｷｬﾝｾﾙ after changing the kind")


def choose_file(s):
    """"..." opens the open-file dialog titled "ﾌｧｲﾙを開く", with one file type
    "BGMﾌｧｲﾙ (MP3 WAV)" that lists MP3 and WAV files in any letter case and
    nothing else, and the read-only box; a name typed that does not exist is
    taken (the label changes); the file typed there next is shown (exactly as
    a dialog that loads it from the settings shows it) and "設定" saves it."""
    first = tone(s, "loop tone.wav")
    chosen = tone(s, "other tone.wav")
    listed = s.work / "Listed"
    listed.mkdir()
    for name in ("a.WAV", "b.mp3", "c.txt", "d.ogg", "e.mp3.txt"):
        (listed / name).write_bytes(b"")
    saver = saver_with(s, 0, 0, first)
    d = Dialog(s, saver)
    if d.enabled(d.browse):
        raise Failure('"..." is enabled with kind 0')
    d.press_kind(2)
    d.expect_kind(2, "a click on MP3、WAV")
    before = d.file_label_pixels()
    d.click(d.browse)
    box = d.wait_owned(DIALOG_CLASS, OPEN_FILE_TITLE, '"..."')
    controls = controls_of(s, box["hwnd"])
    types = [c for c in controls if c["class"] == "ComboBox" and int(c["id"]) == FILE_TYPES_ID]
    offered = s.probe_ok("items", types[0]["hwnd"]) if types else {}
    read_only = [c for c in controls if int(c["id"]) == READ_ONLY_BOX_ID and c["visible"] == "1"]
    if (offered.get("count"), offered.get("item.0")) != ("1", "BGMﾌｧｲﾙ (MP3 WAV)") or not read_only:
        raise Failure(f"the open-file dialog offers the file types {offered} and {len(read_only)} read-only boxes")
    s.xdotool("type", "--delay", 20, windows_path(listed))
    s.press_key("Return")
    file_list = next(c for c in controls_of(s, box["hwnd"]) if c["class"] == "SysListView32")
    wait_until(lambda: s.probe_ok("send", file_list["hwnd"], LVM_GETITEMCOUNT, 0, 0, 10000).get("result") == "2",
               "the open-file dialog lists the two music files of the folder")
    log("the open-file dialog: one file type BGMﾌｧｲﾙ (MP3 WAV) listing a.WAV and b.mp3 of five; a read-only box")
    s.xdotool("type", "--delay", 20, windows_path(listed / "not there.wav"))
    s.press_key("Return")
    s.probe_ok("gone", box["hwnd"], int(WINDOW_DEADLINE * 1000))
    wait_until(lambda: d.file_label_pixels() != before, "the file name label shows the name that does not exist")
    log("a name that does not exist is taken")
    before = d.file_label_pixels()
    d.click(d.browse)
    box = d.wait_owned(DIALOG_CLASS, OPEN_FILE_TITLE, '"..." again')
    s.xdotool("type", "--delay", 20, windows_path(chosen))
    s.press_key("Return")
    s.probe_ok("gone", box["hwnd"], int(WINDOW_DEADLINE * 1000))
    wait_until(lambda: d.file_label_pixels() != before, "the file name label changes")
    d.sync()
    shown = d.file_label_pixels()
    pressed = time.monotonic()
    d.click(d.set)
    d.expect_ends("設定", pressed)
    expect_settings(saver, 2, 0, chosen, "the chosen file, 設定")
    # The same settings loaded: the label must show the same pixels.
    d = Dialog(s, saver)
    d.expect_kind(2, "the saved choice at the next load")
    wait_until(lambda: d.file_label_pixels() == shown,
               "the file name label shows the chosen file as a dialog loading it shows it")
    log("the file name label shows the chosen path exactly as loaded from the settings")
    d.s.press_key("Escape")
    d.expect_ends("Esc", time.monotonic())


def nothing_written(way):
    """After a change of kind, the close box, ｷｬﾝｾﾙ or Esc end the program and
    write nothing."""
    def scenario(s):
        wav = tone(s, "loop tone.wav")
        saver = saver_with(s, 2, 3, wav)
        before = settings_bytes(saver)
        d = Dialog(s, saver)
        d.press_kind(1)
        d.expect_kind(1, "a click on 音楽CD")
        d.type_track("9")
        if way == "close_box":
            point = d.close_box()
            s.move_to(*point)
            pressed = time.monotonic()
            s.click(1)
        elif way == "cancel":
            pressed = time.monotonic()
            d.click(d.cancel)
        else:
            pressed = time.monotonic()
            s.press_key("Escape")
        d.expect_ends(way, pressed)
        expect_unchanged(saver, before, f"{way} after changing the kind and the track")
    return scenario


def read_only_file(s):
    """An immutable settings file (chattr +i: as root, a mere chmod 444 does
    not stop Wine): "設定" shows the error (caption, warning icon, the text,
    the file's path, the system's reason), the dialog stays with the choice
    intact, the file is unchanged; once writable again, "設定" saves."""
    wav = tone(s, "loop tone.wav")
    saver = saver_with(s, 2, 0, wav)
    ini = saver.folder / "Vessmark.ini"
    before = settings_bytes(saver)
    subprocess.run(["chattr", "+i", str(ini)], check=True, stdin=subprocess.DEVNULL, capture_output=True)
    try:
        d = Dialog(s, saver)
        d.press_kind(1)
        d.expect_kind(1, "a click on 音楽CD")
        d.type_track("3")
        d.click(d.set)
        box = d.wait_owned(DIALOG_CLASS, BOX_CAPTION, "設定 on a read-only file")
        controls = controls_of(s, box["hwnd"])
        texts = [c["caption"] for c in controls if c["class"] == "Static" and c["caption"]]
        lines = texts[0].split("\\r\\n") if len(texts) == 1 else []
        log(f"message: {lines}")
        if (len(lines) != 3 or lines[0] != SAVE_FAILED_TEXT or lines[1] != windows_path(ini)
                or not lines[2].strip()):
            raise Failure(f"the message should say {SAVE_FAILED_TEXT!r}, {windows_path(ini)!r} and a reason: "
                          f"{texts}")
        if not icon_shown(s, controls):
            raise Failure("the message box shows no icon")
        time.sleep(SETTLE)
        d.expect_open("the message box")
        expect_unchanged(saver, before, "設定 on a read-only file")
        s.press_key("Return")
        s.probe_ok("gone", box["hwnd"], int(WINDOW_DEADLINE * 1000))
        time.sleep(SETTLE)
        d.expect_open("the message box answered")
        d.expect_kind(1, "after the message")
        if d.track_text() != "3":
            raise Failure(f"the track box shows {d.track_text()!r} after the message, not '3'")
        log("the dialog stays open with the choice intact")
    finally:
        subprocess.run(["chattr", "-i", str(ini)], stdin=subprocess.DEVNULL, capture_output=True)
    pressed = time.monotonic()
    d.click(d.set)
    d.expect_ends("設定 on a writable file again", pressed)
    expect_settings(saver, 1, 3, wav, "設定 again")


def keyboard(s):
    """Tab from the group of kinds through the enabled controls in order and
    round; in the track box Alt+Down and F4 open its list, Up and Down move
    through it, Enter chooses and closes, Esc closes the list only; Shift+Tab
    back; Up and Down move the choice in screen order (audio CD, none, music
    file) without wrapping, enabling the controls as a press would; Enter on
    the group does nothing; a click on the chosen kind leaves the focus on
    "設定", where Space saves."""
    wav = tone(s, "loop tone.wav")
    saver = saver_with(s, 1, 3, wav)
    d = Dialog(s, saver)
    names = {d.group["hwnd"]: "group", d.edit["hwnd"]: "track box", d.browse["hwnd"]: "...",
             d.set["hwnd"]: "設定", d.cancel["hwnd"]: "ｷｬﾝｾﾙ", d.other["hwnd"]: "その他の作品"}

    def focused():
        return names.get(d.focus().get("focus"), d.focus().get("class"))

    def expect_focus(name, why):
        wait_until(lambda: focused() == name, f"{why}: the focus on {name} (it is on {focused()})")

    def tab_round(order, why):
        expect_focus(order[0], why)
        for name in order[1:] + order[:1]:
            s.press_key("Tab")
            expect_focus(name, f"{why}, Tab")
        log(f"{why}: Tab goes {' -> '.join(order + order[:1])}")

    tab_round(["group", "track box", "設定", "ｷｬﾝｾﾙ", "その他の作品"], "kind 1")
    # The track box's list as in any editable drop-down: Alt+Down or F4 open
    # it, Up and Down move through it, Enter chooses and closes, Esc closes
    # the list only.
    s.press_key("Tab")
    expect_focus("track box", "Tab to the track box")

    def list_shown(why, dropped, text):
        def shown():
            answer = s.probe_ok("send", d.combo["hwnd"], CB_GETDROPPEDSTATE, 0, 0, 10000).get("result")
            return answer == str(int(dropped)) and d.track_text() == text
        wait_until(shown, f"{why}: the list {'open' if dropped else 'closed'}, the box showing {text!r}")
    for keys, dropped, text in ((["alt+Down"], True, "3"), (["Down", "Down"], True, "5"), (["Up"], True, "4"),
                                (["Return"], False, "4"), (["F4"], True, "4"), (["Escape"], False, "4")):
        for key in keys:
            s.press_key(key)
        list_shown("+".join(keys), dropped, text)
    d.sync()
    d.expect_open("Esc with the list open")
    expect_focus("track box", "the list closed")
    log("the list: Alt+Down opens, Down and Up move, Enter chooses and closes, F4 opens, Esc closes it only")
    s.press_key("shift+Tab")
    s.press_key("shift+Tab")
    expect_focus("その他の作品", "Shift+Tab")
    s.press_key("shift+Tab")
    expect_focus("ｷｬﾝｾﾙ", "Shift+Tab again")
    for _ in range(3):
        s.press_key("shift+Tab")
    expect_focus("group", "Shift+Tab back to the group")
    s.press_key("Up")
    d.sync()
    d.expect_kind(1, "Up on the top row")
    s.press_key("Down")
    d.expect_kind(0, "Down")
    tab_round(["group", "設定", "ｷｬﾝｾﾙ", "その他の作品"], "kind 0")
    s.press_key("Down")
    d.expect_kind(2, "Down again")
    s.press_key("Down")
    d.sync()
    d.expect_kind(2, "Down on the bottom row")
    tab_round(["group", "...", "設定", "ｷｬﾝｾﾙ", "その他の作品"], "kind 2")
    s.press_key("Return")
    time.sleep(SETTLE)
    d.sync()
    d.expect_open("Enter on the group")
    if focused() != "group":
        raise Failure(f"Enter on the group moved the focus to {focused()}")
    log("Enter on the group does nothing")
    s.press_key("Tab")
    s.press_key("Tab")
    expect_focus("設定", "Tab to 設定")
    # A click on a kind leaves the focus, and 設定's focused look, alone.
    d.press_kind(2)
    s.move_to(2, 2)
    d.sync()
    if focused() != "設定":
        raise Failure(f"a click on MP3、WAV took the focus from 設定 to {focused()}")
    s_left, s_top, s_right, s_bottom = map(int, d.state(d.set)["rect"].split(","))
    wrong = mismatches(d.screen.region(s_left, s_top, s_right - s_left, s_bottom - s_top),
                       face_checks("Selected", False, s_right - s_left, s_bottom - s_top, d.dpi))
    if wrong:
        raise Failure("after a click on MP3、WAV 設定 lost its focused look: " + "; ".join(wrong))
    log("a click on the chosen MP3、WAV leaves 設定 focused, with its focused look")
    pressed = time.monotonic()
    s.press_key("space")
    d.expect_ends("Space on 設定", pressed)
    expect_settings(saver, 2, 4, wav, "kind chosen with the arrows, track 4 from the list, Space on 設定")


def second_start(s):
    """While the dialog is open, a second /c (and /s) ends at once and opens
    nothing; the dialog is still there afterwards."""
    wav = tone(s, "loop tone.wav")
    saver = saver_with(s, 0, 0, wav)
    d = Dialog(s, saver)
    watcher = Watcher(s)
    for args in (("/c",), ("/C:1234",), ("/s",)):
        took = expect_quick_end(saver.start(*args, label="second"), f"a second Vessmark.scr {' '.join(args)}")
        log(f"a second Vessmark.scr {' '.join(args)}: ended with 0 after {took:.2f} s")
    expect_no_window(watcher, "the second starts")
    d.expect_open("the second starts")
    d.s.press_key("Escape")
    d.expect_ends("Esc", time.monotonic())


def show_plays_choice(s):
    """The file chosen in the dialog is the one the next show plays: a 660 Hz
    WAV set at first, a 440 Hz one chosen with "..." and saved; the show then
    sounds 440 Hz, not 660 Hz."""
    first = tone(s, "first tone.wav", MP3_HZ)
    chosen = tone(s, "chosen tone.wav", WAV_HZ)
    saver = saver_with(s, 2, 0, first)
    d = Dialog(s, saver)
    d.click(d.browse)
    box = d.wait_owned(DIALOG_CLASS, OPEN_FILE_TITLE, '"..."')
    s.xdotool("type", "--delay", 20, windows_path(chosen))
    s.press_key("Return")
    s.probe_ok("gone", box["hwnd"], int(WINDOW_DEADLINE * 1000))
    d.sync()
    pressed = time.monotonic()
    d.click(d.set)
    d.expect_ends("設定", pressed)
    expect_settings(saver, 2, 0, chosen, "the chosen file")
    recording, key = show_with_music(s, saver, 3.0)
    recording.expect_tone(key - 2.1, key - 0.1, WAV_BAND, "the chosen file during the show")
    other = recording.rms(key - 2.1, key - 0.1, MP3_BAND)
    log(f"the first file's band: RMS {other:.4f}")
    if other >= AUDIBLE_BAND_RMS:
        raise Failure(f"the file set before the dialog is heard too (band RMS {other:.3f})")


def other_works(s):
    """"その他の作品" opens the project's page through the system (Wine hands it
    to xdg-open, here a stand-in that notes what it was given) and the
    dialog stays; COM is initialised apartment-threaded on the dialog's
    thread before, and released when the dialog has ended."""
    wav = tone(s, "loop tone.wav")
    saver = saver_with(s, 0, 0, wav)
    bin_dir = s.work / "bin"
    bin_dir.mkdir()
    opened = s.work / "opened.txt"
    stand_in = bin_dir / "xdg-open"
    stand_in.write_text(f'#!/bin/sh\nprintf "%s\\n" "$*" >> "{opened}"\n')
    stand_in.chmod(0o755)
    s.env["PATH"] = f"{bin_dir}:{s.env.get('PATH', '/usr/bin:/bin')}"
    s.env["WINEDEBUG"] = "+ole"  # Wine traces COM's start and end on each thread
    d = Dialog(s, saver)
    d.click(d.other)
    wait_until(lambda: opened.exists() and opened.read_text().strip(), "the page handed to the browser",
               deadline=WINDOW_DEADLINE)
    time.sleep(SETTLE)
    pages = opened.read_text().split()
    if pages != [PROJECT_PAGE]:
        raise Failure(f"the browser was asked for {pages}, expected [{PROJECT_PAGE!r}] once")
    d.expect_open("その他の作品")
    log(f"the browser was asked once for {PROJECT_PAGE}; the dialog stays")
    d.s.press_key("Escape")
    d.expect_ends("Esc", time.monotonic())
    # COM on the dialog's thread, apartment-threaded, from its start (before
    # the window showed) until it ended.
    trace = d.proc.err_path.read_text(errors="replace")
    started = re.search(r"^(\w+):trace:ole:CoInitializeEx 0+, 0x6$", trace, re.M)
    ended = started and re.search(rf"^{started.group(1)}:trace:ole:CoUninitialize Releasing the COM libraries$",
                                  trace[started.end():], re.M)
    if not started or not ended:
        raise Failure(f"COM was not initialised apartment-threaded for the dialog's run and released (trace in "
                      f"{d.proc.err_path})")
    log(f"COM initialised apartment-threaded on the dialog's thread {started.group(1)}, released at the end")


def folder_outside_code_page(folder):
    """The programs in a folder whose name the ANSI code page (1252 here)
    cannot hold: "設定" saves the settings beside them all the same (through
    the folder's short name), in the settings file's own bytes."""
    def scenario(s):
        s.env.update({"LANG": "C.UTF-8", "LC_ALL": "C.UTF-8"})
        wav = tone(s, "loop tone.wav")
        saver = saver_with(s, 2, 0, wav, folder=folder)
        d = Dialog(s, saver)
        d.expect_kind(2, "kind 2 loaded from the folder")
        d.press_kind(1)
        d.expect_kind(1, "a click on 音楽CD")
        d.type_track("4")
        pressed = time.monotonic()
        d.click(d.set)
        d.expect_ends("設定", pressed)
        expect_settings(saver, 1, 4, wav, f"設定 in {folder!r}")
    return scenario


def high_dpi(s):
    """At 144 dpi (a prefix of the scenario's own, as for the button): the
    client area is 719 x 378 pixels, "設定" 110 x 38, the track box 30
    pixels high, the marks 18 pixels with the chosen one selected, and a
    picture of the dialog is kept."""
    env = dict(s.env)
    env["WINEPREFIX"] = str(s.paths.build / DPI_PREFIX)
    prepare_prefix(s, env)
    saved = s.env
    s.env = env
    try:
        wav = tone(s, "loop tone.wav")
        saver = saver_with(s, 1, 12, wav)
        d = Dialog(s, saver)
        problems = []
        if d.dpi != 144 or (d.client[2], d.client[3]) != (719, 378):
            problems.append(f"client area {d.client[2]}x{d.client[3]} ({d.dpi} dpi), not 719x378")
        left, top, right, bottom = map(int, d.set["rect"].split(","))
        if (right - left, bottom - top) != tuple(twips_to_pixels(t, 144) for t in SET_TWIPS):
            problems.append(f"設定 is {right - left}x{bottom - top}")
        combo_top, combo_bottom = (int(v) for v in d.combo["rect"].split(",")[1::2])
        if combo_bottom - combo_top != twips_to_pixels(REPEAT_HEIGHT_TWIPS, 144):
            problems.append(f"the track box is {combo_bottom - combo_top} pixels high")
        if problems:
            raise Failure("; ".join(problems))
        d.expect_kind(1, "kind 1 at 144 dpi")
        log(f"at 144 dpi: client 719x378, 設定 {right - left}x{bottom - top}, track box "
            f"{combo_bottom - combo_top} pixels high, the CD's mark selected")
        d.crop(s.work / "dialog-144dpi.png")
        d.s.press_key("Escape")
        d.expect_ends("Esc", time.monotonic())
    finally:
        s.stop_all()
        s.env = saved
        end_prefix_session(s, env)


def dpi_change(s):
    """WM_DPICHANGED for 144 dpi, then for 96, as Windows sends it when the
    dialog is dragged onto a monitor of another scale (sent by the probe:
    Wine has one scale for all monitors). Each time the window stands where
    the message suggests with its client area at its twips (719 x 378, then
    479 x 252), "設定" and the track box where their twips put them,
    "ｷｬﾝｾﾙ" shows its face and the focused "設定" its focused face at their
    new sizes, and a click on a kind's label chooses that kind. Back at 96
    dpi with the kind and the focus of the start, the dialog looks exactly
    as it did."""
    saver = saver_with(s, 0, 0, tone(s, "loop tone.wav"))
    d = Dialog(s, saver)
    first, again = s.work / "dialog-at-load.png", s.work / "dialog-back-at-96dpi.png"
    d.crop(first)
    s.press_key("Tab")  # 設定 focused: its face must stay the focused one
    wait_until(lambda: d.focus().get("focus") == d.set["hwnd"], "Tab to 設定")

    def rect(control):
        return tuple(map(int, d.state(control)["rect"].split(",")))

    def face(button, skin):
        left, top, right, bottom = rect(button)
        return not mismatches(d.screen.region(left, top, right - left, bottom - top),
                              face_checks(skin, False, right - left, bottom - top, d.dpi))
    for dpi, corner, kind in ((144, (60, 40), 1), (96, (100, 80), 0)):
        left, top, right, bottom = rect({"hwnd": d.hwnd})
        size = (round((right - left) * dpi / d.dpi), round((bottom - top) * dpi / d.dpi))
        s.probe_ok("dpi", d.hwnd, dpi, *corner, corner[0] + size[0], corner[1] + size[1], 10000)
        d.read_controls()
        seen = {"client": (d.client[2], d.client[3]), "corner": rect({"hwnd": d.hwnd})[:2],
                "設定": tuple(map(int, d.set["rect"].split(","))),
                "track box": tuple(map(int, d.combo["rect"].split(",")))}
        wanted = {"client": tuple(twips_to_pixels(t, dpi) for t in CLIENT_TWIPS), "corner": corner}
        for name, (x, y, w, h) in (("設定", SET_TWIPS_PLACE), ("track box", REPEAT_TWIPS)):
            x, y, w, h = (twips_to_pixels(t, dpi) for t in (x, y, w, h))
            wanted[name] = (x, y, x + w, y + h)
        if seen != wanted:
            raise Failure(f"at {dpi} dpi: {seen}, expected {wanted}")
        wait_until(lambda: face(d.cancel, "Normal") and face(d.set, "Selected"),
                   f"ｷｬﾝｾﾙ's face and the focused face of 設定 at {dpi} dpi")
        d.press_kind(kind)
        s.move_to(2, 2)
        d.expect_kind(kind, f"a click on the label of kind {kind} at {dpi} dpi")
        log(f"at {dpi} dpi: {seen}, the faces of ｷｬﾝｾﾙ and the focused 設定, kind {kind} chosen by its label")
    s.press_key("shift+Tab")  # the focus back on the group of kinds, as at load
    wait_until(lambda: d.focus().get("focus") == d.group["hwnd"], "Shift+Tab to the group")
    d.sync()
    d.crop(again)
    differing = subprocess.run(["compare", "-metric", "AE", str(first), str(again), "null:"],
                               stdin=subprocess.DEVNULL, capture_output=True, text=True, timeout=60).stderr.strip()
    if differing != "0":
        raise Failure(f"back at 96 dpi the dialog differs from the one at load in {differing} pixels")
    log("back at 96 dpi the dialog is pixel for pixel as it was at load")
    d.s.press_key("Escape")
    d.expect_ends("Esc", time.monotonic())


SCENARIOS = {
    "load.cd": load_cd,
    "load.file": load_file,
    "set.cd_track": set_cd_track,
    "set.none": set_none,
    "kind.any_button": any_button,
    "choose_file": choose_file,
    "nothing_written.cancel": nothing_written("cancel"),
    "nothing_written.close_box": nothing_written("close_box"),
    "nothing_written.escape": nothing_written("escape"),
    "read_only_file": read_only_file,
    "keyboard": keyboard,
    "second_start": second_start,
    "show_plays_choice": show_plays_choice,
    "other_works": other_works,
    "folder.japanese": folder_outside_code_page("ソフト/Vessmark"),
    "folder.cyrillic": folder_outside_code_page("Программы/Vessmark"),
    "high_dpi": high_dpi,
    "dpi_change": dpi_change,
}
