#!/usr/bin/python3
"""Checks the reference search run on hand-worked cases, so that a
disagreement with brenvo1-scan can be blamed on the right side."""

import os
import random
import re
import shutil
import socket
import subprocess
import sys
import tempfile
import unittest

sys.dont_write_bytecode = True
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

import reference_scan as ref  # noqa: E402

HERE = os.path.dirname(os.path.abspath(__file__))


# Byte-by-byte decoders written from Unicode Table 3-7 and the UTF-16 rules,
# with no help from Python's codecs, to cross-check the fast ones.
def _utf8_sequence_length(data, i):
    """Length of the well-formed UTF-8 sequence starting at i, or 0."""
    first = data[i]
    if first <= 0x7F:
        return 1
    if 0xC2 <= first <= 0xDF:
        ranges = [(0x80, 0xBF)]
    elif first == 0xE0:
        ranges = [(0xA0, 0xBF), (0x80, 0xBF)]
    elif 0xE1 <= first <= 0xEC or 0xEE <= first <= 0xEF:
        ranges = [(0x80, 0xBF), (0x80, 0xBF)]
    elif first == 0xED:
        ranges = [(0x80, 0x9F), (0x80, 0xBF)]
    elif first == 0xF0:
        ranges = [(0x90, 0xBF), (0x80, 0xBF), (0x80, 0xBF)]
    elif 0xF1 <= first <= 0xF3:
        ranges = [(0x80, 0xBF)] * 3
    elif first == 0xF4:
        ranges = [(0x80, 0x8F), (0x80, 0xBF), (0x80, 0xBF)]
    else:
        return 0
    if i + len(ranges) >= len(data):
        return 0
    for offset, (low, high) in enumerate(ranges, start=1):
        if not low <= data[i + offset] <= high:
            return 0
    return len(ranges) + 1


def slow_utf8_or_cp1252(data):
    out = []
    i = 0
    while i < len(data):
        length = _utf8_sequence_length(data, i)
        if length == 0:
            out.append(ref._CP1252[data[i]])
            i += 1
            continue
        value = data[i] if length == 1 else data[i] & (0xFF >> (length + 1))
        for byte in data[i + 1:i + length]:
            value = (value << 6) | (byte & 0x3F)
        out.append(chr(value))
        i += length
    return "".join(out)


def slow_utf16(data, big_endian):
    units = []
    for i in range(0, len(data) - 1, 2):
        pair = (data[i], data[i + 1])
        units.append(pair[0] << 8 | pair[1] if big_endian else pair[1] << 8 | pair[0])
    out = []
    i = 0
    while i < len(units):
        unit = units[i]
        if 0xD800 <= unit <= 0xDBFF and i + 1 < len(units) and 0xDC00 <= units[i + 1] <= 0xDFFF:
            out.append(chr(0x10000 + ((unit - 0xD800) << 10) + (units[i + 1] - 0xDC00)))
            i += 2
            continue
        out.append("\ufffd" if 0xD800 <= unit <= 0xDFFF else chr(unit))
        i += 1
    if len(data) % 2:
        out.append("\ufffd")
    return "".join(out)


