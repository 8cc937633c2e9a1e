#!/usr/bin/python3
"""Runs brenvo1-scan and the reference search run on the same trees and
search texts and requires identical stdout bytes, stderr bytes and exit
status.

Usage: compare_with_reference.py PATH_TO_BRENVO1_SCAN [--keep] [--only WORD]

Trees: a legacy project, a hostile tree, files large enough for matches to
straddle the engine's reads, real system folders, a copy of this source tree,
and (as an unprivileged user) a tree of unreadable entries. Each command runs
with a timeout, so a FIFO opened by mistake fails the run instead of hanging
it. Prints the first differences in full and "N passed, M failed" at the end.
"""

import difflib
import os
import resource
import shutil
import signal
import stat
import subprocess
import sys
import tempfile

sys.dont_write_bytecode = True
HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)

import build_trees  # noqa: E402
import reference_scan  # noqa: E402

REFERENCE = os.path.join(HERE, "reference_scan.py")
SOURCE_ROOT = os.path.dirname(os.path.dirname(HERE))
TIMEOUT_SECONDS = 120
MEMORY_LIMIT_BYTES = 4 << 30
DIFFERENCES_SHOWN = 5
NOBODY = ["setpriv", "--reuid=65534", "--regid=65534", "--clear-groups"]
MISSING = b"Impossibile trovare il percorso\n"


def b(text):
    return text if isinstance(text, bytes) else text.encode("utf-8")


# Search texts for the project and hostile trees: accents in both cases,
# characters whose simple folding is easy to get wrong, the bytes of
# Windows-1252 and of ill-formed UTF-8 as search text, unpaired surrogates,
# shell and option-like texts, line ends.
GENERAL_TEXTS = [b(t) for t in [
    "Attenzione", "città", "CITTÀ", "È", "è", "ç", "Ç", "perché", "PERCHÉ", "attività",
    "k", "K", "s", "S", "", "riga uno\nriga due", "uno\r\nriga", "End Sub\r\n", "\r\n",
    "\u212a", "\u017f", "ß", "ẞ", "İ", "i", "σ", "ς", "Μ", "µ", "ÿ", "Ÿ", "€", "š", "Œ",
    "\ufffd", b"citt\xe0", b"CITT\xc0", b"\xc0\xaf", "À¯", "í\u00a0€", "\u00e2\u201aA", "😀",
    b"\x81", "\u0081", "\u13a0", "ǆ", "\U00010428", "ﬀ", "ff", "-rf", "--help",
    "$(touch pwned)", "*", "ostile", "citta\u0300", "citta", "\t", " ", b"\xff\xfe",
    b"\xff", "\u00c3", "5 \u03bcm", "Stra\u00dfe", "\x01", "\ufeff", "\ufeffabc",
    "\u00ef\u00bb\u00bf", "a\ufeffb", "AB", "ab", "tt\ufffd\u00e0", "A\ufffd", "\U00010400", "Linux",
    b"\xe2\x82\xe2\x82\xac", b"citt\xc3",
    # Unpaired surrogates as Windows hands them over (ED A0..BF xx).
    b"a\xed\xa0\xbd", b"\xed\xa0\x80", b"citt\xed\xa0\xbd\xc3\xa0", b"X\xed\xb8\x80Y",
    b"\xed\xa0\xbd\xed\xb8\x80",
]]

CHUNK_TEXTS = [b(t) for t in [
    "CITTÀ non è", "città NON È", b"CITT\xc0 non \xe8", "non è", "\U0001d11e", "€",
    "\u00e2\u201aA", "\u00e2\u201a\u00ac", "\u00c3A", "à", "\u00c3\u00a0", "k", "\u212a", "À",
    "\U0001f600", "\u00f0\u0178\u02dc\u20ac", "kk",
    "\u00c0\ufffd", "\ufffd", "", "ttà n",
]] + build_trees.long_text_arguments()

REAL_TEXTS = [b(t) for t in ["", "license", "LICENSE", "città", "Unicode", "k", "É", "include"]]

UNREADABLE_TEXTS = [b"segreto", b"", b"nulla"]


