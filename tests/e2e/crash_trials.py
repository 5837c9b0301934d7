#!/usr/bin/env python3
"""Kills the real program with SIGKILL in the middle of a scripted editing session and checks
what the next start finds.

Each trial starts the program in a fresh base folder under Xvfb and a window manager and runs
a seeded session from outside (xdotool at positions of the window): choose Palm, add photos
from a folder, then in design draw and move shapes, put photos from the strip on pages, switch
pages in the navigator, go back to add more photos, and save the book through the file dialog
again and again (over the same file). At a random moment (seeded) the program is killed. Then:

- every page folder's qor.dat reads back with `qorvale-tool items`, and so does the undo
  snapshot's;
- every pool entry has its copy: each thumbnail has its copy beside it, every copy and
  thumbnail is complete (JPEG end marker, BMP size field), and every placed photo refers to a
  pool entry that exists;
- the book file, when one exists, is byte for byte one of the versions saved before, or the
  version the save under way was writing (the work folder packed by `qorvale-tool pack`);
- the program starts again in the same base folder, its window appears, it reports no restore
  error, and after choosing Palm on its top menu every page holds the items it held before.

A trial counts as restored when every check holds, else as lost, with the reasons.

usage: crash_trials.py QORVALE QORVALE_TOOL OUTDIR [--trials N] [--seed S] [--session SECONDS]
Prints one line per trial and a summary (also written as OUTDIR/summary.json)."""
import argparse, hashlib, json, os, random, shutil, signal, struct, subprocess, sys, tempfile, threading, time
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support"))
from runchecks import main_window, start_display, wait_for  # noqa: E402

PHOTOS = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "data", "photos")
PHOTO_NAMES = ("Canon_40D.jpg", "DSCN0010.jpg", "DSCN0012.jpg", "fujifilm-dx10.jpg")
RESTORE_ERROR = "データ復元中にエラーが発生しました。"

# Positions in the main window (829 x 569 client area at start).
PALM_CARD = (198, 378)
STEP_PHOTOS, STEP_DESIGN = (242, 26), (390, 26)
PATH_BOX, FIRST_PHOTO, ADD_BUTTON = (400, 67), (140, 115), (369, 163)
STRIP_ROWS = ((45, 169), (45, 267))
NAVIGATOR = ((780, 60), (780, 200), (780, 250), (780, 300), (760, 350))
SAVE_LINK_X = 612 + 40


class Display:
    """An X server on a free display number, with a window manager."""

    def __init__(self):
        self.xvfb, self.wm, self.env = start_display()

    def close(self):
        self.wm.terminate()
        self.xvfb.terminate()


class Killed(Exception):
    """The program was killed while the session ran."""


