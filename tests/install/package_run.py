#!/usr/bin/env python3
"""Builds the Debian package from the build tree (with its user guide) and checks it as a Debian
maintainer and a user would: lintian reports no error or warning; the software-centre metadata,
the menu entry and the manual pages validate; every link and picture of the guide resolves on
the machine. The package is then installed into a throw-away root with dpkg, the caches its
triggers refresh are built there, and the installed program is started under Xvfb with a
recording opener on PATH in place of the desktop's: the help, download and contact buttons must
open the installed guide's pages. Purging the package must leave nothing of it behind.

usage: package_run.py BUILD_DIR OUTDIR"""
import glob, html.parser, os, re, shutil, subprocess, sys, tempfile, time
from urllib.parse import unquote, urlsplit
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support"))
from runchecks import check, failures, main_window, no_window, start_display, wait_for  # noqa: E402

BUILD, OUT = os.path.abspath(sys.argv[1]), os.path.abspath(sys.argv[2])
GUIDE = "usr/share/doc/qorvale/guide"
METAINFO = "usr/share/metainfo/org.example.qorvale.metainfo.xml"
# The link bar's pages, by the button's place in the bottom bar (x of its middle).
LINKS = (("ヘルプ", 31 + 50, "pdf/book_guide.pdf", b"%PDF-"), ("ダウンロード", 140 + 76, "download/index.html", b"<!DOCTYPE"),
         ("お問い合わせ", 697 + 54, "contact/index.html", b"<!DOCTYPE"))


def run(*args, env=None, check_rc=True):
    r = subprocess.run(list(args), env=env, capture_output=True, text=True)
    if check_rc and r.returncode != 0:
        raise SystemExit(f"{' '.join(args)} failed ({r.returncode}): {r.stdout}{r.stderr}")
    return r


def build_package():
    run("cmake", "--build", BUILD, "--target", "guide")
    out = os.path.join(OUT, "package")
    shutil.rmtree(out, ignore_errors=True)
    run("cpack", "-G", "DEB", "-B", out, "--config", os.path.join(BUILD, "CPackConfig.cmake"))
    debs = glob.glob(os.path.join(out, "qorvale_*.deb"))
    check(len(debs) == 1, f"cpack makes one package ({[os.path.basename(d) for d in debs]})")
    return debs[0]


def check_lintian(deb):
    r = run("lintian", "--pedantic", "--display-info", deb, check_rc=False)
    tags = [l for l in r.stdout.splitlines() if re.match(r"^[EWIPX]: ", l)]
    print("     lintian:\n       " + ("\n       ".join(tags) or "(nothing)"))
    bad = [t for t in tags if t[0] in "EW"]
    check(r.returncode == 0 and not bad, f"lintian reports no error or warning ({bad})")


def check_control(deb):
    fields = run("dpkg-deb", "-f", deb).stdout
    depends = re.search(r"^Depends: (.*)$", fields, re.M)
    depends = depends.group(1) if depends else ""
    for lib in ("libc6", "libqt6widgets6", "libqt6printsupport6", "libjpeg62-turbo", "fonts-ipafont-gothic"):
        check(re.search(rf"(^|, ){lib}\b", depends) is not None, f"the package depends on {lib}")
    check("cups" in (re.search(r"^Recommends: (.*)$", fields, re.M) or [""])[0],
          "the package recommends the print scheduler")
    members = run("dpkg-deb", "-c", deb).stdout
    check(not re.search(r"\./usr/local/|/(pre|post)(inst|rm)$", members), "files under /usr only, no maintainer script")
    scripts = run("dpkg-deb", "-I", deb).stdout
    check(not re.search(r"\b(preinst|postinst|prerm|postrm)\b", scripts), "the control part holds no maintainer script")


def install_into(root, deb):
    """A dpkg database of its own under root; the dependencies are this machine's."""
    admin = os.path.join(root, "var", "lib", "dpkg")
    for sub in ("info", "updates", "triggers"):
        os.makedirs(os.path.join(admin, sub))
    for name in ("status", "available"):
        open(os.path.join(admin, name), "w").close()
    run("dpkg", f"--root={root}", "--force-depends", "--log=/dev/null", "-i", deb)
    refresh_caches(root)


