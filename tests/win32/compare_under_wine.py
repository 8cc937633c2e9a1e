#!/usr/bin/python3
"""Runs brenvo1-scan.exe under Wine and the POSIX search runs (the Python
reference and, when given, the Linux brenvo1-scan) on the same trees and
search texts, and requires identical stdout bytes, stderr bytes and exit
status once POSIX paths are written the way Wine shows them: /a/b as Z:\\a\\b.

Usage: compare_under_wine.py PATH_TO_BRENVO1_SCAN_EXE [--linux PATH] [--keep]

Only trees whose names Windows can hold: the legacy project, files large
enough for matches to straddle the reads, random contents, and a tree of
names that Windows treats specially (device names, paths longer than 260
characters, names beyond the Basic Multilingual Plane, folder links that
loop). Search texts Windows cannot pass as UTF-16 arguments (bytes that are
not UTF-8, texts beyond its command-line length) are left to the POSIX
comparison. WINEPREFIX names the Wine prefix, whose server, services and
desktop scripts/test-windows.sh has started.
"""

import fcntl
import os
import pty
import re
import shutil
import struct
import subprocess
import sys
import tempfile
import termios

sys.dont_write_bytecode = True
HERE = os.path.dirname(os.path.abspath(__file__))
REFERENCE_DIR = os.path.join(os.path.dirname(HERE), "reference")
sys.path.insert(0, REFERENCE_DIR)

import build_trees  # noqa: E402
from compare_with_reference import CHUNK_TEXTS, GENERAL_TEXTS, Tally, describe  # noqa: E402

REFERENCE = os.path.join(REFERENCE_DIR, "reference_scan.py")
TIMEOUT_SECONDS = 120
MISSING = b"Impossibile trovare il percorso\n"
# Windows takes at most 32767 characters in a whole command line.
LONGEST_TEXT = 8000


def on_z(path):
    """A POSIX path as Wine shows it on drive Z:."""
    path = os.fsencode(path)
    return b"Z:" + path.replace(b"/", b"\\") if path.startswith(b"/") else path.replace(b"/", b"\\")


def passable(text):
    """True when Windows can hand text to a program unchanged."""
    try:
        text.decode("utf-8")
    except UnicodeDecodeError:
        return False
    return len(text) <= LONGEST_TEXT and b"\0" not in text


def write(path, data):
    build_trees.write(path, data)


def build_windows_names_tree(root):
    """Names Windows treats specially, and folder links that loop. Returns
    the start folder."""
    start = os.path.join(root, "start")
    for name in ["NUL.bas", "con.txt", "COM1.txt", "lpt9.cls", "Aux.frm", "PRN.txt", "CONIN$.txt",
                 "nul", "con.TXT.bak"]:
        write(os.path.join(start, name), b"ostile " + name.encode())
    write(os.path.join(start, "con", "nul.txt"), b"ostile dentro con\r\n")
    write(os.path.join(start, "AUX", "com9.frm"), "ostile CITTÀ".encode("cp1252"))
    long_folder = os.path.join(start, "lunga", *[c * 50 for c in "abcdef"])
    write(os.path.join(long_folder, "in_fondo.txt"), b"ostile in fondo")
    write(os.path.join(long_folder, "citt\u00e0.bas"), "ostile citt\u00e0".encode("cp1252"))
    for name in ["\U0001f600.txt", "\U00010400 deseret.bas", "citt\u00e0.txt", "CITT\u00c0.TXT",
                 "\u00dcn\u00efc\u00f6d\u00e9.frm", "a b.txt", "x.y.z.Bas", "\u00c0\u00c9.cls",
                 "\u65e5\u672c\u8a9e.txt", "\u212a.txt", "_x.txt", "Z.txt", "b.txt", "B.TXT.bas"]:
        write(os.path.join(start, "nomi", name), ("ostile " + name).encode("utf-8"))
    write(os.path.join(start, "nomi", "\U0001f600 cartella", "\u00c0.txt"), "OSTILE \u00c0".encode("utf-16"))
    write(os.path.join(start, "nomi", "legacy.bas"), "ostile CITTÀ non è".encode("cp1252"))
    write(os.path.join(start, "nomi", "vuoto.txt"), b"")
    write(os.path.join(root, "elsewhere", "e.txt"), b"ostile fuori")
    build_trees.symlink("../..", os.path.join(start, "a", "b", "tostart"))
    build_trees.symlink(".", os.path.join(start, "a", "self"))
    build_trees.symlink("../elsewhere", os.path.join(start, "sib1"))
    build_trees.symlink("../elsewhere", os.path.join(start, "sib2"))
    write(os.path.join(start, "a", "b", "x.txt"), b"ostile in b")
    return start


