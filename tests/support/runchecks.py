"""Checks and waits shared by the scripts that drive a real program from outside."""
import os, subprocess, time

failures = []


def check(cond, what):
    """Prints one result line; a failed check is kept and the run goes on."""
    print(("ok   " if cond else "FAIL ") + what, flush=True)
    if not cond:
        failures.append(what)


def wait_for(cond, timeout=20.0, step=0.1):
    """Polls cond every step seconds until it holds or the time is up; its last value."""
    end = time.time() + timeout
    while time.time() < end:
        if cond():
            return True
        time.sleep(step)
    return cond()


def start_x_server(screen="1280x900x24"):
    """A fresh Xvfb and its display name. The server picks a free display number itself and
    names it once it accepts connections, so runs started together never share a server."""
    read_end, write_end = os.pipe()
    xvfb = subprocess.Popen(["Xvfb", "-displayfd", str(write_end), "-screen", "0", screen, "-nolisten", "tcp"],
                            pass_fds=(write_end,), stderr=subprocess.DEVNULL)
    os.close(write_end)
    with os.fdopen(read_end) as f:
        number = f.readline().strip()
    if not number:
        raise SystemExit("the X server did not start")
    return xvfb, ":" + number


def output(env, *cmd):
    """What a command prints on the display of env (nothing when it fails)."""
    return subprocess.run(list(cmd), env=env, capture_output=True, text=True).stdout


def main_window(env, prog, timeout=30.0):
    """The program's main window once it is mapped (by its caption and width, not Qt's 1 x 1
    helper windows), or None when the program ended first or the time is up."""
    found = []

    def mapped():
        for wid in output(env, "xdotool", "search", "--onlyvisible", "--name", "^Qorvale").split():
            if "WIDTH=829" in output(env, "xdotool", "getwindowgeometry", "--shell", wid):
                found[:] = [wid]
        return bool(found) or prog.poll() is not None

    start = time.time()
    wait_for(mapped, timeout)
    if found:
        time.sleep(0.5)   # let the window manager finish placing it
        print(f"     main window mapped after {time.time() - start:.1f} s", flush=True)
    return found[0] if found else None


def no_window(env, prog, log_path):
    """Why no main window came: the program's state, the windows on the screen and the end of
    the program's log, for the test's output."""
    state = f"ended with {prog.returncode}" if prog.poll() is not None else "still running"
    shown = []
    for wid in output(env, "xdotool", "search", "--name", ".").split()[:20]:
        name = output(env, "xdotool", "getwindowname", wid).strip()
        g = output(env, "xdotool", "getwindowgeometry", "--shell", wid).split()
        shown.append(f"{name!r} {' '.join(x for x in g if x.startswith(('WIDTH', 'HEIGHT')))}")
    try:
        with open(log_path, errors="replace") as f:
            log = f.read()[-3000:]
    except OSError:
        log = ""
    return (f"the main window did not appear: the program {state}; windows: {'; '.join(shown) or 'none'}\n"
            f"--- the program's log ends ---\n{log}")


def start_display():
    """A fresh X server with a window manager that has taken over the screen: a window mapped
    while the manager still starts up can be missed by it. Returns the two processes and an
    environment naming the display."""
    xvfb, display = start_x_server()
    env = dict(os.environ, DISPLAY=display)
    wm = subprocess.Popen(["openbox"], env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    wait_for(lambda: "window id" in output(env, "xprop", "-root", "_NET_SUPPORTING_WM_CHECK"), 10, 0.05)
    return xvfb, wm, env