class DecodingTest(unittest.TestCase):
    def test_utf8_and_cp1252_by_hand(self):
        cases = [
            (b"abc", "abc"),
            (b"\xef\xbb\xbfabc", "abc"),
            (b"\xef\xbb\xbf\xef\xbb\xbf", "\ufeff"),        # one mark dropped only
            (b"\xef\xbb", "\u00ef\u00bb"),                   # truncated mark
            (b"citt\xe0", "citt\u00e0"),                     # Windows-1252
            (b"citt\xc3\xa0", "citt\u00e0"),                 # UTF-8
            (b"CITT\xc3\x80 non \xe8", "CITT\u00c0 non \u00e8"),  # both in one file
            (b"\xc0\xaf", "\u00c0\u00af"),                   # overlong
            (b"\xe0\x80\x80", "\u00e0\u20ac\u20ac"),         # overlong, three bytes
            (b"\xed\xa0\x80", "\u00ed\u00a0\u20ac"),         # surrogate in UTF-8
            (b"\xed\x9f\xbf", "\ud7ff"),                     # last one before them
            (b"\xf4\x90\x80\x80", "\u00f4\x90\u20ac\u20ac"), # above U+10FFFF
            (b"\xf4\x8f\xbf\xbf", "\U0010ffff"),
            (b"\xf0\x9f\x98\x80", "\U0001f600"),
            (b"\xe2\x82A", "\u00e2\u201aA"),                 # sequence cut short
            (b"\xe2\xc3\xa0", "\u00e2\u00e0"),               # new sequence right after
            (b"\xc3", "\u00c3"),                             # cut at the end
            (b"\x81\x8d\x8f\x90\x9d", "\x81\x8d\x8f\x90\x9d"),
            (b"\x80\x8a\x9a\x9f\xb5\xff", "\u20ac\u0160\u0161\u0178\u00b5\u00ff"),
            (b"\xff", "\u00ff"),
            (b"\xfe", "\u00fe"),
            (b"\xef\xbb\xbf\xff\xfe", "\u00ff\u00fe"),       # UTF-16 mark after UTF-8 one
            (b"", ""),
        ]
        for data, expected in cases:
            with self.subTest(data=data):
                self.assertEqual(ref.decode_content(data), expected)

    def test_utf16_by_hand(self):
        cases = [
            (b"\xff\xfeA\x00", "A"),
            (b"\xfe\xff\x00A", "A"),
            (b"\xff\xfe", ""),
            (b"\xfe\xff", ""),
            (b"\xff\xfe\x3d\xd8\x00\xde", "\U0001f600"),
            (b"\xfe\xff\x00A\xd8\x3d\xde\x00", "A\U0001f600"),
            (b"\xff\xfe\x3d\xd8A\x00", "\ufffdA"),           # high surrogate alone
            (b"\xff\xfe\x00\xdeA\x00", "\ufffdA"),           # low surrogate alone
            (b"\xff\xfe\x3d\xd8\x3d\xd8\x00\xde", "\ufffd\U0001f600"),
            (b"\xff\xfe\x3d\xd8", "\ufffd"),                 # high surrogate at the end
            (b"\xff\xfeA\x00B", "A\ufffd"),                  # odd last byte
            (b"\xff\xfe\x3d\xd8B", "\ufffd\ufffd"),
            (b"\xff\xfeC\x00\xc0\x00", "C\u00c0"),
            (b"\xff\xfe\x00\x00", "\x00"),                   # not taken as UTF-32
        ]
        for data, expected in cases:
            with self.subTest(data=data):
                self.assertEqual(ref.decode_content(data), expected)

    def test_fast_decoders_agree_with_byte_by_byte_ones(self):
        rng = random.Random(20240607)
        interesting = [0x00, 0x41, 0x7F, 0x80, 0x81, 0x8F, 0x90, 0x9F, 0xA0, 0xBF, 0xC0,
                       0xC1, 0xC2, 0xDF, 0xE0, 0xE1, 0xEC, 0xED, 0xEE, 0xEF, 0xF0, 0xF1,
                       0xF3, 0xF4, 0xF5, 0xFF, 0xD8, 0xDB, 0xDC, 0xDF, 0x3D]
        for _ in range(4000):
            data = bytes(rng.choice(interesting) if rng.random() < 0.8 else rng.randrange(256)
                         for _ in range(rng.randrange(12)))
            with self.subTest(data=data):
                self.assertEqual(ref.decode_utf8_or_cp1252(data), slow_utf8_or_cp1252(data))
                self.assertEqual(ref.decode_utf16(data, "utf-16-le"), slow_utf16(data, False))
                self.assertEqual(ref.decode_utf16(data, "utf-16-be"), slow_utf16(data, True))

    def test_search_text_is_never_utf16(self):
        self.assertEqual(ref.decode_search_text(b"\xff\xfeA"), "\u00ff\u00feA")
        self.assertEqual(ref.decode_search_text(b"citt\xe0"), "citt\u00e0")

    def test_unpaired_surrogate_in_the_search_text(self):
        cases = [
            (b"a\xed\xa0\xbd", "a\ufffd"),
            (b"\xed\xb0\x80z", "\ufffdz"),
            (b"\xed\xa0\xbd\xed\xb8\x80", "\ufffd\ufffd"),   # a pair spelled as two halves
            (b"\xed\x9f\xbf", "\ud7ff"),                   # the last one before them
            (b"\xed\xa0", "\u00ed\u00a0"),                 # cut short
            (b"\xed\xa0A", "\u00ed\u00a0A"),
            (b"\xe2\xed\xa0\x80", "\u00e2\ufffd"),
        ]
        for data, expected in cases:
            with self.subTest(data=data):
                self.assertEqual(ref.decode_search_text(data), expected)
        # Files are read as before: the same bytes are Windows-1252 there.
        self.assertEqual(ref.decode_content(b"a\xed\xa0\xbd"), "a\u00ed\u00a0\u00bd")