def refresh_caches(root):
    """What the menu and file-type triggers run when the package comes or goes."""
    share = os.path.join(root, "usr", "share")
    if os.path.isdir(os.path.join(share, "mime")):
        os.makedirs(os.path.join(share, "mime", "packages"), exist_ok=True)   # never empty on a real system
        run("update-mime-database", os.path.join(share, "mime"))
    if os.path.isdir(os.path.join(share, "applications")):
        run("update-desktop-database", os.path.join(share, "applications"))


def check_metadata(root):
    meta = os.path.join(root, METAINFO)
    for mode in ("--strict", "--pedantic"):
        r = run("appstreamcli", "validate", mode, "--no-net", "--no-color", meta, check_rc=False)
        print(f"     appstreamcli validate {mode}: {(r.stdout + r.stderr).strip()}")
        check(r.returncode == 0, f"the metadata passes appstreamcli validate {mode}")
    r = run("appstreamcli", "validate-tree", "--no-net", "--no-color", root, check_rc=False)
    print(f"     appstreamcli validate-tree: {(r.stdout + r.stderr).strip()}")
    check(r.returncode == 0, "the installed tree validates (metadata, menu entry and icon together)")
    with open(meta, encoding="utf-8") as f:
        text = f.read()
    check("<mediatype>application/x-qorvale-book</mediatype>" in text, "the metadata names the book type")
    r = run("desktop-file-validate", os.path.join(root, "usr/share/applications/qorvale.desktop"), check_rc=False)
    check(r.returncode == 0 and not (r.stdout + r.stderr).strip(), f"the menu entry validates {r.stdout}{r.stderr}")


def check_manual(root):
    env = dict(os.environ, LC_ALL="C.UTF-8", MANWIDTH="80")
    pages = {}
    for name in ("qorvale", "qorvale-tool"):
        page = os.path.join(root, "usr/share/man/man1", name + ".1.gz")
        r = run("man", "--warnings", "-E", "UTF-8", "-l", "-Tutf8", "-Z", page, env=env, check_rc=False)
        check(r.returncode == 0 and not r.stderr.strip(), f"man --warnings is silent on {name}(1) {r.stderr.strip()!r}")
        whatis = run("lexgrog", page, check_rc=False).stdout
        check(f'"{name} - ' in whatis, f"lexgrog finds the whatis line of {name}(1): {whatis.strip()}")
        pages[name] = run("man", "-l", page, env=env, check_rc=False).stdout
    commands = re.findall(r"^  (\w+) ", run(os.path.join(root, "usr/bin/qorvale-tool"), "--help").stdout, re.M)
    section = pages["qorvale-tool"].partition("\nCOMMANDS\n")[2].partition("\nEXIT STATUS\n")[0]
    described = re.findall(r"^ {7}(\w+) ", section, re.M)
    check(commands and all(c in described for c in commands),
          f"qorvale-tool(1) describes every command the tool has ({commands} in {described})")
    for var in ("QORVALE_BASE_DIR", "QORVALE_HEADLESS_DIALOGS", "QORVALE_PAUSE_SCALE", "QORVALE_QUIT_AFTER_MS"):
        check(var in pages["qorvale"], f"qorvale(1) describes {var}")


class Links(html.parser.HTMLParser):
    def __init__(self):
        super().__init__()
        self.refs, self.ids = [], set()

    def handle_starttag(self, tag, attrs):
        for k, v in attrs:
            if k == "id":
                self.ids.add(v)
            if (tag, k) in (("a", "href"), ("img", "src"), ("link", "href")):
                self.refs.append(v)


def parsed(path):
    p = Links()
    with open(path, encoding="utf-8") as f:
        p.feed(f.read())
    return p


