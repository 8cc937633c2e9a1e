#!/usr/bin/python3
"""Builds the folder trees the comparison with the reference runs on.

    build_trees.py DEST     builds every tree under DEST, to look at by hand

project_tree   a legacy Visual Basic project: nested folders, candidate and
               other files in mixed case, Italian texts in ASCII, UTF-8 (with
               and without mark), Windows-1252, UTF-16 LE/BE and mixtures.
hostile_tree   links (loops, a tree reached twice, dangling), FIFOs, sockets,
               devices, odd names, a chain deeper than PATH_MAX, ill-formed
               encodings and characters whose folding is easy to get wrong.
chunk_tree     large files with matches placed across the 256 KiB reads.
unreadable_tree  entries the unprivileged user may not read (chmod 000...).
"""

import os
import random
import re
import shutil
import socket
import stat
import subprocess
import sys

CHUNK = 256 * 1024

# --- helpers ----------------------------------------------------------------


def _bytes(path):
    return os.fsencode(path)


def write(path, data, mode=None):
    path = _bytes(path)
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "wb") as f:
        f.write(data)
    if mode is not None:
        os.chmod(path, mode)


def symlink(target, path):
    path = _bytes(path)
    os.makedirs(os.path.dirname(path), exist_ok=True)
    os.symlink(_bytes(target), path)


def encode(text, encoding):
    """Text in one of the encodings the search must read."""
    if encoding == "ascii":
        return text.encode("ascii")
    if encoding == "utf8":
        return text.encode("utf-8")
    if encoding == "utf8bom":
        return b"\xef\xbb\xbf" + text.encode("utf-8")
    if encoding == "cp1252":
        return text.encode("cp1252")
    if encoding == "utf16le":
        return b"\xff\xfe" + text.encode("utf-16-le")
    if encoding == "utf16be":
        return b"\xfe\xff" + text.encode("utf-16-be")
    if encoding == "mixed":  # old lines kept in 1252, new ones added in UTF-8
        return b"".join(line.encode("cp1252" if i % 2 else "utf-8")
                        for i, line in enumerate(text.splitlines(keepends=True)))
    raise ValueError(encoding)


# --- project tree -----------------------------------------------------------

ASCII_LINES = [
    "Option Explicit",
    "Private Sub Form_Load()",
    "End Sub",
    "Dim i As Integer",
    "Public Function Somma(ByVal a As Long, ByVal b As Long) As Long",
    "    Somma = a + b",
    "End Function",
    "' Attenzione: controllare i limiti",
    "VERSION 5.00",
    "Begin VB.Form Form1",
    "Attribute VB_Name = \"Modulo1\"",
    "Riga di testo semplice",
]

ITALIAN_LINES = [
    "Attenzione: CITTÀ non è valida",
    "MsgBox \"Perché la città è vuota?\"",
    "' Modulo di calcolo: è già stato verificato",
    "Dim strCittà As String",
    "È necessario inserire il codice della città",
    "Però non è così: CAFÉ, caffè, PERCHÉ",
    "Façade, garçon, ça va: FAÇADE",
    "Ora: 5 µs, 10 °C, prezzo 3 €",
    "Œuvre «citazione» — fine",
    "L'attività è già conclusa",
]

FOLDERS = [
    "", "Moduli", "Form", "Classi", "Documenti", "Documenti/Vecchi",
    "Documenti/Nuovi", "Risorse", "Nuova cartella", "Backup/2019/Gennaio",
    "Backup/2019/Febbraio", "Backup/2020", "Sorgenti/Lib/Comuni", "ZZZ", "aaa",
]

STEMS = ["Modulo1", "modulo2", "Form1", "frmPrincipale", "clsCittà", "Utilità", "LEGGIMI",
         "note", "Dati", "dati_Old", "Report", "Stampa", "Progetto", "Città", "città",
         "costanti", "_privato", "1_primo", "Z_ultimo"]

