"""The guide and the program's texts, both ways: every text the guide quotes in corner brackets is one
that quellmark.exe shows, byte for byte in code page 932, and every text the program can show is
quoted in the guide.

Run by ctest in the release tree, on the readme.txt of the archive that scripts/release.sh packed:

    guide_messages_test.py RELEASE_TREE

The guide's convention, which it states once for its readers: corner brackets 「」 hold a text of the
program exactly as it appears (a caption, a button, a page, a message or some of its whole lines, a
rule's name); white corner brackets 『』 hold the title of one of the guide's own sections. A line
break inside the brackets is a line break of the message; "…" stands where the program fills
something in ("%s"). Sections are numbered as the contents list numbers them, and 『』 may name
one without its number. The error box appends "." to a text whose last character is above "." (any
Japanese character is), so an error is quoted with that ".". The program's texts are read from its
sources: the string literals of the string table, of the windows and dialogs (src/ui), of the
framework base and the application (src/base, src/app) and of the rule store (the rules' names); those
the program can show are its Japanese ones, but for the few listed in NEVER_SHOWN.
"""

import itertools
import re
import sys
import unittest
import zipfile
from pathlib import Path

TREE = Path(sys.argv.pop(1)) if len(sys.argv) > 1 else None
SOURCES = Path(__file__).resolve().parents[2] / "src"
STRING_TABLE = SOURCES / "base" / "ResourceStrings.def"

# Preprocessor lines, comments, character literals, string literals (group 1), blanks (group 2), the rest.
TOKEN = re.compile(r'(?m:^[ \t]*#[^\n]*)|//[^\n]*|/\*.*?\*/|\'(?:\\.|[^\\\'\n])*\''
                   r'|"((?:\\.|[^\\"\n])*)"|(\s+)|.', re.DOTALL)
# The texts are UTF-8 source; a byte escape (\x81) would stand for code page 932 bytes, which none
# of them uses, so any escape but these stops the test (KeyError) rather than be read wrongly.
ESCAPES = {"n": "\n", "r": "\r", "t": "\t", '"': '"', "'": "'", "\\": "\\"}
PLACEHOLDER = re.compile(r"%[sp]")
# Japanese texts of the sources that the program never shows, and why.
NEVER_SHOWN = {
    **{button: "a button of the message dialog that the program's dialogs never carry (they ask with OK "
               "and キャンセル)" for button in ("はい(&Y)", "いいえ(&N)", "ヘルプ(&H)", "中止(&A)", "再試行(&R)",
                                            "無視(&I)", "すべて(&A)", "すべていいえ(&O)", "すべてはい(&A)")},
    **{caption: "the caption of a dialog kind the program never shows" for caption in ("エラー", "確認")},
    "ＭＳ Ｐゴシック": "the window's font, not a text on it",
}


def unescape(body):
    return re.sub(r"\\(.)", lambda match: ESCAPES[match.group(1)], body)


def string_literals(path):
    """The file's string literals, adjacent ones joined as the compiler joins them."""
    texts, current = [], None
    for match in TOKEN.finditer(path.read_text(encoding="utf-8")):
        token = match.group(0)
        if match.group(1) is not None:
            current = (current or "") + unescape(match.group(1))
        elif match.group(2) is not None or token.lstrip().startswith(("//", "/*", "#")):
            continue
        elif current is not None:
            texts.append(current)
            current = None
    if current is not None:
        texts.append(current)
    return texts


def gets_closing_period(text):
    """The error box's rule: a "." follows unless the last character is one byte at or below "."."""
    return text != "" and text[-1].encode("cp932")[0] > ord(".")


def program_texts():
    """(the string table's texts, the other string literals of the program's sources)."""
    sources = [path for folder in ("ui", "base", "app", "rulestore") for path in sorted((SOURCES / folder).rglob("*.cpp"))]
    return set(string_literals(STRING_TABLE)), {text for path in sources for text in string_literals(path)}


def variants(text, table):
    """The text as the screen shows it: "…" for what is filled in, and, for the string table's texts,
    which are raised as errors, also with the error box's period; the dialogs' own texts show as they are."""
    shown = PLACEHOLDER.sub("…", text)
    return [shown, shown + "."] if text in table and gets_closing_period(shown) else [shown]


