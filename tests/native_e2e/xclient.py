"""A small X client for the tests, through libX11 and ctypes: the windows a
test makes for the show to draw into, what the server says about windows,
the pixels they show, and the requests another program would make (take the
focus, ask a window to close). Input a person would give goes through
xdotool instead (see native_e2e.py).
"""

import ctypes
import ctypes.util


class XError(Exception):
    """The X client could not do what was asked."""


# From X.h and Xlib.h.
ZPIXMAP = 2
ALL_PLANES = 0xFFFFFFFF
IS_VIEWABLE = 2
CLIENT_MESSAGE = 33
REVERT_TO_PARENT = 2
CURRENT_TIME = 0
NO_EVENT_MASK = 0
CW_BACK_PIXEL = 1 << 1
CW_OVERRIDE_REDIRECT = 1 << 9
LSB_FIRST = 0


class XWindowAttributes(ctypes.Structure):
    _fields_ = [
        ("x", ctypes.c_int), ("y", ctypes.c_int),
        ("width", ctypes.c_int), ("height", ctypes.c_int),
        ("border_width", ctypes.c_int), ("depth", ctypes.c_int),
        ("visual", ctypes.c_void_p), ("root", ctypes.c_ulong),
        ("c_class", ctypes.c_int), ("bit_gravity", ctypes.c_int), ("win_gravity", ctypes.c_int),
        ("backing_store", ctypes.c_int), ("backing_planes", ctypes.c_ulong),
        ("backing_pixel", ctypes.c_ulong), ("save_under", ctypes.c_int),
        ("colormap", ctypes.c_ulong), ("map_installed", ctypes.c_int), ("map_state", ctypes.c_int),
        ("all_event_masks", ctypes.c_long), ("your_event_mask", ctypes.c_long),
        ("do_not_propagate_mask", ctypes.c_long), ("override_redirect", ctypes.c_int),
        ("screen", ctypes.c_void_p),
    ]


class XImage(ctypes.Structure):
    # Only the leading fields are read; the image is freed field by field.
    _fields_ = [
        ("width", ctypes.c_int), ("height", ctypes.c_int), ("xoffset", ctypes.c_int),
        ("format", ctypes.c_int), ("data", ctypes.c_void_p), ("byte_order", ctypes.c_int),
        ("bitmap_unit", ctypes.c_int), ("bitmap_bit_order", ctypes.c_int), ("bitmap_pad", ctypes.c_int),
        ("depth", ctypes.c_int), ("bytes_per_line", ctypes.c_int), ("bits_per_pixel", ctypes.c_int),
        ("red_mask", ctypes.c_ulong), ("green_mask", ctypes.c_ulong), ("blue_mask", ctypes.c_ulong),
        ("obdata", ctypes.c_void_p),
    ]


class XClientMessageEvent(ctypes.Structure):
    _fields_ = [
        ("type", ctypes.c_int), ("serial", ctypes.c_ulong), ("send_event", ctypes.c_int),
        ("display", ctypes.c_void_p), ("window", ctypes.c_ulong), ("message_type", ctypes.c_ulong),
        ("format", ctypes.c_int), ("data", ctypes.c_long * 5),
    ]


class XEvent(ctypes.Union):
    _fields_ = [("xclient", XClientMessageEvent), ("pad", ctypes.c_long * 24)]


class XSetWindowAttributes(ctypes.Structure):
    _fields_ = [
        ("background_pixmap", ctypes.c_ulong), ("background_pixel", ctypes.c_ulong),
        ("border_pixmap", ctypes.c_ulong), ("border_pixel", ctypes.c_ulong),
        ("bit_gravity", ctypes.c_int), ("win_gravity", ctypes.c_int), ("backing_store", ctypes.c_int),
        ("backing_planes", ctypes.c_ulong), ("backing_pixel", ctypes.c_ulong), ("save_under", ctypes.c_int),
        ("event_mask", ctypes.c_long), ("do_not_propagate_mask", ctypes.c_long),
        ("override_redirect", ctypes.c_int), ("colormap", ctypes.c_ulong), ("cursor", ctypes.c_ulong),
    ]


class XFixesCursorImage(ctypes.Structure):
    _fields_ = [
        ("x", ctypes.c_short), ("y", ctypes.c_short), ("width", ctypes.c_ushort), ("height", ctypes.c_ushort),
        ("xhot", ctypes.c_ushort), ("yhot", ctypes.c_ushort), ("cursor_serial", ctypes.c_ulong),
        ("pixels", ctypes.POINTER(ctypes.c_ulong)),
    ]


ERROR_HANDLER = ctypes.CFUNCTYPE(ctypes.c_int, ctypes.c_void_p, ctypes.c_void_p)


