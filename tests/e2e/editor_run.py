#!/usr/bin/env python3
"""Drives the real program under Xvfb and a window manager from outside, with xdotool at
positions read from the window: choose Palm, go to design, draw a rectangle and an ellipse,
move one, undo, delete, quit without saving. Checks the screen and the work folder at every
step and keeps a screenshot of each step in the output folder.

With --photos instead: the road of a photo from a folder to a page. Choose Palm, open a folder
of test photos in the path box, select them all, add them, go to design, put two on page 3 by
clicks on the photo strip and drag the third from the strip onto the page, switch to page 5 and
back with the navigator: the photos are on page 3, the dragged one where it was dropped, and the
page's item file holds them.

usage: editor_run.py QORVALE QORVALE_TOOL OUTDIR [--photos]"""
import json, os, shutil, subprocess, sys, tempfile, time
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support"))
from runchecks import check, failures, main_window, no_window, start_display, wait_for  # noqa: E402

BIN, TOOL, OUT = sys.argv[1], sys.argv[2], sys.argv[3]
PHOTOS = "--photos" in sys.argv[4:]
DATA = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "data", "photos")
GREY = (102, 102, 102)      # the canvas around the page
BLACK = (0, 0, 0)           # a new shape's fill
WHITE = (255, 255, 255)


class Window:
    def __init__(self, env, wid):
        self.env, self.wid = env, wid

    def xdo(self, *args):
        return subprocess.run(["xdotool", *args], env=self.env, check=True, capture_output=True, text=True).stdout

    def click(self, x, y):
        self.xdo("mousemove", "--window", self.wid, str(x), str(y), "click", "1")
        time.sleep(0.3)

    def drag(self, a, b, steps=3):
        self.xdo("mousemove", "--window", self.wid, str(a[0]), str(a[1]), "mousedown", "1")
        for k in range(1, steps + 1):
            x, y = a[0] + (b[0] - a[0]) * k // steps, a[1] + (b[1] - a[1]) * k // steps
            self.xdo("mousemove", "--window", self.wid, str(x), str(y))
            time.sleep(0.05)
        self.xdo("mouseup", "1")
        time.sleep(0.3)

    def key(self, name):
        self.xdo("key", "--window", self.wid, name)
        time.sleep(0.3)

    def size(self):
        out = self.xdo("getwindowgeometry", "--shell", self.wid)
        g = dict(line.split("=") for line in out.split())
        return int(g["WIDTH"]), int(g["HEIGHT"])

    def shot_when(self, name, cond, timeout=30.0):
        """Shoots the window until cond(pixels) holds (or the time is up); returns the last pixels."""
        last, start = [], time.time()
        met = wait_for(lambda: cond(last.append(self.shot(name)) or last[-1]), timeout)
        print(f"     {name}: {'' if met else 'not '}seen after {time.time() - start:.1f} s", flush=True)
        return last[-1]

    def shot(self, name):
        """The window's pixels as rows of RGB triples; also saved as PNG."""
        for attempt in range(10):   # a window just mapped may not be viewable yet
            r = subprocess.run(["import", "-window", self.wid, "-depth", "8", "ppm:-"], env=self.env,
                               capture_output=True)
            if r.returncode == 0:
                break
            time.sleep(0.5)
        r.check_returncode()
        ppm = r.stdout
        subprocess.run(["convert", "ppm:-", os.path.join(OUT, name + ".png")], input=ppm, check=True)
        parts, pos = [], 0
        while len(parts) < 4:   # P6, width, height, maxval
            while ppm[pos:pos + 1].isspace():
                pos += 1
            end = pos
            while not ppm[end:end + 1].isspace():
                end += 1
            parts.append(ppm[pos:end])
            pos = end
        w, h = int(parts[1]), int(parts[2])
        data = ppm[pos + 1:]
        return [[tuple(data[(y * w + x) * 3:(y * w + x) * 3 + 3]) for x in range(w)] for y in range(h)]


