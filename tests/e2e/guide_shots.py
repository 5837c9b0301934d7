#!/usr/bin/env python3
"""Takes the user guide's pictures of the real window: the program is driven from outside as a
user would (controls found by their accessible names over AT-SPI, gestures with xdotool, under
Xvfb and a window manager) through the steps the guide describes, and each step's window is
saved under the name the guide's pages use. Printing goes to a CUPS scheduler of this run alone,
so the pictures show one printer called "Printer" whatever the machine has.

usage: guide_shots.py QORVALE OUTDIR [TAKING_DIR]   (TAKING_DIR, on OUTDIR's file system, holds
the pictures while they are taken; by default OUTDIR.taking)"""
import os, shutil, subprocess, sys, tempfile, time, traceback

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)
sys.path.insert(0, os.path.join(HERE, "..", "support"))
import atspi_driver as ax  # noqa: E402

ax.run_in_own_session()

from private_cups import PrivateCups  # noqa: E402
from runchecks import main_window, no_window, start_display, wait_for  # noqa: E402

PROGRAM, FINAL = os.path.abspath(sys.argv[1]), os.path.abspath(sys.argv[2])
OUT = os.path.abspath(sys.argv[3]) if len(sys.argv) > 3 else FINAL + ".taking"   # moved into FINAL when all are taken
PHOTOS = os.path.join(HERE, "..", "data", "photos")
CHOSEN = ("Canon_40D.jpg", "DSCN0010.jpg", "DSCN0012.jpg", "canon-ixus.jpg", "fujifilm-dx10.jpg")
# Every picture the guide shows; the run fails unless it has taken them all.
SHOTS = ("top-menu", "photo-folder", "photos-added", "design-photos", "text-dialog", "design-cover",
         "print-step", "save-dialog")


def need(cond, what, timeout=20.0):
    """Waits for cond; a step that does not happen stops the run, since its pictures would lie."""
    if not wait_for(cond, timeout):
        raise RuntimeError(what + ": did not happen")


class Session:
    def __init__(self, env, base):
        self.env, self.base, self.home = env, base, env["HOME"]
        self.work = os.path.join(base, "qor_backup_editor")
        self.ptr = ax.Pointer(env)

    def start(self):
        self.log = os.path.join(self.base, "program.log")
        self.prog = subprocess.Popen([PROGRAM], env=self.env, cwd=self.home, stderr=open(self.log, "w"))
        self.wid = main_window(self.env, self.prog, 90)
        if not self.wid:
            raise LookupError(no_window(self.env, self.prog, self.log))
        self.app = ax.application("Qorvale")
        time.sleep(0.5)

    def find(self, name, roles=None, **kw):
        return ax.find(self.app, name, roles, **kw)

    def click(self, name, roles=None, dx=0, dy=0):
        self.ptr.click_on(self.find(name, roles), dx, dy)
        time.sleep(0.3)

    def shot(self, name, acc=None):
        """The main window, or the window of a dialog (cut from the screen at its extents)."""
        time.sleep(0.7)   # let the last change paint itself
        path = os.path.join(OUT, name + ".png")
        if acc is None:
            subprocess.run(["import", "-window", self.wid, path], env=self.env, check=True)
            return
        x, y, w, h = ax.extents(acc)
        subprocess.run(["import", "-window", "root", "-crop", f"{w}x{h}+{x}+{y}", "+repage", path],
                       env=self.env, check=True)

    def canvas_centre(self):
        return ax.centre(self.find("ページ編集画面"))

    def open_page(self, number):
        ax.open_page(self.app, self.ptr, number)

    # --- the steps of the guide ---

    def choose_book_type(self):
        self.shot("top-menu")
        self.click("Palm", ["label"])
        need(lambda: os.path.isfile(os.path.join(self.work, "16", "qor.dat")), "choosing Palm writes the book")

    def choose_photos(self):
        folder = os.path.join(self.home, "Pictures", "summer")   # typed: ASCII only
        os.makedirs(folder)
        for p in CHOSEN:
            shutil.copy(os.path.join(PHOTOS, p), folder)
        ax.select_photos_of_folder(self.app, self.ptr, folder, CHOSEN)
        self.shot("photo-folder")
        self.click("写真追加", ["label"], dy=-5)
        img = os.path.join(self.work, "img")
        need(lambda: os.path.isdir(img) and len([f for f in os.listdir(img) if f.endswith(".jpg")]) == 5,
             "the five photos reach the pool", 60)
        time.sleep(1)
        self.shot("photos-added")

    def design_pages(self):
        self.click("デザイン", ["label"])
        self.open_page(3)
        ox, oy = self.canvas_centre()
        self.ptr.drag(ax.centre(self.find("写真 1", ["table cell"])), (ox + 130, oy - 70))
        self.ptr.drag(ax.centre(self.find("写真 2", ["table cell"])), (ox + 190, oy + 70))
        self.ptr.drag(ax.centre(self.find("写真 3", ["table cell"])), (ox - 150, oy))
        self.shot("design-photos")
        self.open_page("表紙")
        ox, oy = self.canvas_centre()
        self.ptr.drag(ax.centre(self.find("写真 4", ["table cell"])), (ox + 80, oy))   # the front cover
        spine = (ox - 131, oy - 40)
        for _ in range(2):   # a click puts a new text, a second click on it opens the text dialog
            self.click("文字ツール (F2)")
            self.ptr.click(spine)
        dlg = ax.find(self.app, roles=["dialog"], timeout=15)
        self.ptr.click_on(ax.find(dlg, "文字の変更"))
        self.ptr.key("ctrl+a")
        self.ptr.type("Summer 2026")
        ax.press(self.ptr, ax.find(dlg, "縦書き", ["check box"]))
        self.shot("text-dialog", dlg)
        ax.press(self.ptr, ax.find(dlg, "OK", ["push button"]))
        need(lambda: ax.gone(self.app, roles=["dialog"]), "the text dialog closes")
        self.click("選択ツール (F1)")
        self.ptr.click((ox + 80, oy))   # the cover photo, selected
        self.shot("design-cover")

    def save_dialog(self):
        self.click("保存", ["label"])
        dlg = ax.find(self.app, roles=["dialog", "file chooser"], timeout=15)
        self.shot("save-dialog", dlg)
        self.ptr.key("Escape")
        need(lambda: ax.gone(self.app, roles=["dialog", "file chooser"]), "the save dialog closes")

    def print_step(self):
        self.click("印刷", ["label"])
        need(lambda: ax.find_all(self.app, "印刷", ["label"], match=lambda a: ax.extents(a)[2] == 176),
             "the print step shows its print button", 60)
        self.shot("print-step")