def shown_texts():
    """Every run of whole lines of every text as the program can show it, in code page 932."""
    table, others = program_texts()
    shown = set()
    for text in (table | others) - {""}:
        for variant in variants(text, table):
            lines = variant.encode("cp932").split(b"\r\n")
            shown.update(b"\r\n".join(lines[i:j]) for i in range(len(lines)) for j in range(i + 1, len(lines) + 1))
    return shown


def worded_lines(variant):
    """The text from its first to its last line that holds a word of the program's own, as the guide
    must quote it at least: a line of nothing but what is filled in shows nothing of the program."""
    lines = variant.split("\r\n")
    worded = [index for index, line in enumerate(lines) if line.replace("…", "").strip()]
    return "\r\n".join(lines[worded[0]:worded[-1] + 1])


def quotes(text, opening="「", closing="」"):
    """(line number, text) of each outermost 「…」; continuation lines lose their indentation."""
    found, depth, start = [], 0, None
    for index, character in enumerate(text):
        if character == opening:
            depth += 1
            if depth == 1:
                start = index + 1
        elif character == closing and depth > 0:
            depth -= 1
            if depth == 0:
                lines = text[start:index].split("\r\n")
                body = "\r\n".join([lines[0]] + [line.lstrip(" ") for line in lines[1:]])
                found.append((text.count("\r\n", 0, start) + 1, body))
    if depth != 0:
        found.append((text.count("\r\n", 0, start) + 1, f"(a {opening} that is never closed)"))
    return found


NUMBERED = re.compile(r"(\d+)\. (.+)")


def headings(text):
    """Every section's title, a numbered one also without its number, as the guide names it in 『』."""
    titles = {line[2:] for line in text.split("\r\n") if line.startswith(("■ ", "◆ "))}
    return titles | {match.group(2) for match in map(NUMBERED.fullmatch, titles) if match}


class MatcherTest(unittest.TestCase):
    """The convention holds both ways on the program's real texts: what the screen shows is accepted,
    the faults the guide once had are not."""

    @classmethod
    def setUpClass(cls):
        cls.shown = shown_texts()

    def accepted(self, text):
        return text.encode("cp932") in self.shown

    def test_an_error_with_a_placeholder_is_quoted_with_its_period(self):
        error = next(PLACEHOLDER.sub("…", t) for t in string_literals(STRING_TABLE) if "%s" in t and "\r\n" not in t)
        self.assertTrue(self.accepted(error + "."))
        self.assertFalse(self.accepted(error + "。"), "a full stop the screen does not show")
        self.assertFalse(self.accepted(error.replace("…", "Order") + "."), "a filled-in example, not the text")

    def test_a_dialog_text_is_quoted_whole_lines_and_without_a_period(self):
        dialog = next(t for t in string_literals(SOURCES / "ui" / "Unit1.cpp") if t.count("\r\n") == 2)
        first, second, third = dialog.split("\r\n")
        self.assertTrue(self.accepted(dialog))
        self.assertTrue(self.accepted(first + "\r\n" + second))
        self.assertFalse(self.accepted(first[:-1]), "a line cut short")
        self.assertFalse(self.accepted(first + "\r\n" + third), "lines that do not follow each other")
        self.assertFalse(self.accepted(dialog + "."), "the error box's period on a dialog's text")


