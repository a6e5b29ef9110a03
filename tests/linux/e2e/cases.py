"""The cases: each starts the real program once or a few times and proves a group of related things from outside,
through the tray, the accessibility bus, the X11 windows and the keyboard's lock lights."""
import os
import signal
import time

import desktop
import ui
from app import App, Helper, NO_AUTOSTART, ini_watching
from desktop import wait_for
from suite import case, check, require

IDLE, ACTIVE = "Vigilamp is idle.", "Vigilamp is active!"
# Steps down the tray menu, separators skipped.
TRAY_SHOW, TRAY_EXECUTE, TRAY_RESET, TRAY_DISABLE, TRAY_EXIT = 1, 2, 3, 4, 5
EXIT_QUESTION = "Are you sure you wish to close Vigilamp?"


def flashing(samples, pattern, interval):
    """Whether the lights in samples flash pattern ("101": Caps and Scroll) together at about interval seconds,
    the others staying off; returns (bool, a description for a failure). The lights are switched one request
    each, so a lone sample caught between two of them (one on, the next not yet) is no fault."""
    samples = [(t, s) for i, (t, s) in enumerate(samples)
               if s in (pattern, "000") or not (0 < i < len(samples) - 1 and samples[i - 1][1] != s != samples[i + 1][1])]
    seen = {s for _, s in samples}
    on_runs, off_runs = desktop.runs(samples, pattern.index("1"))
    lengths = on_runs + off_runs
    ok = (seen == {pattern, "000"} and len(on_runs) >= 1 and len(off_runs) >= 1
          and all(0.6 * interval <= l <= 1.5 * interval for l in lengths))
    return ok, "states %s, on %s, off %s" % (sorted(seen), ["%.2f" % l for l in on_runs],
                                            ["%.2f" % l for l in off_runs])


def status_is(app, text, seconds=3.0):
    return wait_for(lambda: app.status() == text, seconds, 0.1)


def execute(app):
    """The Execute button of the Status page, pressed (the window shown first when it is hidden: the bus lists
    no hidden window)."""
    if app.frame() is None:
        require(app.show(), "the main window shows")
    button = app.button("Execute")
    require(button is not None, "the Execute button is there", ui.dump(app.application(), depth=3))
    ui.press(button)
    return True


def disable(app):
    button = app.button("Disable")
    require(button is not None, "the Disable button is there")
    ui.press(button)


FIRST_START_NOTE = "is running in the notification area. Double-click its icon to open it."


@case
def start_hidden_in_the_tray_and_show_and_hide_from_it():
    with App() as app:  # no settings file at all
        icon = wait_for(app.tray_icon, 10, 0.1)
        check(icon is not None, "the tray icon docks in the tray's panel",
              "tray: " + str([app.screen.wm_class(w) for w in app.screen.tree(app.screen.trayer_panel())]))
        check(wait_for(lambda: app.says(FIRST_START_NOTE), 5, 0.1), "the very first start says where it went",
              ui.dump(app.application(), depth=4) if app.application() else "not on the bus")
        time.sleep(0.5)
        shown = [app.screen.name(w) for w in app.screen.clients_of(app.pid) if app.screen.mapped(w)]
        check(not shown, "no window of the program is mapped at start-up", shown)
        check(app.running(), "the program runs without a settings file", app.output()[-500:])
        check(not os.path.exists(app.ini_path), "and start-up creates none")
        if icon is None:
            return
        app.click_tray(1, 2)
        check(wait_for(app.main_shown, 5), "a double click on the icon shows the main window \"Vigilamp Rizu!\"")
        frame = wait_for(app.frame, 5, 0.1)
        check(frame is not None and ui.showing(frame), "the accessibility bus shows its frame",
              ui.dump(app.application(), depth=2) if app.application() else "no application on the bus")
        check(status_is(app, IDLE), "its status line reads idle", app.status())
        check(app.choose("Vigilamp", "Hide"), "the menu Vigilamp has Hide")
        check(wait_for(lambda: app.main_window() is None, 5),
              "Vigilamp > Hide hides the window (withdrawn: no longer one of the window manager's clients)")
        check(app.show(), "the double click shows it again")
        desktop.xdotool("windowminimize", app.main_window().id)  # as the title bar's minimise button does
        gone = wait_for(lambda: app.main_window() is None, 5, 0.01)
        back = wait_for(lambda: app.main_window() is not None, 1.5, 0.01)
        check(gone and not back, "minimised, it goes away into the tray (withdrawn) and stays away",
              "withdrawn %s, then a client again %s, mapped %s" % (
                  bool(gone), bool(back), app.main_window() is not None and app.screen.mapped(app.main_window())))
        check(app.show(), "and the double click brings it back")
        check(app.running() and status_is(app, IDLE), "showing and hiding started nothing", app.status())
        for steps, name, status in ((TRAY_EXECUTE, "Execute", ACTIVE), (TRAY_DISABLE, "Disable", IDLE),
                                    (TRAY_RESET, "Reset", ACTIVE), (TRAY_DISABLE, "Disable", IDLE)):
            check(app.tray_choose(steps) and status_is(app, status), "the tray menu's %s: %s" % (name, status),
                  app.status())
        check(app.choose("Vigilamp", "Hide") and wait_for(lambda: app.main_window() is None, 5), "hidden again")
        check(app.tray_choose(TRAY_SHOW) and wait_for(app.main_shown, 5),
              "the tray menu's \"Show Vigilamp Rizu!\" shows it")
        app.process.send_signal(signal.SIGTERM)
        app.wait_exit(5)
        config_ini = os.path.join(app.config_home, "vigilamp", "vigilamp.ini")
        kept = open(config_ini).read() if os.path.exists(config_ini) else None
    check(kept is not None, "its end kept a settings file")
    with App(kept or NO_AUTOSTART) as again:
        wait_for(again.tray_icon, 10, 0.1)
        check(not wait_for(lambda: again.says(FIRST_START_NOTE), 2.5, 0.1), "and the next start says nothing")


