"""A CUPS scheduler of one run alone: it listens on a socket in a folder of its own and holds one
queue that prints into /dev/null. A program started with its environment lists exactly that
printer, whatever queues the machine has, and the machine's own scheduler is never touched."""
import os, shutil, subprocess, time

PPD = "/usr/share/ppd/cups-pdf/CUPS-PDF_opt.ppd"   # any PPD with the usual paper sizes


def sbin(program):
    """An administration command, also where /usr/sbin is not on a user's PATH."""
    return shutil.which(program) or os.path.join("/usr/sbin", program)


class PrivateCups:
    def __init__(self, folder, queue="Printer"):
        self.folder, self.queue = folder, queue
        self.socket = os.path.join(folder, "cups.sock")
        self.env = dict(os.environ, CUPS_SERVER=self.socket)
        self.proc = None

    def _write_config(self):
        for sub in ("state", "cache", "spool", "tmp", "ppd"):
            os.makedirs(os.path.join(self.folder, sub), exist_ok=True)
        with open(os.path.join(self.folder, "cupsd.conf"), "w") as f:
            f.write(f"Listen {self.socket}\nLogLevel warn\nBrowsing Off\nWebInterface No\n"
                    "DefaultAuthType None\n<Location />\n  Order allow,deny\n  Allow all\n</Location>\n"
                    "<Policy default>\n  <Limit All>\n    Order allow,deny\n    Allow all\n  </Limit>\n"
                    "</Policy>\n")
        d = self.folder
        with open(os.path.join(d, "cups-files.conf"), "w") as f:
            f.write(f"ServerRoot {d}\nStateDir {d}/state\nCacheDir {d}/cache\nRequestRoot {d}/spool\n"
                    f"TempDir {d}/tmp\nErrorLog {d}/error_log\nAccessLog {d}/access_log\n"
                    f"PageLog {d}/page_log\nServerBin /usr/lib/cups\nDataDir /usr/share/cups\nFileDevice Yes\n")

    def _run(self, *cmd):
        return subprocess.run(list(cmd), env=self.env, capture_output=True, text=True)

    def start(self):
        """Starts the scheduler and adds the queue as the default; raises when either fails."""
        self._write_config()
        self.proc = subprocess.Popen([sbin("cupsd"), "-f", "-c", os.path.join(self.folder, "cupsd.conf"),
                                      "-s", os.path.join(self.folder, "cups-files.conf")],
                                     stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        end = time.time() + 15
        while "scheduler is running" not in self._run("lpstat", "-r").stdout:
            if time.time() > end or self.proc.poll() is not None:
                self.stop()
                raise RuntimeError(f"a private CUPS scheduler did not start (see {self.folder}/error_log)")
            time.sleep(0.1)
        for cmd in ([sbin("lpadmin"), "-p", self.queue, "-E", "-v", "file:///dev/null", "-P", PPD],
                    [sbin("lpadmin"), "-d", self.queue]):
            r = self._run(*cmd)
            if r.returncode != 0:
                self.stop()
                raise RuntimeError(f"{' '.join(cmd)}: {r.stderr.strip()}")
        return self

    def stop(self):
        if self.proc and self.proc.poll() is None:
            self.proc.terminate()
            self.proc.wait(10)