def _load():
    path = ctypes.util.find_library("X11")
    if path is None:
        raise XError("libX11 not found")
    x = ctypes.CDLL(path)
    d, w, i, u, ul = ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_uint, ctypes.c_ulong
    signatures = {
        "XOpenDisplay": (d, [ctypes.c_char_p]),
        "XCloseDisplay": (i, [d]),
        "XDefaultRootWindow": (w, [d]),
        "XDefaultScreen": (i, [d]),
        "XDisplayWidth": (i, [d, i]),
        "XDisplayHeight": (i, [d, i]),
        "XWhitePixel": (ul, [d, i]),
        "XCreateWindow": (w, [d, w, i, i, u, u, u, i, u, d, ul, ctypes.POINTER(XSetWindowAttributes)]),
        "XMapRaised": (i, [d, w]),
        "XUnmapWindow": (i, [d, w]),
        "XResizeWindow": (i, [d, w, u, u]),
        "XDestroyWindow": (i, [d, w]),
        "XStoreName": (i, [d, w, ctypes.c_char_p]),
        "XFetchName": (i, [d, w, ctypes.POINTER(ctypes.c_char_p)]),
        "XQueryTree": (i, [d, w, ctypes.POINTER(w), ctypes.POINTER(w), ctypes.POINTER(ctypes.POINTER(w)),
                           ctypes.POINTER(u)]),
        "XGetWindowAttributes": (i, [d, w, ctypes.POINTER(XWindowAttributes)]),
        "XGetImage": (ctypes.POINTER(XImage), [d, w, i, i, u, u, ul, i]),
        "XGetInputFocus": (i, [d, ctypes.POINTER(w), ctypes.POINTER(i)]),
        "XSetInputFocus": (i, [d, w, i, ul]),
        "XInternAtom": (ul, [d, ctypes.c_char_p, i]),
        "XSendEvent": (i, [d, w, i, ctypes.c_long, ctypes.POINTER(XEvent)]),
        "XSync": (i, [d, i]),
        "XFlush": (i, [d]),
        "XFree": (i, [d]),
        "XSetErrorHandler": (d, [ERROR_HANDLER]),
    }
    for name, (result, arguments) in signatures.items():
        function = getattr(x, name)
        function.restype = result
        function.argtypes = arguments
    return x


class Picture:
    """The pixels of a window as (r, g, b) rows, top row first."""

    def __init__(self, width, height, rows):
        self.width = width
        self.height = height
        self.rows = rows

    def pixels(self, left=0, top=0, right=None, bottom=None):
        right = self.width if right is None else right
        bottom = self.height if bottom is None else bottom
        for y in range(top, bottom):
            row = self.rows[y]
            for x in range(left, right):
                yield row[x]


