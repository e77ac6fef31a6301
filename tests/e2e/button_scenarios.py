"""The end-to-end scenarios of the gradient push button: the buttons of
gallery.exe under Wine, driven by a real pointer and keyboard (xdotool), their
faces read pixel by pixel from the X server's screen, their clicks from the
gallery's output.

The faces are checked where the twip geometry puts them: the frame line, the
band just inside it (each look has its own colour there) and the first and
last rows of the gradient that the frame leaves visible. A pixel counts only
where it is drawn wholly from one pixel of the skin picture, so the checks
hold however the window system spreads a stretched picture pixel.
"""

import ctypes
import ctypes.util
import os
import subprocess
import time

from harness import (WINDOW_DEADLINE, WM_CLOSE, Failure, log, parse_lines, process_alive, process_cmdline, stop_pid,
                     what_it_wrote, windows_path)

GALLERY = "gallery.exe"
FACE_DEADLINE = 10.0    # a face that never comes; a passing check sees it in well under a second
CLICK_DEADLINE = 20.0
HOVER_LIMIT = 0.3       # the pointer over a button and away: the face follows within this
HOVER_ATTEMPTS = 3      # a busy machine may stall one attempt
DPI_PREFIX = "wineprefix-144dpi"
SERVER_DEADLINE = 60.0

TWIPS_PER_INCH = 1440
BAND_TWIPS = 60          # the frame's width on every side
PICTURE_PIXEL_TWIPS = 15

# The faces' colours (the skin pictures' colour table).
BLUE = (0, 60, 116)
WHITE = (255, 255, 255)
FACE_TINT = (198, 197, 215)
SKINS = {
    # first row and column just inside the frame line; frame margin in pixels
    "Normal": dict(margin=1, line=BLUE, top=(243, 243, 238), left=(244, 244, 240)),
    "HighLight": dict(margin=1, line=BLUE, top=(255, 240, 207), left=(252, 202, 105)),
    "Selected": dict(margin=1, line=BLUE, top=(206, 231, 255), left=(169, 197, 239)),
    "Pressed": dict(margin=2, line=BLUE, top=(209, 204, 193), left=(215, 212, 203)),
    "Disable": dict(margin=1, line=(201, 199, 186), top=(245, 244, 234), left=(245, 244, 234)),
}
SKINS["HighLightSelect"] = SKINS["HighLight"]

# The gallery's buttons, as it lays them out (twips), and the FontColour its
# red_caption stores (0x0000C0: red in the low byte).
PLAIN_TWIPS = (1050, 390)
RED_CAPTION, BLACK = (0xC0, 0, 0), (0, 0, 0)

WM_CANCELMODE = 0x001F


# --- the screen ------------------------------------------------------------------

class XImage(ctypes.Structure):
    _fields_ = [("width", ctypes.c_int), ("height", ctypes.c_int), ("xoffset", ctypes.c_int),
                ("format", ctypes.c_int), ("data", ctypes.c_void_p), ("byte_order", ctypes.c_int),
                ("bitmap_unit", ctypes.c_int), ("bitmap_bit_order", ctypes.c_int), ("bitmap_pad", ctypes.c_int),
                ("depth", ctypes.c_int), ("bytes_per_line", ctypes.c_int), ("bits_per_pixel", ctypes.c_int),
                ("red_mask", ctypes.c_ulong), ("green_mask", ctypes.c_ulong), ("blue_mask", ctypes.c_ulong)]