CANDIDATE_EXTENSIONS = [".bas", ".BAS", ".Bas", ".frm", ".FRM", ".cls", ".Cls", ".txt",
                        ".TXT", ".TxT", ".vbp", ".VBP", ".hds", ".bds", ".LDS", ".dss", ".DSE"]
OTHER_EXTENSIONS = [".frx", ".log", ".exe", ".text", ".txt.bak", ".bas~", ".vbw", "", "."]

ENCODINGS = ["ascii", "utf8", "utf8bom", "cp1252", "cp1252", "cp1252", "utf16le",
             "utf16be", "mixed", "mixed"]


def build_project_tree(root):
    rng = random.Random(1252)
    for folder in FOLDERS:
        os.makedirs(os.path.join(root, folder), exist_ok=True)
        used = set()
        for _ in range(rng.randrange(8, 30)):
            other = rng.random() < 0.25
            extension = rng.choice(OTHER_EXTENSIONS if other else CANDIDATE_EXTENSIONS)
            name = rng.choice(STEMS) + extension
            if name in used:
                name = f"{rng.choice(STEMS)}_{len(used)}{extension}"
            used.add(name)
            roll = rng.random()
            if roll < 0.06:
                data = b""
            elif extension == ".frx" or extension == ".exe":
                data = bytes(rng.randrange(256) for _ in range(rng.randrange(1, 400)))
            else:
                encoding = rng.choice(ENCODINGS)
                pool = ASCII_LINES if encoding == "ascii" else ASCII_LINES + ITALIAN_LINES * 2
                newline = "\r\n" if rng.random() < 0.8 else "\n"
                lines = [rng.choice(pool) for _ in range(rng.randrange(1, 40))]
                data = encode(newline.join(lines) + newline, encoding)
            write(os.path.join(root, folder, name), data)
    # The files the accented searches must find, whatever their encoding.
    legacy = "Attenzione: CITTÀ non è valida\r\nÈ obbligatorio\r\n"
    for encoding in ["cp1252", "utf8", "utf8bom", "utf16le", "utf16be", "mixed"]:
        write(os.path.join(root, "Legacy", f"avviso_{encoding}.bas"), encode(legacy, encoding))
    write(os.path.join(root, "Legacy", "senza_accento.bas"), b"Attenzione: CITTA non e valida\r\n")
    return root


# --- hostile tree -----------------------------------------------------------

