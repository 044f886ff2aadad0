"""The release archive as a user downloads it: what it holds, its checksum, and one version everywhere.

Run by ctest in the release tree, after scripts/release.sh has packed it:

    check_release.py RELEASE_TREE
"""

import hashlib
import os
import re
import subprocess
import sys
import tempfile
import time
import unittest
import zipfile
from pathlib import Path

TREE = Path(sys.argv.pop(1)) if len(sys.argv) > 1 else None
REPO_ROOT = Path(__file__).resolve().parents[2]
ARCHIVE_NAME = re.compile(r"^quellmark-(\d+(?:\.\d+){0,3})-win32\.zip$")


def archive_path():
    found = sorted(p for p in TREE.iterdir() if ARCHIVE_NAME.match(p.name))
    if len(found) != 1:
        raise AssertionError(f"expected one quellmark-<version>-win32.zip in {TREE}, found {[p.name for p in found]}")
    return found[0]


def four_part(version):
    """1.0.0 is the version resource's 1.0.0.0."""
    parts = version.split(".")
    return ".".join(parts + ["0"] * (4 - len(parts)))


def rc_text(literal):
    """A string literal of windres's decompiled output, with its \\xHHHH escapes."""
    body = literal[2:-1] if literal.startswith("L") else literal[1:-1]
    return re.sub(r"\\x([0-9a-fA-F]{1,4})", lambda m: chr(int(m.group(1), 16)), body)


@unittest.skipIf(TREE is None, "give the release tree")
class ReleaseArchiveTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.archive = archive_path()
        cls.version = ARCHIVE_NAME.match(cls.archive.name).group(1)
        with zipfile.ZipFile(cls.archive) as z:
            cls.entries = z.infolist()
            cls.files = {info.filename: z.read(info) for info in cls.entries}

    def test_holds_the_licence_the_program_and_the_guide_in_a_fixed_order_and_time(self):
        self.assertEqual(["license.txt", "quellmark.exe", "readme.txt"], [e.filename for e in self.entries])
        self.assertEqual(self.files["quellmark.exe"], (TREE / "src" / "app" / "quellmark.exe").read_bytes(),
                         "the archive's quellmark.exe is not the one this tree built")
        # Every entry carries the sources' date: SOURCE_DATE_EPOCH when the release was made with it,
        # else the commit's date (in UTC, to the two seconds that ZIP's MS-DOS time resolves).
        epoch = os.environ.get("SOURCE_DATE_EPOCH") or subprocess.run(
            ["git", "-C", str(REPO_ROOT), "log", "-1", "--format=%ct"],
            check=True, stdout=subprocess.PIPE, text=True).stdout
        expected = time.gmtime(int(epoch))[:6]
        expected = expected[:5] + (expected[5] - expected[5] % 2,)
        self.assertEqual({expected}, {e.date_time for e in self.entries}, "the entries do not carry the sources' date")

    def test_program_is_at_most_128_kib(self):
        # The size goal; bench/budget.sh shows the sections.
        self.assertLessEqual(len(self.files["quellmark.exe"]), 131072)

    def test_checksum_file_beside_it_matches(self):
        line = (self.archive.parent / (self.archive.name + ".sha256")).read_text()
        self.assertRegex(line, r"^[0-9a-f]{64}  " + re.escape(self.archive.name) + r"\n?$")
        self.assertEqual(hashlib.sha256(self.archive.read_bytes()).hexdigest(), line.split()[0])

    def test_version_resource_guide_and_archive_name_agree(self):
        with tempfile.TemporaryDirectory() as scratch:
            exe = Path(scratch) / "quellmark.exe"
            exe.write_bytes(self.files["quellmark.exe"])
            resources = subprocess.run(["i686-w64-mingw32-windres", "-i", str(exe), "-J", "coff", "-O", "rc"],
                                       check=True, stdout=subprocess.PIPE).stdout.decode("utf-8", "replace")
        record = re.search(r"1 VERSIONINFO(.*?)\nEND", resources, re.DOTALL)
        self.assertIsNotNone(record, "quellmark.exe has no version resource")
        record = record.group(1)
        numbers = four_part(self.version).replace(".", ", ")
        self.assertIn(f"FILEVERSION {numbers}\n", record)
        self.assertIn(f"PRODUCTVERSION {numbers}\n", record)
        values = {name: rc_text(literal) for name, literal in
                  re.findall(r'VALUE "(\w+)", (L?"(?:[^"\\]|\\.)*")', record)}
        self.assertEqual(four_part(self.version), values.get("FileVersion"))
        self.assertEqual(four_part(self.version), values.get("ProductVersion"))
        self.assertIn('VALUE "Translation", 0x411, 932', record)
        title = self.files["readme.txt"].split(b"\r\n", 3)[1].decode("cp932")
        self.assertIn(f"バージョン {self.version}", title, "the guide's title names another version")

    def test_guide_is_code_page_932_text_with_crlf_for_notepad(self):
        data = self.files["readme.txt"]
        text = data.decode("cp932")  # strict: any byte sequence outside code page 932 fails here
        lines = text.split("\r\n")
        self.assertNotRegex(data, rb"(?<!\r)\n", "a line ends in LF alone")
        self.assertNotRegex(data, rb"\r(?!\n)", "a line ends in CR alone")
        self.assertTrue(data.endswith(b"\r\n"))
        # What a user looks for in it, in the words the program and the mail client use (the store's path
        # broken after "{ID}\", as it is wider than Notepad's 80 columns).
        for words in ("ツール(T) - メッセージルール(R) - メール(M)...", "Outlook Express が起動しています。",
                      "HKEY_CURRENT_USER\\Identities\\{ID}\\\r\n"
                      "    Software\\Microsoft\\Outlook Express\\5.0\\Rules\\Mail",
                      "Windows 2000", "98（初版も Second Edition も）"):
            self.assertIn(words, text)
        # Markdown marks are gone, and nothing points at a picture the archive does not hold.
        self.assertEqual([], [line for line in lines if re.search(r"!\[|\]\(|```|\*\*|^#|［図|\.png", line)],
                         "Markdown marks or pictures are left in the text")

    def test_licence_is_the_repository_licence_as_text_for_notepad(self):
        data = self.files["license.txt"]
        # The licence in code page 932 (the author's name is Japanese), with CR LF, for Notepad.
        self.assertEqual((REPO_ROOT / "LICENSE").read_text(encoding="utf-8").replace("\n", "\r\n"), data.decode("cp932"))
        self.assertIn(b"MIT License", data)
        # One author, by one name: the licence's, the guide's header's.
        author = re.search(r"Copyright \(c\) \d{4} (.+)\r\n", data.decode("cp932")).group(1)
        self.assertEqual("Quellmark 開発チーム", author)
        self.assertIn(f"【作者】{author}\r\n", self.files["readme.txt"].decode("cp932"))


if __name__ == "__main__":
    unittest.main(verbosity=2)