class Screen:
    """Pixels straight from the X server (XGetImage on the root window): a
    read of a button's rectangle takes well under a millisecond, so a face
    change can be timed to a few milliseconds."""

    def __init__(self, display_name):
        self.x = ctypes.CDLL(ctypes.util.find_library("X11"))
        self.x.XOpenDisplay.restype = ctypes.c_void_p
        self.x.XOpenDisplay.argtypes = [ctypes.c_char_p]
        self.x.XDefaultRootWindow.restype = ctypes.c_ulong
        self.x.XDefaultRootWindow.argtypes = [ctypes.c_void_p]
        self.x.XGetImage.restype = ctypes.POINTER(XImage)
        self.x.XGetImage.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_int, ctypes.c_uint,
                                     ctypes.c_uint, ctypes.c_ulong, ctypes.c_int]
        self.x.XDestroyImage.argtypes = [ctypes.POINTER(XImage)]
        self.x.XCloseDisplay.argtypes = [ctypes.c_void_p]
        self.display = self.x.XOpenDisplay(display_name.encode())
        if not self.display:
            raise Failure(f"cannot open display {display_name}")
        self.root = self.x.XDefaultRootWindow(self.display)

    def region(self, left, top, width, height):
        """A function (x, y) -> (r, g, b) over the rectangle, x and y from its corner."""
        z_pixmap, all_planes = 2, 0xFFFFFFFF
        image = self.x.XGetImage(self.display, self.root, left, top, width, height, all_planes, z_pixmap)
        if not image:
            raise Failure(f"XGetImage failed for {width}x{height}+{left}+{top}")
        try:
            info = image.contents
            if info.bits_per_pixel != 32 or info.red_mask != 0xFF0000 or info.blue_mask != 0xFF:
                raise Failure(f"unexpected screen format: {info.bits_per_pixel} bits, masks "
                              f"{info.red_mask:x} {info.green_mask:x} {info.blue_mask:x}")
            data = ctypes.string_at(info.data, info.bytes_per_line * height)
            stride = info.bytes_per_line
        finally:
            self.x.XDestroyImage(image)

        def pixel(x, y):
            i = y * stride + x * 4
            return data[i + 2], data[i + 1], data[i]
        return pixel

    def close(self):
        if self.display:
            self.x.XCloseDisplay(self.display)
            self.display = None


# --- where a face's pixels are -----------------------------------------------------

def picture_pixel_at(k, size, dpi):
    """The button pixel (counted from an edge) drawn wholly from the skin
    picture's k-th pixel from that edge: the one whose centre lies strictly
    inside the 15 twips that picture pixel covers."""
    step = PICTURE_PIXEL_TWIPS * dpi / TWIPS_PER_INCH
    for p in range(size):
        if k * step < p + 0.5 < (k + 1) * step:
            return p
    raise Failure(f"no pixel is drawn wholly from picture pixel {k} at {dpi} dpi")