@case
def execute_flashes_the_pattern_after_delay_and_scan_until_disabled():
    with Helper("VigilampWatched", "Conversation") as helper, \
            App(ini_watching("VigilampWatched", pattern="101")) as app:
        check(app.show(), "the main window shows")
        check(status_is(app, IDLE), "idle before Execute", app.status())
        icon = app.tray_icon()
        usual = desktop.Screen.shared().picture(icon)
        start = time.monotonic()
        if not execute(app):
            return
        check(status_is(app, ACTIVE), "Execute: the status line reads active", app.status())
        # A one-second delay, then a one-second scan finds the window: nothing may light before.
        # The first flash comes a flashing interval after the alert: nothing may light before delay + scan + half.
        early = desktop.sample_lights(2.5 - (time.monotonic() - start))
        check(all(s == "000" for _, s in early), "no light before delay + scan interval",
              [s for _, s in early if s != "000"][:3])
        first = wait_for(lambda: desktop.lights() != "000", 4.5 - (time.monotonic() - start), 0.02)
        check(first, "the alert lights the pattern", "%.1f s after Execute" % (time.monotonic() - start))
        check(desktop.xset_lights() in ("101", "000"), "xset q reads the same lights", desktop.xset_lights())
        seen = desktop.sample(4.5, icon=icon)
        ok, why = flashing([(t, lamps) for t, lamps, _, _ in seen], "101", 1.0)
        check(ok, "Caps and Scroll Lock flash together every second, Num Lock stays off", why)
        # The tray icon flashes with them: a second picture, lit while the lamps are, the usual one between.
        pictures = {picture for _, _, _, picture in seen}
        lit = [(t, "1" if picture != usual else "0") for t, _, _, picture in seen]
        on_runs, off_runs = desktop.runs(lit, 0)
        together = sum((lamps == "101") == (mark == "1") for (_, lamps, _, _), (_, mark) in zip(seen, lit))
        check(len(pictures) == 2 and usual in pictures and on_runs and off_runs
              and all(0.6 <= l <= 1.5 for l in on_runs + off_runs) and together >= 0.9 * len(seen),
              "the tray icon flashes a lit picture with the lamps",
              "%d pictures, lit %s, usual %s, in step %d of %d" % (len(pictures), ["%.2f" % l for l in on_runs],
                                                                 ["%.2f" % l for l in off_runs], together, len(seen)))
        check(helper.running() and "iconic" not in helper.reports() and "delete" not in helper.reports(),
              "the window is left alone (Nothing)", helper.reports())
        # Reset: the alert stops at once and the watch starts over, so the window still there alerts again
        # after delay and scan.
        reset = app.button("Reset")
        require(reset is not None, "the Reset button is there")
        ui.press(reset)
        at = time.monotonic()
        check(wait_for(lambda: desktop.lights() == "000", 1.2), "Reset puts the lights off", desktop.lights())
        check(wait_for(lambda: desktop.Screen.shared().picture(icon) == usual, 1.2), "and the usual icon back")
        quiet = desktop.sample_lights(1.5 - (time.monotonic() - at))
        check(all(s == "000" for _, s in quiet), "for delay and scan", sorted({s for _, s in quiet}))
        check(status_is(app, ACTIVE, 1), "watching again", app.status())
        check(wait_for(lambda: desktop.lights() == "101", 4, 0.02), "then the window alerts again",
              "%.1f s after Reset" % (time.monotonic() - at))
        disable(app)
        check(wait_for(lambda: desktop.lights() == "000", 2), "Disable puts the lights off", desktop.lights())
        later = desktop.sample(2.5, icon=icon)
        check(all(lamps == "000" and picture == usual for _, lamps, _, picture in later),
              "and they stay off, the tray icon the usual one", sorted({lamps for _, lamps, _, _ in later}))
        check(status_is(app, IDLE), "the status line reads idle again", app.status())


