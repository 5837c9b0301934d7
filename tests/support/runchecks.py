"""Checks and waits shared by the scripts that drive a real program from outside."""
import time

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