def twips_to_pixels(twips, dpi):
    return int((twips * dpi + TWIPS_PER_INCH // 2) // TWIPS_PER_INCH)


def gradient_colour(y, height, reversed_):
    """The fill's colour on row y of a button `height` pixels high: linear
    from the top vertex (row 0) to the bottom one (row height - 1)."""
    top, bottom = (FACE_TINT, WHITE) if reversed_ else (WHITE, FACE_TINT)
    return tuple(round(a + (b - a) * y / (height - 1)) for a, b in zip(top, bottom))


def face_checks(skin, reversed_, width, height, dpi):
    """(what, x, y, colour, tolerance) for one look of a button of width x
    height pixels. Checks stay clear of the caption: the frame at the middle
    of each side, the gradient just inside the left edge."""
    c = SKINS[skin]
    m = c["margin"]
    mid_x, mid_y = width // 2, height // 2
    line_top = picture_pixel_at(m, height, dpi)
    band_top = picture_pixel_at(m + 1, height, dpi)
    line_left = picture_pixel_at(m, width, dpi)
    band_left = picture_pixel_at(m + 1, width, dpi)
    line_bottom = height - 1 - picture_pixel_at(m, height, dpi)
    line_right = width - 1 - picture_pixel_at(m, width, dpi)
    band = twips_to_pixels(BAND_TWIPS, dpi)
    first_row, last_row = band, height - band - 1
    gradient_x = band + 1
    return [
        ("frame line, top", mid_x, line_top, c["line"], 0),
        ("frame line, bottom", mid_x, line_bottom, c["line"], 0),
        ("frame line, left", line_left, mid_y, c["line"], 0),
        ("frame line, right", line_right, mid_y, c["line"], 0),
        ("inside the top line", mid_x, band_top, c["top"], 0),
        ("inside the left line", band_left, mid_y, c["left"], 0),
        ("first gradient row", gradient_x, first_row, gradient_colour(first_row, height, reversed_), 3),
        ("last gradient row", gradient_x, last_row, gradient_colour(last_row, height, reversed_), 3),
    ]


def mismatches(pixel, checks):
    wrong = []
    for what, x, y, colour, tolerance in checks:
        seen = pixel(x, y)
        if any(abs(a - b) > tolerance for a, b in zip(seen, colour)):
            wrong.append(f"{what} at {x},{y}: {seen}, expected {colour}")
    return wrong


# --- the gallery -------------------------------------------------------------------

class Button:
    def __init__(self, name, hwnd, rect):
        self.name = name
        self.hwnd = hwnd
        self.left, self.top, right, bottom = (int(v) for v in rect.split(","))
        self.width = right - self.left
        self.height = bottom - self.top

    @property
    def centre(self):
        return self.left + self.width // 2, self.top + self.height // 2


class Gallery:
    """gallery.exe running, its buttons as it reported them, its clicks as it
    prints them."""

    def __init__(self, s, env=None, label="gallery"):
        self.s = s
        path = s.paths.probe.parent / GALLERY
        for attempt in range(2):  # a Wine start can rarely fail to make any window
            self.proc = spawn(s, [s.paths.wine_run, path], f"{label}-{attempt + 1}", env or s.env)
            values = wait_for_ready(self.proc)
            if values is not None:
                break
            log(f"start {attempt + 1} of the gallery showed no window; output in {self.proc.out_path}")
            if self.proc.poll() is None:
                self.proc.kill()
                self.proc.wait()
        else:
            raise Failure("the gallery never came up (2 starts)")
        self.hwnd = values["form.hwnd"]
        self.dpi = int(values["dpi"])
        self.client = tuple(int(v) for v in values["client"].split(","))
        self.form_rect = tuple(int(v) for v in values["form.rect"].split(","))
        self.buttons = {}
        for key, value in values.items():
            if key.startswith("button.") and key.endswith(".rect"):
                name = key[len("button."):-len(".rect")]
                self.buttons[name] = Button(name, values[f"button.{name}.hwnd"], value)
        self.screen = Screen(s.state["display"])
        log(f"gallery up at {self.dpi} dpi, {len(self.buttons)} buttons")

    def __getitem__(self, name):
        return self.buttons[name]

    def clicks(self, name):
        lines = self.proc.out_path.read_text(errors="replace").splitlines()
        return sum(1 for line in lines if line.strip() == f"click={name}")

    def wait_clicks(self, name, count, why):
        end = time.monotonic() + CLICK_DEADLINE
        while self.clicks(name) < count:
            if self.proc.poll() is not None:
                raise Failure(f"the gallery ended ({self.proc.returncode}) waiting for click {count} of {name}")
            if time.monotonic() > end:
                raise Failure(f"{why}: {name} has {self.clicks(name)} clicks after {CLICK_DEADLINE:.0f} s, "
                              f"expected {count}")
            time.sleep(0.02)

    def sync(self):
        """Lets the gallery handle all the input sent so far (two round trips
        through its queue)."""
        self.s.probe_ok("sync", self.hwnd, 10000)

    def face_errors(self, button, skin, reversed_):
        pixel = self.screen.region(button.left, button.top, button.width, button.height)
        return mismatches(pixel, face_checks(skin, reversed_, button.width, button.height, self.dpi))

    def wait_face(self, button, skin, reversed_, why, deadline=FACE_DEADLINE):
        """Polls until the button shows the look; returns the seconds it took."""
        started = time.monotonic()
        while True:
            wrong = self.face_errors(button, skin, reversed_)
            if not wrong:
                return time.monotonic() - started
            if time.monotonic() - started > deadline:
                raise Failure(f"{why}: {button.name} does not show {skin}"
                              f"{' reversed' if reversed_ else ''} after {deadline:.0f} s: " + "; ".join(wrong))
            time.sleep(0.002)

    def expect_face(self, button, skin, reversed_, why):
        took = self.wait_face(button, skin, reversed_, why)
        log(f"{why}: {button.name} shows {skin}{' reversed' if reversed_ else ''} ({took * 1000:.0f} ms)")

    def background_point(self):
        """A point of the gallery's client area over no button."""
        left, top, right, bottom = self.client
        return right - 10, bottom - 10

    def close(self):
        self.screen.close()
        if self.proc.poll() is None:
            self.s.probe_ok("post", self.hwnd, WM_CLOSE, 0, 0)
            self.proc.wait(timeout=WINDOW_DEADLINE)
        if "closed=1" not in self.proc.out_path.read_text(errors="replace"):
            raise Failure("the gallery ended without closing its form")


def spawn(s, argv, label, env):
    """Session.spawn with an environment of the scenario's own (another prefix)."""
    saved = s.env
    s.env = env
    try:
        return s.spawn(argv, label)
    finally:
        s.env = saved


def wait_for_ready(proc, deadline=WINDOW_DEADLINE):
    end = time.monotonic() + deadline
    while time.monotonic() < end:
        values = parse_lines(proc.out_path.read_text(errors="replace"))
        if values.get("ready") == "1":
            return values
        if proc.poll() is not None:
            return None
        time.sleep(0.02)
    return None


def clear_leftovers(s):
    """A gallery left by a scenario that was itself killed."""
    path = s.paths.probe.parent / GALLERY
    marks = (str(path), windows_path(path))  # started from Linux, or as Wine shows it
    for entry in os.listdir("/proc"):
        if not entry.isdigit() or int(entry) == os.getpid():
            continue
        cmdline = process_cmdline(int(entry))
        if any(mark in cmdline for mark in marks) and process_alive(int(entry)):
            log(f"stopping a leftover gallery: {entry}")
            stop_pid(int(entry), GALLERY)


def start(s):
    clear_leftovers(s)
    gallery = Gallery(s)
    # Nothing hovered to begin with.
    s.move_to(*gallery.background_point())
    return gallery


# --- scenarios ------------------------------------------------------------------------

def crop(s, rect, path):
    """A part of the screen as a PNG (left, top, width, height)."""
    shot = s.screenshot(s.output_path("screen").with_suffix(".png"))
    if shot is None:
        raise Failure("no screenshot could be taken")
    left, top, width, height = rect
    subprocess.run(["convert", str(shot), "-crop", f"{width}x{height}+{left}+{top}", "+repage", str(path)],
                   stdin=subprocess.DEVNULL, capture_output=True, timeout=60, check=True)
    return path


def faces(s):
    """Each look at its pixels: Normal and Disable as loaded; HighLight (the
    gradient turned over) with the pointer on an unfocused button; Pressed
    while the left button is held (the press focuses a hovered button: still
    turned over), HighLightSelect once the capture is taken away (the press
    is over) and after the release; Selected with white on top once the
    pointer has left the focused button.

    On the way it keeps pictures in its work folder: faces.png (each look of
    one button, enlarged) and gallery.png (the whole gallery, one button
    hovered and one focused), the pictures in docs/images. The buttons'
    window texts are their captions; captions are drawn in their FontColour,
    greyed on the disabled button."""
    g = start(s)
    plain, second, disabled = g["plain"], g["second"], g["disabled"]
    expected = tuple(twips_to_pixels(t, g.dpi) for t in PLAIN_TWIPS)
    if (plain.width, plain.height) != expected:
        raise Failure(f"plain is {plain.width}x{plain.height} pixels, the twips give {expected}")
    tiles = []

    def tile(name):
        margin = 3
        rect = (plain.left - margin, plain.top - margin, plain.width + 2 * margin, plain.height + 2 * margin)
        tiles.append(crop(s, rect, s.work / f"face-{len(tiles)}-{name}.png"))

    g.expect_face(plain, "Normal", False, "loaded")
    tile("normal")
    # The window's text is the caption, so screen readers name the button.
    for name, caption in (("plain", "Command"), ("set", "設定"), ("other", "その他の作品")):
        values = s.probe_ok("show", g[name].hwnd)
        if values.get("caption") != caption or values.get("class") != "Tavisk.Command":
            raise Failure(f"{name}: class {values.get('class')!r}, window text {values.get('caption')!r}; "
                          f"expected Tavisk.Command and {caption!r}")
    log("each button is a Tavisk.Command window whose text is its caption")
    g.expect_face(disabled, "Disable", False, "loaded disabled")
    # The captions' pixels inside the frame: in their FontColour (black unless
    # stored), greyed (a neutral grey) and never black when disabled.
    band = twips_to_pixels(BAND_TWIPS, g.dpi)
    for name, shown, never in (("plain", BLACK, RED_CAPTION), ("red_caption", RED_CAPTION, BLACK),
                               ("disabled", None, BLACK)):
        b = g[name]
        pixel = g.screen.region(b.left, b.top, b.width, b.height)
        inside = [pixel(x, y) for x in range(band, b.width - band) for y in range(band, b.height - band)]
        if never in inside or not any(p == shown if shown else p[0] == p[1] == p[2] < 200 for p in inside):
            raise Failure(f"{name}'s caption is not drawn in {shown or 'grey'} alone")
    log("captions: plain black, red_caption in its FontColour, the disabled one greyed and never black")
    s.move_to(*plain.centre)
    g.expect_face(plain, "HighLight", True, "pointer over")
    tile("highlight")
    s.button_down(1)
    g.expect_face(plain, "Pressed", True, "left button down")
    tile("pressed")
    # The pointer capture taken away (as a window popping up does): the
    # press is over, the button shows the face of its state.
    s.probe_ok("send", plain.hwnd, WM_CANCELMODE, 0, 0, 10000)
    g.expect_face(plain, "HighLightSelect", True, "the capture taken away while held")
    s.button_up(1)
    g.expect_face(plain, "HighLightSelect", True, "released")
    g.wait_clicks("plain", 1, "the click")
    s.move_to(*g.background_point())
    g.expect_face(plain, "Selected", False, "pointer gone from the focused button")
    tile("selected")
    s.move_to(*plain.centre)
    g.expect_face(plain, "HighLightSelect", False, "back over the focused button")
    tile("highlightselect")

    s.move_to(*second.centre)
    g.expect_face(second, "HighLight", True, "pointer over the second button")
    g.expect_face(plain, "Selected", False, "the focused button left")
    left, top, right, bottom = g.form_rect
    crop(s, (left, top, right - left, bottom - top), s.work / "gallery.png")
    disabled_tile = (disabled.left - 3, disabled.top - 3, disabled.width + 6, disabled.height + 6)
    tiles.append(crop(s, disabled_tile, s.work / "face-5-disable.png"))
    subprocess.run(["convert", *map(str, tiles), "+append", "-scale", "300%", str(s.work / "faces.png")],
                   stdin=subprocess.DEVNULL, capture_output=True, timeout=60, check=True)
    g.close()


def hover_timing(s):
    """Over a button and away again: the face follows each way within
    300 ms of the pointer's move (the way away waits for the 100 ms pointer
    watch)."""
    g = start(s)
    button = g["second"]
    away = g.background_point()
    g.expect_face(button, "Normal", False, "loaded")
    measured = []
    for attempt in range(1, HOVER_ATTEMPTS + 1):
        started = time.monotonic()
        s.move_to(*button.centre)
        enter = time.monotonic() - started + g.wait_face(button, "HighLight", True, "pointer over")
        started = time.monotonic()
        s.move_to(*away)
        leave = time.monotonic() - started + g.wait_face(button, "Normal", False, "pointer away")
        measured.append((enter, leave))
        log(f"attempt {attempt}: HighLight after {enter * 1000:.0f} ms, Normal again after {leave * 1000:.0f} ms")
        if enter <= HOVER_LIMIT and leave <= HOVER_LIMIT:
            break
    else:
        raise Failure("the face never followed the pointer within 300 ms: " +
                      ", ".join(f"{a * 1000:.0f}/{b * 1000:.0f} ms" for a, b in measured))
    g.close()


def clicks(s):
    """A click raises exactly one Click; a disabled button none; a right
    click on a hovered button one; a press dragged off the focused button
    shows Selected, stays so when dragged back, and its release is no click;
    released off the button it is no click either, and the button has seen
    the release (it shows the hovered look again when the pointer returns).
    Each step ends with a click on another button as a marker: when the
    marker's Click has come, everything before it has been handled."""
    g = start(s)
    plain, second, disabled = g["plain"], g["second"], g["disabled"]
    markers = 0

    def marker(why):
        nonlocal markers
        markers += 1
        s.move_to(*second.centre)
        s.click(1)
        g.wait_clicks("second", markers, why)

    s.move_to(*plain.centre)
    s.click(1)
    marker("after one click")
    if g.clicks("plain") != 1:
        raise Failure(f"one click on plain raised {g.clicks('plain')} Clicks")
    log("one click, one Click")

    s.move_to(*disabled.centre)
    s.click(1)
    marker("after a click on the disabled button")
    if g.clicks("disabled") != 0:
        raise Failure(f"the disabled button raised {g.clicks('disabled')} Clicks")
    g.expect_face(disabled, "Disable", False, "clicked while disabled")
    log("the disabled button raised no Click")

    s.move_to(*plain.centre)
    g.expect_face(plain, "HighLight", True, "pointer over, no focus")
    s.click(3)
    marker("after a right click")
    if g.clicks("plain") != 2:
        raise Failure(f"a right click on the hovered button gave {g.clicks('plain') - 1} Clicks, expected 1")
    log("a right click on a hovered button raised one Click")

    # second has the focus (the markers) and the pointer.
    g.expect_face(second, "HighLightSelect", False, "focused and hovered")
    s.button_down(1)
    g.expect_face(second, "Pressed", False, "pressed")
    s.move_to(*g.background_point())
    g.expect_face(second, "Selected", False, "dragged off while held")
    s.move_to(*second.centre)
    g.sync()
    time.sleep(0.25)  # two pointer-watch ticks over the button: still it must stay Selected
    wrong = g.face_errors(second, "Selected", False)
    if wrong:
        raise Failure("dragged back while held, the face changed: " + "; ".join(wrong))
    s.button_up(1)
    s.move_to(*plain.centre)
    s.click(1)
    g.wait_clicks("plain", 3, "the click after the drag")
    if g.clicks("second") != markers:
        raise Failure(f"the release after dragging off raised a Click ({g.clicks('second')} for {markers} markers)")
    log("a press dragged off the focused button and back raised no Click")

    # Released off the button: the button still hears the release (the press
    # holds the pointer), so coming back shows the hovered look again.
    s.move_to(*second.centre)
    s.button_down(1)
    g.expect_face(second, "Pressed", True, "pressed again")
    s.move_to(*g.background_point())
    g.expect_face(second, "Selected", False, "dragged off again")
    s.button_up(1)
    s.move_to(*second.centre)
    g.expect_face(second, "HighLightSelect", False, "back after a release elsewhere")
    s.move_to(*plain.centre)
    s.click(1)
    g.wait_clicks("plain", 4, "the click after the release elsewhere")
    if g.clicks("second") != markers:
        raise Failure(f"the release off the button raised a Click ({g.clicks('second')} for {markers} markers)")
    log("a press released off the focused button raised no Click, and the button saw the release")
    g.close()


def keyboard(s):
    """Tab focuses the first button (Selected); Space shows Pressed while held
    and clicks once on release; Enter clicks once; Tab skips the disabled
    button."""
    g = start(s)
    plain, second, exact = g["plain"], g["second"], g["exact"]
    s.press_key("Tab")
    g.expect_face(plain, "Selected", False, "Tab")
    s.xdotool("keydown", "space")
    try:
        g.expect_face(plain, "Pressed", False, "Space held")
        g.sync()
        if g.clicks("plain") != 0:
            raise Failure("Space clicked before it was released")
    finally:
        s.xdotool("keyup", "space")
    g.wait_clicks("plain", 1, "Space released")
    g.expect_face(plain, "Selected", False, "Space released")
    s.press_key("Return")
    g.wait_clicks("plain", 2, "Enter")
    s.press_key("Tab")
    g.expect_face(second, "Selected", False, "Tab again")
    g.expect_face(plain, "Normal", False, "the focus gone")
    s.press_key("Return")
    g.wait_clicks("second", 1, "Enter on the second button")
    s.press_key("Tab")
    g.expect_face(exact, "Selected", False, "Tab past the disabled button")
    g.sync()
    if (g.clicks("plain"), g.clicks("second")) != (2, 1):
        raise Failure(f"clicks: plain {g.clicks('plain')}, second {g.clicks('second')}; expected 2 and 1")
    log("Space and Enter raised one Click each; Tab skipped the disabled button")
    g.close()


def high_dpi(s):
    """At 144 dpi (the prefix's LogPixels) the button is 1.5 times its 96-dpi
    size, and its frame line and gradient are where the twips put them. The
    scenario has a prefix of its own, so the shared one never changes
    resolution, whatever happens to this scenario."""
    env = dict(s.env)
    env["WINEPREFIX"] = str(s.paths.build / DPI_PREFIX)
    prepare_prefix(s, env)
    try:
        g = Gallery(s, env, "gallery-144dpi")
        try:
            if g.dpi != 144:
                raise Failure(f"the gallery sees {g.dpi} dpi, not 144")
            plain = g["plain"]
            size_96 = tuple(twips_to_pixels(t, 96) for t in PLAIN_TWIPS)
            if (plain.width * 2, plain.height * 2) != (size_96[0] * 3, size_96[1] * 3):
                raise Failure(f"plain is {plain.width}x{plain.height} at 144 dpi; 1.5 x {size_96} expected")
            for button in g.buttons.values():
                if button.width <= 0 or button.height <= 0:
                    raise Failure(f"{button.name} has no size: {button.width}x{button.height}")
            log(f"plain is {plain.width}x{plain.height} pixels at 144 dpi, {size_96[0]}x{size_96[1]} at 96")
            s.move_to(*g.background_point())
            g.expect_face(plain, "Normal", False, "loaded at 144 dpi")
            line = picture_pixel_at(1, plain.height, 144)
            log(f"frame line on pixel row {line}, gradient from row {twips_to_pixels(BAND_TWIPS, 144)} to "
                f"{plain.height - twips_to_pixels(BAND_TWIPS, 144) - 1}")
        finally:
            g.screen.close()
            if g.proc.poll() is None:
                g.proc.kill()
                g.proc.wait()
    finally:
        end_prefix_session(s, env)


def prepare_prefix(s, env):
    """The scenario's own prefix, made once (about 15 s) and kept in the build
    folder; its resolution is set on every run."""
    started = time.monotonic()
    run_checked(s, [s.paths.tools / "wine-prefix"], "wine-prefix-144dpi", env, 600)
    run_checked(s, [s.paths.wine_run, "reg", "add", r"HKCU\Control Panel\Desktop", "/v", "LogPixels",
                    "/t", "REG_DWORD", "/d", "144", "/f"], "logpixels", env, 120)
    log(f"prefix {env['WINEPREFIX']} at 144 dpi after {time.monotonic() - started:.1f} s")


def run_checked(s, argv, label, env, deadline):
    proc = spawn(s, argv, label, env)
    try:
        rc = proc.wait(timeout=deadline)
    except subprocess.TimeoutExpired:
        proc.kill()
        raise Failure(f"{label} did not finish within {deadline} s") from None
    if rc != 0:
        raise Failure(f"{label} failed with {rc}{what_it_wrote(proc)}")


def end_prefix_session(s, env):
    """The scenario's prefix runs its own wineserver: wait for it to end so no
    process of the scenario outlives it."""
    try:
        subprocess.run(["wineserver", "-w"], env=env, stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                       stderr=subprocess.DEVNULL, timeout=SERVER_DEADLINE)
    except subprocess.TimeoutExpired:
        log(f"the 144-dpi prefix's wineserver still runs after {SERVER_DEADLINE:.0f} s: stopping it")
        subprocess.run(["wineserver", "-k"], env=env, stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                       stderr=subprocess.DEVNULL, timeout=SERVER_DEADLINE)


SCENARIOS = {
    "faces": faces,
    "hover_timing": hover_timing,
    "clicks": clicks,
    "keyboard": keyboard,
    "high_dpi": high_dpi,
}
