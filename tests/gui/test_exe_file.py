"""quellmark.exe as a file: it loads on Windows 95 and NT 4.0, runs on a 486, and carries the resources it needs.

Run by ctest with the path of the .exe: imports are read with objdump -p, instructions with objdump -d
and the link map beside the .exe, resources are decompiled with windres, and the string table is
compared with src/base/ResourceStrings.def. QUELLMARK_RUNTIME_FIDELITY names the list of runtime
members rebuilt with the toolchain's default flags (cmake/FloorRuntime.cmake), compared as
cmake/runtime_fidelity.py compares them for the release.
"""

import os
import re
import sys
import unittest
from pathlib import Path

REPO_ROOT = Path(__file__).resolve().parents[2]
sys.path.insert(0, str(REPO_ROOT / "cmake"))
import runtime_fidelity  # noqa: E402

EXE = Path(sys.argv.pop(1)) if len(sys.argv) > 1 else None

# What the program may import: DLL and function pairs that Windows 95 (with Internet Explorer 5) and
# NT 4.0 ship.
IMPORT_FLOOR = REPO_ROOT / "tests" / "gui" / "windows95-nt4-imports.txt"


tool = runtime_fidelity.tool


# Instructions that a 486 does not have, by the processor or extension that brought them. GCC emits
# none of them for -march=i486; this catches what prebuilt code brings along.
PAST_THE_FLOOR = [
    (re.compile(r"cmpxchg8b|rdtsc|cpuid|rdmsr|wrmsr|rsm"), "Pentium"),
    (re.compile(r"cmov\w+|fcmov\w+|f(u)?comip?|rdpmc|endbr32|sysenter|sysexit|fxsave\w*|fxrstor\w*"), "Pentium Pro/II"),
    (re.compile(r"emms|femms|[ls]dmxcsr|[slm]fence|clflush\w*|prefetch\w*|movnti|fisttp\w*|monitor|mwait"), "SSE and later"),
    (re.compile(r"popcnt|lzcnt|tzcnt|movbe|crc32\w*|andn|bextr|bls\w+|bzhi|mulx|pdep|pext|rorx|sarx|shlx|shrx|adcx|adox"
                r"|rdrand|rdseed|rdtscp|xgetbv|xsetbv|xsave\w*|xrstor\w*|syscall|sysret"), "later extensions"),
]
PREFIXES = {"lock", "rep", "repz", "repe", "repnz", "repne", "data16", "addr16", "cs", "ds", "es", "fs", "gs", "ss"}


def past_the_floor(mnemonic, operands):
    """Why the instruction is past the 486, or None. UD2 stays: it exists to fault, as it does there."""
    if mnemonic == "(bad)":
        return "not an instruction"
    if mnemonic.startswith("nop") and operands:
        return "Pentium Pro/II (long NOP)"
    if re.search(r"%[xyz]?mm\d", operands):
        return "MMX/SSE register"
    return next((era for pattern, era in PAST_THE_FLOOR if pattern.fullmatch(mnemonic)), None)


def text_input_sections(link_map):
    """(start, size, section name, object) of every input section in the program's .text."""
    sections, pending, inside = [], None, False
    for line in link_map.splitlines():
        if re.match(r"^\.\S", line):
            inside = line.startswith(".text ")
            continue
        if not inside:
            continue
        whole = re.match(r"^ (\.\S+)\s+0x([0-9a-f]+)\s+0x([0-9a-f]+)\s+(\S.*)$", line)
        rest = re.match(r"^\s+0x([0-9a-f]+)\s+0x([0-9a-f]+)\s+(\S.*)$", line)
        if whole:
            sections.append((int(whole.group(2), 16), int(whole.group(3), 16), whole.group(1), whole.group(4)))
        elif pending and rest:
            sections.append((int(rest.group(1), 16), int(rest.group(2), 16), pending, rest.group(3)))
        elif rest and rest.group(3).startswith("LONG "):  # the constructor lists' markers
            sections.append((int(rest.group(1), 16), int(rest.group(2), 16), "LONG", "linker script"))
        pending = line[1:].strip() if re.match(r"^ \.\S+$", line) else None
    return sections


def rc_string(literal):
    """The text of a string literal as windres writes it: L"..." with \\xHHHH, or "..." in ASCII."""
    wide = literal.startswith("L")
    body = literal[2:-1] if wide else literal[1:-1]
    text, i = [], 0
    while i < len(body):
        c = body[i]
        if c == "\\":
            kind = body[i + 1]
            if kind == "x":
                digits = re.match(r"[0-9a-fA-F]{1,4}", body[i + 2:]).group(0)
                text.append(chr(int(digits, 16)))
                i += 2 + len(digits)
                continue
            text.append({"r": "\r", "n": "\n", "t": "\t", "\\": "\\", '"': '"'}[kind])
            i += 2
        elif c == '"' and body[i + 1:i + 2] == '"':
            text.append('"')
            i += 2
        else:
            text.append(c)
            i += 1
    return "".join(text)


