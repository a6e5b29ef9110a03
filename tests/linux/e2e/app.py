"""A running copy of the program in a fresh folder of its own, and the helper windows it is to find."""
import configparser
import os
import shutil
import signal
import subprocess
import sys
import tempfile
import time

import desktop
import ui
from desktop import wait_for

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.abspath(os.path.join(HERE, "..", "..", ".."))
BUILD = os.path.join(ROOT, "build", "linux")
TEMP_PREFIX = "vigilamp-e2e-"

# Settings that keep the copy out of the user's session start-up unless a case is about that.
STARTED = []  # every process the cases started, copies and helpers: none may outlive the suite

NO_AUTOSTART = "[Status]\nStartWithWindows=0\n"


def ini_watching(cls, pattern="100", actions="Nothing=1\nMinimise=0\n", match="", flash=1000, scan=1000, delay=1000,
                 lighting=""):
    """Watches cls (empty: any class) with the delay, scan and flash intervals given (the delay a second unless
    told), the lights of pattern (Caps, Num, Scroll as 0/1) and the Actions, Match and further Lighting lines
    given."""
    caps, num, scr = pattern
    return (NO_AUTOSTART + "[Timers]\nDelayValue=%d\nScanInterval=%d\n[Lighting]\nLightingInterval=%d\n%s"
            "[FlashingPat]\nCaps=%s\nNum=%s\nScr=%s\n[Actions]\n%s[Advanced]\nHandlename=%s\n[Match]\n%s"
            % (delay, scan, flash, lighting, caps, num, scr, actions, cls, match))