class FoldingTest(unittest.TestCase):
    def test_simple_folding_by_hand(self):
        cases = [
            ("CITT\u00c0", "citt\u00e0"),
            ("\u00c8\u00c7", "\u00e8\u00e7"),
            ("\u212a", "k"),              # Kelvin sign
            ("\u017f", "s"),              # long s
            ("\u00df", "\u00df"),         # sharp s: its folding to "ss" is full only
            ("\u1e9e", "\u00df"),         # capital sharp s
            ("\u0130", "\u0130"),         # dotted capital I: F and T only
            ("I", "i"),                   # not the Turkic T mapping
            ("\u03c2\u03a3", "\u03c3\u03c3"),
            ("\u00b5", "\u03bc"),         # micro sign
            ("\u01c5", "\u01c6"),         # title case Dz with caron
            ("\ufb00", "\ufb00"),         # ff ligature: full folding only
            ("\uab70", "\u13a0"),         # Cherokee folds to capitals
            ("\u13f8", "\u13f0"),
            ("\U00010400", "\U00010428"),
            ("\u0178\u0160\u0152", "\u00ff\u0161\u0153"),
            ("e\u0301", "e\u0301"),       # no normalisation
        ]
        for text, expected in cases:
            with self.subTest(text=text):
                self.assertEqual(ref.fold(text), expected)

    def test_table_holds_every_c_and_s_line(self):
        with open(ref.CASE_FOLDING_FILE, encoding="utf-8") as source:
            lines = re.findall(r"^[0-9A-F]+; [CS];", source.read(), re.MULTILINE)
        self.assertEqual(len(ref.load_simple_case_folding()), len(lines))


class MatchingTest(unittest.TestCase):
    def hit(self, content, text):
        return ref.is_hit(content, ref.fold(ref.decode_search_text(text)))

    def test_matching(self):
        self.assertTrue(self.hit(b"xxABCxx", b"abc"))
        self.assertTrue(self.hit(b"Attenzione: CITT\xc0 non \xe8 valida", "citt\u00e0".encode()))
        self.assertTrue(self.hit(b"\xff\xfeC\x00I\x00T\x00T\x00\xc0\x00", "citt\u00e0".encode()))
        self.assertTrue(self.hit(b"5 \xb5m", "\u039c".encode()))          # 1252 micro vs capital mu
        self.assertTrue(self.hit(b"\xe2\x84\xaa", b"K"))                  # Kelvin sign
        self.assertTrue(self.hit(b"\xc5\xbf", b"S"))                      # long s
        self.assertTrue(self.hit("\u212a".encode(), b"k"))
        self.assertTrue(self.hit(b"riga uno\nriga due", b"UNO\nRIGA"))
        self.assertTrue(self.hit(b"\xef\xbb\xbf", b""))                   # empty text, mark only
        self.assertFalse(self.hit(b"citta", "citt\u00e0".encode()))
        self.assertFalse(self.hit(b"i", "\u0130".encode()))
        self.assertFalse(self.hit(b"strasse", "stra\u00dfe".encode()))
        self.assertFalse(self.hit(b"uno\r\nriga", b"uno\nriga"))
        self.assertFalse(self.hit(b"\xe2\x82\xac", "\u00e2\u201a\u00ac".encode()))


