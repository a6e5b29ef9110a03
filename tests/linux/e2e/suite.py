"""The cases' registry and their checks: a case is a function marked @case; check records one finding."""


class Case:
    all = []
    current = None  # the case running now

    def __init__(self, fn):
        self.fn, self.name, self.failures, self.start = fn, fn.__name__, [], 0.0
        Case.all.append(self)


case = Case


def check(ok, what, detail=""):
    """Records one check of the running case; prints it indented, with the detail when it failed."""
    shown = str(detail) if detail != "" else ""
    if ok and (len(shown) > 120 or "\n" in shown):
        shown = ""  # a long detail (a dump of the tree) is for a failure
    print("  %s %s%s" % ("ok  " if ok else "FAIL", what, " -- " + shown if shown else ""), flush=True)
    if not ok:
        Case.current.failures.append(what + ((" (%s)" % (detail,)) if detail != "" else ""))
    return bool(ok)


class Abort(Exception):
    """Ends the running case early: what follows needs what just failed."""


def require(ok, what, detail=""):
    """A check the rest of the case stands on: when it fails the case ends here."""
    if not check(ok, what, detail):
        raise Abort(what)
    return ok