def check_guide(root):
    guide = os.path.join(root, GUIDE)
    pages = sorted(glob.glob(os.path.join(guide, "**", "*.html"), recursive=True))
    check(len(pages) == 6, f"the guide has its six pages ({len(pages)})")
    broken, remote, pictures = [], [], set()
    for page in pages:
        for ref in parsed(page).refs:
            parts = urlsplit(ref)
            if parts.scheme or parts.netloc:
                remote.append(ref)
                continue
            target = os.path.normpath(os.path.join(os.path.dirname(page), unquote(parts.path))) if parts.path else page
            if not os.path.isfile(target) or (parts.fragment and parts.fragment not in parsed(target).ids):
                broken.append(f"{os.path.relpath(page, guide)} -> {ref}")
            if target.endswith(".png"):
                pictures.add(target)
    check(not broken, f"every link and picture of the guide's pages resolves ({broken})")
    check(not remote, f"the guide's pages reach nothing outside the machine ({remote})")
    shots = set(glob.glob(os.path.join(guide, "img", "*.png")))
    check(shots and pictures == shots, f"every picture is shown and every one shown exists ({len(pictures)} of {len(shots)})")
    for lang in ("", "en/"):
        pdf = os.path.join(guide, lang, "pdf", "book_guide.pdf")
        images = run("pdfimages", "-list", pdf).stdout.splitlines()[2:]
        wanted = len(re.findall(r"<img ", open(os.path.join(guide, lang, "index.html"), encoding="utf-8").read()))
        check(len(images) == wanted, f"{lang}pdf/book_guide.pdf shows the page's {wanted} pictures ({len(images)})")
        with open(pdf, "rb") as f:
            uris = [u.decode() for u in re.findall(rb"/URI \((.*?)\)", f.read())]
        dead = [u for u in uris if not os.path.isfile(os.path.normpath(os.path.join(os.path.dirname(pdf), u)))]
        check(uris and not dead, f"the links of {lang}pdf/book_guide.pdf lead to the guide's pages ({uris})")
    for base in glob.glob(os.path.join(root, "usr/share/doc-base/*")):
        named = re.findall(r"^(?:Index|Files): (.*)$", open(base).read(), re.M)
        missing = [f for line in named for f in line.split() if not os.path.isfile(root + f)]
        check(not missing, f"{os.path.basename(base)} names installed files ({missing})")


def desktop_env(tmp, root, recorder):
    env = {k: v for k, v in os.environ.items()
           if not k.startswith(("QORVALE_", "XDG_", "QT_QPA_")) and k != "DBUS_SESSION_BUS_ADDRESS"}
    for name, sub in (("HOME", "home"), ("XDG_DATA_HOME", "home/.local/share"), ("XDG_CONFIG_HOME", "home/.config"),
                      ("XDG_CACHE_HOME", "home/.cache"), ("XDG_RUNTIME_DIR", "runtime")):
        env[name] = os.path.join(tmp, sub)
        os.makedirs(env[name], mode=0o700, exist_ok=True)
    env.update(XDG_DATA_DIRS=os.path.join(root, "usr/share") + ":/usr/share", QT_QPA_PLATFORM="xcb",
               QORVALE_HEADLESS_DIALOGS="1", QORVALE_PAUSE_SCALE="0", PATH=recorder + ":" + env["PATH"])
    return env


def recording_opener(tmp):
    """An xdg-open that writes down what it was asked to open, first on PATH."""
    folder = os.path.join(tmp, "opener")
    os.makedirs(folder)
    log = os.path.join(tmp, "opened.txt")
    with open(os.path.join(folder, "xdg-open"), "w") as f:
        f.write(f'#!/bin/sh\nprintf "%s\\n" "$*" >> "{log}"\n')
    os.chmod(os.path.join(folder, "xdg-open"), 0o755)
    return folder, log


