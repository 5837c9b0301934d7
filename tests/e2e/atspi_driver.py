"""Finds the program's controls the way a screen reader does, by accessible name over AT-SPI,
and works them from outside: the control's own action where it offers one, otherwise the mouse
at the control's place on the screen (xdotool). Runs inside a D-Bus session of its own."""
import os, re, subprocess, sys, time

import gi
gi.require_version("Atspi", "2.0")
from gi.repository import Atspi

BUS_LAUNCHER = "/usr/libexec/at-spi-bus-launcher"


def run_in_own_session():
    """Re-runs this script inside a fresh D-Bus session unless it already runs in one of ours."""
    if os.environ.get("QV_A11Y_SESSION") == "1":
        return
    os.environ["QV_A11Y_SESSION"] = "1"
    os.execvp("dbus-run-session", ["dbus-run-session", "--", sys.executable, *sys.argv])


def accessibility_env(env):
    """The environment under which Qt exposes its widgets on the accessibility bus."""
    return dict(env, QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1", QT_ACCESSIBILITY="1", NO_AT_BRIDGE="0")


def start_bus(env):
    """The session's accessibility bus; its registry starts when the program first registers."""
    os.environ["DISPLAY"] = env["DISPLAY"]
    return subprocess.Popen([BUS_LAUNCHER, "--launch-immediately"], env=env, stdout=subprocess.DEVNULL,
                            stderr=subprocess.DEVNULL)


def poll(get, timeout=20.0, step=0.2):
    """get() again and again until it gives something true or the time is up; its last answer."""
    end = time.time() + timeout
    while True:
        try:
            value = get()
        except gi.repository.GLib.Error:   # a control that went away while it was read
            value = None
        if value or time.time() >= end:
            return value
        time.sleep(step)


def name(acc):
    return (acc.get_name() or "").strip()


def caption(acc):
    """A button's name without its keyboard mnemonic: "&No" and Qt's Japanese "いいえ(&N)" both
    read as the word the user sees."""
    return re.sub(r"\(&?\w\)$", "", name(acc)).replace("&", "")


def role(acc):
    return acc.get_role_name()


def showing(acc):
    return acc.get_state_set().contains(Atspi.StateType.SHOWING)


def walk(acc, only_showing=True):
    """acc and everything below it, depth first; hidden branches are skipped."""
    if only_showing and not showing(acc) and role(acc) != "application":
        return
    yield acc
    for i in range(acc.get_child_count()):
        child = acc.get_child_at_index(i)
        if child is not None:
            yield from walk(child, only_showing)


def application(app_name, timeout=30.0):
    """The running program's root on the accessibility bus."""
    def look():
        desktop = Atspi.get_desktop(0)
        for i in range(desktop.get_child_count()):
            app = desktop.get_child_at_index(i)
            if app is not None and app.get_name() == app_name:
                return app
        return None
    app = poll(look, timeout)
    if app is None:
        raise SystemExit(f"{app_name} does not show on the accessibility bus")
    return app


def find_all(root, wanted=None, roles=None, match=None):
    """Showing controls below root named wanted (or passing match), of one of roles; None while
    the program does not answer (busy with long work) or the tree changes under the walk."""
    out = []
    try:
        for acc in walk(root):
            if roles and role(acc) not in roles:
                continue
            if wanted is not None and name(acc) != wanted:
                continue
            if match is not None and not match(acc):
                continue
            out.append(acc)
    except gi.repository.GLib.Error:
        return None
    return out


def gone(root, wanted=None, roles=None, match=None):
    """True once the program answers and no such control shows."""
    return find_all(root, wanted, roles, match) == []


def find(root, wanted=None, roles=None, match=None, timeout=20.0):
    """The first showing control below root named wanted, waiting for it to appear."""
    found = poll(lambda: find_all(root, wanted, roles, match), timeout)
    if not found:
        raise LookupError(f"no showing control named {wanted!r} ({roles or 'any role'})")
    return found[0]


def extents(acc):
    e = acc.get_extents(Atspi.CoordType.SCREEN)
    return e.x, e.y, e.width, e.height


def centre(acc, dx=0, dy=0):
    x, y, w, h = extents(acc)
    return x + w // 2 + dx, y + h // 2 + dy


def actions(acc):
    try:
        return [Atspi.Action.get_action_name(acc, i) for i in range(Atspi.Action.get_n_actions(acc))]
    except (AttributeError, TypeError, gi.repository.GLib.Error):
        return []


def do_action(acc, wanted=("Press", "Toggle")):
    """Runs the control's own action; False when it offers none of the wanted ones."""
    offered = actions(acc)
    for a in wanted:
        if a in offered:
            Atspi.Action.do_action(acc, offered.index(a))
            return True
    return False


class Pointer:
    """Mouse and keyboard of the X display, at screen coordinates."""

    def __init__(self, env):
        self.env = env

    def xdo(self, *args):
        return subprocess.run(["xdotool", *map(str, args)], env=self.env, check=True, capture_output=True,
                              text=True).stdout

    def click(self, at, pause=0.3):
        self.xdo("mousemove", at[0], at[1], "click", "1")
        time.sleep(pause)

    def click_on(self, acc, dx=0, dy=0):
        self.click(centre(acc, dx, dy))

    def drag(self, a, b, steps=6, modifiers=None):
        """Button 1 held from a to b in even steps, as a hand would move it."""
        self.xdo("mousemove", a[0], a[1])
        time.sleep(0.1)
        self.xdo("mousedown", "1")
        time.sleep(0.1)
        for k in range(1, steps + 1):
            self.xdo("mousemove", a[0] + (b[0] - a[0]) * k // steps, a[1] + (b[1] - a[1]) * k // steps)
            time.sleep(0.05)
        self.xdo("mouseup", "1")
        time.sleep(0.3)

    def key(self, *names):
        for n in names:
            self.xdo("key", "--clearmodifiers", n)
            time.sleep(0.15)

    def type(self, text):
        self.xdo("type", "--delay", "20", text)
        time.sleep(0.2)


def select_photos_of_folder(app, pointer, folder, photos):
    """Opens folder in the photo browser by typing it into the path box, then selects all of it."""
    # A combo box is announced by its text on this platform: the path box shows a folder.
    box = find(app, None, ["combo box"], match=lambda a: name(a).startswith("/"))
    pointer.click_on(box, dx=-40)
    pointer.key("ctrl+a")
    pointer.type(folder)
    pointer.key("Return")
    first = find(app, None, ["list item"], match=lambda a: name(a).lower() in map(str.lower, photos))
    pointer.click_on(first)
    pointer.key("ctrl+a")


def open_page(app, pointer, number, right=True):
    """Clicks the navigator thumbnail named with the page number, on the half of that page."""
    pic = find(app, None, ["filler"], match=lambda a: str(number) in name(a).split())
    x, y, w, h = extents(pic)
    both = len(name(pic).split()) == 2
    pointer.click((x + (3 * w // 4 if right else w // 4) if both else x + w // 2, y + h // 2))
    time.sleep(0.5)


def press(pointer, acc):
    """Presses a control: its own action where it has one, a click at its middle otherwise."""
    if not do_action(acc):
        pointer.click_on(acc)
    time.sleep(0.3)