# Files whose content is hard to decode or to fold; name -> bytes.
TRICKY_CONTENTS = {
    "bom_only.txt": b"\xef\xbb\xbf",
    "utf16le_bom_only.txt": b"\xff\xfe",
    "utf16be_bom_only.txt": b"\xfe\xff",
    "utf16_odd_tail.txt": b"\xff\xfeA\x00B",
    "utf16_lone_high.txt": b"\xff\xfe" + "citt".encode("utf-16-le") + b"\x3d\xd8" + "\u00e0".encode("utf-16-le"),
    "utf16_lone_low.txt": b"\xfe\xff" + "x".encode("utf-16-be") + b"\xde\x00" + "y".encode("utf-16-be"),
    "utf16_pair.txt": b"\xff\xfe" + "😀 Kelvin \u212a".encode("utf-16-le"),
    "utf16_nul.txt": b"\xff\xfe\x00\x00",
    "single_ff.txt": b"\xff",
    "single_fe.txt": b"\xfe",
    "truncated_bom.txt": b"\xef\xbb",
    "utf8_surrogate.txt": b"prima \xed\xa0\x80 dopo",
    "surrogate_lookalike.txt": "a\u00ed\u00a0\u00bd".encode(),  # the bytes of "a" + U+D83D read as 1252
    "utf8_overlong.txt": b"x\xc0\xafy",
    "utf8_overlong3.txt": b"\xe0\x80\x80",
    "utf8_above_max.txt": b"\xf4\x90\x80\x80",
    "utf8_max.txt": b"\xf4\x8f\xbf\xbf",
    "utf8_emoji.txt": "faccina 😀".encode(),
    "utf8_cut_at_end.txt": b"citt\xc3",
    "utf8_cut_sequence.txt": b"\xe2\x82A",
    "utf8_then_new_sequence.txt": b"\xe2\xc3\xa0",
    "euro_utf8.txt": "€".encode(),
    "mixed_line.txt": "CITTÀ ".encode() + b"non \xe8 valida",
    "cp1252_undefined.txt": b"\x81\x8d\x8f\x90\x9d",
    "cp1252_micro.txt": b"5 \xb5m",
    "cp1252_y_diaeresis.txt": b"\x9f",
    "cp1252_s_caron.txt": b"\x8a\x8c",
    "kelvin.txt": "\u212a".encode(),
    "long_s.txt": "\u017f".encode(),
    "sharp_s.txt": "stra\u00dfe".encode(),
    "double_s.txt": b"strasse",
    "i_combining_dot.txt": "i\u0307".encode(),
    "inner_bom.txt": b"a\xef\xbb\xbfb",
    "bom_then_text.txt": b"\xef\xbb\xbfabc",
    "capital_sharp_s.txt": "STRA\u1e9eE".encode(),
    "dotted_capital_i.txt": "\u0130stanbul".encode(),
    "final_sigma.txt": "\u1f40\u03b4\u03c5\u03c3\u03c3\u03b5\u03cd\u03c2".encode(),
    "capital_mu.txt": "\u039c".encode(),
    "cherokee_small.txt": "\uab70".encode(),
    "title_dz.txt": "\u01c5".encode(),
    "ligature_ff.txt": "\ufb00".encode(),
    "deseret.txt": "\U00010400".encode(),
    "decomposed.txt": "citta\u0300".encode(),
    "replacement_char.txt": "\ufffd".encode(),
    "crlf.txt": b"riga uno\r\nriga due\r\n",
    "lf.txt": b"riga uno\nriga due\n",
    "nul_bytes.frm": b"VERSION 5.00\x00\x00\x00Begin\x00citt\xe0",
    "ascii_k.txt": b"k",
    "ascii_s.txt": b"S",
    "plain_i.txt": b"i",
    "dash_text.txt": b"-rf --help",
    "shell_text.txt": b"$(touch pwned) `id` *",
    "c1_control.txt": b"\xc2\x81",
    # "AB" in UTF-16 bytes, but only at an odd offset: not in the text.
    "utf16le_odd_offset_ab.txt": b"\xff\xfe\x58\x41\x00\x42\x00\x59",
    "utf16be_odd_offset_ab.txt": b"\xfe\xff\x58\x00\x41\x00\x42\x59",
    "utf16le_ab.txt": b"\xff\xfe" + "AB".encode("utf-16-le"),
    "utf16le_deseret.txt": b"\xff\xfe" + "x\U00010400y".encode("utf-16-le"),
    "utf16be_deseret_small.txt": b"\xfe\xff" + "x\U00010428y".encode("utf-16-be"),
    "utf16be_kelvin.txt": b"\xfe\xff" + "\u212a".encode("utf-16-be"),
    "utf16le_capital_s.txt": b"\xff\xfe" + "S".encode("utf-16-le"),
    "utf8_bom_then_ff_fe.txt": b"\xef\xbb\xbf\xff\xfeA\x00",
}

# Names that break careless handling; all hold the word "ostile".
ODD_NAMES = [
    b"new\nline.txt", b"a b.txt", b"$(touch pwned).txt", b"-rf.txt", b"--help.bas",
    b"caf\xe9.txt", b"\xff\xfe.bas", b"\xc3(.txt", b"a\\b.txt", b"*.txt", b"?.cls",
    b"'quote\".txt", b".frm", b"file.", b"x.text", b"Notes.TXT", b"a.b.Bas", b"tab\there.txt",
    b"\x01ctrl.txt", "😀.txt".encode(), b"README.TXT", b"Readme.Txt", b"readme.txt",
    b"[.txt", b"_x.txt", b"~.txt", b"\xc3\x80.txt", b"\xc3\xa0.txt", b"B.txt", b"b.txt",
    b"n" * 247 + b".txt", b"trailing space.txt ", b"x.txt.", b"..txt", b"...bas",
]


