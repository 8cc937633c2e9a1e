#!/usr/bin/python3
"""Reference search run, written straight from the search rules.

Usage: reference_scan.py FOLDER TEXT

Same contract as brenvo1-scan: each hit's full path on stdout as raw bytes
plus "\\n", in walk order; the message of a missing folder, or the list of
unreadable entries, each after why it could not be read, on stderr; exit 0
(everything read), 1 (folder missing), 2 (usage), 3 (some entries skipped).

It favours being obviously right over being fast: files are read whole,
decoded whole, folded whole and searched with Python's own substring test.
Folders are walked through descriptors so that trees deeper than PATH_MAX
work the same as shallow ones.
"""

import codecs
import errno
import os
import re
import resource
import stat
import sys

CASE_FOLDING_FILE = "/usr/share/unicode/CaseFolding.txt"

# The program's one list (search/extension.h); which names count is this
# reference's own rule.
# BRENVO1_EXTENSION_HEADER names the header when this script runs from a
# copy elsewhere.
EXTENSION_HEADER = os.environ.get("BRENVO1_EXTENSION_HEADER") or os.path.join(
    os.path.dirname(os.path.abspath(__file__)), "..", "..", "search", "extension.h")
with open(EXTENSION_HEADER, "rb") as header:
    CANDIDATE_EXTENSIONS = tuple(re.findall(rb'"(\.[a-z0-9]+)"', header.read()))

FOLDER_MISSING_MESSAGE = b"Impossibile trovare il percorso"
UNREADABLE_MESSAGE = b"File o cartelle non leggibili: %d"

EXIT_OK, EXIT_MISSING, EXIT_USAGE, EXIT_SKIPPED = 0, 1, 2, 3


def reason(error):
    """Why an entry could not be read, from the error the walk met: the
    user's words for what the user can act on, else the system's own."""
    if error.errno in (errno.EACCES, errno.EPERM):
        return "accesso negato".encode()
    if error.errno in (errno.ENOENT, errno.ESTALE):
        return "non più presente".encode()
    if error.errno in (errno.EBUSY, errno.ETXTBSY):
        return "in uso da un altro programma".encode()
    return os.strerror(error.errno).encode()


# --- Decoding ---------------------------------------------------------------

# Windows-1252 leaves 81 8D 8F 90 9D undefined; they read as the C1 control
# of the same value.
_CP1252 = [
    chr(b) if b in (0x81, 0x8D, 0x8F, 0x90, 0x9D) else bytes([b]).decode("cp1252")
    for b in range(256)
]


def _one_byte_as_cp1252(error):
    # Only the first byte of an ill-formed stretch is taken as Windows-1252;
    # decoding resumes right after it, so a well-formed sequence that starts
    # on the next byte is still read as UTF-8.
    return _CP1252[error.object[error.start]], error.start + 1


codecs.register_error("brenvo1_reference_cp1252", _one_byte_as_cp1252)


def decode_utf8_or_cp1252(data):
    """Every well-formed UTF-8 sequence as UTF-8, every other byte as 1252.

    Python's strict UTF-8 decoder accepts exactly the well-formed sequences
    of Unicode Table 3-7 (no overlongs, no surrogates, nothing above
    U+10FFFF); the self-test checks this one against a byte-by-byte version.
    """
    return bytes(data).decode("utf-8", "brenvo1_reference_cp1252")


_LONE_SURROGATE = re.compile("[\ud800-\udfff]")


def decode_utf16(data, codec):
    """UTF-16 without its mark: pairs combine, lone surrogates and an odd
    last byte read as U+FFFD."""
    data = bytes(data)
    odd_tail = len(data) % 2 == 1
    if odd_tail:
        data = data[:-1]
    # surrogatepass hands lone surrogates through unchanged while valid pairs
    # still combine, so whatever surrogate is left afterwards was unpaired.
    text = _LONE_SURROGATE.sub("\ufffd", data.decode(codec, "surrogatepass"))
    return text + "\ufffd" if odd_tail else text


def decode_content(data):
    if data[:2] == b"\xff\xfe":
        return decode_utf16(data[2:], "utf-16-le")
    if data[:2] == b"\xfe\xff":
        return decode_utf16(data[2:], "utf-16-be")
    if data[:3] == b"\xef\xbb\xbf":
        data = data[3:]
    return decode_utf8_or_cp1252(data)