class NamesAndPathsTest(unittest.TestCase):
    def test_candidates(self):
        for name in [b"Notes.TXT", b"a.b.Bas", b".frm", b"x.DSE", b"\xe0.vbp", b"a b.hds"]:
            with self.subTest(name=name):
                self.assertTrue(ref.is_candidate(name))
        for name in [b"readme", b"file.", b"x.text", b"x.txt.bak", b"x.txt ", b"txt", b"x.frx"]:
            with self.subTest(name=name):
                self.assertFalse(ref.is_candidate(name))

    def test_name_order(self):
        names = [b"b.txt", b"_x.txt", b"A.txt", b"a.txt", b"B.txt", b"[.txt",
                 b"\xc3\xa0.txt", b"~.txt", b"\xc3\x80.txt"]
        self.assertEqual(sorted(names, key=ref.name_order_key),
                         [b"[.txt", b"_x.txt", b"A.txt", b"a.txt", b"B.txt", b"b.txt",
                          b"~.txt", b"\xc3\x80.txt", b"\xc3\xa0.txt"])

    def test_normalisation(self):
        cases = [
            (b"a/./b/../c/", b"/cwd", b"/cwd/a/c"),
            (b"/", b"/cwd", b"/"),
            (b"/..", b"/cwd", b"/"),
            (b"//x//y/", b"/cwd", b"/x/y"),
            (b".", b"/", b"/"),
            (b"../..", b"/a", b"/"),
            (b"-d", b"/cwd", b"/cwd/-d"),
            (b"a/...", b"/cwd", b"/cwd/a/..."),
        ]
        for path, cwd, expected in cases:
            with self.subTest(path=path, cwd=cwd):
                self.assertEqual(ref.normalise_path(path, cwd), expected)
        self.assertEqual(ref.join_path(b"/", b"x.txt"), b"/x.txt")
        self.assertEqual(ref.join_path(b"/a", b"x.txt"), b"/a/x.txt")