class Tally:
    """Counts the checks of a comparison and shows the first differences."""

    def __init__(self):
        self.passed = 0
        self.failures = []

    def record(self, label, ok, details):
        if ok:
            self.passed += 1
        else:
            self.failures.append((label, details))
            print(f"FAIL: {label}", flush=True)

    def check_contains(self, label, lines, present, absent):
        missing = [p for p in present if p not in lines]
        unexpected = [p for p in absent if p in lines]
        self.record(label, not missing and not unexpected,
                    f"  should be listed but are not: {missing}\n"
                    f"  should not be listed but are: {unexpected}\n")

    def run_groups(self, groups, only):
        """Runs each named group of cases, or only the one named ONLY."""
        for name, group in groups:
            if only and only != name:
                continue
            before = (self.passed, len(self.failures))
            group()
            print(f"{name}: {self.passed - before[0]} passed, "
                  f"{len(self.failures) - before[1]} failed", flush=True)

    def report(self):
        for label, details in self.failures[:DIFFERENCES_SHOWN]:
            print(f"\n=== {label}\n{details}")
        if len(self.failures) > DIFFERENCES_SHOWN:
            print(f"\n... and {len(self.failures) - DIFFERENCES_SHOWN} more differences")
        print(f"\n{self.passed} passed, {len(self.failures)} failed")
        return 1 if self.failures else 0


