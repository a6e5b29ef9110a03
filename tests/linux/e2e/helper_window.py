"""A window for the program to find, in a process of its own.

It has the WM_CLASS, title and _NET_WM_PID given, takes part in WM_DELETE_WINDOW, and writes what happens to it
to the report file, a line each: "mapped <id>", "iconic", "hidden", "title <t>", "urgent", "demands", "delete",
"spun <renames>". On WM_DELETE_WINDOW it closes and ends. It can retitle itself, set the urgency hint or ask the
window manager for _NET_WM_STATE_DEMANDS_ATTENTION after some seconds, and it can hang: with --hang it maps its
window, then never reads another event. With --spin S it renames itself in a tight loop for S seconds once it is
mapped (the title with a count after it), then takes its title again.

Usage: helper_window.py REPORT INSTANCE CLASS TITLE [--retitle S TITLE] [--urgent S] [--demand S] [--hang]
                        [--spin S]
"""
import os
import sys
import time

from Xlib import X, Xatom, display as xdisplay, protocol, Xutil


def main(argv):
    report_path, instance, cls, title = argv[1:5]
    opts = argv[5:]
    timed = []  # (seconds after mapping, what)
    hang = False
    spin = 0.0
    i = 0
    while i < len(opts):
        if opts[i] == "--retitle":
            timed.append((float(opts[i + 1]), ("title", opts[i + 2])))
            i += 3
        elif opts[i] in ("--urgent", "--demand"):
            timed.append((float(opts[i + 1]), (opts[i][2:], None)))
            i += 2
        elif opts[i] == "--hang":
            hang = True
            i += 1
        elif opts[i] == "--spin":
            spin = float(opts[i + 1])
            i += 2
        else:
            raise SystemExit("unknown option " + opts[i])
    timed.sort(key=lambda t: t[0])

    report_file = open(report_path, "a", buffering=1)

    def report(line):
        report_file.write(line + "\n")
        report_file.flush()

    d = xdisplay.Display()
    root = d.screen().root
    atom = d.intern_atom
    w = root.create_window(100, 100, 320, 200, 0, d.screen().root_depth, X.InputOutput, X.CopyFromParent,
                           background_pixel=d.screen().white_pixel,
                           event_mask=X.StructureNotifyMask | X.PropertyChangeMask)
    w.set_wm_class(instance, cls)

    def set_title(t):
        try:
            w.change_property(Xatom.WM_NAME, Xatom.STRING, 8, t.encode("latin-1"))
        except UnicodeEncodeError:  # a title Latin-1 cannot hold: WM_NAME in UTF-8, as many programs write it
            w.change_property(Xatom.WM_NAME, atom("UTF8_STRING"), 8, t.encode())
        w.change_property(atom("_NET_WM_NAME"), atom("UTF8_STRING"), 8, t.encode())

    set_title(title)
    w.change_property(atom("_NET_WM_PID"), Xatom.CARDINAL, 32, [os.getpid()])
    w.set_wm_protocols([atom("WM_DELETE_WINDOW")])
    w.set_wm_hints(flags=Xutil.InputHint | Xutil.StateHint, input=1, initial_state=Xutil.NormalState)
    w.map()
    d.sync()

    # Wait to be mapped (by the window manager), then report.
    while True:
        e = d.next_event()
        if e.type == X.MapNotify:
            report("mapped %d" % w.id)
            break
    if hang:
        while True:
            time.sleep(3600)
    if spin:
        renames, end = 0, time.monotonic() + spin
        while time.monotonic() < end:
            set_title("%s %d" % (title, renames))
            d.flush()
            renames += 1
        set_title(title)
        d.sync()
        report("spun %d" % renames)

    mapped_at = time.monotonic()
    seen = set()
    while True:
        while timed and time.monotonic() - mapped_at >= timed[0][0]:
            what, arg = timed.pop(0)[1]
            if what == "title":
                set_title(arg)
                report("title " + arg)
            elif what == "urgent":
                hints = w.get_wm_hints()
                w.set_wm_hints(flags=hints.flags | Xutil.UrgencyHint, input=1, initial_state=Xutil.NormalState)
                report("urgent")
            elif what == "demand":
                ev = protocol.event.ClientMessage(
                    window=w, client_type=atom("_NET_WM_STATE"),
                    data=(32, [1, atom("_NET_WM_STATE_DEMANDS_ATTENTION"), 0, 1, 0]))
                root.send_event(ev, event_mask=X.SubstructureRedirectMask | X.SubstructureNotifyMask)
                report("demands")
            d.flush()
        if not d.pending_events():
            time.sleep(0.02)
            continue
        e = d.next_event()
        if e.type == X.ClientMessage and e.client_type == atom("WM_PROTOCOLS"):
            if e.data[1][0] == atom("WM_DELETE_WINDOW"):
                report("delete")
                w.destroy()
                d.sync()
                return 0
        elif e.type == X.PropertyNotify:
            if e.atom == atom("WM_STATE"):
                p = w.get_full_property(atom("WM_STATE"), atom("WM_STATE"))
                if p and p.value[0] == Xutil.IconicState and "iconic" not in seen:
                    seen.add("iconic")
                    report("iconic")
            elif e.atom == atom("_NET_WM_STATE"):
                p = w.get_full_property(atom("_NET_WM_STATE"), Xatom.ATOM)
                names = {d.get_atom_name(a) for a in (p.value if p else [])}
                for state, line in (("_NET_WM_STATE_HIDDEN", "hidden"),
                                    ("_NET_WM_STATE_DEMANDS_ATTENTION", "attention state")):
                    if state in names and line not in seen:
                        seen.add(line)
                        report(line)


if __name__ == "__main__":
    sys.exit(main(sys.argv))