class WalkTest(unittest.TestCase):
    """The command line end to end on a small tree worked out by hand."""

    def setUp(self):
        self.tmp = tempfile.TemporaryDirectory()
        self.root = os.path.join(self.tmp.name, "r")
        os.makedirs(os.path.join(self.root, "sub", "deeper"))
        os.makedirs(os.path.join(self.root, "Alt"))
        self.write("b.txt", b"ciao")
        self.write("A.BAS", b"CIAO mondo")
        self.write("empty.txt", b"")
        self.write("note.text", b"ciao")
        self.write("sub/z.frm", "ciao citt\u00e0".encode())
        self.write("sub/deeper/d.cls", b"niente")
        self.write("Alt/x.txt", b"\xff\xfec\x00i\x00a\x00o\x00")
        os.symlink("..", os.path.join(self.root, "sub", "up"))
        os.symlink("../sub", os.path.join(self.root, "Alt", "again"))
        os.symlink("missing.txt", os.path.join(self.root, "dangling.txt"))
        os.mkfifo(os.path.join(self.root, "pipe.txt"))
        listener = socket.socket(socket.AF_UNIX)
        listener.bind(os.path.join(self.root, "sock.txt"))
        listener.close()

    def tearDown(self):
        self.tmp.cleanup()

    def write(self, name, data):
        with open(os.path.join(self.root, name), "wb") as f:
            f.write(data)

    def scan(self, *args, cwd=None):
        return subprocess.run([sys.executable, os.path.join(HERE, "reference_scan.py"), *args],
                              capture_output=True, timeout=60, cwd=cwd,
                              env=dict(os.environ, PYTHONDONTWRITEBYTECODE="1"))

    def test_walk_order_links_fifos_and_sockets(self):
        result = self.scan(self.root + "/./", "Ciao")
        r = self.root.encode()
        # sub is searched once, under the first path that reaches it.
        self.assertEqual(result.stdout, b"".join(r + p + b"\n" for p in [
            b"/A.BAS", b"/b.txt", b"/Alt/x.txt", b"/Alt/again/z.frm"]))
        self.assertEqual((result.returncode, result.stderr), (0, b""))

    def test_empty_text_lists_non_empty_candidates(self):
        result = self.scan("r", "", cwd=self.tmp.name)
        r = self.root.encode()
        self.assertEqual(result.stdout, b"".join(r + p + b"\n" for p in [
            b"/A.BAS", b"/b.txt", b"/Alt/x.txt", b"/Alt/again/z.frm",
            b"/Alt/again/deeper/d.cls"]))

    def test_missing_folder_and_usage(self):
        for folder in [os.path.join(self.root, "nothing"), os.path.join(self.root, "b.txt"),
                       os.path.join(self.root, "b.txt", ".."), "",
                       os.path.join(self.root, "pipe.txt")]:
            with self.subTest(folder=folder):
                result = self.scan(folder, "ciao")
                self.assertEqual((result.returncode, result.stdout, result.stderr),
                                 (1, b"", b"Impossibile trovare il percorso\n"))
        for args in [(), (self.root,)]:
            with self.subTest(args=args):
                result = self.scan(*args)
                self.assertEqual((result.returncode, result.stdout), (2, b""))

    def scan_unprivileged(self, *args):
        # Root is never denied, so as root the run drops to nobody, which
        # may not reach the checkout (a clone under /root): it runs a copy.
        prefix = []
        script = os.path.join(HERE, "reference_scan.py")
        env = dict(os.environ, PYTHONDONTWRITEBYTECODE="1")
        if os.geteuid() == 0:
            prefix = ["setpriv", "--reuid=65534", "--regid=65534", "--clear-groups"]
            os.chmod(self.tmp.name, 0o755)
            script = shutil.copy(script, self.tmp.name)
            header = shutil.copy(ref.EXTENSION_HEADER, self.tmp.name)
            os.chmod(script, 0o644)
            os.chmod(header, 0o644)
            env["BRENVO1_EXTENSION_HEADER"] = header
        return subprocess.run(prefix + [sys.executable, script, *args],
                              capture_output=True, timeout=60, env=env)

    def test_folder_listed_but_not_searchable(self):
        os.chmod(os.path.join(self.root, "Alt"), 0o444)
        result = self.scan_unprivileged(self.root, "ciao")
        os.chmod(os.path.join(self.root, "Alt"), 0o755)
        r = self.root.encode()
        # x.txt is a regular file by the listing and cannot be opened; the
        # link "again" cannot be followed, so it may hide a folder: it is
        # reported too, although its name is no candidate.
        self.assertEqual(result.stdout, b"".join(r + p + b"\n" for p in [
            b"/A.BAS", b"/b.txt", b"/sub/z.frm"]))
        self.assertEqual(result.stderr, b"File o cartelle non leggibili: 2\naccesso negato: " + r +
                         b"/Alt/x.txt\naccesso negato: " + r + b"/Alt/again\n")
        self.assertEqual(result.returncode, 3)

    def test_unreadable_entries(self):
        os.chmod(os.path.join(self.root, "b.txt"), 0)
        os.chmod(os.path.join(self.root, "empty.txt"), 0)
        os.chmod(os.path.join(self.root, "note.text"), 0)  # never opened
        os.chmod(os.path.join(self.root, "sub", "deeper"), 0)
        result = self.scan_unprivileged(self.root, "ciao")
        for name in ["b.txt", "empty.txt", "note.text"]:
            os.chmod(os.path.join(self.root, name), 0o644)
        os.chmod(os.path.join(self.root, "sub", "deeper"), 0o755)
        r = self.root.encode()
        self.assertEqual(result.stdout, b"".join(r + p + b"\n" for p in [
            b"/A.BAS", b"/Alt/x.txt", b"/Alt/again/z.frm"]))
        self.assertEqual(result.stderr, b"File o cartelle non leggibili: 3\n" + b"".join(
            b"accesso negato: " + r + p + b"\n" for p in [b"/b.txt", b"/empty.txt", b"/Alt/again/deeper"]))
        self.assertEqual(result.returncode, 3)


if __name__ == "__main__":
    unittest.main()