@case
def a_title_pattern_alerts_once_the_title_fits_and_not_before():
    # Any class (none picked) with the pattern on: only the title decides. The helper comes just after Execute,
    # and its title gains its count 3.5 s after it is mapped: past the delay and at least one scan.
    with App(ini_watching("", pattern="010", match="Title=(*)*\nTitleEnable=1\n")) as app:
        execute(app)
        executed = time.monotonic()
        with Helper("VigilampTitled", "Inbox", options=["--retitle", 3.5, "(1) Inbox"]) as helper:
            seen = set()

            def retitled():
                seen.add(desktop.lights())
                return "title (1) Inbox" in helper.reports()

            check(wait_for(retitled, 8, 0.05) and time.monotonic() - executed > 3.2,
                  "the helper keeps the title \"Inbox\" past delay and two scans",
                  "%.1f s" % (time.monotonic() - executed))
            check(seen == {"000"}, "scans while the title is \"Inbox\" raise no alert", sorted(seen))
            at = time.monotonic()
            check(wait_for(lambda: desktop.light("Num Lock"), 4, 0.02), "\"(1) Inbox\" fits \"(*)*\": Num Lock flashes",
                  "%.1f s after the title changed" % (time.monotonic() - at))
            disable(app)
            check(wait_for(lambda: desktop.lights() == "000", 2), "Disable puts it off")


@case
def the_found_window_is_minimised_or_closed_and_a_hung_one_blocks_nothing():
    # Minimise, with the default sound: the player plays it from the program's folder.
    with Helper("VigilampActionMinimise") as helper, \
            App(ini_watching("VigilampActionMinimise", pattern="001",
                             actions="Minimise=1\nAudioEnable=1\nAudFile={folder}/vigilampairraid.mp3\n")) as app:
        sound = os.path.join(app.folder, "vigilampairraid.mp3")
        execute(app)
        check(wait_for(lambda: desktop.light("Scroll Lock"), 6, 0.02), "Minimise: the alert flashes Scroll Lock")
        check(helper.reported("iconic", 3) or helper.reported("hidden"), "the window is minimised (iconic)",
              helper.reports())
        check(helper.running() and "delete" not in helper.reports(), "and not closed")
        check(wait_for(lambda: app.holds_open(sound), 3), "the player has the sound file open")
        check(app.box("Error", 0) is None and app.box(ui.TITLE, 0) is None, "no error was shown")
        disable(app)
        check(wait_for(lambda: not app.holds_open(sound), 3), "Disable stops it and lets the file go")
    # Close, with a program to run: it starts with no arguments.
    with Helper("VigilampActionClose") as helper, \
            App(ini_watching("VigilampActionClose", pattern="001",
                             actions="Close=1\nMinimise=0\nEnable=1\nFile={folder}/notify.sh\n"),
                files={"notify.sh": '#!/bin/sh\necho "ran with $# arguments" > "{folder}/notify.ran"\n'}) as app:
        execute(app)
        check(wait_for(lambda: desktop.light("Scroll Lock"), 6, 0.02), "Close: the alert flashes Scroll Lock")
        check(helper.reported("delete", 3), "the window is asked to close (WM_DELETE_WINDOW)", helper.reports())
        check(wait_for(lambda: not helper.running(), 3), "and closes")
        ran = os.path.join(app.folder, "notify.ran")
        check(wait_for(lambda: os.path.exists(ran) and open(ran).read() == "ran with 0 arguments\n", 3),
              "the chosen program ran, with no arguments", open(ran).read() if os.path.exists(ran) else "not run")
        disable(app)
    # A window that never reads its events again: closing it cannot be answered, and nothing may wait for that.
    with Helper("VigilampActionHung", "Hung", options=["--hang"]) as helper, \
            App(ini_watching("VigilampActionHung", pattern="001", actions="Close=1\nMinimise=0\n")) as app:
        check(helper.window_id is not None, "the hung helper's window is mapped")
        execute(app)
        check(wait_for(lambda: desktop.light("Scroll Lock"), 6, 0.02), "a hung window that fits raises the alert")
        ok, why = flashing(desktop.sample_lights(3.5), "001", 1.0)
        check(ok, "and the lights go on flashing", why)
        asked = time.monotonic()
        status = app.status()
        check(status == ACTIVE and time.monotonic() - asked < 1.0, "the program answers at once while it flashes",
              "%r in %.2f s" % (status, time.monotonic() - asked))
        disable(app)
        check(status_is(app, IDLE, 2), "Disable is obeyed", app.status())
        check(wait_for(lambda: desktop.lights() == "000", 2), "with the light off")