def _lone_surrogate_or_cp1252(error):
    # ED A0..BF xx is how Windows hands over a text holding an unpaired
    # surrogate: it reads as U+FFFD, as such a surrogate in a UTF-16 file
    # does, never as the three Windows-1252 characters of its bytes.
    form = error.object[error.start:error.start + 3]
    if len(form) == 3 and form[0] == 0xED and 0xA0 <= form[1] <= 0xBF and 0x80 <= form[2] <= 0xBF:
        return "\ufffd", error.start + 3
    return _one_byte_as_cp1252(error)


codecs.register_error("brenvo1_reference_search_text", _lone_surrogate_or_cp1252)


def decode_search_text(data):
    # The search text arrives as bytes of the UTF-8/Windows-1252 kind; it is
    # never taken as UTF-16 and carries no byte-order mark of its own.
    return bytes(data).decode("utf-8", "brenvo1_reference_search_text")


# --- Case folding -----------------------------------------------------------

def load_simple_case_folding(path=CASE_FOLDING_FILE):
    """Code point -> folded character, from the C and S lines only."""
    table = {}
    with open(path, encoding="utf-8") as lines:
        for line in lines:
            line = line.split("#", 1)[0].strip()
            if not line:
                continue
            fields = [field.strip() for field in line.split(";")]
            code, status, mapping = fields[0], fields[1], fields[2]
            if status in ("C", "S"):
                table[int(code, 16)] = chr(int(mapping, 16))
    return table


_folding = None


def fold(text):
    global _folding
    if _folding is None:
        _folding = load_simple_case_folding()
    return text.translate(_folding)


def is_hit(content_bytes, search_text):
    """search_text is already folded."""
    return search_text in fold(decode_content(content_bytes))


# --- Names and paths --------------------------------------------------------

def is_candidate(name):
    dot = name.rfind(b".")
    if dot < 0:
        return False
    return name[dot:].lower() in CANDIDATE_EXTENSIONS  # bytes.lower: ASCII only


def name_order_key(name):
    return (name.lower(), name)


def _same_folder(a, b):
    try:
        first, second = os.stat(a), os.stat(b)
    except (OSError, ValueError):
        return True  # nothing there to tell them apart
    return (first.st_dev, first.st_ino) == (second.st_dev, second.st_ino)


def normalise_path(path, cwd):
    """Absolute, without "." or empty parts; ".." goes where the system goes
    from the folder reached so far, and other links stay as typed."""
    if not path.startswith(b"/"):
        path = cwd + b"/" + path
    components = []
    for component in path.split(b"/"):
        if component in (b"", b"."):
            continue
        if component == b"..":
            typed = b"/" + b"/".join(components)
            parent = b"/" + b"/".join(components[:-1])
            if _same_folder(typed + b"/..", parent):
                components = components[:-1]
            else:
                components = [c for c in os.path.realpath(typed + b"/..").split(b"/") if c]
            continue
        components.append(component)
    return b"/" + b"/".join(components)


def join_path(folder, name):
    return folder + name if folder.endswith(b"/") else folder + b"/" + name


def folder_exists(path):
    if b"\0" in path:
        return False
    try:
        return stat.S_ISDIR(os.stat(path).st_mode)
    except (OSError, ValueError):
        return False


# --- The walk ---------------------------------------------------------------

FILE, FOLDER, NEITHER = "file", "folder", "neither"


def _kind_from_listing(entry):
    """The kind as the folder listing tells it, when stat is denied. A link
    (or an entry of unknown type) cannot be followed then: it may lead to a
    folder, so it is taken as one and reported as unreadable, whatever its
    name."""
    try:
        if entry.is_dir(follow_symlinks=False):
            return FOLDER, None
        if entry.is_symlink():
            return FOLDER, None
        if entry.is_file(follow_symlinks=False):
            return FILE, None
    except OSError:
        return FOLDER, None  # the listing did not say, and stat is denied
    return NEITHER, None  # FIFO, socket, device


def _kind(entry, name, folder_fd):
    try:
        info = os.stat(name, dir_fd=folder_fd)  # follows links
    except (FileNotFoundError, NotADirectoryError):
        return NEITHER, None  # dangling link, vanished entry
    except OSError as error:
        if error.errno == errno.ELOOP:
            return NEITHER, None  # link loop
        return _kind_from_listing(entry)
    if stat.S_ISREG(info.st_mode):
        return FILE, info
    if stat.S_ISDIR(info.st_mode):
        return FOLDER, info
    return NEITHER, info