@unittest.skipIf(TREE is None, "give the release tree")
class GuideQuotesTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        with zipfile.ZipFile(next(TREE.glob("quellmark-*-win32.zip"))) as z:
            cls.text = z.read("readme.txt").decode("cp932")

    def test_every_corner_bracket_quote_is_a_program_text_and_every_white_one_a_section(self):
        # An empty pair is the bracket itself, as the guide names it when it states its convention.
        found, shown, titles = [q for q in quotes(self.text) if q[1]], shown_texts(), headings(self.text)
        self.assertGreater(len(found), 0)
        wrong = [f"line {line}: 「{body}」" for line, body in found if body.encode("cp932") not in shown]
        self.assertEqual([], wrong, "quoted as the program's, but the program shows no such text")
        wrong = [f"line {line}: 『{body}』" for line, body in quotes(self.text, "『", "』") if body and body not in titles]
        self.assertEqual([], wrong, "named as a section of the guide, but it has no such heading")

    def test_notepad_shows_every_line_whole_and_the_summary_on_its_first_screen(self):
        # Notepad without word wrap shows 80 columns; a double-byte character takes two, as many as its
        # code page 932 bytes. Its first screen holds some 30 lines; the contents list numbers the sections.
        lines = self.text.split("\r\n")
        wide = [f"line {n}: {len(line.encode('cp932'))}" for n, line in enumerate(lines, 1)
                if len(line.encode("cp932")) > 80]
        self.assertEqual([], wide, "lines wider than 80 columns")
        header = lines[:lines.index("■ 目次")]
        self.assertLessEqual(len(header), 30)
        self.assertEqual(["【概要】", "【注意】"], [line[:4] for line in header if line.startswith(("【概要】", "【注意】"))])
        self.assertEqual([], [line for line in header if line.startswith("・")], "a bulleted header")
        contents = lines[len(header) + 3:lines.index("", len(header) + 3)]
        numbered = [line[2:] for line in lines if line.startswith("■ ") and NUMBERED.fullmatch(line[2:])]
        self.assertEqual(contents, numbered, "the contents list and the numbered headings differ")
        self.assertLessEqual(lines.index("■ 2. 使い方"), 60)
        # A home user reads some 130 lines: the steps and the way back, the removal section up to its
        # second subsection (the first is the removal in the mail client), all end within them.
        removal = lines.index("■ 3. ルールの削除")
        second = [n for n, line in enumerate(lines[removal:], removal) if line.startswith("◆ ")][1]
        self.assertLessEqual(second, 130, "the steps and the way back end past line 130")
        # A label of Windows or the mail client is looked for as it is written, on one line.
        split = [f"line {line}: ［{body}］" for line, body in quotes(self.text, "［", "］") if "\r\n" in body]
        self.assertEqual([], split, "a label split across lines")
        self.assertLessEqual(self.text.count("\r\n"), 400, "the guide is longer than 400 lines")

    def test_every_way_back_removes_the_two_rules_as_the_windows_user_who_added_them(self):
        # Rules live per Windows user, so a procedure followed as another one finds nothing, or the
        # wrong store: each starts by naming that user. Only the restore from the reader's own
        # backup file replaces the whole rule store (the [Mail] key), and says so; no other sentence
        # names that key and a deletion (but to forbid it): deleting it takes the reader's own rules.
        lines = self.text.split("\r\n")
        body = lines.index("■ 1. はじめに")
        firsts = [" ".join([line] + list(itertools.takewhile(lambda l: l.startswith("   "), lines[n + 1:])))
                  for n, line in enumerate(lines[body:], body) if line.startswith("1. ")]
        self.assertGreaterEqual(len(firsts), 7, "the use, three removals, opening a key, backup and restore")
        self.assertEqual([], [f for f in firsts if "Windowsのユーザー" not in f.replace(" ", "")],
                         "a procedure that does not start with the Windows user")
        restore = lines.index("◆ バックアップから元に戻す")
        end = next(n for n, line in enumerate(lines[restore + 1:], restore + 1) if line[:2] in ("■ ", "◆ "))
        sentences = lambda part: "".join(line.strip() for line in part).split("。")
        deleting = re.compile(r"［Mail］.*(削除|消)(?!.*ないで)")
        self.assertEqual([], [s for s in sentences(lines[:restore] + lines[end:]) if deleting.search(s)],
                         "a whole rule store deleted outside the restore")
        self.assertTrue(any(deleting.search(s) for s in sentences(lines[restore:end])), "the restore does not say so")

    def test_every_text_the_program_shows_is_quoted(self):
        table, others = program_texts()
        quoted = {body for _, body in quotes(self.text)}
        japanese = {text for text in table | others if any(ord(c) > 0x7F for c in text)}
        self.assertEqual(set(), set(NEVER_SHOWN) - japanese, "NEVER_SHOWN names a text the sources no longer have")
        missing = [text for text in sorted(japanese - set(NEVER_SHOWN))
                   if not any(worded_lines(variant) in quoted for variant in variants(text, table))]
        self.assertEqual([], missing, "texts the program can show that the guide does not quote")


if __name__ == "__main__":
    unittest.main(verbosity=2)
