#!/usr/bin/env python3
"""The user's guide (Markdown, UTF-8) as the release's text file: code page 932, CR LF, for Notepad.

    guide_to_text.py --version 1.0.0 docs/guide-ja.md readme.txt
    guide_to_text.py --plain LICENSE license.txt

Markdown marks become plain text: headings get a frame or a mark, links show their address, code
spans and emphasis lose their marks, code blocks are indented. Source lines are kept as they are
(the guide is written with short lines). A picture is refused: the archive holds none, so the text
has to say in words what a picture would show. --plain takes the text as it is (the licence).

A character that code page 932 does not have stops the conversion with its line and column: the
file Notepad shows must never hold "?" where the guide has text.
"""

import argparse
import os
import re
import sys
import unicodedata

IMAGE = re.compile(r"^!\[([^\]]*)\]\(([^)\s]+)\)\s*$")
LINK = re.compile(r"\[([^\]]+)\]\(([^)\s]+)\)")
CODE_SPAN = re.compile(r"`([^`]+)`")
EMPHASIS = re.compile(r"(\*\*|__)(.+?)\1")
HEADING = re.compile(r"^(#{1,6})\s+(.*?)\s*#*\s*$")
BULLET = re.compile(r"^(\s*)[-*+]\s+")


class GuideError(Exception):
    pass


def width(text):
    """Columns in Notepad's Japanese fixed-pitch font: two for a full-width character."""
    return sum(2 if unicodedata.east_asian_width(c) in "WF" else 1 for c in text)


def inline(text):
    text = LINK.sub(lambda m: m.group(1) if m.group(1) == m.group(2) or not re.match(r"[a-z]+://", m.group(2))
                    else f"{m.group(1)}（{m.group(2)}）", text)
    text = CODE_SPAN.sub(r"\1", text)
    text = EMPHASIS.sub(r"\2", text)
    return text


def convert(source, version):
    """The text's lines, each with the number of the source line it comes from."""
    out = []
    in_code = False
    title_done = False
    for number, line in enumerate(source.splitlines(), 1):
        def emit(*texts):
            out.extend((number, text) for text in texts)

        if line.startswith("```"):
            in_code = not in_code
            continue
        if in_code:
            emit("    " + line if line else "")
            continue
        image = IMAGE.match(line)
        if image:
            raise GuideError(f"line {number}: a picture ({image.group(2)}): the archive holds no pictures, "
                             "so describe in words what it shows")
        heading = HEADING.match(line)
        if heading:
            level, text = len(heading.group(1)), inline(heading.group(2))
            if level == 1 and not title_done:
                # The title carries the version: the text file is read apart from the program.
                text = f"{text}　バージョン {version}"
                rule = "=" * width(text)
                emit(rule, text, rule)
                title_done = True
            elif level <= 2:
                emit(f"■ {text}", "-" * (width(text) + 3))
            else:
                emit(f"◆ {text}")
            continue
        bullet = BULLET.match(line)
        if bullet:
            line = bullet.group(1) + "・" + line[bullet.end():]
        emit(inline(line).rstrip())
    if in_code:
        raise GuideError("a code block is not closed")
    if not title_done:
        raise GuideError("the guide has no title (a line starting with \"# \")")
    return out


def encode(lines):
    """CP932 bytes with CR LF. A character that CP932 lacks raises, with its line: Python's codec
    also maps a few look-alikes one way (U+301C WAVE DASH to the full-width tilde), so a character
    counts as CP932 only when its bytes read back as the same character."""
    encoded = []
    for number, line in lines:
        for c in line:
            try:
                ok = c.encode("cp932").decode("cp932") == c
            except UnicodeEncodeError:
                ok = False
            if not ok:
                raise GuideError(f"line {number}: U+{ord(c):04X} {unicodedata.name(c, '?')} ({c!r}) "
                                 f"is not in code page 932, in: {line!r}")
        encoded.append(line.encode("cp932"))
    return b"".join(line + b"\r\n" for line in encoded)


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    mode = parser.add_mutually_exclusive_group(required=True)
    mode.add_argument("--version", help="the guide: Markdown to text, with the version in the title")
    mode.add_argument("--plain", action="store_true", help="a text file as it is")
    parser.add_argument("source")
    parser.add_argument("target")
    args = parser.parse_args()
    try:
        with open(args.source, encoding="utf-8") as f:
            source = f.read()
        lines = (list(enumerate(source.splitlines(), 1)) if args.plain else convert(source, args.version))
        data = encode(lines)
    except (GuideError, UnicodeDecodeError) as error:
        print(f"{args.source}: {error}", file=sys.stderr)
        return 1
    os.makedirs(os.path.dirname(os.path.abspath(args.target)), exist_ok=True)
    with open(args.target, "wb") as f:
        f.write(data)
    return 0


if __name__ == "__main__":
    sys.exit(main())
