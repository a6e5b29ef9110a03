"""The Linux end-to-end driver: runs each case against the real build/linux/vigilamp on the desktop that
scripts/e2e-linux.sh prepared, prints "ok <case>" or "FAIL <case>: why" per case and ends with a summary line.
Usage: /usr/bin/python3 driver.py [name-filter]"""
import glob
import os
import signal
import sys
import tempfile
import threading
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

import app  # noqa: E402
import desktop  # noqa: E402
from suite import Abort, Case, check  # noqa: E402

CASE_DEADLINE = 90  # seconds: a case still running then has hung


def _watchdog():
    while True:
        time.sleep(1)
        c = Case.current
        if c is not None and time.monotonic() - c.start > CASE_DEADLINE:
            print("FAIL %s: no result within %d s\n0 passed, 1 failed" % (c.name, CASE_DEADLINE), flush=True)
            os._exit(3)


def leftovers():
    """What the cases may leave behind: a copy's folder, a running copy or helper, a light on."""
    found = ["folder " + p for p in glob.glob(os.path.join(tempfile.gettempdir(), app.TEMP_PREFIX + "*"))]
    found += ["process %d %s" % (p.pid, p.args) for p in app.STARTED if p.poll() is None]
    if desktop.lights() != "000":
        found.append("lights " + desktop.lights())
    return found


def main(argv):
    import cases  # noqa: F401  registers the cases
    threading.Thread(target=_watchdog, daemon=True).start()
    signal.signal(signal.SIGTERM, lambda *a: sys.exit(1))
    filt = argv[1] if len(argv) > 1 else ""
    passed = failed = 0
    start = time.monotonic()
    for c in Case.all:
        if filt not in c.name:
            continue
        print(c.name, flush=True)
        # Every case starts with the three lights off.
        desktop.all_lights_off()
        c.start = time.monotonic()
        Case.current = c
        try:
            c.fn()
        except Abort:
            pass  # already reported
        except Exception as e:  # a case that broke is a failed case, with what broke it
            import traceback
            traceback.print_exc()
            c.failures.append("%s: %s" % (type(e).__name__, e))
        # ... and leaves them off.
        lit = desktop.lights()
        if lit != "000":
            check(False, "the lights are off after the case", "Caps/Num/Scroll " + lit)
            desktop.all_lights_off()
        Case.current = None
        took = time.monotonic() - c.start
        if c.failures:
            failed += 1
            why = "; ".join(c.failures[:3]) + (" and %d more" % (len(c.failures) - 3) if len(c.failures) > 3 else "")
            print("FAIL %s: %s (%.1f s)" % (c.name, why, took), flush=True)
        else:
            passed += 1
            print("ok %s (%.1f s)" % (c.name, took), flush=True)
    if not filt:
        left = leftovers()
        print("no leftovers" if not left else "LEFTOVER: " + "; ".join(left), flush=True)
        if left:
            failed += 1
    print("e2e-linux: %d s" % (time.monotonic() - start))
    print("%d passed, %d failed" % (passed, failed), flush=True)
    return 1 if failed or passed == 0 else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