def _read_regular_file(name, folder_fd):
    """The whole file, or None when the entry is not a regular file any more.
    Raises OSError when it cannot be opened or read."""
    fd = os.open(name, os.O_RDONLY | os.O_NONBLOCK | os.O_CLOEXEC, dir_fd=folder_fd)
    try:
        if not stat.S_ISREG(os.fstat(fd).st_mode):
            return None
        chunks = []
        while True:
            chunk = os.read(fd, 1 << 20)
            if not chunk:
                return b"".join(chunks)
            chunks.append(chunk)
    finally:
        os.close(fd)


class Scan:
    def __init__(self, folded_search_text):
        self.search_text = folded_search_text
        self.hits = []
        self.skipped = []
        self._entered = set()

    def scan_start_folder(self, typed, path):
        try:
            fd = os.open(typed, os.O_RDONLY | os.O_DIRECTORY | os.O_CLOEXEC)
        except OSError as error:
            self.skipped.append((path, reason(error)))
            return
        self._scan_open_folder(path, fd)

    def _scan_open_folder(self, path, fd):
        info = os.fstat(fd)
        if (info.st_dev, info.st_ino) in self._entered:
            os.close(fd)  # reached before through another path
            return
        self._entered.add((info.st_dev, info.st_ino))
        try:
            try:
                entries = {os.fsencode(entry.name): entry for entry in os.scandir(fd)}
            except OSError as error:
                self.skipped.append((path, reason(error)))
                return
            names = sorted(entries, key=name_order_key)
            kinds = {name: _kind(entries[name], name, fd) for name in names}
            for name in names:
                if kinds[name][0] == FILE and is_candidate(name):
                    self._examine_file(path, fd, name)
            for name in names:
                if kinds[name][0] != FOLDER:
                    continue
                self._scan_subfolder(join_path(path, name), fd, name)
        finally:
            os.close(fd)

    def _scan_subfolder(self, path, parent_fd, name):
        try:
            fd = os.open(name, os.O_RDONLY | os.O_DIRECTORY | os.O_CLOEXEC, dir_fd=parent_fd)
        except OSError as error:
            self.skipped.append((path, reason(error)))
            return
        self._scan_open_folder(path, fd)

    def _examine_file(self, folder_path, folder_fd, name):
        full_path = join_path(folder_path, name)
        try:
            content = _read_regular_file(name, folder_fd)
        except OSError as error:
            self.skipped.append((full_path, reason(error)))
            return
        if not content:  # not a regular file any more, or empty
            return
        if is_hit(content, self.search_text):
            self.hits.append(full_path)


def run(folder_arg, text_arg, stdout, stderr):
    """One search run; returns the exit status."""
    if not folder_exists(folder_arg):
        stderr.write(FOLDER_MISSING_MESSAGE + b"\n")
        return EXIT_MISSING
    start = normalise_path(folder_arg, os.getcwdb())
    scan = Scan(fold(decode_search_text(text_arg)))
    scan.scan_start_folder(folder_arg, start)
    for hit in scan.hits:
        stdout.write(hit + b"\n")
    if scan.skipped:
        stderr.write(UNREADABLE_MESSAGE % len(scan.skipped) + b"\n")
        for path, why in scan.skipped:
            stderr.write(why + b": " + path + b"\n")
        return EXIT_SKIPPED
    return EXIT_OK


def main(argv):
    if len(argv) != 3:
        sys.stderr.write("Uso: reference_scan.py CARTELLA TESTO\n")
        return EXIT_USAGE
    # sys.argv holds the raw argument bytes with surrogateescape; fsencode
    # gives back exactly those bytes.
    folder_arg, text_arg = os.fsencode(argv[1]), os.fsencode(argv[2])
    status = run(folder_arg, text_arg, sys.stdout.buffer, sys.stderr.buffer)
    sys.stdout.buffer.flush()
    sys.stderr.buffer.flush()
    return status


def allow_one_descriptor_per_level():
    # The walk keeps each folder on the current path open; a chain deeper
    # than the soft limit on open files must still be walked to its end.
    soft, hard = resource.getrlimit(resource.RLIMIT_NOFILE)
    if soft != hard:
        resource.setrlimit(resource.RLIMIT_NOFILE, (hard, hard))
    sys.setrecursionlimit(max(sys.getrecursionlimit(), 4 * hard + 100))


if __name__ == "__main__":
    allow_one_descriptor_per_level()
    sys.exit(main(sys.argv))