@case
def a_window_asking_for_attention_alerts_at_once_only_when_it_fits_and_only_while_watching():
    # The scan comes only a minute after the delay: an alert within seconds is the attention, not the scan.
    # Window events would find a window of the class as it appears, so the windows that fit come before Execute.
    ini = ini_watching("VigilampAttention", pattern="010", scan=60000, match="Attention=1\n")
    num = lambda: desktop.light("Num Lock")  # noqa: E731
    with App(ini) as app:
        with Helper("VigilampAttention", "Idle", options=["--urgent", 1]) as fits:
            fits.reported("urgent", 5)
            check(not wait_for(num, 2), "idle: a window that fits asks for attention, no alert")
        # The window that fits is there before the watch scans: a window of the class that appears while it scans
        # is found as it appears, and the scan that would find this one is a minute away.
        with Helper("VigilampAttention", "Urgent", options=["--urgent", 6]) as fits:
            execute(app)
            time.sleep(1.5)  # past the delay: scanning
            # The window that asks must not have the focus: the window manager marks only unfocused windows.
            with Helper("VigilampOther", "Other", options=["--urgent", 0.5, "--demand", 0.5]) as other:
                check(other.reported("demands", 3) and not wait_for(num, 1.5),
                      "scanning: a window that does not fit asks for attention, no alert")
                check(not fits.reported("urgent") and not num(), "nor does the one that fits before it asks",
                      fits.reports())
                fits.reported("urgent", 5)
                at = time.monotonic()
                check(wait_for(num, 2, 0.02), "a window that fits sets its urgency hint: the alert comes at once",
                      "%.1f s" % (time.monotonic() - at))
        disable(app)
        check(wait_for(lambda: not num(), 2), "Disable puts it off")
        with Helper("VigilampAttention", "Demands", options=["--demand", 5]) as fits:
            execute(app)
            time.sleep(1.5)
            with Helper("VigilampOther", "Focus taker"):
                check(not fits.reported("demands") and not num(), "no alert before it asks", fits.reports())
                check(fits.reported("attention state", 6), "the window manager marks the window demanding attention",
                      fits.reports())
                at = time.monotonic()
                check(wait_for(num, 2, 0.02), "_NET_WM_STATE_DEMANDS_ATTENTION: the alert comes at once",
                      "%.1f s" % (time.monotonic() - at))
        disable(app)


def minimised_within(helper, seconds):
    """Seconds until the helper's window is minimised (the window manager iconifies or hides it), or None."""
    start = time.monotonic()
    if wait_for(lambda: "iconic" in helper.reports() or "hidden" in helper.reports(), seconds, 0.01):
        return time.monotonic() - start
    return None


def within(seconds):
    return "%.0f ms" % (seconds * 1000) if seconds is not None else "not at all"


# The window events, with a scan only once a minute: the found window is minimised, the alert's first effect that
# can be seen at once (the lights follow a flashing interval later).
@case
def window_events_alert_within_a_second_when_a_window_appears_or_comes_to_fit_though_the_scan_waits_a_minute():
    scroll = lambda: desktop.light("Scroll Lock")  # noqa: E731
    with App(ini_watching("VigilampEventNew", pattern="001", actions="Minimise=1\n", scan=60000)) as app:
        execute(app)
        time.sleep(1.5)  # past the delay: scanning
        with Helper("VigilampEventNew", "New") as helper:  # returns once the window is mapped
            took = minimised_within(helper, 1.0)
            check(took is not None, "a window of the class that appears is found at once, not at the scan a minute "
                  "away", within(took) + " after it was mapped")
            check(wait_for(scroll, 2.5, 0.02), "and the lights flash")
        disable(app)
        check(wait_for(lambda: desktop.lights() == "000", 2), "Disable puts them off")
    with App(ini_watching("", pattern="001", actions="Minimise=1\n", scan=60000,
                          match="Title=(*) Inbox\nTitleEnable=1\n")) as app:
        execute(app)
        time.sleep(1.5)
        with Helper("VigilampEventTitled", "Inbox",
                    options=["--retitle", 0.5, "Inbox, read", "--retitle", 2.0, "(1) Inbox"]) as helper:
            check(wait_for(lambda: "title Inbox, read" in helper.reports(), 3, 0.01)
                  and minimised_within(helper, 1.0) is None, "a new title that does not fit starts nothing")
            require(wait_for(lambda: "title (1) Inbox" in helper.reports(), 3, 0.01), "the helper takes the title")
            took = minimised_within(helper, 1.0)
            check(took is not None, "a window retitled to fit the title rule is found at once",
                  within(took) + " after the new title")
            check(wait_for(scroll, 2.5, 0.02), "and the lights flash")
        disable(app)


@case
def window_events_leave_a_window_there_during_the_delay_to_the_first_scan_and_start_nothing_after_disable():
    with App(ini_watching("VigilampEventEarly", pattern="001", actions="Minimise=1\n", delay=2000)) as app:
        execute(app)
        executed = time.monotonic()
        with Helper("VigilampEventEarly", "Early") as helper:  # during the delay: no event is listened for yet
            appeared = time.monotonic() - executed
            early = minimised_within(helper, max(0.0, 2.5 - appeared))
            check(early is None, "a window that appears during the delay starts nothing before delay and scan",
                  "it was mapped %.1f s after Execute" % appeared)
            found = minimised_within(helper, 3.0)
            check(found is not None, "the first scan finds it, after delay and scan as always",
                  "%.1f s after Execute" % (time.monotonic() - executed))
        disable(app)
    with App(ini_watching("VigilampEventDisabled", pattern="001", actions="Minimise=1\n", scan=60000)) as app:
        execute(app)
        time.sleep(1.5)
        check(status_is(app, ACTIVE, 0.5), "watching", app.status())
        disable(app)
        check(status_is(app, IDLE, 2), "Disable: idle", app.status())
        with Helper("VigilampEventDisabled", "After Disable",
                    options=["--retitle", 0.3, "After Disable, renamed"]) as helper:
            check(minimised_within(helper, 1.5) is None and desktop.lights() == "000",
                  "after Disable a new window and a new title start nothing", helper.reports())
            check(status_is(app, IDLE, 0.5), "the status stays idle", app.status())