def build_hostile_tree(root):
    """Returns the start folder; root holds it and what its links reach."""
    start = os.path.join(root, "start")
    write(os.path.join(root, "outside.txt"), "fuori città\n".encode())
    write(os.path.join(root, "elsewhere", "found.txt"), "città fuori dall'albero\n".encode())
    write(os.path.join(root, "elsewhere", "inner", "again.bas"), b"ostile k\n")
    symlink("../start", os.path.join(root, "elsewhere", "back"))
    symlink("start", os.path.join(root, "startlink"))
    write(os.path.join(start, "top.txt"), "ostile CITTÀ\n".encode())

    # Links between folders.
    symlink("..", os.path.join(start, "a", "b", "up2"))             # parent of the parent...
    symlink("../..", os.path.join(start, "a", "b", "tostart"))      # ...and the start folder
    symlink(".", os.path.join(start, "self"))
    symlink(os.path.abspath(start), os.path.join(start, "a", "absolute_start"))
    symlink("..", os.path.join(start, "toparent"))                  # leaves the tree
    symlink("../elsewhere", os.path.join(start, "sib1"))
    symlink("../elsewhere", os.path.join(start, "sib2"))
    write(os.path.join(start, "a", "in_a.txt"), b"ostile a\n")
    write(os.path.join(start, "m", "in_m.txt"), b"ostile m\n")
    write(os.path.join(start, "n", "in_n.txt"), b"ostile n\n")
    symlink("../n", os.path.join(start, "m", "ton"))                # m and n lead to each other
    symlink("../m", os.path.join(start, "n", "tom"))

    # Entries that are neither files nor folders, or not what their name says.
    os.mkfifo(os.path.join(start, "pipe.txt"))
    os.makedirs(os.path.join(start, "pipe_dir"))
    os.mkfifo(os.path.join(start, "pipe_dir", "pipe.bas"))
    symlink("pipe.txt", os.path.join(start, "link_to_pipe.cls"))
    here = os.getcwd()
    os.chdir(start)  # a socket path is limited to 108 bytes
    try:
        for name in ["sock.bas", "sock.txt"]:
            listener = socket.socket(socket.AF_UNIX)
            listener.bind(name)
            listener.close()
    finally:
        os.chdir(here)
    if os.geteuid() == 0:
        os.mknod(os.path.join(start, "null.txt"), stat.S_IFCHR | 0o666, os.makedev(1, 3))
        os.mknod(os.path.join(start, "zero.frm"), stat.S_IFCHR | 0o666, os.makedev(1, 5))
    symlink("missing.txt", os.path.join(start, "dangling.txt"))
    symlink("missing_dir/", os.path.join(start, "dangling_dir"))
    symlink("loop.txt", os.path.join(start, "loop.txt"))
    symlink("loopdir", os.path.join(start, "loopdir"))
    write(os.path.join(start, "x.txt", "inner.txt"), b"ostile dentro x.txt\n")
    symlink("x.txt", os.path.join(start, "dirlink.frm"))
    symlink("../outside.txt", os.path.join(start, "filelink.txt"))
    symlink("top.txt", os.path.join(start, "TOP_again.TXT"))
    # Files the kernel reports as empty that still have text to read.
    for source, name in [("/proc/version", "proc_version.txt"),
                         ("/proc/sys/kernel/ostype", "proc_ostype.bas")]:
        if os.path.exists(source):
            symlink(source, os.path.join(start, name))
    os.link(os.path.join(start, "top.txt"), os.path.join(start, "hardlink.txt"))

    # Odd names, as files and as folders.
    for name in ODD_NAMES:
        write(os.path.join(_bytes(start), b"names", name), b"ostile " + name + b"\n")
    for name in [b"dir\nnl", b"-dir", b"$(touch pwned)", b"sp ace", b"\xe9t\xe9", b"D.TXT"]:
        write(os.path.join(_bytes(start), b"names", name, b"in.txt"), b"ostile in " + name + b"\n")

    # Contents.
    for name, data in TRICKY_CONTENTS.items():
        write(os.path.join(start, "contents", name), data)
    write(os.path.join(start, "contents", "empty.txt"), b"")
    write(os.path.join(start, "contents", "EMPTY.BAS"), b"")

    # A chain longer than PATH_MAX, with files along it and at its end.
    level = _bytes(os.path.join(start, "deep"))
    os.makedirs(level)
    fd = os.open(level, os.O_RDONLY | os.O_DIRECTORY)
    for depth in range(120):
        name = b"livello_%03d_" % depth + b"x" * 30
        os.mkdir(name, dir_fd=fd)
        child = os.open(name, os.O_RDONLY | os.O_DIRECTORY, dir_fd=fd)
        os.close(fd)
        fd = child
        if depth % 40 == 39 or depth == 119:
            file_fd = os.open(b"f.txt", os.O_WRONLY | os.O_CREAT, 0o644, dir_fd=fd)
            os.write(file_fd, b"ostile profondo %d k\n" % depth)
            os.close(file_fd)
    os.symlink(b"../../..", b"up3", dir_fd=fd)  # loop back from the bottom
    os.close(fd)
    return start