class Comparison(Tally):
    def __init__(self, engine, work, keep):
        super().__init__()
        self.engine = engine
        self.keep = keep
        self.work = work

    # --- running -------------------------------------------------------------

    @staticmethod
    def run(command, cwd, env=None, preexec_fn=None):
        def limit_memory_then(more=preexec_fn):
            # A walk that loops grows without end; it must fail alone rather
            # than take the machine's memory before its timeout.
            # AddressSanitizer reserves terabytes of address space up front,
            # so a sanitized build runs without this cap.
            if not os.environ.get("BRENVO1_SANITIZED"):
                resource.setrlimit(resource.RLIMIT_AS, (MEMORY_LIMIT_BYTES, MEMORY_LIMIT_BYTES))
            if more is not None:
                more()

        process = subprocess.Popen(command, cwd=cwd, env=env, stdin=subprocess.DEVNULL,
                                   stdout=subprocess.PIPE, stderr=subprocess.PIPE,
                                   start_new_session=True, preexec_fn=limit_memory_then)
        try:
            out, err = process.communicate(timeout=TIMEOUT_SECONDS)
        except subprocess.TimeoutExpired:
            os.killpg(process.pid, signal.SIGKILL)
            out, err = process.communicate()
            return ("timed out after %d s" % TIMEOUT_SECONDS, out, err)
        return (process.returncode, out, err)

    def engine_command(self, args, as_nobody):
        return (NOBODY if as_nobody else []) + [self.engine] + args

    def reference_command(self, args, as_nobody):
        return (NOBODY if as_nobody else []) + [sys.executable, self.reference] + args

    # --- checks --------------------------------------------------------------

    def compare(self, label, folder, text, cwd, as_nobody=False, engine_env=None,
                preexec_fn=None):
        args = [folder, text]
        expected = self.run_reference(args, cwd, as_nobody, preexec_fn)
        actual = self.run(self.engine_command(args, as_nobody), cwd, engine_env, preexec_fn)
        self.record(label, expected == actual and isinstance(expected[0], int),
                    describe(args, cwd, expected, actual))
        return actual

    def run_reference(self, args, cwd, as_nobody=False, preexec_fn=None):
        env = dict(os.environ, PYTHONDONTWRITEBYTECODE="1", PYTHONUTF8="1")
        return self.run(self.reference_command(args, as_nobody), cwd, env, preexec_fn)

    def check_engine(self, label, args, cwd, want_status, want_stdout, want_stderr):
        """want_stderr None: any non-empty text."""
        status, out, err = self.run(self.engine_command(args, False), cwd)
        ok = status == want_status and out == want_stdout and (
            err == want_stderr if want_stderr is not None else bool(err))
        expected = (want_status, want_stdout, want_stderr if want_stderr is not None else b"<any text>")
        self.record(label, ok, describe(args, cwd, expected, (status, out, err)))

    # --- the tree set --------------------------------------------------------

    def prepare(self):
        os.chmod(self.work, 0o755)  # the unprivileged user walks in here too
        bin_dir = os.path.join(self.work, "bin")
        os.makedirs(bin_dir)
        # Copies the unprivileged user can surely run, wherever the build is.
        shutil.copy2(self.engine, os.path.join(bin_dir, "brenvo1-scan"))
        shutil.copy2(REFERENCE, os.path.join(bin_dir, "reference_scan.py"))
        shutil.copy2(reference_scan.EXTENSION_HEADER, os.path.join(bin_dir, "extension.h"))
        os.environ["BRENVO1_EXTENSION_HEADER"] = os.path.join(bin_dir, "extension.h")
        for name in os.listdir(bin_dir):
            os.chmod(os.path.join(bin_dir, name), 0o755)
        self.engine = os.path.join(bin_dir, "brenvo1-scan")
        self.reference = os.path.join(bin_dir, "reference_scan.py")

    def run_all(self, only):
        self.prepare()
        groups = [
            ("contract", self.contract_cases),
            ("project", self.project_cases),
            ("hostile", self.hostile_cases),
            ("paths", self.path_cases),
            ("chunks", self.chunk_cases),
            ("random", self.random_cases),
            ("real", self.real_tree_cases),
            ("unreadable", self.unreadable_cases),
            ("scale", self.scale_cases),
            ("root", self.root_folder_cases),
        ]
        self.run_groups(groups, only)

    def contract_cases(self):
        folder = os.path.join(self.work, "contract")
        os.makedirs(folder)
        self.check_engine("usage: no arguments", [], folder, 2, b"", None)
        self.check_engine("usage: folder only", [folder], folder, 2, b"", None)
        self.check_engine("usage: three arguments", [folder, "x", "y"], folder, 2, b"", None)
        self.check_engine("usage: an option alone", ["--help"], folder, 2, b"", None)
        self.check_engine("an option-like folder is a folder", ["--help", "x"], folder,
                          1, b"", MISSING)
        self.check_engine("missing folder", [os.path.join(folder, "nessuna"), "x"], folder,
                          1, b"", MISSING)
        self.check_engine("empty folder path", ["", "x"], folder, 1, b"", MISSING)
        self.check_engine("empty folder, empty text", [folder, ""], folder, 0, b"", b"")

    def project_cases(self):
        root = build_trees.build_project_tree(os.path.join(self.work, "project"))
        for text in GENERAL_TEXTS:
            self.compare(f"project tree, text {text!r}", root, text, self.work)
        # Old Windows-1252 sources must be found with accented capitals,
        # whichever side is wrong if the two agreed on missing them.
        legacy = os.path.join(root, "Legacy").encode()
        found = [legacy + b"/avviso_%s.bas" % e for e in
                 [b"cp1252", b"utf8", b"utf8bom", b"utf16le", b"utf16be", b"mixed"]]
        for text in [b(t) for t in ["CITTÀ NON È", "città non è", "È OBBLIGATORIO"]] + [b"CITT\xc0"]:
            _, out, _ = self.run(self.engine_command([legacy, text], False), self.work)
            self.check_contains(f"legacy files found by {text!r}", out.split(b"\n"),
                                found, [legacy + b"/senza_accento.bas"])

    def hostile_cases(self):
        start = build_trees.build_hostile_tree(os.path.join(self.work, "hostile"))
        for text in GENERAL_TEXTS:
            self.compare(f"hostile tree, text {text!r}", start, text, self.work)
        for locale in ["C", "POSIX", "C.UTF-8", "it_IT.ISO-8859-1"]:
            env = {k: v for k, v in os.environ.items() if not k.startswith("LC_")}
            env.update(LC_ALL=locale, LANG=locale)
            for text in [b"CITT\xc3\x80", b"citt\xe0", b"\xc3\xa9t\xc3\xa9"]:
                self.compare(f"hostile tree, LC_ALL={locale}, text {text!r}", start, text,
                             self.work, engine_env=env)
        pwned = [p for p in (os.path.join(self.work, "pwned"), os.path.join(start, "pwned"))
                 if os.path.exists(p)]
        self.record("no shell ran on a name or text", not pwned, f"  created: {pwned}\n")

    def path_cases(self):
        root = os.path.join(self.work, "paths")
        start = build_trees.build_hostile_tree(root)
        build_trees.write(os.path.join(root, "-dash", "t.txt"), b"ostile dash\n")
        build_trees.write(os.path.join(root.encode(), b"strano\n\xe9", b"t.txt"), b"ostile strano\n")
        build_trees.write(os.path.join(root, "elsewhere", "e.txt"), b"ostile fuori\n")
        forms = [
            (self.work, start), (self.work, start + "/"), (self.work, start + "/./"),
            (self.work, start.replace("/", "//")), (self.work, start + "/a/b/../../"),
            (root, "start"), (root, "./start/"), (root, "start/../start"), (start, "."),
            (os.path.join(start, "a"), ".."), (os.path.join(start, "a"), "../."),
            (root, "startlink"), (root, "startlink/"), (root, "start/sib1"),
            (root, "start/x.txt"), (root, "-dash"), (root, b"strano\n\xe9"),
            (root, "elsewhere/back/.."),  # the lexical parent, not the link target's
            (root, "start/sib1/.."), ("/", "/../.." + start),
            (start, "../../../" + os.path.basename(self.work) + "/paths/start"),
        ]
        for cwd, folder in forms:
            for text in [b"ostile", b""]:
                self.compare(f"start folder {folder!r} from {cwd}, text {text!r}", folder, text, cwd)
        missing = [
            (root, "nessuna"), (root, "start/top.txt"), (root, "start/top.txt/.."),
            (root, "start/top.txt/"), (root, ""), (root, "start/pipe.txt"),
            (root, "start/sock.txt"), (root, "start/dangling_dir"), (root, "start/loopdir"),
            (root, "start/dangling.txt"), (root, "a" * 300), (root, ("abc/" * 1100) + "x"),
            (root, b"start\xff"), (root, "start\n"), (root, " start"),
        ]
        if os.geteuid() == 0:
            missing.append((root, "start/null.txt"))
        for cwd, folder in missing:
            self.compare(f"missing start folder {folder!r}"[:120], folder, b"ostile", cwd)
            status, out, err = self.run(self.engine_command([folder, b"ostile"], False), cwd)
            self.record(f"missing start folder {folder!r} gives the message"[:120],
                        (status, out, err) == (1, b"", MISSING),
                        describe([folder, b"ostile"], cwd, (1, b"", MISSING), (status, out, err)))

    def chunk_cases(self):
        root = build_trees.build_chunk_tree(os.path.join(self.work, "chunks"))
        for text in CHUNK_TEXTS:
            shown = text if len(text) < 40 else text[:20] + b"...(%d bytes)" % len(text)
            self.compare(f"chunk tree, text {shown!r}", root, text, self.work)
        if not self.keep:
            shutil.rmtree(root)  # the largest tree; nothing later needs it

    def random_cases(self):
        root = build_trees.build_random_tree(os.path.join(self.work, "random"))
        texts = build_trees.random_search_texts(root)
        for text in texts + [b"\xc3\xa0\xc3", b"\xe2\x84", "\u00c3\u00a0".encode()]:
            self.compare(f"random contents, text {text!r}", root, text, self.work)

    def real_tree_cases(self):
        snapshot = os.path.join(self.work, "source")
        shutil.copytree(SOURCE_ROOT, snapshot, symlinks=True,
                        ignore=shutil.ignore_patterns("build*", ".git", "__pycache__"))
        trees = [snapshot] + [p for p in ("/usr/share/doc", "/usr/share/unicode")
                              if os.path.isdir(p)]
        for tree in trees:
            for text in REAL_TEXTS:
                self.compare(f"real tree {tree}, text {text!r}", tree, text, self.work)

    def unreadable_cases(self):
        as_nobody = os.geteuid() == 0
        if as_nobody and shutil.which("setpriv") is None:
            self.record("setpriv is needed to drop root's privileges", False, "")
            return
        root = os.path.join(self.work, "unreadable")
        start, closed = build_trees.build_unreadable_tree(root)
        cases = [(start, t) for t in UNREADABLE_TEXTS] + [
            (closed, b"segreto"), (os.path.join(root, "listless"), b""),
            (os.path.join(root, "passonly"), b""), (os.path.join(closed, "inner"), b"x"),
            (os.path.join(root, "unsearchable"), b""),
            (os.path.join(root, "link_to_closed"), b"")]
        for folder, text in cases:
            self.compare(f"unreadable entries, folder {folder}, text {text!r}",
                                  folder, text, self.work, as_nobody=as_nobody)
        # The run above the locked entries must report them, not just agree.
        status, _, err = self.run(self.engine_command([start, b"segreto"], as_nobody), self.work)
        self.record("unreadable entries end with status 3 and their list",
                    status == 3 and err.startswith(b"File o cartelle non leggibili: "),
                    describe([start, b"segreto"], self.work,
                             (3, b"", b"File o cartelle non leggibili: ..."), (status, b"", err)))

    def scale_cases(self):
        wide = build_trees.build_wide_tree(os.path.join(self.work, "wide"))
        for text in [b"ostile 3", b""]:
            self.compare(f"33000 files, text {text!r}", wide, text, self.work)
        _, out, _ = self.run(self.engine_command([wide, b""], False), self.work)
        lines = out.count(b"\n")
        self.record("33000 files all listed", lines == 33000, f"  lines: {lines}\n")
        shutil.rmtree(wide)
        deep = build_trees.build_very_deep_tree(os.path.join(self.work, "very_deep"))
        _, hard = resource.getrlimit(resource.RLIMIT_NOFILE)
        if hard != resource.RLIM_INFINITY and hard < 1600:
            print(f"scale: hard limit on open files {hard} is below the chain's depth; "
                  "the deep chain is not compared")
            return

        def low_soft_limit():
            resource.setrlimit(resource.RLIMIT_NOFILE, (256, hard))

        for text in [b"ostile", b""]:
            self.compare(f"1500 folders deep, soft limit 256 open files, text {text!r}",
                         deep, text, self.work, preexec_fn=low_soft_limit)

    def root_folder_cases(self):
        """The root folder as start: no doubled "/" in the paths. The engine
        runs chrooted in a small tree; the reference walks that tree from
        outside and its paths are then read relative to it."""
        if os.geteuid() != 0:
            print("root: changing the root folder needs root; not compared")
            return
        if os.environ.get("BRENVO1_SANITIZED"):
            # The sanitizers' runtime needs /proc, which the small root lacks;
            # the normal build compares these cases.
            print("root: a sanitized program cannot run in the small root; not compared")
            return
        root = os.path.join(self.work, "chroot")
        engine_inside = build_trees.build_chroot_tree(root, self.engine)
        prefix = root.encode() + b"/"

        def relative_to_root(output):
            return b"\n".join(b"/" + line[len(prefix):] if line.startswith(prefix) else line
                               for line in output.split(b"\n"))

        for cwd, folder in [("/", "/"), ("/", "//"), ("/", "/."), ("/", "/.."), ("/", "."),
                            ("/", "sub/.."), ("/sub", ".."), ("/sub", "../../.."),
                            ("/", "/sub/up")]:
            def enter_root(cwd=cwd):
                os.chroot(root)
                os.chdir(cwd)

            # The path as seen inside, made absolute there, so that ".." cannot
            # climb out of the tree when the reference walks it from outside.
            inside = reference_scan.normalise_path(folder.encode(), cwd.encode())
            for text in [b"ostile", b"citt\xe0"]:
                status, out, err = self.run_reference([prefix + inside.lstrip(b"/"), text],
                                                      self.work)
                expected = (status, relative_to_root(out), relative_to_root(err))
                actual = self.run([engine_inside, folder, text], None, preexec_fn=enter_root)
                self.record(f"root folder as {folder!r} from {cwd}, text {text!r}",
                            expected == actual, describe([folder, text], cwd, expected, actual))

    # --- summary -------------------------------------------------------------