def main():
    shutil.rmtree(OUT, ignore_errors=True)
    os.makedirs(OUT)
    base = tempfile.mkdtemp(prefix="qv-guide-")
    home, runtime = os.path.join(base, "home"), os.path.join(base, "run")   # the home shows in the dialogs
    for d in (home, runtime):
        os.makedirs(d, mode=0o700)
    cups = PrivateCups(os.path.join(base, "cups"))
    failed, running, s = None, [], None
    try:
        cups.start()
        xvfb, wm, env = start_display()
        running += [xvfb, wm]
        env = ax.accessibility_env(env)
        env.update(QT_QPA_PLATFORM="xcb", QORVALE_BASE_DIR=base, QORVALE_PAUSE_SCALE="0", XDG_RUNTIME_DIR=runtime,
                   HOME=home, CUPS_SERVER=cups.socket, LANG="C.UTF-8")
        running.append(ax.start_bus(env))
        s = Session(env, base)
        try:
            s.start()
            for step in (s.choose_book_type, s.choose_photos, s.design_pages, s.print_step, s.save_dialog):
                step()
        except Exception as e:   # a control not found, the program gone: say where
            traceback.print_exc()
            failed = repr(e)
            subprocess.run(["import", "-window", "root", os.path.join(OUT, "zz-where-it-stopped.png")], env=env)
    except Exception as e:   # no scheduler or no display
        failed = repr(e)
    finally:
        if s and getattr(s, "prog", None):
            running.append(s.prog)
        for p in reversed(running):
            p.kill()
            p.wait()
        cups.stop()
        shutil.rmtree(base, ignore_errors=True)
    missing = [n for n in SHOTS if not os.path.isfile(os.path.join(OUT, n + ".png"))]
    if failed or missing:
        print(f"the guide's pictures are incomplete (missing: {missing}; {failed or 'no error'}; see {OUT})")
        return 1
    publish()
    print(f"{len(SHOTS)} pictures in {FINAL}")
    return 0


def publish():
    """Each picture replaces its old copy in one step, so that an install reading the folder at
    the same time finds every picture, old or new."""
    os.makedirs(FINAL, exist_ok=True)
    for name in os.listdir(FINAL):
        if name not in os.listdir(OUT):
            os.remove(os.path.join(FINAL, name))
    for name in os.listdir(OUT):
        os.replace(os.path.join(OUT, name), os.path.join(FINAL, name))
    os.rmdir(OUT)


if __name__ == "__main__":
    sys.exit(main())