# --- chunk tree -------------------------------------------------------------

FILLER = b"-"


def _place(total, offset, needle, filler=FILLER, prefix=b""):
    body = bytearray(filler * (total - len(prefix)))
    body[offset - len(prefix):offset - len(prefix) + len(needle)] = needle
    return prefix + bytes(body)


def build_chunk_tree(root):
    target = "CITTÀ non è"
    utf8 = target.encode("utf-8")
    cp1252 = target.encode("cp1252")
    utf16le = target.encode("utf-16-le")
    utf16be = target.encode("utf-16-be")
    for boundary, step in ((CHUNK, 1), (2 * CHUNK, 5)):
        size = boundary + 4096
        for start in range(boundary - len(utf8) - 1, boundary + 2, step):
            write(os.path.join(root, "utf8", f"at_{start}.txt"), _place(size, start, utf8))
            write(os.path.join(root, "utf8bom", f"at_{start}.txt"),
                  _place(size, start, utf8, prefix=b"\xef\xbb\xbf"))
        for start in range(boundary - len(cp1252) - 1, boundary + 2, step):
            write(os.path.join(root, "cp1252", f"at_{start}.txt"), _place(size, start, cp1252))
        for start in range(boundary - len(utf16le) - 2, boundary + 4, 2 * step):
            write(os.path.join(root, "utf16le", f"at_{start}.txt"),
                  _place(size, start, utf16le, filler=b"-\x00", prefix=b"\xff\xfe"))
            write(os.path.join(root, "utf16be", f"at_{start}.txt"),
                  _place(size, start, utf16be, filler=b"\x00-", prefix=b"\xfe\xff"))
    # Characters cut by the read: a surrogate pair, a three-byte sequence, and
    # bytes that only look like a sequence's start.
    pair = "\U0001d11e".encode("utf-16-le")
    for start in (CHUNK - 4, CHUNK - 2, CHUNK):
        write(os.path.join(root, "split", f"utf16_pair_at_{start}.txt"),
              _place(CHUNK + 64, start, pair, filler=b"-\x00", prefix=b"\xff\xfe"))
        write(os.path.join(root, "split", f"utf16be_kelvin_at_{start}.txt"),
              _place(CHUNK + 64, start, "\u212a\u212a".encode("utf-16-be"), filler=b"\x00-",
                     prefix=b"\xfe\xff"))
    for start in range(CHUNK - 3, CHUNK + 1):
        write(os.path.join(root, "split", f"euro_at_{start}.txt"),
              _place(CHUNK + 64, start, "€".encode()))
        write(os.path.join(root, "split", f"emoji_at_{start}.txt"),
              _place(CHUNK + 64, start, "\U0001f600".encode()))
        write(os.path.join(root, "split", f"kelvin_at_{start}.txt"),
              _place(CHUNK + 64, start, "\u212a".encode()))
    write(os.path.join(root, "split", "cut_euro.txt"), _place(CHUNK + 64, CHUNK - 2, b"\xe2\x82A"))
    write(os.path.join(root, "split", "lead_then_ascii.txt"), _place(CHUNK + 64, CHUNK - 1, b"\xc3A"))
    write(os.path.join(root, "split", "agrave_split.txt"), _place(CHUNK + 64, CHUNK - 1, b"\xc3\xa0"))
    write(os.path.join(root, "split", "exactly_one_chunk.txt"), _place(CHUNK, CHUNK - len(utf8), utf8))
    write(os.path.join(root, "split", "one_past_chunk.txt"), _place(CHUNK + 1, CHUNK + 1 - len(utf8), utf8))
    write(os.path.join(root, "split", "utf16_odd_at_end.txt"),
          _place(CHUNK + 1, CHUNK - 2, "\u00c0".encode("utf-16-le"), filler=b"-\x00",
                 prefix=b"\xff\xfe")[:CHUNK + 1])
    # Matches far longer than a read: the search texts of long_text_arguments.
    write(os.path.join(root, "long", "kelvins.txt"),
          _place(3 * CHUNK, 100000, "\u212a".encode() * 130000))       # 390000 bytes
    write(os.path.join(root, "long", "long_s_utf16.txt"),
          _place(2 * CHUNK, 20000, "\u017f".encode("utf-16-le") * 120000, filler=b"-\x00",
                 prefix=b"\xff\xfe"))                                  # 240000 bytes
    write(os.path.join(root, "long", "almost_kelvins.txt"),
          _place(3 * CHUNK, 100000, "\u212a".encode() * 129999))
    return root


