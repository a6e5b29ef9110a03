"""The alert's latency on X11: from a window's appearance, or its new title, to the alert's first effect, the window
minimised, at scan intervals of 1000 and 60000 ms; prints the median and the 95th percentile of each beside the
targets, never a verdict.

Each trial starts the program watching from start-up (the copy in FOLDER, with the settings file beside it), waits
until it scans, then maps a window of this process, or gives one that was there a title that fits, and reads the
window's WM_STATE every millisecond until the window manager has made it Iconic. The lamps follow a flashing
interval later and are not waited for. The program is ended with SIGTERM after each trial.

Usage: /usr/bin/python3 alert_latency.py PROGRAM FOLDER [TRIALS, default 50]
"""
import os
import signal
import subprocess
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "tests", "linux", "e2e"))

import desktop  # noqa: E402  the lamps through XKB, put out after each trial
from Xlib import X, Xatom, display as xdisplay  # noqa: E402


def settings(scan, retitle):
    return ("[Status]\nStartWithWindows=0\n[Timers]\nDelayValue=1000\nScanInterval=%d\n[Lighting]\n"
            "LightingInterval=1000\n[FlashingPat]\nCaps=0\nNum=0\nScr=1\n[Actions]\nNothing=0\nMinimise=1\nClose=0\n"
            "[Advanced]\nHandlename=%s\n[Match]\nTitle=(*) Bench\nTitleEnable=%d\nWatchAtStart=1\n"
            % (scan, "" if retitle else "BenchAppears", 1 if retitle else 0))


class Windows:
    def __init__(self):
        self.d = xdisplay.Display()
        self.root = self.d.screen().root
        # Interned once here: an atom asked for between the two names would send the first name alone, and the
        # program could read the title between the two, as no toolkit lets it.
        self.net_name = self.d.intern_atom("_NET_WM_NAME")
        self.utf8 = self.d.intern_atom("UTF8_STRING")
        self.wm_state = self.d.intern_atom("WM_STATE")

    def make(self, title):
        w = self.root.create_window(0, 0, 200, 100, 0, self.d.screen().root_depth, X.InputOutput,
                                    X.CopyFromParent, background_pixel=self.d.screen().white_pixel)
        w.set_wm_class("benchappears", "BenchAppears")
        self.title(w, title)
        return w

    def title(self, w, title):
        w.change_property(Xatom.WM_NAME, Xatom.STRING, 8, title.encode())
        w.change_property(self.net_name, self.utf8, 8, title.encode())

    def iconic(self, w):
        """Whether the window manager has iconified the window (ICCCM WM_STATE, IconicState)."""
        try:
            p = w.get_full_property(self.wm_state, self.wm_state)
        except Exception:
            return False
        return bool(p) and len(p.value) > 0 and p.value[0] == 3

    def owned_by(self, pid, window=None):
        """Whether a window of the process exists yet, at any depth (its tray icon sits in the tray's panel): Qt
        names its process on each window it makes."""
        pid_atom = self.d.intern_atom("_NET_WM_PID")
        try:
            children = (window or self.root).query_tree().children
        except Exception:
            return False
        for w in children:
            try:
                p = w.get_full_property(pid_atom, Xatom.CARDINAL)
            except Exception:
                continue
            if (p and p.value[0] == pid) or self.owned_by(pid, w):
                return True
        return False


def until(pred, seconds, every=0.001):
    end = time.monotonic() + seconds
    while time.monotonic() < end:
        if pred():
            return True
        time.sleep(every)
    return pred()


def trial(program, folder, windows, scan, retitle, i):
    """Milliseconds from the event to the window minimised; None when it was not in time."""
    window = windows.make("Bench") if retitle else None
    if window:
        window.map()
        windows.d.sync()
    process = subprocess.Popen([program], cwd=folder, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    try:
        if not until(lambda: windows.owned_by(process.pid), 10, 0.01):
            return None
        time.sleep(1.4 + (i % 10) * 0.05)  # past the one-second delay, at a different point of the scan each time
        start = time.monotonic()
        if retitle:
            windows.title(window, "(1) Bench")
        else:
            window = windows.make("Bench")
            window.map()
        windows.d.flush()
        minimised = until(lambda: windows.iconic(window), min(scan, 5000) / 1000 + 3)
        return (time.monotonic() - start) * 1000 if minimised else None
    finally:
        process.send_signal(signal.SIGTERM)
        try:
            process.wait(5)
        except subprocess.TimeoutExpired:
            process.kill()
            process.wait()
        if window:
            window.destroy()
            windows.d.sync()
        desktop.all_lights_off()


def figures(name, ms, missed):
    if not ms:
        return "%-44s   no trial saw the window minimised" % name
    ms = sorted(ms)
    at = lambda q: ms[min(len(ms) - 1, int(q * (len(ms) - 1) + 0.5))]  # noqa: E731
    line = "%-44s %10.1f ms median  %8.1f ms p95  (%d trials)   target: median under 20 ms, p95 under 50 ms" % (
        name, at(0.5), at(0.95), len(ms))
    return line + ("  %d trials never minimised" % missed if missed else "")


def main(argv):
    program, folder = argv[1], argv[2]
    trials = int(argv[3]) if len(argv) > 3 else 50
    windows = Windows()
    desktop.all_lights_off()
    for scan in (1000, 60000):
        for retitle in (False, True):
            with open(os.path.join(folder, "vigilamp.ini"), "w") as f:
                f.write(settings(scan, retitle))
            results = [trial(program, folder, windows, scan, retitle, i) for i in range(trials)]
            lit = [r for r in results if r is not None]
            print(figures("alert after a window %s, scan %d ms" % ("retitled" if retitle else "appeared", scan),
                          lit, len(results) - len(lit)), flush=True)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