WINDOWS_TEXTS = [t.encode() for t in ["ostile", "OSTILE", "", "città", "CITTÀ", "CITTÀ NON È", "ostile in",
                                      "k", "\U0001f600", "\u00c0", "nul", "con"]]


class Comparison(Tally):
    def __init__(self, exe, linux, work, prefix):
        super().__init__()
        self.exe = exe
        self.linux = linux
        self.work = work
        self.wine_env = dict(os.environ, WINEPREFIX=prefix, WINEDEBUG="-all", LC_ALL="C.UTF-8",
                             WINEDLLOVERRIDES="mscoree,mshtml=")

    @staticmethod
    def run(command, cwd, env=None):
        try:
            done = subprocess.run(command, cwd=cwd, env=env, stdin=subprocess.DEVNULL,
                                  capture_output=True, timeout=TIMEOUT_SECONDS)
        except subprocess.TimeoutExpired as expired:
            return ("timed out after %d s" % TIMEOUT_SECONDS, expired.stdout or b"", expired.stderr or b"")
        return (done.returncode, done.stdout, done.stderr)

    def run_wine(self, args, cwd):
        result = self.run(["wine", self.exe] + args, cwd, self.wine_env)
        # brenvo1-scan.exe says why whenever its status is not 0: a status
        # with nothing written is Wine failing to run it. Named, and run once
        # more; never taken for the program's answer.
        if result[0] != 0 and result[1:] == (b"", b""):
            print(f"Wine ended brenvo1-scan.exe {args!r} with status {result[0]} before it wrote anything; again")
            result = self.run(["wine", self.exe] + args, cwd, self.wine_env)
        return result

    def on_z_output(self, result):
        """POSIX paths in an output as Wine would show them."""
        status, out, err = result
        prefix = os.fsencode(self.work)

        def lines(data):
            return b"\n".join(on_z(line) if line.startswith(prefix) else line for line in data.split(b"\n"))

        return (status, lines(out), lines(err))

    def compare(self, label, posix_folder, text, cwd, windows_folder=None):
        windows_folder = on_z(posix_folder) if windows_folder is None else windows_folder
        env = dict(os.environ, PYTHONDONTWRITEBYTECODE="1", PYTHONUTF8="1")
        expected = self.on_z_output(self.run([sys.executable, REFERENCE, posix_folder, text], cwd, env))
        actual = self.run_wine([windows_folder, text], cwd)
        self.record(label, expected == actual and isinstance(expected[0], int),
                    describe([windows_folder, text], cwd, expected, actual))
        if self.linux:
            linux = self.on_z_output(self.run([self.linux, posix_folder, text], cwd))
            self.record(label + " (Linux build)", linux == actual,
                        describe([windows_folder, text], cwd, linux, actual))
        return actual

    # --- groups ----------------------------------------------------------------

    def contract_cases(self):
        folder = os.path.join(self.work, "contract")
        os.makedirs(folder)
        for args, want in [([], 2), ([on_z(folder)], 2), ([on_z(folder), b"x", b"y"], 2)]:
            status, out, err = self.run_wine(args, folder)
            self.record(f"usage with {len(args)} arguments", status == want and out == b"" and err != b"",
                        describe(args, folder, (want, b"", b"<any text>"), (status, out, err)))
        for label, posix, windows, text in [
            ("missing folder", os.path.join(folder, "nessuna"), None, b"x"),
            ("empty folder path", "", b"", b"x"),
            ("empty folder, empty text", folder, None, b""),
        ]:
            self.compare(label, posix, text, folder, windows)

    def project_cases(self):
        root = build_trees.build_project_tree(os.path.join(self.work, "project"))
        for text in filter(passable, GENERAL_TEXTS):
            self.compare(f"project tree, text {text!r}", root, text, self.work)
        legacy = os.path.join(root, "Legacy")
        found = [on_z(os.path.join(legacy, f"avviso_{e}.bas")) for e in
                 ["cp1252", "utf8", "utf8bom", "utf16le", "utf16be", "mixed"]]
        for text in [t.encode() for t in ["CITTÀ NON È", "città non è", "È OBBLIGATORIO", "CITTÀ"]]:
            _, out, _ = self.run_wine([on_z(legacy), text], self.work)
            self.check_contains(f"legacy files found by {text!r}", out.split(b"\n"), found,
                                [on_z(os.path.join(legacy, "senza_accento.bas"))])

    def chunk_cases(self):
        root = build_trees.build_chunk_tree(os.path.join(self.work, "chunks"))
        for text in filter(passable, CHUNK_TEXTS):
            self.compare(f"chunk tree, text {text!r}", root, text, self.work)

    def random_cases(self):
        root = build_trees.build_random_tree(os.path.join(self.work, "random"))
        for text in filter(passable, build_trees.random_search_texts(root)):
            self.compare(f"random contents, text {text!r}", root, text, self.work)

    def windows_names_cases(self):
        root = os.path.join(self.work, "windows")
        start = build_windows_names_tree(root)
        for text in WINDOWS_TEXTS:
            self.compare(f"Windows names, text {text!r}", start, text, self.work)
        # The start folder as a user may type it.
        long_folder = os.path.join(start, "lunga", *[c * 50 for c in "abcdef"])
        drive_relative = on_z(start)[2:]
        forms = [
            ("relative", start, b"start", root),
            ("relative with dots", start, b".\\start\\a\\..\\.", root),
            ("forward slashes", start, on_z(start).replace(b"\\", b"/"), self.work),
            ("trailing separator", start, on_z(start) + b"\\", self.work),
            ("drive-relative", start, drive_relative, self.work),
            ("extended-length prefix", start, b"\\\\?\\" + on_z(start), self.work),
            ("longer than 260 characters", long_folder, None, self.work),
            ("a device name as folder", os.path.join(start, "con"), None, self.work),
            ("through a link", os.path.join(start, "sib1"), None, self.work),
        ]
        for label, posix, windows, cwd in forms:
            if label == "extended-length prefix":
                # Listed as typed: the prefix is the user's own.
                status, out, err = self.run_wine([windows, b"ostile"], cwd)
                self.record(f"start folder {label}",
                            status == 0 and out and all(line.startswith(windows + b"\\")
                                                        for line in out.splitlines()),
                            describe([windows, b"ostile"], cwd, (0, b"<paths under it>", b""),
                                     (status, out, err)))
                continue
            self.compare(f"start folder {label}", posix, b"ostile", cwd, windows)
        for label, folder in [("a file", on_z(os.path.join(start, "con.txt"))),
                              ("no such folder", on_z(os.path.join(start, "nessuna"))),
                              ("a name Windows cannot hold", on_z(start) + b"\\a<b>")]:
            status, out, err = self.run_wine([folder, b"ostile"], self.work)
            self.record(f"missing start folder: {label}", (status, out, err) == (1, b"", MISSING),
                        describe([folder, b"ostile"], self.work, (1, b"", MISSING), (status, out, err)))

    def run_in_terminal(self, args, cwd, program=None):
        """Runs brenvo1-scan.exe, or program, with a terminal as its console;
        returns the exit status and the text the terminal shows, without its
        control sequences."""
        master, slave = pty.openpty()
        # Wide enough that no path is wrapped.
        fcntl.ioctl(slave, termios.TIOCSWINSZ, struct.pack("HHHH", 50, 400, 0, 0))
        process = subprocess.Popen(["wine", program or self.exe] + args, cwd=cwd, env=self.wine_env,
                                   stdin=slave, stdout=slave, stderr=slave, start_new_session=True)
        os.close(slave)
        shown = b""
        while True:
            try:
                chunk = os.read(master, 65536)
            except OSError:
                break
            if not chunk:
                break
            shown += chunk
        os.close(master)
        status = process.wait(timeout=TIMEOUT_SECONDS)
        shown = re.sub(rb"\x1b\[(\d*)C", lambda moved: b" " * int(moved.group(1) or 1), shown)
        shown = re.sub(rb"\x1b\[[0-9;?]*[A-Za-z]|\x1b\][^\x07]*\x07|\r", b"", shown)
        return status, shown

    def console_cases(self):
        """Hits shown on a console: accented and CJK names must read right,
        which bytes written as they are to a console would not."""
        folder = os.path.join(self.work, "console")
        names = ["città.txt", "CITTÀ.TXT", "Ünïcödé.frm",
                 "日本語.txt", "plain.txt"]
        for name in names:
            write(os.path.join(folder, name), "ostile città".encode())
        status, shown = self.run_in_terminal([on_z(folder), b"ostile"], self.work)
        lines = shown.split(b"\n")
        expected = [on_z(os.path.join(folder, name)) for name in names]
        self.check_contains("hits on a console read as text", lines, expected, [])
        self.record("a run on a console ends with status 0", status == 0, f"  status: {status}\n")
        status, shown = self.run_in_terminal([on_z(os.path.join(folder, "nessuna")), b"x"], self.work)
        self.record("a box on a console", status == 1 and MISSING.rstrip() in shown.split(b"\n"),
                    f"  status: {status}\n  shown: {shown!r}\n")
        # Into a file, in cmd on code page 850: the hits in that code page
        # with CRLF, as type shows them; a name it cannot hold is named on
        # the console instead, and the status is 4.
        with open(os.path.join(folder, "cp850.bat"), "wb") as batch:
            batch.write(("@chcp 850 >nul\r\n@%s %s città > r.txt\r\n@echo stato %%errorlevel%%\r\n@type r.txt\r\n" %
                         (on_z(self.exe).decode(), on_z(folder).decode())).encode("cp850"))
        _, shown = self.run_in_terminal(["/c", "cp850.bat"], folder, program="cmd")
        _, utf8_hits, _ = self.run_wine([on_z(folder), "città".encode()], folder)
        cjk = on_z(os.path.join(folder, "日本語.txt"))
        with open(os.path.join(folder, "r.txt"), "rb") as written:
            in_file = written.read()
        lines = shown.split(b"\n")
        self.record("hits written into a file in the console's code page 850, CRLF, shown right by type",
                    in_file == utf8_hits.replace(cjk + b"\n", b"").decode().replace("\n", "\r\n").encode("cp850")
                    and on_z(os.path.join(folder, "città.txt")) in lines and b"stato 4" in lines and
                    b"brenvo1-scan: percorso non scritto, la tabella codici della console non lo pu\xc3\xb2 "
                    b"rappresentare: " + cjk in lines, f"  file: {in_file!r}\n  shown: {shown!r}\n")

    def run_all(self, only):
        groups = [("contract", self.contract_cases), ("project", self.project_cases),
                  ("chunks", self.chunk_cases), ("random", self.random_cases),
                  ("windows", self.windows_names_cases), ("console", self.console_cases)]
        self.run_groups(groups, only)


def main(argv):
    args = argv[1:]
    options = {}
    for option in ("--linux", "--only"):
        if option in args:
            at = args.index(option)
            options[option] = args[at + 1]
            del args[at:at + 2]
    keep = "--keep" in args
    args = [a for a in args if a != "--keep"]
    if len(args) != 1:
        sys.stderr.write(__doc__)
        return 2
    exe = os.path.abspath(args[0])
    linux = os.path.abspath(options["--linux"]) if "--linux" in options else None
    work = tempfile.mkdtemp(prefix="brenvo1-wine-")
    comparison = Comparison(exe, linux, work, os.environ["WINEPREFIX"])
    try:
        comparison.run_all(options.get("--only"))
    finally:
        if keep:
            print(f"trees kept in {work}")
        else:
            shutil.rmtree(work, ignore_errors=True)
    return comparison.report()


if __name__ == "__main__":
    sys.exit(main(sys.argv))
