#!/usr/bin/env python3
"""The texts the Windows packages carry, made from the project's own.

Windows' Notepad before Windows 10 1809 shows LF line ends as one long line,
and a file named README.md or LICENSE opens with no program: every text is
written with CRLF line ends, under a .txt name, and in UTF-8 with a
byte-order mark when it holds anything beyond ASCII, so that an older
Notepad reads it as UTF-8.

    windows_text.py copy IN OUT          the same text
    windows_text.py readme README.md OUT  the parts of the README a Windows
                                         user needs, as plain text
    windows_text.py license LICENSE OUT  the license for the installer's
                                         license page: each paragraph one
                                         line, wrapped by the page itself
"""

import re
import sys
import textwrap

# The README's sections that tell a Windows user how to install and use the
# programs, in this order; the first part, before any section, always comes.
README_SECTIONS = ["Windows", "What a search does", "`brenvo1-scan`", "License"]

# Paragraphs of the README's sections that are for whoever builds the
# programs, not for whoever uses them: each is left out up to the next
# paragraph that opens with a bold title.
BUILDER_PARAGRAPHS = ("**Download or build.**",)

WIDTH = 78


def write_windows_text(path, text):
    data = text.replace("\r\n", "\n").replace("\n", "\r\n").encode("utf-8")
    if any(byte >= 0x80 for byte in data):
        data = b"\xef\xbb\xbf" + data
    with open(path, "wb") as out:
        out.write(data)


def read_text(path):
    with open(path, encoding="utf-8") as source:
        return source.read()


def plain_inline(text):
    """Markdown's inline marks taken out: links keep their words."""
    text = re.sub(r"\[([^\]]*)\]\([^)]*\)", r"\1", text)
    text = text.replace("**", "")
    return text.replace("`", "")


def split_sections(markdown):
    """[(title, lines)], the part before the first '## ' titled None."""
    sections = [(None, [])]
    for line in markdown.splitlines():
        if line.startswith("## "):
            sections.append((line[3:].strip(), []))
        else:
            sections[-1][1].append(line)
    return sections


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


def plain_paragraph(block):
    first = block[0]
    if first.startswith("    ") or first.startswith("|"):
        # Commands and tables keep their lines and columns.
        return "\n".join(block)
    if first.startswith("# "):
        title = plain_inline(first[2:].strip())
        return title + "\n" + "=" * len(title)
    items = []
    for line in block:
        if line.startswith("- ") or not items:
            items.append(line.strip())
        else:
            items[-1] += " " + line.strip()
    wrapped = []
    for item in items:
        text = plain_inline(item)
        indent = "  " if item.startswith("- ") else ""
        wrapped.append(textwrap.fill(text, WIDTH, subsequent_indent=indent, break_long_words=False,
                                     break_on_hyphens=False))
    return "\n".join(wrapped)


def readme_text(markdown):
    sections = dict(split_sections(markdown))
    parts = []
    for title in [None] + README_SECTIONS:
        if title not in sections:
            sys.exit(f"windows_text.py: the README has no section '## {title}'")
        if title is not None:
            heading = plain_inline(title)
            parts.append(heading + "\n" + "-" * len(heading))
        skipping = False
        for block in paragraphs(sections[title]):
            if block[0].startswith("**"):
                skipping = block[0].startswith(BUILDER_PARAGRAPHS)
            # Pictures stay in the README, and so do the words about them.
            if skipping or block[0].startswith("![") or block[0].startswith("The picture"):
                continue
            parts.append(plain_paragraph(block))
    return "\n\n".join(parts) + "\n"


def license_page_text(license_text):
    return "\n\n".join(" ".join(line.strip() for line in block)
                       for block in paragraphs(license_text.splitlines())) + (
        "\n\nLe licenze delle parti di altri autori incluse nei programmi sono nel file "
        "THIRD-PARTY-NOTICES.txt, installato accanto ai programmi.\n")


def main():
    if len(sys.argv) != 4 or sys.argv[1] not in ("copy", "readme", "license"):
        sys.exit("usage: windows_text.py copy|readme|license IN OUT")
    mode, source, target = sys.argv[1:]
    text = read_text(source)
    if mode == "readme":
        text = readme_text(text)
    elif mode == "license":
        text = license_page_text(text)
    write_windows_text(target, text)


if __name__ == "__main__":
    main()