class App:
    """Copies the executable (with the sound and the manual beside it) into a new temporary folder, writes the
    settings file when given, and starts it with the accessibility bridge on. HOME and XDG_CONFIG_HOME point
    into the folder, so nothing of the user's is read or written."""

    def __init__(self, ini=None, folder_tail="", files=None, ini_link=None):
        self.folder = tempfile.mkdtemp(prefix=TEMP_PREFIX, suffix=folder_tail)
        self.exe = os.path.join(self.folder, "vigilamp")
        shutil.copy2(os.path.join(BUILD, "vigilamp"), self.exe)
        # The sound and the manual (with its pictures) lie beside it, as the build and the package place them.
        for extra in ("vigilampairraid.mp3", "manual.html", "images"):
            source = os.path.join(BUILD, extra)
            if os.path.isdir(source):
                shutil.copytree(source, os.path.join(self.folder, extra))
            elif os.path.exists(source):
                shutil.copy2(source, self.folder)
        self.ini_path = os.path.join(self.folder, "vigilamp.ini")
        # Files the case puts beside it ("#!" scripts made executable); "{folder}" in them and in the settings
        # stands for the copy's folder.
        for name, text in (files or {}).items():
            path = os.path.join(self.folder, name)
            with open(path, "w") as f:
                f.write(text.replace("{folder}", self.folder))
            if text.startswith("#!"):
                os.chmod(path, 0o755)
        if ini is not None:
            with open(self.ini_path, "w") as f:
                f.write(ini.replace("{folder}", self.folder))
        if ini_link is not None:  # the settings file beside it is a link (to one no write can change, say)
            os.symlink(ini_link, self.ini_path)
        self.config_home = os.path.join(self.folder, "config")
        os.makedirs(self.config_home)
        # No sound card on a build machine: the player plays into a null sink.
        with open(os.path.join(self.folder, ".asoundrc"), "w") as f:
            f.write("pcm.!default {\n  type null\n}\nctl.!default {\n  type hw\n  card 0\n}\n")
        self.log_path = os.path.join(self.folder, "vigilamp.log")
        self.log = open(self.log_path, "w")
        self.screen = desktop.Screen()
        self.start()

    def start(self):
        """Starts the copy in its folder: at construction, or again once it has ended (as after a crash)."""
        env = dict(os.environ, HOME=self.folder, XDG_CONFIG_HOME=self.config_home,
                   QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1", QT_QPA_PLATFORM="xcb", QT_ACCESSIBILITY="1")
        self.started = time.monotonic()
        self.process = subprocess.Popen([self.exe], cwd=self.folder, env=env, stdout=self.log,
                                        stderr=subprocess.STDOUT)
        STARTED.append(self.process)
        self.pid = self.process.pid
        self.node = wait_for(lambda: ui.application(self.pid), 10, 0.1)

    # --- the process

    def running(self):
        return self.process.poll() is None

    def holds_open(self, path):
        """Whether the program has the file open now (a player reading it)."""
        fds = os.path.join("/proc", str(self.pid), "fd")
        try:
            return any(os.path.realpath(os.path.join(fds, fd)) == os.path.realpath(path) for fd in os.listdir(fds))
        except OSError:
            return False

    def wait_exit(self, seconds=5.0):
        try:
            self.process.wait(timeout=seconds)
            return True
        except subprocess.TimeoutExpired:
            return False

    def output(self):
        self.log.flush()
        with open(self.log_path, errors="replace") as f:
            return f.read()

    def close(self):
        """Ends the copy if it still runs (SIGTERM, then SIGKILL) and removes its folder."""
        if self.running():
            self.process.send_signal(signal.SIGTERM)
            if not self.wait_exit(3):
                self.process.kill()
                self.wait_exit(3)
        self.log.close()
        shutil.rmtree(self.folder, ignore_errors=True)

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        self.close()

    # --- the settings file

    def ini(self, section, key, path=None):
        """A key of the settings file (the one beside the executable unless path says) as the program would read
        it; None when it is not there."""
        path = path or self.ini_path
        if not os.path.exists(path):
            return None
        parser = configparser.RawConfigParser(strict=False)
        parser.optionxform = str
        parser.read(path)
        return parser.get(section, key, fallback=None)

    # --- the windows

    def application(self):
        if self.node is None:
            self.node = ui.application(self.pid)
        return self.node

    def frame(self):
        return ui.find(self.application(), "frame", ui.TITLE, depth=1)

    def main_window(self):
        """The main window's X11 client window (by _NET_WM_PID and title), or None."""
        for w in self.screen.clients_of(self.pid):
            if self.screen.name(w) == ui.TITLE:
                return w
        return None

    def main_shown(self):
        w = self.main_window()
        return w is not None and self.screen.mapped(w) and "_NET_WM_STATE_HIDDEN" not in self.screen.net_state(w)

    def tray_icon(self):
        """The icon's window docked in the tray, or None."""
        docked = self.screen.docked("vigilamp")
        return docked[0] if docked else None

    def click_tray(self, button=1, repeat=1):
        icon = self.tray_icon()
        x, y, w, h = self.screen.geometry(icon)
        desktop.click_at(x + w // 2, y + h // 2, button, repeat)

    def show(self):
        """Shows the main window as a user does, with a double click on the tray icon."""
        self.click_tray(1, 2)
        return wait_for(self.main_shown, 5) and wait_for(lambda: ui.showing(self.frame()) if self.frame() else False,
                                                          5, 0.1)

    def node_in_frame(self, role, name=None, seconds=5.0):
        return ui.wait_node(self.frame, role, name, seconds)

    def button(self, name):
        """A push button of the main window by its text."""
        return self.node_in_frame("push button", name)

    def tray_menu(self):
        """Right-clicks the tray icon; returns the pop-up menu's X11 window once it is mapped, or None. (The
        accessibility bus does not list a menu without a parent window, so it is worked with the keyboard.)"""
        before = {w.id for w in self.popups()}
        self.click_tray(3)
        return wait_for(lambda: next((w for w in self.popups() if w.id not in before), None), 5, 0.05)

    def popups(self):
        """The program's mapped override-redirect windows (menus) on the root."""
        found = []
        for w in self.screen.root.query_tree().children:
            try:
                if (w.get_attributes().override_redirect and self.screen.mapped(w)
                        and (self.screen.wm_class(w) or ("",))[0] == "vigilamp"):
                    found.append(w)
            except Exception:
                continue
        return found

    def tray_choose(self, steps):
        """Picks the tray menu's item that many steps down (separators skipped: Show 1, Execute 2, Reset 3,
        Disable 4, Exit 5) with the arrow keys and Return; True once the menu has closed."""
        menu = self.tray_menu()
        if menu is None:
            return False
        # It pops up at the pointer, which would make the item under it the current one: the pointer leaves, so
        # the arrows count from the top.
        x, y, w, h = self.screen.geometry(menu)
        desktop.xdotool("mousemove", x + w // 2, y + h + 40)
        time.sleep(0.1)
        for _ in range(steps):
            desktop.xdotool("key", "Down")
        desktop.xdotool("key", "Return")
        return bool(wait_for(lambda: not self.screen.mapped(menu), 3))

    def status(self):
        """The status line's text ("Vigilamp is idle." ...), or None when it cannot be read."""
        labels = ui.find_all(self.frame(), lambda n: ui.role(n) == "label" and ui.name(n).startswith("Vigilamp is"))
        return ui.name(labels[0]) if labels else None

    def menu_item(self, menu, item):
        """An item of a menu of the menu bar."""
        bar = ui.find(self.frame(), "menu bar")
        m = ui.find(bar, "menu item", menu, depth=1) if bar is not None else None
        return ui.find(m, "menu item", item) if m is not None else None

    def choose(self, menu, item, wait=True):
        node = wait_for(lambda: self.menu_item(menu, item), 5, 0.1)
        if node is None:
            return False
        ui.press(node, wait)
        return True

    def says(self, text):
        """Whether a window of the program shows text now (the tray icon's balloon, say)."""
        app = self.application()
        return app is not None and bool(ui.find_all(app, lambda n: text in ui.name(n) and ui.showing(n)))

    def box(self, caption, seconds=5.0):
        """A message box of the program with that caption, once it shows, or None."""
        def look():
            for n in ui.children(self.application()):
                if ui.role(n) in ("dialog", "alert") and ui.name(n) == caption and ui.showing(n):
                    return n
            return None
        return wait_for(look, seconds, 0.1)

    def box_text(self, box):
        labels = ui.find_all(box, lambda n: ui.role(n) == "label" and ui.name(n))
        return " | ".join(ui.name(n) for n in labels)

    def answer(self, box, button):
        node = ui.find(box, "push button", button)
        if node is None:
            return False
        ui.press(node, wait=False)
        return True


class Helper:
    """A window of a chosen class in a helper process (helper_window.py), and what it reported."""

    def __init__(self, cls, title="Conversation", instance=None, options=()):
        fd, self.report_path = tempfile.mkstemp(prefix=TEMP_PREFIX + "helper-")
        os.close(fd)
        self.process = subprocess.Popen([sys.executable, os.path.join(HERE, "helper_window.py"), self.report_path,
                                         instance or cls.lower(), cls, title, *map(str, options)])
        STARTED.append(self.process)
        self.window_id = None
        line = wait_for(lambda: next((l for l in self.reports() if l.startswith("mapped ")), None), 10)
        if line:
            self.window_id = int(line.split()[1])
        self.mapped_at = time.monotonic()

    def reports(self):
        try:
            with open(self.report_path) as f:
                return f.read().split("\n")
        except FileNotFoundError:
            return []

    def reported(self, what, seconds=0.0):
        """Whether the helper reported what (waiting up to seconds)."""
        return bool(wait_for(lambda: what in self.reports(), seconds))

    def running(self):
        return self.process.poll() is None

    def close(self):
        if self.running():
            self.process.kill()
        self.process.wait()
        os.unlink(self.report_path)

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        self.close()