def expected_strings():
    """id -> text from the string table's source."""
    source = (REPO_ROOT / "src" / "base" / "ResourceStrings.def").read_text(encoding="utf-8")
    table = {}
    for number, literal in re.findall(r'RESOURCE_STRING\((\d+),\s*("(?:[^"\\]|\\.)*")\)', source):
        table[int(number)] = literal[1:-1].replace("\\r", "\r").replace("\\n", "\n").replace('\\"', '"')
    return table


@unittest.skipIf(EXE is None, "give the path of quellmark.exe")
class ExeFileTest(unittest.TestCase):
    _resources = None

    @property
    def resources(self):
        if ExeFileTest._resources is None:
            ExeFileTest._resources = tool("windres", "-i", EXE, "-J", "coff", "-O", "rc")
        return ExeFileTest._resources

    def test_loads_on_windows_95_and_nt_4(self):
        """Every DLL and function imported by name is on the list of what Windows 95 and NT 4.0 ship,
        and the PE header asks for no later system: the loader refuses a program that breaks either,
        before any code runs."""
        dump = tool("objdump", "-p", EXE)
        allowed = {tuple(line.split("#")[0].split()[:2]) for line in IMPORT_FLOOR.read_text().splitlines()
                   if line.strip() and not line.startswith("#")}
        imports, dlls, dll = set(), set(), None
        for line in dump.splitlines():
            if line.strip().startswith("DLL Name:"):
                dll = line.split()[-1].lower()
                dlls.add(dll)
            elif dll and re.match(r"^\t[0-9a-f]+\t\s*\d+\s+\S+$", line):
                imports.add((dll, line.split()[-1]))
            elif not line.strip():
                continue
            elif not line.startswith("\t"):
                dll = None
        self.assertIn(("user32.dll", "CreateWindowExA"), imports)
        # A DLL in the import table loads before any code of ours, from the program's folder first
        # unless the system lists it as a KnownDLL: these four are on every NT, and 95, 98 and Me
        # load them before any program (src/base/DllSearchHardening.h).
        self.assertEqual({"advapi32.dll", "gdi32.dll", "kernel32.dll", "user32.dll"}, dlls)
        self.assertEqual([], sorted(f"{d}!{f}" for d, f in imports - allowed), "imports missing from the list")
        self.assertEqual([], sorted(f"{d}!{f}" for d, f in allowed - imports), "listed, no longer imported")
        # 95, 98 and Me are told by kernel32 mapped above 2 GB (src/base/SystemFamily.h), which holds
        # on NT only while the program does not ask for the addresses above 2 GB.
        characteristics = int(re.search(r"^Characteristics\s+([0-9a-fA-F]+)", dump, re.MULTILINE).group(1), 16)
        self.assertFalse(characteristics & 0x0020, "IMAGE_FILE_LARGE_ADDRESS_AWARE")
        for field in ("OSystem", "Subsystem"):
            major = int(re.search(rf"Major{field}Version\s+(\d+)", dump).group(1))
            minor = int(re.search(rf"Minor{field}Version\s+(\d+)", dump).group(1))
            self.assertLessEqual((major, minor), (4, 0), f"{field} version")

    def test_no_instruction_past_the_486(self):
        """Windows 98 installs on a 486; an instruction it lacks ends the program before its window
        appears. Data in the code section (exception tables, the constructor lists) is skipped by its
        ranges in the link map; every code section must begin where the disassembly does, or the
        disassembly is out of step and proves nothing."""
        sections = text_input_sections(Path(EXE).with_suffix(".map").read_text(errors="replace"))
        code = [(start, size, where) for start, size, name, where in sections
                if size and re.match(r"\.(text|init|fini)", name)]
        data = [(start, start + size) for start, size, name, _ in sections if size and not re.match(r"\.(text|init|fini)", name)]
        self.assertGreater(len(code), 10, "no code sections in the link map")
        starts, findings = set(), []
        for line in tool("objdump", "-d", "-w", "--no-show-raw-insn", EXE).splitlines():
            found = re.match(r"^\s*([0-9a-f]+):\t(\S+)\s*(.*)$", line)
            if not found:
                continue
            address = int(found.group(1), 16)
            if any(begin <= address < end for begin, end in data):
                continue
            starts.add(address)
            mnemonic, operands = found.group(2, 3)
            while mnemonic in PREFIXES and operands:
                mnemonic, _, operands = operands.partition(" ")
            era = past_the_floor(mnemonic, operands.strip())
            if era:
                where = next((w for start, size, w in code if start <= address < start + size), "?")
                findings.append(f"{address:#x} {mnemonic} {operands.strip()} ({era}) from {where}")
        self.assertEqual([], [f"{start:#x} {where}" for start, _, where in code if start not in starts],
                         "code sections the disassembly does not begin at")
        self.assertEqual([], findings, f"{len(findings)} instructions past the 486")

    @unittest.skipUnless(os.environ.get("QUELLMARK_RUNTIME_FIDELITY"), "no rebuilt runtime members to compare")
    def test_rebuilt_runtime_is_the_prebuilt_runtime(self):
        """Compiled with the toolchain's default flags, each runtime member rebuilt from GCC's source has
        the prebuilt member's loaded sections, byte for byte and relocation for relocation: then the one
        compiled for the 486 differs from the shipped runtime in its instructions only."""
        header, members = runtime_fidelity.read_manifest(os.environ["QUELLMARK_RUNTIME_FIDELITY"])
        self.assertGreaterEqual(len(members), 10)
        for rebuilt, archive, member in members:
            differences = runtime_fidelity.differences(rebuilt, archive, member)
            with self.subTest(member=member):
                self.assertFalse(differences, f"{member} {header}: {len(differences)} sections differ from the "
                                 f"prebuilt member's ({', '.join(differences[:6])}), so the runtime built for the 486 "
                                 "is not the shipped one")

    def test_string_table_carries_every_text_exactly(self):
        found = {int(number): rc_string(literal)
                 for number, literal in re.findall(r'^\s+(\d+), (L?"(?:[^"\\]|\\.|"")*")\s*$', self.resources,
                                                   re.MULTILINE)}
        expected = expected_strings()
        for number in (65339, 65344, 65351, 65369, 65375, 65413, 65414, 65437, 65513, 65514):
            self.assertIn(number, expected)
        self.assertEqual(expected, found)
        # The resources are Japanese, like the version record.
        self.assertNotIn("LANGUAGE 9,", self.resources)
        self.assertIn("LANGUAGE 17, 1", self.resources)

    def test_main_icon_is_one_32_by_32_image_of_16_colours(self):
        group = re.search(r'"MAINICON" 14 /\* RT_GROUP_ICON \*/\s*BEGIN\s*0, 1, (\d+),.*?\n(.*?)END',
                          self.resources, re.DOTALL)
        self.assertIsNotNone(group, "no icon group MAINICON")
        self.assertEqual("1", group.group(1))
        self.assertIn(r'"\040\040\020\000", 1, 4,', group.group(2))  # 32 x 32, 16 colours, 1 plane, 4 bits

    def test_version_record(self):
        version = re.search(r"1 VERSIONINFO(.*?)\nEND", self.resources, re.DOTALL).group(1)
        self.assertIn("FILEVERSION 1, 0, 0, 0", version)
        self.assertIn("PRODUCTVERSION 1, 0, 0, 0", version)
        self.assertIn('BLOCK "041103A4"', version)
        self.assertIn('VALUE "Translation", 0x411, 932', version)
        values = {name: rc_string(literal) for name, literal in
                  re.findall(r'VALUE "(\w+)", (L?"(?:[^"\\]|\\.|"")*")', version)}
        for empty in ("CompanyName", "InternalName", "OriginalFilename", "ProductName", "LegalTrademarks",
                      "Comments"):
            self.assertEqual("", values.get(empty), empty)
        self.assertEqual("Quellmark 開発チーム", values["FileDescription"])
        self.assertEqual("http://quellmark.example/", values["LegalCopyright"])
        self.assertEqual("1.0.0.0", values["FileVersion"])

    def test_manifest(self):
        manifest = re.search(r"1 24 /\* RT_MANIFEST \*/\s*BEGIN(.*?)END", self.resources, re.DOTALL)
        self.assertIsNotNone(manifest, "no manifest with id 1")
        text = "".join(rc_string(line.strip()) for line in manifest.group(1).strip().splitlines())
        self.assertRegex(text, r'requestedExecutionLevel level="asInvoker"')
        self.assertRegex(text, r"<dpiAware[^>]*>true</dpiAware>")
        self.assertRegex(text, r'name="Microsoft.Windows.Common-Controls" version="6.0.0.0"')


if __name__ == "__main__":
    unittest.main(verbosity=2)
