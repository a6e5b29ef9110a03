"""The desktop as the suite sees it from outside the program: the keyboard's lock lights (XKB), the windows
(EWMH, ICCCM), the tray and the pointer (xdotool)."""
import ctypes
import ctypes.util
import hashlib
import subprocess
import time

from Xlib import X, Xatom, display as xdisplay

LIGHTS = ("Caps Lock", "Num Lock", "Scroll Lock")


class _Xkb:
    """Reads and sets the three lock indicators through libX11's XKB calls, on a connection of its own."""

    def __init__(self):
        self.x = ctypes.CDLL(ctypes.util.find_library("X11"))
        self.x.XOpenDisplay.restype = ctypes.c_void_p
        self.x.XOpenDisplay.argtypes = [ctypes.c_char_p]
        self.x.XInternAtom.restype = ctypes.c_ulong
        self.x.XInternAtom.argtypes = [ctypes.c_void_p, ctypes.c_char_p, ctypes.c_int]
        self.x.XkbGetNamedIndicator.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.POINTER(ctypes.c_int),
                                                ctypes.POINTER(ctypes.c_int), ctypes.c_void_p, ctypes.c_void_p]
        self.x.XkbSetNamedIndicator.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_int,
                                                ctypes.c_int, ctypes.c_void_p]
        self.x.XkbLockModifiers.argtypes = [ctypes.c_void_p, ctypes.c_uint, ctypes.c_uint, ctypes.c_uint]
        self.x.XSync.argtypes = [ctypes.c_void_p, ctypes.c_int]
        self.dpy = self.x.XOpenDisplay(None)
        if not self.dpy:
            raise RuntimeError("no X display")
        self.atoms = {name: self.x.XInternAtom(self.dpy, name.encode(), 0) for name in LIGHTS}

    def on(self, name):
        self.x.XSync(self.dpy, 0)
        state = ctypes.c_int(0)
        ok = self.x.XkbGetNamedIndicator(self.dpy, self.atoms[name], None, ctypes.byref(state), None, None)
        if not ok:
            raise RuntimeError("the keyboard has no indicator " + name)
        return bool(state.value)

    def set(self, name, on):
        # Caps and Num Lock are locked modifiers (the indicator follows them); Scroll Lock is only a light.
        mask = {"Caps Lock": X.LockMask, "Num Lock": X.Mod2Mask}.get(name)
        if mask:
            self.x.XkbLockModifiers(self.dpy, 0x0100, mask, mask if on else 0)  # XkbUseCoreKbd
        self.x.XkbSetNamedIndicator(self.dpy, self.atoms[name], 1, 1 if on else 0, 0, None)
        self.x.XSync(self.dpy, 0)


_xkb = None


def _kb():
    global _xkb
    if _xkb is None:
        _xkb = _Xkb()
    return _xkb


def lights():
    """The three lights as a string of 0 and 1: Caps, Num, Scroll."""
    return "".join("1" if _kb().on(n) else "0" for n in LIGHTS)


def light(name):
    return _kb().on(name)


def set_light(name, on):
    _kb().set(name, on)


def xset_lights():
    """The lights as xset q reports them, the way a person would check: another reader than XKB's calls."""
    out = subprocess.run(["xset", "q"], capture_output=True, text=True).stdout
    words = out.split()
    found = ""
    for name in ("Caps", "Num", "Scroll"):
        i = words.index(name)
        found += "1" if words[i + 2] == "on" else "0"  # "Caps Lock: on"
    return found


def set_lights(pattern):
    """Sets the three lights as a user's presses would, Caps, Num and Scroll as "0"/"1"."""
    for name, on in zip(LIGHTS, pattern):
        set_light(name, on == "1")
    return wait_for(lambda: lights() == pattern, 2)


def locks():
    """The locked Caps and Num modifiers as "00" to "11": what the user's typing obeys, whatever the lamps show."""
    mask = Screen.shared().root.query_pointer().mask
    return ("1" if mask & X.LockMask else "0") + ("1" if mask & X.Mod2Mask else "0")


def sample(seconds, every=0.1, icon=None):
    """The lamps, the locks and (given the tray icon's window) a digest of the icon's picture over time: a list
    of (seconds since start, lamps, locks, picture) read every ~100 ms."""
    start = time.monotonic()
    samples = []
    while time.monotonic() - start < seconds:
        picture = Screen.shared().picture(icon) if icon is not None else None
        samples.append((time.monotonic() - start, lights(), locks(), picture))
        time.sleep(every)
    return samples


