"""Checks and waits shared by the scripts that drive a real program from outside."""
import os, subprocess, time

failures = []


def check(cond, what):
    """Prints one result line; a failed check is kept and the run goes on."""
    print(("ok   " if cond else "FAIL ") + what, flush=True)
    if not cond:
        failures.append(what)


def wait_for(cond, timeout=20.0):
    """Polls cond every 0.1 s until it holds or the time is up; its last value."""
    end = time.time() + timeout
    while time.time() < end:
        if cond():
            return True
        time.sleep(0.1)
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