def long_text_arguments():
    """Search texts close to the kernel's limit for one argument (128 KiB)."""
    return [b"k" * 130000, b"S" * 120000]


# --- random contents --------------------------------------------------------

# Pieces of text whose decoding or folding is easy to get wrong.
FRAGMENTS = ["a", "A", "b", "k", "K", "\u212a", "s", "S", "\u017f", "\u00df", "\u1e9e", "\u00e0",
             "\u00c0", "\u00e8", "\u00c8", "\u00e7", "\u00c7", "\u00b5", "\u03bc", "\u039c",
             "\u03c3", "\u03c2", "\u03a3", "\U0001f600", "\U00010400", "\U00010428", "\u0130",
             "i", " ", "\n", "\u20ac", "\u0178", "\u00ff", "\u0160", "\u0161", "\ufffd", "ab",
             "AB", "citt\u00e0", "CITT\u00c0"]
JUNK = [b"\xc3", b"\xe2\x82", b"\xed\xa0\x80", b"\xc0\xaf", b"\xf4\x90\x80\x80", b"\x81", b"\xff",
        b"\xef\xbb\xbf", b"\xf0\x9f\x98"]


def _encode_fragment(fragment, rng, kind):
    if kind == "utf16le":
        return fragment.encode("utf-16-le")
    if kind == "utf16be":
        return fragment.encode("utf-16-be")
    if kind == "mixed":
        if rng.random() < 0.15:
            return rng.choice(JUNK)
        try:
            if rng.random() < 0.5:
                return fragment.encode("cp1252")
        except UnicodeEncodeError:
            pass
    return fragment.encode("utf-8")


