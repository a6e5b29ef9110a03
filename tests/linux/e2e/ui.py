"""The program's windows through the accessibility bus (AT-SPI), as a screen reader sees them."""
import pyatspi
from gi.repository import GLib

from desktop import wait_for

TITLE = "Vigilamp Rizu!"


def application(pid):
    """The program's accessible application, or None."""
    desktop = pyatspi.Registry.getDesktop(0)
    for i in range(desktop.childCount):
        try:
            app = desktop.getChildAtIndex(i)
            if app is not None and app.get_process_id() == pid:
                return app
        except GLib.Error:
            continue
    return None


def role(node):
    try:
        return node.getRoleName()
    except GLib.Error:
        return ""


def name(node):
    try:
        return node.name or ""
    except GLib.Error:
        return ""


def children(node):
    try:
        return [c for c in (node.getChildAtIndex(i) for i in range(node.childCount)) if c is not None]
    except GLib.Error:
        return []


def find_all(node, pred, depth=12):
    """Every node under node (itself included) for which pred holds, depth first."""
    found = []
    if node is None:
        return found
    try:
        if pred(node):
            found.append(node)
    except GLib.Error:
        pass
    if depth:
        for c in children(node):
            found.extend(find_all(c, pred, depth - 1))
    return found


def find(node, role_name, name_=None, depth=12):
    """The first node of that role (and name, when given; "&" mnemonics ignored) under node, or None."""
    hits = find_all(node, lambda n: role(n) == role_name and (name_ is None or name(n).replace("&", "") == name_),
                    depth)
    return hits[0] if hits else None


def showing(node):
    try:
        return node.getState().contains(pyatspi.STATE_SHOWING)
    except GLib.Error:
        return False


def checked(node):
    return node.getState().contains(pyatspi.STATE_CHECKED)


def press(node, wait=True):
    """Runs the node's first action (press, toggle, click). With wait False the call does not wait for the program
    to finish it: an action that opens a modal box answers only when the box closes."""
    action = node.queryAction()
    if wait:
        return action.doAction(0)
    pyatspi.setTimeout(300, 15000)
    try:
        action.doAction(0)
    except GLib.Error:
        pass  # no answer within the short time: the action runs on
    finally:
        pyatspi.setTimeout(800, 15000)
    return True


def text_of(node):
    try:
        t = node.queryText()
        return t.getText(0, t.characterCount)
    except (NotImplementedError, GLib.Error):
        return name(node)


def dump(node, indent=0, depth=12):
    """The tree as text, for a person reading a failure."""
    lines = ["%s%s %r" % ("  " * indent, role(node), name(node))]
    if depth:
        for c in children(node):
            lines.append(dump(c, indent + 1, depth - 1))
    return "\n".join(lines)


def wait_node(root_fn, role_name, name_=None, seconds=5.0, visible=False):
    """Polls for a node under root_fn() until it appears (and shows, with visible)."""
    def look():
        r = root_fn()
        n = find(r, role_name, name_) if r is not None else None
        return n if n is not None and (not visible or showing(n)) else None
    return wait_for(look, seconds, 0.1)


def extents(node):
    """Where the node is on the screen: x, y, width, height."""
    return node.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)


def click(node, button=1):
    """Clicks the middle of a node with the real pointer (xdotool), as a user would."""
    import desktop
    e = extents(node)
    desktop.click_at(e.x + e.width // 2, e.y + e.height // 2, button)


def type_into(node, text):
    """Clicks into an edit box, selects what it holds and types text over it, key by key."""
    import desktop
    click(node)
    desktop.xdotool("key", "ctrl+a")
    desktop.xdotool("type", "--delay", 30, text)


def set_text(node, text):
    """Sets an edit box's whole text as an assistive tool does, any characters at all."""
    node.queryEditableText().setTextContents(text)