class XClient:
    def __init__(self, display_name):
        self.x = _load()
        # Errors about windows that vanish under a test are the test's to
        # judge; Xlib's default would end the whole process.
        self.errors = []
        self._handler = ERROR_HANDLER(self._record_error)
        self.x.XSetErrorHandler(self._handler)
        self.handle = self.x.XOpenDisplay(display_name.encode())
        if not self.handle:
            raise XError(f"cannot open display {display_name}")
        self.root = self.x.XDefaultRootWindow(self.handle)
        screen = self.x.XDefaultScreen(self.handle)
        self.screen_size = (self.x.XDisplayWidth(self.handle, screen), self.x.XDisplayHeight(self.handle, screen))
        self._white = self.x.XWhitePixel(self.handle, screen)

    def _record_error(self, _display, _event):
        self.errors.append("X error")
        return 0

    def close(self):
        if self.handle:
            self.x.XCloseDisplay(self.handle)
            self.handle = None

    def sync(self):
        self.x.XSync(self.handle, 0)

    def atom(self, name):
        return self.x.XInternAtom(self.handle, name.encode(), 0)

    # Windows of the test's own.
    def create_window(self, width, height, name="native-e2e", mapped=True, override_redirect=True):
        """A window with a white background, so that drawing over it shows.
        Override-redirect keeps any window manager from moving it."""
        attributes = XSetWindowAttributes()
        attributes.background_pixel = self._white
        attributes.override_redirect = 1 if override_redirect else 0
        window = self.x.XCreateWindow(self.handle, self.root, 0, 0, width, height, 0, 0, 1, None,
                                      CW_BACK_PIXEL | CW_OVERRIDE_REDIRECT, ctypes.byref(attributes))
        self.x.XStoreName(self.handle, window, name.encode())
        if mapped:
            self.x.XMapRaised(self.handle, window)
        self.sync()
        return window

    def map(self, window):
        self.x.XMapRaised(self.handle, window)
        self.sync()

    def unmap(self, window):
        self.x.XUnmapWindow(self.handle, window)
        self.sync()

    def resize(self, window, width, height):
        self.x.XResizeWindow(self.handle, window, width, height)
        self.sync()

    def destroy(self, window):
        self.x.XDestroyWindow(self.handle, window)
        self.sync()

    def take_focus(self, window):
        self.x.XSetInputFocus(self.handle, window, REVERT_TO_PARENT, CURRENT_TIME)
        self.sync()

    def request_close(self, window):
        """What a window manager sends when a person closes a window."""
        event = XEvent()
        event.xclient.type = CLIENT_MESSAGE
        event.xclient.window = window
        event.xclient.message_type = self.atom("WM_PROTOCOLS")
        event.xclient.format = 32
        event.xclient.data[0] = self.atom("WM_DELETE_WINDOW")
        event.xclient.data[1] = CURRENT_TIME
        self.x.XSendEvent(self.handle, window, 0, NO_EVENT_MASK, ctypes.byref(event))
        self.sync()

    # What the server says.
    def top_level_windows(self):
        root, parent = ctypes.c_ulong(), ctypes.c_ulong()
        children = ctypes.POINTER(ctypes.c_ulong)()
        count = ctypes.c_uint()
        if not self.x.XQueryTree(self.handle, self.root, ctypes.byref(root), ctypes.byref(parent),
                                 ctypes.byref(children), ctypes.byref(count)):
            return []
        windows = [children[i] for i in range(count.value)]
        if children:
            self.x.XFree(children)
        return windows

    def name(self, window):
        text = ctypes.c_char_p()
        if not self.x.XFetchName(self.handle, window, ctypes.byref(text)) or not text.value:
            return None
        value = text.value.decode(errors="replace")
        self.x.XFree(text)
        return value

    def find_viewable(self, name):
        """The viewable top-level windows with this name."""
        found = []
        for window in self.top_level_windows():
            if self.name(window) == name:
                attributes = self.attributes(window)
                if attributes is not None and attributes.map_state == IS_VIEWABLE:
                    found.append(window)
        return found

    def attributes(self, window):
        attributes = XWindowAttributes()
        if not self.x.XGetWindowAttributes(self.handle, window, ctypes.byref(attributes)):
            return None
        return attributes

    def exists(self, window):
        before = len(self.errors)
        attributes = self.attributes(window)
        self.sync()
        return attributes is not None and len(self.errors) == before

    def cursor_opaque_pixels(self):
        """How many pixels of the pointer's picture on the screen now are not
        transparent (XFixes reads the cursor image back)."""
        path = ctypes.util.find_library("Xfixes")
        if path is None:
            raise XError("libXfixes not found")
        fixes = ctypes.CDLL(path)
        fixes.XFixesQueryVersion.argtypes = [ctypes.c_void_p, ctypes.POINTER(ctypes.c_int),
                                             ctypes.POINTER(ctypes.c_int)]
        fixes.XFixesGetCursorImage.restype = ctypes.POINTER(XFixesCursorImage)
        fixes.XFixesGetCursorImage.argtypes = [ctypes.c_void_p]
        major, minor = ctypes.c_int(6), ctypes.c_int(0)
        if not fixes.XFixesQueryVersion(self.handle, ctypes.byref(major), ctypes.byref(minor)):
            raise XError("the server has no XFIXES extension")
        image = fixes.XFixesGetCursorImage(self.handle)
        if not image:
            raise XError("cannot read the cursor image")
        try:
            i = image.contents
            # One ARGB pixel in each unsigned long.
            return sum(1 for k in range(i.width * i.height) if (i.pixels[k] >> 24) & 0xFF)
        finally:
            self.x.XFree(image)

    def focus(self):
        window, revert = ctypes.c_ulong(), ctypes.c_int()
        self.x.XGetInputFocus(self.handle, ctypes.byref(window), ctypes.byref(revert))
        return window.value

    def picture(self, window):
        """What the window shows now, read back from the server."""
        attributes = self.attributes(window)
        if attributes is None:
            raise XError(f"no window 0x{window:x}")
        image = self.x.XGetImage(self.handle, window, 0, 0, attributes.width, attributes.height, ALL_PLANES,
                                 ZPIXMAP)
        if not image:
            raise XError(f"cannot read the pixels of window 0x{window:x}")
        try:
            i = image.contents
            if i.bits_per_pixel != 32 or i.byte_order != LSB_FIRST:
                raise XError(f"unexpected image layout: {i.bits_per_pixel} bits, byte order {i.byte_order}")
            raw = ctypes.string_at(i.data, i.bytes_per_line * i.height)
            shifts = [(mask & -mask).bit_length() - 1 for mask in (i.red_mask, i.green_mask, i.blue_mask)]
            rows = []
            for y in range(i.height):
                line = raw[y * i.bytes_per_line:(y + 1) * i.bytes_per_line]
                words = memoryview(line).cast("I")
                rows.append([tuple((word >> shift) & 0xFF for shift in shifts) for word in words[:i.width]])
            return Picture(i.width, i.height, rows)
        finally:
            self.x.XFree(image.contents.data)
            self.x.XFree(image)