@case
def window_events_of_a_window_renaming_itself_in_a_tight_loop_leave_the_program_answering_at_once():
    with App(ini_watching("VigilampEventFits", pattern="001", actions="Minimise=1\n", scan=60000)) as app:
        execute(app)
        time.sleep(1.5)
        with Helper("VigilampEventSpinning", "Spinning", options=["--spin", 5]) as spinning:
            # For the five seconds it spins, the program is asked for its status line over the accessibility bus
            # every 100 ms, as a screen reader would: the answer needs its event loop.
            slowest, asked, wrong = 0.0, 0, []
            start = time.monotonic()
            while time.monotonic() - start < 4.5:
                at = time.monotonic()
                status = app.status()
                slowest = max(slowest, time.monotonic() - at)
                asked += 1
                if status != ACTIVE:
                    wrong.append(status)
                time.sleep(0.1)
            check(not wrong and slowest < 0.5, "the program answers at once while a window renames itself",
                  "%d asks, the slowest %.0f ms, answers other than active: %s" % (asked, slowest * 1000, wrong[:3]))
            spun = wait_for(lambda: next((l for l in spinning.reports() if l.startswith("spun ")), None), 3)
            check(spun is not None and int(spun.split()[1]) > 1000, "the helper did rename itself in a tight loop",
                  spun)
        with Helper("VigilampEventFits", "Fits") as helper:
            took = minimised_within(helper, 1.0)
            check(took is not None, "after the flood a window that fits is found at once", within(took))
        disable(app)


def exit_answered(app, box, answer):
    check(box is not None and app.box_text(box).find(EXIT_QUESTION) >= 0, "Exit asks \"%s\"" % EXIT_QUESTION,
          app.box_text(box) if box is not None else "no Confirm box: " + ui.dump(app.application(), depth=2))
    return box is not None and app.answer(box, answer)


def lamps_only_flash(app, locks, seconds=1.5):
    """Samples an alert of all three lamps: they flash while the locks stay as locks ("10": Caps on, Num off)."""
    seen = desktop.sample(seconds, 0.05)
    check({lamps for _, lamps, _, _ in seen} == {"111", "000"}, "the lamps flash, those of locks on too",
          sorted({lamps for _, lamps, _, _ in seen}))
    check(all(held == locks for _, _, held, _ in seen), "while the locks stay exactly as the user left them",
          sorted({held for _, _, held, _ in seen}))


def lamps_show_the_locks(way, pattern):
    """After a way out the lamps show the locks again (pattern: Caps, Num, Scroll), and they stay so."""
    check(wait_for(lambda: desktop.lights() == pattern, 2), f"{way}: the lamps show the locks again",
          desktop.lights())
    later = desktop.sample(1.0)
    check(all(lamps == pattern and held == pattern[:2] for _, lamps, held, _ in later),
          f"{way}: lamps and locks stay as the user left them", sorted({(l, h) for _, l, h, _ in later}))


