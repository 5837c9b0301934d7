#!/usr/bin/env python3
"""Installs the build into a fresh prefix and checks it as a desktop sees it: the menu entry
validates, the book type is recognised by name and by content, our entry is the default for it,
every icon size is there, and opening a book the way a file manager does (gio open) starts the
installed program with that book, keeping its work in the per-user data folder.

usage: install_run.py BUILD_DIR PHOTO OUTDIR"""
import filecmp, os, shutil, subprocess, sys, tempfile
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support"))
from runchecks import check, failures, start_x_server, wait_for  # noqa: E402

BUILD, PHOTO, OUT = sys.argv[1], sys.argv[2], sys.argv[3]
TYPE = "application/x-qorvale-book"
SIZES = (16, 32, 48, 64, 128, 256)


def run(*args, env=None, check_rc=True):
    r = subprocess.run(args, env=env, capture_output=True, text=True)
    if check_rc and r.returncode != 0:
        raise SystemExit(f"{' '.join(args)} failed ({r.returncode}): {r.stdout}{r.stderr}")
    return r


def desktop_env(tmp, prefix):
    """A user with nothing of their own: empty home, data and config folders; our prefix first."""
    env = {k: v for k, v in os.environ.items()
           if not k.startswith(("QORVALE_", "XDG_", "QT_QPA_")) and k != "DBUS_SESSION_BUS_ADDRESS"}
    for name, sub in (("HOME", "home"), ("XDG_DATA_HOME", "home/.local/share"),
                      ("XDG_CONFIG_HOME", "home/.config"), ("XDG_CACHE_HOME", "home/.cache"),
                      ("XDG_RUNTIME_DIR", "runtime")):
        env[name] = os.path.join(tmp, sub)
        os.makedirs(env[name], mode=0o700, exist_ok=True)
    env["XDG_DATA_DIRS"] = os.path.join(prefix, "share") + ":/usr/share"
    env["XDG_CONFIG_DIRS"] = os.path.join(tmp, "etc-xdg")
    env["QORVALE_HEADLESS_DIALOGS"] = "1"   # a message would otherwise wait for a click
    env["QORVALE_PAUSE_SCALE"] = "0"
    return env


def make_book(prefix, tmp):
    """A Palm book holding one photo and one page, made by the installed companion tool."""
    work = os.path.join(tmp, "made")
    os.makedirs(os.path.join(work, "6"))
    with open(os.path.join(work, "6", "qor.dat"), "wb") as f:
        f.write(b"\0\0\0\0")   # a page without items
    tool = os.path.join(prefix, "bin", "qorvale-tool")
    run(tool, "import", "--work", work, "--type", "Palm", PHOTO)
    books = os.path.join(tmp, "my books")
    os.makedirs(books)
    book = os.path.join(books, "旅の写真 2026.qvb")
    run(tool, "pack", work, book, "--type", "Palm")
    return work, book


def check_file_types(env, tmp, book):
    same_bytes = os.path.join(tmp, "book-without-extension")
    shutil.copyfile(book, same_bytes)
    not_ours = os.path.join(tmp, "x.qvb")
    with open(not_ours, "w") as f:
        f.write("Qor is not enough: a text file that only carries our extension.\n")
    not_ours_plain = os.path.join(tmp, "x-without-extension")
    shutil.copyfile(not_ours, not_ours_plain)
    # xdg-mime asks File::MimeInfo without a desktop, GIO on GNOME, Xfce and the like.
    for desktop in ("", "GNOME"):
        e = dict(env, XDG_CURRENT_DESKTOP=desktop) if desktop else env
        how = desktop or "no desktop"
        def filetype(path):
            return run("xdg-mime", "query", "filetype", path, env=e).stdout.strip()
        got = filetype(book)
        print(f"     xdg-mime query filetype '{os.path.basename(book)}' ({how}): {got}")
        check(got == TYPE, f"a book is {TYPE} by its name ({how})")
        got = filetype(same_bytes)
        print(f"     xdg-mime query filetype {os.path.basename(same_bytes)} ({how}): {got}")
        check(got == TYPE, f"a book without the extension is {TYPE} by its content ({how})")
        got = filetype(not_ours)
        print(f"     xdg-mime query filetype x.qvb ({how}): {got}")
        check(got == TYPE, f"any .qvb file is offered to the program by its name ({how})")
        got = filetype(not_ours_plain)
        print(f"     xdg-mime query filetype {os.path.basename(not_ours_plain)} ({how}): {got}")
        check(got != TYPE, f"other content without the extension is not a book ({how})")
    got = run("xdg-mime", "query", "default", TYPE, env=env).stdout.strip()
    print(f"     xdg-mime query default {TYPE}: {got}")
    check(got == "qorvale.desktop", "the program's entry opens books by default")