def press_the_links(root, tmp):
    folder, log = recording_opener(tmp)
    xvfb, wm, display_env = start_display()
    env = dict(desktop_env(tmp, root, folder), DISPLAY=display_env["DISPLAY"])
    program_log = os.path.join(OUT, "program.log")
    prog = subprocess.Popen([os.path.join(root, "usr/bin/qorvale")], env=env, stderr=open(program_log, "w"))
    try:
        wid = main_window(env, prog, 90)
        if not wid:
            raise SystemExit(no_window(env, prog, program_log))
        xdo = lambda *a: subprocess.run(["xdotool", *map(str, a)], env=env, check=True)
        click = lambda x, y: (xdo("mousemove", "--window", wid, x, y, "click", "1"), time.sleep(0.5))
        click(127 + 71, 327 + 51)   # Palm on the top menu, which covers the bottom bar
        work = os.path.join(env["XDG_DATA_HOME"], "qorvale", "qor_backup_editor")
        check(wait_for(lambda: os.path.isfile(os.path.join(work, "16", "qor.dat"))),
              "the installed program keeps its book in the per-user data folder")
        height = int(re.search(r"HEIGHT=(\d+)", subprocess.run(["xdotool", "getwindowgeometry", "--shell", wid], env=env,
                                                             capture_output=True, text=True).stdout).group(1))
        subprocess.run(["import", "-window", wid, os.path.join(OUT, "installed-program.png")], env=env)
        for n, (caption, x, page, magic) in enumerate(LINKS, 1):
            click(x, height - 35 + 17)
            lines = lambda: open(log).read().splitlines() if os.path.exists(log) else []
            check(wait_for(lambda: len(lines()) >= n, 10), f"{caption} hands a page to the desktop's opener")
            got = lines()[n - 1] if len(lines()) >= n else ""
            want = "file://" + os.path.join(root, GUIDE, page)
            check(got == want, f"{caption} opens the installed guide's {page} ({got})")
            path = unquote(urlsplit(got).path)
            with open(path, "rb") if os.path.isfile(path) else open(os.devnull, "rb") as f:
                check(f.read(16).startswith(magic), f"{page} is there and is what its name says")
        kind = run("xdg-mime", "query", "filetype", os.path.join(root, GUIDE, "pdf/book_guide.pdf"), env=env).stdout.strip()
        check(kind == "application/pdf", f"the desktop opens the help page with its PDF viewer ({kind})")
        click(527 + 40, height - 35 + 17)   # quit; the save question takes its default, No
        try:
            prog.wait(timeout=30)
        except subprocess.TimeoutExpired:
            check(False, "the program ends after quit")
        check(prog.returncode == 0, "the installed program exits normally")
    finally:
        if prog.poll() is None:
            prog.kill()
        for p in (wm, xvfb):
            p.terminate()
            p.wait()


def purge(root, deb):
    owned = [m.split(" ")[-1].lstrip(".") for m in run("dpkg-deb", "-c", deb).stdout.splitlines()]
    run("dpkg", f"--root={root}", "--log=/dev/null", "--purge", "qorvale")
    refresh_caches(root)   # the triggers run again when the package goes
    left = [p for p in owned if not p.endswith("/") and os.path.lexists(root + p)]
    left += [p for p in owned if "qorvale" in p and p.endswith("/") and os.path.isdir(root + p)]
    check(not left, f"purging removes every file and folder of the package ({left[:5]})")
    mentions = []
    for folder, _, files in os.walk(os.path.join(root, "usr")):
        for name in files:
            with open(os.path.join(folder, name), "rb") as f:
                if b"qorvale" in f.read():
                    mentions.append(os.path.relpath(os.path.join(folder, name), root))
    check(not mentions, f"no cache still names the program after it is gone ({mentions})")


def main():
    if os.geteuid() != 0:
        print("skipped: installing into a throw-away root with dpkg --root needs root")
        sys.exit(77)
    os.makedirs(OUT, exist_ok=True)
    deb = build_package()
    check_lintian(deb)
    check_control(deb)
    with tempfile.TemporaryDirectory(prefix="qv-package-") as tmp:
        root = os.path.join(tmp, "root")
        install_into(root, deb)
        check_metadata(root)
        check_manual(root)
        check_guide(root)
        press_the_links(root, tmp)
        purge(root, deb)
    if failures:
        print(f"{len(failures)} check(s) failed:\n  " + "\n  ".join(failures))
        sys.exit(1)
    print("all checks passed")


if __name__ == "__main__":
    main()