@case
def every_way_out_gives_the_lamps_back_to_the_locks_as_the_user_left_them():
    with Helper("VigilampWayOut", "Way out"):
        # The user's Caps Lock on, the others off, before the program starts: the alert flashes the lamps alone.
        desktop.set_lights("100")
        with App(ini_watching("VigilampWayOut", pattern="111")) as app:
            execute(app)
            check(wait_for(lambda: desktop.lights() == "111", 6, 0.02), "the alert flashes all three lamps")
            lamps_only_flash(app, "10")
            app.show()
            app.choose("Vigilamp", "Exit", wait=False)
            box = app.box("Confirm")
            lamps_show_the_locks("asking to exit", "100")
            if exit_answered(app, box, "No"):
                check(not app.wait_exit(1.5), "No keeps the program running")
                check(wait_for(lambda: app.box("Confirm", 0) is None, 2) and app.frame() is not None,
                      "with its window, the box gone")
            app.choose("Vigilamp", "Exit", wait=False)
            if exit_answered(app, app.box("Confirm"), "Yes"):
                check(app.wait_exit(5), "Vigilamp > Exit, Yes, ends the program", app.output()[-300:])
                check(app.process.returncode == 0, "normally", app.process.returncode)
            lamps_show_the_locks("Exit", "100")
        desktop.set_lights("010")
        with App(ini_watching("VigilampWayOut", pattern="111")) as app:
            wait_for(app.tray_icon, 10, 0.1)
            execute(app)
            check(wait_for(lambda: desktop.lights() == "111", 6, 0.02), "flashing again in a second copy")
            check(app.tray_choose(TRAY_EXIT), "Exit from the tray icon's menu")
            if exit_answered(app, app.box("Confirm"), "Yes"):
                check(app.wait_exit(5), "Exit from the tray menu, Yes, ends the program")
            lamps_show_the_locks("Exit from the tray", "010")
            check(wait_for(lambda: app.tray_icon() is None, 2), "and the icon leaves the tray")
        # The ways out from outside, every light on before the program started, each caught while the lamps are
        # dark: the window's close box (Alt+F4 asks the window manager to close it), SIGTERM as a session manager
        # sends it, with the window never shown, and SIGKILL, after which the next start mends the lamps.
        for way in ("close box", "SIGTERM", "SIGKILL"):
            desktop.set_lights("111")
            with App(ini_watching("VigilampWayOut", pattern="111")) as app:
                wait_for(app.tray_icon, 10, 0.1)
                if way == "close box":
                    execute(app)
                    check(wait_for(lambda: desktop.lights() == "000", 6, 0.02), "the lamps dark, by the close box")
                    desktop.xdotool("windowactivate", "--sync", str(app.main_window()))
                    desktop.xdotool("key", "--window", str(app.main_window()), "alt+F4")
                elif way == "SIGTERM":
                    app.process.send_signal(signal.SIGTERM)
                else:
                    execute(app)
                    check(wait_for(lambda: desktop.lights() == "000", 6, 0.02), "the lamps dark, by SIGKILL")
                    app.process.kill()
                    check(app.wait_exit(5) and desktop.lights() == "000" and desktop.locks() == "11",
                          "killed, it leaves the lamps dark over the locks on", desktop.lights())
                    # (The alert's window stays: the new start watches only when told to.)
                    app.start()
                    lamps_show_the_locks("the next start", "111")
                    continue
                check(app.wait_exit(5), f"the {way} ends the program", app.output()[-300:])
                check(app.process.returncode == 0, "normally", app.process.returncode)
                lamps_show_the_locks(f"the {way}", "111")
                check(app.ini("Status", "DisableStat") == "0", "and stores what it stores at Exit")
        # With both boxes off the locks themselves flash, as a program without lamps would, and the tray icon
        # keeps still: the close box and SIGTERM leave every light off, whatever was on before.
        for way in ("close box", "SIGTERM"):
            desktop.set_lights("111")
            with App(ini_watching("VigilampWayOut", pattern="100",
                                  lighting="LampsOnly=0\nFlashTrayIcon=0\n")) as app:
                icon = wait_for(app.tray_icon, 10, 0.1)
                usual = desktop.Screen.shared().picture(icon)
                execute(app)
                check(wait_for(lambda: desktop.locks() == "10", 6, 0.02), "the alert switches Caps Lock on")
                if way == "close box":
                    seen = desktop.sample(2.0, icon=icon)
                    check({locks for _, _, locks, _ in seen} == {"10", "00"}, "Caps Lock itself flashing",
                          sorted({locks for _, _, locks, _ in seen}))
                    check(all(picture == usual for _, _, _, picture in seen), "the tray icon still")
                if way == "close box":
                    desktop.xdotool("windowactivate", "--sync", str(app.main_window()))
                    desktop.xdotool("key", "--window", str(app.main_window()), "alt+F4")
                else:
                    app.process.send_signal(signal.SIGTERM)
                check(app.wait_exit(5), f"the {way} ends a program that switches the locks")
                check(wait_for(lambda: desktop.lights() == "000", 2), f"leaving every light off", desktop.lights())
        desktop.set_lights("000")


@case
def start_at_login_follows_its_box_and_the_settings_file_lies_beside_the_executable_when_there():
    # In a folder whose name has a space: the autostart entry must quote the path. No settings file: the box
    # starts ticked and the settings go to the configuration folder.
    with App(folder_tail=" Rizu") as app:
        entry = os.path.join(app.config_home, "autostart", "vigilamp.desktop")
        config_ini = os.path.join(app.config_home, "vigilamp", "vigilamp.ini")

        def exec_line():
            try:
                with open(entry) as f:
                    return next((l.strip() for l in f if l.startswith("Exec=")), "<no Exec line>")
            except FileNotFoundError:
                return None

        def stored(value):
            return wait_for(lambda: app.ini("Status", "StartWithWindows", config_ini) == value, 3)

        require(app.show(), "the main window shows")
        box = app.node_in_frame("check box", "Start at login")
        require(box is not None and ui.checked(box), "no settings file: \"Start at login\" is ticked",
                ui.dump(app.frame()) if box is None else "")
        quoted = '"%s"' % app.exe
        check(wait_for(lambda: exec_line() is not None, 3), "and the autostart entry is written at start-up", entry)
        check(exec_line() == "Exec=" + quoted, "its Exec line starts the copy by its path, quoted", exec_line())
        ui.click(box)
        check(wait_for(lambda: exec_line() is None, 3), "unticking (a click) removes the entry")
        check(stored("0"), "and stores StartWithWindows=0 in the configuration folder",
              app.ini("Status", "StartWithWindows", config_ini))
        check(not os.path.exists(app.ini_path), "not beside the executable, where there was no file")
        ui.click(box)
        check(wait_for(lambda: exec_line() is not None, 3) and stored("1"), "ticking writes both again")
        # As a screen reader toggles it: the box and what the program does must agree.
        ui.press(box)
        unticked = wait_for(lambda: not ui.checked(box), 2)
        check(unticked and wait_for(lambda: exec_line() is None, 3) and stored("0"),
              "toggled through the accessibility bus, the entry goes and the file follows",
              "box %s, entry %s, StartWithWindows=%s" % ("unticked" if unticked else "ticked",
                                                         "present" if exec_line() else "gone",
                                                         app.ini("Status", "StartWithWindows", config_ini)))

    # A settings file beside the executable: it is the one the program reads and writes.
    with App(NO_AUTOSTART + "[Timers]\nScanInterval=1000\n") as app:
        require(app.show(), "the main window shows (a settings file beside it)")
        box = app.node_in_frame("check box", "Start at login")
        check(box is not None and not ui.checked(box) and
              not os.path.exists(os.path.join(app.config_home, "autostart", "vigilamp.desktop")),
              "StartWithWindows=0: unticked, and no autostart entry")
        require(app.choose("Vigilamp", "Timers"), "the menu Vigilamp has Timers")
        panel = app.node_in_frame("panel", "Scanning Intervals")
        check(panel is not None and wait_for(lambda: ui.showing(panel), 2), "Vigilamp > Timers shows the page")
        spin = ui.find(panel, "spin button") if panel is not None else None
        require(spin is not None, "with the scan interval's box", ui.dump(panel) if panel else "")
        ui.type_into(spin, "3000")
        check(wait_for(lambda: ui.text_of(spin) == "3000", 2), "3000 typed into it", ui.text_of(spin))
        ui.press(ui.find(panel, "push button", "Set"))
        check(wait_for(lambda: app.ini("Timers", "ScanInterval") == "3000", 3),
              "its Set stores ScanInterval=3000 in the file beside the executable", app.ini("Timers", "ScanInterval"))
        check(app.ini("Status", "StartWithWindows") == "0", "keeping the rest of the file")
        check(not os.path.exists(os.path.join(app.config_home, "vigilamp")), "and nothing goes to the configuration folder")


