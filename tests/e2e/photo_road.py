#!/usr/bin/env python3
"""The road of photos through the installed program, driven from outside only: controls found by
their accessible names over AT-SPI (as a screen reader finds them), gestures on the canvas with
xdotool, under Xvfb and a window manager.

Installs the build tree into a temporary prefix and runs <prefix>/bin/qorvale: choose Palm, open
a folder of five photos in the path box, add them all, go to design, put three photos on page 3
(two dragged from the photo strip, one clicked) and one on the cover, add a vertical text and a
rectangle, scale, turn and move items, switch pages, print the odd pages to the CUPS PDF queue,
export a PDF, save the book through the file dialog, render every page of the work folder, quit,
start again with the saved book and render every page again: each must be pixel-identical.
A screenshot of every step is kept in the output folder.

usage: photo_road.py BUILD_DIR OUTDIR"""
import glob, os, re, shutil, subprocess, sys, tempfile, time, traceback

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import atspi_driver as ax

ax.run_in_own_session()

BUILD, OUT = os.path.abspath(sys.argv[1]), os.path.abspath(sys.argv[2])
# editor_run reads its own arguments when imported; it lends the display, screenshots and checks.
_argv, sys.argv = sys.argv, [sys.argv[0], "", "", OUT]
import editor_run as er
sys.argv = _argv
check, wait_for, main_window, no_window = er.check, er.wait_for, er.main_window, er.no_window

DATA = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "data", "photos")
PHOTOS = ("Canon_40D.jpg", "DSCN0010.jpg", "DSCN0012.jpg", "canon-ixus.jpg", "fujifilm-dx10.jpg")
QUEUE, QUEUE_OUT = "QorvaleTestPDF", "/root/PDF"
PAGE_FOLDERS = range(17)
BLACK = (0, 0, 0)


def run(*args, **kw):
    return subprocess.run(list(args), capture_output=True, text=True, **kw)


def ensure_queue():
    """The CUPS scheduler and the PDF queue the print tests use, started and made when missing."""
    if "scheduler is running" not in run("lpstat", "-r").stdout:
        subprocess.Popen(["cupsd"], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL).wait()
        wait_for(lambda: "scheduler is running" in run("lpstat", "-r").stdout, 15)
    if run("lpstat", "-v", QUEUE).returncode != 0:
        run("lpadmin", "-p", QUEUE, "-v", "cups-pdf:/", "-E", "-m", "lsb/usr/cups-pdf/CUPS-PDF_opt.ppd", check=True)


# Programs a desktop opens a printer's queue or a web page with: stand-ins that only note
# their call, so the road sees what the program asks the desktop to open.
DESKTOP_OPENERS = ("system-config-printer", "kde-print-queue", "xdg-open", "x-www-browser", "firefox")


def desktop_stand_ins(base):
    """A folder of stand-ins for DESKTOP_OPENERS, to put first on PATH, and their log file."""
    folder, log = os.path.join(base, "desktop-bin"), os.path.join(base, "desktop-opened.log")
    os.makedirs(folder)
    for name in DESKTOP_OPENERS:
        path = os.path.join(folder, name)
        with open(path, "w") as f:
            f.write(f'#!/bin/sh\necho "{name} $*" >> "{log}"\n')
        os.chmod(path, 0o755)
    return folder, log


def opened_on_desktop(log):
    if not os.path.exists(log):
        return []
    with open(log) as f:
        return f.read().splitlines()


def job_files():
    """The queue's output files of this program's jobs, by job number."""
    out = {}
    for f in glob.glob(os.path.join(QUEUE_OUT, "Qorvale*.pdf")):
        m = re.search(r"job_(\d+)", f)
        if m:
            out[int(m.group(1))] = f
    return out


def pdf_page_sizes(path):
    """The size of every page of a PDF file in whole millimetres."""
    info = run("pdfinfo", "-f", "1", "-l", "999", path).stdout
    return [(round(float(w) * 25.4 / 72), round(float(h) * 25.4 / 72))
            for w, h in re.findall(r"Page +\d+ size:\s+([\d.]+) x ([\d.]+)", info)]


def dark_share(pdf):
    """Share of the pixels of a PDF's first page darker than mid-grey (rasterised at 20 dpi)."""
    pgm = subprocess.run(["pdftoppm", "-r", "20", "-gray", "-singlefile", "-f", "1", "-l", "1", pdf],
                         capture_output=True, check=True).stdout
    fields = pgm.split(maxsplit=4)   # P5, width, height, maxval, pixels
    pixels = fields[4]
    return sum(1 for v in pixels if v < 128) / max(1, len(pixels))