def canvas_origin(px):
    """Middle of the grey canvas around the page: spread (0, 0) with no scrolling. Only rows and
    columns with long runs of grey count: a photo in the strip may hold a pixel of that grey."""
    h, w = len(px), len(px[0])
    ys = [y for y in range(h) if sum(px[y][x] == GREY for x in range(0, w, 2)) > 75]
    xs = [x for x in range(w) if sum(px[y][x] == GREY for y in range(0, h, 2)) > 75]
    return ((min(xs) + max(xs) + 1) // 2, (min(ys) + max(ys) + 1) // 2)


def items_in(path):
    if not os.path.isfile(path):
        return None
    out = subprocess.run([TOOL, "items", path], check=True, capture_output=True, text=True).stdout
    return json.loads(out)["records"]


def editing(win, work, base):
    win.shot("2-photo-selection")
    win.click(172 + 148 + 70, 26)   # the design step
    time.sleep(0.5)
    px = win.shot("3-design")
    ox, oy = canvas_origin(px)
    check(px[oy - 30][ox + 60] != GREY and px[oy + 30][ox - 60] != GREY, "design shows the page around the origin")
    undo = os.path.join(work, "undo")

    def snapshot_count():   # the undo snapshot of the page being edited, the cover
        records = items_in(os.path.join(undo, "0", "qor.dat"))
        return None if records is None else len(records)

    win.key("F3")
    win.drag((ox + 40, oy - 80), (ox + 100, oy - 40))
    px = win.shot("4-rectangle")
    check(px[oy - 60][ox + 70] == BLACK, "the rectangle is drawn where it was dragged")
    check(snapshot_count() == 0, "the undo snapshot holds the page before the rectangle")
    win.key("F4")
    win.drag((ox + 40, oy + 20), (ox + 100, oy + 60))
    px = win.shot("5-ellipse")
    check(px[oy + 40][ox + 70] == BLACK, "the ellipse is drawn")
    check(snapshot_count() == 1, "the undo snapshot holds the rectangle")
    win.drag((ox + 70, oy - 60), (ox + 70, oy - 120))   # move the rectangle up by 60 pixels
    px = win.shot("6-moved")
    check(px[oy - 120][ox + 70] == BLACK and px[oy - 50][ox + 70] != BLACK, "the rectangle moved up")
    check(snapshot_count() == 2, "the move took a snapshot of both shapes")
    win.key("ctrl+z")
    px = win.shot("7-undone")
    check(px[oy - 60][ox + 70] == BLACK and px[oy - 125][ox + 70] != BLACK, "undo puts it back")
    win.click(ox + 70, oy + 40)   # select the ellipse
    win.key("Delete")
    px = win.shot("8-deleted")
    check(px[oy + 40][ox + 70] != BLACK and px[oy - 60][ox + 70] == BLACK, "Delete removes the ellipse only")
    # The width field of the property panel: 50 mm typed and confirmed with Enter.
    win.click(ox + 70, oy - 60)
    win.click(357, 73)
    for k in ("BackSpace", "BackSpace", "BackSpace", "5", "0", "Return"):
        win.key(k)
    px = win.shot("9-width-50")
    row = px[oy - 60]
    left = right = ox + 70
    while row[left - 1] == BLACK:
        left -= 1
    while row[right + 1] == BLACK:
        right += 1
    # 50 mm at zoom 5 is 500 / 4.6 = 108.7 pixels; the selection outline covers a pixel each side.
    check(abs((right - left + 1) - 109) <= 3, f"the rectangle is 50 mm wide on the canvas ({right - left + 1} px)")

def photo_road(win, work, base):
    folder = os.path.join(base, "holiday")
    os.makedirs(folder)
    for name in ("Canon_40D.jpg", "DSCN0010.jpg", "DSCN0012.jpg"):
        shutil.copy(os.path.join(DATA, name), folder)
    win.click(400, 67)                  # the path box
    win.key("ctrl+a")
    win.xdo("type", "--window", win.wid, folder)
    win.key("Return")
    win.shot_when("p1-listed", lambda px: coloured(px, 115, 160, 10, 85))   # the first thumbnail
    win.click(140, 115)                 # the first photo of the list
    win.key("ctrl+a")
    win.shot("p2-folder")
    win.click(369, 163)                 # the add button
    img = os.path.join(work, "img")
    copies = lambda: len([f for f in os.listdir(img) if f.lower().endswith(".jpg")]) if os.path.isdir(img) else 0
    check(wait_for(lambda: copies() == 3), f"the three photos are in the pool ({copies()})")
    win.shot("p3-added")
    win.click(172 + 148 + 70, 26)       # the design step
    win.shot_when("p3-design", lambda px: sum(row.count(GREY) for row in px[::8]) > 500)
    win.click(780, 250)                 # the navigator: the right page of the first full spread, page 3
    time.sleep(0.5)
    win.click(45, 169)                  # strip row 1: the photo goes to its place on the page
    win.click(45, 267)                  # strip row 2
    px = win.shot_when("p4-page3", photos_on_left_half)
    check(photos_on_left_half(px), "the photos show on page 3")
    ox, oy = canvas_origin(px)
    drops = [(ox + 150, oy + 60), (ox + 190, oy + 90)]
    for drop in drops:                  # strip row 3 dragged onto the right page twice: the window's own drag and drop
        win.drag((45, 365), drop, steps=8)
    win.shot("p4-page3-dropped")
    win.click(780, 300)                 # page 5
    page3 = lambda: [r for r in items_in(os.path.join(work, "2", "qor.dat")) or [] if r.get("kind") == 2]
    wait_for(lambda: len(page3()) == 4)
    win.shot("p5-page5")
    photos = page3()
    check(len(photos) == 4, f"page 3's item file holds the four photos ({len(photos)})")
    # Each dragged photo is centred where it was let go, 4.6 page units per pixel at the start zoom:
    # exactly so relative to each other, and within a few pixels of the canvas middle's reckoning.
    got = [(r["centerX"], r["centerY"]) for r in photos if r.get("poolIndex") == 2]
    want = [(round((x - ox) * 4.6), round((y - oy) * 4.6)) for x, y in drops]
    near = lambda a, b, tol: all(abs(p - q) <= tol for p, q in zip(a, b))
    check(len(got) == 2 and near(got[0], want[0], 60) and near(got[1], want[1], 60)
          and near((got[1][0] - got[0][0], got[1][1] - got[0][1]), (184, 138), 10),
          f"the dragged photos lie where they were dropped ({got}, {want})")
    win.click(780, 250)                 # and back
    px = win.shot_when("p6-page3-again", photos_on_left_half)
    check(photos_on_left_half(px), "the photos show on page 3 again")


def coloured(px, top, bottom, left, right):
    """True when the rectangle holds a pixel that is neither white, black nor grey."""
    return any(c[0] != c[1] or c[1] != c[2] for row in px[top:bottom] for c in row[left:right])


def photos_on_left_half(px):
    """Photo pixels on the canvas to the right of the spread's middle line."""
    try:
        ox, oy = canvas_origin(px)
    except ValueError:   # no canvas on the screen yet
        return False
    return any(c not in (WHITE, GREY) and c[0] != c[1] for c in (px[oy][x] for x in range(ox + 5, ox + 200, 5)))


def main():
    os.makedirs(OUT, exist_ok=True)
    base = tempfile.mkdtemp(prefix="qv-e2e-")
    work = os.path.join(base, "qor_backup_editor")
    xvfb, wm, env = start_display()
    env.update(QT_QPA_PLATFORM="xcb", QORVALE_BASE_DIR=base, QORVALE_HEADLESS_DIALOGS="1", QORVALE_PAUSE_SCALE="0",
               XDG_RUNTIME_DIR=base)
    log_path = os.path.join(base, "program.log")   # a file, not a pipe nobody reads while it runs
    prog = subprocess.Popen([BIN], env=env, stderr=open(log_path, "w"))
    try:
        wid = main_window(env, prog, 90)   # a start on a busy shared machine can take half a minute
        if not wid:
            raise SystemExit(no_window(env, prog, log_path))
        win = Window(env, wid)
        time.sleep(0.5)
        win.shot("1-top-menu")
        win.click(127 + 71, 327 + 51)   # the Palm card
        check(wait_for(lambda: os.path.isfile(os.path.join(work, "16", "qor.dat"))), "Palm writes 17 page folders")
        (photo_road if PHOTOS else editing)(win, work, base)
        w, h = win.size()
        win.click(527 + 40, h - 35 + 4 + 13)   # quit; the save question takes its default, No
        try:
            prog.wait(timeout=30)
        except subprocess.TimeoutExpired:
            check(False, "the program ends after quit")
        check(prog.returncode == 0, "the program exits normally")
        check(not os.path.exists(work), "the work folder is gone after quitting")
        with open(log_path, encoding="utf-8") as log:
            check("終了する前に保存しますか？" in log.read(), "quitting asked whether to save")
    finally:
        if prog.poll() is None:
            prog.kill()
        wm.terminate()
        xvfb.terminate()
        shutil.rmtree(base, ignore_errors=True)
    print(f"{0 if failures else 1} passed, {len(failures)} failed")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