def all_lights_off():
    for n in LIGHTS:
        set_light(n, False)
    return wait_for(lambda: lights() == "000", 2)


def wait_for(pred, seconds=5.0, every=0.05):
    """Polls pred until it holds or the deadline passes; returns its last value."""
    end = time.monotonic() + seconds
    while True:
        value = pred()
        if value or time.monotonic() >= end:
            return value
        time.sleep(every)


def sample_lights(seconds, every=0.1):
    """The lights over time: a list of (seconds since start, "ccc") read every ~100 ms."""
    start = time.monotonic()
    samples = []
    while time.monotonic() - start < seconds:
        samples.append((time.monotonic() - start, lights()))
        time.sleep(every)
    return samples


def runs(samples, index):
    """The lengths (s) of the on and off stretches of one light in samples, whole stretches only: the first and
    last are cut by the window of sampling. Returns (list of on lengths, list of off lengths)."""
    on, off, edges = [], [], []
    for (t, s), (t2, s2) in zip(samples, samples[1:]):
        if s[index] != s2[index]:
            edges.append((t2, s2[index]))
    for (t, state), (t2, _) in zip(edges, edges[1:]):
        (on if state == "1" else off).append(t2 - t)
    return on, off


class Screen:
    """The windows of the display, through python-xlib."""

    _shared = None

    def __init__(self):
        self.d = xdisplay.Display()
        self.root = self.d.screen().root

    @classmethod
    def shared(cls):
        if cls._shared is None:
            cls._shared = Screen()
        return cls._shared

    def picture(self, window):
        """A digest of what the screen shows of window, or None when it cannot be read (gone, unmapped)."""
        try:
            x, y, w, h = self.geometry(window)
            image = self.root.get_image(x, y, w, h, X.ZPixmap, 0xFFFFFFFF)
        except Exception:
            return None
        return hashlib.sha1(image.data).hexdigest()[:12]

    def atom(self, name):
        return self.d.intern_atom(name)

    def prop(self, window, name, type_=X.AnyPropertyType):
        try:
            p = window.get_full_property(self.atom(name), type_)
        except Exception:
            return None
        return p.value if p else None

    def tree(self, window=None):
        """Every window under window (the root by default), depth first."""
        window = window or self.root
        out = []
        try:
            children = window.query_tree().children
        except Exception:
            return out
        for c in children:
            out.append(c)
            out.extend(self.tree(c))
        return out

    def wm_class(self, window):
        try:
            return window.get_wm_class()
        except Exception:
            return None

    def name(self, window):
        v = self.prop(window, "_NET_WM_NAME")
        if v is None:
            v = self.prop(window, "WM_NAME")
        return v.decode("utf-8", "replace") if isinstance(v, bytes) else v

    def client_list(self):
        v = self.prop(self.root, "_NET_CLIENT_LIST", Xatom.WINDOW)
        return [self.d.create_resource_object("window", w) for w in (v or [])]

    def clients_of(self, pid):
        return [w for w in self.client_list() if (self.prop(w, "_NET_WM_PID", Xatom.CARDINAL) or [None])[0] == pid]

    def mapped(self, window):
        try:
            return window.get_attributes().map_state == X.IsViewable
        except Exception:
            return False

    def net_state(self, window):
        v = self.prop(window, "_NET_WM_STATE", Xatom.ATOM) or []
        return {self.d.get_atom_name(a) for a in v}

    def trayer_panel(self):
        for w in self.tree():
            c = self.wm_class(w)
            if c and "trayer" in (c[0].lower(), c[1].lower()) and self.name(w) == "panel":
                return w
        return None

    def docked(self, instance):
        """The windows docked in trayer's panel whose WM_CLASS instance or class is instance."""
        panel = self.trayer_panel()
        if panel is None:
            return []
        return [w for w in self.tree(panel)
                if (self.wm_class(w) or ("", ""))[0].lower() == instance.lower()
                or (self.wm_class(w) or ("", ""))[1].lower() == instance.lower()]

    def geometry(self, window):
        """(x, y, width, height) on the root."""
        g = window.get_geometry()
        t = window.translate_coords(self.root, 0, 0)
        return -t.x, -t.y, g.width, g.height


def xdotool(*args):
    return subprocess.run(["xdotool", *map(str, args)], capture_output=True, text=True, timeout=10)


def click_at(x, y, button=1, repeat=1):
    # (--sync would wait forever when the pointer is already there.)
    xdotool("mousemove", x, y)
    xdotool("click", "--repeat", repeat, "--delay", 80, button)
