#!/usr/bin/env python3
"""The texts the Windows packages carry, made from the project's own.

Windows' Notepad before Windows 10 1809 shows LF line ends as one long line,
and a file named README.md or LICENSE opens with no program: every text is
written with CRLF line ends, under a .txt name, and in UTF-8 with a
byte-order mark when it holds anything beyond ASCII, so that an older
Notepad reads it as UTF-8.

    windows_text.py copy IN OUT          the same text
    windows_text.py license LICENSE OUT  the license for the installer's
                                         license page: each paragraph one
                                         line, wrapped by the page itself
"""

import sys


def write_windows_text(path, text):
    data = text.replace("\r\n", "\n").replace("\n", "\r\n").encode("utf-8")
    if any(byte >= 0x80 for byte in data):
        data = b"\xef\xbb\xbf" + data
    with open(path, "wb") as out:
        out.write(data)


def read_text(path):
    with open(path, encoding="utf-8") as source:
        return source.read()


def paragraphs(lines):
    block = []
    for line in lines:
        if line.strip():
            block.append(line)
        elif block:
            yield block
            block = []
    if block:
        yield block


def license_page_text(license_text):
    return "\n\n".join(" ".join(line.strip() for line in block)
                       for block in paragraphs(license_text.splitlines())) + (
        "\n\nLe licenze delle parti di altri autori incluse nei programmi sono nel file "
        "THIRD-PARTY-NOTICES.txt, installato accanto ai programmi.\n")


def main():
    if len(sys.argv) != 4 or sys.argv[1] not in ("copy", "license"):
        sys.exit("usage: windows_text.py copy|license IN OUT")
    mode, source, target = sys.argv[1:]
    text = read_text(source)
    if mode == "license":
        text = license_page_text(text)
    write_windows_text(target, text)


if __name__ == "__main__":
    main()
