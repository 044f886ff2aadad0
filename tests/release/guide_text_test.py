"""The guide's conversion to the release's text file (cmake/guide_to_text.py).

Notepad on Japanese Windows 2000/XP reads code page 932 with CR LF; a character that code page 932
lacks must stop the release instead of turning into "?" in the user's text.
"""

import subprocess
import sys
import tempfile
import unittest
from pathlib import Path

CONVERTER = Path(__file__).resolve().parents[2] / "cmake" / "guide_to_text.py"


def convert(markdown, *mode):
    """(exit code, stderr, the text file's bytes or None); the guide's mode unless another is given."""
    with tempfile.TemporaryDirectory() as scratch:
        source, target = Path(scratch) / "guide.md", Path(scratch) / "out" / "readme.txt"
        source.write_text(markdown, encoding="utf-8")
        result = subprocess.run([sys.executable, str(CONVERTER), *(mode or ("--version", "2.3.4")), str(source),
                                 str(target)], stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True)
        return result.returncode, result.stderr, target.read_bytes() if target.exists() else None


class GuideTextTest(unittest.TestCase):
    def test_markdown_becomes_plain_cp932_text_with_crlf(self):
        code, stderr, data = convert(
            "# 説明書\n\n## 使い方\n\n- **「追加」**を押します。\n"
            "詳しくは [作者ホームページ](http://quellmark.example/) と [注意](#注意) へ。\n"
            "```\nLANG=ja_JP.UTF-8 wine quellmark.exe\n```\n`bash scripts/run.sh` で起動 ～ 終了。\n")
        self.assertEqual(0, code, stderr)
        self.assertEqual([
            "========================",
            "説明書　バージョン 2.3.4",
            "========================",
            "",
            "■ 使い方",
            "---------",
            "",
            "・「追加」を押します。",
            "詳しくは 作者ホームページ（http://quellmark.example/） と 注意 へ。",
            "    LANG=ja_JP.UTF-8 wine quellmark.exe",
            "bash scripts/run.sh で起動 ～ 終了。",
            "",
        ], data.decode("cp932").split("\r\n"))
        self.assertNotIn(b"\n", data.replace(b"\r\n", b""))

    def test_a_character_outside_code_page_932_stops_the_conversion_with_its_line(self):
        # U+301C WAVE DASH looks like the full-width tilde that code page 932 has (U+FF5E), and
        # U+2212 MINUS SIGN like its minus (U+FF0D); an emoji has no place there at all.
        for character in ("\u301c", "\u2212", "\U0001F600"):
            with self.subTest(f"U+{ord(character):04X}"):
                code, stderr, data = convert(f"# 説明書\n\n正しい行\n午前9時{character}午後5時\n")
                self.assertNotEqual(0, code)
                self.assertIsNone(data, "a text file was written")
                self.assertIn("line 4", stderr)
                self.assertIn(f"U+{ord(character):04X}", stderr)

    def test_an_unclosed_code_block_a_missing_title_or_a_picture_is_refused(self):
        # The archive holds no pictures: a placeholder line would point the reader at nothing.
        for markdown in ("# 説明書\n```\nwine quellmark.exe\n", "本文だけ\n",
                         "# 説明書\n\n![「施行」ページ](screenshots/rules-page.png)\n"):
            with self.subTest(markdown=markdown):
                code, stderr, data = convert(markdown)
                self.assertNotEqual(0, code)
                self.assertIsNone(data)
        self.assertIn("line 3", stderr)

    def test_plain_text_keeps_its_lines_and_gets_crlf(self):
        # The licence: Markdown-looking lines stay as they are; the code page check still applies (a
        # licence pasted with "©" instead of "(c)" would stop).
        code, stderr, data = convert("MIT License\n\n# not a heading **nor emphasis**\n", "--plain")
        self.assertEqual(0, code, stderr)
        self.assertEqual(b"MIT License\r\n\r\n# not a heading **nor emphasis**\r\n", data)
        code, stderr, data = convert("Copyright \u00a9 2026\n", "--plain")
        self.assertNotEqual(0, code)
        self.assertIn("U+00A9", stderr)


if __name__ == "__main__":
    unittest.main(verbosity=2)