class Road:
    def __init__(self, prefix, base, env):
        self.prefix, self.base, self.env = prefix, base, env
        self.work = os.path.join(base, "qor_backup_editor")
        self.ptr = ax.Pointer(env)
        self.prog = None
        er.TOOL = os.path.join(prefix, "bin", "qorvale-tool")   # items are read with the installed tool

    # --- the program ---

    def start(self, *args):
        self.log_path = os.path.join(self.base, "program.log")   # a file: a pipe nobody reads could fill
        self.prog = subprocess.Popen([os.path.join(self.prefix, "bin", "qorvale"), *args], env=self.env,
                                     stderr=open(self.log_path, "w"))
        wid = main_window(self.env, self.prog)
        if not wid:
            raise LookupError(no_window(self.env, self.prog, self.log_path))
        self.win = er.Window(self.env, wid)
        self.app = ax.application("Qorvale")
        time.sleep(0.5)

    def caption(self):
        return run("xdotool", "getwindowname", self.win.wid, env=self.env).stdout.strip()

    def find(self, name, roles=None, **kw):
        return ax.find(self.app, name, roles, **kw)

    def click(self, name, roles=None, dx=0, dy=0):
        self.ptr.click_on(self.find(name, roles), dx, dy)

    def shot(self, name):
        return self.win.shot(name)

    def shot_screen(self, name):
        """The whole screen, for steps with a dialog window over the main window."""
        time.sleep(0.5)   # let the dialog paint itself
        subprocess.run(["import", "-window", "root", os.path.join(OUT, name + ".png")], env=self.env, check=True)

    def items(self, folder):
        return er.items_in(os.path.join(self.work, str(folder), "qor.dat")) or []

    def dialog(self, roles=("dialog", "file chooser", "alert")):
        return ax.find(self.app, roles=list(roles), timeout=15)

    def answer_file_dialog(self, path, step):
        """Types the path into the file dialog's name box (it has the focus) and confirms."""
        dlg = self.dialog()
        self.shot_screen(step)
        self.ptr.key("ctrl+a")
        self.ptr.type(path)
        self.ptr.key("Return")
        check(wait_for(lambda: ax.gone(self.app, roles=["dialog", "file chooser"]), 120),
              f"the file dialog closes after {os.path.basename(path)}")
        return dlg

    def canvas(self):
        """Spread origin on the screen: the middle of the grey canvas, from a screenshot of the window."""
        px = self.shot("_canvas")
        ox, oy = er.canvas_origin(px)
        wx, wy = self.window_origin()
        return wx + ox, wy + oy

    def window_origin(self):
        """Where the main window's contents start on the screen."""
        top = self.find(None, ["filler", "frame", "window"], match=lambda a: ax.name(a).startswith("Qorvale"))
        return ax.extents(top)[:2]

    def photos_on_screen(self, step):
        """Whether the right half of the spread on screen shows coloured (photo) pixels."""
        px = self.shot(step)
        ox, oy = er.canvas_origin(px)
        row = [px[oy][x] for x in range(ox + 5, ox + 200, 5)]
        return any(c not in (er.WHITE, er.GREY) and c[0] != c[1] for c in row)

    def strip(self):
        """The cells of the design photo strip (the pool grid of photo selection is hidden then)."""
        return ax.find_all(self.find(None, ["table"]), roles=["table cell"]) or []

    def open_page(self, number, right=True):
        ax.open_page(self.app, self.ptr, number, right)

    def render_all(self, work, into):
        """Every page folder drawn as the editor draws it, one PNG each; their bytes by page."""
        os.makedirs(into, exist_ok=True)
        pictures = {}
        for page in PAGE_FOLDERS:
            sides = (1, 2) if 2 <= page <= 15 else (0,)
            for side in sides:
                png = os.path.join(into, f"page{page}-{side}.png")
                run(os.path.join(self.prefix, "bin", "qorvale-tool"), "render", "--work", work, "--type", "Palm",
                    "--page", str(page), "--side", str(side), "--out", png, check=True)
                with open(png, "rb") as f:
                    pictures[(page, side)] = f.read()
        return pictures

    # --- the steps ---

    def choose_palm(self):
        self.shot("01-top-menu")
        self.click("Palm", ["label"])
        check(wait_for(lambda: os.path.isfile(os.path.join(self.work, "16", "qor.dat"))), "Palm writes 17 page folders")

    def add_photos(self):
        folder = os.path.join(self.base, "holiday")
        os.makedirs(folder)
        for p in PHOTOS:
            shutil.copy(os.path.join(DATA, p), folder)
        ax.select_photos_of_folder(self.app, self.ptr, folder, PHOTOS)
        self.shot("02-folder-of-five")
        self.click("写真追加", ["label"], dy=-5)
        img = os.path.join(self.work, "img")
        copies = lambda: len([f for f in os.listdir(img) if f.lower().endswith(".jpg")]) if os.path.isdir(img) else 0
        check(wait_for(lambda: copies() == 5, 60), f"five pool copies in the work folder ({copies()})")
        captions = [ax.name(a) for a in ax.walk(self.app, only_showing=False)
                    if ax.role(a) == "label" and ax.name(a).startswith("読み込み中")]
        check("読み込み中...5/5" in captions, f"the progress text counted the photos ({captions})")
        self.shot("03-five-added")

    def photos_on_page3(self):
        self.click("デザイン", ["label"])
        self.shot("04-design")
        self.open_page(3)
        ox, oy = self.canvas()
        names = [ax.name(c) for c in self.strip()]
        check(names == [f"写真 {n}" for n in range(1, 6)], f"the photo strip shows the five photos ({names})")
        self.ptr.drag(ax.centre(self.find("写真 1", ["table cell"])), (ox + 120, oy - 80))
        self.ptr.drag(ax.centre(self.find("写真 2", ["table cell"])), (ox + 200, oy + 80))
        self.click("写真 3", ["table cell"])   # a click puts it at its default place
        check(self.photos_on_screen("05-page3-three-photos"), "the photos show on the right page")
        self.open_page(1)
        placed = [r for r in self.items(2) if r["kind"] == 2]
        check(len(placed) == 3, f"page 3's item file holds three photos ({len(placed)})")
        right = [r for r in placed if r["centerX"] > 0]
        check(len(right) == 3, "all three stand on the right page, page 3")

    def cover(self):
        self.open_page("表紙")
        ox, oy = self.canvas()
        self.ptr.drag(ax.centre(self.find("写真 4", ["table cell"])), (ox + 150, oy))
        self.shot("06-cover-photo")
        # A vertical text: a click with the text tool puts a new text, a second click on it opens
        # the text dialog.
        for _ in range(2):
            self.click("文字ツール (F2)")
            self.ptr.click((ox - 150, oy - 60))
        dlg = self.dialog()
        self.ptr.click_on(ax.find(dlg, "文字の変更"))
        self.ptr.key("ctrl+a")
        self.ptr.type("Road 2026")
        ax.press(self.ptr, ax.find(dlg, "縦書き", ["check box"]))
        self.shot_screen("07-text-dialog")
        ax.press(self.ptr, ax.find(dlg, "OK", ["push button"]))
        check(wait_for(lambda: ax.gone(self.app, roles=["dialog"]), 10), "the text dialog closes")
        # A rectangle.
        self.click("四角ツール (F3)")
        self.ptr.drag((ox - 60, oy + 40), (ox + 20, oy + 100))
        px = self.shot("08-text-and-rectangle")
        wx, wy = self.window_origin()
        check(px[oy + 70 - wy][ox - 20 - wx] == BLACK, "the rectangle is drawn where it was dragged")
        self.open_page(1)
        kinds = sorted(r["kind"] for r in self.items(0))
        check(kinds == [1, 2, 4], f"the cover holds a text, a photo and a rectangle ({kinds})")
        texts = [r for r in self.items(0) if r["kind"] == 1]
        check(bool(texts) and texts[0]["fontName"].startswith("@") and texts[0]["text"] == "Road 2026",
              "the text is vertical and reads as typed")

    def transform(self):
        """Scale the rectangle, turn the photo and move the text on the cover, with the mouse."""
        self.open_page("表紙")
        ox, oy = self.canvas()
        before = {r["kind"]: r for r in self.items(0)}
        self.click("選択ツール (F1)")
        self.ptr.click((ox - 20, oy + 70))                  # the rectangle
        self.click("拡大・縮小")
        self.ptr.drag((ox + 19, oy + 99), (ox + 60, oy + 130))
        self.shot("09-rectangle-scaled")
        self.click("選択ツール (F1)")
        self.ptr.click((ox + 150, oy))                      # the cover photo
        self.click("回転ツール")
        self.ptr.drag((ox + 210, oy), (ox + 150, oy - 60))   # a quarter turn about its middle
        self.shot("10-photo-turned")
        self.click("選択ツール (F1)")
        text = before[1]
        self.ptr.click((ox - 150, oy - 60))
        self.ptr.drag((ox - 150, oy - 60), (ox - 250, oy - 20))
        self.shot("11-text-moved")
        self.open_page(1)
        after = {r["kind"]: r for r in self.items(0)}
        check(after[4]["width"] > before[4]["width"] and after[4]["height"] > before[4]["height"],
              f"the rectangle grew ({before[4]['width']} x {before[4]['height']} -> "
              f"{after[4]['width']} x {after[4]['height']})")
        check(after[2]["angle"] != before[2]["angle"], f"the photo turned ({after[2]['angle']} degrees)")
        check(after[1]["centerX"] < text["centerX"], f"the text moved left ({text['centerX']} -> {after[1]['centerX']})")
        self.open_page(3)
        self.shot("12-page3-again")
        check(len([r for r in self.items(2) if r["kind"] == 2]) == 3, "page 3 still holds its photos")

    def print_odd_pages(self):
        ensure_queue()
        self.click("印刷", ["label"])
        self.choose_printer()
        ax.press(self.ptr, self.find("連続印刷", ["check box"]))
        ax.press(self.ptr, self.find("奇数", ["radio button"]))
        self.shot("13-print-step")
        before = job_files()
        top = max(before, default=0)
        self.ptr.click_on(self.print_button())
        fresh = lambda: {n: f for n, f in job_files().items() if n > top}
        idle = lambda: not run("lpstat", "-o", QUEUE).stdout.strip()
        check(wait_for(lambda: len(fresh()) >= 15 and idle(), 180), f"15 odd pages reach the queue ({len(fresh())})")
        self.shot("14-printed")
        opened = opened_on_desktop(self.opened_log)
        check(opened == [f"system-config-printer --show-jobs {QUEUE}"],
              f"the queue's own window opens once for the run, never a web page ({opened})")
        sheets = [fresh()[n] for n in sorted(fresh())]
        counts = [len(pdf_page_sizes(f)) for f in sheets]
        check(counts == [1] * len(sheets), f"one sheet per job ({counts})")
        inked = [round(dark_share(f), 2) for f in sheets[:3]]
        check(len(inked) == 3 and inked[0] < 0.01 and inked[1] > 0.1 and inked[2] < 0.01,
              f"page 3, the second sheet, carries the photos and pages 1 and 5 are blank ({inked})")
        if len(sheets) > 1:
            shutil.copy(sheets[1], os.path.join(OUT, "printed-page-3.pdf"))
        for f in sheets:
            os.remove(f)

    def choose_printer(self):
        """The PDF queue from the printer list: a label (named by the printer) over a drop-down list."""
        choices = lambda: sorted(ax.find_all(self.app, roles=["label"], match=lambda a: ax.extents(a)[2:] == (176, 20))
                                 or [], key=lambda a: ax.extents(a)[1])
        printer = ax.poll(choices)[0]   # the printer's above the paper's
        self.ptr.click_on(printer)
        self.ptr.click_on(self.find(QUEUE, ["list item"]))
        check(wait_for(lambda: ax.name(choices()[0]) == QUEUE), f"the print step prints on {QUEUE}")

    def print_button(self):
        """The print step's print button (a picture with its caption drawn in)."""
        return self.find("印刷", ["label"], match=lambda a: ax.extents(a)[2] == 176)

    def export_pdf(self):
        path = os.path.join(self.base, "book.pdf")
        ax.press(self.ptr, self.find("PDF書き出し", ["push button"]))
        self.answer_file_dialog(path, "15-pdf-dialog")
        check(wait_for(lambda: os.path.isfile(path) and os.path.getsize(path) > 0, 120), "the PDF is written")
        check(wait_for(lambda: ax.gone(self.app, match=lambda a: ax.name(a).startswith("PDF書き出し中")), 120),
              "the export's busy panel goes away")
        sizes = pdf_page_sizes(path)
        check(len(sizes) == 31, f"the PDF holds the cover and the 30 pages ({len(sizes)})")
        check(sizes[:1] == [(257, 182)] and set(sizes[1:]) == {(148, 148)},
              f"the cover is 257 x 182 mm and the pages 148 x 148 mm ({sorted(set(sizes))})")
        self.shot("16-pdf-written")
        shutil.copy(path, os.path.join(OUT, "book.pdf"))

    def save_book(self, book):
        self.click("保存", ["label"])
        self.answer_file_dialog(book, "17-save-dialog")
        check(wait_for(lambda: os.path.isfile(book), 60), "the book file is written")
        check(wait_for(lambda: self.caption() == "Qorvale " + book, 10), f"the caption names the book ({self.caption()})")
        self.shot("18-saved")

    def quit(self, step):
        self.click("終了", ["label"])
        self.answer_questions(step, ("いいえ", "No"))   # the book was saved: nothing to keep
        try:
            self.prog.wait(timeout=60)
        except subprocess.TimeoutExpired:
            check(False, "the program ends after quit")
        check(self.prog.returncode == 0, "the program exits normally")
        check(wait_for(lambda: not os.path.exists(self.work), 10), "the work folder is gone after quitting")

    def answer_questions(self, step, answer=("はい", "Yes", "OK")):
        """Answers any message box the program shows within a few seconds."""
        for _ in range(3):
            box = ax.poll(lambda: ax.find_all(self.app, roles=["dialog", "alert"]), 3)
            if not box:
                return
            self.shot_screen(step)
            buttons = ax.find_all(box[0], roles=["push button"], match=lambda a: ax.caption(a) in answer)
            ax.press(self.ptr, buttons[0]) if buttons else self.ptr.key("Return")
            time.sleep(0.5)

    def keep_work(self, into):
        """A copy of the work folder as the book stands now (the undo snapshot is no part of it)."""
        shutil.copytree(self.work, into, ignore=shutil.ignore_patterns("undo"))
        return into