def _random_content(rng, fragments):
    kind = rng.choice(["utf8", "utf8bom", "mixed", "mixed", "utf16le", "utf16be"])
    body = b"".join(_encode_fragment(f, rng, kind) for f in fragments)
    if kind == "utf16le":
        return b"\xff\xfe" + body + (b"\x3d\xd8" if rng.random() < 0.2 else b"")
    if kind == "utf16be":
        return b"\xfe\xff" + body + (b"\xdc" if rng.random() < 0.2 else b"")
    return (b"\xef\xbb\xbf" if kind == "utf8bom" else b"") + body


def build_random_tree(root, seed=7, files=300, large_files=12):
    """Files of random pieces; the large ones have them packed around the
    first read boundary, padded with filler that holds none of them."""
    rng = random.Random(seed)
    for i in range(files):
        fragments = [rng.choice(FRAGMENTS) for _ in range(rng.randrange(1, 60))]
        write(os.path.join(root, "f%02d" % (i % 17), "r%03d.txt" % i), _random_content(rng, fragments))
    for i in range(large_files):
        fragments = [rng.choice(FRAGMENTS) for _ in range(rng.randrange(20, 200))]
        content = _random_content(rng, fragments)
        utf16 = content[:2] in (b"\xff\xfe", b"\xfe\xff")
        filler = {b"\xff\xfe": b"-\x00", b"\xfe\xff": b"\x00-"}.get(content[:2], b"-")
        lead = content[:2] if utf16 else b""
        body = content[2:] if utf16 else content
        pad = CHUNK - rng.randrange(0, 300) - len(lead)
        pad -= pad % len(filler)
        write(os.path.join(root, "large", "l%02d.txt" % i),
              lead + filler * (pad // len(filler)) + body + filler * 50)
    return root


def random_search_texts(root, seed=7, count=60):
    """Pieces cut from the files' own text, each character swapped for
    another of the same folding, so that most of them are hits; a few are
    written in Windows-1252."""
    import reference_scan as ref

    rng = random.Random(seed)
    table = ref.load_simple_case_folding()
    same_folding = {}
    for code, folded in table.items():
        same_folding.setdefault(folded, {folded}).add(chr(code))
    paths = sorted(os.path.join(folder, name) for folder, _, names in os.walk(root)
                   for name in names)
    texts = []
    while len(texts) < count:
        with open(rng.choice(paths), "rb") as f:
            text = ref.decode_content(f.read())
        text = text.strip("-")
        if not text:
            continue
        start = rng.randrange(len(text))
        piece = text[start:start + rng.randrange(1, 9)]
        piece = "".join(rng.choice(sorted(same_folding.get(ref.fold(c), {c}))) for c in piece)
        argument = piece.encode("utf-8")
        try:
            legacy = piece.encode("cp1252")
            if rng.random() < 0.3 and ref.decode_search_text(legacy) == piece:
                argument = legacy
        except UnicodeEncodeError:
            pass
        texts.append(argument)
    return texts


# --- scale ------------------------------------------------------------------

def build_wide_tree(root, count=33000):
    """More hits than a 16-bit list index can count."""
    for i in range(count):
        folder = os.path.join(root, "cartella_%02d" % (i // 1000))
        if i % 1000 == 0:
            os.makedirs(folder)
        with open(os.path.join(folder, "f%05d.txt" % i), "wb") as f:
            f.write(b"ostile %d\n" % i)
    return root


def build_very_deep_tree(root, depth=1500):
    """A chain deeper than a usual soft limit on open files."""
    os.makedirs(root)
    fd = os.open(root, os.O_RDONLY | os.O_DIRECTORY)
    for level in range(depth):
        os.mkdir(b"d", dir_fd=fd)
        child = os.open(b"d", os.O_RDONLY | os.O_DIRECTORY, dir_fd=fd)
        os.close(fd)
        fd = child
        if level % 500 == 499:
            file_fd = os.open(b"f.txt", os.O_WRONLY | os.O_CREAT, 0o644, dir_fd=fd)
            os.write(file_fd, b"ostile %d\n" % level)
            os.close(file_fd)
    os.close(fd)
    return root


def build_chroot_tree(root, engine):
    """A tree to be the root folder of the engine: the engine, the libraries
    ldd names, and a few files to find. Returns the engine's path inside."""
    libraries = subprocess.run(["ldd", engine], capture_output=True, text=True, check=True).stdout
    for path in re.findall(r"(/\S+) \(0x", libraries):
        target = os.path.join(root, path.lstrip("/"))
        os.makedirs(os.path.dirname(target), exist_ok=True)
        shutil.copy2(path, target)
    shutil.copy2(engine, os.path.join(root, "brenvo1-scan"))
    write(os.path.join(root, "a.txt"), b"ostile radice\n")
    write(os.path.join(root, "Z.BAS"), "ostile CITTÀ\n".encode())
    write(os.path.join(root, "sub", "b.frm"), b"ostile sotto\n")
    symlink("..", os.path.join(root, "sub", "up"))
    return "/brenvo1-scan"


# --- unreadable tree --------------------------------------------------------

def build_unreadable_tree(root):
    """Entries an unprivileged user cannot read. Returns (start, closed_folder).

    Every folder up to root must stay searchable by that user."""
    for folder in ["", "sub", "closed", "listless", "passonly"]:
        os.makedirs(os.path.join(root, folder), exist_ok=True)
    write(os.path.join(root, "ok.txt"), b"segreto\n")
    write(os.path.join(root, "locked.txt"), b"segreto\n", mode=0)
    write(os.path.join(root, "locked_empty.txt"), b"", mode=0)
    write(os.path.join(root, "locked.frx"), b"segreto\n", mode=0)  # never opened
    write(os.path.join(root, "writeonly.bas"), b"segreto\n", mode=0o200)
    symlink("locked.txt", os.path.join(root, "link_to_locked.cls"))
    write(os.path.join(root, "sub", "ok2.txt"), b"segreto\n")
    write(os.path.join(root, "sub", "locked2.bas"), b"segreto\n", mode=0)
    write(os.path.join(root, "closed", "inner.txt"), b"segreto\n")
    write(os.path.join(root, "listless", "inner.txt"), b"segreto\n")
    write(os.path.join(root, "passonly", "inner.txt"), b"segreto\n")
    symlink("closed", os.path.join(root, "link_to_closed"))
    symlink("closed/inner.txt", os.path.join(root, "link_into_closed.txt"))
    symlink("closed/inner.txt", os.path.join(root, "link_into_closed.log"))
    # Listed but not searched: names are known, kinds only from the listing.
    unsearchable = os.path.join(root, "unsearchable")
    write(os.path.join(unsearchable, "a.txt"), b"segreto\n")
    write(os.path.join(unsearchable, "b.log"), b"segreto\n")
    write(os.path.join(unsearchable, "empty.bas"), b"")
    write(os.path.join(unsearchable, "sub", "c.txt"), b"segreto\n")
    symlink("a.txt", os.path.join(unsearchable, "link.txt"))
    symlink("nowhere", os.path.join(unsearchable, "dangling.cls"))
    symlink("sub", os.path.join(unsearchable, "dirlink.frm"))
    symlink("..", os.path.join(unsearchable, "up"))
    os.mkfifo(os.path.join(unsearchable, "pipe.txt"))
    os.chmod(unsearchable, 0o444)
    os.chmod(os.path.join(root, "closed"), 0)
    os.chmod(os.path.join(root, "listless"), 0o300)  # can enter, cannot list
    os.chmod(os.path.join(root, "passonly"), 0o111)
    return root, os.path.join(root, "closed")


def main(argv):
    if len(argv) != 2:
        sys.stderr.write("usage: build_trees.py DEST\n")
        return 2
    dest = os.path.abspath(argv[1])
    os.makedirs(dest)
    print(build_project_tree(os.path.join(dest, "project")))
    print(build_hostile_tree(os.path.join(dest, "hostile")))
    print(build_chunk_tree(os.path.join(dest, "chunks")))
    print(build_unreadable_tree(os.path.join(dest, "unreadable"))[0])
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