class Session:
    """The program under the driver's hands: clicks, keys and typing into its main window."""

    def __init__(self, display, binary, base, headless):
        self.env = dict(display.env, QT_QPA_PLATFORM="xcb", QORVALE_BASE_DIR=base, QORVALE_PAUSE_SCALE="0",
                        XDG_RUNTIME_DIR=base)
        if headless:
            self.env["QORVALE_HEADLESS_DIALOGS"] = "1"
        self.log = open(os.path.join(base, "program.log" if headless else "session.log"), "w")
        self.prog = subprocess.Popen([binary], env=self.env, stderr=self.log, stdout=subprocess.DEVNULL)
        self.wid = None
        self.killed = threading.Event()

    def xdo(self, *args):
        if self.killed.is_set():
            raise Killed()
        r = subprocess.run(["xdotool", *args], env=self.env, capture_output=True, text=True)
        if r.returncode != 0 and (self.killed.is_set() or self.prog.poll() is not None):
            raise Killed()
        return r.stdout

    def wait(self, cond, timeout, step=0.1):
        """wait_for, given up as soon as the program is killed."""
        ok = wait_for(lambda: self.killed.is_set() or cond(), timeout, step)
        if self.killed.is_set():
            raise Killed()
        return ok

    def find_window(self, timeout=30):
        self.wid = main_window(self.env, self.prog, timeout)
        return self.wid is not None

    def click(self, x, y, pause=0.3):
        self.xdo("mousemove", "--window", self.wid, str(x), str(y), "click", "1")
        time.sleep(pause)

    def drag(self, a, b):
        self.xdo("mousemove", "--window", self.wid, str(a[0]), str(a[1]), "mousedown", "1")
        for k in (1, 2, 3):
            self.xdo("mousemove", "--window", self.wid, str(a[0] + (b[0] - a[0]) * k // 3),
                     str(a[1] + (b[1] - a[1]) * k // 3))
            time.sleep(0.05)
        self.xdo("mouseup", "1")
        time.sleep(0.3)

    def key(self, name):
        self.xdo("key", "--window", self.wid, name)
        time.sleep(0.2)

    def focused_key(self, *names):
        self.xdo("key", *names)
        time.sleep(0.2)

    def type(self, text):
        self.xdo("type", "--delay", "5", text)

    def height(self):
        out = self.xdo("getwindowgeometry", "--shell", self.wid)
        return int(dict(line.split("=") for line in out.split())["HEIGHT"])

    def dialog(self, timeout=10):
        """The file dialog or question box in front of the main window, once it is shown."""
        found = []
        def shown():
            r = subprocess.run(["xdotool", "getactivewindow"], env=self.env, capture_output=True, text=True)
            wid = r.stdout.strip()
            if wid and wid != self.wid:
                found[:] = [wid]
            return bool(found) or self.prog.poll() is not None
        self.wait(shown, timeout, 0.05)
        if self.prog.poll() is not None:
            raise Killed()
        return found[0] if found else None

    def kill(self):
        self.killed.set()
        if self.prog.poll() is None:
            self.prog.send_signal(signal.SIGKILL)
        self.prog.wait()

    def stop(self):
        if self.prog.poll() is None:
            self.prog.kill()
            self.prog.wait()
        self.log.close()


def sha(path):
    with open(path, "rb") as f:
        return hashlib.sha256(f.read()).hexdigest()


class EditingSession:
    """One seeded session; `kind` names what it is doing at every moment."""

    def __init__(self, s, base, rng):
        self.s, self.base, self.rng = s, base, rng
        self.work = os.path.join(base, "qor_backup_editor")
        self.book = os.path.join(base, "books", "album.qvb")
        self.versions = set()
        self.kind = "start"
        self.done = {}

    def begin(self, kind):
        self.kind = kind
        self.done[kind] = self.done.get(kind, 0) + 1

    def copies(self):
        img = os.path.join(self.work, "img")
        return len([f for f in os.listdir(img) if f.endswith("_.jpg")]) if os.path.isdir(img) else 0

    def import_photos(self, first):
        self.begin("import")
        folder = os.path.join(self.base, "photos")
        if not first:
            self.s.click(*STEP_PHOTOS)
        self.s.click(*PATH_BOX)
        self.s.key("ctrl+a")
        self.s.xdo("type", "--window", self.s.wid, folder)
        self.s.key("Return")
        time.sleep(0.8)
        self.s.click(*FIRST_PHOTO)
        self.s.key("ctrl+a")
        before = self.copies()
        self.s.click(*ADD_BUTTON)
        self.s.wait(lambda: self.copies() >= before + len(PHOTO_NAMES), 20)
        self.s.click(*STEP_DESIGN, pause=0.5)

    def gesture(self):
        self.begin("gesture")
        r = self.rng
        x, y = r.randrange(250, 560), r.randrange(160, 420)
        choice = r.randrange(4)
        if choice == 0:
            self.s.key("F3")
            self.s.drag((x, y), (x + 50, y + 35))
        elif choice == 1:
            self.s.key("F4")
            self.s.drag((x, y), (x + 40, y + 40))
        elif choice == 2:
            self.s.click(*self.rng.choice(STRIP_ROWS))
        else:
            self.s.key("F1")   # the selection tool: move whatever lies there
            self.s.drag((x, y), (x + r.randrange(-40, 40), y + r.randrange(-40, 40)))

    def page_switch(self):
        self.begin("page switch")
        self.s.click(*self.rng.choice(NAVIGATOR), pause=0.5)

    def save(self):
        self.begin("save")
        existed = os.path.exists(self.book)
        old = sha(self.book) if existed else None
        self.s.click(SAVE_LINK_X, self.s.height() - 35 + 4 + 13, pause=0.1)
        dlg = self.s.dialog()
        if dlg is None:
            return
        self.s.focused_key("ctrl+a")
        self.s.type(self.book)
        self.s.focused_key("Return")
        if existed:   # the dialog asks before replacing a file; its default answer is No
            box = self.s.dialog()
            if box is not None and box != dlg:
                self.s.focused_key("alt+y")
        def written():
            return (os.path.exists(self.book) and not os.path.exists(self.book[:-4] + ".BAK")
                    and sha(self.book) != old)
        if self.s.wait(written, 30, 0.05):
            self.versions.add(sha(self.book))

    def run(self, rounds):
        s = self.s
        self.begin("book type")
        s.click(*PALM_CARD)
        s.wait(lambda: os.path.isfile(os.path.join(self.work, "16", "qor.dat")), 20)
        self.import_photos(True)
        actions = [self.gesture] * 4 + [self.page_switch] * 2 + [self.save]
        for n in range(rounds):
            if n % 10 == 9:
                self.import_photos(False)
            self.rng.choice(actions)()


def items(tool, path):
    r = subprocess.run([tool, "items", path], capture_output=True, text=True)
    return json.loads(r.stdout)["records"] if r.returncode == 0 else None


def complete_picture(path):
    with open(path, "rb") as f:
        data = f.read()
    if path.endswith(".jpg"):
        return data[:2] == b"\xff\xd8" and data.rstrip(b"\0")[-2:] == b"\xff\xd9"
    return data[:2] == b"BM" and len(data) >= 54 and struct.unpack_from("<I", data, 2)[0] == len(data)


def check_work_folder(tool, work, problems):
    """Item files, pool files and the photos placed on pages."""
    pages = {}
    for p in range(17):
        for folder in (os.path.join(work, str(p)), os.path.join(work, "undo", str(p))):
            f = os.path.join(folder, "qor.dat")
            if os.path.exists(f):
                records = items(tool, f)
                if records is None:
                    problems.append(f"torn item file {os.path.relpath(f, work)}")
                elif "undo" not in folder:
                    pages[p] = records
    img = os.path.join(work, "img")
    names = set(os.listdir(img)) if os.path.isdir(img) else set()
    entries = 0
    while f"{entries}_.jpg" in names or f"{entries}.bmp" in names:
        entries += 1
    for name in sorted(names):
        if name.startswith("t") and name.endswith(".bmp") and name[1:].replace("_.bmp", "").replace(".bmp", "").isdigit():
            copy = name[1:].replace("_.bmp", "_.jpg")
            if copy not in names:
                problems.append(f"pool thumbnail {name} without its copy {copy}")
        if (name.endswith(".jpg") or name.endswith(".bmp")) and not complete_picture(os.path.join(img, name)):
            problems.append(f"incomplete pool file {name}")
    for p, records in pages.items():
        for r in records:
            if r["kind"] == 2 and r["poolIndex"] >= entries:
                problems.append(f"page {p} places pool entry {r['poolIndex']} of {entries}")
    return pages, entries


def check_book(tool, session, work, scratch, problems):
    book = session.book
    leftovers = [f for f in os.listdir(os.path.dirname(book)) if f != "album.qvb"] if os.path.isdir(
        os.path.dirname(book)) else []
    if not os.path.exists(book):
        if session.versions or leftovers:
            problems.append("the book file is missing (" + ", ".join(leftovers) + ")")
        return "none"
    digest = sha(book)
    if digest in session.versions:
        return "old"
    packed = os.path.join(scratch, "packed.qvb")
    subprocess.run([tool, "pack", work, packed, "--type", "Palm"], capture_output=True)
    if os.path.exists(packed) and sha(packed) == digest:
        return "new"
    problems.append("the book file is neither a saved version nor the one being saved")
    return "other"


def restart(display, binary, tool, base, pages, problems):
    """Starts the program again in the same base folder; the pages must come back."""
    s = Session(display, binary, base, headless=True)
    try:
        if not s.find_window():
            problems.append("the window did not appear after the restart")
            return
        time.sleep(1.0)
        s.click(*PALM_CARD)
        work = os.path.join(base, "qor_backup_editor")
        wait_for(lambda: os.path.isfile(os.path.join(work, "16", "qor.dat")), 20)
        time.sleep(0.5)
        for p, records in pages.items():
            after = items(tool, os.path.join(work, str(p), "qor.dat"))
            strip = lambda rs: [{k: v for k, v in r.items() if k != "selected"} for r in rs or []]
            if strip(after) != strip(records):
                problems.append(f"page {p} changed by the restart ({len(records)} -> {len(after or [])} items)")
    finally:
        s.stop()
    with open(os.path.join(base, "program.log"), encoding="utf-8", errors="replace") as f:
        if RESTORE_ERROR in f.read():
            problems.append("the restart reported a restore error")


def trial(display, binary, tool, out, number, rng, session_seconds):
    base = tempfile.mkdtemp(prefix=f"qv-crash-{number}-")
    os.makedirs(os.path.join(base, "books"))
    os.makedirs(os.path.join(base, "photos"))
    for name in PHOTO_NAMES:
        shutil.copy(os.path.join(PHOTOS, name), os.path.join(base, "photos"))
    delay = rng.uniform(2.0, session_seconds)
    session_rng = random.Random(rng.random())
    for attempt in range(3):   # a start that shows no window is the machine's, not a trial's
        s = Session(display, binary, base, headless=False)
        if s.find_window():
            break
        s.stop()
    session = EditingSession(s, base, session_rng)
    moment = {}
    def killer():
        time.sleep(delay)
        moment["kind"] = session.kind
        moment["ended"] = s.prog.poll()
        s.kill()
    problems = []
    try:
        if s.wid is None:
            problems.append("the window did not appear")
            return {"trial": number, "restored": False, "problems": problems}
        timer = threading.Thread(target=killer, daemon=True)
        timer.start()
        try:
            session.run(1000)
        except Killed:
            pass
        timer.join()
    finally:
        s.stop()
    if moment.get("ended") is not None:
        problems.append(f"the program ended on its own ({moment['ended']}) before the kill")
    work = os.path.join(base, "qor_backup_editor")
    pages, pool = check_work_folder(tool, work, problems)
    book = check_book(tool, session, work, base, problems)
    restart(display, binary, tool, base, pages, problems)
    result = {"trial": number, "delay": round(delay, 2), "moment": moment.get("kind", "?"), "book": book,
              "saves": len(session.versions), "steps": session.done, "pages": len(pages), "items": sum(len(r) for r in pages.values()), "pool": pool,
              "restored": not problems,
              "problems": problems}
    if problems:
        shutil.copytree(base, os.path.join(out, f"trial-{number}"), ignore_dangling_symlinks=True,
                        ignore=shutil.ignore_patterns("photos"))
    shutil.rmtree(base, ignore_errors=True)
    return result


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("binary")
    ap.add_argument("tool")
    ap.add_argument("out")
    ap.add_argument("--trials", type=int, default=3)
    ap.add_argument("--seed", type=int, default=20261209)
    ap.add_argument("--session", type=float, default=25.0, help="latest kill, in seconds into the session")
    a = ap.parse_args()
    os.makedirs(a.out, exist_ok=True)
    rng = random.Random(a.seed)
    print(f"seed {a.seed}, {a.trials} trials, kills within {a.session} s", flush=True)
    display = Display()
    results = []
    try:
        for n in range(1, a.trials + 1):
            r = trial(display, a.binary, a.tool, a.out, n, rng, a.session)
            results.append(r)
            print(json.dumps(r, ensure_ascii=False), flush=True)
    finally:
        display.close()
    kinds = {}
    for r in results:
        kinds[r.get("moment", "?")] = kinds.get(r.get("moment", "?"), 0) + 1
    summary = {"seed": a.seed, "trials": len(results), "restored": sum(r["restored"] for r in results),
               "lost": sum(not r["restored"] for r in results), "moments": kinds,
               "books": {k: sum(r.get("book") == k for r in results) for k in ("none", "old", "new", "other")}}
    with open(os.path.join(a.out, "summary.json"), "w") as f:
        json.dump({"summary": summary, "trials": results}, f, ensure_ascii=False, indent=1)
    print(json.dumps(summary, ensure_ascii=False), flush=True)
    return 1 if summary["lost"] else 0


if __name__ == "__main__":
    sys.exit(main())