def check_installed_files(prefix):
    share = os.path.join(prefix, "share")
    for name in ("qorvale", "qorvale-tool"):
        check(os.access(os.path.join(prefix, "bin", name), os.X_OK), f"bin/{name} is installed")
    entry = os.path.join(share, "applications", "qorvale.desktop")
    r = run("desktop-file-validate", entry, check_rc=False)
    print(f"     desktop-file-validate: status {r.returncode}, output {(r.stdout + r.stderr).strip()!r}")
    check(r.returncode == 0 and not (r.stdout + r.stderr).strip(), "the menu entry validates cleanly")
    with open(entry, encoding="utf-8") as f:
        lines = f.read().splitlines()
    exe = os.path.join(prefix, "bin", "qorvale")
    check(f"Exec={exe} %f" in lines, "the entry starts the installed program with the file")
    check(any(l.startswith("Name[ja]=") for l in lines) and any(l.startswith("Comment[ja]=") for l in lines),
          "the entry has a Japanese name and comment")
    icons = os.path.join(share, "icons", "hicolor")
    check(os.path.isfile(os.path.join(icons, "scalable", "apps", "qorvale.svg")), "the scalable icon is installed")
    for size in SIZES:
        png = os.path.join(icons, f"{size}x{size}", "apps", "qorvale.png")
        r = run("identify", "-format", "%m %w %h", png, check_rc=False)
        check(r.returncode == 0 and r.stdout.strip() == f"PNG {size} {size}", f"icon {size}: {r.stdout.strip()!r}")
        # An icon drawn over most of its square, not an empty picture.
        alpha = run("convert", png, "-alpha", "extract", "-format", "%[fx:mean]", "info:", check_rc=False)
        check(float(alpha.stdout or 0) > 0.5, f"icon {size} covers its square (mean alpha {alpha.stdout})")


def open_like_a_file_manager(env, prefix, made, book):
    """gio open: type by content and name, default application, Exec with the file's path."""
    data_home = env["XDG_DATA_HOME"]
    work = os.path.join(data_home, "qorvale", "qor_backup_editor")
    e = dict(env, QORVALE_QUIT_AFTER_MS="15000")   # ends through the window's normal close
    # The program inherits gio's output: a file, so that nothing waits for the program to end.
    with open(os.path.join(OUT, "program.log"), "w") as log:
        subprocess.run(["gio", "open", book], env=e, stdout=log, stderr=log, check=True)
    caption = "Qorvale " + book
    wid = []
    def window():
        r = subprocess.run(["xdotool", "search", "--name", "^" + caption + "$"], env=e, capture_output=True, text=True)
        wid[:] = r.stdout.split()
        return bool(wid)
    check(wait_for(window), f"a window captioned {caption!r} appears")
    photo = os.path.join(work, "img", "0_.jpg")
    check(wait_for(lambda: os.path.isfile(photo) and filecmp.cmp(photo, os.path.join(made, "img", "0_.jpg"), False)),
          "the book's photo is in the work folder under the per-user data folder")
    check(os.path.isfile(os.path.join(work, "6", "qor.dat")), "the book's page 6 is in the work folder")
    if wid:
        subprocess.run(["import", "-window", wid[0], os.path.join(OUT, "opened-book.png")], env=e)
        icon = run("xprop", "-id", wid[0], "_NET_WM_ICON", env=e, check_rc=False).stdout
        check(icon.startswith("_NET_WM_ICON(CARDINAL) = "), "the window carries the program's icon")
        pid = run("xdotool", "getwindowpid", wid[0], env=e, check_rc=False).stdout.strip()
        print(f"     program pid {pid}")
        check(wait_for(lambda: not os.path.exists(f"/proc/{pid}"), 60), "the program ends after its close")
    check(not os.path.exists(work), "a normal exit removes the work folder")
    check(not os.path.exists(os.path.join(prefix, "bin", "qor_backup_editor")),
          "nothing was written beside the installed program")


def main():
    os.makedirs(OUT, exist_ok=True)
    with tempfile.TemporaryDirectory(prefix="qv-install-") as tmp:
        prefix = os.path.join(tmp, "prefix")
        run("cmake", "--install", BUILD, "--prefix", prefix)
        run("update-mime-database", os.path.join(prefix, "share", "mime"))
        run("update-desktop-database", os.path.join(prefix, "share", "applications"))
        xvfb, display = start_x_server()
        try:
            env = dict(desktop_env(tmp, prefix), DISPLAY=display)
            check_installed_files(prefix)
            made, book = make_book(prefix, tmp)
            check_file_types(env, tmp, book)
            open_like_a_file_manager(env, prefix, made, book)
        finally:
            xvfb.terminate()
            xvfb.wait()
    if failures:
        print(f"{len(failures)} check(s) failed:\n  " + "\n  ".join(failures))
        sys.exit(1)
    print("all checks passed")


main()