def describe(args, cwd, expected, actual):
    lines = [f"  command: brenvo1-scan {' '.join(repr(b(a)) for a in args)}", f"  cwd: {cwd}"]
    (want_status, want_out, want_err), (got_status, got_out, got_err) = expected, actual
    if want_status != got_status:
        lines.append(f"  exit status: reference {want_status}, brenvo1-scan {got_status}")
    for stream, want, got in (("stdout", want_out, got_out), ("stderr", want_err, got_err)):
        if want == got:
            continue
        diff = difflib.unified_diff([repr(line) for line in want.split(b"\n")],
                                    [repr(line) for line in got.split(b"\n")],
                                    "reference", "brenvo1-scan", lineterm="", n=2)
        lines.append(f"  {stream} differs:")
        lines.extend("    " + line[:400] for line in list(diff)[:40])
    return "\n".join(lines) + "\n"


def make_tree_removable(path):
    for folder, folders, _ in os.walk(os.path.join(path, "unreadable")):
        for name in folders:
            full = os.path.join(folder, name)
            if not os.path.islink(full):
                os.chmod(full, 0o755)


def main(argv):
    args = [a for a in argv[1:] if not a.startswith("--")]
    only = None
    if "--only" in argv:
        only = argv[argv.index("--only") + 1]
        args.remove(only)
    if len(args) != 1:
        sys.stderr.write(__doc__)
        return 2
    engine = os.path.abspath(args[0])
    if not os.access(engine, os.X_OK) or not stat.S_ISREG(os.stat(engine).st_mode):
        sys.stderr.write(f"not an executable: {engine}\n")
        return 2
    work = tempfile.mkdtemp(prefix="brenvo1-reference-")
    comparison = Comparison(engine, work, "--keep" in argv)
    try:
        comparison.run_all(only)
    finally:
        if "--keep" in argv:
            print(f"trees kept in {work}")
        else:
            make_tree_removable(work)
            # rm copes with the chains deeper than Python's recursion limit.
            subprocess.run(["rm", "-rf", "--one-file-system", work], check=False)
    return comparison.report()


if __name__ == "__main__":
    sys.exit(main(sys.argv))