def main():
    shutil.rmtree(OUT, ignore_errors=True)   # only this run's screenshots and files
    os.makedirs(OUT)
    base = tempfile.mkdtemp(prefix="qv-road-")
    prefix = os.path.join(base, "prefix")
    installed = run("cmake", "--install", BUILD, "--prefix", prefix)
    check(installed.returncode == 0 and all(os.access(os.path.join(prefix, "bin", b), os.X_OK)
                                            for b in ("qorvale", "qorvale-tool")),
          "the build installs bin/qorvale and bin/qorvale-tool " + installed.stderr)
    xvfb, wm, env = er.start_display()
    env = ax.accessibility_env(env)
    env.update(QT_QPA_PLATFORM="xcb", QORVALE_BASE_DIR=base, QORVALE_PAUSE_SCALE="0", XDG_RUNTIME_DIR=base)
    openers, opened_log = desktop_stand_ins(base)
    env["PATH"] = openers + os.pathsep + env["PATH"]
    bus = ax.start_bus(env)
    road = Road(prefix, base, env)
    road.opened_log = opened_log
    book = os.path.join(base, "holiday.qvb")
    try:
        road.start()
        for step in (road.choose_palm, road.add_photos, road.photos_on_page3, road.cover, road.transform,
                     road.print_odd_pages, road.export_pdf):
            step()
        road.save_book(book)
        saved = road.keep_work(os.path.join(base, "saved"))
        road.quit("19-quit")
        road.start(book)
        road.answer_questions("20-question-at-start")
        check(wait_for(lambda: len(road.items(2)) == 3), "the book opens with page 3's photos")
        road.shot("21-book-opened")
        loaded = road.keep_work(os.path.join(base, "loaded"))
        road.click("デザイン", ["label"])
        road.open_page(3)
        check(road.photos_on_screen("22-page3-after-opening"), "page 3 shows its photos after opening the book")
        road.quit("23-quit-again")
        before = road.render_all(saved, os.path.join(OUT, "render-saved"))
        after = road.render_all(loaded, os.path.join(OUT, "render-loaded"))
        differ = sorted(k for k in before if before[k] != after.get(k))
        check(not differ, f"every page renders the same after the book is opened again (differ: {differ})")
        check(before[(2, 2)] != before[(4, 2)] and before[(0, 0)] != before[(16, 0)],
              "page 3 and the cover show what was put on them")
    except Exception as e:   # a control not found, a tool failing, the program gone: say where
        traceback.print_exc()
        check(False, f"the road stopped: {e!r}")
        road.shot_screen("zz-where-it-stopped")
    finally:
        if road.prog and road.prog.poll() is None:
            road.prog.kill()
        for p in (bus, wm, xvfb):
            p.terminate()
        shutil.rmtree(base, ignore_errors=True)
    print(f"{0 if er.failures else 1} passed, {len(er.failures)} failed")
    return 1 if er.failures else 0


if __name__ == "__main__":
    sys.exit(main())