def select_listed(app, page, starts):
    """Selects, as a user does, the first item of the Advanced page's list whose text starts so: a click in the
    list's first row, then the arrow keys; returns whether one did."""
    lst = ui.find(page, "list")
    items = wait_for(lambda: ui.find_all(lst, lambda n: ui.role(n) == "list item"), 3, 0.1)
    index = next((i for i, n in enumerate(items) if ui.name(n).startswith(starts)), None)
    if index is None:
        return False
    # A row as wide as its longest title reaches past the list: the click goes to its part inside the list.
    box = ui.extents(lst)
    desktop.click_at(box.x + box.width // 3, box.y + 6)
    wait_for(lambda: lst.getState().contains(ui.pyatspi.STATE_FOCUSED), 2, 0.05)
    desktop.xdotool("key", "Home", *(["Down"] * index))
    return True


def tested(app, rule):
    """Presses the Match page's Test; the title of the window it names, or None."""
    ui.press(ui.find(rule.parent_page, "push button", "Test"))
    time.sleep(0.2)
    result = ui.find_all(rule.parent_page, lambda n: ui.role(n) == "label" and ui.name(n).startswith(("Handle:",
                                                                                                     "No window")))
    text = ui.name(result[0]) if result else ""
    return text.split("Title: ", 1)[1] if "Title: " in text else None


class MatchPage:
    """The Match page's rule group, found once the page shows."""

    def __init__(self, app):
        require(app.choose("Vigilamp", "Match"), "the menu Vigilamp has Match")
        self.group = app.node_in_frame("panel", "Window rule")
        require(self.group is not None, "the Match page shows its rule")
        self.parent_page = ui.find(app.frame(), "panel", "Test").parent if ui.find(app.frame(), "panel", "Test") \
            else app.frame()
        self.edit = ui.find(self.group, "text")
        self.box = ui.find(self.group, "check box", "Title pattern")

    def text(self):
        return ui.text_of(self.edit)


@case
def what_other_programs_name_their_windows_never_becomes_settings_and_patterns_compare_characters():
    planted = "Evil\r\n[Actions]\r\nEnable=1\r\nFile=/tmp/planted\r\n[Advanced]"
    long_title = "L" * 299 + "é"
    with Helper(planted, "Evil\r\n[Actions]\r\nEnable=1", instance="evil"), \
            Helper("VigilampChars", "Café"), Helper("VigilampChars", "Привет"), Helper("VigilampChars", "日本語"), \
            Helper("VigilampLong", long_title), App(NO_AUTOSTART) as app:
        with open(app.ini_path, "rb") as f:
            before = f.read()
        require(app.show(), "the main window shows")

        def pick(starts):
            require(app.choose("Vigilamp", "Advanced"), "the menu Vigilamp has Advanced")
            page = app.node_in_frame("panel", "Unsupported programs")
            if not ui.checked(ui.find(page, "check box", "Enable")):
                ui.press(ui.find(page, "check box", "Enable"))
                ui.press(ui.find(page, "push button", "Scan"))
            require(select_listed(app, page, starts), "the window titled %r is listed" % starts,
                    ui.dump(page))
            return page

        page = pick("Evil")
        info = wait_for(lambda: next((ui.name(n) for n in ui.find_all(page, lambda n: ui.role(n) == "label")
                                      if "This class holds a line break" in ui.name(n)), None), 3, 0.1)
        check(info is not None, "a planted class is shown with why it cannot be kept")
        ui.press(ui.find(page, "push button", "Set"), wait=False)
        box = app.box(ui.TITLE)
        check(box is not None and "the value of Handlename holds a line break" in app.box_text(box),
              "Set refuses it, naming the key", app.box_text(box) if box else "no box")
        if box:
            app.answer(box, "OK")
        with open(app.ini_path, "rb") as f:
            check(f.read() == before, "the settings file is byte for byte as it was")
        match = MatchPage(app)
        check(match.text() == "Evil??[Actions]??Enable=1", "a planted title's line breaks become '?'", match.text())
        ui.press(ui.find(match.group, "push button", "Set"))
        check(wait_for(lambda: app.ini("Match", "Title") == "Evil??[Actions]??Enable=1", 3) and
              app.ini("Actions", "Enable") is None and app.ini("Actions", "File") is None,
              "the Match page's Set keeps the pattern and plants no key")

        pick("日本語")
        match = MatchPage(app)
        check(match.text() == "日本語", "a CJK title is picked whole", match.text())
        if not ui.checked(match.box):
            ui.press(match.box)
        check(tested(app, match) == "日本語", "and fits that window")
        for pattern, title in (("Caf?", "Café"), ("CAFÉ", "Café"), ("ПРИВЕТ", "Привет"), ("???", "日本語")):
            ui.set_text(match.edit, pattern)
            found = tested(app, match)
            check(found == title, "Test with %s fits exactly the right window" % pattern, found)
        pick("LLLL")
        match = MatchPage(app)
        check(match.text() == long_title, "a 300-character title is picked whole", len(match.text()))
        check(tested(app, match) == long_title, "and fits that window")


@case
def odd_values_pipes_signals_and_a_huge_file_never_lose_or_hang_anything():
    # Values a reader would trim, set on the Match page and read back by the next start.
    for value in ('"*"', "notify "):
        with App(NO_AUTOSTART) as app:
            require(app.show(), "the main window shows")
            match = MatchPage(app)
            ui.set_text(match.edit, value)
            ui.press(ui.find(match.group, "push button", "Set"))
            check(wait_for(lambda: app.ini("Match", "Title") is not None, 3), "Set stores %r" % value)
            with open(app.ini_path) as f:
                kept = f.read()
        with App(kept) as again:
            require(again.show(), "a second start shows its window")
            check(MatchPage(again).text() == value, "%r comes back as it was" % value, MatchPage(again).text())
    # The sound is a pipe: refused before anything opens it, and the window answers throughout.
    with Helper("VigilampPipe", "Pipe"), \
            App(ini_watching("VigilampPipe", pattern="001",
                             actions="Nothing=1\nMinimise=0\nAudioEnable=1\nAudFile={folder}/sound.fifo\n")) as app:
        os.mkfifo(os.path.join(app.folder, "sound.fifo"))
        execute(app)
        box = app.box(ui.TITLE, 6)
        check(box is not None and "it is not a regular file" in app.box_text(box),
              "a sound that is a pipe is refused with why", app.box_text(box) if box else "no box")
        asked = time.monotonic()
        check(app.status() == ACTIVE and time.monotonic() - asked < 1.0, "and the program answers at once")
        if box:
            app.answer(box, "OK")
        disable(app)
    # The program's own class, Close and watching from start-up: it never finds itself, so it keeps running.
    with App(ini_watching("vigilamp", actions="Close=1\nMinimise=0\n", match="WatchAtStart=1\n")) as app:
        require(wait_for(app.tray_icon, 10, 0.1) is not None, "the icon docks")
        app.show()
        check(not app.wait_exit(4) and status_is(app, ACTIVE), "watching for its own class it runs on")
        check(desktop.lights() == "000", "with no alert on itself", desktop.lights())
    # No class and no pattern with attention on: a quiet window raises nothing, one that asks does.
    with Helper("VigilampQuiet", "Quiet"), \
            App(ini_watching("", pattern="010", match="Attention=1\n")) as app:
        execute(app)
        check(not wait_for(lambda: desktop.light("Num Lock"), 4), "the empty rule alerts on no quiet window")
        with Helper("VigilampAsks", "Asks", options=["--urgent", 1]), Helper("VigilampFocus", "Focus taker"):
            check(wait_for(lambda: desktop.light("Num Lock"), 4, 0.02), "and at once on any that asks for attention")
        disable(app)
    # Settings that cannot be written, and SIGTERM: no box waits, the lights stay as the user left them, the
    # reason goes to stderr.
    desktop.set_lights("111")
    with App(ini_link="/proc/version") as app:
        require(wait_for(app.tray_icon, 10, 0.1) is not None, "the icon docks with an unwritable settings file")
        sent = time.monotonic()
        app.process.send_signal(signal.SIGTERM)
        check(app.wait_exit(1.0), "SIGTERM ends it within a second", "%.1f s" % (time.monotonic() - sent))
        check(desktop.lights() == "111" and desktop.locks() == "11", "with the lights as they were",
              desktop.lights())
        desktop.set_lights("000")
        check("Unable to write to" in app.output(), "the failed store is told on stderr", app.output()[-300:])
    # Ten megabytes of blank lines: read once, the start takes no longer than an empty file's.
    def start_time(ini):
        with App(ini) as timed:
            wait_for(timed.tray_icon, 10, 0.02)
            return time.monotonic() - timed.started
    plain = start_time(NO_AUTOSTART)
    huge = start_time("\n" * 10_000_000 + NO_AUTOSTART)
    check(huge - plain < 1.0, "a 10 MB settings file of blank lines adds under a second to the start",
          "%.2f s against %.2f s" % (huge, plain))

